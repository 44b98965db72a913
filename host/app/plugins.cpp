#include "app/plugins.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/encoding.h"

#ifndef VOSTRA_DEFAULT_PLUGIN_SUBDIR
#define VOSTRA_DEFAULT_PLUGIN_SUBDIR "../lib/plugins"
#endif

namespace host::app {

namespace {

// Collects what a plug-in shows while the host starts it and, unless it only listens, passes
// each message on to the sink that was in place.
class StartSink : public MessageSink {
 public:
  StartSink(MessageSink* next, bool forward, std::vector<PluginMessage>& into)
      : next_(forward ? next : nullptr), into_(into) {}
  int Show(const std::string& title, const std::string& text, int flags) override {
    into_.push_back({title, text});
    return next_ ? next_->Show(title, text, flags) : 0;
  }
  void CloseNotice() override {
    if (next_) next_->CloseNotice();
  }
  int ShowError(const std::string& text) override {
    into_.push_back({std::string(), text});
    return next_ ? next_->ShowError(text) : 0;
  }

 private:
  MessageSink* next_;
  std::vector<PluginMessage>& into_;
};

// Puts a sink in place of the host's for a scope.
class SinkScope {
 public:
  SinkScope(Host& host, MessageSink* sink) : host_(host), previous_(host.messages) {
    host.messages = sink;
  }
  ~SinkScope() { host_.messages = previous_; }
  SinkScope(const SinkScope&) = delete;
  SinkScope& operator=(const SinkScope&) = delete;

 private:
  Host& host_;
  MessageSink* previous_;
};

// A message of the host (UTF-8 in the source) for a person, through the current sink.
void ShowHostError(Host& host, const std::string& utf8) {
  std::string mazovia;
  if (!Utf8ToMazovia(utf8, mazovia)) mazovia = utf8;
  if (host.messages)
    host.messages->ShowError(mazovia);
  else
    std::fprintf(stderr, "%s\n", utf8.c_str());
}

// The name of a command record, read bounded: at most 255 characters.
std::string RecordName(const PluginCommandRecord* record) {
  if (!record->name) return std::string();
  return std::string(record->name, strnlen(record->name, 255));
}

}  // namespace

Plugins::Plugins(Host& host) : host_(host) {}

Plugins::~Plugins() { UnloadAll(); }

std::string Plugins::Folder() const {
  if (!host_.options.pluginsDir.empty()) return host_.options.pluginsDir;
  char self[4096];
  if (platform::ExecutablePath(self, sizeof self) == 0) return std::string();
  std::filesystem::path folder = std::filesystem::path(self).parent_path() / VOSTRA_DEFAULT_PLUGIN_SUBDIR;
  return folder.lexically_normal().string();
}

void Plugins::LoadAll() {
  std::string folder = Folder();
  std::error_code error;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::error_code ignored;
    if (entry.path().extension() == platform::kModuleSuffix && entry.is_regular_file(ignored))
      files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  for (const std::string& file : files) Load(file);
}

int Plugins::Load(const std::string& path) {
  CurrentHostScope current(&host_);
  int index = static_cast<int>(plugins_.size());
  plugins_.push_back(LoadedPlugin{});
  plugins_[index].path = path;

  char error[512] = {};
  platform::ModuleHandle module = platform::LoadModule(path.c_str(), error, sizeof error);
  if (!module) {
    plugins_[index].refused = true;
    plugins_[index].loadError = error;
    return index;
  }
  auto* initialize = reinterpret_cast<plugin_abi::InitializeFn*>(
      platform::LookupOrdinal(module, plugin_abi::kOrdinalInitialize));
  auto* start = reinterpret_cast<plugin_abi::StartFn*>(
      platform::LookupOrdinal(module, plugin_abi::kOrdinalStart));
  if (!initialize || !start) {
    platform::UnloadModule(module);
    plugins_[index].refused = true;
    plugins_[index].loadError = "moduł nie eksportuje funkcji 30001 i 30008";
    return index;
  }
  plugins_[index].module = module;
  plugins_[index].version = static_cast<const plugin_abi::VersionInfo*>(
      platform::LookupOrdinal(module, plugin_abi::kOrdinalVersionInfo));
  // The host's verdict on the features the module needs, before the module can report.
  if (auto* features = static_cast<std::uint32_t*>(
          platform::LookupOrdinal(module, plugin_abi::kOrdinalMissingFeatures)))
    *features = kTovranVariant.missingFeatures;

  current_ = index;
  try {
    char name[plugin_abi::kNameBufferSize] = {};
    std::int32_t verdict = initialize(&::HostNotify, name);
    name[sizeof name - 1] = 0;
    plugins_[index].name = name;
    // A host that lacks features the module needs does not start it, whatever the module
    // answered: it asks for the report, which names the features.
    if (verdict == 0 && kTovranVariant.missingFeatures == 0) {
      StartSink sink(host_.messages, true, plugins_[index].messages);
      SinkScope scope(host_, &sink);
      start(0);
    } else {
      plugins_[index].refused = true;
      StartSink sink(host_.messages, false, plugins_[index].messages);
      SinkScope scope(host_, &sink);
      start(1);
    }
  } catch (const platform::SE_Exception& e) {
    char text[128];
    std::snprintf(text, sizeof text, "wyjątek 0x%08X podczas uruchamiania modułu", e.code());
    plugins_[index].refused = true;
    plugins_[index].loadError = text;
  }
  current_ = -1;
  return index;
}

void Plugins::UnloadAll() {
  CurrentHostScope current(&host_);
  for (int i = static_cast<int>(plugins_.size()) - 1; i >= 0; --i) {
    LoadedPlugin& plugin = plugins_[i];
    if (!plugin.module) continue;
    auto* initialize = reinterpret_cast<plugin_abi::InitializeFn*>(
        platform::LookupOrdinal(plugin.module, plugin_abi::kOrdinalInitialize));
    current_ = i;
    try {
      if (initialize) initialize(nullptr, nullptr);
    } catch (const platform::SE_Exception&) {
      // The module goes all the same; its commands go with it below.
    }
    current_ = -1;
    // Nothing may call into a module that is gone.
    std::erase_if(commands_, [i](const Command& c) { return c.plugin == i; });
    platform::UnloadModule(plugin.module);
    plugin.module = nullptr;
  }
  plugins_.clear();
  commands_.clear();
}

int Plugins::RunCommand(const std::string& nameMazovia) {
  CurrentHostScope current(&host_);
  auto found = std::find_if(commands_.begin(), commands_.end(),
                            [&](const Command& c) { return c.name == nameMazovia; });
  if (found == commands_.end()) return -1;
  Command command = *found;
  if (!command.handler) {
    ShowHostError(host_, "Polecenie \"" + MazoviaToUtf8(command.name) +
                             "\" nie ma obsługi we wtyczce.");
    return 1;
  }
  try {
    command.handler();
  } catch (const platform::SE_Exception& e) {
    char text[160];
    std::snprintf(text, sizeof text, "Polecenie przerwane przez wyjątek 0x%08X.", e.code());
    ShowHostError(host_, text);
    return 1;
  }
  return 0;
}

int Plugins::Register(const PluginCommandRecord* record) {
  if (!record) return -1;
  Command command{RecordName(record), record->commandId, record->handler, current_};
  // A second registration of the same identifier by the same module replaces the first.
  auto same = std::find_if(commands_.begin(), commands_.end(), [&](const Command& c) {
    return c.id == command.id && c.plugin == command.plugin;
  });
  if (same != commands_.end())
    *same = command;
  else
    commands_.push_back(command);
  return 0;
}

int Plugins::Unregister(std::int32_t commandId) {
  // During a module's shutdown only its own commands go; from elsewhere any of that id.
  auto removed = std::erase_if(commands_, [&](const Command& c) {
    return c.id == commandId && (current_ < 0 || c.plugin == current_);
  });
  return removed ? 0 : -1;
}

void Plugins::Notify(std::int32_t what, std::int32_t value) {
  // (1, -1): the module is about to show its load report.
  if (what == 1 && value == -1 && current_ >= 0) plugins_[current_].reportAnnounced = true;
}

}  // namespace host::app

// --- Host functions of the module service ---------------------------------------------------

namespace {
host::app::Plugins* CurrentPlugins() {
  host::Host* host = host::Current();
  return host ? host->plugins.get() : nullptr;
}
}  // namespace

extern "C" {

int HostCheckModule(void*, char* text, int size) {
  const char* reject = host::kTovranVariant.rejectText;
  if (!reject) return 0;
  if (text && size > 0) {
    std::size_t n = strnlen(reject, static_cast<std::size_t>(size) - 1);
    std::memcpy(text, reject, n);
    text[n] = 0;
  }
  return 1;
}

int HostGetInterfaceVersion() { return host::kTovranVariant.interfaceVersion; }

int HostRegisterCommand(const PluginCommandRecord* record) {
  host::app::Plugins* plugins = CurrentPlugins();
  return plugins ? plugins->Register(record) : -1;
}

int HostUnregisterCommand(std::int32_t commandId) {
  host::app::Plugins* plugins = CurrentPlugins();
  return plugins ? plugins->Unregister(commandId) : -1;
}

void HostNotify(std::int32_t what, std::int32_t value) {
  if (host::app::Plugins* plugins = CurrentPlugins()) plugins->Notify(what, value);
}

}  // extern "C"
