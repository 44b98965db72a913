// Value helpers: host dates to ISO dates, stored exchange rates to rates, and a document's value
// in purchase prices.
#include <cstdio>
#include <cstring>

#include "format/codepage.h"
#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

// Reads the decimal number at text: leading blanks skipped, digits up to the first non-digit,
// no digits give 0.
int ReadNumber(const char* text) {
  while (*text == ' ') ++text;
  int value = 0;
  while (*text >= '0' && *text <= '9' && value < 100000) value = value * 10 + (*text++ - '0');
  return value;
}

}  // namespace

[[noreturn]] void ReportAndRaise(const char* name, const platform::SE_Exception& exception,
                                 const void* firstArgument) {
  ExceptionReportFn** reporter = HostGetExceptionReporter();
  if (reporter != nullptr && *reporter != nullptr)
    (*reporter)(name, exception.code(), exception.info(), firstArgument);
  platform::RaiseException(exception.code(), 0, 0, nullptr);
}

char* FormatHostDate(char* out, std::size_t size, const HostDate* date) {
  if (size == 0) return out;
  out[0] = 0;
  // No date, or a date that is not set: an empty text rather than a made-up 0000-00-00.
  if (date == nullptr || date->empty()) return out;
  char digits[HostDate::kWidth + 1];
  date->copyTo(digits, sizeof digits);
  char rendered[64] = {};
  HostFormatDate(rendered, digits);
  rendered[sizeof rendered - 1] = 0;
  const std::size_t length = std::strlen(rendered);
  const int day = ReadNumber(rendered);
  const int month = length > 3 ? ReadNumber(rendered + 3) : 0;
  const int year = length > 6 ? ReadNumber(rendered + 6) : 0;
  std::snprintf(out, size, "%04d-%02d-%02d", year, month, day);
  return out;
}

double CZantoriaKHTowary::przel_wal(double storedRate) {
  static constexpr const char* kName = "przel_wal";
  ScopeTraceGuard trace(kName, &storedRate);
  try {
    if (HostRoundToLong(storedRate, 1) == 0) storedRate = 10000.0;
    return storedRate / 10000.0;
  } catch (const platform::SE_Exception& exception) {
    ReportAndRaise(kName, exception, &storedRate);
  }
}

double CZantoriaKHTowary::DajWartoscDokumentuWCenachZakupu(std::int32_t documentId) {
  static constexpr const char* kName = "CZantoriaKHTowary::DajWartoscDokumentuWCenachZakupu";
  ScopeTraceGuard trace(kName, &documentId);
  try {
    double total = 0;
    CursorGuard guard;
    HostTable* table = nullptr;
    HostQuery query{};
    HostQueryPrepare(kindHandle, &table, &query, documentId);
    if (HostQueryCheck(&query) != 0 || table == nullptr) return 0;
    HostTableSetMode(table, 96);
    if (HostCursorOpen(&guard.cursor, table, kindHandle, &query, 0, 0) != 0) {
      while (HostCursorNext(&guard.cursor) == 1) {
        int vatCode = 0;
        double value = 0;
        if (table->number == kTableTsprDok) {
          const auto* row = static_cast<const TsprDokRecord*>(table->record);
          vatCode = row->vatCode.get();
          value = row->purchaseValue.get();
        } else if (table->number == kTableTsprKorDok) {
          const auto* row = static_cast<const TsprKorDokRecord*>(table->record);
          vatCode = row->vatCode.get();
          value = HostRoundToLong(row->quantity.get() * row->purchasePrice.get() * 0.001, 100);
        } else {
          HostMessageBox("Blokada", "Ten format nie jest obsługiwany!"_mz, 1);
        }
        if (vatCode != 8 && vatCode != 9) total += value;
      }
    }
    HostCursorClose(&guard.cursor);
    return total;
  } catch (const platform::SE_Exception& exception) {
    ReportAndRaise(kName, exception, &documentId);
  }
}

}  // namespace plugin
