// A test of the block writers: its own host over a temporary folder, one exporter, one open
// export file, and the expected blocks written by hand.
//
// Expected texts are raw UTF-8 literals in which a tab is spelled "\t" (backslash and t) so
// that the tab counts stay visible; Output() checks that every line of the file ends in CR LF
// and gives the file back in UTF-8 with LF line ends, comparable with such a literal.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding.h"
#include "format/host_records.h"
#include "frame/host_imports.h"
#include "run/exporter.h"
#include "test_host.h"

namespace writer_test {

// The Mazovia bytes of a UTF-8 text, as the host keeps texts.
inline std::string Mz(std::string_view utf8) {
  std::string out;
  EXPECT_TRUE(host::Utf8ToMazovia(utf8, out)) << utf8;
  return out;
}

// A hand-written block: "\t" spelled out becomes a tab.
inline std::string Tabs(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 't') {
      out += '\t';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Stores a UTF-8 text into a record's text field in the host's code page.
template <std::size_t N>
void Put(TextField<N>& field, std::string_view utf8) {
  field.assign(Mz(utf8));
}

// A host date from "YYYY-MM-DD" ("" for none).
inline void PutDate(HostDate& date, std::string_view iso) {
  std::string digits;
  for (char c : iso)
    if (c != '-') digits += c;
  date.assign(digits);
}

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(static_cast<void*>(&x), 0, sizeof x);
    path = host.dir + "/export/out.txt";
    file = plugin::HostFileOpen(path.c_str(), "wt", 0x40, 0, -1, 0, 0, 0, 0);
    ASSERT_NE(file, nullptr);
  }
  void TearDown() override {
    if (file) plugin::HostFileClose(file);
  }

  // Loads host data and binds the exporter's tables.
  void Load(std::string_view json) {
    std::string error;
    ASSERT_TRUE(host.Import(json, &error)) << error;
    ASSERT_EQ(x.InitTables(), 0);
  }

  // Closes the file and returns what was written, in UTF-8 with LF line ends.
  std::string Output() {
    if (file) plugin::HostFileClose(file);
    file = nullptr;
    const std::string bytes = testing_support::TestHost::ReadFile(path);
    std::string lf;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') ADD_FAILURE() << "a line end without CR at byte " << i;
      if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
        lf += '\n';
        ++i;
      } else {
        lf += bytes[i];
      }
    }
    return host::MazoviaToUtf8(lf);
  }

  testing_support::TestHost host;
  plugin::CZantoriaKHTowary x;
  std::string path;
  HostFile* file = nullptr;
};

}  // namespace writer_test

namespace writer_test {

// The values of every line whose key (after its tabs) is `key`, such as "id =", in file order.
inline std::vector<std::string> Values(const std::string& text, std::string_view key) {
  std::vector<std::string> values;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    while (!line.empty() && line.front() == '\t') line.remove_prefix(1);
    if (line.substr(0, key.size()) == key) values.emplace_back(line.substr(key.size()));
    start = end + 1;
  }
  return values;
}

}  // namespace writer_test
