// The plug-in's template table read back through the host's parser: every item of the options,
// decree and processing templates, and the data blocks that the binding rule gives, against the
// exporter's option block and decree template layouts.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "dialog/template_table.h"
#include "run/dialog_templates.h"
#include "run/exporter.h"

namespace {

using host::dialog::DialogTemplate;
using host::dialog::TemplateTable;

struct Expected {
  int type, id, flags, hotKey, column, row, width, height;
  unsigned extra;
  std::string text;  // UTF-8 with the control bytes
  int maxLength = 0;
  int editKind = 0;
};

constexpr int B = 0, P = 1, C = 2, S = 3, D = 4, E = 5, L = 6, F = 7;
constexpr int kNone = 0xFFFF;

const TemplateTable& Table() {
  static TemplateTable table = [] {
    TemplateTable t;
    std::string error;
    EXPECT_TRUE(t.Parse(plugin::kDialogTemplateTable, plugin::kDialogTemplateTableSize,
                        host::dialog::TemplateLimits{}, &error))
        << error;
    return t;
  }();
  return table;
}

void ExpectItems(const DialogTemplate& t, const std::vector<Expected>& expected) {
  ASSERT_EQ(t.items.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i + 1));
    const auto& item = t.items[i];
    const Expected& e = expected[i];
    EXPECT_EQ(item.type, e.type);
    EXPECT_EQ(item.id, e.id);
    EXPECT_EQ(item.flags, e.flags);
    EXPECT_EQ(item.hotKey, e.hotKey);
    EXPECT_EQ(item.column, e.column);
    EXPECT_EQ(item.row, e.row);
    EXPECT_EQ(item.width, e.width);
    EXPECT_EQ(item.height, e.height);
    EXPECT_EQ(item.extra, e.extra);
    EXPECT_EQ(host::MazoviaToUtf8(item.text), e.text);
    EXPECT_EQ(item.maxLength, e.maxLength);
    EXPECT_EQ(item.editKind, e.editKind);
  }
}

TEST(DialogTemplates, TheTableHoldsTheThreeTemplatesInOrder) {
  const auto& templates = Table().templates();
  ASSERT_EQ(templates.size(), 3u);
  struct Case {
    int id, flags, width, height;
    const char* caption;
  };
  const Case cases[] = {
      {20138, 0, 80, 26, "Zakres eksportu dokumentów"},
      {20139, 0, 84, 21, "Konfiguracja dekretu"},
      {20140, 0x4008, 48, 5, "Przetwarzanie"},
  };
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(cases[i].id);
    EXPECT_EQ(templates[i].id, cases[i].id);
    EXPECT_EQ(templates[i].flags, cases[i].flags);
    EXPECT_EQ(templates[i].width, cases[i].width);
    EXPECT_EQ(templates[i].height, cases[i].height);
    EXPECT_EQ(host::MazoviaToUtf8(templates[i].caption), cases[i].caption);
  }
  // The length word covers exactly the rest of the table.
  const unsigned char* b = plugin::kDialogTemplateTable;
  EXPECT_EQ(static_cast<std::size_t>(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24) + 4,
            plugin::kDialogTemplateTableSize);
}

TEST(DialogTemplates, OptionsDialogItems) {
  const DialogTemplate* t = Table().Find(20138);
  ASSERT_NE(t, nullptr);
  ExpectItems(*t, {
      {F, 0x4343, 0, 0, 2, 3, 76, 20, 1, ""},
      {B, 0x5001, 0x0004, 0x8600, 16, 23, 10, 1, 0, "\x05" "F12" "\x01" " OK"},
      {B, 0x5002, 0, 0x41, 30, 23, 10, 1, 0, "~A~nuluj"},
      {B, 0x4400, 0x0100, 0x4400, 44, 23, 19, 1, 0, "\x05" "F10" "\x01" " Konfig e-mail"},
      {B, 0x5F00, 0x0910, 0x5F00, 1000, 1000, 1, 1, 0, ""},
      {P, 0x3C00, 0x0300, 0, 3, 2, 14, 1, 0, "\x02" "F2" "\x01" " Ogólne"},
      {S, 0x410C, 0, 0x4F, 4, 4, 8, 1, 0, "~O~d dnia:"},
      {E, 0x410D, 0x0400, 0, 12, 4, 15, 1, 0, "", 8, 0x0208},
      {S, 0x410E, 0, 0x4F, 28, 4, 3, 1, 0, "d~o~:"},
      {E, 0x410F, 0x0400, 0, 32, 4, 15, 1, 0, "", 8, 0x0208},
      {B, 0x4016, 0x0580, 0x2B, 47, 4, 18, 1, 0, "\x01" "c" "\x01" "Dzień/Mies" "\x05" "+" "\x01"},
      {S, 0x4110, 0x0800, 0, 4, 6, 9, 1, 0, "Zakres:"},
      {C, 0x4111, 0x0400, 0x53, 4, 7, 70, 1, 0, "Faktury i korekty ~s~przedaży krajowe i unijne"},
      {C, 0x4115, 0x0400, 0x54, 4, 8, 70, 1, 65536, "Fak~t~ury dla os. fizycznych (faktury w tabeli paragonów)"},
      {S, kNone, 0, 0, 4, 10, 16, 1, 0, "Sposób wysłania:"},
      {C, 0x4102, 0x0400, 0x45, 4, 11, 70, 1, 0, "Spakowanie danych i wysłanie ~e~-mailem"},
      {C, 0x4103, 0x0400, 0x44, 4, 12, 70, 1, 0, "Nie eksportuj ~d~okumentów już wyeksportowanych"},
      {S, 0x411E, 0, 0x3A, 4, 14, 6, 1, 0, "Plik~:~"},
      {E, 0x410B, 0x0400, 0, 10, 14, 53, 1, 0, "", 120, 0x0008},
      {B, 0x4000, 0x0180, 0x4000, 63, 14, 11, 1, 0, "Wybierz"},
      {S, 0x411F, 0, 0, 4, 16, 6, 1, 0, "Opcje:"},
      {C, 0x4120, 0x0400, 0, 4, 17, 70, 1, 2 * 65536, "Nie eksportuj faktur wystawionych do paragonów."},
      {C, 0x4124, 0x0400, 0x4B, 4, 18, 70, 1, 3 * 65536, "Nie eksportuj informacji o ~k~aucjach"},
      {C, 0x4125, 0x0400, 0x50, 4, 19, 70, 1, 4 * 65536, "~P~okaż plik eksportowany"},
      {P, 0x3D00, 0x0300, 0, 17, 2, 15, 1, 0, "\x02" "F3" "\x01" " Dekrety"},
      {S, kNone, 0, 0x55, 4, 4, 14, 1, 0, "~U~żyj szablonu:"},
      {L, 0x4116, 0x0100, 0, 24, 4, 11, 1, 0, " 1\n 2\n 3\n 4\n"},
      {S, kNone, 0, 0, 4, 6, 14, 1, 0, "Typ dokumentu:"},
      {C, kNone, 0x0402, 0x46, 4, 7, 41, 1, 0, "~F~aktury sprzedaży"},
      {C, kNone, 0x0402, 0x45, 4, 8, 41, 1, 0, "Faktury sprzedaży ~e~ksportowe"},
      {C, kNone, 0x0402, 0x4B, 4, 9, 41, 1, 0, "Fa~k~tury sprzedaży korygujące"},
      {C, kNone, 0x0402, 0x54, 4, 10, 41, 1, 0, "Fak~t~ur sprz. koryg. eksportowe"},
      {D, kNone, 0, 0, 1, 1, 1, 1, 0, ""},
      {B, 0x4102, 0x0580, 0x4E, 45, 7, 9, 1, 0, " Ko~n~fig"},
      {D, kNone, 0, 0, 1, 1, 1, 1, 0, ""},
      {B, 0x4103, 0x0580, 0x47, 45, 8, 9, 1, 0, " Konfi~g~"},
      {D, kNone, 0, 0, 1, 1, 1, 1, 0, ""},
      {B, 0x4104, 0x0580, 0x49, 45, 9, 9, 1, 0, " Konf~i~g"},
      {D, kNone, 0, 0, 1, 1, 1, 1, 0, ""},
      {B, 0x4105, 0x0580, 0x46, 45, 10, 9, 1, 0, " Kon~f~ig"},
      {S, 0x412A, 0, 0, 54, 6, 8, 1, 0, "Rejestr:"},
      {E, 0x412B, 0x0500, 0, 54, 7, 17, 1, 0, "", 20, 0x0008},
      {S, 0x412C, 0, 0, 1, 1, 1, 1, 0, ""},
      {E, 0x412D, 0x0500, 0, 54, 8, 17, 1, 0, "", 20, 0x0008},
      {S, 0x412E, 0, 0, 1, 1, 1, 1, 0, ""},
      {E, 0x412F, 0x0500, 0, 54, 9, 17, 1, 0, "", 20, 0x0008},
      {S, 0x4130, 0, 0, 1, 1, 1, 1, 0, ""},
      {E, 0x4131, 0x0500, 0, 54, 10, 17, 1, 0, "", 20, 0x0008},
      {S, kNone, 0, 0x4A, 4, 13, 51, 1, 0, "~J~ako kod kontrahenta użyj (litera 'K' w dekretach):"},
      {L, 0x4101, 0, 0, 4, 14, 41, 1, 0,
       " Niepowtarzalny nr kontrahenta\n Symbol kontrahenta\n NIP kontrahenta\n Nr konta księgowego\n"
       " Informacje 3 (rubryka 19)\n NIP kontrahenta (bez kresek)\n Nic nie wpisuj\n"},
  });
}

TEST(DialogTemplates, DecreeDialogItems) {
  const DialogTemplate* t = Table().Find(20139);
  ASSERT_NE(t, nullptr);
  std::vector<Expected> rows = {
      {S, 0x4102, 0, 0x42, 2, 3, 7, 1, 0, "~B~rutto:"},
      {E, 0x4103, 0x0400, 0, 9, 3, 38, 1, 0, "", 40, 0x0008},
      {S, 0x4104, 0, 0, 47, 2, 7, 1, 0, "Strona:"},
      {L, 0x4105, 0, 0, 47, 3, 8, 1, 0, " WN\n MA\n"},
      {S, 0x4106, 0, 0, 55, 2, 17, 1, 0, "Konto:"},
      {E, 0x4107, 0x0400, 0, 55, 3, 18, 1, 0, "", 20, 0x0008},
      {S, 0x410C, 0, 0x56, 2, 4, 7, 1, 0, "~V~at:"},
      {E, 0x410D, 0x0400, 0, 9, 4, 38, 1, 0, "", 40, 0x0008},
      {S, 0x410E, 0x0800, 0, 1, 1, 1, 1, 0, ""},
      {L, 0x410F, 0, 0, 47, 4, 8, 1, 0, " WN\n MA\n"},
      {S, 0x4110, 0, 0, 1, 1, 1, 1, 0, ""},
      {E, 0x4111, 0x0400, 0, 55, 4, 18, 1, 0, "", 20, 0x0008},
  };
  for (int i = 0; i < 12; ++i) {
    const int base = 0x4116 + 10 * i;
    const int row = 5 + i;
    rows.push_back({S, base, 0, 0x4E, 2, row, 7, 1, 0, "~N~etto:"});
    rows.push_back({E, base + 1, 0x0400, 0, 9, row, 38, 1, 0, "", 40, 0x0008});
    rows.push_back({S, base + 2, 0x0800, 0, 1, 1, 1, 1, 0, ""});
    rows.push_back({L, base + 3, 0, 0, 47, row, 8, 1, 0, " WN\n MA\n"});
    rows.push_back({S, base + 4, 0, 0, 1, 1, 1, 1, 0, ""});
    rows.push_back({E, base + 5, 0x0400, 0, 55, row, 18, 1, 0, "", 20, 0x0008});
    if (i > 0) rows.push_back({B, base + 6, 0x0180, 0, 73, row, 9, 1, 0, "Towar"});
  }
  rows.push_back({B, 0x5001, 0x0004, 0x8600, 29, 18, 10, 1, 0, "\x05" "F12" "\x01" " OK"});
  rows.push_back({B, 0x5002, 0, 0x41, 43, 18, 10, 1, 0, "~A~nuluj"});
  ExpectItems(*t, rows);
  // Spot checks from the row table: row 1's items and its button, row 11's button is item 95.
  EXPECT_EQ(t->items[18].id, 0x4120);
  EXPECT_EQ(t->items[24].id, 0x4126);
  EXPECT_EQ(t->items[94].id, 0x418A);
}

// The processing template, byte for byte as written out by hand.
TEST(DialogTemplates, ProcessingTemplateBytes) {
  const std::vector<unsigned char> expected = {
      // record: body length 120 (header 20, caption 14, frame 21, line 20 + 45), 2 items
      0x78, 0x00, 0x02, 0x00,
      // header: -1, 20140, 0x4008, 0, 0, 0, 48, 5, 0, 0, "Przetwarzanie"
      0xFF, 0xFF, 0xAC, 0x4E, 0x08, 0x40, 0, 0, 0, 0, 0, 0, 0x30, 0, 0x05, 0, 0, 0, 0, 0,
      'P', 'r', 'z', 'e', 't', 'w', 'a', 'r', 'z', 'a', 'n', 'i', 'e', 0,
      // frame: type 7, id none, flags 0, key 0, 3, 1, 42 x 3, extra 3, no text
      0x07, 0, 0xFF, 0xFF, 0, 0, 0, 0, 3, 0, 1, 0, 42, 0, 3, 0, 3, 0, 0, 0, 0,
      // display line 0x4003 at 4, 2, 40 x 1
      0x04, 0, 0x03, 0x40, 0, 0, 0, 0, 4, 0, 2, 0, 40, 0, 1, 0, 0, 0, 0, 0,
      '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 0x05,
      '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 0x02,
      '1', '2', '3', '4', '5', 0x03, '6', '7', '8', '9', '0', 0x04,
      '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 0,
  };
  ASSERT_GE(plugin::kDialogTemplateTableSize, expected.size());
  const std::vector<unsigned char> tail(
      plugin::kDialogTemplateTable + plugin::kDialogTemplateTableSize - expected.size(),
      plugin::kDialogTemplateTable + plugin::kDialogTemplateTableSize);
  EXPECT_EQ(tail, expected);
}

// An edit field's bytes: its two leading words, the common part and its 18-byte tail.
TEST(DialogTemplates, EditFieldBytesOfTheDateFrom) {
  // The first record's header (20 bytes) and caption (26 Mazovia bytes + NUL) start at 8.
  const unsigned char* b = plugin::kDialogTemplateTable;
  std::size_t pos = 8 + 20 + 27;
  const DialogTemplate* t = Table().Find(20138);
  ASSERT_NE(t, nullptr);
  // Skip items 1 to 7 by their sizes: common part 20 bytes + text + NUL.
  for (int i = 0; i < 7; ++i) pos += 20 + t->items[static_cast<std::size_t>(i)].text.size() + 1;
  const std::vector<unsigned char> expected = {
      5, 0, 0x26, 0,                                   // edit field words
      5, 0, 0x0D, 0x41, 0x00, 0x04, 0, 0,              // type, id, flags, hot key
      12, 0, 4, 0, 15, 0, 1, 0, 0, 0, 0, 0, 0,         // position, size, extra, empty text
      0, 0, 0, 0, 0, 0, 0, 8, 0, 0x08, 0x02, 0, 0, 8, 0, 1, 0, 0,  // tail
  };
  EXPECT_EQ(std::vector<unsigned char>(b + pos, b + pos + expected.size()), expected);
}

TEST(DialogTemplates, DataBlocksAreTheOptionBlockAndTheDecreeRows) {
  using plugin::DekrSchema;
  using plugin::OptionsBlock;
  const DialogTemplate* options = Table().Find(20138);
  const DialogTemplate* decree = Table().Find(20139);
  ASSERT_NE(options, nullptr);
  ASSERT_NE(decree, nullptr);
  EXPECT_EQ(options->dataSize, sizeof(OptionsBlock));
  EXPECT_EQ(decree->dataSize, plugin::kDecreeDialogDataSize);
  EXPECT_EQ(Table().Find(20140)->dataSize, 0u);
  struct Case {
    const DialogTemplate* t;
    int item;  // 1-based, as the item tables count
    std::size_t offset;
    int bit;
  };
  const Case cases[] = {
      {options, 6, offsetof(OptionsBlock, tabGeneral), -1},
      {options, 8, offsetof(OptionsBlock, dateFrom), -1},
      {options, 10, offsetof(OptionsBlock, dateTo), -1},
      {options, 13, offsetof(OptionsBlock, scope), 0},
      {options, 14, offsetof(OptionsBlock, scope), 1},
      {options, 16, offsetof(OptionsBlock, sending), 0},
      {options, 17, offsetof(OptionsBlock, sending), 1},
      {options, 19, offsetof(OptionsBlock, fileName), -1},
      {options, 22, offsetof(OptionsBlock, options), 0},
      {options, 23, offsetof(OptionsBlock, options), 1},
      {options, 24, offsetof(OptionsBlock, options), 2},
      {options, 25, offsetof(OptionsBlock, tabDecrees), -1},
      {options, 27, offsetof(OptionsBlock, schemaIndex), -1},
      {options, 29, offsetof(OptionsBlock, docTypeBoxes), 0},
      {options, 32, offsetof(OptionsBlock, docTypeBoxes), 3},
      {options, 42, offsetof(OptionsBlock, rejestr), -1},
      {options, 44, offsetof(OptionsBlock, rejestr) + 21, -1},
      {options, 46, offsetof(OptionsBlock, rejestr) + 42, -1},
      {options, 48, offsetof(OptionsBlock, rejestr) + 63, -1},
      {options, 50, offsetof(OptionsBlock, contractorCodeMode), -1},
      {decree, 2, offsetof(DekrSchema, brutto) + offsetof(plugin::DekretRow, opis), -1},
      {decree, 4, offsetof(DekrSchema, brutto) + offsetof(plugin::DekretRow, strona), -1},
      {decree, 6, offsetof(DekrSchema, brutto) + offsetof(plugin::DekretRow, konto), -1},
      {decree, 8, offsetof(DekrSchema, vat), -1},
      {decree, 12, offsetof(DekrSchema, vat) + offsetof(plugin::DekretRow, konto), -1},
      {decree, 14, offsetof(DekrSchema, netto), -1},
      {decree, 20, offsetof(DekrSchema, netto) + sizeof(plugin::DekretRow), -1},
      {decree, 90, offsetof(DekrSchema, netto) + 11 * sizeof(plugin::DekretRow), -1},
      {decree, 92, offsetof(DekrSchema, netto) + 11 * sizeof(plugin::DekretRow) + 41, -1},
      {decree, 94, offsetof(DekrSchema, netto) + 11 * sizeof(plugin::DekretRow) + 43, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.t->id) + " item " + std::to_string(c.item));
    const auto& item = c.t->items[static_cast<std::size_t>(c.item - 1)];
    EXPECT_EQ(item.dataOffset, c.offset);
    EXPECT_EQ(item.bit, c.bit);
  }
}

}  // namespace
