#include "app/command_line.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using host::app::CommandLine;
using host::app::ParseCommandLine;

CommandLine Parse(const std::vector<std::string>& args,
                  std::map<std::string, std::string> env = {{"HOME", "/home/ala"}}) {
  return ParseCommandLine(
      args,
      [env](const char* name) -> const char* {
        auto found = env.find(name);
        return found == env.end() ? nullptr : found->second.c_str();
      },
      "/praca");
}

TEST(CommandLine, OptionsStandBeforeOrAfterTheCommand) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> command;
    std::string db, config, exportDir, plugins, today, keys, dump;
    bool unattended;
  };
  const Case cases[] = {
      {{"--unattended", "run", "Eksport Zantoria 3.0 (towary)"},
       {"run", "Eksport Zantoria 3.0 (towary)"},
       "/home/ala/.local/share/vostra/vostra.db", "/home/ala/.config/vostra", "/praca", "", "",
       "", "", true},
      {{"run", "X", "--db", "/d/v.db", "--today", "2024-02-29", "--export-dir=/e"},
       {"run", "X"}, "/d/v.db", "/home/ala/.config/vostra", "/e", "", "20240229", "", "", false},
      {{"--config-dir", "c", "--plugins", "p", "--keys", "k.txt", "--screen-dump", "s.txt"},
       {}, "/home/ala/.local/share/vostra/vostra.db", "c", "/praca", "p", "", "k.txt", "s.txt",
       false},
      // A command's own options stay with it; "--" ends the options.
      {{"db", "sample", "--invoices", "500", "--seed", "7", "--db", "x.db"},
       {"db", "sample", "--invoices", "500", "--seed", "7"}, "x.db", "/home/ala/.config/vostra",
       "/praca", "", "", "", "", false},
      {{"run", "--", "--unattended"}, {"run", "--unattended"},
       "/home/ala/.local/share/vostra/vostra.db", "/home/ala/.config/vostra", "/praca", "", "",
       "", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CommandLine line = Parse(c.args);
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.command, c.command);
    EXPECT_EQ(line.options.dbPath, c.db);
    EXPECT_EQ(line.options.configDir, c.config);
    EXPECT_EQ(line.options.exportDir, c.exportDir);
    EXPECT_EQ(line.options.pluginsDir, c.plugins);
    EXPECT_EQ(line.options.today, c.today);
    EXPECT_EQ(line.options.keys, c.keys);
    EXPECT_EQ(line.options.screenDump, c.dump);
    EXPECT_EQ(line.options.unattended, c.unattended);
  }
}

TEST(CommandLine, DefaultFoldersFollowTheXdgVariables) {
  struct Case {
    std::map<std::string, std::string> env;
    std::string db, config, error;
  };
  const Case cases[] = {
      {{{"HOME", "/h"}, {"XDG_DATA_HOME", "/xd"}, {"XDG_CONFIG_HOME", "/xc"}},
       "/xd/vostra/vostra.db", "/xc/vostra", ""},
      // Empty or relative values do not count.
      {{{"HOME", "/h"}, {"XDG_DATA_HOME", ""}, {"XDG_CONFIG_HOME", "rel"}},
       "/h/.local/share/vostra/vostra.db", "/h/.config/vostra", ""},
      {{{"XDG_DATA_HOME", "/xd"}, {"XDG_CONFIG_HOME", "/xc"}}, "/xd/vostra/vostra.db",
       "/xc/vostra", ""},
      {{}, "", "", "podaj --db"},
      {{{"XDG_DATA_HOME", "/xd"}}, "", "", "podaj --config-dir"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.db + "|" + c.error);
    CommandLine line = Parse({"plugins"}, c.env);
    if (!c.error.empty()) {
      EXPECT_NE(line.error.find(c.error), std::string::npos) << line.error;
      continue;
    }
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.options.dbPath, c.db);
    EXPECT_EQ(line.options.configDir, c.config);
  }
}

TEST(CommandLine, BadOptionsAreExplainedInPolish) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{"--bogus", "plugins"}, "Nieznana opcja: --bogus"},
      {{"run", "X", "--invoices", "5"}, "Nieznana opcja: --invoices"},
      {{"plugins", "--db"}, "Opcja --db wymaga wartości"},
      {{"--db=", "plugins"}, "Opcja --db wymaga niepustej wartości"},
      {{"--unattended=1"}, "Opcja --unattended nie przyjmuje wartości"},
      {{"--today", "2024-02-30"}, "Niepoprawna data w opcji --today"},
      {{"--today", "2023-02-29"}, "Niepoprawna data"},
      {{"--today", "15.03.2024"}, "Niepoprawna data"},
      {{"--today", "2024-13-01"}, "Niepoprawna data"},
      {{"--today", "2024-3-15"}, "Niepoprawna data"},
      {{"--screen-dump", "s.txt"}, "tylko razem z --keys"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CommandLine line = Parse(c.args);
    EXPECT_NE(line.error.find(c.error), std::string::npos) << line.error;
  }
}

TEST(CommandLine, HelpIsNoticedAnywhere) {
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"run", "-h"}).help);
  EXPECT_FALSE(Parse({"run", "X"}).help);
}

}  // namespace
