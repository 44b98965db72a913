// The VAT register lines (one Rejestr block per rate of the document's VAT summary) and the
// settlement block of a document.
#include <cstdio>

#include "decrees/jpk.h"
#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr const char* kRejestrTemplate =
    "\t\tRejestr{\n"
    "\t\t\t\tSkrot =%s\n"
    "\t\t\t\tNazwa =%s\n"
    "\t\t\t\tRodzaj =1\n"
    "\t\t\t\tABC =1\n"
    "\t\t\t\tmetoda_VAT =0\n"
    "\t\t\t\tdatarej =%s\n"
    "\t\t\t\tokres =%s\n"
    "\t\t\t\tJPK_V7 =%s\n"
    "\t\t\t\tstawka =%s\n"
    "\t\t\t\tbrutto =%.2f\n"
    "\t\t\t\tnetto =%.2f\n"
    "\t\t\t\tvat =%.2f\n";

constexpr const char* kRozliczenieTemplate =
    "\t\tRozliczenie{\n"
    "\t\t\t\tdSymbol =%s/%s\n"
    "\t\t\t\tidDlaRozliczen =-1\n"
    "\t\t\t\tkwota =%.2f\n"
    "\t\t\t\ttermin =%s\n";

constexpr const char* kBlockEnd = "\t\t}\n";

// Codes of the VAT rates without a percentage of their own.
constexpr int kCodeExempt = 5;
bool IsNotSubject(int code) { return code == 8 || code == 9; }

}  // namespace

char* FormatStawka(int vatCode, char* out) {
  if (vatCode == kCodeExempt)
    std::snprintf(out, kTextSize, "-1");
  else if (IsNotSubject(vatCode))
    std::snprintf(out, kTextSize, "-2");
  else
    std::snprintf(out, kTextSize, "%.2f", HostVatRate(vatCode));
  return out;
}

int CZantoriaKHTowary::WriteRejestr(HostFile* file, const VatSummary* summary,
                                    const HostDate* registerDate, std::int32_t gtuMask) {
  if (summary == nullptr) return 0;
  for (int k = 0; k < kVatSummarySlots; ++k) {
    const int code = summary->code[k].get();
    if (code == 0) continue;
    char gtu[kGtuListSize];
    FormatGtuList(gtu, gtuMask);
    const char* skrot = IsNotSubject(code) ? "rSNV" : documentArea.docRegister;
    char date[kTextSize];
    FormatHostDate(date, sizeof date, registerDate);
    char stawka[kTextSize];
    FormatStawka(code, stawka);
    HostFilePrintf(file, kRejestrTemplate, skrot, documentArea.docRegisterName, date, date, gtu,
                   stawka, summary->gross[k].get() / 10000.0, summary->net[k].get() / 10000.0,
                   summary->vat[k].get() / 10000.0);
    HostFilePrintf(file, kBlockEnd);
  }
  return 0;
}

int CZantoriaKHTowary::WriteRozliczenie(HostFile* file, const HostDate* dueDate,
                                        double grossAmount) {
  char date[kTextSize];
  FormatHostDate(date, sizeof date, dueDate);
  HostFilePrintf(file, kRozliczenieTemplate, documentArea.docRegister, documentArea.docNumber,
                 grossAmount / 10000.0, date);
  HostFilePrintf(file, kBlockEnd);
  return 0;
}

}  // namespace plugin
