// plugin_probe FOLDER WORKDIR: builds a host over WORKDIR, loads the plug-ins of FOLDER with
// whatever TOVRAN the loader found, and prints on standard output, byte for byte, what each
// module did:
//   plugin <file name>
//   state loaded|refused|failed
//   announced 0|1
//   name <name as written into the buffer>
//   command <id> <name>                        (each registered command)
//   message <title length> <text length>\n<title><text>\n   (each message shown at start)
//   shutdown <result> <commands left> <name buffer untouched 0|1>
//                                        (30001 called with null by the probe itself)
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/plugins.h"
#include "core/host.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "użycie: plugin_probe FOLDER WORKDIR\n");
    return 2;
  }
  std::string work = argv[2];
  host::HostOptions options;
  options.dbPath = work + "/vostra.db";
  options.configDir = work + "/config";
  options.exportDir = work;
  options.pluginsDir = argv[1];
  options.today = "20240315";
  options.unattended = true;
  std::filesystem::create_directories(options.configDir);

  host::Host host(options);
  host::CurrentHostScope current(&host);
  host.plugins->LoadAll();

  const auto& plugins = host.plugins->Loaded();
  for (std::size_t i = 0; i < plugins.size(); ++i) {
    const host::app::LoadedPlugin& p = plugins[i];
    std::printf("plugin %s\n", std::filesystem::path(p.path).filename().c_str());
    std::printf("state %s\n", !p.loadError.empty() ? "failed" : p.refused ? "refused" : "loaded");
    std::printf("announced %d\n", p.reportAnnounced ? 1 : 0);
    std::printf("name %s\n", p.name.c_str());
    for (const host::app::Command& c : host.plugins->Commands())
      if (c.plugin == static_cast<int>(i)) std::printf("command %d %s\n", c.id, c.name.c_str());
    for (const host::app::PluginMessage& m : p.messages) {
      std::printf("message %zu %zu\n", m.title.size(), m.text.size());
      std::fwrite(m.title.data(), 1, m.title.size(), stdout);
      std::fwrite(m.text.data(), 1, m.text.size(), stdout);
      std::printf("\n");
    }
    if (!p.module) continue;
    auto* initialize = reinterpret_cast<plugin_abi::InitializeFn*>(
        platform::LookupOrdinal(p.module, plugin_abi::kOrdinalInitialize));
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    std::int32_t result = initialize(nullptr, buffer);
    int left = 0;
    for (const host::app::Command& c : host.plugins->Commands())
      if (c.plugin == static_cast<int>(i)) ++left;
    bool untouched = std::string(buffer, sizeof buffer) == std::string(sizeof buffer, 'x');
    std::printf("shutdown %d %d %d\n", result, left, untouched ? 1 : 0);
  }
  host.plugins->UnloadAll();
  return 0;
}
