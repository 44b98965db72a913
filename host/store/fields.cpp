// The field lists of the host's records: JSON name, kind, offset and width of every field that
// the exchange document carries, taken from the record structs so that they cannot drift.
#include <cstddef>
#include <cstdio>
#include <type_traits>

#include "core/encoding.h"
#include "store/store_impl.h"

namespace host::store {

namespace {

template <class T>
struct IntInfo {
  static constexpr std::uint16_t kSize = sizeof(T);
  static constexpr bool kSigned = std::is_signed_v<T>;
};
template <class T>
struct FieldInfo;
template <class T>
struct FieldInfo<Le<T>> : IntInfo<T> {};
template <>
struct FieldInfo<std::uint8_t> : IntInfo<std::uint8_t> {};

#define VOSTRA_TEXT(R, f) \
  FieldDef { #f, FieldKind::kText, offsetof(R, f), decltype(R::f)::kWidth, false }
#define VOSTRA_INT(R, f)                                                     \
  FieldDef {                                                                 \
    #f, FieldKind::kInt, offsetof(R, f), FieldInfo<decltype(R::f)>::kSize,   \
        FieldInfo<decltype(R::f)>::kSigned                                   \
  }
#define VOSTRA_MONEY(R, f) \
  FieldDef { #f, FieldKind::kMoney, offsetof(R, f), 8, true }
#define VOSTRA_QTY(R, f) \
  FieldDef { #f, FieldKind::kQuantity, offsetof(R, f), 4, true }
#define VOSTRA_DATE(R, f) \
  FieldDef { #f, FieldKind::kDate, offsetof(R, f), 9, false }
#define VOSTRA_MARKS(R, f) \
  FieldDef { #f, FieldKind::kMarks, offsetof(R, f), 2, true }
#define VOSTRA_GTU(R, f) \
  FieldDef { #f, FieldKind::kGtu, offsetof(R, f), 4, true }

constexpr FieldDef kFirmFields[] = {
    VOSTRA_TEXT(DDekRecord, nip),        VOSTRA_TEXT(DDekRecord, name),
    VOSTRA_TEXT(DDekRecord, nameAlt),    VOSTRA_TEXT(DDekRecord, street),
    VOSTRA_TEXT(DDekRecord, house),      VOSTRA_TEXT(DDekRecord, flat),
    VOSTRA_TEXT(DDekRecord, postalCode), VOSTRA_TEXT(DDekRecord, city),
    VOSTRA_TEXT(DDekRecord, code),       VOSTRA_TEXT(DDekRecord, idNumber),
    VOSTRA_TEXT(DDekRecord, email),      VOSTRA_TEXT(DDekRecord, emailAlt),
};

constexpr FieldDef kContractorFields[] = {
    VOSTRA_INT(K4Record, id),          VOSTRA_TEXT(K4Record, code),
    VOSTRA_TEXT(K4Record, name),       VOSTRA_TEXT(K4Record, address),
    VOSTRA_INT(K4Record, kind),        VOSTRA_TEXT(K4Record, nip),
    VOSTRA_TEXT(K4Record, personName), VOSTRA_TEXT(K4Record, info3),
    VOSTRA_TEXT(K4Record, email),      VOSTRA_INT(K4Record, accountNumber),
};

constexpr FieldDef kGoodsFields[] = {
    FieldDef{"key", FieldKind::kInt, 0, 2, true, false},  // not in the record: the chooser's key
    VOSTRA_TEXT(K9Record, name),
    VOSTRA_INT(K9Record, attr),
};

constexpr FieldDef kInvoiceFields[] = {
    VOSTRA_INT(TsprRecord, documentId),
    FieldDef{"kind", FieldKind::kInt, 0, 2, true, false},  // not in the record: the host kind code
    VOSTRA_TEXT(TsprRecord, number),
    VOSTRA_TEXT(TsprRecord, contractorCode),
    VOSTRA_TEXT(TsprRecord, contractorName),
    VOSTRA_TEXT(TsprRecord, contractorAddress),
    VOSTRA_TEXT(TsprRecord, contractorNip),
    VOSTRA_INT(TsprRecord, calcFlags),
    VOSTRA_DATE(TsprRecord, saleDate),
    VOSTRA_DATE(TsprRecord, issueDate),
    VOSTRA_MONEY(TsprRecord, paid),
    VOSTRA_MONEY(TsprRecord, toPay),
    VOSTRA_INT(TsprRecord, paymentForm),
    VOSTRA_INT(TsprRecord, paymentDays),
    VOSTRA_MONEY(TsprRecord, grossAmount),
    VOSTRA_MONEY(TsprRecord, vatAmount),
    VOSTRA_INT(TsprRecord, kindFlags),
    VOSTRA_TEXT(TsprRecord, receivedBy),
    VOSTRA_INT(TsprRecord, stateFlags),
    VOSTRA_TEXT(TsprRecord, countryCode),
    VOSTRA_TEXT(TsprRecord, currency),
    VOSTRA_MONEY(TsprRecord, rate),
    VOSTRA_INT(TsprRecord, exportFlags),
    VOSTRA_MARKS(TsprRecord, procMarks),
    VOSTRA_GTU(TsprRecord, gtuMask),
    VOSTRA_INT(TsprRecord, receiptLink),
    VOSTRA_INT(TsprRecord, contractorId),
};

constexpr FieldDef kCorrectionFields[] = {
    VOSTRA_INT(TsprKorRecord, documentId),
    FieldDef{"kind", FieldKind::kInt, 0, 2, true, false},
    VOSTRA_TEXT(TsprKorRecord, number),
    VOSTRA_TEXT(TsprKorRecord, correctedNumber),
    VOSTRA_DATE(TsprKorRecord, correctedDate),
    VOSTRA_TEXT(TsprKorRecord, contractorCode),
    VOSTRA_TEXT(TsprKorRecord, contractorName),
    VOSTRA_TEXT(TsprKorRecord, contractorAddress),
    VOSTRA_TEXT(TsprKorRecord, contractorNip),
    VOSTRA_INT(TsprKorRecord, calcFlags),
    VOSTRA_DATE(TsprKorRecord, issueDate),
    VOSTRA_INT(TsprKorRecord, paymentForm),
    VOSTRA_INT(TsprKorRecord, paymentDays),
    VOSTRA_MONEY(TsprKorRecord, grossAmount),
    VOSTRA_MONEY(TsprKorRecord, vatAmount),
    VOSTRA_INT(TsprKorRecord, kindFlags),
    VOSTRA_TEXT(TsprKorRecord, receivedBy),
    VOSTRA_TEXT(TsprKorRecord, correctionText),
    VOSTRA_DATE(TsprKorRecord, saleDate),
    VOSTRA_TEXT(TsprKorRecord, countryCode),
    VOSTRA_TEXT(TsprKorRecord, currency),
    VOSTRA_INT(TsprKorRecord, exportFlags),
    VOSTRA_MARKS(TsprKorRecord, procMarks),
    VOSTRA_GTU(TsprKorRecord, gtuMask),
    VOSTRA_INT(TsprKorRecord, stateFlags),
    VOSTRA_MONEY(TsprKorRecord, rate),
    VOSTRA_INT(TsprKorRecord, contractorId),
};

#define VOSTRA_POSITION_COMMON(R)                                                \
  VOSTRA_TEXT(R, name), VOSTRA_TEXT(R, code), VOSTRA_QTY(R, quantity),          \
      VOSTRA_TEXT(R, unit), VOSTRA_MONEY(R, price), VOSTRA_MONEY(R, valueAlt),  \
      VOSTRA_INT(R, vatCode), VOSTRA_MONEY(R, vatValue), VOSTRA_MONEY(R, value)

constexpr FieldDef kInvoicePositionFields[] = {
    VOSTRA_POSITION_COMMON(TsprDokRecord),
    VOSTRA_MONEY(TsprDokRecord, priceAlt),
    VOSTRA_TEXT(TsprDokRecord, classification),
    VOSTRA_MONEY(TsprDokRecord, purchaseValue),
    VOSTRA_INT(TsprDokRecord, warehouse),
};

constexpr FieldDef kCorrectionPositionFields[] = {
    VOSTRA_INT(TsprKorDokRecord, rowKind),
    VOSTRA_POSITION_COMMON(TsprKorDokRecord),
    VOSTRA_MONEY(TsprKorDokRecord, purchasePrice),
    VOSTRA_TEXT(TsprKorDokRecord, classification),
    VOSTRA_INT(TsprKorDokRecord, warehouse),
};

constexpr std::string_view kMarkNames[14] = {
    "SW",   "EE",   "TP",    "TT_WNT", "TT_D",           "MR_T",    "MR_UZ",
    "I_42", "I_63", "B_SPV", "B_SPV_DOSTAWA", "B_MPV_PROWIZJA", "WSTO_EE", "IED"};

struct KindRow {
  int kind;
  int table;
  int positions;
};
constexpr KindRow kKinds[] = {
    {kKindInvoiceDomestic, kTableTspr, kPositionsInvoiceDomestic},
    {kKindInvoiceReceipts, kTableTspr, kPositionsInvoiceReceipts},
    {kKindInvoiceExport, kTableTspr, kPositionsInvoiceExport},
    {kKindInvoice1836, kTableTspr, kPositionsInvoice1836},
    {kKindCorrectionDomestic, kTableTsprKor, kPositionsCorrectionDomestic},
    {kKindCorrectionExport, kTableTsprKor, kPositionsCorrectionExport},
    {kKindCorrection1838, kTableTsprKor, kPositionsCorrection1838},
};

}  // namespace

const RecordDef kFirmDef{"firm", kTableDDek, kFirmFields};
const RecordDef kContractorDef{"contractor", kTableK4, kContractorFields};
const RecordDef kGoodsDef{"goods", kTableK9, kGoodsFields};
const RecordDef kInvoiceDef{"invoice", kTableTspr, kInvoiceFields};
const RecordDef kInvoicePositionDef{"invoice_position", kTableTsprDok, kInvoicePositionFields};
const RecordDef kCorrectionDef{"correction", kTableTsprKor, kCorrectionFields};
const RecordDef kCorrectionPositionDef{"correction_position", kTableTsprKorDok,
                                       kCorrectionPositionFields};

int FieldIndex(const RecordDef& def, std::string_view name) {
  for (std::size_t i = 0; i < def.fields.size(); ++i)
    if (def.fields[i].name == name) return static_cast<int>(i);
  return -1;
}

std::string_view ProcedureMarkName(int bit) {
  return bit >= 0 && bit < 14 ? kMarkNames[bit] : std::string_view{};
}

std::string GtuName(int bit) {
  char text[16];
  std::snprintf(text, sizeof text, "GTU_%02d", bit + 1);
  return text;
}

int DocumentTableOfKind(int kind) {
  for (const KindRow& k : kKinds)
    if (k.kind == kind) return k.table;
  return 0;
}

int PositionsKindOf(int kind) {
  for (const KindRow& k : kKinds)
    if (k.kind == kind) return k.positions;
  return 0;
}

int DocumentKindOfPositions(int positionsKind) {
  for (const KindRow& k : kKinds)
    if (k.positions == positionsKind) return k.kind;
  return 0;
}

std::string CheckText(std::string_view utf8, std::size_t width) {
  std::string mazovia;
  std::size_t bad = 0;
  if (!Utf8ToMazovia(utf8, mazovia, &bad)) {
    // Name the character: the whole UTF-8 sequence at the offset.
    std::size_t end = bad + 1;
    while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
    return "znak \"" + std::string(utf8.substr(bad, end - bad)) +
           "\" nie istnieje w stronie kodowej Mazovia (bajt " + std::to_string(bad) + ")";
  }
  for (std::size_t i = 0; i < mazovia.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(mazovia[i]);
    if (c < 0x20 || c == 0x7F)
      return "znak sterujący (kod " + std::to_string(c) + ") na pozycji " + std::to_string(i);
  }
  if (mazovia.size() > width)
    return "tekst za długi: " + std::to_string(mazovia.size()) + " znaków, najwyżej " +
           std::to_string(width);
  return {};
}

}  // namespace host::store
