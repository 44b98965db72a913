// The main window: the menu of the registered commands, and the message boxes on the screen
// while it runs.
#include <algorithm>

#include "app/plugins.h"
#include "core/encoding.h"
#include "dialog/dialogs.h"

namespace host::dialog {
namespace {

// Messages for a person while the main window runs: boxes on the screen.
class ScreenMessageSink : public MessageSink {
 public:
  explicit ScreenMessageSink(Dialogs& dialogs) : dialogs_(dialogs) {}
  int Show(const std::string& title, const std::string& text, int flags) override {
    return dialogs_.ShowBox(title, text, flags);
  }
  void CloseNotice() override { dialogs_.CloseNotice(); }
  int ShowError(const std::string& text) override {
    std::string title;
    Utf8ToMazovia("Błąd", title);
    dialogs_.ShowBox(title, text, 1);
    return 0;
  }

 private:
  Dialogs& dialogs_;
};

}  // namespace

int RunMainWindow(Host& host) {
  Dialogs& dialogs = *host.dialogs;
  if (dialogs.screen() == nullptr) {
    std::fprintf(stderr,
                 "vostra: okno główne wymaga terminala albo skryptu klawiszy (--keys); "
                 "polecenia: vostra --help\n");
    return 2;
  }
  ScreenMessageSink sink(dialogs);
  MessageSink* previous = host.messages;
  host.messages = &sink;
  dialogs.mainWindow_ = true;

  int selected = 0;
  Dialogs::Layer layer = [&](Grid& grid, int& cx, int& cy) {
    const auto& commands = host.plugins->Commands();
    grid.Fill(Cell{U' ', kAttrNormal});
    for (int x = 0; x < grid.width(); ++x) grid.Put(x, 0, U' ', kAttrTitle);
    grid.PutUtf8(2, 0, "Vostra — program sprzedaży", kAttrTitle);
    const int width = std::min(grid.width() - 4, 60);
    const int height = static_cast<int>(std::max<std::size_t>(commands.size(), 1)) + 2;
    const int x0 = std::max(0, (grid.width() - width) / 2);
    const int y0 = 3;
    grid.Box(x0, y0, width, height, true, kAttrBorder);
    grid.PutUtf8(x0 + 2, y0, " Polecenia ", kAttrTitle);
    if (commands.empty()) grid.PutUtf8(x0 + 2, y0 + 1, "(żadna wtyczka nie zarejestrowała poleceń)", kAttrNormal, width - 4);
    for (std::size_t i = 0; i < commands.size(); ++i) {
      const std::uint8_t attr = static_cast<int>(i) == selected ? kAttrFocus : kAttrNormal;
      const int y = y0 + 1 + static_cast<int>(i);
      for (int x = 1; x < width - 1; ++x) grid.Put(x0 + x, y, U' ', attr);
      grid.PutUtf8(x0 + 2, y, MazoviaToUtf8(commands[i].name), attr, width - 4);
    }
    grid.PutUtf8(2, grid.height() - 1, "Enter – uruchom   Strzałki – wybór   Esc, q – koniec",
                 kAttrControl5);
    cx = cy = -1;
  };
  Dialogs::LayerScope scope(dialogs, &layer);
  for (;;) {
    dialogs.Present();
    const Key key = dialogs.screen()->ReadKey();
    const auto& commands = host.plugins->Commands();
    const int count = static_cast<int>(commands.size());
    if (key.code == KeyCode::kNone || key.code == KeyCode::kEsc ||
        (key.code == KeyCode::kChar && (key.ch == U'q' || key.ch == U'Q')))
      break;
    if (key.code == KeyCode::kDown && selected + 1 < count) ++selected;
    if (key.code == KeyCode::kUp && selected > 0) --selected;
    if (key.code == KeyCode::kEnter && selected < count) {
      const std::string name = commands[static_cast<std::size_t>(selected)].name;
      host.breakRequested.store(0);
      host.plugins->RunCommand(name);
      dialogs.EndProgress();
      dialogs.CloseNotice();
      if (host.breakRequested.load()) {
        std::string title, text;
        Utf8ToMazovia("Uwaga", title);
        Utf8ToMazovia("Polecenie przerwane.", text);
        dialogs.ShowBox(title, text, 1);
        host.breakRequested.store(0);
      }
    }
  }
  dialogs.mainWindow_ = false;
  host.messages = previous;
  if (dialogs.screen()) dialogs.screen()->Suspend();
  return 0;
}

}  // namespace host::dialog
