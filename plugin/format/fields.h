// Small helpers shared by the block writers: bounded copies of record texts and the scope trace
// with the structured-exception report of the guarded operations.
//
// Every record text is copied through CopyField, which never reads past the field's width and
// never writes more than 255 characters and the terminator into the caller's 256-byte buffer.
// ScopeTraceGuard leaves the host's scope trace on every way out, also when an exception passes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/host_records.h"
#include "frame/host_imports.h"
#include "platform.h"

namespace plugin {

inline constexpr std::size_t kTextSize = 256;  // the module's usual text buffer
inline constexpr int kTextMax = 255;

// Copies a record text into out (at least min(N, 255) + 1 bytes) through the host; returns out.
template <std::size_t N>
char* CopyField(char* out, const TextField<N>& field) {
  constexpr int limit = N < static_cast<std::size_t>(kTextMax) ? static_cast<int>(N) : kTextMax;
  out[0] = 0;
  return HostStrCopyN(out, field.bytes, limit);
}

// Copies a text of the plug-in's own into a 256-byte buffer.
inline char* CopyText(char* out, const char* text) {
  out[0] = 0;
  return HostStrCopyN(out, text, kTextMax);
}

// The host's scope trace, named after the operation, for the lifetime of the object.
class ScopeTraceGuard {
 public:
  ScopeTraceGuard(const char* name, const void* firstArgument) {
    HostScopeEnter(&scope_, name, firstArgument);
  }
  ~ScopeTraceGuard() { HostScopeLeave(&scope_); }
  ScopeTraceGuard(const ScopeTraceGuard&) = delete;
  ScopeTraceGuard& operator=(const ScopeTraceGuard&) = delete;

 private:
  ScopeTrace scope_{};
};

// Hands a structured exception to the host's reporter under the operation's name and raises its
// code again, as a continuable exception without arguments.
[[noreturn]] void ReportAndRaise(const char* name, const platform::SE_Exception& exception,
                                 const void* firstArgument);

// A positions cursor of the caller's stack, released with HostCursorFree on every way out.
class CursorGuard {
 public:
  CursorGuard() { cursor.openWord = 0; }
  ~CursorGuard() { HostCursorFree(&cursor); }
  CursorGuard(const CursorGuard&) = delete;
  CursorGuard& operator=(const CursorGuard&) = delete;

  HostCursor cursor{};
};

// Positions kinds of invoices and of corrections.
inline bool IsInvoicePositionsKind(int kind) {
  return kind == kPositionsInvoiceReceipts || kind == kPositionsInvoiceExport ||
         kind == kPositionsInvoiceDomestic || kind == kPositionsInvoice1836;
}
inline bool IsCorrectionPositionsKind(int kind) {
  return kind == kPositionsCorrectionDomestic || kind == kPositionsCorrectionExport ||
         kind == kPositionsCorrection1838;
}

}  // namespace plugin
