#include <gtest/gtest.h>

#include "frame/settings.h"
#include "plugin/format/writer_fixture.h"

namespace {

using writer_test::Mz;

std::string Text(const char* mazovia) { return host::MazoviaToUtf8(mazovia); }

struct RowView {
  std::string opis;
  int strona;
  std::string konto;
};
RowView View(const plugin::DekretRow& row) {
  return {Text(std::string(row.opis, strnlen(row.opis, sizeof row.opis)).c_str()),
          row.strona.get(), std::string(row.konto, strnlen(row.konto, sizeof row.konto))};
}
void ExpectRow(const plugin::DekretRow& row, const RowView& expected) {
  const RowView got = View(row);
  EXPECT_EQ(got.opis, expected.opis);
  EXPECT_EQ(got.strona, expected.strona);
  EXPECT_EQ(got.konto, expected.konto);
}

class SchemaTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(static_cast<void*>(&x), 0, sizeof x); }
  std::string Ini() {
    return testing_support::TestHost::ReadFile(host.dir + "/config/WtyczkiG.ini");
  }
  testing_support::TestHost host;
  plugin::CZantoriaKHTowary x;
};

TEST_F(SchemaTest, FreshSettingsGiveTheDefaults) {
  struct Case {
    std::int16_t type;
    const char* vatKonto;
    const char* caption;
  };
  const Case cases[] = {
      {plugin::kTypeInvoices, "210-1-20", "schemat 3:faktury.kraj:RS"},
      {plugin::kTypeExportInvoices, "210-1-20", "schemat 3:faktury.exp.:RE"},
      {plugin::kTypeCorrections, "222-1-21", "schemat 3:korekty.kraj:RK"},
      {plugin::kTypeExportCorrections, "222-1-21", "schemat 3:korekty.exp.:RKE"},
  };
  x.optionsBlock.schemaIndex.set(2);
  std::strcpy(x.optionsBlock.rejestr[0], "RS");
  std::strcpy(x.optionsBlock.rejestr[1], "RE");
  std::strcpy(x.optionsBlock.rejestr[2], "RK");
  std::strcpy(x.optionsBlock.rejestr[3], "RKE");
  const RowView netto[plugin::kNettoRows] = {
      {"Netto niewyszczególnione", 1, "701-1"},
      {"Netto - cat8%", 1, "701-1-2-10-20-18"},
      {"Netto - gast23%", 1, "701-1-2-10-20-23"},
      {"Netto - gast8%", 1, "701-1-2-10-20-18"},
      {"Netto - muz23%", 1, "701-1-2-10-40-60"},
      {"Netto - najem23%", 1, "701-1-2-80-10"},
      {"Netto - najem23%", 1, "701-1-2-80-10"},
      {"Netto - wpisz nazwę towaru!", 1, "701-1"},
      {"Netto - wpisz nazwę towaru!", 1, "701-1"},
      {"Netto - wpisz nazwę towaru!", 1, "701-1"},
      {"Netto - wpisz nazwę towaru!", 1, "701-1"},
      {"Netto - wpisz nazwę towaru!", 1, "701-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    std::memset(static_cast<void*>(&x.dekrSchema), 0x55, sizeof x.dekrSchema);
    x.LoadSaveDekrSchema(c.type, 0);
    ExpectRow(x.dekrSchema.brutto, {"Sprzedaż", 0, "200-1-K"});
    ExpectRow(x.dekrSchema.vat, {"Sprzedaż", 1, c.vatKonto});
    for (int i = 0; i < plugin::kNettoRows; ++i) {
      SCOPED_TRACE(i);
      ExpectRow(x.dekrSchema.netto[i], netto[i]);
      EXPECT_EQ(x.dekrSchema.towarRef[i].towarKey.get(), 0);
      EXPECT_EQ(x.dekrSchema.towarRef[i].towarAttr.get(), 0);
    }
    EXPECT_STREQ(x.dekrSchema.schemaCaption, c.caption);
  }
  // Loading writes nothing.
  EXPECT_EQ(Ini(), "");
}

TEST_F(SchemaTest, SavingOneTemplateLeavesTheOthersAndTheRegisterNames) {
  x.optionsBlock.schemaIndex.set(1);
  std::strcpy(x.optionsBlock.rejestr[2], "RK");
  x.SaveRejestrNames();
  x.LoadSaveDekrSchema(plugin::kTypeCorrections, 0);
  x.LoadSaveDekrSchema(plugin::kTypeInvoices, 0);
  x.LoadSaveDekrSchema(plugin::kTypeInvoices, 1);  // the defaults, all rows, stored as they are

  std::strcpy(x.dekrSchema.vat.konto, "221-5");
  std::strcpy(x.dekrSchema.netto[3].opis, Mz("Usługi, różne, inne").c_str());
  std::strcpy(x.dekrSchema.netto[3].konto, "");
  x.dekrSchema.netto[3].strona.set(0);
  x.dekrSchema.towarRef[3].towarKey.set(17);
  x.dekrSchema.towarRef[3].towarAttr.set(2);
  x.LoadSaveDekrSchema(plugin::kTypeCorrections, 1);

  const std::string ini = host::MazoviaToUtf8(Ini());
  EXPECT_NE(ini.find("[DekrSchema_2]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Vat_1=Sprzedaż,1,210-1-20"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Netto_1_11=Netto - wpisz nazwę towaru!,1,701-1"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Towar_1_0=0,0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Towar_3_3=17,2"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("[DekrSchema_1]"), std::string::npos) << ini;

  // Template 1 is as it was saved, template 3 reads back what was saved, the other types and
  // the register names are untouched.
  x.LoadSaveDekrSchema(plugin::kTypeInvoices, 0);
  ExpectRow(x.dekrSchema.vat, {"Sprzedaż", 1, "210-1-20"});
  x.LoadSaveDekrSchema(plugin::kTypeCorrections, 0);
  ExpectRow(x.dekrSchema.vat, {"Sprzedaż", 1, "221-5"});
  ExpectRow(x.dekrSchema.netto[3], {"Usługi, różne, inne", 0, ""});
  EXPECT_EQ(x.dekrSchema.towarRef[3].towarKey.get(), 17);
  EXPECT_EQ(x.dekrSchema.towarRef[3].towarAttr.get(), 2);
  ExpectRow(x.dekrSchema.netto[4], {"Netto - muz23%", 1, "701-1-2-10-40-60"});
  EXPECT_STREQ(x.dekrSchema.schemaCaption, "schemat 2:korekty.kraj:RK");
  x.LoadSaveDekrSchema(plugin::kTypeExportCorrections, 0);
  ExpectRow(x.dekrSchema.vat, {"Sprzedaż", 1, "222-1-21"});

  std::memset(x.optionsBlock.rejestr, 'x', sizeof x.optionsBlock.rejestr);
  x.LoadRejestrNames();
  EXPECT_STREQ(x.optionsBlock.rejestr[0], "");
  EXPECT_STREQ(x.optionsBlock.rejestr[2], "RK");
  // Another schema has its own names.
  x.optionsBlock.schemaIndex.set(3);
  x.LoadRejestrNames();
  EXPECT_STREQ(x.optionsBlock.rejestr[2], "");
}

TEST_F(SchemaTest, LongTextsAreCutWhenRead) {
  const std::string opis(50, 'o');
  const std::string konto(30, 'k');
  const std::string rejestr(25, 'r');
  ASSERT_EQ(plugin::IniAccess(plugin::kSettingsFile, plugin::kIniWrite, "DekrSchema_1", "Brutto_2",
                              "%s,%d,%s", opis.c_str(), 1, konto.c_str()),
            0);
  ASSERT_EQ(plugin::IniAccess(plugin::kSettingsFile, plugin::kIniWrite, "DekrSchema_1", "Rejestr2",
                              "%s", rejestr.c_str()),
            0);
  x.LoadSaveDekrSchema(plugin::kTypeExportInvoices, 0);
  EXPECT_EQ(std::string(x.dekrSchema.brutto.opis), opis.substr(0, 40));
  EXPECT_EQ(x.dekrSchema.brutto.strona.get(), 1);
  EXPECT_EQ(std::string(x.dekrSchema.brutto.konto), konto.substr(0, 20));
  x.LoadRejestrNames();
  EXPECT_EQ(std::string(x.optionsBlock.rejestr[1]), rejestr.substr(0, 20));
}

TEST_F(SchemaTest, UnknownTypeChangesNothing) {
  std::memset(static_cast<void*>(&x.dekrSchema), 0x55, sizeof x.dekrSchema);
  x.LoadSaveDekrSchema(16641, 0);
  x.LoadSaveDekrSchema(16646, 1);
  EXPECT_EQ(x.dekrSchema.brutto.opis[0], 0x55);
  EXPECT_EQ(Ini(), "");
}

}  // namespace
