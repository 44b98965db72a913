// The plug-in's lifecycle for real: the module ExportZantoriaV3Towary.so, loaded by the host's
// plug-in manager in a child process that finds one build of TOVRAN first (testhosts/<case>).
#include <gtest/gtest.h>

#include <string>

#include "format/codepage.h"
#include "process_support.h"

namespace app_test {
namespace {

const std::string kBin = VOSTRA_BINARY_DIR;
const std::string kPlugins = kBin + "/lib/plugins";
const std::string kDisplay = "Eksport Zantoria 3.0 (towary)";
const std::string kBase = "ExportZantoriaV3Towary.so";

std::string MissingText(const std::string& list, const char* pronoun) {
  return "Wtyczka \"" + kDisplay + "\" potrzebuje zaimportować\n"_mz + list +
         " z modułu głównego,\njednak moduł główny "_mz + pronoun +
         " nie posiada. Aby naprawić tę sytuację\nzainstaluj aktualizację programu oraz "
         "wtyczki.\n\nWTYCZKA NIE ZOSTANIE ZAŁADOWANA!!!\n"_mz;
}

std::string SizesText(const std::string& rows) {
  return "Rozmiary rekordów niektórych tabel nie zgadzają się\nmiędzy programem a wtyczką '"_mz +
         kDisplay + "' (moduł '"_mz + kBase + "'):\n\n\x01tl18l33\x01TABELA\tWE WTYCZCE\tW PROGRAMIE\n" +
         rows + "\nModuł \x02"_mz + kBase + "\x01\nNIE zostanie załadowany!"_mz;
}

std::string VersionText() {
  return "Moduł \""_mz + kBase +
         "\" i program występują w różnych wersjach!\n\nZostał zakualizowany tylko program "
         "albo tylko moduł,\na nie oba jednocześnie! Aby naprawić tę sytuację\nzainstaluj "
         "aktualizację programu wraz z modułem \""_mz +
         kBase + "\".\n\nMODUŁ NIE ZOSTANIE ZAŁADOWANY!!!\n"_mz;
}

std::vector<ProbedPlugin> Probe(const std::string& variant, ProcessResult* result) {
  TempDir work;
  std::vector<std::string> env;
  if (!variant.empty()) env.push_back("LD_LIBRARY_PATH=" + kBin + "/testhosts/" + variant);
  *result = app_test::Run({kBin + "/tests/plugin_probe", kPlugins, work.path}, env, work.path);
  std::string error;
  auto plugins = ParseProbe(result->out, &error);
  EXPECT_EQ(error, "");
  return plugins;
}

TEST(PluginLifecycle, EachKindOfHostThatDoesNotFitGetsItsOwnReport) {
  struct Case {
    const char* variant;
    std::string report;  // the one message the module showed, Mazovia, byte for byte
  };
  const Case cases[] = {
      {"missing_one", MissingText("funkcję o numerze 52030"_mz, "jej")},
      {"missing_two", MissingText("funkcje o numerach 30018, 52156", "ich")},
      {"missing_nine",
       MissingText("funkcje o numerach 30005, 30018, 32300, 38417, 40008, 40101, 41611, 41613",
                   "ich")},
      {"table47_255", SizesText("\x01tp25p40\x01Tspr_kor_dok\t256\t255\n")},
      {"tables_44_59",
       SizesText("\x01tp25p40\x01Tspr\t1469\t1470\n\x01tp25p40\x01" "d_dek\t2750\tbrak\n")},
      {"table59_unknown", SizesText("\x01tp25p40\x01" "d_dek\t2750\tbrak\n")},
      {"version111", VersionText()},
      {"rejects", "Licencja modułu wygasła (100% stanowisk zajętych)."_mz},
      {"features4", "Program nie obsługuje cech 0x00000004,\nktóre są niezbędne dla modułu '"_mz +
                        kDisplay + "'."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    ProcessResult result;
    std::vector<ProbedPlugin> plugins = Probe(c.variant, &result);
    ASSERT_EQ(result.status, 0) << result.err;
    ASSERT_EQ(plugins.size(), 1u);
    const ProbedPlugin& p = plugins[0];
    EXPECT_EQ(p.file, kBase);
    EXPECT_EQ(p.state, "refused");
    EXPECT_TRUE(p.announced);
    EXPECT_EQ(p.name, kDisplay);  // copied before the module refused
    EXPECT_TRUE(p.commands.empty());
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].title, "STOP!!!");
    EXPECT_EQ(p.messages[0].text, c.report);
    // Shutdown asks to unregister 31028 and leaves the buffer alone, also when the host
    // lacks the unregistering function (missing_nine).
    EXPECT_EQ(p.shutdown, "0 0 1");
  }
}

TEST(PluginLifecycle, AFittingHostGetsTheCommandUntilShutdown) {
  ProcessResult result;
  std::vector<ProbedPlugin> plugins = Probe("", &result);
  ASSERT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(plugins.size(), 1u);
  const ProbedPlugin& p = plugins[0];
  EXPECT_EQ(p.state, "loaded");
  EXPECT_FALSE(p.announced);
  EXPECT_EQ(p.name, kDisplay);
  ASSERT_EQ(p.commands.size(), 1u);
  EXPECT_EQ(p.commands[0].first, 31028);
  EXPECT_EQ(p.commands[0].second, kDisplay);
  for (const ProbedMessage& m : p.messages) EXPECT_NE(m.title, "STOP!!!");
  EXPECT_EQ(p.shutdown, "0 0 1");
}

TEST(PluginLifecycle, AnOldHostGetsTheErrorAndNoCommand) {
  ProcessResult result;
  std::vector<ProbedPlugin> plugins = Probe("hostword257", &result);
  ASSERT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(plugins.size(), 1u);
  const ProbedPlugin& p = plugins[0];
  EXPECT_EQ(p.state, "loaded");  // 30001 accepted the host; 30008 found it too old
  EXPECT_TRUE(p.commands.empty());
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0].text, "Wtyczka wymaga nowszego programu (klasa CIdentDokZaznacz)!");
}

TEST(PluginLifecycle, PluginsCommandRendersTheReportForAPerson) {
  TempDir work;
  ProcessResult result = app_test::Run({kBin + "/bin/vostra", "--db", work.path + "/db", "--config-dir",
                              work.path + "/cfg", "plugins"},
                             {"LD_LIBRARY_PATH=" + kBin + "/testhosts/table47_255"}, work.path);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("ExportZantoriaV3Towary.so: odrzucona"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("STOP!!!"), std::string::npos);
  EXPECT_NE(result.out.find("Rozmiary rekordów niektórych tabel"), std::string::npos);
  EXPECT_NE(result.out.find("NIE zostanie załadowany!"), std::string::npos);
  EXPECT_EQ(result.out.find('\x01'), std::string::npos);
  EXPECT_EQ(result.out.find('\x02'), std::string::npos);
  // The table's columns stand where its tab stops put them.
  EXPECT_NE(result.out.find("TABELA"), std::string::npos);
  std::size_t row = result.out.find("Tspr_kor_dok");
  ASSERT_NE(row, std::string::npos);
  std::size_t lineStart = result.out.rfind('\n', row) + 1;
  std::string line = result.out.substr(lineStart, result.out.find('\n', row) - lineStart);
  EXPECT_NE(line.find("256"), std::string::npos) << line;
  EXPECT_NE(line.find("255"), std::string::npos) << line;
}

}  // namespace
}  // namespace app_test
