// The program vostra: builds the host from the command line, loads the plug-ins and runs one
// command (db, run, plugins) or, without one, the main window.
#include "app/main.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/plugins.h"
#include "app/report.h"
#include "core/encoding.h"
#include "format/codepage.h"
#include "core/host.h"
#include "dialog/dialogs.h"
#include "services/services.h"
#include "store/store.h"

namespace host::app {

namespace {

namespace fs = std::filesystem;

void PrintError(const std::string& utf8) { std::fprintf(stderr, "vostra: %s\n", utf8.c_str()); }

// Passes every message on and notes whether one of them told the user that an operation
// failed: an error, a box under an error title, or a text that ends an operation incomplete.
class WatchingSink : public MessageSink {
 public:
  explicit WatchingSink(MessageSink* next) : next_(next) {}
  int Show(const std::string& title, const std::string& text, int flags) override {
    if (IsFailure(title, text)) failed_ = true;
    return next_ ? next_->Show(title, text, flags) : 0;
  }
  void CloseNotice() override {
    if (next_) next_->CloseNotice();
  }
  int ShowError(const std::string& text) override {
    failed_ = true;
    return next_ ? next_->ShowError(text) : 0;
  }
  bool failed() const { return failed_; }

 private:
  static bool IsFailure(const std::string& title, const std::string& text) {
    static const std::string kTitles[] = {"Błąd"_mz, "Blokada", "STOP!!!"};
    for (const std::string& t : kTitles)
      if (title == t) return true;
    return text.find("Operacja niekompletna") != std::string::npos;
  }
  MessageSink* next_;
  bool failed_ = false;
};

// The regular files of a folder with their size and modification time, to name afterwards
// what a command wrote there.
using FolderState = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;

FolderState Snapshot(const std::string& folder) {
  FolderState state;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    std::error_code e1, e2, e3;
    if (!entry.is_regular_file(e1)) continue;
    auto size = entry.file_size(e2);
    auto time = entry.last_write_time(e3);
    if (!e2 && !e3) state[entry.path().string()] = {size, time};
  }
  return state;
}

// The files that appeared or changed, without the host's own database files (which may lie in
// the same folder).
std::vector<std::string> ChangedFiles(const FolderState& before, const FolderState& after,
                                      const std::string& dbPath) {
  std::error_code error;
  fs::path db = fs::weakly_canonical(fs::absolute(dbPath, error), error);
  std::vector<std::string> changed;
  for (const auto& [path, stamp] : after) {
    fs::path file = fs::weakly_canonical(path, error);
    bool ofDatabase = false;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
      if (file == fs::path(db.string() + suffix)) ofDatabase = true;
    if (ofDatabase) continue;
    auto old = before.find(path);
    if (old == before.end() || old->second != stamp) changed.push_back(path);
  }
  return changed;
}

int RunNamedCommand(Host& host, const std::vector<std::string>& command) {
  if (command.size() != 2) {
    PrintError("polecenie run wymaga jednej nazwy, np. vostra run \"Eksport Zantoria 3.0 (towary)\".");
    return 2;
  }
  std::string name;
  if (!Utf8ToMazovia(command[1], name)) {
    PrintError("nazwa polecenia zawiera znaki spoza polskiego zestawu znaków.");
    return 2;
  }
  const Command* found = nullptr;
  for (const Command& c : host.plugins->Commands())
    if (c.name == name) found = &c;
  if (!found) {
    std::string known;
    for (const Command& c : host.plugins->Commands())
      known += "\n  " + MazoviaToUtf8(c.name);
    PrintError("nie ma polecenia \"" + command[1] + "\"." +
               (known.empty() ? std::string(" Żadna wtyczka nie zarejestrowała poleceń (zob. vostra plugins).")
                              : " Dostępne polecenia:" + known));
    return 1;
  }

  FolderState before = Snapshot(host.options.exportDir);
  WatchingSink watch(host.messages);
  MessageSink* previous = host.messages;
  host.messages = &watch;
  int result = host.plugins->RunCommand(name);
  host.messages = previous;

  for (const std::string& path : ChangedFiles(before, Snapshot(host.options.exportDir), host.options.dbPath))
    std::fprintf(stderr, "Zapisano plik: %s\n", path.c_str());
  if (host.breakRequested.load()) {
    PrintError("polecenie przerwane (Ctrl+C).");
    return 130;
  }
  return result == 0 && !watch.failed() ? 0 : 1;
}

int ListPlugins(Host& host) {
  std::string text = DescribePlugins(*host.plugins, host.plugins->Folder());
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

// Makes the folder of the database and the settings folder, so that a fresh machine works.
bool PrepareFolders(const HostOptions& options) {
  std::error_code error;
  fs::path dbFolder = fs::path(options.dbPath).parent_path();
  if (!dbFolder.empty()) fs::create_directories(dbFolder, error);
  if (error) {
    PrintError("nie można utworzyć folderu bazy danych " + dbFolder.string() + ": " +
               error.message());
    return false;
  }
  fs::create_directories(options.configDir, error);
  if (error) {
    PrintError("nie można utworzyć folderu ustawień " + options.configDir + ": " +
               error.message());
    return false;
  }
  return true;
}

}  // namespace

int Main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::error_code cwdError;
  std::string currentDir = fs::current_path(cwdError).string();
  CommandLine line = ParseCommandLine(
      args, [](const char* name) { return static_cast<const char*>(std::getenv(name)); },
      currentDir);
  if (line.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (!line.error.empty()) {
    PrintError(line.error);
    return 2;
  }
  const std::vector<std::string>& command = line.command;
  const std::string verb = command.empty() ? std::string() : command[0];
  if (!verb.empty() && verb != "db" && verb != "run" && verb != "plugins") {
    PrintError("nieznane polecenie \"" + verb + "\". Lista poleceń: vostra --help.");
    return 2;
  }
  if (verb == "plugins" && command.size() != 1) {
    PrintError("polecenie plugins nie przyjmuje argumentów.");
    return 2;
  }
  if (!PrepareFolders(line.options)) return 1;

  Host host(line.options);
  CurrentHostScope current(&host);
  services::InstallBreakHandler(host);

  if (verb == "db") {
    std::vector<std::string> dbArgs(command.begin() + 1, command.end());
    return store::RunDbCommand(host, dbArgs);
  }

  host.plugins->LoadAll();
  if (verb != "plugins") {
    for (const LoadedPlugin& plugin : host.plugins->Loaded())
      if (plugin.refused)
        PrintError("wtyczka " + fs::path(plugin.path).filename().string() +
                   " nie została załadowana (szczegóły: vostra plugins).");
  }

  int status = 0;
  if (verb == "plugins") {
    status = ListPlugins(host);
  } else if (verb == "run") {
    status = RunNamedCommand(host, command);
  } else {
    status = dialog::RunMainWindow(host);
  }
  host.plugins->UnloadAll();
  return status;
}

}  // namespace host::app
