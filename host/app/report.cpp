#include "app/report.h"

#include <filesystem>

#include "core/encoding.h"
#include "services/markup.h"

namespace host::app {

namespace {

// Each line of a text, indented.
std::string Indent(const std::string& text, const std::string& by) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    out += (end > at ? by + text.substr(at, end - at) : std::string()) + "\n";
    at = end + 1;
  }
  return out;
}

std::string VersionLine(const plugin_abi::VersionInfo& info) {
  auto text = [&](const char* key) {
    const char* value = plugin_abi::VersionText(info, 0x0415, key);
    return std::string(value ? value : "?");
  };
  return "  wersja: " + text("FileVersion") + " (" + text("ProductName") + " " +
         text("ProductVersion") + ", skompilowano " + text("CompileDate") + ")\n";
}

}  // namespace

std::string DescribePlugins(const Plugins& plugins, const std::string& folder) {
  std::string out = "Folder wtyczek: " + folder + "\n";
  if (plugins.Loaded().empty()) out += "(brak wtyczek)\n";
  for (std::size_t i = 0; i < plugins.Loaded().size(); ++i) {
    const LoadedPlugin& p = plugins.Loaded()[i];
    out += "\n" + std::filesystem::path(p.path).filename().string();
    if (!p.loadError.empty()) {
      out += ": nie załadowana (" + p.loadError + ")\n";
      continue;
    }
    out += p.refused ? ": odrzucona\n" : ": załadowana\n";
    if (!p.name.empty()) out += "  nazwa: " + MazoviaToUtf8(p.name) + "\n";
    if (p.version) out += VersionLine(*p.version);
    std::string commands;
    for (const Command& c : plugins.Commands())
      if (c.plugin == static_cast<int>(i))
        commands += "    " + MazoviaToUtf8(c.name) + " [" + std::to_string(c.id) + "]\n";
    if (!p.refused) out += commands.empty() ? "  polecenia: brak\n" : "  polecenia:\n" + commands;
    if (!p.messages.empty())
      out += p.refused ? "  raport wtyczki:\n" : "  komunikaty przy starcie:\n";
    for (const PluginMessage& m : p.messages) {
      out += "    " + (m.title.empty() ? std::string("Błąd") : services::RenderMarkupPlain(m.title)) + "\n";
      out += Indent(services::RenderMarkupPlain(m.text), "      ");
    }
    if (p.refused && p.messages.empty()) out += "  (wtyczka nie pokazała raportu)\n";
  }
  return out;
}

}  // namespace host::app
