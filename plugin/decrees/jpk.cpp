// The JPK_V7 line and FK trailer of a document, with its procedure markings and GTU codes.
#include "decrees/jpk.h"

#include <cstdio>
#include <cstring>

#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr int kProcedureMarks = 14;
constexpr int kMarkNameSize = 21;
constexpr char kProcedureMarkNames[kProcedureMarks][kMarkNameSize] = {
    "SW",   "EE",   "TP",    "TT_WNT",        "TT_D",           "MR_T",    "MR_UZ",
    "I_42", "I_63", "B_SPV", "B_SPV_DOSTAWA", "B_MPV_PROWIZJA", "WSTO_EE", "IED"};

constexpr std::uint32_t kInternalDocument = 0x400;        // stateFlags: WEW
constexpr std::uint16_t kReceiptsBits = 0x0C00;           // kindFlags: issued for receipts...
constexpr std::uint16_t kNotForReceiptsBit = 0x0100;      // ...unless this one is set

}  // namespace

int JoinFlagNames(char* out, int limit, std::uint32_t mask, int count,
                  const char* const names[32]) {
  out[0] = 0;
  if (mask == 0) return 0;
  int total = 0;
  int counted = 0;
  for (int i = 0; i < 32; ++i) {
    if ((mask & (std::uint32_t{1} << i)) == 0 || names[i] == nullptr || names[i][0] == 0)
      continue;
    ++counted;
    if (count != 0 && counted == count + 1) return 0;
    const int length = static_cast<int>(std::strlen(names[i])) + (total > 0 ? 1 : 0);
    if (total + length >= limit) return 1;
    std::snprintf(out + total, static_cast<std::size_t>(limit - total), total > 0 ? ",%s" : "%s",
                  names[i]);
    total += length;
  }
  return 0;
}

char* FormatProcedureMarks(char* out, std::int32_t mask) {
  const char* names[32] = {};
  for (int i = 0; i < kProcedureMarks; ++i) names[i] = kProcedureMarkNames[i];
  JoinFlagNames(out, kProcedureListSize, static_cast<std::uint32_t>(mask), kProcedureMarks, names);
  return out;
}

char* FormatGtuList(char* out, std::int32_t mask) {
  char texts[32][8];
  const char* names[32];
  for (int i = 0; i < 32; ++i) {
    std::snprintf(texts[i], sizeof texts[i], "%s%02d", "GTU_", i + 1);
    names[i] = texts[i];
  }
  JoinFlagNames(out, kGtuListSize, static_cast<std::uint32_t>(mask), 0, names);
  return out;
}

void CZantoriaKHTowary::WriteJpkTrailer(HostFile* file, std::uint32_t stateFlags,
                                        std::int32_t procMarks, std::uint16_t kindFlags,
                                        int docType, const char* correctedNumber,
                                        const HostDate* correctedDate, double grossAmount) {
  char correction[1024] = {};
  if (IsCorrectionPositionsKind(kindHandle)) {
    char date[kTextSize];
    FormatHostDate(date, sizeof date, correctedDate);
    std::snprintf(correction, sizeof correction, "\t\tNazwaKor =%s\n\t\tDataKor =%s\n",
                  correctedNumber ? correctedNumber : "", date);
  }
  const DocumentArea& d = documentArea;
  HostFilePrintf(file, "\t\tJPK_V7 =");
  if (stateFlags & kInternalDocument) HostFilePrintf(file, "WEW,");
  const bool forReceipts =
      (kindFlags & kNotForReceiptsBit) == 0 && (kindFlags & kReceiptsBits) != 0;
  const bool fpType =
      docType == 0 || docType == 2 || docType == 5 || (docType == 1 && d.docNumber[0] != 0);
  if (fpType && forReceipts) HostFilePrintf(file, "FP,");
  char list[kProcedureListSize];
  FormatProcedureMarks(list, procMarks);
  HostFilePrintf(file, "%s\n", list);
  HostFilePrintf(file,
                 "\t\tkwota =%0.2f\n\t\tsymbol FK =%s\n\t\tobsluguj jak =%s\n%s\t\tFK nazwa "
                 "=%s/%s\n\t\topis FK =\n",
                 grossAmount / 10000.0, d.docRegister, d.docRegister, correction, d.docRegister,
                 d.docNumber);
}

}  // namespace plugin
