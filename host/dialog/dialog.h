// One running dialog of a template: the headless core of the engine.
//
// A Dialog keeps the state of its controls apart from the data block: it loads them from the
// block when it opens (and on request), and writes them back when it closes with anything but
// "~A~nuluj" (0x5002) and on request (HostDialogTransfer). Keys come in one at a time; the
// handler receives (item id, event) and its answer steers the engine:
//
//   events   -2 the dialog opens (item 0); 1 a button is pressed, or an edit field is left
//            (or confirmed with Enter) after its text changed; 3 a check box was toggled (never 1,
//            whatever its id); 4 a choice list's line changed; 6 / 7 "+" / "-" outside a text
//            edit (the item is the focused one)
//   results  -2 (or any negative) handled, stay; 0 default handling: buttons 0x5001 and 0x5002
//            close the dialog with their id, "+"/"-" fall through to the hot keys; 0x1002
//            redraw and stay; an item id: redraw, focus that item and stay
//
// Keys pass in phases: dialog-wide keys (Esc, Tab/arrows for focus, function-key hot keys and
// tab pages, "+"/"-"), then the focused control, then hot letters (with Alt always; without Alt
// when the focus is not in an edit field). Not thread-safe.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialog/grid.h"
#include "dialog/keys.h"
#include "dialog/template_table.h"

namespace host::dialog {

inline constexpr int kEventOpen = -2;
inline constexpr int kEventPressed = 1;
inline constexpr int kEventBoxToggled = 3;
inline constexpr int kEventChoiceChanged = 4;
inline constexpr int kEventStepForward = 6;
inline constexpr int kEventStepBack = 7;
inline constexpr int kResultHandled = -2;
inline constexpr int kResultDefault = 0;
inline constexpr int kResultRedraw = 0x1002;
inline constexpr int kIdOk = 0x5001;
inline constexpr int kIdCancel = 0x5002;

using EventHandler = std::function<int(int item, int event)>;

class Dialog {
 public:
  // `data` may be null for a template without a data block; otherwise it holds at least
  // t.dataSize bytes for the dialog's whole life.
  Dialog(const DialogTemplate& t, unsigned char* data, EventHandler handler);

  // Hooks on the dialog's object: may the dialog close with this result (default yes).
  std::function<bool(int result)> mayClose;

  // Loads the controls, picks the page and the focus and sends the opening event.
  void Open();
  // Handles one key; kNone (a script that ran out) cancels as Esc does.
  void HandleKey(const Key& key);
  bool closed() const { return closed_; }
  int result() const { return result_; }

  // Transfers between the controls and a block laid out like the data block.
  void ControlsToBlock(unsigned char* block);
  void BlockToControls(const unsigned char* block);
  // The text buffer of an edit field (max length + 1 bytes; dates as YYYYMMDD), or null.
  char* ItemBuffer(int id);
  // Sets the caption (item 0 or an id that no text item has) or a text item's text (Mazovia).
  void SetTitle(int item, const std::string& mazovia);
  // Picks up what a handler wrote into edit buffers behind the engine's back.
  void Refresh();

  void Render(Grid& grid) const;  // resizes the grid to the dialog
  // Where the terminal cursor belongs (in the dialog's grid), or -1.
  int cursorX() const { return cursorX_; }
  int cursorY() const { return cursorY_; }

  const DialogTemplate& tmpl() const { return t_; }
  int FocusedId() const;
  int PageId() const;  // id of the shown tab page, or -1
  const std::string& caption() const { return caption_; }

 private:
  struct Control {
    std::vector<char> buffer;  // edit fields: max length + 1 bytes, always terminated
    int value = 0;             // tab pages and choice lists
    bool checked = false;      // check boxes
    std::string text;          // text items: the text shown (SetTitle can change it)
  };

  bool Visible(int index) const;
  bool Focusable(int index) const;
  void MoveFocus(int step);
  void SetFocus(int index);
  void ShowPage(int tabIndex);
  void LeaveFocused();  // commits an edit field and reports a change
  int Send(int item, int event);
  void Act(int result);  // acts on a handler's non-default answer
  void Press(int index);
  void Toggle(int index);
  void ChangeChoice(int index, int step);
  void Close(int result);
  bool TypeInto(int index, const Key& key);
  bool HotLetterKey(const Key& key);
  bool FunctionKey(const Key& key);
  int ChoiceCount(int index) const;
  std::string EditText(int index) const;  // what an edit shows (Mazovia)

  const DialogTemplate& t_;
  unsigned char* data_;
  EventHandler handler_;
  std::vector<Control> controls_;
  std::string caption_;
  int page_ = -1;
  int focus_ = -1;
  bool fresh_ = false;          // the next character replaces the focused edit's text
  std::string dateText_;        // the focused date edit's text while it is being typed
  std::string entryValue_;      // the focused edit's value when it got the focus
  bool closed_ = false;
  int result_ = kIdCancel;
  mutable int cursorX_ = -1;
  mutable int cursorY_ = -1;
};

// Mazovia text → Unicode cells, at most `limit` of them (none when it is not positive); '~'
// marks hot letters, bytes 1 to 5 set attributes. Returns the number of cells drawn.
int DrawTemplateText(Grid& grid, int x, int y, const std::string& mazovia, int limit,
                     std::uint8_t base, bool hot);

// Dates: YYYYMMDD ↔ DD.MM.YYYY; ParseDisplayDate accepts DD.MM.YYYY, DDMMYYYY or empty.
std::string DisplayDate(const std::string& stored);
bool ParseDisplayDate(const std::string& text, std::string& stored);

}  // namespace host::dialog
