// Keys of the dialog engine and the key scripts that stand in for a keyboard.
//
// A key is a named key (Tab, F12, ...) or a character (Unicode; the engine turns it into
// Mazovia where it edits a text), optionally with Alt. Key scripts are parsed once into a queue
// of keys; a script that cannot be parsed is refused with a Polish message naming the token.
// Script syntax: keys separated by blanks; names as below (case-insensitive), "Alt+x" for a hot
// letter with Alt, "Ctrl+F2", a single character for itself, and text typed in one go either in
// double quotes ("Faktury 2024", with \" and \\ inside) or as Text:abc (up to the next blank).
// Pure data; not thread-safe.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace host::dialog {

enum class KeyCode : std::uint8_t {
  kNone,  // no key: the script has run out
  kChar,
  kTab, kBackTab, kUp, kDown, kLeft, kRight, kEnter, kEsc, kBackspace, kDelete,
  kHome, kEnd, kPageUp, kPageDown,
  kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF9, kF10, kF11, kF12,
  kCtrlF1, kCtrlF2, kCtrlF3, kCtrlF4, kCtrlF5, kCtrlF6, kCtrlF7, kCtrlF8, kCtrlF9, kCtrlF10,
};

struct Key {
  KeyCode code = KeyCode::kNone;
  char32_t ch = 0;   // kChar only
  bool alt = false;  // kChar only

  static Key Char(char32_t c, bool alt = false) { return Key{KeyCode::kChar, c, alt}; }
  static Key Named(KeyCode code) { return Key{code, 0, false}; }
  bool operator==(const Key&) const = default;
};

// The PC keyboard scan code in the high byte that templates use for function-key hot keys
// (0x3C00 F2, 0x8600 F12, 0x5F00 Ctrl+F2); 0 for keys without one.
std::uint16_t ScanCode(const Key& key);

// A readable name of a key, as a script would write it.
std::string KeyName(const Key& key);

// Parses a script; false with a Polish message in `error` at the first bad token.
bool ParseKeyScript(std::string_view script, std::deque<Key>& out, std::string* error);

}  // namespace host::dialog
