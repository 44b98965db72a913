// The host's 8-bit code pages and the compile-time conversion of the module's texts.
//
// Mazovia (the Polish DOS code page) is the code page of every text inside the plug-in and of
// every exchange with the host; Windows-1250 is the code page of the finished export file.
// Bytes 0x00-0x7F are ASCII in both. The tables give the Unicode character of each byte from
// 0x80 to 0xFF; 0 marks a byte that Windows-1250 leaves undefined.
//
// Polish texts in the source stay readable: "Błąd"_mz is the Mazovia form of the UTF-8
// literal, converted at compile time; a character that Mazovia cannot hold stops the build.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace codepage {

inline constexpr char16_t kMazoviaHigh[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x0105, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x0107, 0x00C4, 0x0104,  // 0x88
    0x0118, 0x0119, 0x0142, 0x00F4, 0x00F6, 0x0106, 0x00FB, 0x00F9,  // 0x90
    0x015A, 0x00D6, 0x00DC, 0x00A2, 0x0141, 0x00A5, 0x015B, 0x0192,  // 0x98
    0x0179, 0x017B, 0x00F3, 0x00D3, 0x0144, 0x0143, 0x017A, 0x017C,  // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // 0xA8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // 0xC8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // 0xD8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // 0xE8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // 0xF8
};

inline constexpr char16_t kWindows1250High[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 0x88
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // 0xF8
};

// Unicode character of a byte, or -1 where the code page defines none.
constexpr std::int32_t MazoviaToUnicode(unsigned char byte) {
  return byte < 0x80 ? byte : kMazoviaHigh[byte - 0x80];
}
constexpr std::int32_t Windows1250ToUnicode(unsigned char byte) {
  if (byte < 0x80) return byte;
  return kWindows1250High[byte - 0x80] ? kWindows1250High[byte - 0x80] : -1;
}

// Byte of a Unicode character, or -1 where the code page has none.
constexpr int UnicodeToMazovia(std::int32_t cp) {
  if (cp >= 0 && cp < 0x80) return cp;
  for (int i = 0; i < 128; ++i)
    if (kMazoviaHigh[i] == cp) return 0x80 + i;
  return -1;
}
constexpr int UnicodeToWindows1250(std::int32_t cp) {
  if (cp >= 0 && cp < 0x80) return cp;
  for (int i = 0; i < 128; ++i)
    if (kWindows1250High[i] != 0 && kWindows1250High[i] == cp) return 0x80 + i;
  return -1;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns -1 for a malformed sequence.
constexpr std::int32_t DecodeUtf8(const char* text, std::size_t size, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || lead > 0xF4 || i + extra >= size) {
    ++i;
    return -1;
  }
  std::int32_t cp = lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= size || (byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return -1;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  const std::int32_t smallest = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
  if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return -1;
  }
  i += extra + 1;
  return cp;
}

// Encodes cp as UTF-8 into out (at least 4 bytes); returns the number of bytes.
constexpr int EncodeUtf8(std::int32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

// --- Compile-time literals --------------------------------------------------------------------

template <std::size_t N>
struct Utf8Literal {
  char text[N];
  consteval Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
  }
};

template <std::size_t N>
consteval std::array<char, N> ToMazovia(const char (&utf8)[N]) {
  std::array<char, N> out{};
  std::size_t o = 0;
  std::size_t i = 0;
  while (i < N - 1) {
    std::int32_t cp = DecodeUtf8(utf8, N - 1, i);
    if (cp < 0) throw "malformed UTF-8 in a module text";
    int b = UnicodeToMazovia(cp);
    if (b < 0) throw "a character of a module text has no place in the Mazovia code page";
    out[o++] = static_cast<char>(b);
  }
  return out;
}

template <Utf8Literal S>
struct MazoviaText {
  static constexpr std::array<char, sizeof(S.text)> value = ToMazovia(S.text);
};

}  // namespace codepage

// "Błąd"_mz: the Mazovia bytes of a UTF-8 literal, NUL-terminated, in static storage.
template <codepage::Utf8Literal S>
constexpr const char* operator""_mz() {
  return codepage::MazoviaText<S>::value.data();
}
