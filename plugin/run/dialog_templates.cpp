// The dialog template table, built at compile time from the item tables below.
//
// Each template is written as a readable table of items (texts in UTF-8, with the control bytes
// 1 to 5 as \x01..\x05); a consteval writer lays them out in the engine's byte format and turns
// every text into Mazovia. A text that Mazovia cannot hold, or a length that does not fit its
// word, stops the build.
#include "run/dialog_templates.h"

#include <array>
#include <span>
#include <string_view>

#include "format/codepage.h"

namespace plugin {
namespace {

struct ItemSpec {
  std::uint16_t type;
  std::uint16_t id;
  std::uint16_t flags;
  std::uint16_t hotKey;
  std::int16_t column;
  std::int16_t row;
  std::int16_t width;
  std::int16_t height;
  std::uint32_t extra;
  std::string_view text;  // UTF-8
  std::uint16_t maxLength = 0;  // edit fields only
  std::uint16_t editKind = 0;   // edit fields only
};

struct TemplateSpec {
  std::uint16_t id;
  std::uint16_t flags;
  std::uint16_t width;
  std::uint16_t height;
  std::string_view caption;  // UTF-8
  std::span<const ItemSpec> items;
};

constexpr std::uint16_t kNone = 0xFFFF;
constexpr std::uint16_t kNoKey = 0;

constexpr ItemSpec Item(std::uint16_t type, std::uint16_t id, std::uint16_t flags,
                        std::uint16_t hotKey, std::int16_t column, std::int16_t row,
                        std::int16_t width, std::int16_t height, std::uint32_t extra,
                        std::string_view text) {
  return ItemSpec{type, id, flags, hotKey, column, row, width, height, extra, text};
}

constexpr ItemSpec Edit(std::uint16_t id, std::uint16_t flags, std::int16_t column,
                        std::int16_t row, std::int16_t width, std::uint16_t maxLength,
                        std::uint16_t kind) {
  return ItemSpec{kItemEditField, id, flags, kNoKey, column, row, width, 1, 0, "", maxLength, kind};
}

// --- Template 20138: export options ---------------------------------------------------------
constexpr ItemSpec kOptionsItems[] = {
    Item(kItemFrame, 0x4343, 0x0000, kNoKey, 2, 3, 76, 20, 1, ""),
    Item(kItemButton, 0x5001, 0x0004, 0x8600, 16, 23, 10, 1, 0, "\x05" "F12" "\x01" " OK"),
    Item(kItemButton, 0x5002, 0x0000, 0x0041, 30, 23, 10, 1, 0, "~A~nuluj"),
    Item(kItemButton, 0x4400, 0x0100, 0x4400, 44, 23, 19, 1, 0, "\x05" "F10" "\x01" " Konfig e-mail"),
    Item(kItemButton, 0x5F00, 0x0910, 0x5F00, 1000, 1000, 1, 1, 0, ""),
    // Page "Ogólne"
    Item(kItemTabPage, 0x3C00, 0x0300, kNoKey, 3, 2, 14, 1, 0, "\x02" "F2" "\x01" " Ogólne"),
    Item(kItemStaticText, 0x410C, 0x0000, 0x004F, 4, 4, 8, 1, 0, "~O~d dnia:"),
    Edit(0x410D, 0x0400, 12, 4, 15, 8, kEditDate),
    Item(kItemStaticText, 0x410E, 0x0000, 0x004F, 28, 4, 3, 1, 0, "d~o~:"),
    Edit(0x410F, 0x0400, 32, 4, 15, 8, kEditDate),
    Item(kItemButton, 0x4016, 0x0580, 0x002B, 47, 4, 18, 1, 0,
         "\x01" "c" "\x01" "Dzień/Mies" "\x05" "+" "\x01"),
    Item(kItemStaticText, 0x4110, 0x0800, kNoKey, 4, 6, 9, 1, 0, "Zakres:"),
    Item(kItemCheckBox, 0x4111, 0x0400, 0x0053, 4, 7, 70, 1, 0,
         "Faktury i korekty ~s~przedaży krajowe i unijne"),
    Item(kItemCheckBox, 0x4115, 0x0400, 0x0054, 4, 8, 70, 1, 1 * 65536,
         "Fak~t~ury dla os. fizycznych (faktury w tabeli paragonów)"),
    Item(kItemStaticText, kNone, 0x0000, kNoKey, 4, 10, 16, 1, 0, "Sposób wysłania:"),
    Item(kItemCheckBox, 0x4102, 0x0400, 0x0045, 4, 11, 70, 1, 0,
         "Spakowanie danych i wysłanie ~e~-mailem"),
    Item(kItemCheckBox, 0x4103, 0x0400, 0x0044, 4, 12, 70, 1, 0,
         "Nie eksportuj ~d~okumentów już wyeksportowanych"),
    Item(kItemStaticText, 0x411E, 0x0000, 0x003A, 4, 14, 6, 1, 0, "Plik~:~"),
    Edit(0x410B, 0x0400, 10, 14, 53, 120, kEditText),
    Item(kItemButton, 0x4000, 0x0180, 0x4000, 63, 14, 11, 1, 0, "Wybierz"),
    Item(kItemStaticText, 0x411F, 0x0000, kNoKey, 4, 16, 6, 1, 0, "Opcje:"),
    Item(kItemCheckBox, 0x4120, 0x0400, kNoKey, 4, 17, 70, 1, 2 * 65536,
         "Nie eksportuj faktur wystawionych do paragonów."),
    Item(kItemCheckBox, 0x4124, 0x0400, 0x004B, 4, 18, 70, 1, 3 * 65536,
         "Nie eksportuj informacji o ~k~aucjach"),
    Item(kItemCheckBox, 0x4125, 0x0400, 0x0050, 4, 19, 70, 1, 4 * 65536,
         "~P~okaż plik eksportowany"),
    // Page "Dekrety"
    Item(kItemTabPage, 0x3D00, 0x0300, kNoKey, 17, 2, 15, 1, 0, "\x02" "F3" "\x01" " Dekrety"),
    Item(kItemStaticText, kNone, 0x0000, 0x0055, 4, 4, 14, 1, 0, "~U~żyj szablonu:"),
    Item(kItemChoiceList, 0x4116, 0x0100, kNoKey, 24, 4, 11, 1, 0, " 1\n 2\n 3\n 4\n"),
    Item(kItemStaticText, kNone, 0x0000, kNoKey, 4, 6, 14, 1, 0, "Typ dokumentu:"),
    Item(kItemCheckBox, kNone, 0x0402, 0x0046, 4, 7, 41, 1, 0, "~F~aktury sprzedaży"),
    Item(kItemCheckBox, kNone, 0x0402, 0x0045, 4, 8, 41, 1, 0, "Faktury sprzedaży ~e~ksportowe"),
    Item(kItemCheckBox, kNone, 0x0402, 0x004B, 4, 9, 41, 1, 0, "Fa~k~tury sprzedaży korygujące"),
    Item(kItemCheckBox, kNone, 0x0402, 0x0054, 4, 10, 41, 1, 0, "Fak~t~ur sprz. koryg. eksportowe"),
    Item(kItemDisplayLine, kNone, 0x0000, kNoKey, 1, 1, 1, 1, 0, ""),
    Item(kItemButton, 0x4102, 0x0580, 0x004E, 45, 7, 9, 1, 0, " Ko~n~fig"),
    Item(kItemDisplayLine, kNone, 0x0000, kNoKey, 1, 1, 1, 1, 0, ""),
    Item(kItemButton, 0x4103, 0x0580, 0x0047, 45, 8, 9, 1, 0, " Konfi~g~"),
    Item(kItemDisplayLine, kNone, 0x0000, kNoKey, 1, 1, 1, 1, 0, ""),
    Item(kItemButton, 0x4104, 0x0580, 0x0049, 45, 9, 9, 1, 0, " Konf~i~g"),
    Item(kItemDisplayLine, kNone, 0x0000, kNoKey, 1, 1, 1, 1, 0, ""),
    Item(kItemButton, 0x4105, 0x0580, 0x0046, 45, 10, 9, 1, 0, " Kon~f~ig"),
    Item(kItemStaticText, 0x412A, 0x0000, kNoKey, 54, 6, 8, 1, 0, "Rejestr:"),
    Edit(0x412B, 0x0500, 54, 7, 17, 20, kEditText),
    Item(kItemStaticText, 0x412C, 0x0000, kNoKey, 1, 1, 1, 1, 0, ""),
    Edit(0x412D, 0x0500, 54, 8, 17, 20, kEditText),
    Item(kItemStaticText, 0x412E, 0x0000, kNoKey, 1, 1, 1, 1, 0, ""),
    Edit(0x412F, 0x0500, 54, 9, 17, 20, kEditText),
    Item(kItemStaticText, 0x4130, 0x0000, kNoKey, 1, 1, 1, 1, 0, ""),
    Edit(0x4131, 0x0500, 54, 10, 17, 20, kEditText),
    Item(kItemStaticText, kNone, 0x0000, 0x004A, 4, 13, 51, 1, 0,
         "~J~ako kod kontrahenta użyj (litera 'K' w dekretach):"),
    Item(kItemChoiceList, 0x4101, 0x0000, kNoKey, 4, 14, 41, 1, 0,
         " Niepowtarzalny nr kontrahenta\n Symbol kontrahenta\n NIP kontrahenta\n"
         " Nr konta księgowego\n Informacje 3 (rubryka 19)\n NIP kontrahenta (bez kresek)\n"
         " Nic nie wpisuj\n"),
};
static_assert(std::size(kOptionsItems) == 50);

// --- Template 20139: decree configuration ---------------------------------------------------
constexpr int kDecreeItemCount = 97;

constexpr std::array<ItemSpec, kDecreeItemCount> MakeDecreeItems() {
  std::array<ItemSpec, kDecreeItemCount> items{};
  std::size_t n = 0;
  const std::string_view sides = " WN\n MA\n";
  // Brutto and Vat rows; only the Brutto row carries the column headings.
  items[n++] = Item(kItemStaticText, 0x4102, 0x0000, 0x0042, 2, 3, 7, 1, 0, "~B~rutto:");
  items[n++] = Edit(0x4103, 0x0400, 9, 3, 38, 40, kEditText);
  items[n++] = Item(kItemStaticText, 0x4104, 0x0000, kNoKey, 47, 2, 7, 1, 0, "Strona:");
  items[n++] = Item(kItemChoiceList, 0x4105, 0x0000, kNoKey, 47, 3, 8, 1, 0, sides);
  items[n++] = Item(kItemStaticText, 0x4106, 0x0000, kNoKey, 55, 2, 17, 1, 0, "Konto:");
  items[n++] = Edit(0x4107, 0x0400, 55, 3, 18, 20, kEditText);
  items[n++] = Item(kItemStaticText, 0x410C, 0x0000, 0x0056, 2, 4, 7, 1, 0, "~V~at:");
  items[n++] = Edit(0x410D, 0x0400, 9, 4, 38, 40, kEditText);
  items[n++] = Item(kItemStaticText, 0x410E, 0x0800, kNoKey, 1, 1, 1, 1, 0, "");
  items[n++] = Item(kItemChoiceList, 0x410F, 0x0000, kNoKey, 47, 4, 8, 1, 0, sides);
  items[n++] = Item(kItemStaticText, 0x4110, 0x0000, kNoKey, 1, 1, 1, 1, 0, "");
  items[n++] = Edit(0x4111, 0x0400, 55, 4, 18, 20, kEditText);
  // Netto rows 0 to 11; rows 1 to 11 end with a "Towar" button.
  for (int i = 0; i < 12; ++i) {
    const auto base = static_cast<std::uint16_t>(0x4116 + 10 * i);
    const auto row = static_cast<std::int16_t>(5 + i);
    items[n++] = Item(kItemStaticText, base, 0x0000, 0x004E, 2, row, 7, 1, 0, "~N~etto:");
    items[n++] = Edit(base + 1, 0x0400, 9, row, 38, 40, kEditText);
    items[n++] = Item(kItemStaticText, base + 2, 0x0800, kNoKey, 1, 1, 1, 1, 0, "");
    items[n++] = Item(kItemChoiceList, base + 3, 0x0000, kNoKey, 47, row, 8, 1, 0, sides);
    items[n++] = Item(kItemStaticText, base + 4, 0x0000, kNoKey, 1, 1, 1, 1, 0, "");
    items[n++] = Edit(base + 5, 0x0400, 55, row, 18, 20, kEditText);
    if (i > 0)
      items[n++] = Item(kItemButton, base + 6, 0x0180, kNoKey, 73, row, 9, 1, 0, "Towar");
  }
  items[n++] = Item(kItemButton, 0x5001, 0x0004, 0x8600, 29, 18, 10, 1, 0, "\x05" "F12" "\x01" " OK");
  items[n++] = Item(kItemButton, 0x5002, 0x0000, 0x0041, 43, 18, 10, 1, 0, "~A~nuluj");
  if (n != kDecreeItemCount) throw "the decree dialog must have 97 items";
  return items;
}
constexpr auto kDecreeItems = MakeDecreeItems();

// --- Template 20140: processing -------------------------------------------------------------
constexpr ItemSpec kProgressItems[] = {
    Item(kItemFrame, kNone, 0x0000, kNoKey, 3, 1, 42, 3, 3, ""),
    Item(kItemDisplayLine, 0x4003, 0x0000, kNoKey, 4, 2, 40, 1, 0,
         "1234567890" "\x05" "1234567890" "\x02" "12345" "\x03" "67890" "\x04" "1234567890"),
};

constexpr TemplateSpec kTemplates[] = {
    {kOptionsDialogId, 0x0000, 80, 26, "Zakres eksportu dokumentów", kOptionsItems},
    {kDecreeDialogId, 0x0000, 84, 21, "Konfiguracja dekretu", kDecreeItems},
    {kProgressTemplateId, 0x4008, 48, 5, "Przetwarzanie", kProgressItems},
};

// --- The writer -----------------------------------------------------------------------------

// Number of Mazovia bytes of a UTF-8 text, without its terminator; stops the build on a
// character that Mazovia cannot hold.
consteval std::size_t MazoviaLength(std::string_view utf8) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::int32_t cp = codepage::DecodeUtf8(utf8.data(), utf8.size(), i);
    if (cp < 0 || codepage::UnicodeToMazovia(cp) < 0) throw "a template text is not Mazovia";
    ++count;
  }
  return count;
}

consteval std::size_t ItemSize(const ItemSpec& item) {
  const std::size_t common = 4 * 2 + 4 * 2 + 4 + MazoviaLength(item.text) + 1;
  return item.type == kItemEditField ? 4 + common + 18 : common;
}

consteval std::size_t RecordBodySize(const TemplateSpec& t) {
  std::size_t size = 10 * 2 + MazoviaLength(t.caption) + 1;  // header words and caption
  for (const ItemSpec& item : t.items) size += ItemSize(item);
  return size;
}

consteval std::size_t TableSize() {
  std::size_t size = 4;
  for (const TemplateSpec& t : kTemplates) size += 4 + RecordBodySize(t);
  return size;
}

template <std::size_t N>
struct Writer {
  std::array<unsigned char, N> out{};
  std::size_t pos = 0;

  consteval void Byte(unsigned value) {
    if (pos >= N) throw "template table overflow";
    out[pos++] = static_cast<unsigned char>(value);
  }
  consteval void U16(long value) {
    if (value < -32768 || value > 0xFFFF) throw "a template value does not fit 16 bits";
    const auto bits = static_cast<std::uint16_t>(value);
    Byte(bits & 0xFF);
    Byte(bits >> 8);
  }
  consteval void U32(std::uint64_t value) {
    if (value > 0xFFFFFFFFu) throw "a template value does not fit 32 bits";
    for (int i = 0; i < 4; ++i) Byte(static_cast<unsigned>((value >> (8 * i)) & 0xFF));
  }
  consteval void Text(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
      const std::int32_t cp = codepage::DecodeUtf8(utf8.data(), utf8.size(), i);
      Byte(static_cast<unsigned>(codepage::UnicodeToMazovia(cp)));
    }
    Byte(0);
  }
  consteval void Item(const ItemSpec& item) {
    const bool edit = item.type == kItemEditField;
    if (edit) {
      U16(5);
      U16(0x26);
    }
    U16(item.type);
    U16(item.id);
    U16(item.flags);
    U16(item.hotKey);
    U16(item.column);
    U16(item.row);
    U16(item.width);
    U16(item.height);
    U32(item.extra);
    Text(item.text);
    if (edit) {
      for (int i = 0; i < 7; ++i) Byte(0);
      U16(item.maxLength);
      U16(item.editKind);
      U16(0);
      U16(item.maxLength);
      U16(1);
      Byte(0);
    }
  }
  consteval void Template(const TemplateSpec& t) {
    U16(static_cast<long>(RecordBodySize(t)));
    U16(static_cast<long>(t.items.size()));
    U16(-1);
    U16(t.id);
    U16(t.flags);
    for (int i = 0; i < 3; ++i) U16(0);
    U16(t.width);
    U16(t.height);
    U16(0);
    U16(0);
    Text(t.caption);
    for (const ItemSpec& item : t.items) Item(item);
  }
};

consteval auto BuildTable() {
  Writer<TableSize()> w;
  w.U32(TableSize() - 4);
  for (const TemplateSpec& t : kTemplates) w.Template(t);
  if (w.pos != w.out.size()) throw "template table size mismatch";
  return w.out;
}

constexpr auto kTable = BuildTable();

}  // namespace

const unsigned char* const kDialogTemplateTable = kTable.data();
const std::size_t kDialogTemplateTableSize = kTable.size();

}  // namespace plugin
