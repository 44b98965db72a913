#include "dialog/keys.h"

#include <array>
#include <cctype>

#include "format/codepage.h"

namespace host::dialog {
namespace {

struct NamedKey {
  std::string_view name;
  KeyCode code;
};

constexpr std::array<NamedKey, 38> kNames = {{
    {"Tab", KeyCode::kTab},         {"BackTab", KeyCode::kBackTab}, {"S-Tab", KeyCode::kBackTab},
    {"Up", KeyCode::kUp},           {"Down", KeyCode::kDown},       {"Left", KeyCode::kLeft},
    {"Right", KeyCode::kRight},     {"Enter", KeyCode::kEnter},     {"Esc", KeyCode::kEsc},
    {"Backspace", KeyCode::kBackspace}, {"Delete", KeyCode::kDelete}, {"Home", KeyCode::kHome},
    {"End", KeyCode::kEnd},         {"PgUp", KeyCode::kPageUp},     {"PgDn", KeyCode::kPageDown},
    {"F1", KeyCode::kF1},           {"F2", KeyCode::kF2},           {"F3", KeyCode::kF3},
    {"F4", KeyCode::kF4},           {"F5", KeyCode::kF5},           {"F6", KeyCode::kF6},
    {"F7", KeyCode::kF7},           {"F8", KeyCode::kF8},           {"F9", KeyCode::kF9},
    {"F10", KeyCode::kF10},         {"F11", KeyCode::kF11},         {"F12", KeyCode::kF12},
    {"Ctrl+F1", KeyCode::kCtrlF1},  {"Ctrl+F2", KeyCode::kCtrlF2},  {"Ctrl+F3", KeyCode::kCtrlF3},
    {"Ctrl+F4", KeyCode::kCtrlF4},  {"Ctrl+F5", KeyCode::kCtrlF5},  {"Ctrl+F6", KeyCode::kCtrlF6},
    {"Ctrl+F7", KeyCode::kCtrlF7},  {"Ctrl+F8", KeyCode::kCtrlF8},  {"Ctrl+F9", KeyCode::kCtrlF9},
    {"Ctrl+F10", KeyCode::kCtrlF10}, {"Space", KeyCode::kChar},
}};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Appends the characters of a UTF-8 text; false on malformed UTF-8.
bool AppendText(std::string_view utf8, std::deque<Key>& out) {
  for (std::size_t i = 0; i < utf8.size();) {
    const std::int32_t cp = codepage::DecodeUtf8(utf8.data(), utf8.size(), i);
    if (cp < 0) return false;
    out.push_back(Key::Char(static_cast<char32_t>(cp)));
  }
  return true;
}

// One character token (a single UTF-8 character), or -1.
std::int32_t SingleCharacter(std::string_view token) {
  std::size_t i = 0;
  const std::int32_t cp = codepage::DecodeUtf8(token.data(), token.size(), i);
  return i == token.size() ? cp : -1;
}

}  // namespace

std::uint16_t ScanCode(const Key& key) {
  const auto c = static_cast<int>(key.code);
  if (key.code >= KeyCode::kF1 && key.code <= KeyCode::kF10)
    return static_cast<std::uint16_t>((0x3B + c - static_cast<int>(KeyCode::kF1)) << 8);
  if (key.code == KeyCode::kF11) return 0x8500;
  if (key.code == KeyCode::kF12) return 0x8600;
  if (key.code >= KeyCode::kCtrlF1 && key.code <= KeyCode::kCtrlF10)
    return static_cast<std::uint16_t>((0x5E + c - static_cast<int>(KeyCode::kCtrlF1)) << 8);
  return 0;
}

std::string KeyName(const Key& key) {
  if (key.code == KeyCode::kChar) {
    if (key.ch == U' ') return "Space";
    char buffer[4];
    std::string text(buffer, codepage::EncodeUtf8(static_cast<std::int32_t>(key.ch), buffer));
    return key.alt ? "Alt+" + text : text;
  }
  if (key.code == KeyCode::kNone) return "(brak)";
  for (const NamedKey& named : kNames)
    if (named.code == key.code) return std::string(named.name);
  return "?";
}

bool ParseKeyScript(std::string_view script, std::deque<Key>& out, std::string* error) {
  std::size_t i = 0;
  auto fail = [&](std::string_view token) {
    if (error) *error = "Nieznany klawisz w skrypcie: \"" + std::string(token) + "\"";
    return false;
  };
  while (i < script.size()) {
    const char c = script[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '"') {  // quoted text
      std::string text;
      ++i;
      bool closed = false;
      while (i < script.size()) {
        char d = script[i++];
        if (d == '\\' && i < script.size()) {
          text += script[i++];
        } else if (d == '"') {
          closed = true;
          break;
        } else {
          text += d;
        }
      }
      if (!closed) {
        if (error) *error = "Niezamknięty cudzysłów w skrypcie klawiszy";
        return false;
      }
      if (!AppendText(text, out)) return fail(text);
      continue;
    }
    std::size_t end = i;
    while (end < script.size() && script[end] != ' ' && script[end] != '\t' &&
           script[end] != '\n' && script[end] != '\r')
      ++end;
    std::string_view token = script.substr(i, end - i);
    i = end;
    if (token.size() > 5 && SameName(token.substr(0, 5), "Text:")) {
      if (!AppendText(token.substr(5), out)) return fail(token);
      continue;
    }
    if (token.size() > 4 && SameName(token.substr(0, 4), "Alt+")) {
      const std::int32_t cp = SingleCharacter(token.substr(4));
      if (cp < 0) return fail(token);
      out.push_back(Key::Char(static_cast<char32_t>(cp), true));
      continue;
    }
    bool found = false;
    for (const NamedKey& named : kNames) {
      if (SameName(named.name, token)) {
        out.push_back(named.code == KeyCode::kChar ? Key::Char(U' ') : Key::Named(named.code));
        found = true;
        break;
      }
    }
    if (found) continue;
    const std::int32_t cp = SingleCharacter(token);
    if (cp < 0) return fail(token);
    out.push_back(Key::Char(static_cast<char32_t>(cp)));
  }
  return true;
}

}  // namespace host::dialog
