// Fuzzes the settings-file reader, its editor and the read-format scanner: any input must be
// taken or refused cleanly, a written value must read back, and no text target may be filled
// past its length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"
#include "services/ini.h"

// The fuzz targets link the host's objects without TOVRAN's export directory, where the host's
// answers are defined; a weak stand-in lets the link succeed and yields to the real one.
namespace host {
__attribute__((weak)) extern const TovranVariant kTovranVariant = {112, nullptr, 0, 0, 0, 0};
}

using host::services::IniDocument;
using host::services::IniLimits;
using host::services::IniTarget;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Scans `value` with `format` into targets with guard bytes after each text's room.
void Scan(std::string_view value, std::string_view format, const IniLimits& limits) {
  std::vector<IniTarget::Kind> kinds;
  if (!host::services::ParseReadFormat(format, limits, &kinds)) return;
  constexpr int kLength = 12;
  std::vector<std::vector<char>> texts(kinds.size(), std::vector<char>(kLength + 1 + 4, '#'));
  std::vector<std::int16_t> numbers(kinds.size(), 0);
  std::vector<IniTarget> targets;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    IniTarget t;
    t.kind = kinds[i];
    if (t.kind == IniTarget::Kind::kText) {
      t.text = texts[i].data();
      t.maxLength = kLength;
    } else {
      t.number = &numbers[i];
    }
    targets.push_back(t);
  }
  auto status = host::services::ScanIniValue(value, format, targets, limits);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] != IniTarget::Kind::kText) continue;
    for (int g = kLength + 1; g < kLength + 5; ++g) Check(texts[i][static_cast<std::size_t>(g)] == '#');
    if (status == host::services::kIniDone) Check(std::memchr(texts[i].data(), 0, kLength + 1) != nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  IniLimits limits;
  limits.maxFileBytes = 64 * 1024;
  limits.maxLineBytes = 512;
  std::string_view input(reinterpret_cast<const char*>(data), size);

  IniDocument doc;
  std::string error;
  if (IniDocument::Parse(input, limits, &doc, &error)) {
    doc.Get("ZantoriaMK", "Opcje");
    // A value written reads back, and the rewritten file parses again.
    std::string value(input.substr(0, std::min<std::size_t>(input.size(), 40)));
    for (char& c : value)
      if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    doc.Set("DekrSchema_1", "Netto_1_0", value);
    std::string text = doc.Serialize();
    IniDocument again;
    IniLimits roomy = limits;
    roomy.maxFileBytes = text.size() + 1;
    roomy.maxLineBytes = text.size() + 1;
    Check(IniDocument::Parse(text, roomy, &again, nullptr));
    auto back = again.Get("DekrSchema_1", "Netto_1_0");
    Check(back.has_value() && *back == value);
  }

  // The first line is a read format, the rest a value.
  std::size_t newline = input.find('\n');
  std::string_view format = input.substr(0, newline == std::string_view::npos ? 0 : newline);
  std::string_view value = newline == std::string_view::npos ? input : input.substr(newline + 1);
  if (value.size() > 256) value = value.substr(0, 256);
  Scan(value, "%*s,%d,%*s", limits);
  Scan(value, "%d,%d,%d,%d,%d", limits);
  Scan(value, "%*s,%*s", limits);
  if (format.size() <= 64) Scan(value, format, limits);
  return 0;
}
