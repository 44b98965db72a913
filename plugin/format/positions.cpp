// The positions walk: one goods block (mode 1) or one position block (mode 0) per row of a
// document, straight from the host's record buffer.
#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr int kModePositions = 0;
constexpr int kModeGoods = 1;
// Identifiers of goods and positions: the row number counted from this base.
constexpr int kRowIdBase = 65500;

constexpr const char* kPozycjaTemplate =
    "\t\tPozycja dokumentu{\n"
    "\t\t\t\tkodTW =%s\n"
    "\t\t\t\tkodKH =%s\n"
    "\t\t\t\tkodMag =%d\n"
    "\t\t\t\tid =%d\n"
    "\t\t\t\tflag =\n"
    "\t\t\t\tsubtypi =0\n"
    "\t\t\t\ttypi =10\n"
    "\t\t\t\tsuper =\n"
    "\t\t\t\tlp =1\n"
    "\t\t\t\tidkh =%ld\n"
    "\t\t\t\tidtw =%ld\n"
    "\t\t\t\tkod =%s\n"
    "\t\t\t\tdata =%s\n"
    "\t\t\t\topis =%s\n"
    "\t\t\t\topisdod =\n"
    "\t\t\t\tilosc =%0.3f\n"
    "\t\t\t\tjm =%s\n"
    "\t\t\t\tcenabaza =%0.4f\n"
    "\t\t\t\twaluta =\n"
    "\t\t\t\tcenabazapl =%0.4f\n"
    "\t\t\t\tcena =%0.4f\n"
    "\t\t\t\twartnetto =%0.4f\n"
    "\t\t\t\twartvat =%0.4f\n"
    "\t\t\t\twarttowaru =0.000000000000\n"
    "\t\t\t\tidpozkoryg =0\n"
    "\t\t\t\twalcenybaz =\n"
    "\t\t\t\trejestrvati =1\n"
    "\t\t\t\tidlongname =0\n"
    "\t\t\t\tiloscjedn =0.000000000000\n"
    "\t\t\t\tiloscwp =1.000000000000\n"
    "\t\t\t\tidhandl =0\n"
    "\t\t\t\tiloscdorozl =%0.3f\n"
    "\t\t\t\trozlhandl =0.000000000000\n"
    "\t\t\t\tcenawal =0.000000000000\n"
    "\t\t\t\tschemat =\n"
    "\t\t\t\tdatarej =%s\n"
    "\t\t\t\tjmwp =%s\n"
    "\t\t\t\tkosztmarzy =0.000000000000\n"
    "\t\t\t\tzapas =\n"
    "\t\t\t\tsubtyp =0\n"
    "\t\t\t\tgrupacen =\n"
    "\t\t\t\trejestr_vat =%s\n"
    "\t\t\t\tnazwa_rejestru_vat =%s\n"
    "\t\t\t\ttyp_rejestru_vat =1\n"
    "\t\t\t\tSWW/KWiU =%s\n"
    "\t\t\t\ttyp_pozycji =0\n"
    "\t\t}\n";

// The texts of a row, copied out of the record before anything else is called.
struct RowTexts {
  char name[kTextSize];
  char code[kTextSize];
  char unit[kTextSize];
  char classification[kTextSize];
};

template <class Row>
void CopyRowTexts(const Row& row, RowTexts* texts) {
  CopyField(texts->name, row.name);
  CopyField(texts->code, row.code);
  CopyField(texts->unit, row.unit);
  CopyField(texts->classification, row.classification);
}

}  // namespace

int CZantoriaKHTowary::WritePositions(HostFile* file, std::int32_t documentId,
                                      std::uint16_t calcFlags, int mode) {
  if (documentId == 0) return -1;
  if (mode != kModePositions && mode != kModeGoods) return -1;
  const bool invoice = IsInvoicePositionsKind(kindHandle);
  if (!invoice && !IsCorrectionPositionsKind(kindHandle)) return -1;
  const bool netBased = (calcFlags & 1) != 0;

  CursorGuard guard;
  HostTable* table = nullptr;
  HostQuery query{};
  HostQueryPrepare(kindHandle, &table, &query, documentId);
  if (HostQueryCheck(&query) != 0 || table == nullptr) return -1;
  int rowNumber = 0;
  if (HostCursorOpen(&guard.cursor, table, kindHandle, &query, 0, 0) != 0) {
    while (HostCursorNext(&guard.cursor) == 1) {
      if (HostQueryMatches(table->record, table) == 0) continue;
      RowTexts texts;
      if (invoice) {
        const auto& row = *static_cast<const TsprDokRecord*>(table->record);
        CopyRowTexts(row, &texts);
        const double price = netBased ? row.priceAlt.get() : row.price.get();
        const double value = netBased ? row.valueAlt.get() : row.value.get();
        ++rowNumber;
        if (mode == kModePositions)
          WritePozycja(file, texts.name, texts.code, row.quantity.get(), price, value,
                       row.vatValue.get(), texts.unit, texts.classification, rowNumber,
                       row.warehouse.get());
        else
          WriteTowar(file, texts.name, texts.code, row.vatCode.get(), price, texts.unit,
                     texts.classification, rowNumber);
      } else {
        const auto& row = *static_cast<const TsprKorDokRecord*>(table->record);
        CopyRowTexts(row, &texts);
        const int rowKind = row.rowKind.get();
        if (mode == kModePositions && rowKind == 1) {
          const double price =
              netBased ? HostRound(HostVatConvert(2, row.vatCode.get(), row.price.get()), 100)
                       : row.price.get();
          const double value = netBased ? row.valueAlt.get() : row.value.get();
          WritePozycja(file, texts.name, texts.code, row.quantity.get(), price, value,
                       row.vatValue.get(), texts.unit, texts.classification, 0,
                       row.warehouse.get());
        } else if (mode == kModeGoods && rowKind == 2) {
          WriteTowar(file, texts.name, texts.code, row.vatCode.get(), row.price.get(), texts.unit,
                     texts.classification, 0);
        }
      }
    }
  }
  HostCursorClose(&guard.cursor);
  return -1;
}

void CZantoriaKHTowary::WritePozycja(HostFile* file, const char* name, const char* code,
                                     std::int32_t quantity, double price, double value,
                                     double vatValue, const char* unit,
                                     const char* classification, int row, int warehouse) {
  const DocumentArea& d = documentArea;
  const int id = row + kRowIdBase;
  const double shownQuantity = quantity / 1000.0;
  const double shownPrice = price / 10000.0;
  const char* shownUnit = unit[0] ? unit : "szt";
  HostFilePrintf(file, kPozycjaTemplate, code[0] ? code : name, d.docContractorCode, warehouse, id,
                 static_cast<long>(d.docContractorId), static_cast<long>(id), code,
                 d.docPositionDate, name, shownQuantity, shownUnit, shownPrice, shownPrice,
                 shownPrice, value / 10000.0, vatValue / 10000.0, shownQuantity,
                 d.docPositionDate, shownUnit, d.docRegister, d.docRegisterName, classification);
}

}  // namespace plugin
