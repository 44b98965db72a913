#include <gtest/gtest.h>

#include "writer_fixture.h"

namespace {

using writer_test::Mz;
using writer_test::Tabs;
using writer_test::Values;

constexpr const char* kContractors = R"({"format": "vostra-host-data/1",
  "vatRates": [{"code": 1, "percent": 23}, {"code": 2, "percent": 8}],
  "contractors": [
    {"id": 7, "code": "ALFA", "name": "  Alfa Handel  ",
     "address": "00-950 Warszawa          ul. Długa 5/12", "kind": 0, "nip": "111-222-33-44",
     "personName": "Jan Maria Kowalski", "email": "alfa@alfa.pl"},
    {"id": 8, "code": "KOWAL", "name": "Kowalski", "address": "Kraków", "kind": 3,
     "personName": "Kowalski"}]})";

class ContractorTest : public writer_test::WriterTest {};

TEST_F(ContractorTest, WritesAFoundContractor) {
  Load(kContractors);
  EXPECT_EQ(x.WriteKontrahent(file, 7), 0);
  EXPECT_EQ(Output(), Tabs(R"(Kontrahent{
\t\tNotatka_Dl{
\t\t\t\topis =
\t\t}
\t\tid =7
\t\tflag =0
\t\tsubtyp =0
\t\tznacznik =0
\t\tinfo =N
\t\tosoba =
\t\tkod =ALFA
\t\tnazwa =Alfa Handel
\t\tmiejscowosc =Warszawa
\t\tulica =Długa
\t\tdom =5
\t\tlokal =12
\t\tkodpocz =00-950
\t\trejon=
\t\tnip=111-222-33-44
\t\tstatusUE=0
\t\tregon=
\t\tpesel=
\t\ttel1=
\t\ttel2=
\t\tfax=
\t\temail=alfa@alfa.pl
\t\twww=
\t\tnaglowek=
\t\tnazwisko=Maria Kowalski
\t\timie=Jan
\t\tbnazwa=
\t\tbadres=
\t\tbkonto=
\t\tosfiz=0
\t\tnegoc=N
\t\tgrupacen=3
\t\tupust=0.00
\t\tlimit=0
\t\tlimitkwota=0.00
\t\tlimitwaluta=
\t\tforma_platnosci=gotówka
\t\tstanpl=0.00
\t\tstannl=0.00
\t\tkhfk=id
\t\tzapas=
\t\tkrajKod=PL
\t\tkrajNazwa=Polska
\t\taktywny=1
}
)"));
}

TEST_F(ContractorTest, NaturalPersonAndUnknownContractor) {
  Load(kContractors);
  EXPECT_EQ(x.WriteKontrahent(file, 8), 0);
  EXPECT_EQ(x.WriteKontrahent(file, 99), 0);  // not found: nothing at all
  EXPECT_EQ(x.WriteKontrahent(file, 0), 0);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "Kontrahent{").size(), 1u);
  EXPECT_EQ(Values(out, "osfiz="), std::vector<std::string>{"1"});
  // One word serves as first name and surname.
  EXPECT_EQ(Values(out, "nazwisko="), std::vector<std::string>{"Kowalski"});
  EXPECT_EQ(Values(out, "imie="), std::vector<std::string>{"Kowalski"});
  EXPECT_EQ(Values(out, "miejscowosc ="), std::vector<std::string>{"Kraków"});
  EXPECT_EQ(Values(out, "ulica ="), std::vector<std::string>{""});
}

TEST_F(ContractorTest, WritesAGoodsBlock) {
  Load(kContractors);
  x.WriteTowar(file, Mz("Młotek").c_str(), "MLT-1", 1, 615000.0, "", "25.93", 1);
  EXPECT_EQ(Output(), Tabs(R"(Towar{
\t\tNotatka_Dl{
\t\t\t\topis =
\t\t}
\t\tid =65501
\t\tflag =0
\t\tsubtyp =0
\t\tinfo =N
\t\tosoba =
\t\tkod =MLT-1
\t\tnazwa =Młotek
\t\tkodpaskowy =
\t\tnegoc =T
\t\tnegocjacjacen =1
\t\tpcn =
\t\tprzelkg =0.0000
\t\tprzeluz =0.0000
\t\tprzelit =0
\t\tjmuzup =
\t\tstawkaVAT =23.00
\t\tsww =25.93
\t\tcbazowa =61.5000
\t\tzaokrag =0
\t\tcenaa =61.5000
\t\tjm =szt
\t\tstanmin =0.0000
\t\tstanmax =0.0000
\t\taktywny =1
}
)"));
}

TEST_F(ContractorTest, GoodsRateCodeAndUnit) {
  Load(kContractors);
  struct Case {
    int vatCode;
    const char* code;
    const char* unit;
    const char* stawka;
    const char* kod;
    const char* jm;
  };
  const Case cases[] = {
      {5, "ZW", "kg", "-1", "ZW", "kg"},
      {8, "NP", "", "-2", "NP", "szt"},
      {9, "", "", "-2", "Towar bez kodu", "szt"},
      {1, "", "m2", "23.00", "Towar bez kodu", "m2"},
      {2, "A", "szt", "8.00", "A", "szt"},
  };
  for (const Case& c : cases) x.WriteTowar(file, "Towar bez kodu", c.code, c.vatCode, 1.0, c.unit, "", 0);
  const std::string out = Output();
  const auto stawka = Values(out, "stawkaVAT =");
  const auto kod = Values(out, "kod =");
  const auto jm = Values(out, "jm =");
  const auto ids = Values(out, "id =");
  ASSERT_EQ(stawka.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].vatCode);
    EXPECT_EQ(stawka[i], cases[i].stawka);
    EXPECT_EQ(kod[i], cases[i].kod);
    EXPECT_EQ(jm[i], cases[i].jm);
    EXPECT_EQ(ids[i], "65500");
  }
}

}  // namespace
