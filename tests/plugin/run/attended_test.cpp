// Attended runs: the options dialog driven by a key script, the current month as the default
// range, and the options saved after the run (and not after a cancelled dialog).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "run_fixture.h"
#include "services/fault_injection.h"

namespace {

using nlohmann::json;
using run_test::ExportedNumbers;
using run_test::RunHost;

json Invoice(int id, const std::string& number, const std::string& issued) {
  return json{{"documentId", id},     {"kind", 811},       {"number", number},
              {"contractorId", 1},    {"issueDate", issued}, {"saleDate", issued},
              {"grossAmount", 1.23},  {"vatAmount", 0.23}, {"currency", "PLN"},
              {"rate", 1},
              {"positions", json::array({json{{"name", "Towar"}, {"quantity", 1},
                                              {"price", 1.23}, {"value", 1},
                                              {"vatValue", 0.23}, {"vatCode", 1}}})}};
}

std::string February() {
  json data{{"format", "vostra-host-data/1"},
            {"firm", json{{"name", "Firma"}}},
            {"contractors", json::array({json{{"id", 1}, {"code", "K1"}, {"name", "Klient"}}})}};
  data["invoices"] = json::array({Invoice(1, "JANUARY31", "2024-01-31"),
                                  Invoice(2, "FEBRUARY1", "2024-02-01"),
                                  Invoice(3, "FEBRUARY29", "2024-02-29"),
                                  Invoice(4, "MARCH1", "2024-03-01")});
  return data.dump();
}

TEST(Attended, FirstRunTakesTheCurrentMonthAndSavesTheOptions) {
  RunHost h("20240215", false);
  h.host().options.keys = "F12";
  h.Import(February());
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,0,0,0,0\n");

  h.Run();

  EXPECT_EQ(ExportedNumbers(h.Exported()),
            (std::vector<std::string>{"FEBRUARY1", "FEBRUARY29"}));
  EXPECT_TRUE(h.sink.Shown(run_test::Summary(2, 0)));
  const std::string settings = h.Settings();
  EXPECT_NE(settings.find("Opcje=1,0,0,0,0\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Dates=20240201,20240229\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("File=" + h.ExportPath() + "\n"), std::string::npos) << settings;
}

TEST(Attended, StoredRangeIsUsed) {
  RunHost h("20240215", false);
  h.host().options.keys = "F12";
  h.Import(February());
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,0,0,0,0\nDates=20240131,20240201\n");

  h.Run();

  EXPECT_EQ(ExportedNumbers(h.Exported()),
            (std::vector<std::string>{"JANUARY31", "FEBRUARY1"}));
}

TEST(Attended, CancelledDialogWritesAndSavesNothing) {
  RunHost h("20240215", false);
  h.host().options.keys = "Esc";
  h.Import(February());
  const std::string before = "[ZantoriaMK]\nOpcje=1,0,0,0,0\n";
  h.WriteSettings(before);

  h.Run();

  EXPECT_FALSE(run_test::Exists(h.ExportPath()));
  EXPECT_EQ(h.Settings(), before);
  EXPECT_TRUE(h.sink.messages.empty());
}

// A break in an attended run ends the walk but still saves the options.
TEST(Attended, BreakSavesTheOptions) {
  RunHost h("20240215", false);
  h.host().options.keys = "F12";
  h.Import(February());
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,0,0,0,0\n");
  h.host().breakRequested = 1;

  h.Run();

  EXPECT_TRUE(ExportedNumbers(h.Exported()).empty());
  EXPECT_NE(h.Settings().find("Dates=20240201,20240229\n"), std::string::npos);
}

TEST(Attended, FileThatCannotBeOpenedIsReported) {
  RunHost h("20240215", false);
  h.host().options.keys = "F12";
  h.Import(February());
  // A folder stands where the file should be written.
  std::filesystem::create_directories(h.ExportDir() + "/VOSTRA.TXT");
  const std::string before = "[ZantoriaMK]\nOpcje=1,0,0,0,0\n";
  h.WriteSettings(before);

  h.Run();

  EXPECT_TRUE(h.sink.Shown(run_test::Mazovia("Nie można otworzyć pliku: " + h.ExportPath() + "\n")));
  EXPECT_EQ(h.Settings(), before);
}

// A write of the file that fails ends the attended run like a break: the options are saved,
// the incomplete file is removed.
TEST(Attended, FailedWriteSavesTheOptionsAndRemovesTheFile) {
  RunHost h("20240215", false);
  h.host().options.keys = "F12";
  h.Import(February());
  h.WriteSettings("[ZantoriaMK]\nOpcje=1,0,0,0,0\n");

  host::services::FailWriteAfter(2, /*persistent=*/false);
  h.Run();
  host::services::ClearWriteFault();

  EXPECT_TRUE(h.sink.Shown(run_test::Mazovia("Błąd zapisu pliku: " + h.ExportPath())));
  EXPECT_FALSE(run_test::Exists(h.ExportPath()));
  EXPECT_NE(h.Settings().find("Dates=20240201,20240229\n"), std::string::npos);
}

}  // namespace
