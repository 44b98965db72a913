#include "format/address.h"

#include <cstring>

#include "format/fields.h"

namespace plugin {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsStreetMarker(const char* at) {
  const char a = LowerAscii(at[0]), b = LowerAscii(at[1]);
  return at[2] == '.' && ((a == 'u' && b == 'l') || (a == 'o' && b == 's'));
}

// Copies text[from, to) into out (256 bytes); the range is already inside the text.
void CopyRange(char* out, const char* text, int from, int to) {
  int n = to - from;
  if (n < 0) n = 0;
  if (n > kTextMax) n = kTextMax;
  std::memcpy(out, text + from, static_cast<std::size_t>(n));
  out[n] = 0;
}

}  // namespace

void SplitAddressLine(const char* text, AddressParts* parts) {
  std::memset(parts, 0, sizeof *parts);
  // Zero padding past the copy lets the pattern tests look seven characters ahead safely.
  char a[kTextSize + 8] = {};
  HostStrCopyN(a, text ? text : "", kTextMax);
  const int length = static_cast<int>(std::strlen(a));

  int p = -1, c = -1, s = -1;
  for (int i = 0; i <= length; ++i) {
    if (IsDigit(a[i]) && IsDigit(a[i + 1]) && a[i + 2] == '-' && IsDigit(a[i + 3]) &&
        IsDigit(a[i + 4]) && IsDigit(a[i + 5]) && !IsDigit(a[i + 6])) {
      p = i;
      c = i + 7;
    }
    if (a[i] != 0 && a[i + 1] != 0 && IsStreetMarker(a + i)) s = i;
  }
  if (c > 0 && c > length) c = -1;
  if (s == -1) {
    if (p == 0) s = 25;
    else if (p > 0) s = 0;
  }

  if (p < c && c < s) {
    // Postal code, city, street. A line shorter than the street's position ends the city at
    // its own end: nothing past the terminator is taken.
    CopyRange(parts->postalCode, a, p, p + 6);
    CopyRange(parts->city, a, c, s < length ? s : length);
    if (s < length) CopyRange(parts->street, a, s, length);
  } else if (s < p && p < c) {
    // Street, postal code, city.
    CopyRange(parts->postalCode, a, p, p + 6);
    CopyRange(parts->city, a, c, length);
    CopyRange(parts->street, a, s, p);
  } else if (s == -1 && p == -1 && c == -1) {
    CopyRange(parts->city, a, 0, length);
  }
  HostTrimText(parts->city);
  HostTrimText(parts->postalCode);
  HostTrimText(parts->street);
}

void SplitAddress(const char* text, AddressParts* parts) {
  SplitAddressLine(text, parts);
  char* street = parts->street;

  char upper[64] = {};
  HostStrCopyN(upper, street, 63);
  HostUpperText(upper);
  if (std::strstr(upper, "UL.") != nullptr) {
    std::size_t skip = std::strlen(street) < 3 ? std::strlen(street) : 3;
    while (street[skip] == ' ') ++skip;
    std::memmove(street, street + skip, std::strlen(street + skip) + 1);
  }

  // From the end: each blank, apostrophe or slash ends a piece; keep the last two pieces.
  char pieces[2][kTextSize] = {};
  int found = 0;
  int i = static_cast<int>(std::strlen(street)) - 1;
  while (i >= 0 && found < 2) {
    const char ch = street[i];
    if (ch == ' ' || ch == '\'' || ch == '/') {
      CopyText(pieces[found], street + i + 1);
      street[i] = 0;
      int end = i - 1;
      while (end >= 0 && street[end] == ' ') street[end--] = 0;
      i = end;
      ++found;
      continue;
    }
    --i;
  }
  if (pieces[0][0] != 0 && pieces[1][0] == 0) {
    std::memcpy(pieces[1], pieces[0], sizeof pieces[1]);
    pieces[0][0] = 0;
  }
  std::memcpy(parts->house, pieces[1], sizeof parts->house);
  std::memcpy(parts->flat, pieces[0], sizeof parts->flat);

  HostNormalizeText(parts->street);
  HostNormalizeText(parts->city);
  HostTrimText(parts->postalCode);
  HostTrimText(parts->house);
  HostTrimText(parts->flat);
}

}  // namespace plugin
