// Small helpers shared by the services' own files; not for use outside this folder.
#pragma once

#include <string>
#include <string_view>

#include "core/host.h"

namespace host::services {

class Services;

// The current host's services, or null without a current host.
Services* CurrentServices();

// UTF-8 to Mazovia for texts shown to a person: a character that Mazovia cannot hold becomes
// "?" instead of failing the whole text.
std::string Utf8ToMazoviaLossy(std::string_view utf8);

// Shows a message of the host (texts in UTF-8) through host.messages; nothing without one.
void ShowErrorUtf8(const std::string& text);
int ShowMessageUtf8(const std::string& title, const std::string& text, int flags);

}  // namespace host::services
