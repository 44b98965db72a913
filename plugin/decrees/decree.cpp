// The decree of a document: the Zapis lines for the gross amount, the net values grouped by
// account, and the VAT amount, with the contractor code where an account asks for it.
#include <cstdio>
#include <cstring>

#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr const char* kZapisTemplate =
    "\t\tZapis{\n"
    "\t\t\t\tstrona =%s\n"
    "\t\t\t\tkwota =%.2f\n"
    "\t\t\t\tkonto =%s\n"
    "\t\t\t\tIdDlaRozliczen =%d\n"
    "\t\t\t\topis =%s\n"
    "\t\t\t\tNumerDok =%s/%s\n"
    "\t\t\t\tPozycja =0\n"
    "\t\t\t\tZapisRownolegly =0\n"
    "\t\t}\n";

constexpr int kOpisMax = 40;
constexpr int kKontoMax = 20;
constexpr int kGoodsNameMax = 120;
static_assert(sizeof(DekretRow::opis) == kOpisMax + 1);
static_assert(sizeof(DekretRow::konto) == kKontoMax + 1);

// A template row with its texts terminated, whatever the dialog left in the fields.
struct RowCopy {
  int strona;
  char opis[kOpisMax + 1];
  char konto[kKontoMax + 1];
};

RowCopy CopyRow(const DekretRow& row) {
  RowCopy copy;
  copy.strona = row.strona.get();
  std::memcpy(copy.opis, row.opis, kOpisMax);
  copy.opis[kOpisMax] = 0;
  std::memcpy(copy.konto, row.konto, kKontoMax);
  copy.konto[kKontoMax] = 0;
  return copy;
}

struct NettoSlot {
  std::int32_t strona;
  double sum;
  char opis[kOpisMax + 1];
  char konto[kKontoMax + 1];
};

constexpr int kContractorCodeModes = 7;

}  // namespace

// One Zapis line; takes the next IdDlaRozliczen of the document.
static void WriteZapis(CZantoriaKHTowary& x, HostFile* file, int strona, double amount,
                       const char* konto, const char* opis) {
  HostFilePrintf(file, kZapisTemplate, strona == 0 ? "WN" : "MA", amount / 10000.0, konto,
                 static_cast<int>(x.nextZapisId), opis, x.documentArea.docRegister,
                 x.documentArea.docNumber);
  ++x.nextZapisId;
}

void CZantoriaKHTowary::WriteDekret(HostFile* file, std::int32_t documentId,
                                    std::int32_t contractorId, std::uint16_t calcFlags,
                                    double vatAmount, double grossAmount) {
  nextZapisId = 1;
  // Brutto and Vat: a K anywhere in the account asks for the contractor code at its end.
  auto writeHeadLine = [&](const DekretRow& templateRow, double amount) {
    const RowCopy row = CopyRow(templateRow);
    char account[kKontoMax + kTextSize] = {};
    char code[kTextSize] = {};
    if (std::strchr(row.konto, 'K') != nullptr)
      NrKontrZantoria(contractorId, optionsBlock.contractorCodeMode.get(), code);
    std::snprintf(account, sizeof account, "%s%s", row.konto, code);
    if (account[0] != 0) WriteZapis(*this, file, row.strona, amount, account, row.opis);
  };
  writeHeadLine(dekrSchema.brutto, grossAmount);
  WriteNettoZapisy(file, documentId, calcFlags);
  writeHeadLine(dekrSchema.vat, vatAmount);
}

void CZantoriaKHTowary::WriteNettoZapisy(HostFile* file, std::int32_t documentId,
                                         std::uint16_t calcFlags) {
  if (documentId == 0) return;
  const bool invoice = IsInvoicePositionsKind(kindHandle);
  const bool correction = IsCorrectionPositionsKind(kindHandle);
  const bool netBased = (calcFlags & 1) != 0;

  RowCopy rows[kNettoRows];
  for (int i = 0; i < kNettoRows; ++i) rows[i] = CopyRow(dekrSchema.netto[i]);
  NettoSlot slots[kNettoRows] = {};

  CursorGuard guard;
  HostTable* table = nullptr;
  HostQuery query{};
  HostQueryPrepare(kindHandle, &table, &query, documentId);
  if (HostQueryCheck(&query) != 0 || table == nullptr) return;
  if (HostCursorOpen(&guard.cursor, table, kindHandle, &query, 0, 0) != 0) {
    while (HostCursorNext(&guard.cursor) == 1) {
      if (HostQueryMatches(table->record, table) == 0) continue;
      const PositionCommon* position = nullptr;
      if (invoice) {
        const auto* row = static_cast<const TsprDokRecord*>(table->record);
        if (row->quantity.get() == 0) continue;
        position = reinterpret_cast<const PositionCommon*>(row);
      } else if (correction) {
        const auto* row = static_cast<const TsprKorDokRecord*>(table->record);
        if (row->rowKind.get() != 1) continue;
        position = reinterpret_cast<const PositionCommon*>(row);
      } else {
        continue;
      }
      char goodsName[kGoodsNameMax + 1] = {};
      HostStrCopyN(goodsName, position->name.bytes, kGoodsNameMax);
      const double amount = netBased ? position->valueAlt.get() : position->value.get();

      int chosen = 0;
      for (int i = 0; i < kNettoRows; ++i) {
        if (HostStrCompareN(rows[i].opis, goodsName, 0x7FFFFFFF) == 0) {
          chosen = i;
          break;
        }
      }
      const RowCopy& row = rows[chosen];
      if (row.konto[0] == 0) continue;
      for (NettoSlot& slot : slots) {
        if (slot.konto[0] == 0) {
          slot.strona = row.strona;
          slot.sum = amount;
          std::memcpy(slot.opis, row.opis, sizeof slot.opis);
          std::memcpy(slot.konto, row.konto, sizeof slot.konto);
          break;
        }
        if (std::strcmp(slot.konto, row.konto) == 0) {
          slot.sum += amount;
          break;
        }
      }
    }
  }
  HostCursorClose(&guard.cursor);

  for (const NettoSlot& slot : slots) {
    if (slot.konto[0] == 0) continue;
    if (slot.sum > -0.00001 && slot.sum < 0.00001) continue;
    WriteZapis(*this, file, slot.strona, slot.sum, slot.konto, slot.opis);
  }
}

char* CZantoriaKHTowary::NrKontrZantoria(std::int32_t contractorId, int mode, char* out) {
  static constexpr const char* kName = "CZantoriaKHTowary::NrKontrZantoria";
  ScopeTraceGuard trace(kName, &contractorId);
  try {
    if (mode < 0 || mode >= kContractorCodeModes) mode = 0;
    // The modes that read the contractor's record need the record of this contractor: a
    // document without one, or one the host does not find, gets no code rather than the code
    // of whichever contractor was loaded before.
    bool found = false;
    if (mode != 0 && contractorId != 0) {
      *HostContractorKey() = contractorId;
      found = HostFindContractor(-1) != 0;
    }
    const long id = contractorId < 0 ? 1000000L - contractorId : contractorId;
    std::snprintf(out, kTextSize, "%ld", id);
    const K4Record* k = recK4;
    if (mode != 0 && mode != 6 && !found) {
      out[0] = 0;
      return out;
    }
    switch (mode) {
      case 1:
        CopyField(out, k->code);
        break;
      case 2:
        CopyField(out, k->nip);
        break;
      case 3:
        std::snprintf(out, kTextSize, "%d", static_cast<int>(k->accountNumber.get()));
        break;
      case 4:
        CopyField(out, k->info3);
        break;
      case 5:
        CopyField(out, k->nip);
        HostRemoveDashes(out);
        break;
      case 6:
        out[0] = 0;
        break;
      default:
        break;
    }
    return out;
  } catch (const platform::SE_Exception& exception) {
    ReportAndRaise(kName, exception, &contractorId);
  }
}

}  // namespace plugin
