#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/plugins.h"
#include "frame/plugin_exports.h"
#include "platform.h"
#include "test_host.h"

namespace {

const std::string kBin = VOSTRA_BINARY_DIR;

// Collects the messages shown to the user.
class RecordingSink : public host::MessageSink {
 public:
  int Show(const std::string& title, const std::string& text, int) override {
    shown.push_back(title + "|" + text);
    return 0;
  }
  void CloseNotice() override {}
  int ShowError(const std::string& text) override {
    errors.push_back(text);
    return 0;
  }
  std::vector<std::string> shown;
  std::vector<std::string> errors;
};

int g_runs = 0;
int CountingHandler() {
  ++g_runs;
  return 0;
}
int FaultingHandler() { throw platform::SE_Exception(0xC0000094u, nullptr); }

PluginCommandRecord Record(const char* name, std::int16_t id, CommandHandlerFn* handler) {
  return PluginCommandRecord{0, 26237, name, id, 0, handler, {}};
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_runs = 0;
    previous_ = test.host().messages;
    test.host().messages = &sink;
  }
  void TearDown() override { test.host().messages = previous_; }
  host::app::Plugins& plugins() { return *test.host().plugins; }

  testing_support::TestHost test;
  RecordingSink sink;

 private:
  host::MessageSink* previous_ = nullptr;
};

TEST_F(RegistryTest, RegisteredCommandsRunByTheirName) {
  static const char kName[] = "Eksport \x92\x86" "d";  // Mazovia
  PluginCommandRecord counting = Record(kName, 31028, &CountingHandler);
  PluginCommandRecord faulting = Record("Awaria", 2, &FaultingHandler);
  PluginCommandRecord empty = Record("Pusty", 3, nullptr);
  EXPECT_EQ(HostRegisterCommand(&counting), 0);
  EXPECT_EQ(HostRegisterCommand(&faulting), 0);
  EXPECT_EQ(HostRegisterCommand(&empty), 0);
  EXPECT_EQ(HostRegisterCommand(nullptr), -1);
  ASSERT_EQ(plugins().Commands().size(), 3u);
  EXPECT_EQ(plugins().Commands()[0].name, kName);
  EXPECT_EQ(plugins().Commands()[0].id, 31028);

  struct Case {
    const char* name;
    int expected;
    int runs;
    std::size_t errors;
  };
  const Case cases[] = {
      {kName, 0, 1, 0},
      {"Eksport", -1, 0, 0},  // no prefix matching
      {"Awaria", 1, 0, 1},    // a fault in the command is reported, the program goes on
      {"Pusty", 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_runs = 0;
    sink.errors.clear();
    EXPECT_EQ(plugins().RunCommand(c.name), c.expected);
    EXPECT_EQ(g_runs, c.runs);
    EXPECT_EQ(sink.errors.size(), c.errors);
  }
}

TEST_F(RegistryTest, UnregisteringRemovesTheCommandOfThatIdentifier) {
  PluginCommandRecord a = Record("A", 1, &CountingHandler);
  PluginCommandRecord b = Record("B", 2, &CountingHandler);
  HostRegisterCommand(&a);
  HostRegisterCommand(&b);
  HostRegisterCommand(&a);  // the same command again replaces it
  EXPECT_EQ(plugins().Commands().size(), 2u);
  EXPECT_EQ(HostUnregisterCommand(1), 0);
  EXPECT_EQ(HostUnregisterCommand(1), -1);
  ASSERT_EQ(plugins().Commands().size(), 1u);
  EXPECT_EQ(plugins().Commands()[0].name, "B");
  EXPECT_EQ(plugins().RunCommand("A"), -1);
}

TEST_F(RegistryTest, CommandNamesAreReadBounded) {
  std::string longName(400, 'n');
  PluginCommandRecord record = Record(longName.c_str(), 5, &CountingHandler);
  HostRegisterCommand(&record);
  ASSERT_EQ(plugins().Commands().size(), 1u);
  EXPECT_EQ(plugins().Commands()[0].name, std::string(255, 'n'));
}

TEST_F(RegistryTest, WithoutACurrentHostTheFunctionsRefuse) {
  PluginCommandRecord a = Record("A", 1, &CountingHandler);
  host::CurrentHostScope none(nullptr);
  EXPECT_EQ(HostRegisterCommand(&a), -1);
  EXPECT_EQ(HostUnregisterCommand(1), -1);
  HostNotify(1, -1);  // must not touch anything
}

TEST_F(RegistryTest, FilesThatAreNoPluginsAreRefusedWithTheReason) {
  struct Case {
    std::string path;
    const char* reason;
  };
  const Case cases[] = {
      {test.dir + "/nie-ma.so", "nie-ma.so"},
      {kBin + "/lib/TOVRAN.so", "nie eksportuje funkcji 30001 i 30008"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    int index = plugins().Load(c.path);
    const host::app::LoadedPlugin& p = plugins().Loaded()[index];
    EXPECT_TRUE(p.refused);
    EXPECT_EQ(p.module, nullptr);
    EXPECT_NE(p.loadError.find(c.reason), std::string::npos) << p.loadError;
  }
  EXPECT_TRUE(plugins().Commands().empty());
}

TEST_F(RegistryTest, OnlyModuleFilesOfTheFolderAreLoaded) {
  std::string folder = test.dir + "/plugins";
  std::filesystem::create_directories(folder + "/katalog.so");
  for (const char* name : {"notatki.txt", "b-zepsuty.so", "a-zepsuty.so"}) {
    std::FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("to nie jest modul", f);
    std::fclose(f);
  }
  test.host().options.pluginsDir = folder;
  plugins().LoadAll();
  ASSERT_EQ(plugins().Loaded().size(), 2u);
  EXPECT_EQ(plugins().Loaded()[0].path, folder + "/a-zepsuty.so");
  EXPECT_EQ(plugins().Loaded()[1].path, folder + "/b-zepsuty.so");
  for (const host::app::LoadedPlugin& p : plugins().Loaded()) {
    EXPECT_TRUE(p.refused);
    EXPECT_FALSE(p.loadError.empty());
  }
}

TEST_F(RegistryTest, DefaultPluginFolderIsInstalledBesideTheProgram) {
  test.host().options.pluginsDir.clear();
  EXPECT_EQ(plugins().Folder(), kBin + "/lib/plugins");
  test.host().options.pluginsDir = "/inny";
  EXPECT_EQ(plugins().Folder(), "/inny");
}

TEST(Tovran, ExportsEveryHostFunctionTheNotificationAndTheHostWord) {
  platform::ModuleHandle tovran = platform::FindLoadedModule("TOVRAN");
  ASSERT_NE(tovran, nullptr);
#define VOSTRA_CHECK_EXPORT(pos, ord, Name, Ret, Params)                                   \
  EXPECT_EQ(platform::LookupOrdinal(tovran, ord), reinterpret_cast<void*>(&Name)) << #Name;
  VOSTRA_HOST_IMPORTS(VOSTRA_CHECK_EXPORT)
#undef VOSTRA_CHECK_EXPORT
  EXPECT_EQ(platform::LookupOrdinal(tovran, kOrdinalNotify), reinterpret_cast<void*>(&HostNotify));
  auto* word = static_cast<const std::uint32_t*>(platform::LookupOrdinal(tovran, kOrdinalHostWord));
  ASSERT_NE(word, nullptr);
  EXPECT_EQ(*word, 256u);
}

TEST(Tovran, TheRealHostAcceptsModulesAndSpeaksVersion112) {
  char text[16];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(HostCheckModule(nullptr, text, sizeof text), 0);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(HostCheckModule(nullptr, nullptr, 0), 0);
  EXPECT_EQ(HostGetInterfaceVersion(), 112);
}

}  // namespace
