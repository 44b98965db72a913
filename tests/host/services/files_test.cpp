// Paths, files in text mode, write failures, holders and the in-place recode.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/encoding.h"
#include "format/codepage.h"
#include "frame/host_services.h"
#include "services/fault_injection.h"
#include "test_host.h"

namespace {

using testing_support::TestHost;
namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  std::string Export(const std::string& name) { return t.host().options.exportDir + "/" + name; }
  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // Messages for the user go to standard error; keep them out of the test's output.
  void SetUp() override { testing::internal::CaptureStderr(); }
  void TearDown() override { stderrText = testing::internal::GetCapturedStderr(); }
  std::string stderrText;
  TestHost t;
};

TEST_F(FilesTest, DefaultPathIsInTheExportFolder) {
  char out[256];
  EXPECT_EQ(HostDefaultPath(out, "VOSTRA.TXT"), out);
  EXPECT_EQ(std::string(out), Export("VOSTRA.TXT"));
}

TEST_F(FilesTest, DefaultPathOfARelativeExportFolderHasNoDotSteps) {
  t.host().options.exportDir = t.dir + "/export/./sub/..";
  char out[256];
  HostDefaultPath(out, "VOSTRA.TXT");
  EXPECT_EQ(std::string(out), t.dir + "/export/VOSTRA.TXT");
}

TEST_F(FilesTest, DefaultPathIsNeverCutShort) {
  t.host().options.exportDir = "/" + std::string(300, 'd');
  char out[256];
  HostDefaultPath(out, "VOSTRA.TXT");
  EXPECT_STREQ(out, "VOSTRA.TXT");  // the bare name, which the path functions take there
}

TEST_F(FilesTest, ExpandPath) {
  ::setenv("VOSTRA_TEST_DIR", "/tmp/vostra-x", 1);
  ::unsetenv("VOSTRA_TEST_UNSET");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  struct Case {
    std::string in;
    int size;
    int status;
    std::string out;  // UTF-8
  };
  const Case cases[] = {
      {"VOSTRA.TXT", 258, 0, Export("VOSTRA.TXT")},
      {"sub\\VOSTRA.TXT", 258, 0, Export("sub/VOSTRA.TXT")},
      {"/abs/plik.txt", 258, 0, "/abs/plik.txt"},
      {"$VOSTRA_TEST_DIR/a.txt", 258, 0, "/tmp/vostra-x/a.txt"},
      {"${VOSTRA_TEST_DIR}b/a.txt", 258, 0, "/tmp/vostra-xb/a.txt"},
      {"~/a.txt", 258, home.empty() ? 1 : 0, home.empty() ? "~/a.txt" : home + "/a.txt"},
      {"cost$5.txt", 258, 0, Export("cost$5.txt")},
      {"Łódź.txt", 258, 0, Export("Łódź.txt")},
      {"$VOSTRA_TEST_UNSET/a.txt", 258, 1, "$VOSTRA_TEST_UNSET/a.txt"},
      {"${VOSTRA_TEST_DIR/a.txt", 258, 1, "${VOSTRA_TEST_DIR/a.txt"},
      {"/abs/plik.txt", 14, 0, "/abs/plik.txt"},
      {"/abs/plik.txt", 13, 1, ""},  // not terminated within the buffer: untouched
      {"VOSTRA.TXT", 20, 1, "VOSTRA.TXT"},  // the absolute path would not fit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in + " size " + std::to_string(c.size));
    char path[300];
    std::string mazovia;
    ASSERT_TRUE(host::Utf8ToMazovia(c.in, mazovia));
    std::memcpy(path, mazovia.c_str(), mazovia.size() + 1);
    EXPECT_EQ(HostExpandPath(path, c.size), c.status);
    if (c.size > static_cast<int>(mazovia.size())) {
      EXPECT_EQ(host::MazoviaToUtf8(path), c.out);
    }
  }
}

TEST_F(FilesTest, PreparePathCreatesMissingFolders) {
  std::string path = Export("a/b/c/VOSTRA.TXT");
  EXPECT_EQ(HostPreparePath(path.c_str()), 0);
  EXPECT_TRUE(fs::is_directory(Export("a/b/c")));
  EXPECT_EQ(HostPreparePath("rel/x.txt"), 0);  // relative: in the export folder
  EXPECT_TRUE(fs::is_directory(Export("rel")));
  Put(Export("file"), "x");
  std::string blocked = Export("file/x.txt");
  EXPECT_NE(HostPreparePath(blocked.c_str()), 0);
}

TEST_F(FilesTest, TextModeWritesCrLf) {
  HostFile* file = HostFileOpen("out.txt", "wt", 0x40, 0, -1, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(HostFilePrintf(file, "INFO{\n\t\tNazwa =%s\n", "Vostra"), 22);  // counted before CR LF
  EXPECT_EQ(HostFilePrintf(file, "%d}\n\n", 7), 4);
  EXPECT_EQ(HostFileClose(file), 0);
  EXPECT_EQ(TestHost::ReadFile(Export("out.txt")), "INFO{\r\n\t\tNazwa =Vostra\r\n7}\r\n\r\n");

  file = HostFileOpen("bin.txt", "wb", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  HostFilePrintf(file, "a\nb");
  EXPECT_EQ(HostFileClose(file), 0);
  EXPECT_EQ(TestHost::ReadFile(Export("bin.txt")), "a\nb");
}

TEST_F(FilesTest, LongWriteIsNotCut) {
  HostFile* file = HostFileOpen("long.txt", "wt", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  std::string text(5000, 'x');
  EXPECT_EQ(HostFilePrintf(file, "%s\n", text.c_str()), 5001);
  EXPECT_EQ(HostFileClose(file), 0);
  EXPECT_EQ(TestHost::ReadFile(Export("long.txt")), text + "\r\n");
}

TEST_F(FilesTest, OpenRefusesWhatItCannotDo) {
  EXPECT_EQ(HostFileOpen("missing/dir/x.txt", "wt", 0, 0, 0, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(HostFileOpen("nothing.txt", "rt", 0, 0, 0, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(HostFileOpen("x.txt", "q", 0, 0, 0, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(HostFileOpen("x.txt", "wz", 0, 0, 0, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(HostFileOpen("", "wt", 0, 0, 0, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(HostFilePrintf(nullptr, "x"), -1);
  EXPECT_NE(HostFileClose(nullptr), 0);
}

TEST_F(FilesTest, InjectedFaultOnTheNthWriteIsReportedAtClose) {
  // n = 1, 2: a HostFilePrintf fails; n = 3: the flush of the close fails; n = 4: no fault.
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE("fault at write " + std::to_string(n));
    HostFile* file = HostFileOpen("fault.txt", "wt", 0, 0, 0, 0, 0, 0, 0);
    ASSERT_NE(file, nullptr);
    host::services::FailWriteAfter(n);
    int first = HostFilePrintf(file, "one\n");
    int second = HostFilePrintf(file, "two\n");
    int closed = HostFileClose(file);
    bool fired = host::services::WriteFaultFired();
    host::services::ClearWriteFault();
    EXPECT_EQ(first, n == 1 ? -1 : 4);
    EXPECT_EQ(second, n <= 2 ? -1 : 4);  // after a failure nothing more is written
    EXPECT_EQ(closed == 0, n == 4);
    EXPECT_EQ(fired, n < 4);
    if (n == 2) {
      EXPECT_EQ(TestHost::ReadFile(Export("fault.txt")), "one\r\n");
    }
  }
}

TEST_F(FilesTest, NonPersistentFaultFailsOneWriteOnly) {
  HostFile* file = HostFileOpen("one.txt", "wt", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  host::services::FailWriteAfter(1, /*persistent=*/false);
  EXPECT_EQ(HostFilePrintf(file, "a"), -1);
  EXPECT_EQ(HostFileClose(file), -1);  // the file remembers its failure
  file = HostFileOpen("two.txt", "wt", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(HostFilePrintf(file, "b"), 1);
  EXPECT_EQ(HostFileClose(file), 0);
  host::services::ClearWriteFault();
}

TEST_F(FilesTest, FullDeviceIsReportedAtClose) {
  if (!fs::exists("/dev/full")) GTEST_FAIL() << "/dev/full is missing on this machine";
  HostFile* file = HostFileOpen("/dev/full", "wt", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(HostFilePrintf(file, "small\n"), 6);  // buffered: the device is reached later
  EXPECT_NE(HostFileClose(file), 0);
}

TEST_F(FilesTest, FailedCloseTellsTheUser) {
  HostFile* file = HostFileOpen("told.txt", "wt", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  host::services::FailWriteAfter(1);
  HostFilePrintf(file, "x\n");
  host::services::ClearWriteFault();
  std::string before = testing::internal::GetCapturedStderr();
  testing::internal::CaptureStderr();
  EXPECT_NE(HostFileClose(file), 0);
  std::string told = testing::internal::GetCapturedStderr();
  testing::internal::CaptureStderr();
  EXPECT_NE(told.find("told.txt"), std::string::npos) << told;
  EXPECT_NE(told.find("No space left on device"), std::string::npos) << told;
}

TEST_F(FilesTest, HolderDestroyClosesAFileStillHeld) {
  HostFileHolder holder;
  HostFile* file = HostFileOpen("held.txt", "wt", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  HostFileHolderInit(&holder, file);
  HostFilePrintf(file, "kept\n");
  HostFileHolderDestroy(&holder);  // closes and flushes
  EXPECT_EQ(TestHost::ReadFile(Export("held.txt")), "kept\r\n");

  // Released: the file belongs to the caller and the holder's end leaves it open.
  file = HostFileOpen("released.txt", "wt", 0, 0, 0, 0, 0, 0, 0);
  HostFileHolderInit(&holder, file);
  EXPECT_EQ(HostFileHolderRelease(&holder), file);
  EXPECT_EQ(HostFileHolderRelease(&holder), nullptr);
  HostFileHolderDestroy(&holder);
  EXPECT_EQ(HostFilePrintf(file, "still open\n"), 11);
  EXPECT_EQ(HostFileClose(file), 0);

  HostFileHolderInit(&holder, nullptr);  // a failed open: nothing to close
  HostFileHolderDestroy(&holder);
}

TEST_F(FilesTest, RecodeInPlaceToWindows1250KeepsCrLf) {
  // Written in Mazovia through text mode, as the export does, then recoded in place.
  HostFile* file = HostFileOpen("VOSTRA.TXT", "wt", 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(file, nullptr);
  HostFilePrintf(file, "%s\n%s\n", "Zażółć gęślą jaźń"_mz, "ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_mz);
  ASSERT_EQ(HostFileClose(file), 0);
  ::chmod(Export("VOSTRA.TXT").c_str(), 0640);
  ASSERT_EQ(HostRecodeFile("VOSTRA.TXT", "VOSTRA.TXT", 1, 3), 0);
  std::string bytes = TestHost::ReadFile(Export("VOSTRA.TXT"));
  std::string back;
  ASSERT_TRUE(host::ConvertCodePage(bytes, 3, 5, back));
  EXPECT_EQ(back, "Zażółć gęślą jaźń\r\nZAŻÓŁĆ GĘŚLĄ JAŹŃ\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(Export("VOSTRA.TXT").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(t.host().options.exportDir), fs::directory_iterator()), 1);
}

TEST_F(FilesTest, RecodeOfALargeUtf8FileAcrossBlocks) {
  // Two-byte characters straddle the 64 KiB reading blocks.
  std::string utf8;
  for (int i = 0; i < 50000; ++i) utf8 += "aż";
  Put(Export("big.txt"), utf8);
  ASSERT_EQ(HostRecodeFile("big.txt", "big1250.txt", 5, 3), 0);
  std::string back;
  ASSERT_TRUE(host::ConvertCodePage(TestHost::ReadFile(Export("big1250.txt")), 3, 5, back));
  EXPECT_EQ(back, utf8);
}

TEST_F(FilesTest, RecodeFailureLeavesTheOldFileWhole) {
  struct Case {
    const char* name;
    std::string content;
    int fault;  // 0: none
  };
  const Case cases[] = {
      {"a byte Windows-1250 cannot hold", std::string("Tabela \xB3 ramka\r\n"), 0},
      {"disk full at the first block", "Sprzeda\xA7\r\n", 1},
      {"disk full at the final flush", "Sprzeda\xA7\r\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put(Export("VOSTRA.TXT"), c.content);
    if (c.fault) host::services::FailWriteAfter(c.fault);
    EXPECT_NE(HostRecodeFile("VOSTRA.TXT", "VOSTRA.TXT", 1, 3), 0);
    host::services::ClearWriteFault();
    EXPECT_EQ(TestHost::ReadFile(Export("VOSTRA.TXT")), c.content);
    EXPECT_EQ(std::distance(fs::directory_iterator(t.host().options.exportDir), fs::directory_iterator()), 1);
  }
  EXPECT_NE(HostRecodeFile("missing.txt", "missing.txt", 1, 3), 0);
  EXPECT_NE(HostRecodeFile("VOSTRA.TXT", "VOSTRA.TXT", 1, 9), 0);
}

TEST_F(FilesTest, AllocAndFree) {
  void* block = HostAlloc(8);
  ASSERT_NE(block, nullptr);
  std::memset(block, 0, 8);
  HostFree(block);
  HostFree(nullptr);
}

}  // namespace
