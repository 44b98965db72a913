// The dialog host functions on a host of the test's own: objects and their hooks, handler
// bindings, dialogs without a screen, the install notice, the goods chooser, the viewer's
// command-line notice, the progress window and the main window driven by a key script.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/plugins.h"
#include "core/encoding.h"
#include "dialog/dialogs.h"
#include "services/mail.h"
#include "frame/host_services.h"
#include "store/store.h"
#include "table_builder.h"
#include "test_host.h"

namespace {

using host::dialog::kIdCancel;
using host::dialog::kIdOk;

// Records what the host says.
class CapturedMessages : public host::MessageSink {
 public:
  int Show(const std::string& title, const std::string& text, int) override {
    shown.push_back(host::MazoviaToUtf8(title) + ": " + host::MazoviaToUtf8(text));
    return 1;
  }
  void CloseNotice() override {}
  int ShowError(const std::string& text) override {
    shown.push_back("Błąd: " + host::MazoviaToUtf8(text));
    return 0;
  }
  std::vector<std::string> shown;
};

// A dialog object with its own table: slot 1 records events, slots 3 to 5 record the hooks.
struct RecordingObject {
  WDialogBase base;
  std::vector<std::pair<int, int>> events;
  std::vector<std::pair<int, long>> hooks;
  bool allowOk = true;
};

int RecordEvent(WDialogBase* self, int item, int event) {
  reinterpret_cast<RecordingObject*>(self)->events.emplace_back(item, event);
  return 0;
}
std::intptr_t MayClose(WDialogBase* self, std::intptr_t result, std::intptr_t) {
  auto* o = reinterpret_cast<RecordingObject*>(self);
  o->hooks.emplace_back(3, static_cast<long>(result));
  return result == kIdOk ? o->allowOk : 1;
}
std::intptr_t BeforeShow(WDialogBase* self, std::intptr_t id, std::intptr_t) {
  reinterpret_cast<RecordingObject*>(self)->hooks.emplace_back(4, static_cast<long>(id));
  return 0;
}
std::intptr_t AfterClose(WDialogBase* self, std::intptr_t result, std::intptr_t) {
  reinterpret_cast<RecordingObject*>(self)->hooks.emplace_back(5, static_cast<long>(result));
  return 0;
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table = dialog_test::BuildTable(dialog_test::SmallDialog());
    data.assign(32, 0);
    test.host().messages = &messages;
  }
  void Keys(const std::string& keys) {
    test.host().options.keys = keys;
    test.host().options.screenDump = test.dir + "/screen.txt";
  }
  std::string Screen() { return testing_support::TestHost::ReadFile(test.dir + "/screen.txt"); }
  void MakeObject(RecordingObject& o) {
    HostDialogBaseConstruct(&o.base);
    ASSERT_EQ(o.base.hostWord, host::dialog::kDialogObjectAlive);
    static void* vtable[35];
    std::memcpy(vtable, o.base.vtable, sizeof vtable);
    vtable[1] = reinterpret_cast<void*>(&RecordEvent);
    vtable[3] = reinterpret_cast<void*>(&MayClose);
    vtable[4] = reinterpret_cast<void*>(&BeforeShow);
    vtable[5] = reinterpret_cast<void*>(&AfterClose);
    o.base.vtable = vtable;
  }
  HostHandler Bind(HandlerBinding& binding, RecordingObject& o) {
    HostHandlerBind(&binding, &o.base, &HostEventEntryMain);
    return reinterpret_cast<HandlerValueFn*>(binding.vtable[1])(&binding);
  }

  testing_support::TestHost test;
  CapturedMessages messages;
  std::vector<unsigned char> table;
  std::vector<unsigned char> data;
};

TEST_F(DialogsTest, WithoutTerminalOrScriptADialogIsCancelledWithAMessage) {
  EXPECT_EQ(HostRunDialog(nullptr, table.data(), 100, data.data(), nullptr, 0), kIdCancel);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("--keys"), std::string::npos) << messages.shown[0];
  EXPECT_NE(messages.shown[0].find("Test"), std::string::npos);  // names the dialog
}

TEST_F(DialogsTest, BadTablesAndUnknownTemplatesAreRefusedWithAMessage) {
  Keys("F12");
  std::vector<unsigned char> broken = table;
  broken[8] = 0;  // the record's -1 marker
  EXPECT_EQ(HostRunDialog(nullptr, broken.data(), 100, data.data(), nullptr, 0), kIdCancel);
  EXPECT_EQ(HostRunDialog(nullptr, table.data(), 555, data.data(), nullptr, 0), kIdCancel);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_NE(messages.shown[0].find("Nieprawidłowa tablica"), std::string::npos);
  EXPECT_NE(messages.shown[1].find("555"), std::string::npos);
}

TEST_F(DialogsTest, EventsReachTheObjectsOperationOneThroughTheBinding) {
  Keys("Alt+x F12");
  RecordingObject o;
  MakeObject(o);
  HandlerBinding binding{};
  const HostHandler handler = Bind(binding, o);
  EXPECT_EQ(HostRunDialog(&o.base, table.data(), 100, data.data(), handler, 0), kIdOk);
  const std::vector<std::pair<int, int>> expected = {{0, -2}, {0x20, 3}, {kIdOk, 1}};
  EXPECT_EQ(o.events, expected);
  const std::vector<std::pair<int, long>> hooks = {{4, 100}, {3, kIdOk}, {5, kIdOk}};
  EXPECT_EQ(o.hooks, hooks);
  EXPECT_EQ(data[11], 1);  // the box's bit reached the block
  HostHandlerRelease(&binding);
  HostDialogBaseDestroy(&o.base);
  EXPECT_EQ(o.base.hostWord, 0u);
}

TEST_F(DialogsTest, AnObjectMayRefuseToCloseButEscStillCancels) {
  Keys("F12 Esc");
  RecordingObject o;
  MakeObject(o);
  o.allowOk = false;
  EXPECT_EQ(HostRunDialog(&o.base, table.data(), 100, data.data(), nullptr, 0), kIdCancel);
  EXPECT_EQ(o.hooks.front(), std::make_pair(4, 100L));
  EXPECT_EQ(o.hooks.back(), std::make_pair(5, static_cast<long>(kIdCancel)));
}

TEST_F(DialogsTest, UnconstructedObjectsAndReleasedBindingsAreRefused) {
  Keys("F12");
  RecordingObject stray{};
  EXPECT_EQ(HostRunDialog(&stray.base, table.data(), 100, data.data(), nullptr, 0), kIdCancel);
  RecordingObject o;
  MakeObject(o);
  HandlerBinding binding{};
  const HostHandler handler = Bind(binding, o);
  HostHandlerRelease(&binding);
  EXPECT_EQ(HostRunDialog(&o.base, table.data(), 100, data.data(), handler, 0), kIdCancel);
  EXPECT_EQ(messages.shown.size(), 2u);
  EXPECT_TRUE(o.events.empty());
}

TEST_F(DialogsTest, OnTheCommandLineTheInstallNoticeIsPrintedAndAnsweredOne) {
  std::int32_t answer = 0;
  std::string text;
  ASSERT_TRUE(host::Utf8ToMazovia("Zainstalowano wtyczkę do programu:\nEksport", text));
  HostRunDialogById(1668, &answer, 0, text.c_str());
  EXPECT_EQ(answer, 1);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("Zainstalowano wtyczkę"), std::string::npos);
}

TEST_F(DialogsTest, TheGoodsChooserLoadsTheChosenRecordAndItsKey) {
  std::string error;
  ASSERT_TRUE(test.Import(R"({"format": "vostra-host-data/1",
      "goods": [{"key": 4, "name": "Młotek", "attr": 1}, {"key": 12, "name": "Gwóźdź", "attr": 3}]})",
                          &error))
      << error;
  HostTable* goods = test.host().store->Table(49);
  ASSERT_NE(goods, nullptr);
  struct Case {
    const char* keys;
    int view;
    bool chosen;
  };
  // One script for all cases: each chooser takes its keys in turn.
  Keys("Down Enter Esc Enter");
  const Case cases[] = {{"Down Enter", 147, true}, {"Esc", 147, false}, {"(none)", 99, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    HostChooserPrepare(0, 0);
    const int result = HostChooseRecord(0, 0, c.view, 0, 0, goods, 0, 0, "", 0, 0);
    EXPECT_EQ(result >= 0, c.chosen);
    if (c.chosen) {
      EXPECT_EQ(*HostGetChosenKey(), 12);
      const auto* record = static_cast<const K9Record*>(goods->record);
      EXPECT_EQ(host::MazoviaToUtf8(std::string(record->name.view())), "Gwóźdź");
      EXPECT_EQ(record->attr.get(), 3);
    } else {
      EXPECT_EQ(*HostGetChosenKey(), 0);
    }
  }
}

TEST_F(DialogsTest, TheViewerOnTheCommandLineNamesTheFile) {
  std::string title;
  ASSERT_TRUE(host::Utf8ToMazovia("Podgląd pliku", title));
  testing::internal::CaptureStderr();
  HostViewFile("/tmp/wynik.txt", "l-1Tekst", 0, title.c_str(), 0, 3, 18);
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, "Podgląd pliku: /tmp/wynik.txt\n");
}

TEST_F(DialogsTest, TheProgressWindowShowsWhileARunPollsAndEndsWithTheNextWindow) {
  Keys("F12 F12");
  ASSERT_EQ(HostRunDialog(nullptr, table.data(), 100, data.data(), nullptr, 0), kIdOk);
  auto* script = dynamic_cast<host::dialog::ScriptScreen*>(test.host().dialogs->screen());
  ASSERT_NE(script, nullptr);
  test.host().pollUi();
  test.host().pollUi();
  const std::string shown = script->last().Text();
  EXPECT_NE(shown.find("Przetwarzanie"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Przetworzono kroków: 1"), std::string::npos) << shown;
  ASSERT_EQ(HostRunDialog(nullptr, table.data(), 100, data.data(), nullptr, 0), kIdOk);
  EXPECT_EQ(script->last().Text().find("Przetwarzanie"), std::string::npos);
}

TEST_F(DialogsTest, MainWindowRunsACommandFromAKeyScript) {
  test.host().options.pluginsDir = std::string(VOSTRA_BINARY_DIR) + "/lib/plugins";
  test.host().options.unattended = false;
  test.host().unattendedFlag = 0;
  test.host().plugins->LoadAll();
  ASSERT_FALSE(test.host().plugins->Commands().empty());
  // Enter opens the options dialog, the box "s" is ticked, F12 runs the export and Enter
  // closes the summary box; q leaves the main window.
  Keys("Enter Alt+s F12 Enter q");
  EXPECT_EQ(host::dialog::RunMainWindow(test.host()), 0);
  EXPECT_TRUE(std::filesystem::exists(test.host().options.exportDir + "/VOSTRA.TXT"));
  const std::string ini = host::MazoviaToUtf8(
      testing_support::TestHost::ReadFile(test.host().options.configDir + "/WtyczkiG.ini"));
  EXPECT_NE(ini.find("Opcje=1,"), std::string::npos) << ini;
  EXPECT_EQ(test.host().messages, &messages);  // the window's own sink is gone again
  const std::string screen = Screen();
  EXPECT_NE(screen.find("Eksport Zantoria 3.0 (towary)"), std::string::npos) << screen;
}

}  // namespace

namespace {

TEST_F(DialogsTest, TheMailDialogSavesWhatWasTypedOnOkAndNothingOnCancel) {
  struct Case {
    const char* keys;
    bool saved;
  };
  const Case cases[] = {
      {"Right Tab Tab Text:smtps://poczta.example.pl:465 Tab Text:biuro@example.pl Tab Tab Tab "
       "Text:tajne F12",
       true},
      {"Right Tab Tab Text:smtps://poczta.example.pl:465 Esc", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    testing_support::TestHost own;
    own.host().messages = &messages;
    own.host().options.keys = c.keys;
    own.host().options.screenDump = own.dir + "/screen.txt";
    EXPECT_EQ(HostConfigureMail(0, 4, 1), c.saved ? 1 : 0);
    const host::services::MailSettings s = host::services::LoadMailSettings(own.host());
    const std::string screen = testing_support::TestHost::ReadFile(own.dir + "/screen.txt");
    if (c.saved) {
      EXPECT_EQ(s.transport, "smtp");
      EXPECT_EQ(s.smtpUrl, "smtps://poczta.example.pl:465");
      EXPECT_EQ(s.sender, "biuro@example.pl");
      EXPECT_EQ(s.password, "tajne");
      EXPECT_NE(screen.find("[*****"), std::string::npos) << screen;  // the password is masked
    } else {
      EXPECT_EQ(s.transport, "outbox");
      EXPECT_TRUE(s.smtpUrl.empty());
    }
  }
}

}  // namespace

namespace {

TEST_F(DialogsTest, InTheMainWindowThePreviewShowsTheExportFileWithItsTabsExpanded) {
  test.host().options.pluginsDir = std::string(VOSTRA_BINARY_DIR) + "/lib/plugins";
  test.host().unattendedFlag = 0;
  std::ofstream(test.host().options.configDir + "/WtyczkiG.ini")
      << "[EksportZantoriaTowary]\nPytaj=1\n[ZantoriaMK]\nOpcje=0,0,4,0,0\n";
  test.host().plugins->LoadAll();
  Keys("Enter F12");  // the script ends in the viewer
  EXPECT_EQ(host::dialog::RunMainWindow(test.host()), 0);
  const std::string screen = Screen();
  EXPECT_NE(screen.find("Podgląd pliku — "), std::string::npos) << screen;
  EXPECT_NE(screen.find("║INFO{"), std::string::npos) << screen;
  EXPECT_NE(screen.find("║        Nazwa programu ="), std::string::npos) << screen;
}

}  // namespace
