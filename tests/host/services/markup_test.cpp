// The markup of message and dialog texts: plain rendering and the structured form.
#include <gtest/gtest.h>

#include <string>

#include "format/codepage.h"
#include "services/markup.h"

namespace {

using host::services::MarkupTabStop;
using host::services::ParseMarkup;
using host::services::RenderMarkupPlain;

std::string Blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

TEST(Markup, RendersPlain) {
  struct Case {
    const char* name;
    std::string mazovia;
    std::string utf8;
  };
  const Case cases[] = {
      {"load report header, left stops",
       "\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n",
       "TABELA" + Blanks(12) + "WE WTYCZCE" + Blanks(5) + "W PROGRAMIE\n"},
      {"load report row, right stops", "\x01tp25p40\x01Tspr\t1469\t1400\n",
       "Tspr" + Blanks(17) + "1469" + Blanks(11) + "1400\n"},
      {"summary: stops hold for the next line, definition ends at the first letter",
       std::string("\x01tp40") + "Ilość dok. sprzedaży:\t12\nIlość korekt sprzed:\t3\n"_mz,
       "Ilość dok. sprzedaży:" + Blanks(17) + "12\nIlość korekt sprzed:" + Blanks(19) + "3\n"},
      {"emphasis dropped, no final line feed",
       std::string("\nModuł \x02"_mz) + "ExportZantoriaV3Towary\x01\nNIE zostanie załadowany!"_mz,
       "\nModuł ExportZantoriaV3Towary\nNIE zostanie załadowany!"},
      {"key highlight", "\x05" "F12\x01 OK", "F12 OK"},
      {"centred single line", std::string("\x01" "c\x01") + "Dzień/Mies\x05+\x01"_mz, "Dzień/Mies+"},
      {"centred in the widest line", "abcdefghij\n\x01" "c\x01" "ab", "abcdefghij\n    ab"},
      {"tab without stops", "a\tb\tc", "a" + Blanks(7) + "b" + Blanks(7) + "c"},
      {"tab past the last stop", "\x01tl4\x01" "abcdef\tg\th", "abcdef g h"},
      {"control bytes never reach the terminal", "a\x1b[31mb\r\n", "a[31mb\n"},
      {"0x01 before a plain t is a reset", "\x02" "A\x01tekst", "Atekst"},
      {"right stop too close takes one blank", "\x01tp5\x01" "abcd\tlong", "abcd long"},
      {"empty", "", ""},
      {"markup after the last line feed starts no line", "a\n\x02\x01", "a\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RenderMarkupPlain(c.mazovia), c.utf8);
  }
}

TEST(Markup, StructuredFormForTheScreen) {
  auto lines = ParseMarkup("\x02" "F2\x01 Og\xA2lne\n\x01tl18p40\x01" "A\tB\n\x01" "c\x01" "C");
  ASSERT_EQ(lines.size(), 3u);

  ASSERT_EQ(lines[0].runs.size(), 2u);
  EXPECT_EQ(lines[0].runs[0].text, "F2");
  EXPECT_EQ(lines[0].runs[0].attribute, 2);
  EXPECT_EQ(lines[0].runs[1].text, " Og\xA2lne");
  EXPECT_EQ(lines[0].runs[1].attribute, 0);
  EXPECT_TRUE(lines[0].tabStops.empty());
  EXPECT_EQ(lines[0].centreFrom, -1);

  ASSERT_EQ(lines[1].runs.size(), 3u);
  EXPECT_TRUE(lines[1].runs[1].tab);
  std::vector<MarkupTabStop> stops = {{18, false}, {40, true}};
  EXPECT_EQ(lines[1].tabStops, stops);

  EXPECT_EQ(lines[2].tabStops, stops);  // a definition holds until the next one
  EXPECT_EQ(lines[2].centreFrom, 0);
  ASSERT_EQ(lines[2].runs.size(), 1u);
  EXPECT_EQ(lines[2].runs[0].text, "C");
}

TEST(Markup, HugeColumnsAreCapped) {
  auto lines = ParseMarkup("\x01tl99999999999\x01" "a\tb");
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].tabStops.size(), 1u);
  EXPECT_EQ(lines[0].tabStops[0].column, 255);
  EXPECT_EQ(RenderMarkupPlain("\x01tl99999999999\x01" "a\tb").size(), 256u);
}

}  // namespace
