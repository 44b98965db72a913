// Byte layouts of the host's table objects, records, VAT summary and cursor.
//
// These are the host's formats, shared by the host (which materialises records into the
// buffers) and the plug-in (which reads them in place). Every field type has alignment 1 and
// is little-endian, so a struct is exactly its byte layout; offsets and sizes are checked
// below each struct. Texts are Mazovia bytes; a text that fills its field has no terminator,
// so a text field is only ever read through its bounded accessors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// --- Field types ------------------------------------------------------------------------------

// A little-endian number of type T at any offset.
template <class T>
struct Le {
  unsigned char bytes[sizeof(T)];

  T get() const {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  }
  void set(T value) { std::memcpy(bytes, &value, sizeof value); }
};
using LeI16 = Le<std::int16_t>;
using LeU16 = Le<std::uint16_t>;
using LeI32 = Le<std::int32_t>;
using LeU32 = Le<std::uint32_t>;
using LeF64 = Le<double>;  // amounts ×10^4 (IEEE 754 binary64)
static_assert(alignof(LeF64) == 1 && sizeof(LeF64) == 8);

// A text field of width N: at most N bytes, terminated only when shorter than N.
template <std::size_t N>
struct TextField {
  static constexpr std::size_t kWidth = N;
  char bytes[N];

  // Length of the text, never past the field.
  std::size_t length() const {
    const void* nul = std::memchr(bytes, 0, N);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : N;
  }
  std::string_view view() const { return {bytes, length()}; }
  bool empty() const { return bytes[0] == 0; }
  // Copies at most min(N, outSize - 1) bytes and terminates; returns out.
  char* copyTo(char* out, std::size_t outSize) const {
    if (outSize == 0) return out;
    std::size_t n = length();
    if (n > outSize - 1) n = outSize - 1;
    std::memcpy(out, bytes, n);
    out[n] = 0;
    return out;
  }
  // Stores text, cut to N bytes; the rest of the field is zeroed.
  void assign(std::string_view text) {
    std::size_t n = text.size() < N ? text.size() : N;
    std::memset(bytes, 0, N);
    std::memcpy(bytes, text.data(), n);
  }
};

// Host date: eight digits YYYYMMDD and a terminator; first byte 0 means no date. Such texts
// compare in date order.
using HostDate = TextField<9>;
static_assert(sizeof(HostDate) == 9);

template <std::size_t N>
struct Gap {
  unsigned char bytes[N];
};

// --- Table object -----------------------------------------------------------------------------
// What HostGetTable returns. The host keeps its own state behind these fields.
//   offset 0  int16  table number
//   offset 6  int16  record size in bytes
//   offset 8  ptr    current-record buffer (a native pointer on this platform)
struct HostTable {
  std::int16_t number;
  std::int16_t hostWord2;
  std::int16_t hostWord4;
  std::int16_t recordSize;
  void* record;
};
static_assert(offsetof(HostTable, number) == 0);
static_assert(offsetof(HostTable, recordSize) == 6);
static_assert(offsetof(HostTable, record) == 8);

// Table numbers.
inline constexpr int kTableK4 = 35;          // contractors
inline constexpr int kTableTspr = 44;        // sales invoice headers
inline constexpr int kTableTsprDok = 45;     // sales invoice positions
inline constexpr int kTableTsprKor = 46;     // sales correction headers
inline constexpr int kTableTsprKorDok = 47;  // sales correction positions
inline constexpr int kTableK9 = 49;          // goods catalogue
inline constexpr int kTableK11 = 51;         // opened, never read
inline constexpr int kTableDDek = 59;        // the firm's registration data

// --- Contractor, table 35 (k4), 1536 bytes ------------------------------------------------------
struct K4Record {
  Gap<2> gap0;
  TextField<17> code;          //    2
  TextField<101> name;         //   19
  TextField<51> address;       //  120
  LeI16 kind;                  //  171  3 = natural person
  Gap<3> gap173;
  TextField<18> nip;           //  176
  TextField<387> personName;   //  194  first name first
  TextField<274> info3;        //  581  "Informacje 3 (rubryka 19)"
  TextField<81> email;         //  855
  LeI32 accountNumber;         //  936
  Gap<592> gap940;
  LeI32 id;                    // 1532
};
static_assert(offsetof(K4Record, code) == 2);
static_assert(offsetof(K4Record, name) == 19);
static_assert(offsetof(K4Record, address) == 120);
static_assert(offsetof(K4Record, kind) == 171);
static_assert(offsetof(K4Record, nip) == 176);
static_assert(offsetof(K4Record, personName) == 194);
static_assert(offsetof(K4Record, info3) == 581);
static_assert(offsetof(K4Record, email) == 855);
static_assert(offsetof(K4Record, accountNumber) == 936);
static_assert(offsetof(K4Record, id) == 1532);
static_assert(sizeof(K4Record) == 1536);

// --- Firm data, table 59 (d_dek), 2750 bytes ---------------------------------------------------
struct DDekRecord {
  TextField<42> nip;           //    0
  TextField<269> name;         //   42
  TextField<21> street;        //  311
  TextField<7> house;          //  332
  TextField<7> flat;           //  339
  TextField<7> postalCode;     //  346
  TextField<270> city;         //  353
  TextField<1410> nameAlt;     //  623
  TextField<179> code;         // 2033
  TextField<114> idNumber;     // 2212
  TextField<41> emailAlt;      // 2326
  TextField<383> email;        // 2367
};
static_assert(offsetof(DDekRecord, name) == 42);
static_assert(offsetof(DDekRecord, street) == 311);
static_assert(offsetof(DDekRecord, house) == 332);
static_assert(offsetof(DDekRecord, flat) == 339);
static_assert(offsetof(DDekRecord, postalCode) == 346);
static_assert(offsetof(DDekRecord, city) == 353);
static_assert(offsetof(DDekRecord, nameAlt) == 623);
static_assert(offsetof(DDekRecord, code) == 2033);
static_assert(offsetof(DDekRecord, idNumber) == 2212);
static_assert(offsetof(DDekRecord, emailAlt) == 2326);
static_assert(offsetof(DDekRecord, email) == 2367);
static_assert(sizeof(DDekRecord) == 2750);

// --- Goods catalogue, table 49 (k9), 1024 bytes ------------------------------------------------
struct K9Record {
  Gap<2> gap0;
  TextField<41> name;          //    2  40 characters are taken
  Gap<979> gap43;
  LeI16 attr;                  // 1022  0 = not choosable
};
static_assert(offsetof(K9Record, name) == 2);
static_assert(offsetof(K9Record, attr) == 1022);
static_assert(sizeof(K9Record) == 1024);

// --- Table 51 (k11), 435 bytes: opened with the others, no field is read ----------------------
struct K11Record {
  Gap<435> bytes;
};
static_assert(sizeof(K11Record) == 435);

// --- Sales invoice header, table 44 (Tspr), 1469 bytes -----------------------------------------
struct TsprRecord {
  Gap<2> gap0;
  TextField<34> number;             //    2
  TextField<17> contractorCode;     //   36
  TextField<101> contractorName;    //   53
  TextField<51> contractorAddress;  //  154
  TextField<14> contractorNip;      //  205
  LeU16 calcFlags;                  //  219  bit 0: calculated from net prices
  HostDate saleDate;                //  221
  HostDate issueDate;               //  230
  LeF64 paid;                       //  239
  LeF64 toPay;                      //  247
  LeI16 paymentForm;                //  255  rendered with field type 151
  LeI16 paymentDays;                //  257
  LeF64 grossAmount;                //  259
  Gap<8> gap267;
  LeF64 vatAmount;                  //  275
  Gap<120> gap283;
  LeU16 kindFlags;                  //  403  0x1000 advance, 0x0200 partial, 0x0100/0x0C00 receipts
  TextField<143> receivedBy;        //  405
  LeU32 stateFlags;                 //  548  0x20 cancelled, 0x100/0x200 split payment, 0x400 internal
  Gap<26> gap552;
  TextField<3> countryCode;         //  578  empty for Poland
  TextField<258> currency;          //  581
  LeF64 rate;                       //  839
  Gap<81> gap847;
  std::uint8_t exportFlags;         //  928  bit 2: already exported
  Gap<453> gap929;
  LeI16 procMarks;                  // 1382
  LeI32 gtuMask;                    // 1384
  Gap<8> gap1388;
  LeI16 receiptLink;                // 1396
  Gap<55> gap1398;
  LeI32 contractorId;               // 1453
  Gap<8> gap1457;
  LeI32 documentId;                 // 1465  0 = empty slot
};
static_assert(offsetof(TsprRecord, number) == 2);
static_assert(offsetof(TsprRecord, contractorCode) == 36);
static_assert(offsetof(TsprRecord, contractorName) == 53);
static_assert(offsetof(TsprRecord, contractorAddress) == 154);
static_assert(offsetof(TsprRecord, contractorNip) == 205);
static_assert(offsetof(TsprRecord, calcFlags) == 219);
static_assert(offsetof(TsprRecord, saleDate) == 221);
static_assert(offsetof(TsprRecord, issueDate) == 230);
static_assert(offsetof(TsprRecord, paid) == 239);
static_assert(offsetof(TsprRecord, toPay) == 247);
static_assert(offsetof(TsprRecord, paymentForm) == 255);
static_assert(offsetof(TsprRecord, paymentDays) == 257);
static_assert(offsetof(TsprRecord, grossAmount) == 259);
static_assert(offsetof(TsprRecord, vatAmount) == 275);
static_assert(offsetof(TsprRecord, kindFlags) == 403);
static_assert(offsetof(TsprRecord, receivedBy) == 405);
static_assert(offsetof(TsprRecord, stateFlags) == 548);
static_assert(offsetof(TsprRecord, countryCode) == 578);
static_assert(offsetof(TsprRecord, currency) == 581);
static_assert(offsetof(TsprRecord, rate) == 839);
static_assert(offsetof(TsprRecord, exportFlags) == 928);
static_assert(offsetof(TsprRecord, procMarks) == 1382);
static_assert(offsetof(TsprRecord, gtuMask) == 1384);
static_assert(offsetof(TsprRecord, receiptLink) == 1396);
static_assert(offsetof(TsprRecord, contractorId) == 1453);
static_assert(offsetof(TsprRecord, documentId) == 1465);
static_assert(sizeof(TsprRecord) == 1469);

// --- Sales correction header, table 46 (Tspr_kor), 949 bytes -----------------------------------
struct TsprKorRecord {
  Gap<2> gap0;
  TextField<17> number;             //    2
  TextField<17> correctedNumber;    //   19
  HostDate correctedDate;           //   36
  TextField<17> contractorCode;     //   45
  TextField<101> contractorName;    //   62
  TextField<51> contractorAddress;  //  163
  TextField<14> contractorNip;      //  214
  LeU16 calcFlags;                  //  228
  HostDate issueDate;               //  230
  Gap<16> gap239;
  LeI16 paymentForm;                //  255
  LeI16 paymentDays;                //  257
  LeF64 grossAmount;                //  259
  Gap<8> gap267;
  LeF64 vatAmount;                  //  275
  Gap<58> gap283;
  LeU16 kindFlags;                  //  341
  Gap<2> gap343;
  TextField<31> receivedBy;         //  345
  TextField<112> correctionText;    //  376
  HostDate saleDate;                //  488  empty when not set
  Gap<17> gap497;
  TextField<3> countryCode;         //  514
  TextField<57> currency;           //  517
  std::uint8_t exportFlags;         //  574
  Gap<245> gap575;
  LeI16 procMarks;                  //  820
  LeI32 gtuMask;                    //  822
  LeU32 stateFlags;                 //  826
  Gap<83> gap830;
  LeF64 rate;                       //  913
  Gap<12> gap921;
  LeI32 contractorId;               //  933
  Gap<8> gap937;
  LeI32 documentId;                 //  945
};
static_assert(offsetof(TsprKorRecord, number) == 2);
static_assert(offsetof(TsprKorRecord, correctedNumber) == 19);
static_assert(offsetof(TsprKorRecord, correctedDate) == 36);
static_assert(offsetof(TsprKorRecord, contractorCode) == 45);
static_assert(offsetof(TsprKorRecord, contractorName) == 62);
static_assert(offsetof(TsprKorRecord, contractorAddress) == 163);
static_assert(offsetof(TsprKorRecord, contractorNip) == 214);
static_assert(offsetof(TsprKorRecord, calcFlags) == 228);
static_assert(offsetof(TsprKorRecord, issueDate) == 230);
static_assert(offsetof(TsprKorRecord, paymentForm) == 255);
static_assert(offsetof(TsprKorRecord, paymentDays) == 257);
static_assert(offsetof(TsprKorRecord, grossAmount) == 259);
static_assert(offsetof(TsprKorRecord, vatAmount) == 275);
static_assert(offsetof(TsprKorRecord, kindFlags) == 341);
static_assert(offsetof(TsprKorRecord, receivedBy) == 345);
static_assert(offsetof(TsprKorRecord, correctionText) == 376);
static_assert(offsetof(TsprKorRecord, saleDate) == 488);
static_assert(offsetof(TsprKorRecord, countryCode) == 514);
static_assert(offsetof(TsprKorRecord, currency) == 517);
static_assert(offsetof(TsprKorRecord, exportFlags) == 574);
static_assert(offsetof(TsprKorRecord, procMarks) == 820);
static_assert(offsetof(TsprKorRecord, gtuMask) == 822);
static_assert(offsetof(TsprKorRecord, stateFlags) == 826);
static_assert(offsetof(TsprKorRecord, rate) == 913);
static_assert(offsetof(TsprKorRecord, contractorId) == 933);
static_assert(offsetof(TsprKorRecord, documentId) == 945);
static_assert(sizeof(TsprKorRecord) == 949);

// --- Positions: the first 184 bytes are common to tables 45 and 47 -----------------------------
#define VOSTRA_POSITION_COMMON_FIELDS                                        \
  Gap<2> gap0;                                                               \
  TextField<121> name;      /*   2 */                                        \
  TextField<17> code;       /* 123  may be empty */                          \
  LeI32 quantity;           /* 140  x1000 */                                 \
  TextField<6> unit;        /* 144  empty = pieces */                        \
  LeF64 price;              /* 150  gross-calculated documents */           \
  LeF64 valueAlt;           /* 158  net-calculated documents */             \
  LeI16 vatCode;            /* 166 */                                        \
  LeF64 vatValue;           /* 168 */                                        \
  LeF64 value;              /* 176  gross-calculated documents */

#define VOSTRA_CHECK_POSITION_COMMON(T)                 \
  static_assert(offsetof(T, name) == 2);                \
  static_assert(offsetof(T, code) == 123);              \
  static_assert(offsetof(T, quantity) == 140);          \
  static_assert(offsetof(T, unit) == 144);              \
  static_assert(offsetof(T, price) == 150);             \
  static_assert(offsetof(T, valueAlt) == 158);          \
  static_assert(offsetof(T, vatCode) == 166);           \
  static_assert(offsetof(T, vatValue) == 168);          \
  static_assert(offsetof(T, value) == 176)

// The common part alone, for code that reads either kind of row.
struct PositionCommon {
  VOSTRA_POSITION_COMMON_FIELDS
};
VOSTRA_CHECK_POSITION_COMMON(PositionCommon);
static_assert(sizeof(PositionCommon) == 184);

// Invoice position, table 45 (Tspr_dok), 515 bytes.
struct TsprDokRecord {
  VOSTRA_POSITION_COMMON_FIELDS
  Gap<8> gap184;
  LeF64 priceAlt;                   // 192  net-calculated documents
  Gap<80> gap200;
  TextField<171> classification;    // 280  SWW/PKWiU
  LeF64 purchaseValue;              // 451
  Gap<50> gap459;
  LeI16 warehouse;                  // 509
  Gap<4> gap511;
};
VOSTRA_CHECK_POSITION_COMMON(TsprDokRecord);
static_assert(offsetof(TsprDokRecord, priceAlt) == 192);
static_assert(offsetof(TsprDokRecord, classification) == 280);
static_assert(offsetof(TsprDokRecord, purchaseValue) == 451);
static_assert(offsetof(TsprDokRecord, warehouse) == 509);
static_assert(sizeof(TsprDokRecord) == 515);

// Correction position, table 47 (Tspr_kor_dok), 256 bytes.
struct TsprKorDokRecord {
  VOSTRA_POSITION_COMMON_FIELDS
  LeI16 rowKind;                    // 184  1 position row, 2 goods row, other skipped
  Gap<6> gap186;
  LeF64 purchasePrice;              // 192
  TextField<50> classification;     // 200
  LeI16 warehouse;                  // 250
  Gap<4> gap252;
};
VOSTRA_CHECK_POSITION_COMMON(TsprKorDokRecord);
static_assert(offsetof(TsprKorDokRecord, rowKind) == 184);
static_assert(offsetof(TsprKorDokRecord, purchasePrice) == 192);
static_assert(offsetof(TsprKorDokRecord, classification) == 200);
static_assert(offsetof(TsprKorDokRecord, warehouse) == 250);
static_assert(sizeof(TsprKorDokRecord) == 256);

// --- VAT summary, 272 bytes: ten rate slots k = 0..9 -------------------------------------------
struct VatSummary {
  Gap<8> gap0;
  LeF64 gross[10];   //   8 + 8k
  LeF64 net[10];     //  88 + 8k
  LeF64 vat[10];     // 168 + 8k
  LeI16 code[10];    // 248 + 2k  0 = slot not used
  Gap<4> gap268;
};
static_assert(offsetof(VatSummary, gross) == 8);
static_assert(offsetof(VatSummary, net) == 88);
static_assert(offsetof(VatSummary, vat) == 168);
static_assert(offsetof(VatSummary, code) == 248);
static_assert(sizeof(VatSummary) == 272);
inline constexpr int kVatSummarySlots = 10;

// --- Cursor object, 192 bytes, kept by the caller ------------------------------------------------
// The caller sets openWord to 0 before first use and releases the cursor with HostCursorFree on
// every way out; the rest belongs to the host.
struct HostCursor {
  alignas(8) unsigned char host[188];
  std::int32_t openWord;
};
static_assert(offsetof(HostCursor, openWord) == 188);
static_assert(sizeof(HostCursor) == 192);

// Positions query buffer, 256 bytes, filled by HostQueryPrepare.
struct HostQuery {
  alignas(8) unsigned char host[256];
};
static_assert(sizeof(HostQuery) == 256);

// Host kind codes of documents and of their positions.
inline constexpr int kKindInvoiceDomestic = 811;
inline constexpr int kKindInvoiceReceipts = 24;
inline constexpr int kKindInvoiceExport = 807;
inline constexpr int kKindInvoice1836 = 1836;
inline constexpr int kKindCorrectionDomestic = 103;
inline constexpr int kKindCorrectionExport = 809;
inline constexpr int kKindCorrection1838 = 1838;

inline constexpr int kPositionsInvoiceDomestic = 812;
inline constexpr int kPositionsInvoiceReceipts = 68;
inline constexpr int kPositionsInvoiceExport = 808;
inline constexpr int kPositionsInvoice1836 = 1837;
inline constexpr int kPositionsCorrectionDomestic = 104;
inline constexpr int kPositionsCorrectionExport = 810;
inline constexpr int kPositionsCorrection1838 = 1839;

inline constexpr std::uint8_t kExportedFlag = 4;  // bit 2 of exportFlags
