#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "format/address.h"
#include "writer_fixture.h"

namespace {

using writer_test::Mz;

struct Case {
  const char* line;
  const char* street;
  const char* house;
  const char* flat;
  const char* postalCode;
  const char* city;
};

TEST(SplitAddress, ArrangesTheHostLayoutsAndFreeForm) {
  testing_support::TestHost host;
  const Case cases[] = {
      // postal code and city first, street from position 25
      {"00-950 Warszawa          ul. Długa 5/12", "Długa", "5", "12", "00-950", "Warszawa"},
      {"00-950 Warszawa          Długa 5/12", "Długa", "5", "12", "00-950", "Warszawa"},
      // a line that ends before position 25 has a city and no street
      {"00-950 Warszawa", "", "", "", "00-950", "Warszawa"},
      // street first
      {"ul. Długa 5 00-950 Warszawa", "Długa", "5", "", "00-950", "Warszawa"},
      {"UL. Polna 3 00-001 Warszawa", "Polna", "3", "", "00-001", "Warszawa"},
      {"Rynek 1, 30-001 Kraków", "Rynek", "1,", "", "30-001", "Kraków"},
      // "os." marks the street but stays in it; an apostrophe separates like a slash
      {"os. Tysiąclecia 12'4 40-001 Katowice", "os. Tysiąclecia", "12", "4", "40-001",
       "Katowice"},
      // only the last two separated words are taken off the street
      {"00-001 Warszawa          Aleje Jerozolimskie 5", "Aleje", "Jerozolimskie", "5", "00-001",
       "Warszawa"},
      // a city alone
      {"Kraków", "", "", "", "", "Kraków"},
      {"", "", "", "", "", ""},
      // a postal code without a city cannot be arranged
      {"ul. Długa 5 00-950", "", "", "", "", ""},
      // a street marker without a postal code cannot be arranged either
      {"ul. Długa 5", "", "", "", "", ""},
      // a postal code followed by a further digit is not one
      {"00-9501 Warszawa", "", "", "", "", "00-9501 Warszawa"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    plugin::AddressParts parts;
    plugin::SplitAddress(Mz(c.line).c_str(), &parts);
    EXPECT_EQ(host::MazoviaToUtf8(parts.street), c.street);
    EXPECT_EQ(host::MazoviaToUtf8(parts.house), c.house);
    EXPECT_EQ(host::MazoviaToUtf8(parts.flat), c.flat);
    EXPECT_EQ(host::MazoviaToUtf8(parts.postalCode), c.postalCode);
    EXPECT_EQ(host::MazoviaToUtf8(parts.city), c.city);
  }
}

TEST(SplitAddress, FirstStageKeepsTheWholeStreet) {
  testing_support::TestHost host;
  plugin::AddressParts parts;
  plugin::SplitAddressLine(Mz("00-950 Warszawa          ul. Długa 5/12").c_str(), &parts);
  EXPECT_EQ(host::MazoviaToUtf8(parts.street), "ul. Długa 5/12");
  EXPECT_EQ(std::string(parts.postalCode), "00-950");
  EXPECT_EQ(std::string(parts.city), "Warszawa");
  EXPECT_EQ(parts.house[0], 0);
  EXPECT_EQ(parts.flat[0], 0);
}

TEST(SplitAddress, ReadsAtMost255CharactersOfALongLine) {
  testing_support::TestHost host;
  // 300 characters without a terminator inside the first 255: only those are looked at, so the
  // postal code beyond them is not found and the line is taken as a city cut to 255.
  std::string line(290, 'x');
  line += " 00-950 Warszawa";
  plugin::AddressParts parts;
  plugin::SplitAddress(line.c_str(), &parts);
  EXPECT_EQ(std::string(parts.city), std::string(255, 'x'));
  EXPECT_EQ(parts.postalCode[0], 0);
}

TEST(SplitAddress, AnyLineGivesBoundedPieces) {
  // Lines built from the characters the splitter looks at, at every length up to past the 255
  // it reads: every piece comes back terminated within its buffer (ASan watches the reads).
  testing_support::TestHost host;
  const char alphabet[] = "0123456789- /'ulsoULSO.xK";
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int n = 0; n < 3000; ++n) {
    std::string line(next() % 300, ' ');
    for (char& c : line) c = alphabet[next() % (sizeof alphabet - 1)];
    if (n % 3 == 0 && line.size() > 40) line.replace(next() % 30, 7, "00-950 ");
    plugin::AddressParts parts;
    std::memset(&parts, 'Z', sizeof parts);
    plugin::SplitAddress(line.c_str(), &parts);
    for (const char* piece : {parts.street, parts.house, parts.flat, parts.postalCode, parts.city})
      ASSERT_LT(strnlen(piece, 256), 256u) << line;
    EXPECT_LE(std::strlen(parts.postalCode), 6u) << line;
  }
}

}  // namespace
