#include <gtest/gtest.h>

#include "plugin/format/writer_fixture.h"

namespace {

using writer_test::Mz;
using writer_test::PutDate;
using writer_test::Tabs;
using writer_test::Values;

class RegisterTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    Load(R"({"format": "vostra-host-data/1",
      "vatRates": [{"code": 1, "percent": 23}, {"code": 2, "percent": 8},
                   {"code": 3, "percent": 5}]})");
    std::strcpy(x.documentArea.docRegister, "RS");
    std::strcpy(x.documentArea.docRegisterName, Mz("Sprzedaż VAT").c_str());
    std::strcpy(x.documentArea.docNumber, "FV 7/2024");
    std::memset(static_cast<void*>(&summary), 0, sizeof summary);
  }
  void SetSlot(int k, int code, double gross, double net, double vat) {
    summary.code[k].set(static_cast<std::int16_t>(code));
    summary.gross[k].set(gross);
    summary.net[k].set(net);
    summary.vat[k].set(vat);
  }
  VatSummary summary;
};

TEST_F(RegisterTest, RateTexts) {
  struct Case {
    int code;
    const char* text;
  };
  const Case cases[] = {{5, "-1"}, {8, "-2"}, {9, "-2"}, {1, "23.00"}, {2, "8.00"}, {3, "5.00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    char out[256];
    EXPECT_EQ(plugin::FormatStawka(c.code, out), out);
    EXPECT_STREQ(out, c.text);
  }
}

TEST_F(RegisterTest, OneBlockPerUsedSlotInSlotOrder) {
  SetSlot(0, 1, 1230000, 1000000, 230000);
  SetSlot(2, 8, 500000, 500000, 0);
  SetSlot(3, 5, 100000, 100000, 0);
  SetSlot(9, 9, -20000, -20000, 0);
  SetSlot(4, 2, -108000, -100000, -8000);
  HostDate date{};
  PutDate(date, "2024-03-05");
  EXPECT_EQ(x.WriteRejestr(file, &summary, &date, 0x80000000), 0);
  const std::string out = Output();
  EXPECT_EQ(out.substr(0, out.find("\t\tRejestr{", 1)), Tabs(R"(\t\tRejestr{
\t\t\t\tSkrot =RS
\t\t\t\tNazwa =Sprzedaż VAT
\t\t\t\tRodzaj =1
\t\t\t\tABC =1
\t\t\t\tmetoda_VAT =0
\t\t\t\tdatarej =2024-03-05
\t\t\t\tokres =2024-03-05
\t\t\t\tJPK_V7 =GTU_32
\t\t\t\tstawka =23.00
\t\t\t\tbrutto =123.00
\t\t\t\tnetto =100.00
\t\t\t\tvat =23.00
\t\t}
)"));
  EXPECT_EQ(Values(out, "Skrot ="), (std::vector<std::string>{"RS", "rSNV", "RS", "RS", "rSNV"}));
  EXPECT_EQ(Values(out, "stawka ="), (std::vector<std::string>{"23.00", "-2", "-1", "8.00", "-2"}));
  EXPECT_EQ(Values(out, "brutto ="),
            (std::vector<std::string>{"123.00", "50.00", "10.00", "-10.80", "-2.00"}));
  EXPECT_EQ(Values(out, "vat ="), (std::vector<std::string>{"23.00", "0.00", "0.00", "-0.80", "0.00"}));
  EXPECT_EQ(Values(out, "okres =").size(), 5u);
  EXPECT_EQ(Values(out, "JPK_V7 =").back(), "GTU_32");
}

TEST_F(RegisterTest, EmptySummaryAndMissingDate) {
  EXPECT_EQ(x.WriteRejestr(file, &summary, nullptr, 0), 0);
  SetSlot(0, 1, 1, 1, 0);
  x.WriteRejestr(file, &summary, nullptr, 0);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "Rejestr{").size(), 1u);
  EXPECT_EQ(Values(out, "datarej ="), std::vector<std::string>{""});
  EXPECT_EQ(Values(out, "JPK_V7 ="), std::vector<std::string>{""});
}

TEST_F(RegisterTest, WritesTheSettlement) {
  HostDate date{};
  PutDate(date, "2024-03-05");
  EXPECT_EQ(x.WriteRozliczenie(file, &date, -1234567.0), 0);
  x.WriteRozliczenie(file, nullptr, 0);
  const std::string out = Output();
  EXPECT_EQ(out, Tabs(R"(\t\tRozliczenie{
\t\t\t\tdSymbol =RS/FV 7/2024
\t\t\t\tidDlaRozliczen =-1
\t\t\t\tkwota =-123.46
\t\t\t\ttermin =2024-03-05
\t\t}
\t\tRozliczenie{
\t\t\t\tdSymbol =RS/FV 7/2024
\t\t\t\tidDlaRozliczen =-1
\t\t\t\tkwota =0.00
\t\t\t\ttermin =
\t\t}
)"));
}

}  // namespace
