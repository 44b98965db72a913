// A test host prepared for export runs: settings written as text, messages recorded, the export
// file and the expected files read as bytes. One per test; nothing is shared.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/host.h"
#include "format/codepage.h"
#include "run/exporter.h"
#include "test_host.h"

namespace run_test {

// Records every message the run shows, Mazovia as the host receives it.
class RecordingSink : public host::MessageSink {
 public:
  struct Message {
    std::string title;
    std::string text;
    int flags;
  };
  int Show(const std::string& title, const std::string& text, int flags) override {
    messages.push_back({title, text, flags});
    if (onShow) onShow(title, text);
    return 1;
  }
  void CloseNotice() override { ++noticesClosed; }
  int ShowError(const std::string& text) override {
    errors.push_back(text);
    return 1;
  }

  // True when some message's text contains the piece (Mazovia).
  bool Shown(const std::string& piece) const {
    for (const Message& m : messages)
      if (m.text.find(piece) != std::string::npos) return true;
    return false;
  }
  bool ErrorShown(const std::string& piece) const {
    for (const std::string& e : errors)
      if (e.find(piece) != std::string::npos) return true;
    return false;
  }

  std::vector<Message> messages;
  std::vector<std::string> errors;
  int noticesClosed = 0;
  std::function<void(const std::string& title, const std::string& text)> onShow;
};

// The summary that ends every complete run.
inline std::string Summary(int sales, int corrections) {
  char text[256];
  std::snprintf(text, sizeof text, "\x01tp40Ilość dok. sprzedaży:\t%d\nIlość korekt sprzed:\t%d\n",
                sales, corrections);
  std::string mazovia;
  host::Utf8ToMazovia(text, mazovia);
  return mazovia;
}

inline std::string Mazovia(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(host::Utf8ToMazovia(utf8, out)) << utf8;
  return out;
}

inline std::string ReadBytes(const std::string& path) {
  return testing_support::TestHost::ReadFile(path);
}

inline bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

// An expected export file kept in the repository as UTF-8 with LF line ends, turned into what
// the finished file holds: Windows-1250 with CR LF.
inline std::string ExpectedExport(const std::string& name) {
  std::string utf8 = ReadBytes(std::string(VOSTRA_TEST_DATA) + "/fixtures/" + name);
  EXPECT_FALSE(utf8.empty()) << name;
  std::string cp1250;
  EXPECT_TRUE(host::ConvertCodePage(utf8, 5, 3, cp1250)) << name;
  std::string crlf;
  for (char c : cp1250) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

// Prints the first line where two files differ, with its number, instead of two blobs.
inline ::testing::AssertionResult SameFile(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  std::size_t line = 1, start = 0, i = 0;
  while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) {
    if (expected[i] == '\n') {
      ++line;
      start = i + 1;
    }
    ++i;
  }
  auto lineAt = [&](const std::string& s) {
    std::size_t end = s.find('\n', start);
    std::string text;
    if (start <= s.size()) text = s.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string utf8;
    host::ConvertCodePage(text, 3, 5, utf8);
    return utf8;
  };
  return ::testing::AssertionFailure()
         << "files differ at line " << line << "\n  expected: [" << lineAt(expected)
         << "]\n  actual:   [" << lineAt(actual) << "]\n  sizes " << expected.size() << " and "
         << actual.size();
}

class RunHost {
 public:
  explicit RunHost(std::string today = "20240315", bool unattended = true)
      : test(std::move(today), unattended) {
    test.host().messages = &sink;
  }
  ~RunHost() { test.host().messages = nullptr; }

  host::Host& host() { return test.host(); }

  void Import(const std::string& json) {
    std::string why;
    ASSERT_TRUE(test.Import(json, &why)) << why;
  }
  void ImportFixture(const std::string& name) {
    Import(ReadBytes(std::string(VOSTRA_TEST_DATA) + "/fixtures/" + name));
  }

  std::string SettingsPath() const { return test.dir + "/config/WtyczkiG.ini"; }
  // Writes the settings file from UTF-8 text (stored in the host's code page).
  void WriteSettings(const std::string& utf8) {
    std::ofstream out(SettingsPath(), std::ios::binary | std::ios::trunc);
    out << Mazovia(utf8);
  }
  std::string Settings() const { return ReadBytes(SettingsPath()); }

  std::string ExportDir() const { return test.dir + "/export"; }
  std::string ExportPath() const { return ExportDir() + "/VOSTRA.TXT"; }
  std::string Exported() const { return ReadBytes(ExportPath()); }

  // Names of the files in the export folder, sorted.
  std::vector<std::string> ExportFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(ExportDir()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  int Run() { return plugin::OnMenuExport(); }

  testing_support::TestHost test;
  RecordingSink sink;
};

// Registers of the first schema used by the expected files.
inline constexpr const char* kRegisters =
    "[DekrSchema_1]\nRejestr1=SPRZ\nRejestr2=EXP\nRejestr3=KOR\nRejestr4=KEXP\n";

// Document numbers of the documents in an export file, in file order: the head's "FK nazwa",
// the line after its "mppFlags".
inline std::vector<std::string> ExportedNumbers(const std::string& file) {
  std::vector<std::string> numbers;
  const std::string key = "\r\n\t\tmppFlags =";
  const std::string name = "\r\n\t\tFK nazwa =";
  for (std::size_t at = file.find(key); at != std::string::npos; at = file.find(key, at + 1)) {
    std::size_t begin = file.find(name, at + 1);
    if (begin == std::string::npos) break;
    begin += name.size();
    numbers.push_back(file.substr(begin, file.find('\r', begin) - begin));
  }
  return numbers;
}

}  // namespace run_test
