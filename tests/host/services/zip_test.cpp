// HostZipFiles makes archives that unzip accepts, with the entry names it promises.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "format/codepage.h"
#include "frame/host_services.h"
#include "test_host.h"

namespace {

using testing_support::TestHost;
namespace fs = std::filesystem;

// Runs a command; its standard output, and its exit status in *status.
std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) {
    *status = -1;
    return out;
  }
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  int raw = ::pclose(pipe);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

class ZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exportDir = t.host().options.exportDir;
    fs::create_directories(exportDir + "/sub");
    std::ofstream(exportDir + "/sub/VOSTRA.TXT", std::ios::binary) << "INFO{\r\n}\r\n";
    testing::internal::CaptureStderr();
  }
  void TearDown() override { testing::internal::GetCapturedStderr(); }
  TestHost t;
  std::string exportDir;
};

TEST_F(ZipTest, EntryNamesAreRelativeToTheBaseFolderThatHoldsThem) {
  struct Case {
    const char* name;
    std::string base;
    std::string entry;
  };
  const Case cases[] = {
      {"base is the file's folder", exportDir + "/sub", "VOSTRA.TXT"},
      {"base holds the folder", exportDir, "sub/VOSTRA.TXT"},
      {"base is the configured file name itself", exportDir + "/sub/VOSTRA.TXT", "VOSTRA.TXT"},
      {"base elsewhere", "/nonexistent/folder", "VOSTRA.TXT"},
      {"base empty", "", "VOSTRA.TXT"},
  };
  std::string file = exportDir + "/sub/VOSTRA.TXT";
  const char* files[] = {file.c_str(), nullptr};
  std::string archive = exportDir + "/sub/VOSTRA.zip";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(HostZipFiles(archive.c_str(), c.base.c_str(), files), 0);
    int status = 0;
    std::string test = RunCommand("unzip -t '" + archive + "'", &status);
    EXPECT_EQ(status, 0) << test;
    std::string names = RunCommand("unzip -Z1 '" + archive + "'", &status);
    EXPECT_EQ(names, c.entry + "\n");
    std::string content = RunCommand("unzip -p '" + archive + "'", &status);
    EXPECT_EQ(content, "INFO{\r\n}\r\n");
  }
}

TEST_F(ZipTest, MazoviaPathsAreTakenAsUtf8) {
  fs::create_directories(exportDir + "/Łódź");
  std::ofstream(exportDir + "/Łódź/Wynik.txt") << "x";
  std::string file = exportDir + "/" + "Łódź"_mz + "/Wynik.txt";
  std::string archive = exportDir + "/" + "Łódź"_mz + "/Wynik.zip";
  const char* files[] = {file.c_str(), nullptr};
  ASSERT_EQ(HostZipFiles(archive.c_str(), exportDir.c_str(), files), 0);
  int status = 0;
  EXPECT_EQ(RunCommand("unzip -Z1 '" + exportDir + "/Łódź/Wynik.zip'", &status), "Łódź/Wynik.txt\n");
  EXPECT_EQ(status, 0);
}

TEST_F(ZipTest, FailuresLeaveNoArchive) {
  std::string file = exportDir + "/sub/VOSTRA.TXT";
  std::string missing = exportDir + "/sub/none.txt";
  const char* withMissing[] = {file.c_str(), missing.c_str(), nullptr};
  std::string archive = exportDir + "/sub/out.zip";
  EXPECT_NE(HostZipFiles(archive.c_str(), "", withMissing), 0);
  EXPECT_FALSE(fs::exists(archive));

  // An archive named as the packed file (a path without a dot) must not replace it.
  const char* self[] = {file.c_str(), nullptr};
  EXPECT_NE(HostZipFiles(file.c_str(), "", self), 0);
  EXPECT_EQ(TestHost::ReadFile(file), "INFO{\r\n}\r\n");

  const char* none[] = {nullptr};
  EXPECT_NE(HostZipFiles(archive.c_str(), "", none), 0);
  EXPECT_NE(HostZipFiles((exportDir + "/no/such/dir/a.zip").c_str(), "", self), 0);
}

}  // namespace
