// Where the dialog engine's screen goes and where its keys come from.
//
// A Screen shows a composed grid and delivers keys. Two adapters exist: the terminal (ncurses,
// in curses_screen.cpp, the only file that includes it) and a key script, which needs no
// terminal: it keeps the last grid it was shown and writes it as UTF-8 text to the screen-dump
// file each time a key is asked for, until the script has run out: the dump then shows the
// screen on which the script ended (windows that close afterwards for want of keys do not
// overwrite it).
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "dialog/grid.h"
#include "dialog/keys.h"

namespace host::dialog {

class Screen {
 public:
  virtual ~Screen() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Shows the grid (screen-sized); the cursor goes to (x, y) when x >= 0.
  virtual void Present(const Grid& grid, int cursorX, int cursorY) = 0;
  // Waits for a key; kNone when no key will ever come (a script that ran out).
  virtual Key ReadKey() = 0;
  // A key if one is waiting, without waiting (the progress window's Esc); scripts have none.
  virtual bool PollKey(Key& key) = 0;
  // Gives the terminal back for a while (nothing for scripts).
  virtual void Suspend() {}
};

class ScriptScreen : public Screen {
 public:
  ScriptScreen(std::deque<Key> keys, std::string dumpPath, int width = 100, int height = 35);
  ~ScriptScreen() override;
  int width() const override { return width_; }
  int height() const override { return height_; }
  void Present(const Grid& grid, int cursorX, int cursorY) override;
  Key ReadKey() override;
  bool PollKey(Key&) override { return false; }
  const Grid& last() const { return last_; }
  bool exhausted() const { return keys_.empty(); }
  void WriteDump() const;

 private:
  std::deque<Key> keys_;
  std::string dumpPath_;
  int width_;
  int height_;
  Grid last_;
  bool ranOut_ = false;
};

// The terminal adapter; null when ncurses cannot start on this terminal.
std::unique_ptr<Screen> OpenTerminalScreen();
// Whether standard input and output are a terminal that the adapter could use.
bool TerminalAvailable();

}  // namespace host::dialog
