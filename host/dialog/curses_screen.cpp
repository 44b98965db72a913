// The terminal adapter of the dialog engine: the one file that includes ncurses.
//
// Cells are written as wide characters (the locale is set to the environment's, so UTF-8
// terminals show Polish letters and box lines); attributes map to colour pairs where the
// terminal has colours and to bold/reverse/underline otherwise. Esc followed at once by a
// character is Alt+character; Ctrl+F1..F10 arrive as the terminal's F25..F34.
#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <cstdlib>
#include <unistd.h>

#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

#include "dialog/screen.h"

namespace host::dialog {
namespace {

attr_t MapAttr(std::uint8_t attr, bool colour) {
  switch (attr) {
    case kAttrFocus:
      return colour ? COLOR_PAIR(2) | A_BOLD : A_REVERSE;
    case kAttrHot:
      return colour ? COLOR_PAIR(3) | A_BOLD : A_UNDERLINE | A_BOLD;
    case kAttrControl2:
    case kAttrControl5:
      return colour ? COLOR_PAIR(4) | A_BOLD : A_BOLD;
    case kAttrControl3:
      return A_UNDERLINE;
    case kAttrControl4:
      return A_REVERSE;
    case kAttrField:
      return colour ? COLOR_PAIR(5) : A_UNDERLINE;
    case kAttrSelected:
      return colour ? COLOR_PAIR(6) | A_BOLD : A_BOLD | A_REVERSE;
    case kAttrTitle:
      return A_BOLD | (colour ? COLOR_PAIR(1) : 0);
    default:
      return colour ? COLOR_PAIR(1) : A_NORMAL;
  }
}

class CursesScreen : public Screen {
 public:
  CursesScreen() {
    // The screen speaks UTF-8; without a UTF-8 locale in the environment (a batch session with
    // no LANG) take the system's own, or Polish letters would not reach the terminal.
    std::setlocale(LC_ALL, "");
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || std::strcmp(codeset, "UTF-8") != 0) {
      if (!std::setlocale(LC_CTYPE, "C.UTF-8")) std::setlocale(LC_CTYPE, "en_US.UTF-8");
    }
    initscr();
    raw();
    noecho();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    colour_ = has_colors();
    if (colour_) {
      start_color();
      init_pair(1, COLOR_WHITE, COLOR_BLUE);
      init_pair(2, COLOR_BLACK, COLOR_CYAN);
      init_pair(3, COLOR_YELLOW, COLOR_BLUE);
      init_pair(4, COLOR_YELLOW, COLOR_BLUE);
      init_pair(5, COLOR_BLACK, COLOR_WHITE);
      init_pair(6, COLOR_WHITE, COLOR_BLACK);
    }
  }
  ~CursesScreen() override { endwin(); }

  int width() const override { return COLS; }
  int height() const override { return LINES; }

  void Present(const Grid& grid, int cursorX, int cursorY) override {
    for (int y = 0; y < grid.height() && y < LINES; ++y)
      for (int x = 0; x < grid.width() && x < COLS; ++x) {
        const Cell& cell = grid.At(x, y);
        wchar_t text[2] = {static_cast<wchar_t>(cell.ch), 0};
        cchar_t c;
        setcchar(&c, text, MapAttr(cell.attr, colour_), 0, nullptr);
        mvadd_wch(y, x, &c);
      }
    if (cursorX >= 0) {
      curs_set(1);
      move(cursorY, cursorX);
    } else {
      curs_set(0);
    }
    refresh();
  }

  Key ReadKey() override {
    nodelay(stdscr, FALSE);
    for (;;) {
      Key key;
      if (Translate(key)) return key;
    }
  }

  bool PollKey(Key& key) override {
    nodelay(stdscr, TRUE);
    const bool got = Translate(key);
    nodelay(stdscr, FALSE);
    return got;
  }

  void Suspend() override { def_prog_mode(); endwin(); }

 private:
  bool Translate(Key& key) {
    wint_t ch;
    const int kind = get_wch(&ch);
    if (kind == ERR) return false;
    if (kind == KEY_CODE_YES) {
      switch (ch) {
        case KEY_UP: key = Key::Named(KeyCode::kUp); return true;
        case KEY_DOWN: key = Key::Named(KeyCode::kDown); return true;
        case KEY_LEFT: key = Key::Named(KeyCode::kLeft); return true;
        case KEY_RIGHT: key = Key::Named(KeyCode::kRight); return true;
        case KEY_BTAB: key = Key::Named(KeyCode::kBackTab); return true;
        case KEY_BACKSPACE: key = Key::Named(KeyCode::kBackspace); return true;
        case KEY_DC: key = Key::Named(KeyCode::kDelete); return true;
        case KEY_HOME: key = Key::Named(KeyCode::kHome); return true;
        case KEY_END: key = Key::Named(KeyCode::kEnd); return true;
        case KEY_PPAGE: key = Key::Named(KeyCode::kPageUp); return true;
        case KEY_NPAGE: key = Key::Named(KeyCode::kPageDown); return true;
        case KEY_ENTER: key = Key::Named(KeyCode::kEnter); return true;
        default: break;
      }
      if (ch >= KEY_F(1) && ch <= KEY_F(12)) {
        key = Key::Named(static_cast<KeyCode>(static_cast<int>(KeyCode::kF1) + (ch - KEY_F(1))));
        return true;
      }
      if (ch >= KEY_F(25) && ch <= KEY_F(34)) {
        key = Key::Named(static_cast<KeyCode>(static_cast<int>(KeyCode::kCtrlF1) + (ch - KEY_F(25))));
        return true;
      }
      return false;
    }
    switch (ch) {
      case 27: {  // Esc, or Alt+key when a key follows at once
        nodelay(stdscr, TRUE);
        wint_t next;
        const int more = get_wch(&next);
        nodelay(stdscr, FALSE);
        if (more == OK && next >= 0x20) {
          key = Key::Char(static_cast<char32_t>(next), true);
          return true;
        }
        key = Key::Named(KeyCode::kEsc);
        return true;
      }
      case '\t': key = Key::Named(KeyCode::kTab); return true;
      case '\r':
      case '\n': key = Key::Named(KeyCode::kEnter); return true;
      case 127:
      case 8: key = Key::Named(KeyCode::kBackspace); return true;
      case 3:  // Ctrl+C in raw mode: the same as Esc
        key = Key::Named(KeyCode::kEsc);
        return true;
      default:
        if (ch < 0x20) return false;
        key = Key::Char(static_cast<char32_t>(ch));
        return true;
    }
  }

  bool colour_ = false;
};

}  // namespace

bool TerminalAvailable() {
  const char* term = std::getenv("TERM");
  return isatty(0) && isatty(1) && term != nullptr && *term != 0 && std::string(term) != "dumb";
}

std::unique_ptr<Screen> OpenTerminalScreen() {
  if (!TerminalAvailable()) return nullptr;
  return std::make_unique<CursesScreen>();
}

}  // namespace host::dialog
