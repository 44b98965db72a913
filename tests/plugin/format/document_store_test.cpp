// The document writers on records that the host loads from its database, as the run walks them:
// the blocks inside Dokument come from the document's own positions and summary.
#include <gtest/gtest.h>

#include "format/fields.h"
#include "writer_fixture.h"

namespace {

using writer_test::Values;

constexpr const char* kHostData = R"({"format": "vostra-host-data/1",
  "vatRates": [{"code": 1, "percent": 23}, {"code": 2, "percent": 8}],
  "paymentForms": [{"code": 0, "text": "gotówka"}, {"code": 1, "text": "przelew"}],
  "contractors": [{"id": 1, "code": "ALFA", "name": "Alfa", "address": "Kraków"}],
  "invoices": [
    {"documentId": 11, "kind": 811, "number": "FV 1/03/2024", "contractorId": 1,
     "contractorCode": "ALFA", "saleDate": "2024-03-04", "issueDate": "2024-03-05",
     "grossAmount": 133.8, "vatAmount": 23.8, "rate": 1, "positions": [
      {"name": "Młotek", "code": "MLT-1", "quantity": 2, "price": 61.5, "value": 100,
       "vatValue": 23, "vatCode": 1},
      {"name": "Netto - cat8%", "quantity": 1, "price": 10.8, "value": 10, "vatValue": 0.8,
       "vatCode": 2}]}],
  "corrections": [
    {"documentId": 21, "kind": 103, "number": "KOR 1", "correctedNumber": "FV 1/03/2024",
     "correctedDate": "2024-03-05", "contractorId": 1, "contractorCode": "ALFA",
     "issueDate": "2024-03-20", "grossAmount": -61.5, "vatAmount": -11.5, "rate": 1,
     "positions": [
      {"rowKind": 2, "name": "Młotek", "code": "MLT-1", "quantity": 2, "price": 61.5,
       "value": 100, "vatCode": 1},
      {"rowKind": 1, "name": "Młotek", "code": "MLT-1", "quantity": -1, "price": 61.5,
       "value": -50, "vatValue": -11.5, "vatCode": 1}]}]})";

class StoredDocumentTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    Load(kHostData);
    std::strcpy(x.optionsBlock.rejestr[0], "RS");
    std::strcpy(x.optionsBlock.rejestr[2], "RK");
  }
  // Moves a cursor of the kind to its first document and gets the document's VAT summary.
  void First(int kind, HostTable* table, std::int16_t type) {
    x.docKind = kind;
    x.kindHandle = plugin::HostGetPositionsKind(kind);
    x.LoadSaveDekrSchema(type, 0);
    char key[260] = {};
    plugin::HostBuildKindKey(kind, key, "MMM", ".UNR", 117);
    ASSERT_NE(plugin::HostCursorOpen(&cursor_.cursor, table, kind, key, 0, 0), 0);
    ASSERT_EQ(plugin::HostCursorNext(&cursor_.cursor), 1);
    plugin::HostGetVatSummary(kind, &summary, &second_, 0);
  }
  void TearDown() override {
    plugin::HostCursorClose(&cursor_.cursor);
    WriterTest::TearDown();
  }

  VatSummary summary{};

 private:
  plugin::CursorGuard cursor_;
  VatSummary second_{};
};

TEST_F(StoredDocumentTest, InvoiceCarriesItsPositionsDecreeAndRegisters) {
  First(kKindInvoiceDomestic, x.tabTspr, plugin::kTypeInvoices);
  x.WriteInvoiceDokument(x.recTspr, file, 0, &summary);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "Pozycja dokumentu{").size(), 2u);
  EXPECT_EQ(Values(out, "idtw ="), (std::vector<std::string>{"65501", "65502"}));
  EXPECT_EQ(Values(out, "data ="), (std::vector<std::string>{"2024-03-05", "2024-03-04",
                                                              "2024-03-04"}));
  EXPECT_EQ(Values(out, "konto ="),
            (std::vector<std::string>{"200-1-K1", "701-1", "701-1-2-10-20-18", "210-1-20"}));
  EXPECT_EQ(Values(out, "kwota ="), (std::vector<std::string>{
                                        "133.800000000000",  // Rozrachunek
                                        "133.80",            // FK trailer
                                        "133.80", "100.00", "10.00", "23.80",  // Zapis
                                        "133.80"}));         // Rozliczenie
  EXPECT_EQ(Values(out, "stawka ="), (std::vector<std::string>{"23.00", "8.00"}));
  EXPECT_EQ(Values(out, "netto ="), (std::vector<std::string>{"100.00", "10.00"}));
  EXPECT_EQ(Values(out, "NumerDok =").front(), "RS/FV 1/03/2024");
  EXPECT_EQ(out.substr(out.size() - 2), "}\n");
}

TEST_F(StoredDocumentTest, CorrectionCarriesItsPositionRowsOnly) {
  First(kKindCorrectionDomestic, x.tabTsprKor, plugin::kTypeCorrections);
  x.WriteCorrectionDokument(x.recTsprKor, file, 0, &summary);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "Pozycja dokumentu{").size(), 1u);
  EXPECT_EQ(Values(out, "ilosc ="), std::vector<std::string>{"-1.000"});
  EXPECT_EQ(Values(out, "NazwaKor ="), std::vector<std::string>{"FV 1/03/2024"});
  EXPECT_EQ(Values(out, "DataKor ="), std::vector<std::string>{"2024-03-05"});
  EXPECT_EQ(Values(out, "konto ="),
            (std::vector<std::string>{"200-1-K1", "701-1", "222-1-21"}));
  EXPECT_EQ(Values(out, "stawka ="), std::vector<std::string>{"23.00"});
  EXPECT_EQ(Values(out, "netto ="), std::vector<std::string>{"-50.00"});
  EXPECT_EQ(Values(out, "datarej ="), (std::vector<std::string>{"2024-03-20", "2024-03-20"}));
}

}  // namespace
