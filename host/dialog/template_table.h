// The plug-ins' dialog template tables: parsed bounds-checked into templates, with the data
// block laid out by the binding rule.
//
// Table layout (little-endian; texts NUL-terminated Mazovia):
//   offset 0  uint32  length L of what follows; the table is 4 + L bytes
//   records   uint16 body length B (what follows this word and the count), uint16 item count;
//             body: int16 -1, uint16 id, uint16 flags, 3 x uint16, uint16 width, uint16 height,
//             2 x uint16, caption, then the items; the items end exactly at the body's end
//   item      [edit fields: uint16 5, uint16 0x26] uint16 type, id, flags, hot key;
//             int16 column, row, width, height; uint32 extra; text;
//             [edit fields: 7 bytes, uint16 max length, uint16 kind, uint16, uint16 max length
//             again, uint16, 1 byte]
// Binding rule: in item order a tab page takes an int16, a run of consecutive check boxes one
// uint16 (bit i = i-th box), an edit field max length + 1 bytes, a choice list an int16.
//
// Parsing takes limits and never reads past the bytes it is given; a malformed table is refused
// with a Polish message that names the offset. The parsed table owns copies of everything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host::dialog {

enum ItemType : std::uint16_t {
  kButton = 0, kTabPage = 1, kCheckBox = 2, kStaticText = 3, kDisplayLine = 4,
  kEditField = 5, kChoiceList = 6, kFrame = 7,
};
inline constexpr std::uint16_t kEditKindText = 0x0008;
inline constexpr std::uint16_t kEditKindDate = 0x0208;
inline constexpr std::uint16_t kNoId = 0xFFFF;
// Item flag: the control only shows its value (never focused, never changed by the user).
inline constexpr std::uint16_t kItemFlagReadOnly = 0x0002;
// Item flag of the host's own templates: an edit field whose text is shown as asterisks.
inline constexpr std::uint16_t kItemFlagSecret = 0x8000;

struct TemplateItem {
  std::uint16_t type = 0;
  std::uint16_t id = kNoId;
  std::uint16_t flags = 0;
  std::uint16_t hotKey = 0;
  std::int16_t column = 0, row = 0, width = 0, height = 0;
  std::uint32_t extra = 0;
  std::string text;  // Mazovia, control bytes kept
  std::uint16_t maxLength = 0;  // edit fields
  std::uint16_t editKind = 0;   // edit fields
  // Binding: where the item's value lies in the data block (size 0: no value).
  std::size_t dataOffset = 0;
  std::size_t dataSize = 0;
  int bit = -1;   // check boxes: the bit of the run's word
  int page = -1;  // index of the tab page item the item shows on; -1: on every page
};

struct DialogTemplate {
  std::uint16_t id = 0;
  std::uint16_t flags = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::string caption;  // Mazovia
  std::vector<TemplateItem> items;
  std::size_t dataSize = 0;  // size of the data block by the binding rule

  int IndexOfId(int id) const;  // first item with that id, or -1
};

struct TemplateLimits {
  std::size_t maxTableBytes = 1u << 20;
  std::size_t maxTemplates = 64;
  std::size_t maxItems = 512;
  std::size_t maxTextBytes = 4096;
  int maxWidth = 250;
  int maxHeight = 100;
  std::uint16_t maxEditLength = 4096;
};

class TemplateTable {
 public:
  // Parses the table at `data`, of which at most `available` bytes may be read (pass the
  // length word + 4 when the caller knows no more). False with a Polish message on any fault.
  bool Parse(const unsigned char* data, std::size_t available, const TemplateLimits& limits,
             std::string* error);

  const DialogTemplate* Find(int id) const;
  const std::vector<DialogTemplate>& templates() const { return templates_; }

 private:
  std::vector<DialogTemplate> templates_;
};

// Lays out the data block of a template by the binding rule (called by Parse; public for
// templates that the host builds itself).
void BindTemplate(DialogTemplate& t);

// The hot letter of an item (upper case ASCII/Mazovia byte), from its hot key or the letter
// between tildes of its text; 0 when it has none.
unsigned char HotLetter(const TemplateItem& item);

}  // namespace host::dialog
