// Delivery of the finished file: the archive beside it, the mail (outbox and SMTP), the preview,
// and what becomes of the text file and the marks when a step fails.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "frame/host_imports.h"
#include "run/run_steps.h"
#include "local_smtp_server.h"
#include "run_fixture.h"

namespace {

namespace fs = std::filesystem;
using run_test::ExportedNumbers;
using run_test::RunHost;

const std::vector<std::string> kAllInvoices = {"FV 1/03/2024", "FV 5/03/2024", "PAR 7/2024",
                                               "EXP 1/2024", "FV 2/03/2024"};

TEST(ArchiveName, ExtensionOfTheFileNameOnly) {
  struct Case {
    const char* source;
    const char* archive;  // "" when it does not fit
  };
  const Case cases[] = {
      {"C:\\EXPORT\\VOSTRA.TXT", "C:\\EXPORT\\VOSTRA.zip"},
      {"/home/ola/eksport/VOSTRA.TXT", "/home/ola/eksport/VOSTRA.zip"},
      {"/home/ola/DANE.2024/EXPORT", "/home/ola/DANE.2024/EXPORT.zip"},
      {"C:\\DANE.2024\\EXPORT", "C:\\DANE.2024\\EXPORT.zip"},
      {"/a.b/c\\d.e/f", "/a.b/c\\d.e/f.zip"},
      {"EXPORT.2024.TXT", "EXPORT.2024.zip"},
      {"EXPORT", "EXPORT.zip"},
      {"/tmp/.hidden", "/tmp/.zip"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    char out[plugin::kPathSize];
    EXPECT_TRUE(plugin::MakeArchivePath(c.source, out, sizeof out));
    EXPECT_STREQ(out, c.archive);
  }

  // A name without a dot that leaves no room for ".zip" is refused, never cut.
  std::string longest(plugin::kPathChars, 'x');
  char out[plugin::kPathSize];
  EXPECT_FALSE(plugin::MakeArchivePath(longest.c_str(), out, sizeof out));
  EXPECT_STREQ(out, "");
  std::string fits(plugin::kPathSize - 5, 'x');
  EXPECT_TRUE(plugin::MakeArchivePath(fits.c_str(), out, sizeof out));
}

TEST(ArchiveName, BaseDirectoryOfTheConfiguredName) {
  struct Case {
    const char* fileName;
    const char* base;
  };
  const Case cases[] = {
      {"C:\\EXPORT\\VOSTRA.TXT", "C:\\EXPORT"},
      {"/home/ola/eksport/VOSTRA.TXT", "/home/ola/eksport"},
      {"C:\\a/b\\c.txt", "C:\\a/b"},
      {"/a\\b/c.txt", "/a\\b"},
      {"VOSTRA.TXT", "VOSTRA.TXT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileName);
    char out[plugin::kPathSize];
    plugin::BaseDirectoryOf(c.fileName, out, sizeof out);
    EXPECT_STREQ(out, c.base);
  }
}

// Lists an archive's entries and checks it with the unzip program.
std::string UnzipTest(const std::string& archive) {
  std::string command = "unzip -t '" + archive + "' 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    if (pclose(pipe) != 0) output += "\n(unzip failed)";
  }
  return output;
}

std::string Unzipped(const std::string& archive, const std::string& entry) {
  std::string command = "unzip -p '" + archive + "' '" + entry + "'";
  std::string bytes;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) bytes.append(buffer, n);
    pclose(pipe);
  }
  return bytes;
}

std::vector<std::string> Outbox(RunHost& h) {
  std::vector<std::string> mails;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(h.test.dir + "/config/outbox", ec))
    mails.push_back(run_test::ReadBytes(e.path().string()));
  return mails;
}

void WriteMailSettings(RunHost& h, const std::string& lines) {
  std::ofstream(h.test.dir + "/config/Poczta.ini") << "[Poczta]\n" << lines;
}

class Delivery : public ::testing::Test {
 protected:
  void SetUp() override {
    h.ImportFixture("invoices.json");
    WriteMailSettings(h, "Recipient=ksiegowa@example.com\n");
  }
  // Options "3,<sending>,<options>,0,0" with the registers of the expected file.
  void Options(int sending, int options) {
    h.WriteSettings("[ZantoriaMK]\nOpcje=3," + std::to_string(sending) + "," +
                    std::to_string(options) + ",0,0\n" + run_test::kRegisters);
  }
  // A later run that skips exported documents: the numbers it still finds.
  std::vector<std::string> UnmarkedAfterwards() {
    h.WriteSettings("[ZantoriaMK]\nOpcje=3,2,0,0,0\n");
    h.Run();
    return ExportedNumbers(h.Exported());
  }
  std::string Archive() const { return h.ExportDir() + "/VOSTRA.zip"; }

  RunHost h;
};

TEST_F(Delivery, PackedArchiveReplacesTheTextAndGoesToTheOutbox) {
  Options(1, 0);
  h.Run();

  EXPECT_EQ(h.ExportFolder(), std::vector<std::string>{"VOSTRA.zip"});
  std::string check = UnzipTest(Archive());
  EXPECT_NE(check.find("No errors detected"), std::string::npos) << check;
  EXPECT_TRUE(run_test::SameFile(run_test::ExpectedExport("invoices.expected.txt"),
                                 Unzipped(Archive(), "VOSTRA.TXT")));

  std::vector<std::string> mails = Outbox(h);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_NE(mails[0].find("Eksport danych ze Vostra Nova"), std::string::npos);
  EXPECT_NE(mails[0].find("VOSTRA.zip"), std::string::npos);
  EXPECT_TRUE(h.sink.Shown(run_test::Summary(5, 0)));
  EXPECT_TRUE(UnmarkedAfterwards().empty());
}

TEST_F(Delivery, DotInAFolderNameDoesNotNameTheArchive) {
  const std::string folder = h.ExportDir() + "/DANE.2024";
  h.WriteSettings("[ZantoriaMK]\nOpcje=3,1,0,0,0\nFile=" + folder + "/EXPORT\n");
  h.Run();

  EXPECT_TRUE(run_test::Exists(folder + "/EXPORT.zip"));
  EXPECT_FALSE(run_test::Exists(folder + "/EXPORT"));
  EXPECT_FALSE(run_test::Exists(h.ExportDir() + "/DANE.zip"));
  std::string check = UnzipTest(folder + "/EXPORT.zip");
  EXPECT_NE(check.find("EXPORT"), std::string::npos) << check;
}

TEST_F(Delivery, FailedPackingKeepsTheTextSendsNothingAndMarks) {
  fs::create_directories(Archive());  // a folder where the archive should go
  Options(1, 0);
  h.Run();

  EXPECT_TRUE(h.sink.Shown(run_test::Mazovia("Błąd pakowania katalogu " + h.ExportDir() +
                                             "!\nOperacja niekompletna!")));
  EXPECT_TRUE(h.sink.ErrorShown("Nieudane pakowanie eksportowanego pliku."));
  EXPECT_TRUE(run_test::SameFile(run_test::ExpectedExport("invoices.expected.txt"),
                                 h.Exported()));
  EXPECT_TRUE(Outbox(h).empty());
  EXPECT_TRUE(h.sink.Shown(run_test::Summary(5, 0)));
  EXPECT_TRUE(UnmarkedAfterwards().empty());
}

TEST_F(Delivery, MailNotSentLeavesTheArchiveAndMarksNothing) {
  WriteMailSettings(h, "");  // no recipient: the host refuses to send
  Options(1, 0);
  h.Run();

  EXPECT_EQ(h.ExportFolder(), std::vector<std::string>{"VOSTRA.zip"});
  EXPECT_FALSE(h.sink.Shown(run_test::Summary(5, 0)));
  EXPECT_EQ(UnmarkedAfterwards(), kAllInvoices);
}

// Stands between the plug-in and the host's viewer for one test: notes each path the plug-in
// asks to show and whether that file exists at that moment, then lets the host show it.
class ViewerSpy {
 public:
  ViewerSpy() : entry_(plugin::HostImportTable[kPos_HostViewFile - 1]) {
    original_ = entry_;
    seen_.clear();
    plugin::HostImportTable[kPos_HostViewFile - 1] = reinterpret_cast<plugin::HostEntry>(&View);
  }
  ~ViewerSpy() { plugin::HostImportTable[kPos_HostViewFile - 1] = entry_; }
  ViewerSpy(const ViewerSpy&) = delete;
  ViewerSpy& operator=(const ViewerSpy&) = delete;

  struct Seen {
    std::string path;
    bool existed;
  };
  const std::vector<Seen>& seen() const { return seen_; }

 private:
  static int View(const char* path, const char* options, int a, const char* title, int b, int c,
                  int d) {
    seen_.push_back({path, run_test::Exists(path)});
    return reinterpret_cast<HostViewFile_fn*>(original_)(path, options, a, title, b, c, d);
  }
  plugin::HostEntry entry_;
  static inline plugin::HostEntry original_ = nullptr;
  static inline std::vector<Seen> seen_;
};

TEST_F(Delivery, PreviewShowsTheTextAndPackingRemovesItAfterwards) {
  struct Case {
    const char* name;
    int sending;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {"packed", 1, {"VOSTRA.zip"}},
      {"not packed", 0, {"VOSTRA.TXT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunHost r;
    r.ImportFixture("invoices.json");
    WriteMailSettings(r, "Recipient=ksiegowa@example.com\n");
    r.WriteSettings("[ZantoriaMK]\nOpcje=3," + std::to_string(c.sending) + ",4,0,0\n");
    ViewerSpy viewer;

    testing::internal::CaptureStderr();
    r.Run();
    const std::string shown = testing::internal::GetCapturedStderr();

    ASSERT_EQ(viewer.seen().size(), 1u);
    EXPECT_EQ(viewer.seen()[0].path, r.ExportPath());
    EXPECT_TRUE(viewer.seen()[0].existed);
    EXPECT_NE(shown.find("Podgląd pliku: " + r.ExportPath() + "\n"), std::string::npos) << shown;
    EXPECT_EQ(r.ExportFolder(), c.left);
    EXPECT_TRUE(r.sink.Shown(run_test::Summary(5, 0)));
  }
}

TEST_F(Delivery, MailThroughSmtp) {
  testing_support::LocalSmtpServer server(h.test.dir);
  ASSERT_TRUE(server.error().empty()) << "the local SMTP server could not be started: "
                                      << server.error();
  WriteMailSettings(h, "Transport=smtp\nSmtpUrl=smtp://127.0.0.1:" +
                           std::to_string(server.port()) +
                           "\nSender=biuro@firma.pl\nRecipient=ksiegowa@example.com\n");
  Options(1, 0);
  h.Run();

  EXPECT_TRUE(h.sink.Shown(run_test::Summary(5, 0)));
  EXPECT_TRUE(UnmarkedAfterwards().empty());
  // The server saves the message once it is complete.
  const std::string eml = server.received() + "/message0.eml";
  for (int i = 0; i < 50 && !std::filesystem::exists(eml); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::string received = run_test::ReadBytes(eml);
  EXPECT_NE(received.find("Eksport danych ze Vostra Nova"), std::string::npos) << received;
  EXPECT_NE(received.find("VOSTRA.zip"), std::string::npos);
}

TEST_F(Delivery, SmtpServerNotThereLeavesTheDocumentsUnmarked) {
  WriteMailSettings(h, "Transport=smtp\nSmtpUrl=smtp://127.0.0.1:" +
                           std::to_string(testing_support::LocalSmtpServer::FreePort()) +
                           "\nSender=biuro@firma.pl\nRecipient=ksiegowa@example.com\n");
  Options(1, 0);
  h.Run();

  EXPECT_TRUE(run_test::Exists(Archive()));
  EXPECT_FALSE(h.sink.Shown(run_test::Summary(5, 0)));
  EXPECT_EQ(UnmarkedAfterwards(), kAllInvoices);
}

}  // namespace
