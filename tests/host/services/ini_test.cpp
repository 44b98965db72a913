// Settings files through HostIniAccess, and the reader's limits.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "format/codepage.h"
#include "frame/host_services.h"
#include "services/fault_injection.h"
#include "services/ini.h"
#include "test_host.h"

namespace {

using testing_support::TestHost;
constexpr const char* kFile = "WtyczkiG.ini";

std::int16_t Ini(int mode, const char* section, const char* key, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::int16_t status = HostIniAccess(kFile, mode, section, key, format, args);
  va_end(args);
  return status;
}

class IniTest : public ::testing::Test {
 protected:
  std::string Path() { return t.host().options.configDir + "/" + kFile; }
  std::string Contents() { return TestHost::ReadFile(Path()); }
  void Put(const std::string& bytes) {
    std::ofstream(Path(), std::ios::binary) << bytes;
  }
  TestHost t;
};

TEST_F(IniTest, MissingFileSectionOrKeyLeavesVariables) {
  char text[21] = "unchanged";
  std::int16_t number = 77;
  EXPECT_NE(Ini(8, "ZantoriaMK", "File", "%*s", 20, text), 0);  // no file
  Put("[ZantoriaMK]\nOpcje=1,2,3,4,5\n[Other]\nFile=x\n");
  EXPECT_NE(Ini(8, "ZantoriaMK", "File", "%*s", 20, text), 0);  // key in another section
  EXPECT_NE(Ini(8, "Missing", "Opcje", "%d", &number), 0);
  EXPECT_STREQ(text, "unchanged");
  EXPECT_EQ(number, 77);
}

TEST_F(IniTest, ValueThatDoesNotMatchFillsNothing) {
  Put("[S]\nTowar_1_0=12,abc\nOpcje=1,2,3\nBig=70000\n");
  std::int16_t a = 5, b = 6, c = 7;
  EXPECT_NE(Ini(8, "S", "Towar_1_0", "%d,%d", &a, &b), 0);
  EXPECT_EQ(a, 5);  // even the first number that did match is not stored
  EXPECT_EQ(b, 6);
  EXPECT_NE(Ini(8, "S", "Opcje", "%d,%d", &a, &b), 0);  // a value left over
  EXPECT_NE(Ini(8, "S", "Big", "%d", &c), 0);           // no 16-bit value
  EXPECT_EQ(a, 5);
  EXPECT_EQ(c, 7);
}

TEST_F(IniTest, TextIsCutToItsLength) {
  Put("[S]\nRejestr1=ABCDEFGHIJ\n");
  char text[16];
  std::memset(text, '#', sizeof text);
  ASSERT_EQ(Ini(8, "S", "Rejestr1", "%*s", 8, text), 0);
  EXPECT_STREQ(text, "ABCDEFGH");
  EXPECT_EQ(text[9], '#');
}

TEST_F(IniTest, WrittenValuesReadBackThroughTheMatchingFormat) {
  struct Case {
    const char* opis;
    int strona;
    const char* konto;
  };
  const Case cases[] = {
      {"Opis, z przecinkiem", 1, "701-1"},
      {"Sprzedaż", 1, "210-1-20"},
      {"", 0, ""},                    // a cleared row stays cleared
      {",,", 1, "a,b"},               // commas on both sides
      {"  odstęp  ", -1, " 200-1-K"},  // blanks kept, a negative side
  };
  int row = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.opis);
    std::string key = "Netto_1_" + std::to_string(row++);
    ASSERT_EQ(Ini(9, "DekrSchema_1", key.c_str(), "%s,%d,%s", c.opis, c.strona, c.konto), 0);
    char opis[41] = "x";
    std::int16_t strona = 99;
    char konto[21] = "x";
    ASSERT_EQ(Ini(8, "DekrSchema_1", key.c_str(), "%*s,%d,%*s", 40, opis, &strona, 20, konto), 0);
    EXPECT_STREQ(opis, c.opis);
    EXPECT_EQ(strona, c.strona);
    EXPECT_STREQ(konto, c.konto);
  }
}

TEST_F(IniTest, DescriptionWithCommasReadsWhole) {
  Put("[DekrSchema_2]\nNetto_3_5=Opis, z przecinkiem,1,701-1\n");
  char opis[41], konto[21];
  std::int16_t strona = 0;
  ASSERT_EQ(Ini(8, "DekrSchema_2", "Netto_3_5", "%*s,%d,%*s", 40, opis, &strona, 20, konto), 0);
  EXPECT_STREQ(opis, "Opis, z przecinkiem");
  EXPECT_EQ(strona, 1);
  EXPECT_STREQ(konto, "701-1");
}

TEST_F(IniTest, NumbersKeepTheirSign) {
  ASSERT_EQ(Ini(9, "S", "N", "%d", static_cast<std::int16_t>(-12)), 0);
  EXPECT_NE(Contents().find("N=-12\n"), std::string::npos);
  ASSERT_EQ(Ini(9, "S", "Opcje", "%d,%d,%d,%d,%d", 1, 0, -32768, 32767, 65535), 0);
  std::int16_t v[5] = {};
  ASSERT_EQ(Ini(8, "S", "Opcje", "%d,%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3], &v[4]), 0);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[2], -32768);
  EXPECT_EQ(v[3], 32767);
  EXPECT_EQ(v[4], -1);  // the 16 bits of an unsigned field written with "%d"
}

TEST_F(IniTest, DatesPairWithEmptyParts) {
  ASSERT_EQ(Ini(9, "ZantoriaMK", "Dates", "%s,%s", "", ""), 0);
  char from[9] = "x", to[9] = "x";
  ASSERT_EQ(Ini(8, "ZantoriaMK", "Dates", "%*s,%*s", 8, from, 8, to), 0);
  EXPECT_STREQ(from, "");
  EXPECT_STREQ(to, "");
  ASSERT_EQ(Ini(9, "ZantoriaMK", "Dates", "%s,%s", "20240301", "20240331"), 0);
  ASSERT_EQ(Ini(8, "ZantoriaMK", "Dates", "%*s,%*s", 8, from, 8, to), 0);
  EXPECT_STREQ(from, "20240301");
  EXPECT_STREQ(to, "20240331");
}

TEST_F(IniTest, WriteChangesOnlyItsLine) {
  Put("; ustawienia\r\n[ZantoriaMK]\r\nopcje=0,0,0,0,0\r\nFile=a.txt\r\n\r\n[DekrSchema_1]\r\nRejestr1=SPRZ\r\n");
  ASSERT_EQ(Ini(9, "zantoriamk", "Opcje", "%d,%d,%d,%d,%d", 1, 2, 3, 4, 0), 0);
  ASSERT_EQ(Ini(9, "ZantoriaMK", "Dates", "%s,%s", "20240101", "20240131"), 0);
  ASSERT_EQ(Ini(9, "DekrSchema_3", "Rejestr1", "%s", "EKSP"), 0);
  EXPECT_EQ(Contents(),
            "; ustawienia\r\n[ZantoriaMK]\r\nopcje=1,2,3,4,0\r\nFile=a.txt\r\nDates=20240101,20240131\r\n"
            "\r\n[DekrSchema_1]\r\nRejestr1=SPRZ\r\n\r\n[DekrSchema_3]\r\nRejestr1=EKSP\r\n");
}

TEST_F(IniTest, ValueIsEverythingAfterTheFirstEquals) {
  Put("[S]\n  Key = a=b \n");
  char text[32];
  ASSERT_EQ(Ini(8, "S", "Key", "%*s", 31, text), 0);
  EXPECT_STREQ(text, " a=b ");
}

TEST_F(IniTest, MazoviaBytesAreStoredAsTheyAre) {
  ASSERT_EQ(Ini(9, "DekrSchema_1", "Vat_1", "%s,%d,%s", "Sprzedaż"_mz, 1, "210-1-20"), 0);
  EXPECT_NE(Contents().find(std::string("Vat_1=") + "Sprzedaż"_mz + ",1,210-1-20"), std::string::npos);
}

TEST_F(IniTest, LineBreakInValueIsRefusedAndFileKept) {
  Put("[S]\nA=1\n");
  EXPECT_NE(Ini(9, "S", "B", "%s", "two\nlines"), 0);
  EXPECT_NE(Ini(9, "S", "B", "%s", "cr\rhere"), 0);
  EXPECT_NE(Ini(9, "S", "B\n[X]", "%s", "v"), 0);  // nor may a key smuggle in a section
  EXPECT_EQ(Contents(), "[S]\nA=1\n");
}

TEST_F(IniTest, UnsafeRequestsAreRefused) {
  char text[8];
  Put("[S]\nA=1\n");
  EXPECT_NE(Ini(8, "S", "A", "%s", text), 0);    // no length: the buffer size is unknown
  EXPECT_NE(Ini(9, "S", "A", "%n", &text), 0);   // never writes through a pointer
  EXPECT_NE(Ini(7, "S", "A", "%d", 1), 0);       // unknown mode
  va_list none{};
  EXPECT_NE(HostIniAccess("../escape.ini", 9, "S", "A", "x", none), 0);
  EXPECT_FALSE(std::filesystem::exists(t.dir + "/escape.ini"));
}

TEST_F(IniTest, FileBeyondTheLimitsIsAnErrorAndNotRewritten) {
  std::string longLine = "[S]\nA=" + std::string(5000, 'x') + "\n";
  Put(longLine);
  char text[8] = "keep";
  EXPECT_NE(Ini(8, "S", "A", "%*s", 7, text), 0);
  EXPECT_NE(Ini(9, "S", "B", "%s", "v"), 0);
  EXPECT_EQ(Contents(), longLine);
  EXPECT_STREQ(text, "keep");
  Put(std::string("[S]\nA=1\0\n", 10));
  EXPECT_NE(Ini(8, "S", "A", "%*s", 7, text), 0);
}

TEST_F(IniTest, FailedWriteLeavesTheOldFileWhole) {
  Put("[ZantoriaMK]\nFile=old.txt\n");
  ::chmod(Path().c_str(), 0640);
  host::services::FailWriteAfter(1);
  EXPECT_NE(Ini(9, "ZantoriaMK", "File", "%s", "new.txt"), 0);
  EXPECT_TRUE(host::services::WriteFaultFired());
  host::services::ClearWriteFault();
  EXPECT_EQ(Contents(), "[ZantoriaMK]\nFile=old.txt\n");
  // No temporary file is left behind.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(t.host().options.configDir))
    files += entry.path().filename().string().rfind("WtyczkiG.ini", 0) == 0;
  EXPECT_EQ(files, 1);
  // The next write works and keeps the file's permissions.
  ASSERT_EQ(Ini(9, "ZantoriaMK", "File", "%s", "new.txt"), 0);
  EXPECT_EQ(Contents(), "[ZantoriaMK]\nFile=new.txt\n");
  struct stat st {};
  ASSERT_EQ(::stat(Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniScan, LongestTextThatLeavesTheRestMatching) {
  struct Case {
    const char* value;
    const char* format;
    const char* first;
    int number;
    const char* second;
  };
  const Case cases[] = {
      {"a,b,1,c", "%*s,%d,%*s", "a,b", 1, "c"},
      {"a,1,b,c", "%*s,%d,%*s", "a", 1, "b,c"},
      {"a,1,2,c", "%*s,%d,%*s", "a,1", 2, "c"},
      {",-7,", "%*s,%d,%*s", "", -7, ""},
      {"x, 3,y", "%*s,%d,%*s", "x", 3, "y"},  // blanks before a number, as scanf takes them
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    char first[16], second[16];
    std::int16_t number = 0;
    using host::services::IniTarget;
    std::vector<IniTarget> targets(3);
    targets[0] = {IniTarget::Kind::kText, nullptr, first, 15};
    targets[1] = {IniTarget::Kind::kInt16, &number, nullptr, 0};
    targets[2] = {IniTarget::Kind::kText, nullptr, second, 15};
    ASSERT_EQ(host::services::ScanIniValue(c.value, c.format, targets), host::services::kIniDone);
    EXPECT_STREQ(first, c.first);
    EXPECT_EQ(number, c.number);
    EXPECT_STREQ(second, c.second);
  }
}

}  // namespace

namespace {

// A golden settings file, corrupted one byte at a time: each version is either taken, and
// then a write of one key reads back while every other key keeps its value, or refused as a
// whole.
TEST(IniDocumentSweep, EveryCorruptedByteIsTakenOrRefusedCleanly) {
  using host::services::IniDocument;
  using host::services::IniLimits;
  const std::string golden =
      "; ustawienia\r\n[ZantoriaMK]\r\nOpcje=1,0,4,0,2\r\nDates=20240301,20240331\r\n"
      "File=/tmp/VOSTRA.TXT\r\n\r\n[DekrSchema_1]\r\nNetto_1_0=Opis, z przecinkiem,1,701-1\r\n";
  IniLimits limits;
  limits.maxLineBytes = 64;
  const char replacements[] = {'\0', '\n', '\r', '=', '[', ']', ';', ' ', 'x', '\xA7'};
  int taken = 0, refused = 0;
  for (std::size_t at = 0; at < golden.size(); ++at) {
    for (char r : replacements) {
      std::string bytes = golden;
      bytes[at] = r;
      SCOPED_TRACE("byte " + std::to_string(at) + " = " + std::to_string(static_cast<unsigned char>(r)));
      IniDocument doc;
      std::string error;
      if (!IniDocument::Parse(bytes, limits, &doc, &error)) {
        EXPECT_FALSE(error.empty());
        ++refused;
        continue;
      }
      ++taken;
      auto datesBefore = doc.Get("ZantoriaMK", "Dates");
      doc.Set("ZantoriaMK", "File", "C:\\EXPORT\\VOSTRA.TXT");
      IniDocument again;
      ASSERT_TRUE(IniDocument::Parse(doc.Serialize(), IniLimits{}, &again, nullptr));
      EXPECT_EQ(again.Get("ZantoriaMK", "File"), std::optional<std::string>("C:\\EXPORT\\VOSTRA.TXT"));
      EXPECT_EQ(again.Get("ZantoriaMK", "Dates"), datesBefore);
    }
  }
  EXPECT_GT(refused, 0);  // the NUL bytes at least
  EXPECT_GT(taken, refused);
}

}  // namespace
