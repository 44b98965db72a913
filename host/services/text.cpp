// Texts, numbers and dates of the host functions.
#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "core/encoding.h"
#include "core/host.h"
#include "format/codepage.h"
#include "frame/host_services.h"

namespace {

// --- Texts --------------------------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Upper case of every Mazovia byte: ASCII letters and the letters whose capital Mazovia holds
// (the Polish ones among them).
constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> table{};
  for (int b = 0; b < 256; ++b) table[b] = static_cast<unsigned char>(b);
  for (int b = 'a'; b <= 'z'; ++b) table[b] = static_cast<unsigned char>(b - 'a' + 'A');
  constexpr std::int32_t kPairs[][2] = {
      {0x0105, 0x0104}, {0x0107, 0x0106}, {0x0119, 0x0118}, {0x0142, 0x0141}, {0x0144, 0x0143},
      {0x00F3, 0x00D3}, {0x015B, 0x015A}, {0x017A, 0x0179}, {0x017C, 0x017B}, {0x00E4, 0x00C4},
      {0x00F6, 0x00D6}, {0x00FC, 0x00DC}, {0x00E7, 0x00C7}, {0x00E9, 0x00C9},
  };
  for (const auto& pair : kPairs) {
    int lower = codepage::UnicodeToMazovia(pair[0]);
    int upper = codepage::UnicodeToMazovia(pair[1]);
    if (lower >= 0 && upper >= 0) table[lower] = static_cast<unsigned char>(upper);
  }
  return table;
}
constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

// --- Dates --------------------------------------------------------------------------------

// Days since 1970-01-01 of a civil date and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2);
}

unsigned DaysInMonth(std::int64_t y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// A HostDate as year, month and day; false unless it holds eight digits of a real date.
bool ParseDate(const char* date, std::int64_t* y, unsigned* m, unsigned* d) {
  if (!date) return false;
  int v[8];
  for (int i = 0; i < 8; ++i) {
    if (date[i] < '0' || date[i] > '9') return false;
    v[i] = date[i] - '0';
  }
  *y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
  *m = static_cast<unsigned>(v[4] * 10 + v[5]);
  *d = static_cast<unsigned>(v[6] * 10 + v[7]);
  return *y >= 1 && *m >= 1 && *m <= 12 && *d >= 1 && *d <= DaysInMonth(*y, *m);
}

// Writes the date of a day number; an empty date when the year leaves 1..9999.
void WriteDays(char* date, std::int64_t days) {
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, &y, &m, &d);
  if (y < 1 || y > 9999) {
    date[0] = '\0';
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(y), m % 100, d % 100);
  std::memcpy(date, text, 9);
}

void WriteToday(char* date) {
  const host::Host* host = host::Current();
  if (host && host->options.today.size() == 8) {
    std::memcpy(date, host->options.today.c_str(), 9);
    return;
  }
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02d%02d", (local.tm_year + 1900) % 10000,
                (local.tm_mon + 1) % 100, local.tm_mday % 100);
  std::memcpy(date, text, 9);
}

double RoundToStep(double value, int step) {
  if (!std::isfinite(value)) return value;
  if (step <= 0) step = 1;
  return std::round(value / step) * step;  // std::round: halves away from zero
}

}  // namespace

extern "C" char* HostStrCopyN(char* out, const char* text, int n) {
  // At most n characters and always a terminator: the target holds n + 1 bytes.
  if (!out) return out;
  std::size_t limit = n > 0 ? static_cast<std::size_t>(n) : 0;
  std::size_t length = text ? ::strnlen(text, limit) : 0;
  if (length) std::memmove(out, text, length);
  out[length] = '\0';
  return out;
}

extern "C" char* HostStrAppendN(char* text, int size, const char* suffix, int) {
  // The whole text, terminator included, stays within `size` bytes.
  if (!text || size <= 0) return text;
  std::size_t room = static_cast<std::size_t>(size);
  std::size_t length = ::strnlen(text, room);
  if (length == room) {
    text[room - 1] = '\0';  // an unterminated buffer is cut rather than overrun
    return text;
  }
  if (!suffix) return text;
  std::size_t add = ::strnlen(suffix, room - 1 - length);
  std::memmove(text + length, suffix, add);
  text[length + add] = '\0';
  return text;
}

extern "C" int HostStrCompareN(const char* a, const char* b, int n) {
  if (n <= 0) return 0;
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  int r = std::strncmp(a, b, static_cast<std::size_t>(n));
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

extern "C" char* HostTrimText(char* text) {
  if (!text) return text;
  std::size_t length = std::strlen(text);
  std::size_t start = 0;
  while (start < length && IsBlank(text[start])) ++start;
  while (length > start && IsBlank(text[length - 1])) --length;
  std::memmove(text, text + start, length - start);
  text[length - start] = '\0';
  return text;
}

extern "C" char* HostNormalizeText(char* text) { return HostTrimText(text); }

extern "C" char* HostUpperText(char* text) {
  if (!text) return text;
  for (char* p = text; *p; ++p) *p = static_cast<char>(kUpper[static_cast<unsigned char>(*p)]);
  return text;
}

extern "C" char* HostRemoveDashes(char* text) {
  if (!text) return text;
  char* to = text;
  for (const char* from = text; *from; ++from)
    if (*from != '-') *to++ = *from;
  *to = '\0';
  return text;
}

extern "C" int HostConvertText(char* out, int outSize, const char* text, int length,
                               int fromCodePage, int toCodePage) {
  // outSize counts bytes, the terminator included. The result is the number of bytes
  // written before the terminator, or -1 (with an empty text where there is room) when the
  // code pages are unknown, a character has no place in the target or the text does not fit:
  // a converted text is never cut.
  if (!out || outSize <= 0) return -1;
  out[0] = '\0';
  if (!text) return -1;
  std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  std::string converted;
  if (!host::ConvertCodePage(std::string_view(text, n), fromCodePage, toCodePage, converted))
    return -1;
  if (converted.size() + 1 > static_cast<std::size_t>(outSize)) return -1;
  std::memcpy(out, converted.data(), converted.size());
  out[converted.size()] = '\0';
  return static_cast<int>(converted.size());
}

extern "C" double HostRound(double value, int step) { return RoundToStep(value, step); }

extern "C" std::int32_t HostRoundToLong(double value, int step) {
  double r = RoundToStep(value, step);
  if (std::isnan(r)) return 0;
  if (r >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  if (r <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  return static_cast<std::int32_t>(r);
}

// --- Dates --------------------------------------------------------------------------------

extern "C" char* HostGetToday(char* date) {
  if (date) WriteToday(date);
  return date;
}

extern "C" char* HostFormatDate(char* out, const char* date) {
  // `out` holds at least 11 bytes. An empty or unreadable date gives ten blanks.
  if (!out) return out;
  std::int64_t y;
  unsigned m, d;
  if (ParseDate(date, &y, &m, &d)) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u.%02u.%04d", d % 100, m % 100, static_cast<int>(y));
    std::memcpy(out, text, 11);
  } else {
    std::memcpy(out, "          ", 11);
  }
  return out;
}

extern "C" void HostDateCompose(char* date, int year, int month, int day, int) {
  // Values out of range are carried over as a calendar does: month 13 is January of the next
  // year, day 0 the last day of the month before.
  if (!date) return;
  std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
  std::int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
  m0 -= (y - year) * 12;
  if (y < 1 || y > 9999) {
    date[0] = '\0';
    return;
  }
  WriteDays(date, DaysFromCivil(y, static_cast<unsigned>(m0 + 1), 1) + (static_cast<std::int64_t>(day) - 1));
}

extern "C" void HostDateAddDays(char* date, int days) {
  // An empty or unreadable date stays as it is.
  std::int64_t y;
  unsigned m, d;
  if (!ParseDate(date, &y, &m, &d)) return;
  WriteDays(date, DaysFromCivil(y, m, d) + days);
}

extern "C" int HostDateCompare(const char* a, const char* b) {
  // Text order of the eight digits; an empty (or null) date sorts first.
  const char* x = a ? a : "";
  const char* y = b ? b : "";
  int r = std::strncmp(x, y, 8);
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

extern "C" void HostDeriveDate(const char* to, char* from, int) {
  // The first day of the month before the month of `to`; today's month when `to` is empty.
  if (!from) return;
  std::int64_t y;
  unsigned m, d;
  char today[9];
  if (!ParseDate(to, &y, &m, &d)) {
    WriteToday(today);
    if (!ParseDate(today, &y, &m, &d)) {
      from[0] = '\0';
      return;
    }
  }
  HostDateCompose(from, static_cast<int>(y), static_cast<int>(m) - 1, 1, 0);
}

extern "C" std::int32_t HostParseBuildDate(const char* text) {
  // "Mmm dd yyyy" as the compiler writes its build date; 0 for any other text.
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (!text || ::strnlen(text, 12) != 11 || text[3] != ' ' || text[6] != ' ') return 0;
  int month = 0;
  for (int i = 0; i < 12; ++i)
    if (std::strncmp(text, kMonths[i], 3) == 0) month = i + 1;
  if (month == 0) return 0;
  auto digit = [&](int i) { return text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1; };
  int d1 = text[4] == ' ' ? 0 : digit(4);
  int d2 = digit(5);
  int y[4] = {digit(7), digit(8), digit(9), digit(10)};
  if (d1 < 0 || d2 < 0 || y[0] < 0 || y[1] < 0 || y[2] < 0 || y[3] < 0) return 0;
  int day = d1 * 10 + d2;
  int year = y[0] * 1000 + y[1] * 100 + y[2] * 10 + y[3];
  if (day < 1 || day > 31) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(year) << 16 |
                                   static_cast<std::uint32_t>(month) << 8 |
                                   static_cast<std::uint32_t>(day));
}
