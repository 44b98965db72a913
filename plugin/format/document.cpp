// The Dokument block of sales invoices and sales corrections: the per-document area, the head,
// and the hand-over to the positions, JPK_V7, decree, register and settlement writers.
#include <cstdio>
#include <cstring>

#include "format/address.h"
#include "format/codepage.h"
#include "format/fields.h"
#include "run/exporter.h"

namespace plugin {
namespace {

constexpr int kPaymentFormField = 151;
constexpr std::uint16_t kAdvanceInvoice = 0x1000;
constexpr std::uint16_t kPartialAdvance = 0x0200;
constexpr std::uint32_t kCancelled = 0x0020;
constexpr std::uint32_t kSplitPayment = 0x0100 | 0x0200;
constexpr int kTypeReceipts = 1;
constexpr int kTypeExport = 2;
constexpr int kCorrectionTypeExport = 1;

// Lines shared by both heads up to "opis =" (which the correction fills, the invoice leaves
// empty), then the contractor twice.
#define VOSTRA_DOKUMENT_OPENING(OPIS)  \
  "Dokument{\n"                        \
  "\t\tanulowany =%d\n"                \
  "\t\trodzaj_dok =%s\n"               \
  "\t\tod_brutto=%d\n"                 \
  "\t\tmetoda_VAT =0\n"                \
  "\t\tdozaplaty =%.12f\n"             \
  "\t\twdozaplaty =%.12f\n"            \
  "\t\tRozrachunek{\n"                 \
  "\t\t\t\tkwota =%.12f\n"             \
  "\t\t\t\twkwota =%.12f\n"            \
  "\t\t\t\twaluta =%s\n"               \
  "\t\t\t\tkurs =%.12f\n"              \
  "\t\t}\n"                            \
  "\t\tNotatka_Dl{\n"                  \
  "\t\t\t\topis =\n"                   \
  "\t\t}\n"                            \
  "\t\tkodKH =%s\n"                    \
  "\t\tkodOdKH =%s\n"                  \
  "\t\tznaczniki =0\n"                 \
  "\t\tinfo =N\n"                      \
  "\t\tkod =%s/%s\n"                   \
  "\t\tdata =%s\n"                     \
  "\t\tdatasp =%s\n"                   \
  "\t\tnazwa =%s\n"                    \
  "\t\topis =" OPIS "\n"               \
  "\t\tkhid =%d\n"                     \
  "\t\tkhkod =%s\n"                    \
  "\t\tkhnazwa =%s\n"                  \
  "\t\tkhadres =%s\n"                  \
  "\t\tkhdom =%s\n"                    \
  "\t\tkhlokal =%s\n"                  \
  "\t\tkhmiasto =%s\n"                 \
  "\t\tkhkodpocz =%s\n"                \
  "\t\tkhnip =%s\n"                    \
  "\t\todid =%d\n"                     \
  "\t\todkod =%s\n"                    \
  "\t\todnazwa =%s\n"                  \
  "\t\todadres =%s\n"                  \
  "\t\toddom =%s\n"                    \
  "\t\todlokal =%s\n"                  \
  "\t\todmiasto =%s\n"                 \
  "\t\todkodpocz =%s\n"

constexpr const char* kInvoiceHead =
    VOSTRA_DOKUMENT_OPENING("")
    "\t\tok =1\n"
    "\t\tpuste =0\n"
    "\t\twplaty =%.12f\n"
    "\t\todebrane =%s\n"
    "\t\ttyp_dk =%s\n"
    "\t\twaluta =%s\n"
    "\t\tkurs =%.12f\n"
    "\t\trejestr_vat =%s\n"
    "\t\tnazwa_rejestru_vat =%s\n"
    "\t\ttyp_rejestru_vat =1\n"
    "\t\tkhKrajKod =%s\n"
    "\t\tkhKrajNazwa =%s\n"
    "\t\tgrupacen =3\n"
    "\t\tod_brutto =0\n"
    "\t\tflag =0\n"
    "\t\tseria =%s\n"
    "\t\trejestr_platnosci =%s\n"
    "\t\tforma_platnosci =%s\n"
    "\t\tkursDoch =%.12f\n"
    "\t\tNazwaKatalogu =\\@Dokumenty\n"
    "\t\tNazwaRodzaju =Dokumenty \n"
    "\t\tMPP =%d\n"
    "\t\tmppFlags =%d\n"
    "\t\tFK nazwa =%s\n"
    "\t\topis FK =%s\n";

constexpr const char* kCorrectionHead =
    VOSTRA_DOKUMENT_OPENING("%s")
    "\t\tkhKrajKod =%s\n"
    "\t\tkhKrajNazwa =%s\n"
    "\t\tgrupacen =3\n"
    "\t\tod_brutto =0\n"
    "\t\tflag =0\n"
    "\t\twplaty =%.12f\n"
    "\t\ttyp_dk =%s\n"
    "\t\tseria =%s\n"
    "\t\trejestr_platnosci =%s\n"
    "\t\tforma_platnosci =%s\n"
    "\t\todebrane =%s\n"
    "\t\trejestr_vat =%s\n"
    "\t\tnazwa_rejestru_vat =%s\n"
    "\t\ttyp_rejestru_vat =1\n"
    "\t\twaluta =%s\n"
    "\t\tkurs =%.12f\n"
    "\t\tkursDoch =%.12f\n"
    "\t\tNazwaKatalogu =\\@Dokumenty\n"
    "\t\tNazwaRodzaju =Dokumenty \n"
    "\t\tMPP =%d\n"
    "\t\tmppFlags =%d\n"
    "\t\tFK nazwa =%s\n"
    "\t\topis FK =%s\n";

#undef VOSTRA_DOKUMENT_OPENING

// What both heads take from their record in the same way.
struct HeadTexts {
  char contractorName[kTextSize];
  AddressParts address;
  char payment[kTextSize];
  char paymentRegister[kTextSize];
  char countryCode[kTextSize];
  char countryShown[kTextSize];
  char issueDate[kTextSize];
  char saleDate[kTextSize];
  char currency[kTextSize];
  char receivedBy[kTextSize];
  char nip[kTextSize];
  char contractorCode[kTextSize];
  char description[kTextSize];
};

template <class Record>
void PrepareHead(const Record& r, HeadTexts* t) {
  CopyField(t->contractorName, r.contractorName);
  HostNormalizeText(t->contractorName);
  char address[kTextSize];
  CopyField(address, r.contractorAddress);
  SplitAddress(address, &t->address);

  const int days = r.paymentDays.get();
  if (days != 0) {
    const char* form = HostFieldText(nullptr, 0, &r.paymentForm, kPaymentFormField);
    std::snprintf(t->payment, sizeof t->payment, "%s %d dni", form ? form : "", days);
  } else {
    t->payment[0] = 0;
    HostFieldText(t->payment, kTextMax, &r.paymentForm, kPaymentFormField);
  }
  CopyText(t->paymentRegister, days != 0 ? "BANK" : "KASA");

  CopyField(t->countryCode, r.countryCode);
  CopyText(t->countryShown, t->countryCode[0] ? t->countryCode : "PL");
  FormatHostDate(t->issueDate, sizeof t->issueDate, &r.issueDate);
  CopyField(t->currency, r.currency);
  CopyField(t->receivedBy, r.receivedBy);
  CopyField(t->nip, r.contractorNip);
  CopyField(t->contractorCode, r.contractorCode);
}

// Type code and series of a document, and those of its advance-invoice form.
struct TypeCodes {
  const char* code;
  const char* series;
  const char* advanceCode;
  const char* advanceSeries;
};

// The texts that name the document's type; an advance invoice takes its own code, series and
// description, final or not.
void SetTypeTexts(DocumentArea& d, HeadTexts& t, std::uint16_t kindFlags, const TypeCodes& codes,
                  const char* description) {
  CopyText(d.docRegisterName, "Sprzedaż VAT"_mz);
  CopyText(d.docName, "Faktura");
  CopyText(d.docKindText, "sprzedaży"_mz);
  const bool advance = (kindFlags & kAdvanceInvoice) != 0;
  CopyText(d.docTypeCode, advance ? codes.advanceCode : codes.code);
  CopyText(d.docSeries, advance ? codes.advanceSeries : codes.series);
  if (advance)
    std::snprintf(t.description, sizeof t.description, "Faktura zaliczkowa%s",
                  (kindFlags & kPartialAdvance) ? "" : " końcowa"_mz);
  else
    CopyText(t.description, description);
}

// Register code i of the options (at most 20 characters) into the document's register.
void CopyRegister(char* out, const char (&rejestr)[21]) {
  out[0] = 0;
  HostStrCopyN(out, rejestr, 20);
}

}  // namespace

void CZantoriaKHTowary::WriteInvoiceDokument(const TsprRecord* record, HostFile* file, int type,
                                             const VatSummary* summary) {
  DocumentArea& d = documentArea;
  std::memset(&d, 0, sizeof d);
  const TsprRecord& r = *record;
  // Everything read from the header record is taken before the first host call that loads
  // records (the positions walk, the contractor lookup of the decree).
  const std::int32_t documentId = r.documentId.get();
  const std::int32_t contractorId = r.contractorId.get();
  const std::uint16_t calcFlags = r.calcFlags.get();
  const std::uint16_t kindFlags = r.kindFlags.get();
  const std::uint32_t stateFlags = r.stateFlags.get();
  const double gross = r.grossAmount.get();
  const double vat = r.vatAmount.get();
  const HostDate saleDate = r.saleDate;
  const std::int32_t procMarks = r.procMarks.get();
  const std::int32_t gtuMask = r.gtuMask.get();

  HeadTexts t;
  PrepareHead(r, &t);
  CopyRegister(d.docRegister, optionsBlock.rejestr[type == kTypeExport ? 1 : 0]);
  SetTypeTexts(d, t, kindFlags, {"FVS", "sFVS", "ZVS", "sZVS"},
               "Faktura sprzedaży towaru/usługi"_mz);
  if (type == kTypeReceipts) {
    CopyText(d.docTypeCode, "PAR");
    CopyText(d.docSeries, "sPAR");
  }
  CopyText(d.docContractorCode, t.contractorCode);
  d.docContractorId = contractorId;
  FormatHostDate(d.docPositionDate, sizeof d.docPositionDate, &saleDate);
  CopyField(d.docNumber, r.number);
  FormatHostDate(t.saleDate, sizeof t.saleDate, &saleDate);
  const double rate = przel_wal(r.rate.get());
  const double toPay = r.toPay.get() / 10000.0;
  const int mpp = (stateFlags & kSplitPayment) ? 1 : 0;
  const AddressParts& a = t.address;

  HostFilePrintf(
      file, kInvoiceHead, (stateFlags & kCancelled) ? 1 : 0, d.docKindText,
      (calcFlags & 1) ? 0 : 1, toPay, toPay, gross / 10000.0, gross / 10000.0, t.currency, rate,
      d.docContractorCode, t.contractorCode, d.docRegister, d.docNumber, t.issueDate, t.saleDate,
      d.docName, d.docContractorId, d.docContractorCode, t.contractorName, a.street, a.house,
      a.flat, a.city, a.postalCode, t.nip, d.docContractorId, d.docContractorCode,
      t.contractorName, a.street, a.house, a.flat, a.city, a.postalCode, r.paid.get() / 10000.0,
      t.receivedBy, d.docTypeCode, t.currency, rate, d.docRegister, d.docRegisterName,
      t.countryShown, t.countryCode, d.docSeries, t.paymentRegister, t.payment, rate, mpp, mpp,
      d.docNumber, t.description);

  WritePositions(file, documentId, calcFlags, 0);
  WriteJpkTrailer(file, stateFlags, procMarks, kindFlags, type, nullptr, nullptr, gross);
  WriteDekret(file, documentId, contractorId, calcFlags, vat, gross);
  WriteRejestr(file, summary, &saleDate, gtuMask);
  WriteRozliczenie(file, &saleDate, gross);
  HostFilePrintf(file, "}\n");
}

void CZantoriaKHTowary::WriteCorrectionDokument(const TsprKorRecord* record, HostFile* file,
                                                int type, const VatSummary* summary) {
  DocumentArea& d = documentArea;
  std::memset(&d, 0, sizeof d);
  const TsprKorRecord& r = *record;
  const std::int32_t documentId = r.documentId.get();
  const std::int32_t contractorId = r.contractorId.get();
  const std::uint16_t calcFlags = r.calcFlags.get();
  const std::uint16_t kindFlags = r.kindFlags.get();
  const std::uint32_t stateFlags = r.stateFlags.get();
  const double gross = r.grossAmount.get();
  const double vat = r.vatAmount.get();
  // A correction without its own sale date is dated by its issue date.
  const HostDate saleDate = r.saleDate.empty() ? r.issueDate : r.saleDate;
  const HostDate correctedDate = r.correctedDate;
  const std::int32_t procMarks = r.procMarks.get();
  const std::int32_t gtuMask = r.gtuMask.get();
  char correctedNumber[kTextSize];
  CopyField(correctedNumber, r.correctedNumber);
  char correctionText[kTextSize];
  CopyField(correctionText, r.correctionText);

  HeadTexts t;
  PrepareHead(r, &t);
  CopyRegister(d.docRegister, optionsBlock.rejestr[type == kCorrectionTypeExport ? 3 : 2]);
  SetTypeTexts(d, t, kindFlags, {"FKS", "sFKS", "ZKS", "sZKS"},
               "Korekta sprzedaży towaru/usługi"_mz);
  CopyText(d.docContractorCode, t.contractorCode);
  d.docContractorId = contractorId;
  FormatHostDate(d.docPositionDate, sizeof d.docPositionDate, &r.issueDate);
  CopyField(d.docNumber, r.number);
  FormatHostDate(t.saleDate, sizeof t.saleDate, &saleDate);
  const double rate = przel_wal(r.rate.get());
  const int mpp = (stateFlags & kSplitPayment) ? 1 : 0;
  const int mappedType = type == 1 ? 2 : type == 2 ? 5 : 0;
  const AddressParts& a = t.address;

  HostFilePrintf(
      file, kCorrectionHead, (stateFlags & kCancelled) ? 1 : 0, d.docKindText,
      (calcFlags & 1) ? 0 : 1, 0.0, 0.0, gross / 10000.0, gross / 10000.0, t.currency, rate,
      d.docContractorCode, t.contractorCode, d.docRegister, d.docNumber, t.issueDate, t.saleDate,
      d.docName, correctionText, d.docContractorId, d.docContractorCode, t.contractorName,
      a.street, a.house, a.flat, a.city, a.postalCode, t.nip, d.docContractorId,
      d.docContractorCode, t.contractorName, a.street, a.house, a.flat, a.city, a.postalCode,
      t.countryShown, t.countryCode, 0.0, d.docTypeCode, d.docSeries, t.paymentRegister,
      t.payment, t.receivedBy, d.docRegister, d.docRegisterName, t.currency, rate, rate, mpp,
      mpp, d.docNumber, t.description);

  WritePositions(file, documentId, calcFlags, 0);
  WriteJpkTrailer(file, stateFlags, procMarks, kindFlags, mappedType, correctedNumber,
                  &correctedDate, gross);
  WriteDekret(file, documentId, contractorId, calcFlags, vat, gross);
  WriteRejestr(file, summary, &saleDate, gtuMask);
  WriteRozliczenie(file, &saleDate, gross);
  HostFilePrintf(file, "}\n");
}

}  // namespace plugin
