// libFuzzer target: arbitrary bytes as a dialog template table. Parsing must accept or refuse
// cleanly; every accepted template is opened on a zeroed data block, driven by a few keys and
// drawn, so that layouts with odd positions, sizes and texts are exercised too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/host.h"
#include "dialog/dialog.h"
#include "dialog/template_table.h"

// The fuzzer links the host's code without TOVRAN's export directory, which defines this.
namespace host {
const TovranVariant kTovranVariant = {112, nullptr, 0, 0, 0, 0};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  host::dialog::TemplateLimits limits;
  limits.maxTableBytes = 64 * 1024;
  host::dialog::TemplateTable table;
  std::string error;
  if (!table.Parse(data, size, limits, &error)) return 0;
  using host::dialog::Key;
  using host::dialog::KeyCode;
  const Key keys[] = {Key::Named(KeyCode::kTab), Key::Char(U' '), Key::Named(KeyCode::kRight),
                      Key::Char(U'a'), Key::Named(KeyCode::kF3), Key::Char(U'+'),
                      Key::Char(U'x', true), Key::Named(KeyCode::kBackspace), Key::Named(KeyCode::kF12)};
  for (const host::dialog::DialogTemplate& t : table.templates()) {
    std::vector<unsigned char> block(t.dataSize, 0);
    host::dialog::Dialog dialog(t, block.data(), nullptr);
    dialog.Open();
    host::dialog::Grid grid;
    for (const Key& key : keys) {
      dialog.HandleKey(key);
      dialog.Render(grid);
      if (dialog.closed()) break;
    }
  }
  return 0;
}
