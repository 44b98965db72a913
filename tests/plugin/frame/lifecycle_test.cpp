#include <gtest/gtest.h>

#include <cstring>

#include "frame_fixture.h"

// The frame's tests link the frame alone; the command handler of the export run stands in.
namespace plugin {
int OnMenuExport() { return 0; }
}  // namespace plugin

namespace frame_test {
namespace {

constexpr char kName[] = "Eksport Zantoria 3.0 (towary)";

class LifecycleTest : public FrameTest {};

TEST_F(LifecycleTest, InitializeCopiesTheNameFirstAndAnswersWithTheChecks) {
  struct Case {
    const char* name;
    bool withBuffer;
    int interfaceVersion;
    std::uint32_t missingImports;
    int expected;
    bool checksRun;
  };
  const Case cases[] = {
      {"fitting host", true, 112, 0, 0, true},
      {"no buffer", false, 112, 0, 0, true},
      {"other version", true, 111, 0, -1, true},
      {"missing host function", true, 112, 1, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeHost{};
    fake.interfaceVersion = c.interfaceVersion;
    plugin::MissingImportCount = c.missingImports;
    char buffer[40];
    std::memset(buffer, 'x', sizeof buffer);

    EXPECT_EQ(plugin::PluginInitialize(&FakeNotify, c.withBuffer ? buffer : nullptr), c.expected);
    EXPECT_EQ(plugin::HostNotify, &FakeNotify);
    if (c.withBuffer) {
      EXPECT_EQ(std::memcmp(buffer, kName, 30), 0);  // with its terminator
      EXPECT_EQ(buffer[30], 'x');
    }
    bool checked = !fake.calls.empty() && fake.calls[0] == "HostCheckModule";
    EXPECT_EQ(checked, c.checksRun);
    if (!c.checksRun) {
      EXPECT_TRUE(fake.calls.empty());  // nothing goes through an empty entry
    }
    if (c.interfaceVersion != 112) {
      EXPECT_TRUE(fake.tablesAsked.empty());
    }
  }
}

TEST_F(LifecycleTest, ShutdownUnregistersTheCommandAndTouchesNothingElse) {
  plugin::HostNotify = &FakeNotify;
  char buffer[40];
  std::memset(buffer, 'x', sizeof buffer);

  EXPECT_EQ(plugin::PluginInitialize(nullptr, buffer), 0);
  EXPECT_EQ(fake.unregistered, std::vector<std::int32_t>{31028});
  EXPECT_EQ(fake.calls, std::vector<std::string>{"HostUnregisterCommand"});
  EXPECT_EQ(plugin::HostNotify, &FakeNotify);
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x'));

  // A host without the function never had the command: the shutdown must not call it.
  fake = FakeHost{};
  Remove(kPos_HostUnregisterCommand);
  EXPECT_EQ(plugin::PluginInitialize(nullptr, nullptr), 0);
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(LifecycleTest, StartRegistersTheCommandOrExplainsWhyNot) {
  struct Case {
    const char* name;
    std::int32_t argument;
    std::uint32_t hostWord;
    std::uint32_t missingImports;
    bool registers;
    bool reportShown;
    const char* error;
  };
  const Case cases[] = {
      {"start", 0, 256, 0, true, false, nullptr},
      {"report asked", 7, 256, 0, false, true, nullptr},
      {"report asked with -1", -1, 256, 0, false, true, nullptr},
      {"old host", 0, 257, 0, false, false,
       "Wtyczka wymaga nowszego programu (klasa CIdentDokZaznacz)!"},
      {"host function missing", 0, 256, 1, false, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeHost{};
    fake.ini["EksportZantoriaTowary/Pytaj"] = "1";
    word = c.hostWord;
    plugin::MissingImportCount = c.missingImports;
    if (c.missingImports) plugin::MissingImportOrdinals[0] = 52030;

    EXPECT_EQ(plugin::PluginStart(c.argument), 0);
    EXPECT_EQ(fake.registered.size(), c.registers ? 1u : 0u);
    EXPECT_EQ(fake.messages.size(), c.reportShown ? 1u : 0u);
    if (c.reportShown) {
      EXPECT_EQ(fake.messages[0].title, "STOP!!!");
    }
    if (c.error)
      EXPECT_EQ(fake.errors, std::vector<std::string>{c.error});
    else
      EXPECT_TRUE(fake.errors.empty());
    if (!c.registers) {
      EXPECT_TRUE(fake.dialogTexts.empty());
    }
  }
}

TEST_F(LifecycleTest, RegisteredRecordNamesTheCommandAndItsHandler) {
  fake.ini["EksportZantoriaTowary/Pytaj"] = "1";
  plugin::PluginStart(0);
  ASSERT_EQ(fake.registered.size(), 1u);
  const PluginCommandRecord* record = fake.registered[0];
  EXPECT_EQ(record, &plugin::CommandRecord);
  EXPECT_EQ(record->field0, 0);
  EXPECT_EQ(record->field2, 26237);
  EXPECT_STREQ(record->name, kName);
  EXPECT_EQ(record->commandId, 31028);
  EXPECT_EQ(record->field10, 0);
  EXPECT_EQ(record->handler, &plugin::OnMenuExport);
  const unsigned char zero[8] = {};
  EXPECT_EQ(std::memcmp(record->reserved, zero, 8), 0);
}

TEST_F(LifecycleTest, InstallNoticeFollowsTheStoredAnswer) {
  struct Case {
    const char* name;
    const char* stored;  // null: no key
    bool wideRead;
    bool readFails;
    std::int32_t dialogAnswer;
    bool shown;
    std::int32_t seenByDialog;
    const char* written;  // null: nothing written
  };
  const Case cases[] = {
      {"no key", nullptr, false, false, 1, true, 0, "1"},
      {"zero", "0", false, false, 0, true, 0, "0"},
      {"answered", "1", false, false, 1, false, 0, nullptr},
      {"answered negative", "-1", false, false, 1, false, 0, nullptr},
      {"65536 read as 16 bits", "65536", false, false, 1, true, 0, "1"},
      {"65536 read as a whole word", "65536", true, false, 1, true, 65536, "1"},
      {"failed read leaves garbage", nullptr, false, true, 1, true, 0, "1"},
      {"answer beyond 16 bits", nullptr, false, false, 0x10002, true, 0, "2"},
      {"answer 0xFFFF", nullptr, false, false, 0xFFFF, true, 0, "-1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake = FakeHost{};
    if (c.stored) fake.ini["EksportZantoriaTowary/Pytaj"] = c.stored;
    fake.iniFillsWholeWord = c.wideRead;
    fake.iniReadFails = c.readFails;
    fake.iniFailedReadValue = 5;
    fake.dialogAnswer = c.dialogAnswer;

    plugin::ShowInstallNotice();
    ASSERT_EQ(fake.dialogTexts.size(), c.shown ? 1u : 0u);
    if (c.shown) {
      EXPECT_EQ(fake.dialogTexts[0],
                std::string("Zainstalowano wtyczkę do programu:\n"_mz) + kName);
      EXPECT_EQ(fake.dialogInitialAnswers[0], c.seenByDialog);
    }
    if (c.written) {
      ASSERT_EQ(fake.iniWrites.size(), 1u);
      EXPECT_EQ(fake.iniWrites[0].first, "EksportZantoriaTowary/Pytaj");
      EXPECT_EQ(fake.iniWrites[0].second, c.written);
    } else {
      EXPECT_TRUE(fake.iniWrites.empty());
    }
  }
}

TEST_F(LifecycleTest, InstallNoticeIsShownUntilAnsweredThenNeverAgain) {
  const std::int32_t answers[] = {0, 0, 1, 0, 0};
  int shown = 0;
  for (std::int32_t answer : answers) {
    fake.dialogAnswer = answer;
    plugin::PluginStart(0);
    shown = static_cast<int>(fake.dialogTexts.size());
  }
  EXPECT_EQ(shown, 3);
  EXPECT_EQ(fake.ini["EksportZantoriaTowary/Pytaj"], "1");
  EXPECT_EQ(fake.registered.size(), 5u);
}

int g_hookValue = 0;
double g_hookReal = 0;
const char* g_hookText = nullptr;

// A hook of 30009 sees the caller's arguments, whatever they are.
std::int32_t Hook30009(int value, double real, const char* text) {
  g_hookValue = value;
  g_hookReal = real;
  g_hookText = text;
  return 9009;
}
std::uint32_t Hook30010(std::int32_t value) { return static_cast<std::uint32_t>(value) + 1; }

TEST_F(LifecycleTest, Exports30009And30010AnswerByDefaultAndPassCallsToTheirHooks) {
  const std::int32_t arguments[] = {0, 1, -1, 0x7FFFFFFF};
  for (std::int32_t a : arguments) {
    SCOPED_TRACE(a);
    EXPECT_EQ(plugin::vostra_export_30009(), 0);
    EXPECT_EQ(plugin::vostra_export_30010(a), 0xB669FD2Eu);
  }

  plugin::vostra_hook_30009 = reinterpret_cast<plugin_abi::Export30009Fn*>(reinterpret_cast<void (*)()>(&Hook30009));
  plugin::vostra_hook_30010 = &Hook30010;
  auto* withArguments = reinterpret_cast<std::int32_t (*)(int, double, const char*)>(
      reinterpret_cast<void (*)()>(&plugin::vostra_export_30009));
  static const char kText[] = "tekst";
  EXPECT_EQ(withArguments(-77, 2.5, kText), 9009);
  EXPECT_EQ(g_hookValue, -77);
  EXPECT_EQ(g_hookReal, 2.5);
  EXPECT_EQ(g_hookText, kText);
  EXPECT_EQ(plugin::vostra_export_30010(41), 42u);
}

TEST(BaseName, TakesTheTextAfterTheLastSeparatorOfEitherKind) {
  struct Case {
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\Vostra\\Wtyczki\\ExportZantoriaV3Towary.dll", "ExportZantoriaV3Towary.dll"},
      {"/opt/vostra/lib/plugins/ExportZantoriaV3Towary.so", "ExportZantoriaV3Towary.so"},
      {"C:\\Vostra\\sub/dir/Modul.dll", "Modul.dll"},
      {"C:/Vostra/sub\\Modul.dll", "Modul.dll"},
      {"Modul.dll", "Modul.dll"},
      {"C:\\Vostra\\", ""},
      {"/opt/vostra/", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_STREQ(plugin::BaseNameOf(c.path), c.expected);
  }
}

}  // namespace
}  // namespace frame_test
