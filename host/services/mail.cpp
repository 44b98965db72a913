#include "services/mail.h"

#include <curl/curl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

#include "core/encoding.h"
#include "frame/host_services.h"
#include "services/file_layer.h"
#include "services/ini.h"
#include "services/internal.h"

namespace fs = std::filesystem;

namespace host::services {

namespace {

constexpr const char* kSettingsFile = "Poczta.ini";
constexpr const char* kPasswordFile = "Poczta.haslo";
constexpr const char* kSection = "Poczta";
constexpr std::size_t kMaxAttachment = 64u << 20;  // 64 MiB

std::string ConfigPath(const Host& host, const char* name) {
  return host.options.configDir + "/" + name;
}

bool ReadSmallFile(const std::string& path, std::size_t limit, std::string* bytes) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
  bytes->clear();
  char block[65536];
  std::size_t got;
  bool ok = true;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
    if (bytes->size() + got > limit) {
      ok = false;
      break;
    }
    bytes->append(block, got);
  }
  if (std::ferror(in)) ok = false;
  std::fclose(in);
  return ok;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

std::string Base64(std::string_view data, bool wrap) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve(data.size() * 4 / 3 + data.size() / 57 * 2 + 8);
  std::size_t lineChars = 0;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    std::uint32_t n = static_cast<unsigned char>(data[i]) << 16;
    if (i + 1 < data.size()) n |= static_cast<unsigned char>(data[i + 1]) << 8;
    if (i + 2 < data.size()) n |= static_cast<unsigned char>(data[i + 2]);
    out.push_back(kAlphabet[(n >> 18) & 63]);
    out.push_back(kAlphabet[(n >> 12) & 63]);
    out.push_back(i + 1 < data.size() ? kAlphabet[(n >> 6) & 63] : '=');
    out.push_back(i + 2 < data.size() ? kAlphabet[n & 63] : '=');
    lineChars += 4;
    if (wrap && lineChars >= 76) {
      out += "\r\n";
      lineChars = 0;
    }
  }
  if (wrap && lineChars) out += "\r\n";
  return out;
}

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80 || c < 0x20) return false;
  return true;
}

// A header text: as it is when plain ASCII, otherwise an encoded word.
std::string HeaderText(const std::string& utf8) {
  if (IsAscii(utf8)) return utf8;
  return "=?UTF-8?B?" + Base64(utf8, false) + "?=";
}

// The attachment's file name parameter (RFC 2231 for a non-ASCII name).
std::string FileNameParameter(const std::string& name) {
  if (IsAscii(name) && name.find_first_of("\"\\") == std::string::npos) return "filename=\"" + name + "\"";
  std::string out = "filename*=UTF-8''";
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::strchr("!#$&+-.^_`|~", c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

std::vector<std::string> Addresses(const std::string& list) {
  std::vector<std::string> out;
  std::string current;
  auto flush = [&]() {
    std::size_t a = current.find_first_not_of(" \t");
    std::size_t b = current.find_last_not_of(" \t");
    if (a != std::string::npos) out.push_back(current.substr(a, b - a + 1));
    current.clear();
  };
  for (char c : list) {
    if (c == ',' || c == ';') {
      flush();
    } else {
      current.push_back(c);
    }
  }
  flush();
  return out;
}

std::string Joined(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& a : list) out += (out.empty() ? "" : ", ") + a;
  return out;
}

std::string Unique() {
  static std::atomic<unsigned> counter{0};
  std::random_device device;
  char text[96];
  std::snprintf(text, sizeof text, "%lld.%d.%u.%08x", static_cast<long long>(std::time(nullptr)),
                static_cast<int>(::getpid()), counter++, device());
  return text;
}

std::string DefaultSender() { return "vostra@localhost"; }

}  // namespace

MailSettings LoadMailSettings(const Host& host) {
  MailSettings s;
  std::string path = ConfigPath(host, kSettingsFile);
  auto get = [&](const char* key, std::string* out) {
    std::string value;
    if (ReadIniValue(path, kSection, key, &value) == kIniDone) *out = value;
  };
  get("Transport", &s.transport);
  get("OutboxDir", &s.outboxDir);
  get("SmtpUrl", &s.smtpUrl);
  get("Sender", &s.sender);
  get("Recipient", &s.recipient);
  get("Login", &s.login);
  std::string password;
  if (ReadSmallFile(ConfigPath(host, kPasswordFile), 4096, &password)) {
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r'))
      password.pop_back();
    s.password = password;
  }
  if (s.transport.empty()) s.transport = "outbox";
  if (s.outboxDir.empty()) s.outboxDir = "outbox";
  if (s.outboxDir[0] != '/') s.outboxDir = host.options.configDir + "/" + s.outboxDir;
  return s;
}

bool SaveMailSettings(const Host& host, const MailSettings& s, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  for (const std::string* v : {&s.transport, &s.outboxDir, &s.smtpUrl, &s.sender, &s.recipient,
                               &s.login, &s.password})
    if (HasLineBreak(*v)) return fail("Ustawienia poczty nie mogą zawierać końca wiersza.");
  if (!s.transport.empty() && s.transport != "outbox" && s.transport != "smtp")
    return fail("Nieznany sposób wysyłki poczty: " + s.transport + ".");
  if (host.options.configDir.empty()) return fail("Brak folderu ustawień programu.");
  std::error_code ec;
  fs::create_directories(host.options.configDir, ec);
  std::string path = ConfigPath(host, kSettingsFile);
  std::string bytes;
  IniDocument doc;
  if (ReadSmallFile(path, IniLimits{}.maxFileBytes, &bytes) &&
      !IniDocument::Parse(bytes, IniLimits{}, &doc, nullptr))
    return fail("Plik ustawień poczty " + path + " jest uszkodzony.");
  doc.Set(kSection, "Transport", s.transport.empty() ? "outbox" : s.transport);
  doc.Set(kSection, "OutboxDir", s.outboxDir);
  doc.Set(kSection, "SmtpUrl", s.smtpUrl);
  doc.Set(kSection, "Sender", s.sender);
  doc.Set(kSection, "Recipient", s.recipient);
  doc.Set(kSection, "Login", s.login);
  std::string why;
  if (!ReplaceFile(path, doc.Serialize(), 0666, &why))
    return fail("Nie można zapisać ustawień poczty: " + why + ".");
  std::string passwordPath = ConfigPath(host, kPasswordFile);
  if (s.password.empty()) {
    if (::unlink(passwordPath.c_str()) != 0 && errno != ENOENT)
      return fail("Nie można usunąć hasła poczty: " + std::string(std::strerror(errno)) + ".");
  } else if (!ReplaceFile(passwordPath, s.password, 0600, &why, /*forceMode=*/true)) {
    return fail("Nie można zapisać hasła poczty: " + why + ".");
  }
  return true;
}

bool BuildMailMessage(const MailSettings& s, const std::string& subject,
                      const std::string& attachmentPath, std::string* message, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::vector<std::string> to = Addresses(s.recipient);
  if (to.empty()) return fail("Brak adresu odbiorcy w ustawieniach poczty (Konfig e-mail).");
  std::string from = s.sender.empty() ? DefaultSender() : s.sender;
  if (HasLineBreak(from) || HasLineBreak(s.recipient))
    return fail("Adres w ustawieniach poczty zawiera koniec wiersza.");
  std::string data;
  if (!fs::is_regular_file(attachmentPath) ||
      !ReadSmallFile(attachmentPath, kMaxAttachment, &data))
    return fail("Nie można odczytać załącznika " + attachmentPath + " (brak pliku lub większy niż 64 MB).");
  std::string name = fs::path(attachmentPath).filename().string();
  std::string type = fs::path(attachmentPath).extension() == ".zip" ? "application/zip"
                                                                   : "application/octet-stream";
  std::string boundary = "=_vostra_" + Unique();
  char date[64];
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S +0000", &utc);
  std::string body = "W załączniku plik " + name + ".\r\n";

  std::string& m = *message;
  m.clear();
  m += "From: " + from + "\r\n";
  m += "To: " + Joined(to) + "\r\n";
  m += "Subject: " + HeaderText(subject) + "\r\n";
  m += std::string("Date: ") + date + "\r\n";
  m += "Message-ID: <" + Unique() + "@vostra>\r\n";
  m += "MIME-Version: 1.0\r\n";
  m += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n";
  m += "\r\n";
  m += "--" + boundary + "\r\n";
  m += "Content-Type: text/plain; charset=UTF-8\r\n";
  m += "Content-Transfer-Encoding: base64\r\n\r\n";
  m += Base64(body, true);
  m += "--" + boundary + "\r\n";
  m += "Content-Type: " + type + "; name=\"" + HeaderText(name) + "\"\r\n";
  m += "Content-Transfer-Encoding: base64\r\n";
  m += "Content-Disposition: attachment; " + FileNameParameter(name) + "\r\n\r\n";
  m += Base64(data, true);
  m += "--" + boundary + "--\r\n";
  return true;
}

namespace {

struct Upload {
  const std::string* data;
  std::size_t at = 0;
};

extern "C" std::size_t ReadUpload(char* buffer, std::size_t size, std::size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  std::size_t room = size * count;
  std::size_t left = upload->data->size() - upload->at;
  std::size_t n = left < room ? left : room;
  std::memcpy(buffer, upload->data->data() + upload->at, n);
  upload->at += n;
  return n;
}

bool SendSmtp(const MailSettings& s, const std::string& message, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const bool implicitTls = s.smtpUrl.rfind("smtps://", 0) == 0;
  if (!implicitTls && s.smtpUrl.rfind("smtp://", 0) != 0)
    return fail("Adres serwera poczty musi zaczynać się od smtp:// lub smtps://.");
  if (s.sender.empty()) return fail("Brak adresu nadawcy w ustawieniach poczty (Konfig e-mail).");
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!initialised) return fail("Nie można uruchomić obsługi poczty.");
  CURL* curl = curl_easy_init();
  if (!curl) return fail("Nie można uruchomić obsługi poczty.");
  curl_slist* recipients = nullptr;
  for (const std::string& a : Addresses(s.recipient))
    recipients = curl_slist_append(recipients, ("<" + a + ">").c_str());
  Upload upload{&message, 0};
  char reason[CURL_ERROR_SIZE] = "";
  std::string from = "<" + s.sender + ">";
  curl_easy_setopt(curl, CURLOPT_URL, s.smtpUrl.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 300L);
  if (!implicitTls)
    curl_easy_setopt(curl, CURLOPT_USE_SSL, s.login.empty() ? CURLUSESSL_TRY : CURLUSESSL_ALL);
  if (!s.login.empty()) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, s.login.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, s.password.c_str());
  }
  CURLcode result = curl_easy_perform(curl);
  curl_slist_free_all(recipients);
  curl_easy_cleanup(curl);
  if (result != CURLE_OK)
    return fail("Serwer poczty nie przyjął wiadomości: " +
                std::string(reason[0] ? reason : curl_easy_strerror(result)) + ".");
  return true;
}

bool PutInOutbox(const MailSettings& s, const std::string& message, std::string* error) {
  std::error_code ec;
  fs::create_directories(s.outboxDir, ec);
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string path = s.outboxDir + "/" + stamp + "-" + Unique() + ".eml";
  std::string why;
  if (!ReplaceFile(path, message, 0600, &why, /*forceMode=*/true)) {
    if (error) *error = "Nie można zapisać wiadomości w folderze " + s.outboxDir + ": " + why + ".";
    return false;
  }
  return true;
}

}  // namespace

bool SendMail(const Host& host, const MailSettings& s, const std::string& subject,
              const std::string& attachmentPath, std::string* error) {
  (void)host;
  if (s.transport != "outbox" && s.transport != "smtp" && !s.transport.empty()) {
    if (error) *error = "Nieznany sposób wysyłki poczty: " + s.transport + ".";
    return false;
  }
  std::string message;
  if (!BuildMailMessage(s, subject, attachmentPath, &message, error)) return false;
  if (s.transport == "smtp") return SendSmtp(s, message, error);
  return PutInOutbox(s, message, error);
}

}  // namespace host::services

extern "C" int HostSendMail(int, const char* attachment, int, const char* subject, int) {
  // The attachment's path is UTF-8 (the plug-in converts it); the subject is Mazovia.
  host::Host* host = host::Current();
  if (!host) return 0;
  std::string why;
  std::string path = attachment ? attachment : "";
  if (!path.empty() && path[0] != '/') path = host::services::ExportFolder(*host) + "/" + path;
  host::services::MailSettings settings = host::services::LoadMailSettings(*host);
  if (path.empty()) {
    why = "Brak pliku do wysłania.";
  } else if (host::services::SendMail(*host, settings, host::MazoviaToUtf8(subject ? subject : ""),
                                      path, &why)) {
    return 1;
  }
  host::services::ShowMessageUtf8("Uwaga", "Wiadomość nie została wysłana.\n" + why, 1);
  return 0;
}
