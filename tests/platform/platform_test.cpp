#include "platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "format/codepage.h"

namespace {

TEST(Platform, FindsLoadedHostModuleAndItsOrdinals) {
  platform::ModuleHandle tovran = platform::FindLoadedModule("TOVRAN");
  ASSERT_NE(tovran, nullptr);
  auto* word = static_cast<const std::uint32_t*>(platform::LookupOrdinal(tovran, 22980));
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(*word, 256u);
  EXPECT_EQ(platform::LookupOrdinal(tovran, 1), nullptr);
}

TEST(Platform, UnknownModuleIsNotFound) {
  EXPECT_EQ(platform::FindLoadedModule("NO_SUCH_MODULE"), nullptr);
}

TEST(Platform, FormatShortStopsAt1024Characters) {
  char out[1100];
  std::memset(out, 'x', sizeof out);
  std::string long_text(2000, 'a');
  EXPECT_EQ(platform::FormatShort(out, "%s", long_text.c_str()), 1024);
  EXPECT_EQ(std::strlen(out), 1024u);
}

TEST(Platform, RaiseExceptionThrowsTheCode) {
  try {
    platform::RaiseException(0xC0000005u, 0, 0, nullptr);
    FAIL();
  } catch (const platform::SE_Exception& e) {
    EXPECT_EQ(e.code(), 0xC0000005u);
  }
}

TEST(CodePage, PolishLettersMapBothWays) {
  struct Case { const char* utf8; unsigned char mazovia; unsigned char cp1250; };
  const Case cases[] = {
      {"Ą", 0x8F, 0xA5}, {"ą", 0x86, 0xB9}, {"Ć", 0x95, 0xC6}, {"ć", 0x8D, 0xE6},
      {"Ę", 0x90, 0xCA}, {"ę", 0x91, 0xEA}, {"Ł", 0x9C, 0xA3}, {"ł", 0x92, 0xB3},
      {"Ń", 0xA5, 0xD1}, {"ń", 0xA4, 0xF1}, {"Ó", 0xA3, 0xD3}, {"ó", 0xA2, 0xF3},
      {"Ś", 0x98, 0x8C}, {"ś", 0x9E, 0x9C}, {"Ź", 0xA0, 0x8F}, {"ź", 0xA6, 0x9F},
      {"Ż", 0xA1, 0xAF}, {"ż", 0xA7, 0xBF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::size_t i = 0;
    std::int32_t cp = codepage::DecodeUtf8(c.utf8, std::strlen(c.utf8), i);
    EXPECT_EQ(codepage::UnicodeToMazovia(cp), c.mazovia);
    EXPECT_EQ(codepage::UnicodeToWindows1250(cp), c.cp1250);
    EXPECT_EQ(codepage::MazoviaToUnicode(c.mazovia), cp);
  }
}

TEST(CodePage, LiteralsAreConvertedAtCompileTime) {
  constexpr const char* text = "Błąd\x01"_mz;
  EXPECT_STREQ(text, "B\x92\x86" "d\x01");
}

TEST(CodePage, MalformedUtf8IsRefused) {
  const char bad[] = "\xC5";
  std::size_t i = 0;
  EXPECT_EQ(codepage::DecodeUtf8(bad, 1, i), -1);
  EXPECT_EQ(i, 1u);
}

}  // namespace

namespace {

int FunctionOfTheProgram() { return 1; }

TEST(Platform, ModulesAreFoundByTheirAddresses) {
  platform::ModuleHandle tovran = platform::FindLoadedModule("TOVRAN");
  void* word = platform::LookupOrdinal(tovran, 22980);
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(platform::ModuleOfAddress(word), tovran);

  char path[512];
  std::size_t n = platform::ModulePathOfAddress(word, path, sizeof path);
  EXPECT_EQ(n, std::strlen(path));
  EXPECT_EQ(std::string(path).substr(n - 10), "/TOVRAN.so") << path;

  // The program itself has no export directory of its own: the one the loader would find
  // through it belongs to TOVRAN and must not count as the program's.
  platform::ModuleHandle program =
      platform::ModuleOfAddress(reinterpret_cast<void*>(&FunctionOfTheProgram));
  ASSERT_NE(program, nullptr);
  EXPECT_NE(program, tovran);
  EXPECT_EQ(platform::LookupOrdinal(program, 22980), nullptr);
  EXPECT_EQ(platform::LookupOrdinal(nullptr, 22980), nullptr);

  char own[4096];
  char self[4096];
  ASSERT_GT(platform::ModulePathOfAddress(reinterpret_cast<void*>(&FunctionOfTheProgram), own,
                                          sizeof own), 0u);
  ASSERT_GT(platform::ExecutablePath(self, sizeof self), 0u);
  EXPECT_STREQ(own, self);
}

TEST(Platform, PathsAreNeverCutShort) {
  char path[4096];
  std::size_t n = platform::ExecutablePath(path, sizeof path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::string(path).substr(n - 14), "/test_platform") << path;

  char small[8];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(platform::ExecutablePath(small, sizeof small), 0u);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(platform::ExecutablePath(small, 0), 0u);
}

}  // namespace
