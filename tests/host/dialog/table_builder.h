// Builds template tables byte by byte for the engine's tests, in the layout the engine reads
// (texts are passed as Mazovia/ASCII bytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dialog_test {

struct ItemBytes {
  std::uint16_t type;
  std::uint16_t id;
  std::uint16_t flags = 0;
  std::uint16_t hotKey = 0;
  std::int16_t column = 1, row = 1, width = 10, height = 1;
  std::uint32_t extra = 0;
  std::string text;
  std::uint16_t maxLength = 0;
  std::uint16_t editKind = 0x0008;
};

struct TemplateBytes {
  std::uint16_t id;
  std::uint16_t width = 40, height = 10;
  std::string caption;
  std::vector<ItemBytes> items;
  std::uint16_t flags = 0;
};

class Bytes {
 public:
  void U16(unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
  }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
  }
  void Text(const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
  }
  std::vector<unsigned char> out;
};

inline std::vector<unsigned char> BuildTable(const std::vector<TemplateBytes>& templates) {
  Bytes body;
  for (const TemplateBytes& t : templates) {
    Bytes record;
    record.U16(0xFFFF);
    record.U16(t.id);
    record.U16(t.flags);
    record.U16(0), record.U16(0), record.U16(0);
    record.U16(t.width);
    record.U16(t.height);
    record.U16(0), record.U16(0);
    record.Text(t.caption);
    for (const ItemBytes& item : t.items) {
      const bool edit = item.type == 5;
      if (edit) record.U16(5), record.U16(0x26);
      record.U16(item.type), record.U16(item.id), record.U16(item.flags), record.U16(item.hotKey);
      record.U16(static_cast<std::uint16_t>(item.column)), record.U16(static_cast<std::uint16_t>(item.row));
      record.U16(static_cast<std::uint16_t>(item.width)), record.U16(static_cast<std::uint16_t>(item.height));
      record.U32(item.extra);
      record.Text(item.text);
      if (edit) {
        for (int i = 0; i < 7; ++i) record.out.push_back(0);
        record.U16(item.maxLength), record.U16(item.editKind), record.U16(0);
        record.U16(item.maxLength), record.U16(1);
        record.out.push_back(0);
      }
    }
    body.U16(static_cast<unsigned>(record.out.size()));
    body.U16(static_cast<unsigned>(t.items.size()));
    body.out.insert(body.out.end(), record.out.begin(), record.out.end());
  }
  Bytes table;
  table.U32(static_cast<std::uint32_t>(body.out.size()));
  table.out.insert(table.out.end(), body.out.begin(), body.out.end());
  return table.out;
}

// A small dialog with one item of every kind: two pages, a run of two boxes, a date and a text
// edit, a choice list, buttons OK / Anuluj and a button whose id equals a box's id.
inline std::vector<TemplateBytes> SmallDialog() {
  TemplateBytes t{100, 50, 12, "Test", {}};
  t.items = {
      {7, 0x4343, 0, 0, 1, 2, 48, 8, 1, ""},                      // 0 frame
      {0, 0x5001, 4, 0x8600, 5, 10, 10, 1, 0, "\x05" "F12" "\x01" " OK"},  // 1 OK
      {0, 0x5002, 0, 'A', 20, 10, 10, 1, 0, "~A~nuluj"},         // 2 cancel
      {1, 0x3C00, 0, 0, 2, 1, 10, 1, 0, "\x02" "F2" "\x01" " Jeden"},  // 3 page 1
      {3, 0xFFFF, 0, 'D', 3, 3, 6, 1, 0, "~D~ata:"},             // 4 label
      {5, 0x10, 0, 0, 10, 3, 14, 1, 0, "", 8, 0x0208},          // 5 date edit
      {2, 0x20, 0, 'X', 3, 4, 20, 1, 0, "Pole ~x~"},            // 6 box bit 0
      {2, 0x21, 0, 'Y', 3, 5, 20, 1, 0, "Pole ~y~"},            // 7 box bit 1
      {5, 0x11, 0, 0, 10, 6, 14, 1, 0, "", 12, 0x0008},         // 8 text edit
      {1, 0x3D00, 0, 0, 14, 1, 10, 1, 0, "\x02" "F3" "\x01" " Dwa"},   // 9 page 2
      {6, 0x30, 0, 0, 3, 3, 8, 1, 0, " a\n b\n c\n"},           // 10 choice
      {0, 0x20, 0, 'K', 3, 5, 10, 1, 0, "~K~onfig"},            // 11 button, id of box 0x20
      {2, 0xFFFF, 2, 0, 3, 6, 20, 1, 0, "Tylko do odczytu"},   // 12 read-only box
  };
  return {t};
}

}  // namespace dialog_test
