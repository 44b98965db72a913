#include <gtest/gtest.h>

#include "writer_fixture.h"

namespace {

using writer_test::Put;
using writer_test::Tabs;
using writer_test::Values;

class InfoTest : public writer_test::WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    std::memset(static_cast<void*>(&firm), 0, sizeof firm);
    Put(firm.nip, "725-000-00-00");
    Put(firm.name, "Firma Testowa");
    Put(firm.street, "Piotrkowska");
    Put(firm.house, "3");
    Put(firm.flat, "7");
    Put(firm.postalCode, "90-001");
    Put(firm.city, "Łódź");
    Put(firm.code, "FT");
    Put(firm.idNumber, "12-345-678-9");
    Put(firm.email, "biuro@firma.pl");
    Put(firm.emailAlt, "inny@firma.pl");
  }
  DDekRecord firm;
};

TEST_F(InfoTest, WritesTheHeaderWithTheFirmRecord) {
  x.WriteInfo(&firm, file);
  EXPECT_EQ(Output(), Tabs(R"(INFO{
\t\tNazwa programu =Vostra Nova z dn. 5.03.2024
\t\tWersja_programu =1.1.0305.3622g
\t\tWersja szablonu =0
\t\tdane_z_oddzialu =1
\t\tKontrahent{
\t\t\t\tid =123456789
\t\t\t\tkod =FT
\t\t\t\tnazwa =Firma Testowa
\t\t\t\tmiejscowosc =Łódź
\t\t\t\tulica =Piotrkowska
\t\t\t\tdom =3
\t\t\t\tlokal =7
\t\t\t\tkodpocz =90-001
\t\t\t\trejon =
\t\t\t\tnip =725-000-00-00
\t\t\t\ttel1 =
\t\t\t\ttel2 =
\t\t\t\tfax =
\t\t\t\temail =biuro@firma.pl
\t\t\t\twww =
\t}
}
)"));
}

TEST_F(InfoTest, IdentifierLosesItsDashesAndFillsNineCharacters) {
  struct Case {
    const char* idNumber;
    const char* written;
  };
  const Case cases[] = {
      {"12-345-678-9", "123456789"}, {"1234567890", "123456789"}, {"123", "      123"},
      {"", "     9999"},           {"---", "     9999"},
  };
  for (const Case& c : cases) {
    Put(firm.idNumber, c.idNumber);
    x.WriteInfo(&firm, file);
  }
  const auto ids = Values(Output(), "id =");
  ASSERT_EQ(ids.size(), std::size(cases));
  for (std::size_t i = 0; i < ids.size(); ++i) {
    SCOPED_TRACE(cases[i].idNumber);
    EXPECT_EQ(ids[i], cases[i].written);
  }
}

TEST_F(InfoTest, FallbacksOfNameCodeAndEmail) {
  // Name: blanks only normalise to nothing, so the alternative name is taken.
  Put(firm.name, "   ");
  Put(firm.nameAlt, "  Firma Druga  ");
  Put(firm.code, "");
  Put(firm.email, "");
  x.optionsBlock.schemaIndex.set(2);
  x.WriteInfo(&firm, file);
  // Both names empty: the line ends after its equals sign.
  Put(firm.nameAlt, "");
  x.WriteInfo(&firm, file);

  const std::string out = Output();
  EXPECT_EQ(Values(out, "nazwa ="), (std::vector<std::string>{"Firma Druga", ""}));
  EXPECT_EQ(Values(out, "kod ="), (std::vector<std::string>{"VostraNova", "VostraNova"}));
  EXPECT_EQ(Values(out, "email ="), (std::vector<std::string>{"inny@firma.pl", "inny@firma.pl"}));
  EXPECT_EQ(Values(out, "Wersja szablonu ="), (std::vector<std::string>{"2", "2"}));
  EXPECT_EQ(Values(out, "dane_z_oddzialu ="), (std::vector<std::string>{"3", "3"}));
}

TEST_F(InfoTest, TextsAreWrittenUnchangedAndReadOnlyWithinTheirFields) {
  // A value holding "=" or "}" goes out as it is; a street that fills its 21-byte field has no
  // terminator and must not run into the house number that follows it.
  Put(firm.city, "A=B}");
  Put(firm.street, "Aleja Niepodległości1");
  x.WriteInfo(&firm, file);
  const std::string out = Output();
  EXPECT_EQ(Values(out, "miejscowosc ="), std::vector<std::string>{"A=B}"});
  EXPECT_EQ(Values(out, "ulica ="), std::vector<std::string>{"Aleja Niepodległości1"});
}

}  // namespace
