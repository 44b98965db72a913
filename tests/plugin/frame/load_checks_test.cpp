#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "frame_fixture.h"

namespace frame_test {
namespace {

class LoadChecksTest : public FrameTest {};

std::string MismatchNames() {
  std::string names;
  for (const plugin::RecordSizeEntry* e = plugin::RecordSizeMismatches; e; e = e->Next)
    names += std::string(e->TableName) + ";";
  return names;
}

TEST_F(LoadChecksTest, CompatibilityStopsAtTheFirstFailingStep) {
  struct Case {
    const char* name;
    const char* reject;
    int version;
    std::map<int, int> sizes;
    int expected;
    std::vector<std::string> calls;  // up to the first table
    std::size_t tablesAsked;
  };
  const Case cases[] = {
      {"fits", nullptr, 112, {}, 0, {"HostCheckModule", "HostGetInterfaceVersion", "HostGetTable"}, 8},
      {"rejected", "nie", 112, {}, -1, {"HostCheckModule"}, 0},
      {"version 111", nullptr, 111, {}, -1, {"HostCheckModule", "HostGetInterfaceVersion"}, 0},
      {"table 47 is 255", nullptr, 112, {{47, 255}}, -1,
       {"HostCheckModule", "HostGetInterfaceVersion", "HostGetTable"}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeHost{};
    fake.rejectText = c.reject;
    fake.interfaceVersion = c.version;
    fake.tableSizes = c.sizes;
    plugin::RecordSizeMismatches = nullptr;
    for (auto& e : plugin::RecordSizes) e.Next = nullptr;

    EXPECT_EQ(plugin::CheckHostCompatibility(), c.expected);
    std::vector<std::string> head(fake.calls.begin(),
                                  fake.calls.begin() + std::min(fake.calls.size(), c.calls.size()));
    EXPECT_EQ(head, c.calls);
    EXPECT_EQ(fake.tablesAsked.size(), c.tablesAsked);
  }
}

TEST_F(LoadChecksTest, RecordSizesAreAskedInOrderAndMismatchesListedOnce) {
  fake.tableSizes = {{44, 1470}, {59, 2749}};
  EXPECT_EQ(plugin::CheckRecordSizes(), 2u);
  EXPECT_EQ(fake.tablesAsked, (std::vector<int>{44, 45, 46, 47, 35, 51, 49, 59}));
  EXPECT_EQ(MismatchNames(), "Tspr;d_dek;");
  EXPECT_EQ(plugin::RecordSizes[0].HostSize, 1470);

  // A second run against the same host adds nothing; a new mismatch goes to the end, and an
  // entry that fits again stays on the list with its new size.
  EXPECT_EQ(plugin::CheckRecordSizes(), 2u);
  EXPECT_EQ(MismatchNames(), "Tspr;d_dek;");
  fake.tableSizes = {{44, 1469}, {59, 2749}, {35, 1535}};
  EXPECT_EQ(plugin::CheckRecordSizes(), 3u);
  EXPECT_EQ(MismatchNames(), "Tspr;d_dek;k4;");
  EXPECT_EQ(plugin::RecordSizes[0].HostSize, 1469);
}

TEST_F(LoadChecksTest, RecordSizeReportListsTheMismatchesAsATable) {
  const std::string header =
      std::string("Rozmiary rekordów niektórych tabel nie zgadzają się\nmiędzy programem a "
                  "wtyczką 'Eksport Zantoria 3.0 (towary)' (moduł 'Modul.so'):\n\n"_mz) +
      "\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n";
  const std::string footer = "\nModuł \x02Modul.so\x01\nNIE zostanie załadowany!"_mz;
  struct Case {
    const char* name;
    std::map<int, int> sizes;
    std::vector<int> unknown;
    std::string rows;
  };
  const Case cases[] = {
      {"none", {}, {}, ""},
      {"table 47 is 255", {{47, 255}}, {}, "\x01tp25p40\x01Tspr_kor_dok\t256\t255\n"},
      {"tables 44 and 59", {{59, 1}, {44, 2000}}, {},
       "\x01tp25p40\x01Tspr\t1469\t2000\n\x01tp25p40\x01" "d_dek\t2750\t1\n"},
      {"table 59 unknown", {}, {59}, "\x01tp25p40\x01" "d_dek\t2750\tbrak\n"},
      {"negative length", {{35, -5}}, {}, "\x01tp25p40\x01k4\t1536\t-5\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeHost{};
    fake.tableSizes = c.sizes;
    fake.unknownTables = c.unknown;
    plugin::RecordSizeMismatches = nullptr;
    for (auto& e : plugin::RecordSizes) e.Next = nullptr;
    plugin::CheckRecordSizes();

    char text[plugin::kReportSize];
    std::memset(text, 'x', sizeof text);
    int result = plugin::FormatRecordSizeReport(text);
    if (c.rows.empty()) {
      EXPECT_EQ(result, 0);
      EXPECT_STREQ(text, "");
    } else {
      EXPECT_EQ(result, -1);
      EXPECT_EQ(std::string(text), header + c.rows + footer);
    }
  }
}

const char kDisplay[] = "Eksport Zantoria 3.0 (towary)";

std::string MissingText(const std::string& list, const char* pronoun) {
  return std::string("Wtyczka \"") + kDisplay + "\" potrzebuje zaimportować\n"_mz + list +
         " z modułu głównego,\njednak moduł główny "_mz + pronoun +
         " nie posiada. Aby naprawić tę sytuację\nzainstaluj aktualizację programu oraz "
         "wtyczki.\n\nWTYCZKA NIE ZOSTANIE ZAŁADOWANA!!!\n"_mz;
}

TEST_F(LoadChecksTest, MissingImportsAreNamedInAscendingOrder) {
  struct Case {
    const char* name;
    std::vector<std::uint16_t> failed;  // in binding order
    std::string text;
  };
  const Case cases[] = {
      {"none", {}, ""},
      {"one", {52030}, MissingText("funkcję o numerze 52030"_mz, "jej")},
      {"two", {52156, 30018}, MissingText("funkcje o numerach 30018, 52156", "ich")},
      {"nine",
       {30018, 40008, 41611, 41613, 30005, 38417, 40101, 32300, 52082},
       MissingText("funkcje o numerach 30005, 30018, 32300, 38417, 40008, 40101, 41611, 41613",
                   "ich")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plugin::MissingImportCount = 0;
    for (std::uint16_t o : c.failed) RecordMissing({o});
    char text[plugin::kReportSize];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(plugin::FormatMissingImports(text), c.failed.size());
    EXPECT_EQ(std::string(text), c.text);
  }
}

TEST_F(LoadChecksTest, LoadReportShowsTheFirstReasonThatApplies) {
  const std::string versionText =
      "Moduł \"Modul.so\" i program występują w różnych wersjach!\n\nZostał zakualizowany "
      "tylko program albo tylko moduł,\na nie oba jednocześnie! Aby naprawić tę sytuację\n"
      "zainstaluj aktualizację programu wraz z modułem \"Modul.so\".\n\nMODUŁ NIE ZOSTANIE "
      "ZAŁADOWANY!!!\n"_mz;
  const std::string initText =
      "Moduł \"Modul.so\" nie został poprawnie zainicjowany,\nwięc NIE BĘDZIE AKTYWNY!"_mz;
  const std::string featuresText = std::string("Program nie obsługuje cech 0x00000004,\nktóre "
                                               "są niezbędne dla modułu '"_mz) + kDisplay + "'.";
  struct Case {
    const char* name;
    std::function<void(FakeHost&)> setUp;
    std::string text;
    bool asText;  // shown with "%s" (otherwise the text is the format)
  };
  const Case cases[] = {
      {"features missing, whatever else is wrong",
       [](FakeHost& f) {
         plugin::MissingFeatures = 4;
         RecordMissing({52030});
         f.interfaceVersion = 111;
       },
       featuresText, true},
      {"features still unknown",
       [](FakeHost&) { plugin::MissingFeatures = 0xFFFFFFFFu; },
       std::string("Program nie obsługuje cech 0xFFFFFFFF,\nktóre są niezbędne dla modułu '"_mz) +
           kDisplay + "'.",
       true},
      {"function missing", [](FakeHost&) { RecordMissing({52030}); },
       MissingText("funkcję o numerze 52030"_mz, "jej"), true},
      {"record sizes", [](FakeHost& f) {
         f.tableSizes = {{47, 255}};
         plugin::CheckHostCompatibility();
       },
       std::string("Rozmiary rekordów"_mz), true},
      {"host objects with its own text", [](FakeHost& f) { f.rejectText = "Za stary moduł, 100%s"; },
       "Za stary moduł, 100%s", true},
      {"other version", [](FakeHost& f) { f.interfaceVersion = 111; }, versionText, false},
      {"sizes differ only now", [](FakeHost& f) { f.tableSizes = {{44, 1}}; }, versionText, false},
      {"nothing wrong", [](FakeHost&) {}, initText, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeHost{};
    plugin::MissingImportCount = 0;
    plugin::MissingFeatures = 0;
    plugin::RecordSizeMismatches = nullptr;
    for (auto& e : plugin::RecordSizes) e.Next = nullptr;
    c.setUp(fake);
    fake.messages.clear();
    plugin::HostNotify = &FakeNotify;

    plugin::ShowLoadReport();
    EXPECT_EQ(fake.notifications, (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, -1}}));
    ASSERT_EQ(fake.messages.size(), 1u);
    const Message& m = fake.messages[0];
    EXPECT_EQ(m.id, 15000);
    EXPECT_EQ(m.title, "STOP!!!");
    EXPECT_EQ(m.flags, 0xF001);
    EXPECT_EQ(m.extra, 0x6E2E);
    if (c.asText) {
      EXPECT_EQ(m.format, "%s");
    }
    if (std::string(c.name) == "record sizes")
      EXPECT_EQ(m.text.rfind(c.text, 0), 0u);
    else
      EXPECT_EQ(m.text, c.text);
  }
}

TEST_F(LoadChecksTest, LoadReportWithoutNotificationOrMessageFunctionStaysQuiet) {
  RecordMissing({35802});
  Remove(kPos_HostMessageBoxF);
  plugin::HostNotify = nullptr;
  plugin::ShowLoadReport();
  EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace frame_test
