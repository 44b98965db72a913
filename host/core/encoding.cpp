#include "core/encoding.h"

#include <array>

#include "format/codepage.h"

namespace host {

namespace {

// Unicode characters of the 256 bytes of an 8-bit code page (-1: none).
using ByteTable = std::array<std::int32_t, 256>;

constexpr ByteTable MakeTable(std::int32_t (*toUnicode)(unsigned char)) {
  ByteTable table{};
  for (int b = 0; b < 256; ++b) table[b] = toUnicode(static_cast<unsigned char>(b));
  return table;
}
constexpr ByteTable kMazovia = MakeTable(codepage::MazoviaToUnicode);
constexpr ByteTable kWindows1250 = MakeTable(codepage::Windows1250ToUnicode);

const ByteTable* TableOf(int codePage) {
  if (codePage == 1) return &kMazovia;
  if (codePage == 3) return &kWindows1250;
  return nullptr;
}

int ByteOf(int codePage, std::int32_t cp) {
  return codePage == 1 ? codepage::UnicodeToMazovia(cp) : codepage::UnicodeToWindows1250(cp);
}

// Byte-to-byte tables between the two 8-bit code pages (-1: no such character in the target).
using ByteMap = std::array<std::int16_t, 256>;

constexpr ByteMap MakeByteMap(const ByteTable& from, int (*toByte)(std::int32_t)) {
  ByteMap map{};
  for (int b = 0; b < 256; ++b) map[b] = static_cast<std::int16_t>(from[b] < 0 ? -1 : toByte(from[b]));
  return map;
}
constexpr ByteMap kMazoviaTo1250 = MakeByteMap(kMazovia, codepage::UnicodeToWindows1250);
constexpr ByteMap k1250ToMazovia = MakeByteMap(kWindows1250, codepage::UnicodeToMazovia);

bool Fail(std::size_t* badOffset, std::size_t at) {
  if (badOffset) *badOffset = at;
  return false;
}

}  // namespace

bool ConvertCodePage(std::string_view text, int from, int to, std::string& out,
                     std::size_t* badOffset) {
  out.clear();
  // Between the two 8-bit code pages every byte maps to one byte: a table does it.
  if ((from == 1 && to == 3) || (from == 3 && to == 1)) {
    const ByteMap& map = from == 1 ? kMazoviaTo1250 : k1250ToMazovia;
    out.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::int16_t b = map[static_cast<unsigned char>(text[i])];
      if (b < 0) {
        out.clear();
        return Fail(badOffset, i);
      }
      out[i] = static_cast<char>(b);
    }
    return true;
  }
  const bool fromUtf8 = from == 5;
  const bool toUtf8 = to == 5;
  const ByteTable* fromTable = TableOf(from);
  if ((!fromUtf8 && !fromTable) || (!toUtf8 && !TableOf(to))) return Fail(badOffset, 0);
  out.reserve(text.size() + text.size() / 4);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t at = i;
    std::int32_t cp;
    if (fromUtf8) {
      cp = codepage::DecodeUtf8(text.data(), text.size(), i);
    } else {
      cp = (*fromTable)[static_cast<unsigned char>(text[i])];
      ++i;
    }
    if (cp < 0) return Fail(badOffset, at);
    if (toUtf8) {
      char bytes[4];
      out.append(bytes, static_cast<std::size_t>(codepage::EncodeUtf8(cp, bytes)));
    } else {
      int b = ByteOf(to, cp);
      if (b < 0) return Fail(badOffset, at);
      out.push_back(static_cast<char>(b));
    }
  }
  return true;
}

std::string MazoviaToUtf8(std::string_view mazovia) {
  std::string out;
  ConvertCodePage(mazovia, 1, 5, out);
  return out;
}

bool Utf8ToMazovia(std::string_view utf8, std::string& out, std::size_t* badOffset) {
  return ConvertCodePage(utf8, 5, 1, out, badOffset);
}

bool MazoviaToWindows1250(std::string_view mazovia, std::string& out, std::size_t* badOffset) {
  return ConvertCodePage(mazovia, 1, 3, out, badOffset);
}

bool Windows1250ToMazovia(std::string_view cp1250, std::string& out, std::size_t* badOffset) {
  return ConvertCodePage(cp1250, 3, 1, out, badOffset);
}

}  // namespace host
