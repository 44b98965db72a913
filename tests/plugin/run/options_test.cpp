// The options in "WtyczkiG.ini" (section "ZantoriaMK") and the default month range.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/host_imports.h"
#include "frame/settings.h"
#include "platform.h"
#include "services/services.h"
#include "run_fixture.h"

namespace {

using plugin::CZantoriaKHTowary;
using run_test::RunHost;

std::string Text(const char* field) { return std::string(field); }

TEST(Options, MissingSectionGivesZerosAndTheDefaultFile) {
  RunHost h;
  CZantoriaKHTowary x{};
  std::memset(&x.optionsBlock, 0x5A, sizeof x.optionsBlock);

  x.LoadOptions();

  const plugin::OptionsBlock& o = x.optionsBlock;
  EXPECT_EQ(o.scope.get(), 0);
  EXPECT_EQ(o.sending.get(), 0);
  EXPECT_EQ(o.options.get(), 0);
  EXPECT_EQ(o.contractorCodeMode.get(), 0);
  EXPECT_EQ(o.schemaIndex.get(), 0);
  EXPECT_EQ(Text(o.dateFrom), "");
  EXPECT_EQ(Text(o.dateTo), "");
  EXPECT_EQ(Text(o.fileName), h.ExportPath());
  for (const auto& name : o.rejestr) EXPECT_EQ(Text(name), "");
}

TEST(Options, StoredValuesAreReadIntoTheirFields) {
  RunHost h;
  const std::string longName = "/tmp/" + std::string(130, 'x');
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,2,5,0,3\nDates=20240101,20240131\nFile=" + longName +
                  "\n[DekrSchema_4]\nRejestr1=R1\nRejestr2=R2\nRejestr3=R3\nRejestr4=R4\n"
                  "[DekrSchema_1]\nRejestr1=WRONG\n");
  CZantoriaKHTowary x{};

  x.LoadOptions();

  const plugin::OptionsBlock& o = x.optionsBlock;
  EXPECT_EQ(o.scope.get(), 1);
  EXPECT_EQ(o.sending.get(), 2);
  EXPECT_EQ(o.options.get(), 5);
  EXPECT_EQ(o.contractorCodeMode.get(), 0);
  EXPECT_EQ(o.schemaIndex.get(), 3);
  EXPECT_EQ(Text(o.dateFrom), "20240101");
  EXPECT_EQ(Text(o.dateTo), "20240131");
  EXPECT_EQ(Text(o.fileName), longName.substr(0, 120));  // cut to the field's 120 characters
  EXPECT_EQ(Text(o.rejestr[0]), "R1");
  EXPECT_EQ(Text(o.rejestr[3]), "R4");
}

TEST(Options, SavedOptionsReadBackTheSame) {
  RunHost h;
  CZantoriaKHTowary saved{};
  plugin::OptionsBlock& o = saved.optionsBlock;
  o.scope.set(3);
  o.sending.set(2);
  o.options.set(6);  // bit 1 is kept although nothing in the file depends on it
  o.contractorCodeMode.set(5);
  o.schemaIndex.set(1);
  std::strcpy(o.dateFrom, "20240201");
  std::strcpy(o.dateTo, "20240229");
  std::strcpy(o.fileName, run_test::Mazovia("/tmp/eksport/pliki ąę/VOSTRA.TXT").c_str());
  std::strcpy(o.rejestr[0], "SPRZ");
  std::strcpy(o.rejestr[2], run_test::Mazovia("KORĘ").c_str());

  saved.SaveOptions();

  CZantoriaKHTowary loaded{};
  loaded.LoadOptions();
  const plugin::OptionsBlock& l = loaded.optionsBlock;
  EXPECT_EQ(l.scope.get(), 3);
  EXPECT_EQ(l.sending.get(), 2);
  EXPECT_EQ(l.options.get(), 6);
  EXPECT_EQ(l.contractorCodeMode.get(), 5);
  EXPECT_EQ(l.schemaIndex.get(), 1);
  EXPECT_EQ(Text(l.dateFrom), "20240201");
  EXPECT_EQ(Text(l.dateTo), "20240229");
  EXPECT_EQ(Text(l.fileName), Text(o.fileName));
  EXPECT_EQ(Text(l.rejestr[0]), "SPRZ");
  EXPECT_EQ(Text(l.rejestr[1]), "");
  EXPECT_EQ(Text(l.rejestr[2]), Text(o.rejestr[2]));
  // The registers belong to the chosen schema.
  EXPECT_NE(h.Settings().find("[DekrSchema_2]"), std::string::npos);
  EXPECT_NE(h.Settings().find("Opcje=3,2,6,5,1"), std::string::npos);
}

TEST(Options, MonthRange) {
  struct Case {
    int year, month;
    const char* from;
    const char* to;
  };
  const Case cases[] = {
      {2024, 2, "20240201", "20240229"},
      {2023, 2, "20230201", "20230228"},
      {2024, 12, "20241201", "20241231"},
      {2024, 1, "20240101", "20240131"},
      {2024, 4, "20240401", "20240430"},
  };
  RunHost h;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month);
    char from[9] = {}, to[9] = {};
    plugin::GetStartEndMonthDate(from, to, c.year, c.month);
    EXPECT_STREQ(from, c.from);
    EXPECT_STREQ(to, c.to);
  }
}

// A structured exception inside the month computation is reported under the operation's name
// and raised again with its code; the operation's scope is left on the way out.
TEST(Options, MonthRangeFaultIsReportedAndRaisedAgain) {
  RunHost h;
  plugin::HostEntry& entry = plugin::HostImportTable[kPos_HostDateAddDays - 1];
  const plugin::HostEntry real = entry;
  entry = reinterpret_cast<plugin::HostEntry>(
      +[](char*, int) { platform::RaiseException(0xC0000094u, 0, 0, nullptr); });

  char from[9] = {}, to[9] = {};
  std::uint32_t raised = 0;
  testing::internal::CaptureStderr();
  try {
    plugin::GetStartEndMonthDate(from, to, 2024, 2);
  } catch (const platform::SE_Exception& e) {
    raised = e.code();
  }
  const std::string report = testing::internal::GetCapturedStderr();
  entry = real;

  EXPECT_EQ(raised, 0xC0000094u);
  EXPECT_NE(report.find("0xC0000094"), std::string::npos) << report;
  EXPECT_NE(report.find("CZantoriaKHTowary::GetStartEndMonthDate"), std::string::npos) << report;
  EXPECT_TRUE(h.host().services->scopes().empty());
}

}  // namespace
