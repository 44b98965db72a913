// The host's plug-ins: it finds them in its plug-in folder, runs their lifecycle (initialise,
// start or ask for the load report, shut down, unload) and keeps the commands they register.
//
// Plugins belongs to a Host and does nothing until LoadAll(); the Host must be the current one
// (host::Current()) while plug-ins are loaded, run and unloaded, since they call back through
// the exported host functions. A plug-in that refuses the host stays loaded until UnloadAll()
// with its load report kept (Mazovia, as the plug-in showed it). Texts of commands are Mazovia.
// Not thread-safe: everything runs on the host's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/host.h"
#include "frame/host_services.h"
#include "frame/plugin_exports.h"
#include "platform.h"

// The host's notification function (export 30006 of TOVRAN).
extern "C" HostNotifyFn HostNotify;

namespace host::app {

struct Command {
  std::string name;  // Mazovia
  int id;
  CommandHandlerFn* handler;
  int plugin = -1;   // index into Plugins::Loaded()
};

// One message that a plug-in showed while the host started it.
struct PluginMessage {
  std::string title;  // Mazovia
  std::string text;   // Mazovia, with the host's markup bytes
};

struct LoadedPlugin {
  std::string path;
  std::string name;      // what 30001 wrote into the name buffer (Mazovia)
  platform::ModuleHandle module = nullptr;
  bool refused = false;  // 30001 answered -1, or the file is no plug-in
  std::string loadError; // why the file could not be loaded or is no plug-in (UTF-8)
  bool reportAnnounced = false;        // the module called the notification with (1, -1)
  std::vector<PluginMessage> messages; // shown during start: the load report when refused
  const plugin_abi::VersionInfo* version = nullptr;
};

class Plugins {
 public:
  explicit Plugins(Host& host);
  ~Plugins();  // UnloadAll()
  Plugins(const Plugins&) = delete;
  Plugins& operator=(const Plugins&) = delete;

  // The plug-in folder: options.pluginsDir, or the one installed beside the program.
  std::string Folder() const;
  // Loads every "*.so" of the folder in name order and starts it.
  void LoadAll();
  // Loads and starts one module file; returns its index in Loaded().
  int Load(const std::string& path);
  // Shuts every module down (30001 with null) and unloads it, last loaded first.
  void UnloadAll();

  const std::vector<LoadedPlugin>& Loaded() const { return plugins_; }
  const std::vector<Command>& Commands() const { return commands_; }

  // Runs the command of that name: 0 when it ran to its end, -1 when there is no such command,
  // 1 when it ended with a fault (reported on standard error).
  int RunCommand(const std::string& nameMazovia);

  // The host functions of the registry.
  int Register(const PluginCommandRecord* record);
  int Unregister(std::int32_t commandId);
  void Notify(std::int32_t what, std::int32_t value);

 private:
  Host& host_;
  std::vector<LoadedPlugin> plugins_;
  std::vector<Command> commands_;
  int current_ = -1;  // the plug-in whose export is running
};

}  // namespace host::app
