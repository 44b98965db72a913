// Parsing of template tables: the binding rule, refusals of malformed tables, and sweeps that
// truncate and corrupt a good table and expect either a valid table or a clean error.
#include <gtest/gtest.h>

#include <functional>

#include "dialog/template_table.h"
#include "table_builder.h"

namespace {

using host::dialog::DialogTemplate;
using host::dialog::TemplateLimits;
using host::dialog::TemplateTable;
using namespace dialog_test;

TEST(TemplateTable, BindingRuleLaysOutTheDataBlock) {
  const std::vector<unsigned char> bytes = BuildTable(SmallDialog());
  TemplateTable table;
  std::string error;
  ASSERT_TRUE(table.Parse(bytes.data(), bytes.size(), TemplateLimits{}, &error)) << error;
  const DialogTemplate* t = table.Find(100);
  ASSERT_NE(t, nullptr);
  struct Case {
    int index;
    std::size_t offset;
    std::size_t size;
    int bit;
    int page;
  };
  const Case cases[] = {
      {1, 0, 0, -1, -1},   // OK button: no data, on every page
      {3, 0, 2, -1, 3},    // tab page: int16
      {5, 2, 9, -1, 3},    // date edit: 8 + 1
      {6, 11, 0, 0, 3},    // first box of a run: the run's word
      {7, 11, 0, 1, 3},    // second box: same word, next bit
      {8, 13, 13, -1, 3},  // text edit: 12 + 1
      {9, 26, 2, -1, 9},   // second page
      {10, 28, 2, -1, 9},  // choice list: int16
      {12, 30, 0, 0, 9},   // a box after a button starts a new run
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    const auto& item = t->items[static_cast<std::size_t>(c.index)];
    if (c.size != 0 || c.bit >= 0) {
      EXPECT_EQ(item.dataOffset, c.offset);
    }
    EXPECT_EQ(item.dataSize, c.size);
    EXPECT_EQ(item.bit, c.bit);
    EXPECT_EQ(item.page, c.page);
  }
  EXPECT_EQ(t->dataSize, 32u);
}

TEST(TemplateTable, RefusesMalformedTables) {
  struct Case {
    const char* name;
    std::function<void(std::vector<unsigned char>&)> corrupt;
    const char* message;  // a piece of the Polish error
  };
  // Offsets into the small dialog's bytes: 4 table length, 4..5 record length, 6..7 item count,
  // 8..9 the -1 marker, header 20 bytes, caption "Test" at 28.
  const Case cases[] = {
      {"length word beyond the data", [](auto& b) { b[0] = 0xFF; b[1] = 0xFF; }, "większa niż dane"},
      {"record longer than the table", [](auto& b) { b[4] = 0xFF; b[5] = 0x7F; }, "długość szablonu"},
      {"missing -1 marker", [](auto& b) { b[8] = 0; }, "znacznika"},
      {"zero width", [](auto& b) { b[20] = 0; b[21] = 0; }, "rozmiar okna"},
      {"more items than the record holds", [](auto& b) { b[6] += 1; }, "ucięt"},
      {"fewer items than the record holds", [](auto& b) { b[6] -= 1; }, "nie wypełniają"},
      {"unknown item type", [](auto& b) { b[33] = 9; }, "nieznany typ"},
      {"caption without terminator",
       [](auto& b) { b.resize(33); b[28] = 'x'; b[29] = 'x'; b[30] = 'x'; b[31] = 'x'; b[32] = 'x';
                     b[4] = static_cast<unsigned char>(b.size() - 8); b[5] = 0; b[6] = 0;
                     b[0] = static_cast<unsigned char>(b.size() - 4); b[1] = 0; b[2] = 0; b[3] = 0; },
       "bez zakończenia"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned char> bytes = BuildTable(SmallDialog());
    c.corrupt(bytes);
    TemplateTable table;
    std::string error;
    EXPECT_FALSE(table.Parse(bytes.data(), bytes.size(), TemplateLimits{}, &error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_TRUE(table.templates().empty());
  }
}

TEST(TemplateTable, RefusesBadEditFieldsAndDuplicates) {
  struct Case {
    const char* name;
    std::function<void(std::vector<TemplateBytes>&)> change;
  };
  const Case cases[] = {
      {"edit of length 0", [](auto& t) { t[0].items[8].maxLength = 0; }},
      {"unknown edit kind", [](auto& t) { t[0].items[8].editKind = 0x0010; }},
      {"date edit not 8 long", [](auto& t) { t[0].items[5].maxLength = 9; }},
      {"edit longer than the limit", [](auto& t) { t[0].items[8].maxLength = 5000; }},
      {"the same id twice", [](auto& t) { t.push_back(t[0]); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<TemplateBytes> templates = SmallDialog();
    c.change(templates);
    const std::vector<unsigned char> bytes = BuildTable(templates);
    TemplateTable table;
    std::string error;
    EXPECT_FALSE(table.Parse(bytes.data(), bytes.size(), TemplateLimits{}, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(TemplateTable, LimitsCapSizesAndCounts) {
  const std::vector<unsigned char> bytes = BuildTable(SmallDialog());
  TemplateLimits tight;
  tight.maxItems = 5;
  TemplateTable table;
  std::string error;
  EXPECT_FALSE(table.Parse(bytes.data(), bytes.size(), tight, &error));
  EXPECT_NE(error.find("za dużo elementów"), std::string::npos) << error;
  tight = TemplateLimits{};
  tight.maxTableBytes = 16;
  EXPECT_FALSE(table.Parse(bytes.data(), bytes.size(), tight, &error));
  EXPECT_NE(error.find("za długa"), std::string::npos) << error;
}

// Every prefix of a good table (with its own length word) is refused cleanly, never read past.
TEST(TemplateTable, EveryTruncationIsRefused) {
  const std::vector<unsigned char> good = BuildTable(SmallDialog());
  for (std::size_t size = 0; size < good.size(); ++size) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> cut(good.begin(), good.begin() + static_cast<long>(size));
    TemplateTable table;
    std::string error;
    // Exactly `size` bytes exist: the parser sees the original length word and must stop.
    EXPECT_FALSE(table.Parse(cut.data(), cut.size(), TemplateLimits{}, &error));
    EXPECT_FALSE(error.empty());
  }
}

// Each byte corrupted in turn (three ways): the table is valid or refused with a message.
TEST(TemplateTable, CorruptingAnyByteGivesAValidTableOrACleanError) {
  const std::vector<unsigned char> good = BuildTable(SmallDialog());
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (unsigned char value : {static_cast<unsigned char>(good[i] ^ 0xFF),
                                static_cast<unsigned char>(0), static_cast<unsigned char>(good[i] + 1)}) {
      std::vector<unsigned char> bytes = good;
      bytes[i] = value;
      TemplateTable table;
      std::string error;
      const bool ok = table.Parse(bytes.data(), bytes.size(), TemplateLimits{}, &error);
      if (ok) {
        for (const DialogTemplate& t : table.templates()) {
          EXPECT_GT(t.width, 0);
          for (const auto& item : t.items) EXPECT_LE(item.dataOffset + item.dataSize, t.dataSize);
        }
      } else {
        EXPECT_FALSE(error.empty()) << "byte " << i;
      }
    }
  }
}

}  // namespace
