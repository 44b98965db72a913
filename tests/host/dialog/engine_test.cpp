// The headless dialog core driven by keys: data block, events to the handler, the handler's
// answers and the grid as text.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <utility>
#include <vector>

#include "dialog/dialog.h"
#include "dialog/template_table.h"
#include "table_builder.h"

namespace {

using namespace host::dialog;
using dialog_test::BuildTable;
using dialog_test::SmallDialog;

// The small dialog with its data block, a handler that records its calls and answers from a
// programmable function, and a way to feed a script.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes = BuildTable(SmallDialog());
    std::string error;
    ASSERT_TRUE(table.Parse(bytes.data(), bytes.size(), TemplateLimits{}, &error)) << error;
    t = table.Find(100);
    data.assign(t->dataSize, 0);
    SetTab(0, 0);
    SetTab(26, -1);
    std::memcpy(&data[2], "20240315", 8);
    std::memcpy(&data[13], "abc", 3);
  }

  void SetTab(std::size_t offset, std::int16_t v) { std::memcpy(&data[offset], &v, 2); }
  std::uint16_t Word(std::size_t offset) const {
    std::uint16_t v;
    std::memcpy(&v, &data[offset], 2);
    return v;
  }
  std::string Text(std::size_t offset) const { return std::string(reinterpret_cast<const char*>(&data[offset])); }

  Dialog& Open() {
    dialog = std::make_unique<Dialog>(*t, data.data(), [this](int item, int event) {
      calls.emplace_back(item, event);
      return answer ? answer(item, event) : 0;
    });
    dialog->Open();
    return *dialog;
  }
  void Keys(const char* script) {
    std::deque<Key> keys;
    std::string error;
    ASSERT_TRUE(ParseKeyScript(script, keys, &error)) << error;
    for (const Key& k : keys) dialog->HandleKey(k);
  }
  std::string Row(int y) {
    Grid grid;
    dialog->Render(grid);
    return grid.Row(y);
  }
  bool Called(int item, int event) const {
    for (const auto& c : calls)
      if (c.first == item && c.second == event) return true;
    return false;
  }

  std::vector<unsigned char> bytes;
  TemplateTable table;
  const DialogTemplate* t = nullptr;
  std::vector<unsigned char> data;
  std::unique_ptr<Dialog> dialog;
  std::vector<std::pair<int, int>> calls;
  std::function<int(int, int)> answer;
};

TEST_F(EngineTest, OpensOnTheFirstPageWithTheBlockShownAndTellsTheHandler) {
  Open();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), std::make_pair(0, kEventOpen));
  EXPECT_EQ(dialog->PageId(), 0x3C00);
  EXPECT_EQ(dialog->FocusedId(), 0x10);  // the date edit, the first control of the page
  EXPECT_NE(Row(1).find("[F2 Jeden]"), std::string::npos) << Row(1);
  EXPECT_NE(Row(3).find("Data:"), std::string::npos);
  EXPECT_NE(Row(3).find("[15.03.2024"), std::string::npos) << Row(3);
  EXPECT_NE(Row(6).find("[abc"), std::string::npos) << Row(6);
  EXPECT_EQ(Row(3).find(" a "), std::string::npos);  // the choice of page 2 is hidden
}

TEST_F(EngineTest, OkWritesTheControlsAndEscLeavesTheBlockAlone) {
  struct Case {
    const char* script;
    int result;
    std::string date;
    std::uint16_t boxes;
    std::string text;
  };
  const Case cases[] = {
      {"F12", kIdOk, "20240315", 0, "abc"},
      {"Text:01022023 Tab Space Tab Tab Text:xyz F12", kIdOk, "20230201", 1, "xyz"},
      {"Text:01022023 Tab Space Esc", kIdCancel, "20240315", 0, "abc"},
      {"Text:31022023 Tab F12", kIdOk, "20240315", 0, "abc"},  // no such day: the old date stays
      {"Text:01.02.2023 Tab Tab Space F12", kIdOk, "20230201", 2, "abc"},
      {"Tab Tab Tab Backspace Backspace F12", kIdOk, "20240315", 0, ""},  // first key clears
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    SetUp();
    Open();
    Keys(c.script);
    EXPECT_TRUE(dialog->closed());
    EXPECT_EQ(dialog->result(), c.result);
    EXPECT_EQ(Text(2), c.date);
    EXPECT_EQ(Word(11), c.boxes);
    EXPECT_EQ(Text(13), c.text);
  }
}

TEST_F(EngineTest, ABoxToggleIsNeverReportedAsAPressEvenWhenItsIdIsAButtons) {
  Open();
  Keys("Alt+x");  // hot letter of box 0x20 (the focus is in an edit); button 0x20 is on page 2
  EXPECT_TRUE(Called(0x20, kEventBoxToggled));
  EXPECT_FALSE(Called(0x20, kEventPressed));
  Keys("F3 k");  // the button with the same id is pressed
  EXPECT_TRUE(Called(0x20, kEventPressed));
  Keys("F12");
  EXPECT_EQ(Word(11), 1);
}

TEST_F(EngineTest, PagesSwitchWithTheirKeysAndShowOnlyTheirItems) {
  Open();
  Keys("F3");
  EXPECT_EQ(dialog->PageId(), 0x3D00);
  EXPECT_EQ(dialog->FocusedId(), 0x30);
  EXPECT_NE(Row(3).find(" a "), std::string::npos) << Row(3);
  EXPECT_EQ(Row(3).find("Data:"), std::string::npos) << Row(3);
  EXPECT_NE(Row(1).find("[F3 Dwa]"), std::string::npos);
  Keys("Right Right Right Left F12");  // the list stops at its last line
  EXPECT_EQ(Word(28), 1);
  EXPECT_EQ(static_cast<std::int16_t>(Word(26)), 0);  // the shown page's word
  EXPECT_EQ(static_cast<std::int16_t>(Word(0)), -1);
  int changes = 0;
  for (const auto& c : calls) changes += c == std::make_pair(0x30, kEventChoiceChanged);
  EXPECT_EQ(changes, 3);
}

TEST_F(EngineTest, HotLettersTypeInsideEditsAndNeedAltThere) {
  Open();
  Keys("Tab Tab Tab");  // the text edit
  ASSERT_EQ(dialog->FocusedId(), 0x11);
  Keys("x");  // typed, not the box's hot letter
  EXPECT_FALSE(Called(0x20, kEventBoxToggled));
  Keys("Alt+y");  // with Alt it is a hot letter
  EXPECT_TRUE(Called(0x21, kEventBoxToggled));
  EXPECT_TRUE(Called(0x11, kEventPressed));  // leaving the changed edit reports it
  Keys("d");  // a label's letter focuses the control after it
  EXPECT_EQ(dialog->FocusedId(), 0x10);
  Keys("F12");
  EXPECT_EQ(Text(13), "x");
  EXPECT_EQ(Word(11), 2);
}

TEST_F(EngineTest, TheHandlersAnswersSteerTheEngine) {
  struct Case {
    const char* name;
    int answerForOk;
    bool closed;
    int focus;
  };
  const Case cases[] = {
      {"default closes with the button's id", kResultDefault, true, -1},
      {"-2 keeps the dialog open", kResultHandled, false, 0x10},
      {"0x1002 redraws and stays", kResultRedraw, false, 0x10},
      {"an item id focuses that item", 0x11, false, 0x11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    calls.clear();
    answer = [&](int item, int event) { return item == kIdOk && event == kEventPressed ? c.answerForOk : 0; };
    Open();
    Keys("F12");
    EXPECT_EQ(dialog->closed(), c.closed);
    if (c.closed) EXPECT_EQ(dialog->result(), kIdOk);
    else EXPECT_EQ(dialog->FocusedId(), c.focus);
  }
}

TEST_F(EngineTest, EscAndARunOutScriptCancelEvenWhenTheHandlerWouldStay) {
  answer = [](int, int) { return kResultHandled; };
  Open();
  dialog->HandleKey(Key{});  // the script has no more keys
  EXPECT_TRUE(dialog->closed());
  EXPECT_EQ(dialog->result(), kIdCancel);
  EXPECT_EQ(Text(13), "abc");
}

TEST_F(EngineTest, ReadOnlyBoxesAreNeitherFocusedNorToggled) {
  Open();
  Keys("F3 Tab Tab Tab Tab");
  EXPECT_NE(dialog->FocusedId(), 0xFFFF);
  Keys("F12");
  EXPECT_EQ(Word(30), 0);
}

TEST_F(EngineTest, TransfersAndItemBuffersWorkOnTheControls) {
  Open();
  char* date = dialog->ItemBuffer(0x10);
  ASSERT_NE(date, nullptr);
  EXPECT_STREQ(date, "20240315");
  EXPECT_EQ(dialog->ItemBuffer(0x20), nullptr);  // a box has no text buffer
  std::memcpy(date, "20250101", 9);               // a handler writes behind the engine's back
  dialog->Refresh();
  EXPECT_NE(Row(3).find("[01.01.2025"), std::string::npos) << Row(3);
  std::vector<unsigned char> copy(t->dataSize, 0);
  dialog->ControlsToBlock(copy.data());
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&copy[2])), "20250101");
  EXPECT_EQ(Text(2), "20240315");  // the dialog's own block is untouched until it closes
  std::memcpy(&copy[13], "nowy", 5);
  dialog->BlockToControls(copy.data());
  EXPECT_NE(Row(6).find("[nowy"), std::string::npos) << Row(6);
}

TEST_F(EngineTest, ABlockTextWithoutTerminatorIsCutAtItsField) {
  std::memset(&data[13], 'z', 13);  // the whole 13-byte field, no NUL
  Open();
  EXPECT_EQ(std::string(dialog->ItemBuffer(0x11)), std::string(12, 'z'));
}

TEST_F(EngineTest, SetTitleChangesTheCaptionOrAnItemsText) {
  Open();
  dialog->SetTitle(0, "Nowy tytul");
  EXPECT_NE(Row(0).find(" Nowy tytul "), std::string::npos) << Row(0);
  dialog->SetTitle(0xFFFE, "Inny");
  EXPECT_NE(Row(0).find(" Inny "), std::string::npos);
}

TEST(KeyScript, ParsesNamesTextAndRefusesUnknownTokens) {
  struct Case {
    const char* script;
    bool ok;
    std::vector<Key> keys;
  };
  const Case cases[] = {
      {"F3 Down down F12", true,
       {Key::Named(KeyCode::kF3), Key::Named(KeyCode::kDown), Key::Named(KeyCode::kDown), Key::Named(KeyCode::kF12)}},
      {"\"a b\" Text:ł", true, {Key::Char(U'a'), Key::Char(U' '), Key::Char(U'b'), Key::Char(U'ł')}},
      {"+ - Space Alt+k Ctrl+F2", true,
       {Key::Char(U'+'), Key::Char(U'-'), Key::Char(U' '), Key::Char(U'k', true), Key::Named(KeyCode::kCtrlF2)}},
      {"\"a\\\"b\"", true, {Key::Char(U'a'), Key::Char(U'"'), Key::Char(U'b')}},
      {"F13", false, {}},
      {"\"open", false, {}},
      {"Alt+ab", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    std::deque<Key> keys;
    std::string error;
    EXPECT_EQ(ParseKeyScript(c.script, keys, &error), c.ok) << error;
    if (c.ok) EXPECT_EQ(std::vector<Key>(keys.begin(), keys.end()), c.keys);
    else EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(ScanCode(Key::Named(KeyCode::kF12)), 0x8600);
  EXPECT_EQ(ScanCode(Key::Named(KeyCode::kF2)), 0x3C00);
  EXPECT_EQ(ScanCode(Key::Named(KeyCode::kF10)), 0x4400);
  EXPECT_EQ(ScanCode(Key::Named(KeyCode::kCtrlF2)), 0x5F00);
}

}  // namespace
