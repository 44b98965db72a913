// The host's mail: its settings (edited by the "Konfig e-mail" dialog) and the sender behind
// HostSendMail.
//
// Settings live in the config folder: "Poczta.ini" (section [Poczta]: Transport, OutboxDir,
// SmtpUrl, Sender, Recipient, Login; UTF-8 values) and the password alone in "Poczta.haslo",
// created with mode 0600 so that only its owner can read it. Texts here are UTF-8.
//
// Transports: "outbox" (the default) puts each message as one .eml file (MIME, the attachment
// base64-encoded) into the outbox folder (default: <config dir>/outbox), whole or not at all;
// "smtp" sends it through libcurl to smtp://host:port (STARTTLS when the server offers it;
// required when a login is set, so a password never travels in the clear) or smtps://host:port.
// Recipients may be several, separated by "," or ";". Not thread-safe.
#pragma once

#include <string>

#include "core/host.h"

namespace host::services {

struct MailSettings {
  std::string transport;  // "outbox" (default) or "smtp"
  std::string outboxDir;  // empty: <config dir>/outbox
  std::string smtpUrl;    // smtp://host:port or smtps://host:port
  std::string sender, recipient, login, password;
};

// Missing files or keys give the defaults (transport "outbox", outbox in the config folder).
MailSettings LoadMailSettings(const Host& host);

// Writes both files (each replaced whole); an empty password removes the password file.
// Refuses values holding a line break and an unknown transport; false with a Polish reason.
bool SaveMailSettings(const Host& host, const MailSettings& settings, std::string* error);

// Builds the MIME message (CR LF line ends) with the file at attachmentPath as its attachment.
// False with a Polish reason when the file cannot be read or the settings lack an address.
bool BuildMailMessage(const MailSettings& settings, const std::string& subjectUtf8,
                      const std::string& attachmentPath, std::string* message, std::string* error);

// Sends one message through the transport of the settings; false with a Polish reason.
bool SendMail(const Host& host, const MailSettings& settings, const std::string& subjectUtf8,
              const std::string& attachmentPath, std::string* error);

}  // namespace host::services
