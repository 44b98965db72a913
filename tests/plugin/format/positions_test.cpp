#include <gtest/gtest.h>

#include "writer_fixture.h"

namespace {

using writer_test::Mz;
using writer_test::Tabs;
using writer_test::Values;

constexpr const char* kDocuments = R"({"format": "vostra-host-data/1",
  "vatRates": [{"code": 1, "percent": 23}, {"code": 2, "percent": 8}],
  "invoices": [
    {"documentId": 1, "kind": 811, "number": "FV 1", "issueDate": "2024-03-05", "positions": [
      {"name": "Młotek", "code": "MLT-1", "quantity": 2, "price": 61.5, "value": 100,
       "priceAlt": 50, "valueAlt": 80, "vatValue": 23, "vatCode": 1, "warehouse": 1},
      {"name": "Gwoździe", "unit": "kg", "quantity": 1.5, "price": 10.8, "value": 10,
       "priceAlt": 10, "valueAlt": 15, "vatValue": 0.8, "vatCode": 2,
       "classification": "25.93.14", "warehouse": 2},
      {"name": "Usługa", "code": "USL", "quantity": 1, "price": 1, "value": 1,
       "vatCode": 1}]},
    {"documentId": 2, "kind": 811, "number": "FV 2", "issueDate": "2024-03-05", "positions": [
      {"name": "Inny", "code": "INNY", "quantity": 1, "price": 5, "value": 5, "vatCode": 1}]}],
  "corrections": [
    {"documentId": 3, "kind": 103, "number": "K 1", "issueDate": "2024-03-05", "positions": [
      {"rowKind": 1, "name": "Młotek", "code": "MLT-1", "quantity": -1.5, "price": 123,
       "value": -150, "valueAlt": -184.5, "vatValue": -34.5, "vatCode": 1, "warehouse": 4,
       "classification": "KL"},
      {"rowKind": 2, "name": "Młotek stary", "code": "MLT-0", "quantity": 1.5, "price": 123,
       "value": 150, "vatCode": 1},
      {"rowKind": 3, "name": "Inny wiersz", "quantity": 1, "price": 1, "value": 1,
       "vatCode": 1}]}]})";

class PositionsTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    Load(kDocuments);
    plugin::DocumentArea& d = x.documentArea;
    std::strcpy(d.docContractorCode, "ALFA");
    d.docContractorId = 7;
    std::strcpy(d.docPositionDate, "2024-03-04");
    std::strcpy(d.docRegister, "RS");
    std::strcpy(d.docRegisterName, Mz("Sprzedaż VAT").c_str());
  }
};

TEST_F(PositionsTest, WritesAnInvoicePosition) {
  x.kindHandle = kPositionsInvoiceDomestic;
  EXPECT_EQ(x.WritePositions(file, 1, 0, 0), -1);
  const std::string out = Output();
  const std::string first = out.substr(0, out.find("\t\tPozycja dokumentu{", 1));
  EXPECT_EQ(first, Tabs(R"(\t\tPozycja dokumentu{
\t\t\t\tkodTW =MLT-1
\t\t\t\tkodKH =ALFA
\t\t\t\tkodMag =1
\t\t\t\tid =65501
\t\t\t\tflag =
\t\t\t\tsubtypi =0
\t\t\t\ttypi =10
\t\t\t\tsuper =
\t\t\t\tlp =1
\t\t\t\tidkh =7
\t\t\t\tidtw =65501
\t\t\t\tkod =MLT-1
\t\t\t\tdata =2024-03-04
\t\t\t\topis =Młotek
\t\t\t\topisdod =
\t\t\t\tilosc =2.000
\t\t\t\tjm =szt
\t\t\t\tcenabaza =61.5000
\t\t\t\twaluta =
\t\t\t\tcenabazapl =61.5000
\t\t\t\tcena =61.5000
\t\t\t\twartnetto =100.0000
\t\t\t\twartvat =23.0000
\t\t\t\twarttowaru =0.000000000000
\t\t\t\tidpozkoryg =0
\t\t\t\twalcenybaz =
\t\t\t\trejestrvati =1
\t\t\t\tidlongname =0
\t\t\t\tiloscjedn =0.000000000000
\t\t\t\tiloscwp =1.000000000000
\t\t\t\tidhandl =0
\t\t\t\tiloscdorozl =2.000
\t\t\t\trozlhandl =0.000000000000
\t\t\t\tcenawal =0.000000000000
\t\t\t\tschemat =
\t\t\t\tdatarej =2024-03-04
\t\t\t\tjmwp =szt
\t\t\t\tkosztmarzy =0.000000000000
\t\t\t\tzapas =
\t\t\t\tsubtyp =0
\t\t\t\tgrupacen =
\t\t\t\trejestr_vat =RS
\t\t\t\tnazwa_rejestru_vat =Sprzedaż VAT
\t\t\t\ttyp_rejestru_vat =1
\t\t\t\tSWW/KWiU =
\t\t\t\ttyp_pozycji =0
\t\t}
)"));
  // The second row: no code, its own unit and classification.
  EXPECT_EQ(Values(out, "kodTW ="), (std::vector<std::string>{"MLT-1", "Gwoździe", "USL"}));
  EXPECT_EQ(Values(out, "kod ="), (std::vector<std::string>{"MLT-1", "", "USL"}));
  EXPECT_EQ(Values(out, "jm ="), (std::vector<std::string>{"szt", "kg", "szt"}));
  EXPECT_EQ(Values(out, "jmwp ="), (std::vector<std::string>{"szt", "kg", "szt"}));
  EXPECT_EQ(Values(out, "SWW/KWiU ="), (std::vector<std::string>{"", "25.93.14", ""}));
  EXPECT_EQ(Values(out, "lp ="), (std::vector<std::string>{"1", "1", "1"}));
}

TEST_F(PositionsTest, GoodsAndPositionsOfAnInvoiceShareTheirNumbers) {
  x.kindHandle = kPositionsInvoiceDomestic;
  x.WritePositions(file, 1, 0, 1);
  x.WritePositions(file, 1, 0, 0);
  x.WritePositions(file, 1, 0, 7);  // no such mode: nothing
  x.WritePositions(file, 0, 0, 0);  // no document: nothing
  x.WritePositions(file, 2, 0, 1);  // the next document counts from 1 again
  const std::string out = Output();
  const std::vector<std::string> numbers{"65501", "65502", "65503"};
  auto ids = Values(out, "id =");
  ASSERT_EQ(ids.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(ids.begin(), ids.begin() + 3), numbers);      // Towar
  EXPECT_EQ(std::vector<std::string>(ids.begin() + 3, ids.begin() + 6), numbers);  // Pozycja
  EXPECT_EQ(ids[6], "65501");
  EXPECT_EQ(Values(out, "idtw ="), numbers);
  EXPECT_EQ(Values(out, "Towar{").size(), 4u);
}

TEST_F(PositionsTest, PriceAndValueFollowTheCalculationBasis) {
  x.kindHandle = kPositionsInvoiceDomestic;
  x.WritePositions(file, 1, 0, 0);  // gross-based: price, value
  x.WritePositions(file, 1, 1, 0);  // net-based: priceAlt, valueAlt
  x.WritePositions(file, 1, 1, 1);  // the goods block takes the selected price too
  const std::string out = Output();
  EXPECT_EQ(Values(out, "cena ="), (std::vector<std::string>{"61.5000", "10.8000", "1.0000",
                                                              "50.0000", "10.0000", "0.0000"}));
  EXPECT_EQ(Values(out, "wartnetto ="), (std::vector<std::string>{"100.0000", "10.0000", "1.0000",
                                                                   "80.0000", "15.0000", "0.0000"}));
  EXPECT_EQ(Values(out, "cenaa ="), (std::vector<std::string>{"50.0000", "10.0000", "0.0000"}));
}

TEST_F(PositionsTest, CorrectionRowsByKind) {
  x.kindHandle = kPositionsCorrectionDomestic;
  x.WritePositions(file, 3, 0, 1);  // goods: the row of kind 2 only
  x.WritePositions(file, 3, 0, 0);  // positions: the row of kind 1 only
  x.WritePositions(file, 3, 1, 0);  // net-based: the price converted to net and rounded
  const std::string out = Output();
  EXPECT_EQ(Values(out, "nazwa ="), std::vector<std::string>{"Młotek stary"});
  EXPECT_EQ(Values(out, "cenaa ="), std::vector<std::string>{"123.0000"});
  EXPECT_EQ(Values(out, "opis ="), (std::vector<std::string>{"", "Młotek", "Młotek"}));
  EXPECT_EQ(Values(out, "id ="), (std::vector<std::string>{"65500", "65500", "65500"}));
  EXPECT_EQ(Values(out, "idtw ="), (std::vector<std::string>{"65500", "65500"}));
  EXPECT_EQ(Values(out, "ilosc ="), (std::vector<std::string>{"-1.500", "-1.500"}));
  EXPECT_EQ(Values(out, "iloscdorozl ="), (std::vector<std::string>{"-1.500", "-1.500"}));
  // 123.00 gross at 23 % is 100.00 net.
  EXPECT_EQ(Values(out, "cena ="), (std::vector<std::string>{"123.0000", "100.0000"}));
  EXPECT_EQ(Values(out, "wartnetto ="), (std::vector<std::string>{"-150.0000", "-184.5000"}));
  EXPECT_EQ(Values(out, "kodMag ="), (std::vector<std::string>{"4", "4"}));
  EXPECT_EQ(Values(out, "SWW/KWiU ="), (std::vector<std::string>{"KL", "KL"}));
}

TEST_F(PositionsTest, UnknownPositionsKindWritesNothing) {
  x.kindHandle = 0;
  x.WritePositions(file, 1, 0, 0);
  x.WritePositions(file, 1, 0, 1);
  EXPECT_EQ(Output(), "");
}

}  // namespace
