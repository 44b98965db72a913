// Mail settings, the outbox and SMTP delivery to a local server.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "format/codepage.h"
#include "frame/host_services.h"
#include "services/mail.h"
#include "local_smtp_server.h"
#include "test_host.h"

namespace {

using host::services::LoadMailSettings;
using host::services::MailSettings;
using host::services::SaveMailSettings;
using testing_support::TestHost;
namespace fs = std::filesystem;

class RecordingSink : public host::MessageSink {
 public:
  int Show(const std::string& title, const std::string& text, int) override {
    shown.push_back(title + ": " + text);
    return 1;
  }
  void CloseNotice() override {}
  int ShowError(const std::string& text) override {
    shown.push_back(text);
    return 0;
  }
  std::vector<std::string> shown;
};

// Parses a message with Python's own mail parser (an independent reader) and returns its
// headers and the attachment's file name; the attachment's bytes go to `payloadPath`.
std::map<std::string, std::string> ParseWithPython(const std::string& dir, const std::string& eml,
                                                   const std::string& payloadPath) {
  std::string script = dir + "/parse_mail.py";
  std::ofstream(script) << R"(import sys, email, email.policy
with open(sys.argv[1], 'rb') as f:
    m = email.message_from_binary_file(f, policy=email.policy.default)
print('subject=' + str(m['subject']))
print('from=' + str(m['from']))
print('to=' + str(m['to']))
print('multipart=' + str(m.is_multipart()))
for part in m.iter_attachments():
    print('filename=' + str(part.get_filename()))
    print('type=' + part.get_content_type())
    with open(sys.argv[2], 'wb') as out:
        out.write(part.get_payload(decode=True))
)";
  std::map<std::string, std::string> fields;
  std::string command = "/usr/bin/python3 '" + script + "' '" + eml + "' '" + payloadPath + "'";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return fields;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    auto eq = text.find('=');
    if (eq != std::string::npos) fields[text.substr(0, eq)] = text.substr(eq + 1);
  }
  fields["status"] = std::to_string(::pclose(pipe));
  return fields;
}

std::vector<fs::path> FilesIn(const std::string& dir, const std::string& extension) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (entry.path().extension() == extension) out.push_back(entry.path());
  return out;
}

class MailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    attachment = t.host().options.exportDir + "/VOSTRA.zip";
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes.push_back(static_cast<char>(i * 7 % 256));
    std::ofstream(attachment, std::ios::binary) << bytes;
    attachmentBytes = bytes;
    t.host().messages = &sink;
  }
  void TearDown() override { t.host().messages = t.host().consoleMessages.get(); }
  TestHost t;
  RecordingSink sink;
  std::string attachment, attachmentBytes;
};

TEST_F(MailTest, SettingsRoundTripWithAPrivatePasswordFile) {
  MailSettings fresh = LoadMailSettings(t.host());
  EXPECT_EQ(fresh.transport, "outbox");
  EXPECT_EQ(fresh.outboxDir, t.host().options.configDir + "/outbox");

  MailSettings s;
  s.transport = "smtp";
  s.smtpUrl = "smtps://poczta.example.com:465";
  s.sender = "firma@example.com";
  s.recipient = "biuro@example.com";
  s.login = "firma";
  s.password = "tajne=hasło;#";
  s.outboxDir = "/tmp/outbox";
  std::string error;
  ASSERT_TRUE(SaveMailSettings(t.host(), s, &error)) << error;
  MailSettings back = LoadMailSettings(t.host());
  EXPECT_EQ(back.transport, s.transport);
  EXPECT_EQ(back.smtpUrl, s.smtpUrl);
  EXPECT_EQ(back.sender, s.sender);
  EXPECT_EQ(back.recipient, s.recipient);
  EXPECT_EQ(back.login, s.login);
  EXPECT_EQ(back.password, s.password);
  EXPECT_EQ(back.outboxDir, s.outboxDir);

  std::string passwordFile = t.host().options.configDir + "/Poczta.haslo";
  struct stat st {};
  ASSERT_EQ(::stat(passwordFile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(TestHost::ReadFile(t.host().options.configDir + "/Poczta.ini").find("tajne"),
            std::string::npos);

  ::chmod(passwordFile.c_str(), 0644);  // loosened by someone: the next save tightens it
  ASSERT_TRUE(SaveMailSettings(t.host(), s, &error)) << error;
  ASSERT_EQ(::stat(passwordFile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  s.password.clear();
  ASSERT_TRUE(SaveMailSettings(t.host(), s, &error)) << error;
  EXPECT_FALSE(fs::exists(passwordFile));
}

TEST_F(MailTest, SettingsWithLineBreaksOrUnknownTransportAreRefused) {
  MailSettings s;
  s.recipient = "a@example.com\r\nBcc: everyone@example.com";
  std::string error;
  EXPECT_FALSE(SaveMailSettings(t.host(), s, &error));
  EXPECT_FALSE(error.empty());
  s.recipient = "a@example.com";
  s.transport = "pigeon";
  EXPECT_FALSE(SaveMailSettings(t.host(), s, &error));
  EXPECT_FALSE(fs::exists(t.host().options.configDir + "/Poczta.ini"));
}

TEST_F(MailTest, OutboxHoldsAProperMimeMessage) {
  MailSettings s;
  s.recipient = "biuro@example.com";
  s.sender = "firma@example.com";
  std::string error;
  ASSERT_TRUE(SaveMailSettings(t.host(), s, &error)) << error;

  ASSERT_NE(HostSendMail(0, attachment.c_str(), 0, "Eksport danych ze Vostra Nova", 4), 0);
  ASSERT_NE(HostSendMail(0, attachment.c_str(), 0, "Eksport dokumentów z Łodzi"_mz, 4), 0);
  std::vector<fs::path> messages = FilesIn(t.host().options.configDir + "/outbox", ".eml");
  ASSERT_EQ(messages.size(), 2u);
  std::sort(messages.begin(), messages.end());
  std::vector<std::string> subjects;
  for (const fs::path& eml : messages) {
    SCOPED_TRACE(eml.string());
    std::string payload = t.dir + "/payload.bin";
    auto fields = ParseWithPython(t.dir, eml.string(), payload);
    EXPECT_EQ(fields["status"], "0");
    EXPECT_EQ(fields["from"], "firma@example.com");
    EXPECT_EQ(fields["to"], "biuro@example.com");
    EXPECT_EQ(fields["multipart"], "True");
    EXPECT_EQ(fields["filename"], "VOSTRA.zip");
    EXPECT_EQ(fields["type"], "application/zip");
    EXPECT_EQ(TestHost::ReadFile(payload), attachmentBytes);
    subjects.push_back(fields["subject"]);
    std::string raw = TestHost::ReadFile(eml.string());
    EXPECT_EQ(raw.find("\n\n"), std::string::npos) << "every line ends with CR LF";
  }
  std::sort(subjects.begin(), subjects.end());
  EXPECT_EQ(subjects, (std::vector<std::string>{"Eksport danych ze Vostra Nova",
                                                "Eksport dokumentów z Łodzi"}));
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(MailTest, NotSentIsToldAndAnsweredZero) {
  struct Case {
    const char* name;
    MailSettings settings;
    std::string attachment;
  };
  MailSettings noRecipient;
  MailSettings smtpWithoutUrl;
  smtpWithoutUrl.transport = "smtp";
  smtpWithoutUrl.recipient = "a@example.com";
  smtpWithoutUrl.sender = "b@example.com";
  smtpWithoutUrl.smtpUrl = "http://example.com";
  MailSettings fine;
  fine.recipient = "a@example.com";
  const Case cases[] = {
      {"no recipient", noRecipient, attachment},
      {"not an SMTP address", smtpWithoutUrl, attachment},
      {"attachment missing", fine, t.host().options.exportDir + "/none.zip"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    ASSERT_TRUE(SaveMailSettings(t.host(), c.settings, &error)) << error;
    sink.shown.clear();
    EXPECT_EQ(HostSendMail(0, c.attachment.c_str(), 0, "Eksport", 4), 0);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_NE(sink.shown[0].find("nie została wysłana"_mz), std::string::npos);
  }
  EXPECT_TRUE(FilesIn(t.host().options.configDir + "/outbox", ".eml").empty());
}

// A local SMTP server (Debian's aiosmtpd) that saves each message into a folder.
TEST_F(MailTest, SmtpServerReceivesTheMessage) {
  testing_support::LocalSmtpServer server(t.dir);
  ASSERT_TRUE(server.error().empty()) << "the local SMTP server could not be started: "
                                      << server.error();
  MailSettings s;
  s.transport = "smtp";
  s.smtpUrl = "smtp://127.0.0.1:" + std::to_string(server.port());
  s.sender = "firma@example.com";
  s.recipient = "biuro@example.com; ksiegowa@example.com";
  std::string error;
  ASSERT_TRUE(SaveMailSettings(t.host(), s, &error)) << error;

  ASSERT_NE(HostSendMail(0, attachment.c_str(), 0, "Eksport danych ze Vostra Nova", 4), 0)
      << (sink.shown.empty() ? "" : sink.shown[0]);
  std::string eml = server.received() + "/message0.eml";
  for (int i = 0; i < 100 && !fs::exists(eml); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(fs::exists(eml)) << "the server saved no message";
  EXPECT_EQ(TestHost::ReadFile(server.received() + "/envelope0.txt"),
            "firma@example.com\nbiuro@example.com\nksiegowa@example.com\n");
  std::string payload = t.dir + "/payload.bin";
  auto fields = ParseWithPython(t.dir, eml, payload);
  EXPECT_EQ(fields["subject"], "Eksport danych ze Vostra Nova");
  EXPECT_EQ(fields["to"], "biuro@example.com, ksiegowa@example.com");
  EXPECT_EQ(fields["filename"], "VOSTRA.zip");
  EXPECT_EQ(TestHost::ReadFile(payload), attachmentBytes);
  EXPECT_TRUE(FilesIn(t.host().options.configDir + "/outbox", ".eml").empty());
}

TEST_F(MailTest, SmtpServerThatIsNotThereIsReported) {
  MailSettings s;
  s.transport = "smtp";
  s.smtpUrl = "smtp://127.0.0.1:1";  // nothing listens on port 1
  s.sender = "firma@example.com";
  s.recipient = "biuro@example.com";
  std::string error;
  ASSERT_TRUE(SaveMailSettings(t.host(), s, &error)) << error;
  EXPECT_EQ(HostSendMail(0, attachment.c_str(), 0, "Eksport", 4), 0);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_NE(sink.shown[0].find("Serwer poczty"), std::string::npos) << sink.shown[0];
}

}  // namespace
