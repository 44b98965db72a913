#include "dialog/dialog.h"

#include <algorithm>
#include <cstring>

#include "format/codepage.h"

namespace host::dialog {
namespace {

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

unsigned char UpperMazovia(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  return c;
}

// Lines of a choice list's text: each begins with a blank and ends with "\n".
std::vector<std::string> ChoiceLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

}  // namespace

std::string DisplayDate(const std::string& stored) {
  if (stored.size() != 8) return stored;
  return stored.substr(6, 2) + "." + stored.substr(4, 2) + "." + stored.substr(0, 4);
}

bool ParseDisplayDate(const std::string& text, std::string& stored) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
    else if (c != '.' && c != ' ' && c != '-') return false;
  }
  if (digits.empty()) {
    stored.clear();
    return true;
  }
  if (digits.size() != 8) return false;
  const int day = std::stoi(digits.substr(0, 2));
  const int month = std::stoi(digits.substr(2, 2));
  const int year = std::stoi(digits.substr(4, 4));
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  stored = digits.substr(4, 4) + digits.substr(2, 2) + digits.substr(0, 2);
  return true;
}

int DrawTemplateText(Grid& grid, int x, int y, const std::string& mazovia, int limit,
                     std::uint8_t base, bool hot) {
  std::uint8_t attr = base;
  bool inHot = false;
  int drawn = 0;
  for (std::size_t i = 0; i < mazovia.size(); ++i) {
    const auto byte = static_cast<unsigned char>(mazovia[i]);
    // [01]"c"[01] asks for the text to be centred, which buttons are anyway: not drawn.
    if (byte == 1 && i + 2 < mazovia.size() && mazovia[i + 1] == 'c' && mazovia[i + 2] == 1) {
      i += 2;
      continue;
    }
    if (byte >= 1 && byte <= 5) {
      attr = byte == 1 ? base : byte;
      continue;
    }
    if (byte == '~') {
      inHot = !inHot;
      continue;
    }
    if (drawn >= limit) break;
    char32_t ch = static_cast<char32_t>(codepage::MazoviaToUnicode(byte));
    if (byte < 0x20) ch = U' ';
    grid.Put(x + drawn, y, ch, inHot && hot ? static_cast<std::uint8_t>(kAttrHot) : attr);
    ++drawn;
  }
  return drawn;
}

Dialog::Dialog(const DialogTemplate& t, unsigned char* data, EventHandler handler)
    : t_(t), data_(data), handler_(std::move(handler)), controls_(t.items.size()), caption_(t.caption) {
  for (std::size_t i = 0; i < t_.items.size(); ++i) {
    const TemplateItem& item = t_.items[i];
    if (item.type == kEditField) controls_[i].buffer.assign(item.maxLength + 1u, 0);
    controls_[i].text = item.text;
  }
}

void Dialog::BlockToControls(const unsigned char* block) {
  if (block == nullptr) return;
  for (std::size_t i = 0; i < t_.items.size(); ++i) {
    const TemplateItem& item = t_.items[i];
    Control& c = controls_[i];
    switch (item.type) {
      case kTabPage:
      case kChoiceList: {
        std::int16_t v;
        std::memcpy(&v, block + item.dataOffset, 2);
        c.value = v;
        break;
      }
      case kCheckBox: {
        std::uint16_t word;
        std::memcpy(&word, block + item.dataOffset, 2);
        c.checked = (word >> item.bit) & 1u;
        break;
      }
      case kEditField:
        std::memcpy(c.buffer.data(), block + item.dataOffset, item.dataSize);
        c.buffer.back() = 0;  // a block text that fills its field is cut, never read past
        break;
      default:
        break;
    }
  }
  Refresh();
}

void Dialog::ControlsToBlock(unsigned char* block) {
  if (block == nullptr) return;
  if (focus_ >= 0 && t_.items[focus_].type == kEditField && t_.items[focus_].editKind == kEditKindDate) {
    std::string stored;
    if (ParseDisplayDate(dateText_, stored)) {
      std::vector<char>& buffer = controls_[focus_].buffer;
      std::fill(buffer.begin(), buffer.end(), 0);
      std::memcpy(buffer.data(), stored.data(), std::min(stored.size(), buffer.size() - 1));
    }
  }
  for (std::size_t i = 0; i < t_.items.size(); ++i) {
    const TemplateItem& item = t_.items[i];
    const Control& c = controls_[i];
    switch (item.type) {
      case kTabPage: {
        const std::int16_t v = static_cast<int>(i) == page_ ? 0 : -1;
        std::memcpy(block + item.dataOffset, &v, 2);
        break;
      }
      case kChoiceList: {
        const auto v = static_cast<std::int16_t>(c.value);
        std::memcpy(block + item.dataOffset, &v, 2);
        break;
      }
      case kCheckBox: {
        std::uint16_t word;
        std::memcpy(&word, block + item.dataOffset, 2);
        const auto mask = static_cast<std::uint16_t>(1u << item.bit);
        word = static_cast<std::uint16_t>(c.checked ? (word | mask) : (word & ~mask));
        std::memcpy(block + item.dataOffset, &word, 2);
        break;
      }
      case kEditField: {
        // Everything after the text is zero, so a block compares and saves cleanly.
        const std::size_t length = strnlen(c.buffer.data(), c.buffer.size());
        std::memset(block + item.dataOffset, 0, item.dataSize);
        std::memcpy(block + item.dataOffset, c.buffer.data(), length);
        break;
      }
      default:
        break;
    }
  }
}

char* Dialog::ItemBuffer(int id) {
  for (std::size_t i = 0; i < t_.items.size(); ++i)
    if (t_.items[i].id == id && t_.items[i].type == kEditField) return controls_[i].buffer.data();
  return nullptr;
}

void Dialog::SetTitle(int item, const std::string& mazovia) {
  if (item != 0) {
    for (std::size_t i = 0; i < t_.items.size(); ++i) {
      const std::uint16_t type = t_.items[i].type;
      if (t_.items[i].id == item && (type == kStaticText || type == kDisplayLine || type == kButton)) {
        controls_[i].text = mazovia;
        return;
      }
    }
  }
  caption_ = mazovia;
}

void Dialog::Refresh() {
  if (focus_ >= 0 && t_.items[focus_].type == kEditField) {
    const std::string value(controls_[focus_].buffer.data());
    dateText_ = DisplayDate(value);
    entryValue_ = value;
  }
}

bool Dialog::Visible(int index) const {
  const TemplateItem& item = t_.items[index];
  if (item.column < 0 || item.row < 0 || item.column >= t_.width || item.row >= t_.height) return false;
  return item.page < 0 || item.page == page_ || item.type == kTabPage;
}

bool Dialog::Focusable(int index) const {
  const TemplateItem& item = t_.items[index];
  if (!Visible(index) || (item.flags & kItemFlagReadOnly)) return false;
  return item.type == kButton || item.type == kCheckBox || item.type == kEditField ||
         item.type == kChoiceList;
}

int Dialog::FocusedId() const { return focus_ >= 0 ? t_.items[focus_].id : -1; }
int Dialog::PageId() const { return page_ >= 0 ? t_.items[page_].id : -1; }

void Dialog::Open() {
  if (data_ != nullptr) BlockToControls(data_);
  // The first tab page whose word is not negative is shown; -1 marks a page shown later.
  page_ = -1;
  for (std::size_t i = 0; i < t_.items.size(); ++i)
    if (t_.items[i].type == kTabPage && (page_ < 0 || (controls_[page_].value < 0 && controls_[i].value >= 0)))
      page_ = static_cast<int>(i);
  focus_ = -1;
  for (std::size_t i = 0; i < t_.items.size() && focus_ < 0; ++i)
    if (page_ >= 0 && t_.items[i].page == page_ && Focusable(static_cast<int>(i))) focus_ = static_cast<int>(i);
  if (focus_ < 0) MoveFocus(+1);
  fresh_ = true;
  Refresh();
  const int r = Send(0, kEventOpen);
  if (r != kResultDefault) Act(r);
}

void Dialog::SetFocus(int index) {
  if (index == focus_) return;
  LeaveFocused();
  if (closed_) return;
  focus_ = index;
  fresh_ = true;
  Refresh();
}

void Dialog::MoveFocus(int step) {
  const int n = static_cast<int>(t_.items.size());
  if (n == 0) return;
  int start = focus_ < 0 ? (step > 0 ? n - 1 : 0) : focus_;
  for (int k = 1; k <= n; ++k) {
    const int i = ((start + step * k) % n + n) % n;
    if (Focusable(i)) {
      if (focus_ < 0) {
        focus_ = i;
        fresh_ = true;
        Refresh();
      } else {
        SetFocus(i);
      }
      return;
    }
  }
}

void Dialog::ShowPage(int tabIndex) {
  if (tabIndex == page_) return;
  LeaveFocused();
  if (closed_) return;
  page_ = tabIndex;
  // Focus the first control of the page itself; else the first one anywhere.
  for (std::size_t i = 0; i < t_.items.size(); ++i)
    if (t_.items[i].page == tabIndex && Focusable(static_cast<int>(i))) {
      focus_ = static_cast<int>(i);
      fresh_ = true;
      Refresh();
      return;
    }
  focus_ = -1;
  MoveFocus(+1);
}

void Dialog::LeaveFocused() {
  if (focus_ < 0 || t_.items[focus_].type != kEditField) return;
  const TemplateItem& item = t_.items[focus_];
  std::vector<char>& buffer = controls_[focus_].buffer;
  if (item.editKind == kEditKindDate) {
    std::string stored;
    if (ParseDisplayDate(dateText_, stored)) {
      std::fill(buffer.begin(), buffer.end(), 0);
      std::memcpy(buffer.data(), stored.data(), std::min(stored.size(), buffer.size() - 1));
    }
    dateText_ = DisplayDate(std::string(buffer.data()));  // an invalid date falls back
  }
  const std::string value(buffer.data());
  if (value != entryValue_) {
    entryValue_ = value;
    const int r = Send(item.id, kEventPressed);
    if (r != kResultDefault) Act(r);
  }
}

int Dialog::Send(int item, int event) {
  if (!handler_) return kResultDefault;
  return handler_(item, event);
}

void Dialog::Act(int result) {
  if (result < 0 || result == kResultRedraw) {
    Refresh();
    return;
  }
  for (std::size_t i = 0; i < t_.items.size(); ++i)
    if (t_.items[i].id == result) {
      Refresh();
      if (t_.items[i].page >= 0 && t_.items[i].page != page_) page_ = t_.items[i].page;
      if (Focusable(static_cast<int>(i))) {
        // The handler changed this item: take its new value as the value on entry.
        focus_ = static_cast<int>(i);
        fresh_ = true;
        Refresh();
      }
      return;
    }
}

void Dialog::Close(int result) {
  if (mayClose && !mayClose(result)) return;
  if (result != kIdCancel && data_ != nullptr) ControlsToBlock(data_);
  closed_ = true;
  result_ = result;
}

void Dialog::Press(int index) {
  const TemplateItem& item = t_.items[index];
  // The handler sees what the focused edit holds, except when the dialog is being cancelled.
  if (item.id != kIdCancel) {
    LeaveFocused();
    if (closed_) return;
  }
  const int r = Send(item.id, kEventPressed);
  if (closed_) return;
  if (r != kResultDefault) {
    Act(r);
    return;
  }
  if (item.id == kIdOk || item.id == kIdCancel) Close(item.id);
}

void Dialog::Toggle(int index) {
  if (t_.items[index].flags & kItemFlagReadOnly) return;
  controls_[index].checked = !controls_[index].checked;
  const int r = Send(t_.items[index].id, kEventBoxToggled);
  if (r != kResultDefault) Act(r);
}

int Dialog::ChoiceCount(int index) const {
  return static_cast<int>(ChoiceLines(t_.items[index].text).size());
}

void Dialog::ChangeChoice(int index, int step) {
  const int count = ChoiceCount(index);
  if (count <= 0) return;
  int value = std::clamp(controls_[index].value, 0, count - 1) + step;
  value = std::clamp(value, 0, count - 1);
  if (value == controls_[index].value) return;
  controls_[index].value = value;
  const int r = Send(t_.items[index].id, kEventChoiceChanged);
  if (r != kResultDefault) Act(r);
}

bool Dialog::TypeInto(int index, const Key& key) {
  const TemplateItem& item = t_.items[index];
  std::vector<char>& buffer = controls_[index].buffer;
  const bool date = item.editKind == kEditKindDate;
  std::string text = date ? dateText_ : std::string(buffer.data());
  if (key.code == KeyCode::kBackspace) {
    if (fresh_ || text.empty()) text.clear();
    else text.pop_back();
  } else if (key.code == KeyCode::kDelete) {
    text.clear();
  } else if (key.code == KeyCode::kChar && !key.alt) {
    const int byte = codepage::UnicodeToMazovia(static_cast<std::int32_t>(key.ch));
    if (byte < 0x20) return false;
    if (date && !((byte >= '0' && byte <= '9') || byte == '.')) return false;
    if (fresh_) text.clear();
    const std::size_t limit = date ? 10 : item.maxLength;
    if (text.size() >= limit) return true;  // full: the key is taken and dropped
    text += static_cast<char>(byte);
  } else {
    return false;
  }
  fresh_ = false;
  if (date) {
    dateText_ = text;
  } else {
    std::fill(buffer.begin(), buffer.end(), 0);
    std::memcpy(buffer.data(), text.data(), std::min(text.size(), buffer.size() - 1));
  }
  return true;
}

bool Dialog::FunctionKey(const Key& key) {
  const std::uint16_t scan = ScanCode(key);
  if (scan == 0) return false;
  for (std::size_t i = 0; i < t_.items.size(); ++i) {
    const TemplateItem& item = t_.items[i];
    const bool visibleOrHidden = item.page < 0 || item.page == page_ || item.type == kTabPage;
    if (!visibleOrHidden) continue;
    if (item.type == kTabPage && (item.hotKey == scan || (item.hotKey == 0 && item.id == scan))) {
      ShowPage(static_cast<int>(i));
      return true;
    }
    if (item.type == kButton && item.hotKey == scan) {
      Press(static_cast<int>(i));
      return true;
    }
  }
  if (key.code == KeyCode::kF12) {  // F12 is OK even where no button carries it
    const int ok = t_.IndexOfId(kIdOk);
    if (ok >= 0 && t_.items[ok].type == kButton) Press(ok);
    else {
      LeaveFocused();
      if (!closed_) Close(kIdOk);
    }
    return true;
  }
  return false;
}

bool Dialog::HotLetterKey(const Key& key) {
  if (key.code != KeyCode::kChar) return false;
  const int byte = codepage::UnicodeToMazovia(static_cast<std::int32_t>(key.ch));
  if (byte <= 0x20) return false;
  const unsigned char letter = UpperMazovia(static_cast<unsigned char>(byte));
  const int n = static_cast<int>(t_.items.size());
  const int start = focus_ < 0 ? n - 1 : focus_;
  for (int k = 1; k <= n; ++k) {
    const int i = (start + k) % n;
    const TemplateItem& item = t_.items[i];
    if (!Visible(i) || HotLetter(item) != letter || item.type == kTabPage) continue;
    if (item.flags & kItemFlagReadOnly) continue;
    switch (item.type) {
      case kButton:
        SetFocus(i);
        if (!closed_) Press(i);
        return true;
      case kCheckBox:
        SetFocus(i);
        if (!closed_) Toggle(i);
        return true;
      case kEditField:
      case kChoiceList:
        SetFocus(i);
        return true;
      default:
        // A label hands the focus to the next control after it.
        for (int j = i + 1; j < n; ++j)
          if (Focusable(j)) {
            SetFocus(j);
            return true;
          }
        return true;
    }
  }
  return false;
}

void Dialog::HandleKey(const Key& key) {
  if (closed_) return;
  const bool inEdit = focus_ >= 0 && t_.items[focus_].type == kEditField;
  const bool inTextEdit = inEdit && t_.items[focus_].editKind != kEditKindDate;
  // Dialog-wide keys.
  switch (key.code) {
    case KeyCode::kNone:
    case KeyCode::kEsc: {
      const int cancel = t_.IndexOfId(kIdCancel);
      if (cancel >= 0 && t_.items[cancel].type == kButton) Press(cancel);
      if (!closed_) Close(kIdCancel);  // Esc always leaves, whatever the handler said
      if (!closed_) {                  // the object refused to close: force it
        closed_ = true;
        result_ = kIdCancel;
      }
      return;
    }
    case KeyCode::kTab:
    case KeyCode::kDown:
      MoveFocus(+1);
      return;
    case KeyCode::kBackTab:
    case KeyCode::kUp:
      MoveFocus(-1);
      return;
    default:
      break;
  }
  if (FunctionKey(key)) return;
  if (key.code == KeyCode::kChar && !key.alt && !inTextEdit && (key.ch == U'+' || key.ch == U'-')) {
    LeaveFocused();
    if (closed_) return;
    const int r = Send(FocusedId() < 0 ? 0 : FocusedId(), key.ch == U'+' ? kEventStepForward : kEventStepBack);
    if (r != kResultDefault) {
      Act(r);
      return;
    }
  }
  // The focused control.
  if (focus_ >= 0) {
    const TemplateItem& item = t_.items[focus_];
    switch (item.type) {
      case kEditField:
        if (key.code == KeyCode::kEnter) {
          LeaveFocused();
          if (!closed_) MoveFocus(+1);
          return;
        }
        if (!key.alt && TypeInto(focus_, key)) return;
        break;
      case kCheckBox:
        if (key.code == KeyCode::kChar && key.ch == U' ' && !key.alt) {
          Toggle(focus_);
          return;
        }
        if (key.code == KeyCode::kEnter) {
          MoveFocus(+1);
          return;
        }
        break;
      case kChoiceList:
        if (key.code == KeyCode::kRight || (key.code == KeyCode::kChar && key.ch == U' ' && !key.alt)) {
          ChangeChoice(focus_, +1);
          return;
        }
        if (key.code == KeyCode::kLeft) {
          ChangeChoice(focus_, -1);
          return;
        }
        if (key.code == KeyCode::kEnter) {
          MoveFocus(+1);
          return;
        }
        break;
      case kButton:
        if (key.code == KeyCode::kEnter || (key.code == KeyCode::kChar && key.ch == U' ' && !key.alt)) {
          Press(focus_);
          return;
        }
        break;
      default:
        break;
    }
  }
  if (key.code == KeyCode::kLeft) {
    MoveFocus(-1);
    return;
  }
  if (key.code == KeyCode::kRight) {
    MoveFocus(+1);
    return;
  }
  // Hot letters: with Alt always, plain letters only outside edit fields.
  if (key.code == KeyCode::kChar && (key.alt || !inEdit)) HotLetterKey(key);
}

std::string Dialog::EditText(int index) const {
  const TemplateItem& item = t_.items[index];
  if (item.editKind == kEditKindDate)
    return index == focus_ ? dateText_ : DisplayDate(std::string(controls_[index].buffer.data()));
  return std::string(controls_[index].buffer.data());
}

void Dialog::Render(Grid& grid) const {
  grid.Resize(t_.width, t_.height);
  grid.Fill(Cell{U' ', kAttrNormal});
  grid.Box(0, 0, t_.width, t_.height, true, kAttrBorder);
  cursorX_ = cursorY_ = -1;
  // Caption centred in the top border.
  {
    Grid caption(t_.width, 1);
    const int length = DrawTemplateText(caption, 0, 0, caption_, t_.width - 4, kAttrTitle, false);
    const int x = std::max(1, (t_.width - length - 2) / 2);
    grid.Put(x, 0, U' ', kAttrTitle);
    for (int i = 0; i < length; ++i) grid.Put(x + 1 + i, 0, caption.At(i, 0).ch, kAttrTitle);
    grid.Put(x + 1 + length, 0, U' ', kAttrTitle);
  }
  for (std::size_t k = 0; k < t_.items.size(); ++k) {
    const int i = static_cast<int>(k);
    if (!Visible(i)) continue;
    const TemplateItem& item = t_.items[k];
    const Control& c = controls_[k];
    const bool focused = i == focus_;
    const int x = item.column;
    const int y = item.row;
    const int w = std::max<int>(item.width, 1);
    switch (item.type) {
      case kFrame:
        grid.Box(x, y, item.width, item.height, item.extra == 3, kAttrBorder);
        break;
      case kStaticText:
      case kDisplayLine:
        DrawTemplateText(grid, x, y, c.text, w, kAttrNormal, true);
        break;
      case kTabPage: {
        const bool shown = i == page_;
        Grid text(w, 1);
        const int length = DrawTemplateText(text, 0, 0, c.text, w - 2, shown ? kAttrSelected : kAttrNormal, false);
        grid.Put(x, y, shown ? U'[' : U' ', kAttrSelected);
        for (int j = 0; j < length; ++j) grid.Put(x + 1 + j, y, text.At(j, 0).ch, text.At(j, 0).attr);
        grid.Put(x + 1 + length, y, shown ? U']' : U' ', kAttrSelected);
        break;
      }
      case kButton: {
        Grid text(w, 1);
        const int length = DrawTemplateText(text, 0, 0, c.text, w, kAttrNormal, true);
        const std::uint8_t frame = focused ? kAttrFocus : kAttrNormal;
        if (length + 2 <= w) {
          grid.Put(x, y, U'[', frame);
          grid.Put(x + w - 1, y, U']', frame);
          for (int j = 1; j < w - 1; ++j) grid.Put(x + j, y, U' ', frame);
          const int left = x + 1 + (w - 2 - length) / 2;
          for (int j = 0; j < length; ++j)
            grid.Put(left + j, y, text.At(j, 0).ch, focused ? static_cast<std::uint8_t>(kAttrFocus) : text.At(j, 0).attr);
        } else {
          for (int j = 0; j < length; ++j)
            grid.Put(x + j, y, text.At(j, 0).ch, focused ? static_cast<std::uint8_t>(kAttrFocus) : text.At(j, 0).attr);
        }
        if (focused) cursorX_ = x + 1, cursorY_ = y;
        break;
      }
      case kCheckBox: {
        const std::uint8_t frame = focused ? kAttrFocus : kAttrNormal;
        grid.Put(x, y, U'[', frame);
        grid.Put(x + 1, y, c.checked ? U'x' : U' ', frame);
        grid.Put(x + 2, y, U']', frame);
        DrawTemplateText(grid, x + 4, y, c.text, w - 4, kAttrNormal, true);
        if (focused) cursorX_ = x + 1, cursorY_ = y;
        break;
      }
      case kEditField: {
        const std::string text = EditText(i);
        const std::uint8_t attr = focused ? kAttrFocus : kAttrField;
        const int inner = std::max(w - 2, 1);
        // Long texts scroll so that their end stays in view.
        const std::size_t first = text.size() > static_cast<std::size_t>(inner - 1) && focused
                                      ? text.size() - static_cast<std::size_t>(inner - 1)
                                      : 0;
        grid.Put(x, y, U'[', kAttrField);
        for (int j = 0; j < inner; ++j) {
          const std::size_t at = first + static_cast<std::size_t>(j);
          char32_t ch = at < text.size()
              ? static_cast<char32_t>(codepage::MazoviaToUnicode(static_cast<unsigned char>(text[at])))
              : U' ';
          if (at < text.size() && (item.flags & kItemFlagSecret)) ch = U'*';
          grid.Put(x + 1 + j, y, ch < 0x20 ? U' ' : ch, attr);
        }
        grid.Put(x + 1 + inner, y, U']', kAttrField);
        if (focused) {
          cursorX_ = x + 1 + static_cast<int>(std::min(text.size() - first, static_cast<std::size_t>(inner - 1)));
          cursorY_ = y;
        }
        break;
      }
      case kChoiceList: {
        const std::vector<std::string> lines = ChoiceLines(item.text);
        const std::uint8_t attr = focused ? kAttrFocus : kAttrField;
        for (int j = 0; j < w; ++j) grid.Put(x + j, y, U' ', attr);
        if (!lines.empty()) {
          const int chosen = std::clamp(c.value, 0, static_cast<int>(lines.size()) - 1);
          DrawTemplateText(grid, x, y, lines[chosen], w - 1, attr, false);
        }
        grid.Put(x + w - 1, y, U'▼', attr);
        if (focused) cursorX_ = x, cursorY_ = y;
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace host::dialog
