// Texts, numbers and dates of the host functions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "format/codepage.h"
#include "frame/host_services.h"
#include "test_host.h"

namespace {

using testing_support::TestHost;

TEST(HostText, CopyNeverWritesPastNPlusOne) {
  struct Case {
    const char* text;
    int n;
    const char* expected;
  };
  const Case cases[] = {
      {"Netto", 40, "Netto"},
      {"abcdefghij", 8, "abcdefgh"},
      {"abc", 0, ""},
      {"abc", -5, ""},
      {"", 10, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " n=" + std::to_string(c.n));
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(HostStrCopyN(out, c.text, c.n), out);
    EXPECT_STREQ(out, c.expected);
    std::size_t used = std::strlen(c.expected) + 1;
    for (std::size_t i = used; i < sizeof out; ++i) EXPECT_EQ(out[i], '#') << "byte " << i;
  }
}

TEST(HostText, AppendStaysWithinItsBuffer) {
  struct Case {
    const char* start;
    int size;
    const char* suffix;
    const char* expected;
  };
  const Case cases[] = {
      {"Netto", 41, " - cat8%", "Netto - cat8%"},
      {"Netto", 10, " - najem23%", "Netto - n"},  // 9 characters and the terminator
      {"Netto", 6, "X", "Netto"},                 // already full
      {"", 4, "abcdef", "abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    std::strcpy(buffer, c.start);
    HostStrAppendN(buffer, c.size, c.suffix, 0);
    EXPECT_STREQ(buffer, c.expected);
    for (std::size_t i = static_cast<std::size_t>(c.size); i < sizeof buffer; ++i)
      ASSERT_EQ(buffer[i], '#') << "byte " << i;
  }
  // A buffer that holds no terminator within its size is cut, not overrun.
  char unterminated[8];
  std::memset(unterminated, 'x', sizeof unterminated);
  HostStrAppendN(unterminated, 8, "yy", 0);
  EXPECT_EQ(std::strlen(unterminated), 7u);
}

TEST(HostText, CompareAsStrncmp) {
  EXPECT_EQ(HostStrCompareN("Netto", "Netto", 0x7FFFFFFF), 0);
  EXPECT_LT(HostStrCompareN("Netto", "Netto - x", 0x7FFFFFFF), 0);
  EXPECT_EQ(HostStrCompareN("Netto", "Netto - x", 5), 0);
  EXPECT_GT(HostStrCompareN("b", "a", 1), 0);
  EXPECT_NE(HostStrCompareN("netto", "Netto", 10), 0);  // case matters
}

TEST(HostText, TrimUpperAndDashes) {
  struct Case {
    char* (*fn)(char*);
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {HostTrimText, "  Warszawa \t", "Warszawa"},
      {HostTrimText, "\t \t", ""},
      {HostTrimText, "a b", "a b"},
      {HostNormalizeText, "   Firma Sp. z o.o.  ", "Firma Sp. z o.o."},
      {HostUpperText, "ul. Długa"_mz, "UL. DŁUGA"_mz},
      {HostUpperText, "ąćęłńóśźż"_mz, "ĄĆĘŁŃÓŚŹŻ"_mz},
      {HostUpperText, "äöüç 1-2"_mz, "ÄÖÜÇ 1-2"_mz},
      {HostRemoveDashes, "12-345-678-9", "123456789"},
      {HostRemoveDashes, "---", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    char buffer[64];
    std::strcpy(buffer, c.in);
    EXPECT_EQ(c.fn(buffer), buffer);
    EXPECT_STREQ(buffer, c.out);
  }
}

TEST(HostText, ConvertTextBetweenCodePages) {
  char out[32];
  // Mazovia to UTF-8; outSize counts bytes with the terminator.
  EXPECT_EQ(HostConvertText(out, sizeof out, "Łódź"_mz, -1, 1, 5), 7);
  EXPECT_STREQ(out, "Łódź");
  EXPECT_EQ(HostConvertText(out, sizeof out, "Łódź"_mz, 2, 1, 5), 4);  // only "Łó"
  EXPECT_STREQ(out, "Łó");
  EXPECT_EQ(HostConvertText(out, sizeof out, "Łódź", -1, 5, 3), 4);
  EXPECT_STREQ(out, "\xA3\xF3\x64\x9F");
  // Too small: nothing cut, an empty text and -1.
  EXPECT_EQ(HostConvertText(out, 7, "Łódź"_mz, -1, 1, 5), -1);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(HostConvertText(out, 8, "Łódź"_mz, -1, 1, 5), 7);
  // A character the target cannot hold, an unknown code page.
  EXPECT_EQ(HostConvertText(out, sizeof out, "\xB3", -1, 1, 3), -1);  // box drawing
  EXPECT_EQ(HostConvertText(out, sizeof out, "abc", -1, 1, 7), -1);
}

TEST(HostNumbers, RoundToNearestMultipleHalvesAwayFromZero) {
  struct Case {
    double value;
    int step;
    double expected;
  };
  const Case cases[] = {
      {166.5, 100, 200.0},   {150.0, 100, 200.0},  {149.9, 100, 100.0}, {-150.0, 100, -200.0},
      {-149.0, 100, -100.0}, {2.5, 1, 3.0},        {-2.5, 1, -3.0},     {0.4, 1, 0.0},
      {12345.0, 0, 12345.0}, {1234567.0, 10000, 1230000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " step " + std::to_string(c.step));
    EXPECT_DOUBLE_EQ(HostRound(c.value, c.step), c.expected);
    EXPECT_EQ(HostRoundToLong(c.value, c.step), static_cast<std::int32_t>(c.expected));
  }
  EXPECT_EQ(HostRoundToLong(1e12, 1), INT32_MAX);
  EXPECT_EQ(HostRoundToLong(-1e12, 1), INT32_MIN);
  EXPECT_EQ(HostRoundToLong(std::nan(""), 1), 0);
}

TEST(HostDates, TodayComesFromTheHostOptions) {
  TestHost t("20240215");
  char date[9] = "";
  EXPECT_STREQ(HostGetToday(date), "20240215");
}

TEST(HostDates, TodayWithoutOptionIsTheClock) {
  TestHost t("");
  char date[9] = "";
  HostGetToday(date);
  ASSERT_EQ(std::strlen(date), 8u);
  EXPECT_EQ(date[0], '2');  // a year of this millennium
  char formatted[11];
  EXPECT_STRNE(HostFormatDate(formatted, date), "          ");
}

TEST(HostDates, FormatDate) {
  struct Case {
    const char* date;
    const char* expected;
  };
  const Case cases[] = {
      {"20240307", "07.03.2024"}, {"", "          "},         {"2024030", "          "},
      {"20240230", "          "}, {"20240229", "29.02.2024"}, {"abcdefgh", "          "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    char out[16];
    std::memset(out, '#', sizeof out);
    EXPECT_STREQ(HostFormatDate(out, c.date), c.expected);
    EXPECT_EQ(out[11], '#');
  }
  char out[11];
  EXPECT_STREQ(HostFormatDate(out, nullptr), "          ");
}

TEST(HostDates, ComposeAddAndDerive) {
  TestHost t("20240215");
  struct Compose {
    int y, m, d;
    const char* expected;
  };
  const Compose composes[] = {
      {2024, 3, 1, "20240301"}, {2024, 13, 1, "20250101"}, {2024, 0, 1, "20231201"},
      {2024, 3, 0, "20240229"}, {2023, 2, 29, "20230301"}, {10000, 1, 1, ""},
  };
  for (const Compose& c : composes) {
    SCOPED_TRACE(c.expected);
    char date[9] = "xxxxxxxx";
    HostDateCompose(date, c.y, c.m, c.d, 0);
    EXPECT_STREQ(date, c.expected);
  }

  struct Add {
    const char* date;
    int days;
    const char* expected;
  };
  const Add adds[] = {
      {"20240301", -1, "20240229"}, {"20230301", -1, "20230228"}, {"20241231", 1, "20250101"},
      {"20240115", 365, "20250114"}, {"", 5, ""},
  };
  for (const Add& a : adds) {
    SCOPED_TRACE(a.date);
    char date[9];
    std::strcpy(date, a.date);
    HostDateAddDays(date, a.days);
    EXPECT_STREQ(date, a.expected);
  }

  struct Derive {
    const char* to;
    const char* expected;
  };
  const Derive derives[] = {
      {"20240315", "20240201"}, {"20240131", "20231201"}, {"", "20240101"},  // today's month
  };
  for (const Derive& d : derives) {
    SCOPED_TRACE(d.to);
    char from[9] = "";
    HostDeriveDate(d.to, from, 0);
    EXPECT_STREQ(from, d.expected);
  }
}

TEST(HostDates, CompareInTextOrderWithEmptyFirst) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {
      {"20240301", "20240301", 0}, {"20240301", "20240302", -1}, {"20250101", "20241231", 1},
      {"", "20240101", -1},        {"20240101", "", 1},          {"", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    int r = HostDateCompare(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign);
  }
}

TEST(HostDates, ParseBuildDate) {
  struct Case {
    const char* text;
    int day, month, year;
  };
  const Case cases[] = {
      {"Mar  5 2024", 5, 3, 2024},
      {"Dec 31 1999", 31, 12, 1999},
      {"Jan 10 2026", 10, 1, 2026},
      {"Foo  5 2024", 0, 0, 0},
      {"Mar 5 2024", 0, 0, 0},
      {"", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::int32_t packed = HostParseBuildDate(c.text);
    EXPECT_EQ(packed & 0xFF, c.day);
    EXPECT_EQ((packed >> 8) & 0xFF, c.month);
    EXPECT_EQ(packed >> 16, c.year);
  }
}

}  // namespace
