// Whether the host fits the module, and the one message that explains why it does not.
//
// The module reads host records as fixed byte layouts, so it works only with a host that
// accepts it, speaks interface version 112 and gives eight tables the record lengths the
// module was built for. CheckHostCompatibility answers that (0 fits, -1 does not) and fills
// the mismatch list; ShowLoadReport shows, under "STOP!!!", the first reason that applies.
// All state here is static for the life of the module and unsynchronised (host thread only).
#pragma once

#include <cstdint>

namespace plugin {

inline constexpr int RequiredInterfaceVersion = 112;
inline constexpr int kReportSize = 3072;  // the report's text buffers

// Host features the module needs and the host lacks. 0xFFFFFFFF in the image; the host writes
// its verdict (exported as data, see plugin_exports.h). The module only reads it.
extern "C" std::uint32_t MissingFeatures;

// One table that the record-size check covers.
struct RecordSizeEntry {
  std::uint32_t ExpectedSize;
  std::int32_t HostSize;  // 0 when the host does not know the table
  const char* TableName;
  RecordSizeEntry* Next;  // next entry on the mismatch list
};

inline constexpr int kCheckedTables = 8;
// Host table numbers of RecordSizes, in check order.
extern const int kRecordSizeTableNumbers[kCheckedTables];
extern RecordSizeEntry RecordSizes[kCheckedTables];
// First entry of the mismatches, in the order found; null at load and never emptied.
extern RecordSizeEntry* RecordSizeMismatches;

// Reads the hosts' record lengths, appends new mismatches; returns the length of the list.
std::uint32_t CheckRecordSizes();
// 0 when the host accepts the module, reports version 112 and every record size matches.
int CheckHostCompatibility();
// The mismatch table into text (kReportSize bytes): -1 with the report, 0 with "" when none.
int FormatRecordSizeReport(char* text);
// Shows why the module cannot be used (one message, title "STOP!!!").
void ShowLoadReport();

}  // namespace plugin
