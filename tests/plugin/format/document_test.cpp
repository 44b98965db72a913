#include <gtest/gtest.h>

#include "writer_fixture.h"

namespace {

using writer_test::Put;
using writer_test::PutDate;
using writer_test::Tabs;
using writer_test::Values;

constexpr const char* kHostData = R"({"format": "vostra-host-data/1",
  "vatRates": [{"code": 1, "percent": 23}, {"code": 2, "percent": 8}],
  "paymentForms": [{"code": 0, "text": "gotówka"}, {"code": 1, "text": "przelew"}]})";

// The document writers on header records of their own. Document id 0 keeps the positions walk
// and the Netto lines out, and the template is empty, so a block holds its head, the JPK_V7
// trailer, the register lines and the settlement.
class DocumentTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    Load(kHostData);
    std::strcpy(x.optionsBlock.rejestr[0], "RS");
    std::strcpy(x.optionsBlock.rejestr[1], "RE");
    std::strcpy(x.optionsBlock.rejestr[2], "RK");
    std::strcpy(x.optionsBlock.rejestr[3], "RKE");

    std::memset(static_cast<void*>(&inv), 0, sizeof inv);
    Put(inv.number, "FV 1/03/2024");
    Put(inv.contractorCode, "ALFA");
    Put(inv.contractorName, " Alfa Handel ");
    Put(inv.contractorAddress, "00-950 Warszawa          ul. Długa 5/12");
    Put(inv.contractorNip, "1112223344");
    PutDate(inv.saleDate, "2024-03-04");
    PutDate(inv.issueDate, "2024-03-05");
    inv.toPay.set(1338000);
    inv.paymentForm.set(1);
    inv.paymentDays.set(14);
    inv.grossAmount.set(1338000);
    inv.vatAmount.set(238000);
    Put(inv.receivedBy, "Jan Nowak");
    Put(inv.currency, "PLN");
    inv.rate.set(10000);
    inv.procMarks.set(0x5);      // SW, TP
    inv.gtuMask.set(0x1001);     // GTU_01, GTU_13
    inv.contractorId.set(1);

    std::memset(static_cast<void*>(&summary), 0, sizeof summary);
    SetSlot(0, 1, 1230000, 1000000, 230000);
    SetSlot(1, 2, 108000, 100000, 8000);
  }
  void SetSlot(int k, int code, double gross, double net, double vat) {
    summary.code[k].set(static_cast<std::int16_t>(code));
    summary.gross[k].set(gross);
    summary.net[k].set(net);
    summary.vat[k].set(vat);
  }

  TsprRecord inv;
  VatSummary summary;
};

TEST_F(DocumentTest, WritesAnInvoice) {
  x.kindHandle = kPositionsInvoiceDomestic;
  x.WriteInvoiceDokument(&inv, file, 0, &summary);
  EXPECT_EQ(Output(), Tabs(R"(Dokument{
\t\tanulowany =0
\t\trodzaj_dok =sprzedaży
\t\tod_brutto=1
\t\tmetoda_VAT =0
\t\tdozaplaty =133.800000000000
\t\twdozaplaty =133.800000000000
\t\tRozrachunek{
\t\t\t\tkwota =133.800000000000
\t\t\t\twkwota =133.800000000000
\t\t\t\twaluta =PLN
\t\t\t\tkurs =1.000000000000
\t\t}
\t\tNotatka_Dl{
\t\t\t\topis =
\t\t}
\t\tkodKH =ALFA
\t\tkodOdKH =ALFA
\t\tznaczniki =0
\t\tinfo =N
\t\tkod =RS/FV 1/03/2024
\t\tdata =2024-03-05
\t\tdatasp =2024-03-04
\t\tnazwa =Faktura
\t\topis =
\t\tkhid =1
\t\tkhkod =ALFA
\t\tkhnazwa =Alfa Handel
\t\tkhadres =Długa
\t\tkhdom =5
\t\tkhlokal =12
\t\tkhmiasto =Warszawa
\t\tkhkodpocz =00-950
\t\tkhnip =1112223344
\t\todid =1
\t\todkod =ALFA
\t\todnazwa =Alfa Handel
\t\todadres =Długa
\t\toddom =5
\t\todlokal =12
\t\todmiasto =Warszawa
\t\todkodpocz =00-950
\t\tok =1
\t\tpuste =0
\t\twplaty =0.000000000000
\t\todebrane =Jan Nowak
\t\ttyp_dk =FVS
\t\twaluta =PLN
\t\tkurs =1.000000000000
\t\trejestr_vat =RS
\t\tnazwa_rejestru_vat =Sprzedaż VAT
\t\ttyp_rejestru_vat =1
\t\tkhKrajKod =PL
\t\tkhKrajNazwa =
\t\tgrupacen =3
\t\tod_brutto =0
\t\tflag =0
\t\tseria =sFVS
\t\trejestr_platnosci =BANK
\t\tforma_platnosci =przelew 14 dni
\t\tkursDoch =1.000000000000
\t\tNazwaKatalogu =\@Dokumenty
\t\tNazwaRodzaju =Dokumenty 
\t\tMPP =0
\t\tmppFlags =0
\t\tFK nazwa =FV 1/03/2024
\t\topis FK =Faktura sprzedaży towaru/usługi
\t\tJPK_V7 =SW,TP
\t\tkwota =133.80
\t\tsymbol FK =RS
\t\tobsluguj jak =RS
\t\tFK nazwa =RS/FV 1/03/2024
\t\topis FK =
\t\tRejestr{
\t\t\t\tSkrot =RS
\t\t\t\tNazwa =Sprzedaż VAT
\t\t\t\tRodzaj =1
\t\t\t\tABC =1
\t\t\t\tmetoda_VAT =0
\t\t\t\tdatarej =2024-03-04
\t\t\t\tokres =2024-03-04
\t\t\t\tJPK_V7 =GTU_01,GTU_13
\t\t\t\tstawka =23.00
\t\t\t\tbrutto =123.00
\t\t\t\tnetto =100.00
\t\t\t\tvat =23.00
\t\t}
\t\tRejestr{
\t\t\t\tSkrot =RS
\t\t\t\tNazwa =Sprzedaż VAT
\t\t\t\tRodzaj =1
\t\t\t\tABC =1
\t\t\t\tmetoda_VAT =0
\t\t\t\tdatarej =2024-03-04
\t\t\t\tokres =2024-03-04
\t\t\t\tJPK_V7 =GTU_01,GTU_13
\t\t\t\tstawka =8.00
\t\t\t\tbrutto =10.80
\t\t\t\tnetto =10.00
\t\t\t\tvat =0.80
\t\t}
\t\tRozliczenie{
\t\t\t\tdSymbol =RS/FV 1/03/2024
\t\t\t\tidDlaRozliczen =-1
\t\t\t\tkwota =133.80
\t\t\t\ttermin =2024-03-04
\t\t}
}
)"));
}

TEST_F(DocumentTest, InvoiceHeadVariants) {
  struct Case {
    const char* name;
    int type;
    std::uint16_t kindFlags;
    std::uint32_t stateFlags;
    std::uint16_t calcFlags;
    int paymentDays;
    int paymentForm;
    const char* country;
    double rate;
    // expected
    const char* typ;
    const char* seria;
    const char* opisFk;
    const char* rejestr;
    const char* platnosci;
    const char* forma;
    const char* krajKod;
    const char* anulowany;
    const char* mpp;
    const char* odBrutto;
    const char* kurs;
  };
  const Case cases[] = {
      {"plain", 0, 0, 0, 0, 14, 1, "", 10000, "FVS", "sFVS", "Faktura sprzedaży towaru/usługi",
       "RS", "BANK", "przelew 14 dni", "PL", "0", "0", "1", "1.000000000000"},
      {"advance with 0x0200", 0, 0x1200, 0, 0, 14, 1, "", 10000, "ZVS", "sZVS",
       "Faktura zaliczkowa", "RS", "BANK", "przelew 14 dni", "PL", "0", "0", "1",
       "1.000000000000"},
      {"final advance", 3, 0x1000, 0, 0, 14, 1, "", 10000, "ZVS", "sZVS",
       "Faktura zaliczkowa końcowa", "RS", "BANK", "przelew 14 dni", "PL", "0", "0", "1",
       "1.000000000000"},
      {"receipts table wins over advance", 1, 0x1000, 0, 0, 14, 1, "", 10000, "PAR", "sPAR",
       "Faktura zaliczkowa końcowa", "RS", "BANK", "przelew 14 dni", "PL", "0", "0", "1",
       "1.000000000000"},
      {"export, cash, foreign", 2, 0, 0, 1, 0, 0, "DE", 43000, "FVS", "sFVS",
       "Faktura sprzedaży towaru/usługi", "RE", "KASA", "gotówka", "DE", "0", "0", "0",
       "4.300000000000"},
      {"cancelled, no rate", 0, 0, 0x20, 0, 0, 1, "", 0, "FVS", "sFVS",
       "Faktura sprzedaży towaru/usługi", "RS", "KASA", "przelew", "PL", "1", "0", "1",
       "1.000000000000"},
      {"split payment 0x100", 0, 0, 0x100, 0, 0, 0, "", 10000, "FVS", "sFVS",
       "Faktura sprzedaży towaru/usługi", "RS", "KASA", "gotówka", "PL", "0", "1", "1",
       "1.000000000000"},
      {"split payment 0x200", 0, 0, 0x200, 0, 0, 0, "", 10000, "FVS", "sFVS",
       "Faktura sprzedaży towaru/usługi", "RS", "KASA", "gotówka", "PL", "0", "1", "1",
       "1.000000000000"},
  };
  for (const Case& c : cases) {
    inv.kindFlags.set(c.kindFlags);
    inv.stateFlags.set(c.stateFlags);
    inv.calcFlags.set(c.calcFlags);
    inv.paymentDays.set(static_cast<std::int16_t>(c.paymentDays));
    inv.paymentForm.set(static_cast<std::int16_t>(c.paymentForm));
    Put(inv.countryCode, c.country);
    inv.rate.set(c.rate);
    x.WriteInvoiceDokument(&inv, file, c.type, nullptr);
  }
  const std::string out = Output();
  const auto typ = Values(out, "typ_dk =");
  const auto seria = Values(out, "seria =");
  const auto opisFk = Values(out, "opis FK =");  // the head's, then the trailer's empty one
  const auto rejestr = Values(out, "rejestr_vat =");
  const auto platnosci = Values(out, "rejestr_platnosci =");
  const auto forma = Values(out, "forma_platnosci =");
  const auto krajKod = Values(out, "khKrajKod =");
  const auto krajNazwa = Values(out, "khKrajNazwa =");
  const auto anulowany = Values(out, "anulowany =");
  const auto mpp = Values(out, "MPP =");
  const auto mppFlags = Values(out, "mppFlags =");
  const auto odBrutto = Values(out, "od_brutto=");
  const auto kurs = Values(out, "kurs =");  // Rozrachunek's and the head's
  const auto kursDoch = Values(out, "kursDoch =");
  ASSERT_EQ(typ.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(typ[i], c.typ);
    EXPECT_EQ(seria[i], c.seria);
    EXPECT_EQ(opisFk[2 * i], c.opisFk);
    EXPECT_EQ(opisFk[2 * i + 1], "");
    EXPECT_EQ(rejestr[i], c.rejestr);
    EXPECT_EQ(platnosci[i], c.platnosci);
    EXPECT_EQ(forma[i], c.forma);
    EXPECT_EQ(krajKod[i], c.krajKod);
    EXPECT_EQ(krajNazwa[i], c.country);
    EXPECT_EQ(anulowany[i], c.anulowany);
    EXPECT_EQ(mpp[i], c.mpp);
    EXPECT_EQ(mppFlags[i], c.mpp);
    EXPECT_EQ(odBrutto[i], c.odBrutto);
    EXPECT_EQ(kurs[2 * i], c.kurs);
    EXPECT_EQ(kurs[2 * i + 1], c.kurs);
    EXPECT_EQ(kursDoch[i], c.kurs);
  }
}

TEST_F(DocumentTest, ConsecutiveDocumentsShareNoTexts) {
  x.WriteInvoiceDokument(&inv, file, 0, nullptr);
  TsprRecord bare;
  std::memset(static_cast<void*>(&bare), 0, sizeof bare);
  Put(bare.number, "FV 2");
  x.WriteInvoiceDokument(&bare, file, 0, nullptr);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "kodKH ="), (std::vector<std::string>{"ALFA", ""}));
  EXPECT_EQ(Values(out, "khnazwa ="), (std::vector<std::string>{"Alfa Handel", ""}));
  EXPECT_EQ(Values(out, "khmiasto ="), (std::vector<std::string>{"Warszawa", ""}));
  EXPECT_EQ(Values(out, "khid ="), (std::vector<std::string>{"1", "0"}));
  EXPECT_EQ(Values(out, "odebrane ="), (std::vector<std::string>{"Jan Nowak", ""}));
  // A document without dates writes empty dates, not made-up ones.
  EXPECT_EQ(Values(out, "datasp ="), (std::vector<std::string>{"2024-03-04", ""}));
  EXPECT_EQ(Values(out, "termin ="), (std::vector<std::string>{"2024-03-04", ""}));
  EXPECT_EQ(x.documentArea.docNumber, std::string("FV 2"));
}

class CorrectionTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    std::memset(static_cast<void*>(&kor), 0, sizeof kor);
    Put(kor.number, "KOR 1/2024");
    Put(kor.correctedNumber, "FV 1/03/2024");
    PutDate(kor.correctedDate, "2024-03-05");
    Put(kor.contractorCode, "ALFA");
    Put(kor.contractorName, "Alfa Handel");
    Put(kor.contractorAddress, "ul. Długa 5 00-950 Warszawa");
    Put(kor.contractorNip, "1112223344");
    kor.calcFlags.set(1);
    PutDate(kor.issueDate, "2024-03-20");
    kor.grossAmount.set(-123000);
    kor.vatAmount.set(-23000);
    Put(kor.receivedBy, "Anna");
    Put(kor.correctionText, "Zwrot towaru");
    Put(kor.currency, "PLN");
    kor.rate.set(10000);
    kor.contractorId.set(1);
    std::memset(static_cast<void*>(&summary), 0, sizeof summary);
    SetSlot(0, 1, -1230000, -1000000, -230000);
  }
  TsprKorRecord kor;
};

TEST_F(CorrectionTest, WritesACorrection) {
  x.kindHandle = kPositionsCorrectionExport;
  x.WriteCorrectionDokument(&kor, file, 1, &summary);
  EXPECT_EQ(Output(), Tabs(R"(Dokument{
\t\tanulowany =0
\t\trodzaj_dok =sprzedaży
\t\tod_brutto=0
\t\tmetoda_VAT =0
\t\tdozaplaty =0.000000000000
\t\twdozaplaty =0.000000000000
\t\tRozrachunek{
\t\t\t\tkwota =-12.300000000000
\t\t\t\twkwota =-12.300000000000
\t\t\t\twaluta =PLN
\t\t\t\tkurs =1.000000000000
\t\t}
\t\tNotatka_Dl{
\t\t\t\topis =
\t\t}
\t\tkodKH =ALFA
\t\tkodOdKH =ALFA
\t\tznaczniki =0
\t\tinfo =N
\t\tkod =RKE/KOR 1/2024
\t\tdata =2024-03-20
\t\tdatasp =2024-03-20
\t\tnazwa =Faktura
\t\topis =Zwrot towaru
\t\tkhid =1
\t\tkhkod =ALFA
\t\tkhnazwa =Alfa Handel
\t\tkhadres =Długa
\t\tkhdom =5
\t\tkhlokal =
\t\tkhmiasto =Warszawa
\t\tkhkodpocz =00-950
\t\tkhnip =1112223344
\t\todid =1
\t\todkod =ALFA
\t\todnazwa =Alfa Handel
\t\todadres =Długa
\t\toddom =5
\t\todlokal =
\t\todmiasto =Warszawa
\t\todkodpocz =00-950
\t\tkhKrajKod =PL
\t\tkhKrajNazwa =
\t\tgrupacen =3
\t\tod_brutto =0
\t\tflag =0
\t\twplaty =0.000000000000
\t\ttyp_dk =FKS
\t\tseria =sFKS
\t\trejestr_platnosci =KASA
\t\tforma_platnosci =gotówka
\t\todebrane =Anna
\t\trejestr_vat =RKE
\t\tnazwa_rejestru_vat =Sprzedaż VAT
\t\ttyp_rejestru_vat =1
\t\twaluta =PLN
\t\tkurs =1.000000000000
\t\tkursDoch =1.000000000000
\t\tNazwaKatalogu =\@Dokumenty
\t\tNazwaRodzaju =Dokumenty 
\t\tMPP =0
\t\tmppFlags =0
\t\tFK nazwa =KOR 1/2024
\t\topis FK =Korekta sprzedaży towaru/usługi
\t\tJPK_V7 =
\t\tkwota =-12.30
\t\tsymbol FK =RKE
\t\tobsluguj jak =RKE
\t\tNazwaKor =FV 1/03/2024
\t\tDataKor =2024-03-05
\t\tFK nazwa =RKE/KOR 1/2024
\t\topis FK =
\t\tRejestr{
\t\t\t\tSkrot =RKE
\t\t\t\tNazwa =Sprzedaż VAT
\t\t\t\tRodzaj =1
\t\t\t\tABC =1
\t\t\t\tmetoda_VAT =0
\t\t\t\tdatarej =2024-03-20
\t\t\t\tokres =2024-03-20
\t\t\t\tJPK_V7 =
\t\t\t\tstawka =23.00
\t\t\t\tbrutto =-123.00
\t\t\t\tnetto =-100.00
\t\t\t\tvat =-23.00
\t\t}
\t\tRozliczenie{
\t\t\t\tdSymbol =RKE/KOR 1/2024
\t\t\t\tidDlaRozliczen =-1
\t\t\t\tkwota =-12.30
\t\t\t\ttermin =2024-03-20
\t\t}
}
)"));
}

TEST_F(CorrectionTest, CorrectionVariants) {
  x.kindHandle = kPositionsCorrectionDomestic;
  // Domestic, with a sale date of its own.
  PutDate(kor.saleDate, "2024-03-18");
  x.WriteCorrectionDokument(&kor, file, 0, nullptr);
  // Advance correction of kind 1838, with FP markings: the type goes on mapped to 5.
  kor.kindFlags.set(0x1600);
  x.WriteCorrectionDokument(&kor, file, 2, nullptr);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "data ="), (std::vector<std::string>{"2024-03-20", "2024-03-20"}));
  EXPECT_EQ(Values(out, "datasp ="), (std::vector<std::string>{"2024-03-18", "2024-03-18"}));
  EXPECT_EQ(Values(out, "termin ="), (std::vector<std::string>{"2024-03-18", "2024-03-18"}));
  EXPECT_EQ(Values(out, "rejestr_vat ="), (std::vector<std::string>{"RK", "RK"}));
  EXPECT_EQ(Values(out, "typ_dk ="), (std::vector<std::string>{"FKS", "ZKS"}));
  EXPECT_EQ(Values(out, "seria ="), (std::vector<std::string>{"sFKS", "sZKS"}));
  EXPECT_EQ(Values(out, "JPK_V7 ="), (std::vector<std::string>{"", "FP,"}));
  EXPECT_EQ(Values(out, "opis FK =")[2], "Faktura zaliczkowa");
}

}  // namespace
