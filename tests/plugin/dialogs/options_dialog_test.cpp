// The real options and decree dialogs of the plug-in, run through OnMenuExport on a host of the
// test's own and driven by key scripts; assertions on the settings file, the export file and
// the last screen of the script.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/encoding.h"
#include "dialog/dialogs.h"
#include "frame/host_imports.h"
#include "run/exporter.h"
#include "test_host.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kGoods = R"({
  "format": "vostra-host-data/1",
  "firm": {"name": "Firma Testowa", "nip": "5250000000"},
  "goods": [
    {"key": 7, "name": "Śruba M8", "attr": 1},
    {"key": 9, "name": "Kabel miedziany dwużyłowy 2x1,5 mm, 100 m", "attr": 2},
    {"key": 11, "name": "Bez atrybutu", "attr": 0}
  ]
})";

// A host with the goods catalogue, an attended run and a settings file of the case's own.
class DialogRun {
 public:
  explicit DialogRun(const std::string& ini) : host_("20240315", false) {
    std::string error;
    EXPECT_TRUE(host_.Import(kGoods, &error)) << error;
    std::string mazovia;
    EXPECT_TRUE(host::Utf8ToMazovia(Expand(ini), mazovia));
    std::ofstream(IniPath(), std::ios::binary) << mazovia;
  }

  // Runs the export command with the script; the dump holds the screen where it ran out.
  void Run(const std::string& keys) {
    host_.host().options.keys = Expand(keys);
    host_.host().options.screenDump = host_.dir + "/screen.txt";
    plugin::OnMenuExport();
  }

  std::string Screen() const { return testing_support::TestHost::ReadFile(host_.dir + "/screen.txt"); }
  std::string Ini() const {
    return host::MazoviaToUtf8(testing_support::TestHost::ReadFile(IniPath()));
  }
  std::string IniPath() const { return host_.host().options.configDir + "/WtyczkiG.ini"; }
  std::string ExportDir() const { return host_.host().options.exportDir; }
  // "$EXPORT" stands for the export folder in settings and scripts.
  std::string Expand(std::string text) const {
    for (std::size_t at; (at = text.find("$EXPORT")) != std::string::npos;)
      text.replace(at, 7, host_.host().options.exportDir);
    return text;
  }

  // The decree template of a document type as stored, loaded by a fresh exporter.
  plugin::DekrSchema LoadSchema(std::int16_t type) {
    auto x = std::make_unique<plugin::CZantoriaKHTowary>();
    std::memset(static_cast<void*>(x.get()), 0, sizeof *x);
    x->LoadSaveDekrSchema(type, 0);
    return x->dekrSchema;
  }

 private:
  mutable testing_support::TestHost host_;
};

const char* kBaseIni =
    "[ZantoriaMK]\n"
    "Opcje=1,2,5,0,0\n"
    "Dates=20240101,20240131\n"
    "File=$EXPORT/plik.txt\n"
    "[DekrSchema_1]\n"
    "Rejestr1=RS1A\n"
    "[DekrSchema_2]\n"
    "Rejestr1=RS2A\nRejestr2=RS2B\nRejestr3=RS2C\nRejestr4=RS2D\n";

bool Has(const std::string& screen, const std::string& piece) {
  return screen.find(piece) != std::string::npos;
}

TEST(OptionsDialog, OpensOnTheGeneralPageWithTheLoadedOptionsAndEscSavesNothing) {
  DialogRun run(kBaseIni);
  const std::string before = run.Ini();
  run.Run("Esc");
  const std::string screen = run.Screen();
  for (const char* piece : {"Zakres eksportu dokumentów", "[F2 Ogólne]", "[01.01.2024", "[31.01.2024",
                            "[x] Faktury i korekty sprzedaży", "[ ] Faktury dla os. fizycznych",
                            "[ ] Spakowanie danych", "[x] Nie eksportuj dokumentów",
                            "[x] Nie eksportuj faktur wystawionych", "[ ] Nie eksportuj informacji",
                            "[x] Pokaż plik eksportowany", "plik.txt", "[ F12 OK ]",
                            "[  Dzień/Mies+   ]"}) {
    EXPECT_TRUE(Has(screen, piece)) << piece << "\n" << screen;
  }
  EXPECT_FALSE(Has(screen, "Użyj szablonu")) << screen;  // the other page's items are hidden
  EXPECT_EQ(run.Ini(), before);
  EXPECT_FALSE(fs::exists(run.ExportDir() + "/plik.txt"));
}

TEST(OptionsDialog, ChoosingSchemaTwoShowsItsRegisterNamesAtOnce) {
  DialogRun run(kBaseIni);
  run.Run("F3 Right");
  const std::string screen = run.Screen();
  EXPECT_TRUE(Has(screen, "[F3 Dekrety]")) << screen;
  for (const char* name : {"RS2A", "RS2B", "RS2C", "RS2D"}) EXPECT_TRUE(Has(screen, name)) << screen;
  EXPECT_FALSE(Has(screen, "RS1A")) << screen;
}

TEST(OptionsDialog, KonfigOfCorrectionsTitlesTheDecreeDialogWithSchemaAndRegister) {
  DialogRun run(kBaseIni);
  run.Run("F3 Right i");  // schema 2, then "Konf~i~g" of 16644
  const std::string screen = run.Screen();
  EXPECT_TRUE(Has(screen, "Konfiguracja dekretu - schemat 2:korekty.kraj:RS2C")) << screen;
  EXPECT_TRUE(Has(screen, "Brutto:")) << screen;
}

TEST(DecreeDialog, AGoodsItemChosenForRowElevenIsSavedOnlyOnOk) {
  struct Case {
    const char* keys;
    bool saved;
  };
  // In the decree dialog three steps back from the first edit reach row 11's "Towar".
  const Case cases[] = {
      {"F3 i BackTab BackTab BackTab Enter Down Enter F12 Esc", true},
      {"F3 i BackTab BackTab BackTab Enter Down Enter Esc Esc", false},
      {"F3 i BackTab BackTab BackTab Enter Down Down Enter F12 Esc", false},  // attr 0: refused
      {"F3 i BackTab BackTab BackTab Enter Esc F12 Esc", false},              // chooser cancelled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    DialogRun run(kBaseIni);
    const plugin::DekrSchema before = run.LoadSchema(plugin::kTypeCorrections);
    run.Run(c.keys);
    const plugin::DekrSchema after = run.LoadSchema(plugin::kTypeCorrections);
    const std::string opis = host::MazoviaToUtf8(std::string(after.netto[11].opis, strnlen(after.netto[11].opis, 41)));
    if (c.saved) {
      EXPECT_EQ(opis, "Kabel miedziany dwużyłowy 2x1,5 mm, 100 ");  // cut to 40 characters
      EXPECT_EQ(after.towarRef[11].towarKey.get(), 9);
      EXPECT_EQ(after.towarRef[11].towarAttr.get(), 2);
    } else {
      EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << opis;
    }
  }
}

TEST(OptionsDialog, WybierzFillsTheFileNameAndACancelledChooserKeepsIt) {
  struct Case {
    const char* keys;
    const char* shown;
    const char* absent;
  };
  const Case cases[] = {
      {"F6 Enter", "dane.txt", "plik.txt"},
      {"F6 Esc", "plik.txt", "dane.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    DialogRun run(kBaseIni);
    std::ofstream(run.ExportDir() + "/dane.txt") << "x";
    run.Run(c.keys);
    const std::string screen = run.Screen();
    EXPECT_TRUE(Has(screen, c.shown)) << screen;
    EXPECT_FALSE(Has(screen, c.absent)) << screen;
  }
}

TEST(OptionsDialog, TheDateButtonAndPlusMinusMoveTheRange) {
  struct Case {
    const char* keys;
    const char* from;
    const char* to;
  };
  const Case cases[] = {
      {"Tab Tab Enter", "[01.03.2024", "[31.03.2024"},        // one day becomes its month
      {"Tab Tab Enter Enter", "[01.03.2024", "[01.03.2024"},  // and the month its first day
      {"Tab Tab Enter +", "[01.04.2024", "[30.04.2024"},
      {"Tab Tab Enter -", "[01.02.2024", "[29.02.2024"},
      {"+", "[16.03.2024", "[16.03.2024"},                    // a day moves by a day
      {"Tab Tab Enter - - -", "[01.12.2023", "[31.12.2023"},  // across the year
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    DialogRun run("[ZantoriaMK]\nDates=20240315,20240315\n");
    run.Run(c.keys);
    const std::string screen = run.Screen();
    EXPECT_TRUE(Has(screen, "Od dnia:" + std::string(c.from))) << screen;
    EXPECT_TRUE(Has(screen, "do: " + std::string(c.to))) << screen;
  }
}

TEST(OptionsDialog, F12RunsTheExportWithWhatTheDialogShowsAndEscSavesNothing) {
  struct Case {
    const char* keys;
    bool ran;
  };
  const Case cases[] = {
      {"Alt+s F6 Text:nowy.txt Enter F12", true},
      {"Alt+s F6 Text:nowy.txt Enter Esc", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    DialogRun run("[ZantoriaMK]\nOpcje=0,0,0,0,0\nDates=20240301,20240331\nFile=$EXPORT/plik.txt\n");
    const std::string before = run.Ini();
    run.Run(c.keys);
    EXPECT_EQ(fs::exists(run.ExportDir() + "/nowy.txt"), c.ran);
    EXPECT_FALSE(fs::exists(run.ExportDir() + "/plik.txt"));
    if (c.ran) {
      EXPECT_TRUE(Has(run.Ini(), "Opcje=1,0,0,0,0")) << run.Ini();
      EXPECT_TRUE(Has(run.Ini(), "nowy.txt")) << run.Ini();
    } else {
      EXPECT_EQ(run.Ini(), before);
    }
  }
}

}  // namespace

namespace {

TEST(OptionsDialog, ARegisterNameIsSavedAsSoonAsItsEditIsLeftEvenWhenTheRunIsCancelled) {
  DialogRun run(kBaseIni);
  run.Run("F3 Tab Tab Tab Tab Tab Text:NOWY Tab Esc");  // the choice, four "Konfig", then rejestr[0]
  EXPECT_TRUE(Has(run.Ini(), "[DekrSchema_1]")) << run.Ini();
  EXPECT_TRUE(Has(run.Ini(), "Rejestr1=NOWY")) << run.Ini();
  EXPECT_TRUE(Has(run.Ini(), "Opcje=1,2,5,0,0")) << run.Ini();  // the options themselves are not saved
  EXPECT_FALSE(fs::exists(run.ExportDir() + "/plik.txt"));
}

}  // namespace
