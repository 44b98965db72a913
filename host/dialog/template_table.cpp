#include "dialog/template_table.h"

#include <cstring>
#include <set>

namespace host::dialog {
namespace {

// Reads little-endian values from [pos, end); every read checks the bytes that remain.
class Reader {
 public:
  Reader(const unsigned char* base, std::size_t pos, std::size_t end)
      : base_(base), pos_(pos), end_(end) {}

  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return end_ - pos_; }

  bool U16(std::uint16_t& out) {
    if (remaining() < 2) return false;
    out = static_cast<std::uint16_t>(base_[pos_] | (base_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool I16(std::int16_t& out) {
    std::uint16_t v;
    if (!U16(v)) return false;
    out = static_cast<std::int16_t>(v);
    return true;
  }
  bool U32(std::uint32_t& out) {
    if (remaining() < 4) return false;
    out = static_cast<std::uint32_t>(base_[pos_]) | (static_cast<std::uint32_t>(base_[pos_ + 1]) << 8) |
          (static_cast<std::uint32_t>(base_[pos_ + 2]) << 16) |
          (static_cast<std::uint32_t>(base_[pos_ + 3]) << 24);
    pos_ += 4;
    return true;
  }
  bool Skip(std::size_t n) {
    if (remaining() < n) return false;
    pos_ += n;
    return true;
  }
  // A NUL-terminated text that must end before `end_` and be at most maxBytes long.
  bool Text(std::string& out, std::size_t maxBytes) {
    const void* nul = std::memchr(base_ + pos_, 0, remaining());
    if (nul == nullptr) return false;
    const auto length = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - (base_ + pos_));
    if (length > maxBytes) return false;
    out.assign(reinterpret_cast<const char*>(base_ + pos_), length);
    pos_ += length + 1;
    return true;
  }

 private:
  const unsigned char* base_;
  std::size_t pos_;
  std::size_t end_;
};

std::string At(const char* what, std::size_t offset) {
  return std::string("Nieprawidłowa tablica szablonów okien: ") + what + " (bajt " +
         std::to_string(offset) + ")";
}

bool ParseItem(Reader& r, const TemplateLimits& limits, TemplateItem& item, std::string* error) {
  const std::size_t start = r.pos();
  auto fail = [&](const char* what) {
    if (error) *error = At(what, start);
    return false;
  };
  std::uint16_t first;
  if (!r.U16(first)) return fail("element ucięty");
  const bool edit = first == kEditField;
  if (edit) {
    std::uint16_t marker, type;
    if (!r.U16(marker) || marker != 0x26) return fail("zły znacznik pola edycji");
    if (!r.U16(type) || type != kEditField) return fail("zły typ pola edycji");
  } else if (first > kFrame) {
    return fail("nieznany typ elementu");
  }
  item.type = first;
  if (!r.U16(item.id) || !r.U16(item.flags) || !r.U16(item.hotKey) || !r.I16(item.column) ||
      !r.I16(item.row) || !r.I16(item.width) || !r.I16(item.height) || !r.U32(item.extra))
    return fail("element ucięty");
  if (item.width < 0 || item.height < 0) return fail("ujemny rozmiar elementu");
  if (!r.Text(item.text, limits.maxTextBytes)) return fail("tekst elementu bez zakończenia");
  if (edit) {
    std::uint16_t zero, again, one;
    if (!r.Skip(7) || !r.U16(item.maxLength) || !r.U16(item.editKind) || !r.U16(zero) ||
        !r.U16(again) || !r.U16(one) || !r.Skip(1))
      return fail("pole edycji ucięte");
    if (item.maxLength == 0 || item.maxLength > limits.maxEditLength || again != item.maxLength)
      return fail("zła długość pola edycji");
    if (item.editKind != kEditKindText && item.editKind != kEditKindDate)
      return fail("nieznany rodzaj pola edycji");
    if (item.editKind == kEditKindDate && item.maxLength != 8)
      return fail("pole daty musi mieć długość 8");
  }
  return true;
}

}  // namespace

int DialogTemplate::IndexOfId(int id) const {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].id == id) return static_cast<int>(i);
  return -1;
}

void BindTemplate(DialogTemplate& t) {
  std::size_t offset = 0;
  int page = -1;
  int runBit = -1;  // bit of the next box in the current run; -1: no run open
  std::size_t runOffset = 0;
  for (std::size_t i = 0; i < t.items.size(); ++i) {
    TemplateItem& item = t.items[i];
    if (item.type == kTabPage) page = static_cast<int>(i);
    item.page = page;
    item.bit = -1;
    item.dataSize = 0;
    item.dataOffset = offset;
    if (item.type != kCheckBox) runBit = -1;
    switch (item.type) {
      case kTabPage:
      case kChoiceList:
        item.dataSize = 2;
        break;
      case kEditField:
        item.dataSize = static_cast<std::size_t>(item.maxLength) + 1;
        break;
      case kCheckBox:
        if (runBit < 0 || runBit >= 16) {  // a new run (a 17th box starts another word)
          runOffset = offset;
          runBit = 0;
          offset += 2;
        }
        item.dataOffset = runOffset;
        item.bit = runBit++;
        break;
      default:
        break;
    }
    offset += item.dataSize;
  }
  t.dataSize = offset;
}

unsigned char HotLetter(const TemplateItem& item) {
  auto upper = [](unsigned char c) -> unsigned char {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
  };
  if (item.hotKey != 0 && item.hotKey < 0x100) return upper(static_cast<unsigned char>(item.hotKey));
  const std::size_t tilde = item.text.find('~');
  if (tilde != std::string::npos && tilde + 1 < item.text.size() && item.text[tilde + 1] != '~')
    return upper(static_cast<unsigned char>(item.text[tilde + 1]));
  return 0;
}

bool TemplateTable::Parse(const unsigned char* data, std::size_t available,
                          const TemplateLimits& limits, std::string* error) {
  templates_.clear();
  auto fail = [&](const char* what, std::size_t offset) {
    if (error) *error = At(what, offset);
    templates_.clear();
    return false;
  };
  if (data == nullptr) return fail("brak tablicy", 0);
  Reader head(data, 0, available);
  std::uint32_t length;
  if (!head.U32(length)) return fail("brak długości tablicy", 0);
  if (length > limits.maxTableBytes) return fail("tablica za długa", 0);
  if (length > available - 4) return fail("długość tablicy większa niż dane", 0);
  const std::size_t end = 4 + static_cast<std::size_t>(length);
  std::set<int> ids;
  std::size_t pos = 4;
  while (pos < end) {
    if (templates_.size() >= limits.maxTemplates) return fail("za dużo szablonów", pos);
    Reader r(data, pos, end);
    std::uint16_t bodyLength, count;
    if (!r.U16(bodyLength) || !r.U16(count)) return fail("nagłówek szablonu ucięty", pos);
    if (bodyLength > r.remaining()) return fail("długość szablonu większa niż dane", pos);
    if (count > limits.maxItems) return fail("za dużo elementów szablonu", pos);
    const std::size_t bodyEnd = r.pos() + bodyLength;
    Reader body(data, r.pos(), bodyEnd);
    DialogTemplate t;
    std::int16_t marker;
    std::uint16_t zero;
    if (!body.I16(marker) || marker != -1) return fail("brak znacznika szablonu", r.pos());
    if (!body.U16(t.id) || !body.U16(t.flags) || !body.U16(zero) || !body.U16(zero) ||
        !body.U16(zero) || !body.U16(t.width) || !body.U16(t.height) || !body.U16(zero) ||
        !body.U16(zero))
      return fail("nagłówek szablonu ucięty", r.pos());
    if (t.width == 0 || t.height == 0 || t.width > limits.maxWidth || t.height > limits.maxHeight)
      return fail("zły rozmiar okna", r.pos());
    if (!body.Text(t.caption, limits.maxTextBytes)) return fail("tytuł bez zakończenia", body.pos());
    t.items.resize(count);
    for (TemplateItem& item : t.items)
      if (!ParseItem(body, limits, item, error)) {
        templates_.clear();
        return false;
      }
    if (body.remaining() != 0) return fail("elementy nie wypełniają szablonu", body.pos());
    if (!ids.insert(t.id).second) return fail("powtórzony numer szablonu", pos);
    BindTemplate(t);
    templates_.push_back(std::move(t));
    pos = bodyEnd;
  }
  return true;
}

const DialogTemplate* TemplateTable::Find(int id) const {
  for (const DialogTemplate& t : templates_)
    if (t.id == id) return &t;
  return nullptr;
}

}  // namespace host::dialog
