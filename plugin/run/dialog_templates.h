// The plug-in's dialog template table: templates 20138 (export options), 20139 (decree
// configuration) and 20140 (processing), in this order, in the host engine's byte layout.
//
// The table is static data built at compile time; every dialog call hands the whole table to the
// host, which picks a template by its id. Layout (little-endian, texts NUL-terminated Mazovia):
//
//   table     uint32 length of what follows, then the template records
//   record    uint16 length of the record after this word and the next; uint16 item count;
//             header: int16 -1, uint16 id, uint16 flags, 3 x uint16 0, uint16 width,
//             uint16 height, 2 x uint16 0, caption; then the items
//   item      edit fields only: uint16 5, uint16 0x26 ahead of the common part
//             common: uint16 type, id, flags, hot key; int16 column, row, width, height;
//             uint32 extra; text
//             edit fields only, 18 bytes: 7 x 0, uint16 max length, uint16 edit kind, uint16 0,
//             uint16 max length, uint16 1, one 0 byte
//
// The data block of a template holds, in item order, an int16 per tab page, a uint16 per run of
// consecutive check boxes (bit i = i-th box of the run), max length + 1 bytes per edit field and
// an int16 per choice list; nothing for the other items.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plugin {

inline constexpr int kOptionsDialogId = 20138;
inline constexpr int kDecreeDialogId = 20139;
inline constexpr int kProgressTemplateId = 20140;

// Item types of a template.
enum DialogItemType : std::uint16_t {
  kItemButton = 0,
  kItemTabPage = 1,
  kItemCheckBox = 2,
  kItemStaticText = 3,
  kItemDisplayLine = 4,
  kItemEditField = 5,
  kItemChoiceList = 6,
  kItemFrame = 7,
};

inline constexpr std::uint16_t kEditText = 0x0008;
inline constexpr std::uint16_t kEditDate = 0x0208;

// Dialog results and engine codes the handlers use.
inline constexpr int kDialogOk = 0x5001;
inline constexpr int kDialogCancel = 0x5002;

// The whole table (its first four bytes are the length word) and its size in bytes.
extern const unsigned char* const kDialogTemplateTable;
extern const std::size_t kDialogTemplateTableSize;

}  // namespace plugin
