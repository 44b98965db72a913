#include <gtest/gtest.h>

#include "plugin/format/writer_fixture.h"

namespace {

using writer_test::Mz;
using writer_test::Tabs;
using writer_test::Values;

constexpr const char* kHostData = R"({"format": "vostra-host-data/1",
  "vatRates": [{"code": 1, "percent": 23}, {"code": 2, "percent": 8}],
  "contractors": [
    {"id": 1, "code": "ALFA", "name": "Alfa", "nip": "111-222-33-44", "info3": "INF3",
     "accountNumber": 2010},
    {"id": 2, "code": "BETA", "name": "Beta", "nip": "555-666-77-88"}],
  "invoices": [
    {"documentId": 1, "kind": 811, "number": "FV 1", "issueDate": "2024-03-05", "positions": [
      {"name": "Młotek", "quantity": 1, "value": 30, "valueAlt": 3, "vatCode": 1},
      {"name": "Netto - cat8%", "quantity": 1, "value": 100, "valueAlt": 10, "vatCode": 2},
      {"name": "Gratis", "quantity": 0, "value": 99, "valueAlt": 99, "vatCode": 1},
      {"name": "Netto - gast8%", "quantity": 2, "value": 50, "valueAlt": 5, "vatCode": 2},
      {"name": "Wkręty", "quantity": 1, "value": 0.5, "valueAlt": 0.05, "vatCode": 1}]}],
  "corrections": [
    {"documentId": 2, "kind": 103, "number": "K 1", "issueDate": "2024-03-05", "positions": [
      {"rowKind": 1, "name": "Młotek", "quantity": -1, "value": -50, "vatCode": 1},
      {"rowKind": 2, "name": "Młotek", "quantity": 1, "value": 70, "vatCode": 1},
      {"rowKind": 1, "name": "Młotek", "quantity": 1, "value": 50, "vatCode": 1}]}]})";

class DecreeTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    Load(kHostData);
    std::strcpy(x.documentArea.docRegister, "RS");
    std::strcpy(x.documentArea.docNumber, "FV 1");
  }
  void LoadTemplate(std::int16_t type) {
    x.LoadSaveDekrSchema(type, 0);
    x.kindHandle = type >= plugin::kTypeCorrections ? kPositionsCorrectionDomestic
                                                     : kPositionsInvoiceDomestic;
  }
};

TEST_F(DecreeTest, WritesBruttoNettoByAccountAndVat) {
  LoadTemplate(plugin::kTypeInvoices);
  x.WriteDekret(file, 1, 1, 0, 230000, 1800000);
  EXPECT_EQ(Output(), Tabs(R"(\t\tZapis{
\t\t\t\tstrona =WN
\t\t\t\tkwota =180.00
\t\t\t\tkonto =200-1-K1
\t\t\t\tIdDlaRozliczen =1
\t\t\t\topis =Sprzedaż
\t\t\t\tNumerDok =RS/FV 1
\t\t\t\tPozycja =0
\t\t\t\tZapisRownolegly =0
\t\t}
\t\tZapis{
\t\t\t\tstrona =MA
\t\t\t\tkwota =30.50
\t\t\t\tkonto =701-1
\t\t\t\tIdDlaRozliczen =2
\t\t\t\topis =Netto niewyszczególnione
\t\t\t\tNumerDok =RS/FV 1
\t\t\t\tPozycja =0
\t\t\t\tZapisRownolegly =0
\t\t}
\t\tZapis{
\t\t\t\tstrona =MA
\t\t\t\tkwota =150.00
\t\t\t\tkonto =701-1-2-10-20-18
\t\t\t\tIdDlaRozliczen =3
\t\t\t\topis =Netto - cat8%
\t\t\t\tNumerDok =RS/FV 1
\t\t\t\tPozycja =0
\t\t\t\tZapisRownolegly =0
\t\t}
\t\tZapis{
\t\t\t\tstrona =MA
\t\t\t\tkwota =23.00
\t\t\t\tkonto =210-1-20
\t\t\t\tIdDlaRozliczen =4
\t\t\t\topis =Sprzedaż
\t\t\t\tNumerDok =RS/FV 1
\t\t\t\tPozycja =0
\t\t\t\tZapisRownolegly =0
\t\t}
)"));
}

TEST_F(DecreeTest, NetBasedDocumentsBookTheAlternativeValues) {
  LoadTemplate(plugin::kTypeInvoices);
  x.WriteDekret(file, 1, 1, 1, 0, 0);
  EXPECT_EQ(Values(Output(), "kwota ="),
            (std::vector<std::string>{"0.00", "3.05", "15.00", "0.00"}));
}

TEST_F(DecreeTest, TemplateEditsChangeTheLines) {
  LoadTemplate(plugin::kTypeInvoices);
  // No Brutto account: the first Netto line takes number 1. No account on row 0: positions that
  // no other row names go nowhere. A row naming a goods item takes it from row 0 and joins the
  // line of its account. A percent sign is ordinary text.
  x.dekrSchema.brutto.konto[0] = 0;
  x.dekrSchema.netto[0].konto[0] = 0;
  std::strcpy(x.dekrSchema.netto[3].konto, "702-%d");
  x.dekrSchema.netto[3].strona.set(0);
  std::strcpy(x.dekrSchema.netto[6].opis, Mz("Wkręty").c_str());
  std::strcpy(x.dekrSchema.netto[6].konto, "701-1-2-10-20-18");
  std::strcpy(x.dekrSchema.vat.konto, "221");
  x.WriteDekret(file, 1, 1, 0, 230000, 1800000);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "konto ="),
            (std::vector<std::string>{"701-1-2-10-20-18", "702-%d", "221"}));
  EXPECT_EQ(Values(out, "kwota ="), (std::vector<std::string>{"100.50", "50.00", "23.00"}));
  EXPECT_EQ(Values(out, "strona ="), (std::vector<std::string>{"MA", "WN", "MA"}));
  EXPECT_EQ(Values(out, "IdDlaRozliczen ="), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Values(out, "opis ="),
            (std::vector<std::string>{"Netto - cat8%", "Netto - gast8%", "Sprzedaż"}));
}

TEST_F(DecreeTest, CorrectionThatCancelsOutWritesNoNettoLine) {
  LoadTemplate(plugin::kTypeCorrections);
  x.WriteDekret(file, 2, 1, 0, 0, -123.0);
  x.WriteDekret(file, 0, 1, 0, 0, 0);  // no document: Brutto and Vat only
  const std::string out = Output();
  EXPECT_EQ(Values(out, "konto ="),
            (std::vector<std::string>{"200-1-K1", "222-1-21", "200-1-K1", "222-1-21"}));
  EXPECT_EQ(Values(out, "kwota ="), (std::vector<std::string>{"-0.01", "0.00", "0.00", "0.00"}));
  EXPECT_EQ(Values(out, "IdDlaRozliczen ="), (std::vector<std::string>{"1", "2", "1", "2"}));
}

TEST_F(DecreeTest, ContractorCodeByMode) {
  struct Case {
    int mode;
    std::int32_t contractorId;
    const char* code;
  };
  const Case cases[] = {
      {0, 1, "1"},
      {0, -5, "1000005"},
      {1, 1, "ALFA"},
      {2, 1, "111-222-33-44"},
      {3, 1, "2010"},
      {4, 1, "INF3"},
      {5, 1, "1112223344"},
      {6, 1, ""},
      {9, 1, "1"},
      {1, 2, "BETA"},
      // No contractor, or one the host does not know: no code, never the previous one's.
      {1, 0, ""},
      {5, 99, ""},
      {0, 0, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " id " << c.contractorId);
    char out[256] = "garbage";
    EXPECT_EQ(x.NrKontrZantoria(c.contractorId, c.mode, out), out);
    EXPECT_STREQ(out, c.code);
  }
}

TEST_F(DecreeTest, AccountsWithKGetTheCodeAtTheirEnd) {
  LoadTemplate(plugin::kTypeInvoices);
  std::strcpy(x.dekrSchema.vat.konto, "K-210");
  x.optionsBlock.contractorCodeMode.set(6);
  x.WriteDekret(file, 0, -5, 0, 1, 1);
  x.optionsBlock.contractorCodeMode.set(0);
  x.WriteDekret(file, 0, -5, 0, 1, 1);
  x.optionsBlock.contractorCodeMode.set(1);
  x.WriteDekret(file, 0, 2, 0, 1, 1);
  EXPECT_EQ(Values(Output(), "konto ="),
            (std::vector<std::string>{"200-1-K", "K-210", "200-1-K1000005", "K-2101000005",
                                      "200-1-KBETA", "K-210BETA"}));
}

}  // namespace
