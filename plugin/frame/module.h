// The module's identity and its link to the host's main module, set by the attach step.
//
// The attach step runs first among the module's static initialisers (priority
// kAttachPriority), before the binders of the host functions (kBindersPriority). It records
// the module's handle and path and finds TOVRAN among the loaded modules; it never fails.
#pragma once

#include <cstdint>

#include "frame/host_services.h"
#include "platform.h"

namespace plugin {

inline constexpr int kAttachPriority = 101;
inline constexpr int kBindersPriority = 102;

// "Eksport Zantoria 3.0 (towary)": 29 characters, 30 bytes with the terminator.
inline constexpr char kDisplayName[] = "Eksport Zantoria 3.0 (towary)";
static_assert(sizeof(kDisplayName) == 30);

extern platform::ModuleHandle ModuleHandle;
extern char ModulePath[300];
extern const char* ModuleBaseName;
extern platform::ModuleHandle HostModule;
extern HostNotifyFn* HostNotify;

// The file-name part of a path: after the last backslash, then after the last slash.
const char* BaseNameOf(const char* path);

// The attach step; runs once at load, and again only when a test calls it.
void AttachModule();

}  // namespace plugin
