// A fixture that puts recording host functions into the module's import entries for one test
// and restores the module's whole state afterwards: entries, failure record, notification
// function, host word, MissingFeatures, the record-size list and the export hooks.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "format/codepage.h"
#include "frame/host_imports.h"
#include "frame/lifecycle.h"
#include "frame/load_checks.h"
#include "frame/module.h"

namespace frame_test {

struct Message {
  int id;
  std::string title;
  std::string format;
  int flags;
  int extra;
  std::string text;  // as formatted
};

// What the recording host answers and what it saw.
struct FakeHost {
  // answers
  const char* rejectText = nullptr;
  int interfaceVersion = 112;
  std::map<int, int> tableSizes;       // table number -> record length; absent: expected size
  std::vector<int> unknownTables;      // HostGetTable answers null
  std::map<std::string, std::string> ini;  // "section/key" -> stored value
  bool iniFillsWholeWord = false;      // "%d" reads fill 32 bits instead of 16
  bool iniReadFails = false;           // reads report failure...
  std::int32_t iniFailedReadValue = 0; // ...after writing this into the variable
  std::int32_t dialogAnswer = 0;

  // what it saw
  std::vector<std::string> calls;  // function names in call order
  std::vector<int> tablesAsked;
  std::vector<Message> messages;
  std::vector<std::string> errors;
  std::vector<const PluginCommandRecord*> registered;
  std::vector<std::int32_t> unregistered;
  std::vector<std::string> dialogTexts;
  std::vector<std::int32_t> dialogInitialAnswers;
  std::vector<std::pair<std::string, std::string>> iniWrites;
  std::vector<std::pair<std::int32_t, std::int32_t>> notifications;
};

inline FakeHost* g_fake = nullptr;

inline int ExpectedSizeOf(int table) {
  for (int i = 0; i < plugin::kCheckedTables; ++i)
    if (plugin::kRecordSizeTableNumbers[i] == table)
      return static_cast<int>(plugin::RecordSizes[i].ExpectedSize);
  return 0;
}

inline int FakeCheckModule(void*, char* text, int size) {
  g_fake->calls.push_back("HostCheckModule");
  if (!g_fake->rejectText) return 0;
  if (text && size > 0) std::snprintf(text, static_cast<std::size_t>(size), "%s", g_fake->rejectText);
  return 1;
}

inline int FakeMessageBoxF(int id, const char* title, const char* format, int flags, int extra, ...) {
  g_fake->calls.push_back("HostMessageBoxF");
  char text[4096];
  va_list args;
  va_start(args, extra);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  g_fake->messages.push_back({id, title, format, flags, extra, text});
  return 0;
}

inline int FakeGetInterfaceVersion() {
  g_fake->calls.push_back("HostGetInterfaceVersion");
  return g_fake->interfaceVersion;
}

inline HostTable* FakeGetTable(int number) {
  static HostTable tables[100];
  g_fake->calls.push_back("HostGetTable");
  g_fake->tablesAsked.push_back(number);
  for (int unknown : g_fake->unknownTables)
    if (unknown == number) return nullptr;
  auto size = g_fake->tableSizes.find(number);
  tables[number].number = static_cast<std::int16_t>(number);
  tables[number].recordSize =
      static_cast<std::int16_t>(size != g_fake->tableSizes.end() ? size->second : ExpectedSizeOf(number));
  return &tables[number];
}

inline int FakeRegisterCommand(const PluginCommandRecord* record) {
  g_fake->calls.push_back("HostRegisterCommand");
  g_fake->registered.push_back(record);
  return 0;
}

inline int FakeUnregisterCommand(std::int32_t id) {
  g_fake->calls.push_back("HostUnregisterCommand");
  g_fake->unregistered.push_back(id);
  return 0;
}

inline int FakeShowError(const char* text) {
  g_fake->calls.push_back("HostShowError");
  g_fake->errors.push_back(text);
  return 0;
}

inline int FakeRunDialogById(int id, std::int32_t* answer, int flags, const char* text) {
  g_fake->calls.push_back("HostRunDialogById");
  EXPECT_EQ(id, 1668);
  EXPECT_EQ(flags, 0);
  g_fake->dialogTexts.push_back(text);
  g_fake->dialogInitialAnswers.push_back(*answer);
  *answer = g_fake->dialogAnswer;
  return 0;
}

// INI as the host keeps it: "%d" fills an int16 (or, on request, the whole word).
inline std::int16_t FakeIniAccess(const char* file, int mode, const char* section, const char* key,
                                  const char* format, va_list args) {
  g_fake->calls.push_back("HostIniAccess");
  EXPECT_STREQ(file, "WtyczkiG.ini");
  EXPECT_STREQ(format, "%d");
  std::string where = std::string(section) + "/" + key;
  if (mode == 9) {
    char value[64];
    std::vsnprintf(value, sizeof value, format, args);
    g_fake->ini[where] = value;
    g_fake->iniWrites.push_back({where, value});
    return 0;
  }
  void* target = va_arg(args, void*);
  if (g_fake->iniReadFails) {
    std::memcpy(target, &g_fake->iniFailedReadValue, 4);
    return 1;
  }
  auto stored = g_fake->ini.find(where);
  if (stored == g_fake->ini.end()) return 1;
  long value = std::strtol(stored->second.c_str(), nullptr, 10);
  if (g_fake->iniFillsWholeWord) {
    auto word = static_cast<std::int32_t>(value);
    std::memcpy(target, &word, 4);
  } else {
    auto half = static_cast<std::int16_t>(value);
    std::memcpy(target, &half, 2);
  }
  return 0;
}

inline void FakeNotify(std::int32_t what, std::int32_t value) {
  g_fake->calls.push_back("HostNotify");
  g_fake->notifications.push_back({what, value});
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(savedTable_, plugin::HostImportTable, sizeof savedTable_);
    savedCount_ = plugin::MissingImportCount;
    std::memcpy(savedOrdinals_, plugin::MissingImportOrdinals, sizeof savedOrdinals_);
    savedNotify_ = plugin::HostNotify;
    savedWord_ = plugin::HostWord;
    savedFeatures_ = plugin::MissingFeatures;
    savedBaseName_ = plugin::ModuleBaseName;
    std::memcpy(savedSizes_, plugin::RecordSizes, sizeof savedSizes_);
    savedMismatches_ = plugin::RecordSizeMismatches;

    g_fake = &fake;
    std::memset(plugin::HostImportTable, 0, sizeof plugin::HostImportTable);
    Install(kPos_HostCheckModule, &FakeCheckModule);
    Install(kPos_HostMessageBoxF, &FakeMessageBoxF);
    Install(kPos_HostGetInterfaceVersion, &FakeGetInterfaceVersion);
    Install(kPos_HostGetTable, &FakeGetTable);
    Install(kPos_HostRegisterCommand, &FakeRegisterCommand);
    Install(kPos_HostUnregisterCommand, &FakeUnregisterCommand);
    Install(kPos_HostShowError, &FakeShowError);
    Install(kPos_HostRunDialogById, &FakeRunDialogById);
    Install(kPos_HostIniAccess, &FakeIniAccess);
    plugin::MissingImportCount = 0;
    std::memset(plugin::MissingImportOrdinals, 0, sizeof plugin::MissingImportOrdinals);
    plugin::HostNotify = nullptr;
    plugin::HostWord = &word;
    plugin::MissingFeatures = 0;
    plugin::ModuleBaseName = "Modul.so";
    for (auto& entry : plugin::RecordSizes) {
      entry.HostSize = 0;
      entry.Next = nullptr;
    }
    plugin::RecordSizeMismatches = nullptr;
  }

  void TearDown() override {
    std::memcpy(plugin::HostImportTable, savedTable_, sizeof savedTable_);
    plugin::MissingImportCount = savedCount_;
    std::memcpy(plugin::MissingImportOrdinals, savedOrdinals_, sizeof savedOrdinals_);
    plugin::HostNotify = savedNotify_;
    plugin::HostWord = savedWord_;
    plugin::MissingFeatures = savedFeatures_;
    plugin::ModuleBaseName = savedBaseName_;
    std::memcpy(plugin::RecordSizes, savedSizes_, sizeof savedSizes_);
    plugin::RecordSizeMismatches = savedMismatches_;
    plugin::vostra_hook_30009 = nullptr;
    plugin::vostra_hook_30010 = nullptr;
    g_fake = nullptr;
  }

  template <class Fn>
  static void Install(int position, Fn* fn) {
    plugin::HostImportTable[position - 1] = reinterpret_cast<plugin::HostEntry>(fn);
  }
  static void Remove(int position) { plugin::HostImportTable[position - 1] = nullptr; }

  // Records n failed bindings of the given ordinals, as the load-time binding would.
  static void RecordMissing(std::initializer_list<std::uint16_t> ordinals) {
    for (std::uint16_t o : ordinals) {
      std::uint32_t n = plugin::MissingImportCount++;
      if (n < 8) plugin::MissingImportOrdinals[n] = o;
    }
  }

  FakeHost fake;
  std::uint32_t word = 256;

 private:
  plugin::HostEntry savedTable_[kHostImportCount];
  std::uint32_t savedCount_;
  std::uint16_t savedOrdinals_[8];
  HostNotifyFn* savedNotify_;
  const std::uint32_t* savedWord_;
  std::uint32_t savedFeatures_;
  const char* savedBaseName_;
  plugin::RecordSizeEntry savedSizes_[plugin::kCheckedTables];
  plugin::RecordSizeEntry* savedMismatches_;
};

}  // namespace frame_test
