#include <fstream>

#include "dialog/screen.h"

namespace host::dialog {

ScriptScreen::ScriptScreen(std::deque<Key> keys, std::string dumpPath, int width, int height)
    : keys_(std::move(keys)), dumpPath_(std::move(dumpPath)), width_(width), height_(height),
      last_(width, height) {}

ScriptScreen::~ScriptScreen() = default;

void ScriptScreen::Present(const Grid& grid, int, int) { last_ = grid; }

void ScriptScreen::WriteDump() const {
  if (dumpPath_.empty()) return;
  std::ofstream out(dumpPath_, std::ios::binary | std::ios::trunc);
  const std::string text = last_.Text();
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

Key ScriptScreen::ReadKey() {
  // The dump keeps the screen on which the script ran out; later windows that close at once
  // for want of keys do not overwrite it.
  if (!ranOut_) WriteDump();
  if (keys_.empty()) {
    ranOut_ = true;
    return Key{};
  }
  Key key = keys_.front();
  keys_.pop_front();
  return key;
}

}  // namespace host::dialog
