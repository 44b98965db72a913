// The program vostra as a user runs it, in child processes over a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "process_support.h"

namespace app_test {
namespace {

const std::string kBin = VOSTRA_BINARY_DIR;

class ProgramTest : public ::testing::Test {
 protected:
  ProcessResult Vostra(std::vector<std::string> args) {
    std::vector<std::string> argv = {kBin + "/bin/vostra", "--db", work.path + "/data/vostra.db",
                                     "--config-dir", work.path + "/config", "--export-dir",
                                     work.path + "/out"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::filesystem::create_directories(work.path + "/out");
    return app_test::Run(argv, {}, work.path);
  }
  TempDir work;
};

TEST_F(ProgramTest, CommandsAnswerWithTheirStatusAndAPolishMessage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* stream;  // "out" or "err"
    const char* text;
  };
  const Case cases[] = {
      {{"--help"}, 0, "out", "Użycie: vostra"},
      {{"--bogus", "plugins"}, 2, "err", "Nieznana opcja: --bogus"},
      {{"--today", "2024-02-30", "plugins"}, 2, "err", "Niepoprawna data"},
      {{"eksportuj"}, 2, "err", "nieznane polecenie \"eksportuj\""},
      {{"plugins", "x"}, 2, "err", "nie przyjmuje argumentów"},
      {{"run"}, 2, "err", "wymaga jednej nazwy"},
      {{"run", "Nie ma takiego"}, 1, "err", "nie ma polecenia \"Nie ma takiego\""},
      {{"run", "€"}, 2, "err", "spoza polskiego zestawu znaków"},
      {{"plugins"}, 0, "out", "ExportZantoriaV3Towary.so: załadowana"},
      {{}, 2, "err", "wymaga terminala"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    ProcessResult r = Vostra(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::string& stream = std::string(c.stream) == "out" ? r.out : r.err;
    EXPECT_NE(stream.find(c.text), std::string::npos) << stream;
  }
}

TEST_F(ProgramTest, InstallNoticeIsPrintedOnceOnAFreshMachine) {
  ProcessResult first = Vostra({"plugins"});
  ProcessResult second = Vostra({"plugins"});
  EXPECT_NE(first.err.find("Zainstalowano wtyczkę do programu:"), std::string::npos) << first.err;
  EXPECT_EQ(second.err.find("Zainstalowano wtyczkę"), std::string::npos) << second.err;
  EXPECT_NE(ReadAll(work.path + "/config/WtyczkiG.ini").find("Pytaj=1"), std::string::npos);
}

TEST_F(ProgramTest, InstallNoticeFollowsTheStoredAnswer) {
  struct Case {
    const char* stored;
    bool shown;
  };
  const Case cases[] = {{"0", true}, {"1", false}, {"-1", false}, {"65536", true}, {"abc", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    std::filesystem::create_directories(work.path + "/config");
    std::FILE* ini = std::fopen((work.path + "/config/WtyczkiG.ini").c_str(), "wb");
    ASSERT_NE(ini, nullptr);
    std::fprintf(ini, "[EksportZantoriaTowary]\nPytaj=%s\n", c.stored);
    std::fclose(ini);
    ProcessResult r = Vostra({"plugins"});
    EXPECT_EQ(r.err.find("Zainstalowano wtyczkę") != std::string::npos, c.shown) << r.err;
  }
}

TEST_F(ProgramTest, UnattendedExportSaysWhereTheFileWent) {
  // The database in the export folder, as the demo has it.
  ASSERT_EQ(Vostra({"--db", work.path + "/out/vostra.db", "db", "sample"}).status, 0);
  ProcessResult r = Vostra({"--db", work.path + "/out/vostra.db", "--unattended", "run",
                            "Eksport Zantoria 3.0 (towary)"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string file = work.path + "/out/VOSTRA.TXT";
  EXPECT_NE(r.err.find("Zapisano plik: " + file), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("vostra.db"), std::string::npos) << r.err;  // the host's own files
  EXPECT_NE(r.err.find("Ilość dok. sprzedaży:"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace app_test
