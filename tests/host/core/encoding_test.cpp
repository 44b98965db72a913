// Conversions between the host's code pages.
#include "core/encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "format/codepage.h"

namespace {

// Every Mazovia byte that Windows-1250 holds goes there and back unchanged, both through the
// direct byte path and through UTF-8; a byte it does not hold stops at its offset.
TEST(Encoding, EightBitPagesAgreeWithTheUnicodeRoute) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const std::string one(1, static_cast<char>(b));
    std::string direct;
    std::size_t bad = 99;
    const bool held = host::ConvertCodePage("ab" + one, 1, 3, direct, &bad);
    std::string utf8, viaUnicode;
    ASSERT_TRUE(host::ConvertCodePage(one, 1, 5, utf8));
    const bool heldViaUnicode = host::ConvertCodePage(utf8, 5, 3, viaUnicode);
    EXPECT_EQ(held, heldViaUnicode);
    if (held) {
      EXPECT_EQ(direct, "ab" + viaUnicode);
      std::string back;
      ASSERT_TRUE(host::ConvertCodePage(direct, 3, 1, back));
      EXPECT_EQ(back, "ab" + one);
    } else {
      EXPECT_EQ(bad, 2u);
      EXPECT_TRUE(direct.empty());
    }
  }
}

TEST(Encoding, PolishTextToWindows1250) {
  std::string out;
  ASSERT_TRUE(host::MazoviaToWindows1250("Zażółć gęślą jaźń"_mz, out));
  EXPECT_EQ(out, "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1");
}

}  // namespace
