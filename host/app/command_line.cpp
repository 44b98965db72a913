#include "app/command_line.h"

#include <cstdio>

namespace host::app {

namespace {

enum class Takes { Nothing, Value };

struct OptionSpec {
  const char* name;
  Takes takes;
};

constexpr OptionSpec kOptions[] = {
    {"--db", Takes::Value},         {"--config-dir", Takes::Value},
    {"--export-dir", Takes::Value}, {"--plugins", Takes::Value},
    {"--today", Takes::Value},      {"--unattended", Takes::Nothing},
    {"--keys", Takes::Value},       {"--screen-dump", Takes::Value},
};

const OptionSpec* FindOption(const std::string& name) {
  for (const OptionSpec& spec : kOptions)
    if (name == spec.name) return &spec;
  return nullptr;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// An XDG base folder: the variable when it holds an absolute path, else HOME + fallback.
std::string BaseFolder(const EnvLookup& env, const char* variable, const char* fallback) {
  const char* value = env(variable);
  if (value && value[0] == '/') return value;
  const char* home = env("HOME");
  if (home && home[0]) return std::string(home) + "/" + fallback;
  return std::string();
}

// Applies one global option; returns an error text or "".
std::string Apply(HostOptions& options, const std::string& name, const std::string& value) {
  if (name == "--db") {
    options.dbPath = value;
  } else if (name == "--config-dir") {
    options.configDir = value;
  } else if (name == "--export-dir") {
    options.exportDir = value;
  } else if (name == "--plugins") {
    options.pluginsDir = value;
  } else if (name == "--today") {
    options.today = ParseIsoDate(value);
    if (options.today.empty())
      return "Niepoprawna data w opcji --today: \"" + value + "\" (oczekiwano RRRR-MM-DD).";
  } else if (name == "--unattended") {
    options.unattended = true;
  } else if (name == "--keys") {
    options.keys = value;
  } else if (name == "--screen-dump") {
    options.screenDump = value;
  }
  if (value.empty() && FindOption(name)->takes == Takes::Value)
    return "Opcja " + name + " wymaga niepustej wartości.";
  return std::string();
}

}  // namespace

std::string ParseIsoDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::string();
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (text[i] < '0' || text[i] > '9') return std::string();
  int year = std::stoi(text.substr(0, 4));
  int month = std::stoi(text.substr(5, 2));
  int day = std::stoi(text.substr(8, 2));
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || month < 1 || month > 12 || day < 1) return std::string();
  int last = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
  if (day > last) return std::string();
  return text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
}

CommandLine ParseCommandLine(const std::vector<std::string>& args, const EnvLookup& env,
                             const std::string& currentDir) {
  CommandLine line;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      line.command.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      line.help = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool inlineValue = false;
    if (std::size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    const OptionSpec* spec = FindOption(name);
    if (!spec) {
      // A command's own option ("db sample --invoices 500") stays with the command.
      if (!line.command.empty() && line.command[0] == "db") {
        line.command.push_back(arg);
        continue;
      }
      line.error = "Nieznana opcja: " + arg + ". Lista opcji: vostra --help.";
      return line;
    }
    if (spec->takes == Takes::Nothing && inlineValue) {
      line.error = "Opcja " + name + " nie przyjmuje wartości.";
      return line;
    }
    if (spec->takes == Takes::Value && !inlineValue) {
      if (i + 1 >= args.size()) {
        line.error = "Opcja " + name + " wymaga wartości.";
        return line;
      }
      value = args[++i];
    }
    line.error = Apply(line.options, name, value);
    if (!line.error.empty()) return line;
  }

  HostOptions& o = line.options;
  if (o.dbPath.empty()) {
    std::string base = BaseFolder(env, "XDG_DATA_HOME", ".local/share");
    if (base.empty()) {
      line.error = "Nie wiadomo, gdzie trzymać bazę danych (brak HOME): podaj --db.";
      return line;
    }
    o.dbPath = base + "/vostra/vostra.db";
  }
  if (o.configDir.empty()) {
    std::string base = BaseFolder(env, "XDG_CONFIG_HOME", ".config");
    if (base.empty()) {
      line.error = "Nie wiadomo, gdzie trzymać ustawienia (brak HOME): podaj --config-dir.";
      return line;
    }
    o.configDir = base + "/vostra";
  }
  if (o.exportDir.empty()) o.exportDir = currentDir;
  if (!o.screenDump.empty() && o.keys.empty()) {
    line.error = "Opcja --screen-dump działa tylko razem z --keys.";
    return line;
  }
  return line;
}

const char* UsageText() {
  return "Użycie: vostra [opcje] [polecenie]\n"
         "\n"
         "Polecenia:\n"
         "  db sample [--invoices N] [--seed S]  wypełnia bazę przykładowymi danymi\n"
         "  db import PLIK                       wczytuje dokument danych (- = standardowe "
         "wejście)\n"
         "  db dump                              wypisuje bazę jako dokument danych\n"
         "  run NAZWA                            uruchamia polecenie wtyczki, np.\n"
         "                                       \"Eksport Zantoria 3.0 (towary)\"\n"
         "  plugins                              pokazuje wtyczki, ich polecenia i raporty\n"
         "  (brak)                               okno główne programu (w terminalu)\n"
         "\n"
         "Opcje (przed poleceniem lub po nim):\n"
         "  --db PLIK              plik bazy danych ($XDG_DATA_HOME/vostra/vostra.db)\n"
         "  --config-dir FOLDER    folder ustawień, m.in. WtyczkiG.ini "
         "($XDG_CONFIG_HOME/vostra)\n"
         "  --export-dir FOLDER    folder plików eksportu (bieżący folder)\n"
         "  --plugins FOLDER       folder wtyczek (instalowany obok programu)\n"
         "  --today RRRR-MM-DD     dzisiejsza data programu (zegar systemowy)\n"
         "  --unattended           praca bez okien dialogowych\n"
         "  --keys SKRYPT          okna dialogowe sterowane skryptem klawiszy\n"
         "  --screen-dump PLIK     z --keys: zapis ostatniego ekranu jako tekst UTF-8\n";
}

}  // namespace host::app
