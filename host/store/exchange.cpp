// Import and dump of the host-data exchange document (JSON). The only file that includes the
// JSON library: it is slow to compile.
//
// An import is checked as a whole before anything is written, then written in one transaction
// that replaces the database's contents. Every refusal names the record (array, index, id),
// the field and the reason.
#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "store/store.h"
#include "store/store_impl.h"

namespace host::store {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// Limits of an exchange document.
constexpr std::size_t kMaxDocumentBytes = 256u << 20;
constexpr int kMaxDepth = 8;
constexpr std::int64_t kMaxMoneyUnits = std::int64_t{1} << 53;  // exact in a double

// Nesting depth of a JSON text outside its strings, so that a hostile document cannot run
// the parser deep; the parser checks everything else.
bool DepthWithin(std::string_view text, int limit) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      if (++depth > limit) return false;
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return true;
}

// Finds a name given twice in one object, where the parser would let the later value win
// without a word; keeps the path of where it stands ("invoices[2].positions[0]").
class DuplicateNames {
 public:
  bool operator()(int /*depth*/, Json::parse_event_t event, Json& parsed) {
    using E = Json::parse_event_t;
    switch (event) {
      case E::object_start:
      case E::array_start:
        frames_.push_back({event == E::array_start, 0, Label(), {}});
        break;
      case E::key: {
        std::string name = parsed.is_string() ? parsed.get<std::string>() : std::string();
        if (!frames_.empty() && !frames_.back().names.insert(name).second && found.empty()) {
          std::string path;
          for (const Frame& f : frames_) path += f.label;
          found = (path.empty() ? std::string("dokument") : path) + ", pole \"" +
                  name.substr(0, 40) + "\": pole podane dwa razy";
        }
        lastKey_ = std::move(name);
        break;
      }
      case E::object_end:
      case E::array_end:
        if (!frames_.empty()) frames_.pop_back();
        Advance();
        break;
      case E::value:
        Advance();
        break;
    }
    return true;
  }
  std::string found;

 private:
  struct Frame {
    bool array;
    std::size_t index;
    std::string label;
    std::set<std::string> names;
  };
  std::string Label() const {
    if (frames_.empty()) return {};
    if (frames_.back().array) return "[" + std::to_string(frames_.back().index) + "]";
    return (frames_.size() > 1 ? "." : "") + lastKey_;
  }
  void Advance() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
  }
  std::vector<Frame> frames_;
  std::string lastKey_;
};

// A decimal text ("-12.345") scaled by 10^scaleDigits, rounded half away from zero.
bool ParseDecimal(std::string_view text, int scaleDigits, std::int64_t limit, std::int64_t& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  int intDigits = 0;
  auto addDigit = [&](int d) {
    if (value > (limit - d) / 10) return false;
    value = value * 10 + d;
    return true;
  };
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (!addDigit(text[i++] - '0')) return false;
    ++intDigits;
  }
  int fracDigits = 0;
  bool roundUp = false;
  bool fraction = false;
  if (i < text.size() && text[i] == '.') {
    fraction = true;
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      int d = text[i++] - '0';
      if (fracDigits < scaleDigits) {
        if (!addDigit(d)) return false;
      } else if (fracDigits == scaleDigits) {
        roundUp = d >= 5;
      }
      ++fracDigits;
    }
  }
  if (i != text.size() || (intDigits == 0 && fracDigits == 0) || (fraction && fracDigits == 0))
    return false;
  for (int k = std::min(fracDigits, scaleDigits); k < scaleDigits; ++k)
    if (!addDigit(0)) return false;
  if (roundUp) {
    if (value >= limit) return false;
    ++value;
  }
  out = negative ? -value : value;
  return true;
}

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

bool IsRealDate(int y, int m, int d) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || m < 1 || m > 12 || d < 1) return false;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

const char* TypeName(const Json& v) {
  switch (v.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "obiekt";
    case Json::value_t::array: return "lista";
    case Json::value_t::string: return "tekst";
    case Json::value_t::boolean: return "wartość logiczna";
    case Json::value_t::number_float: return "liczba ułamkowa";
    default: return "liczba";
  }
}

class Importer {
 public:
  bool Run(const Json& doc, Store::Impl& impl, std::string* error);

 private:
  struct Document {
    Row row;
    std::vector<Row> positions;
    bool hasSummary = false;
    std::vector<std::array<std::int64_t, 4>> summary;  // code, net, vat, gross
  };

  bool Fail(const std::string& where, std::string_view field, const std::string& reason) {
    if (error_.empty()) {
      error_ = where;
      if (!field.empty()) error_ += ", pole \"" + std::string(field) + "\"";
      error_ += ": " + reason;
    }
    return false;
  }
  std::string ReadValue(const Json& v, const FieldDef& f, Value& out);
  std::string ReadInt(const Json& v, std::int64_t lo, std::int64_t hi, std::int64_t& out);
  std::string ReadScaled(const Json& v, int digits, std::int64_t limit, std::int64_t& out);
  std::string ReadNames(const Json& v, bool gtu, std::int64_t& out);
  bool ReadRecord(const Json& obj, const RecordDef& def, const std::string& where, Row& row,
                  std::initializer_list<std::string_view> nested);
  std::string Where(std::string_view array, std::size_t index, const Json& obj,
                    std::string_view idField);
  bool ReadDocuments(const Json& list, bool correction);

  std::string error_;
  bool haveFirm_ = false;
  Row firm_;
  std::vector<std::pair<int, std::optional<std::int64_t>>> rates_;
  bool haveRates_ = false;
  std::vector<std::pair<int, std::string>> forms_;
  bool haveForms_ = false;
  std::vector<Row> contractors_;
  std::vector<Row> goods_;
  std::vector<Document> documents_[2];
};

std::string Importer::ReadInt(const Json& v, std::int64_t lo, std::int64_t hi,
                              std::int64_t& out) {
  if (v.is_number_unsigned()) {
    std::uint64_t u = v.get<std::uint64_t>();
    if (u > static_cast<std::uint64_t>(hi))
      return "wartość " + std::to_string(u) + " poza zakresem " + std::to_string(lo) + ".." +
             std::to_string(hi);
    out = static_cast<std::int64_t>(u);
    return {};
  }
  if (!v.is_number_integer())
    return std::string("zły typ: oczekiwano liczby całkowitej, jest ") + TypeName(v);
  std::int64_t n = v.get<std::int64_t>();
  if (n < lo || n > hi)
    return "wartość " + std::to_string(n) + " poza zakresem " + std::to_string(lo) + ".." +
           std::to_string(hi);
  out = n;
  return {};
}

std::string Importer::ReadScaled(const Json& v, int digits, std::int64_t limit,
                                 std::int64_t& out) {
  std::string text;
  if (v.is_string()) {
    text = v.get<std::string>();
  } else if (v.is_number_integer() || v.is_number_unsigned()) {
    text = v.dump();
  } else if (v.is_number_float()) {
    double d = v.get<double>();
    if (!std::isfinite(d) || std::fabs(d) >= 1e15) return "wartość poza zakresem";
    // The shortest decimal that gives this double back: the number as it was written.
    char buffer[1100];  // room for the longest fixed form of a double
    auto res = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed);
    if (res.ec != std::errc()) return "wartość poza zakresem";
    text.assign(buffer, res.ptr);
  } else {
    return std::string("zły typ: oczekiwano liczby lub tekstu z liczbą, jest ") + TypeName(v);
  }
  if (!ParseDecimal(text, digits, limit, out)) {
    if (text.size() > 40) text = text.substr(0, 40) + "...";
    return "\"" + text + "\" nie jest liczbą dziesiętną w zakresie";
  }
  return {};
}

std::string Importer::ReadNames(const Json& v, bool gtu, std::int64_t& out) {
  std::int64_t mask = 0;
  for (const Json& item : v) {
    if (!item.is_string()) return std::string("zły typ elementu listy: ") + TypeName(item);
    std::string name = item.get<std::string>();
    int bits = gtu ? 32 : 14;
    int found = -1;
    for (int b = 0; b < bits && found < 0; ++b)
      if ((gtu ? GtuName(b) : std::string(ProcedureMarkName(b))) == name) found = b;
    if (found < 0) return "nieznane oznaczenie " + Quote(name.substr(0, 40));
    mask |= std::int64_t{1} << found;
  }
  // Kept as the record holds it: a signed field of 16 or 32 bits.
  out = gtu ? static_cast<std::int32_t>(static_cast<std::uint32_t>(mask))
            : static_cast<std::int16_t>(static_cast<std::uint16_t>(mask));
  return {};
}

std::string Importer::ReadValue(const Json& v, const FieldDef& f, Value& out) {
  switch (f.kind) {
    case FieldKind::kText: {
      if (!v.is_string())
        return std::string("zły typ: oczekiwano tekstu, jest ") + TypeName(v);
      out.s = v.get<std::string>();
      return CheckText(out.s, f.width);
    }
    case FieldKind::kDate: {
      if (!v.is_string())
        return std::string("zły typ: oczekiwano daty \"RRRR-MM-DD\", jest ") + TypeName(v);
      std::string s = v.get<std::string>();
      if (s.empty()) {
        out.s.clear();
        return {};
      }
      int y = 0, m = 0, d = 0;
      bool shape = s.size() == 10 && s[4] == '-' && s[7] == '-';
      for (std::size_t i = 0; shape && i < s.size(); ++i)
        if (i != 4 && i != 7 && (s[i] < '0' || s[i] > '9')) shape = false;
      if (shape) {
        y = std::stoi(s.substr(0, 4));
        m = std::stoi(s.substr(5, 2));
        d = std::stoi(s.substr(8, 2));
      }
      if (!shape || !IsRealDate(y, m, d)) {
        if (s.size() > 40) s = s.substr(0, 40) + "...";
        return "data " + Quote(s) + " nie jest prawdziwą datą w postaci RRRR-MM-DD";
      }
      out.s = s.substr(0, 4) + s.substr(5, 2) + s.substr(8, 2);
      return {};
    }
    case FieldKind::kMoney:
      return ReadScaled(v, 4, kMaxMoneyUnits, out.n);
    case FieldKind::kQuantity:
      return ReadScaled(v, 3, INT32_MAX, out.n);
    case FieldKind::kMarks:
      if (v.is_array()) return ReadNames(v, false, out.n);
      return ReadInt(v, INT16_MIN, INT16_MAX, out.n);
    case FieldKind::kGtu: {
      if (v.is_array()) return ReadNames(v, true, out.n);
      std::string why = ReadInt(v, INT32_MIN, UINT32_MAX, out.n);
      out.n = static_cast<std::int32_t>(static_cast<std::uint32_t>(out.n));
      return why;
    }
    case FieldKind::kInt: {
      std::int64_t lo = 0, hi = 0;
      int bits = 8 * f.width;
      if (f.isSigned) {
        lo = -(std::int64_t{1} << (bits - 1));
        hi = (std::int64_t{1} << (bits - 1)) - 1;
      } else {
        hi = (std::int64_t{1} << bits) - 1;
      }
      return ReadInt(v, lo, hi, out.n);
    }
  }
  return "nieznany rodzaj pola";
}

std::string Importer::Where(std::string_view array, std::size_t index, const Json& obj,
                            std::string_view idField) {
  std::string where = std::string(array) + "[" + std::to_string(index) + "]";
  if (!idField.empty() && obj.is_object()) {
    auto it = obj.find(std::string(idField));
    if (it != obj.end() && it->is_number_integer())
      where += " (" + std::string(idField) + " " + it->dump() + ")";
  }
  return where;
}

bool Importer::ReadRecord(const Json& obj, const RecordDef& def, const std::string& where,
                          Row& row, std::initializer_list<std::string_view> nested) {
  if (!obj.is_object())
    return Fail(where, "", std::string("zły typ: oczekiwano obiektu, jest ") + TypeName(obj));
  row.assign(def.fields.size(), Value{});
  for (auto it = obj.begin(); it != obj.end(); ++it) {
    const std::string& key = it.key();
    int index = FieldIndex(def, key);
    if (index < 0) {
      bool isNested = false;
      for (std::string_view n : nested) isNested = isNested || n == key;
      if (!isNested) return Fail(where, key, "nieznane pole");
      continue;
    }
    std::string why = ReadValue(it.value(), def.fields[index], row[index]);
    if (!why.empty()) return Fail(where, key, why);
  }
  return true;
}

bool Importer::ReadDocuments(const Json& list, bool correction) {
  const char* array = correction ? "corrections" : "invoices";
  if (!list.is_array())
    return Fail("dokument", array, std::string("zły typ: oczekiwano listy, jest ") + TypeName(list));
  const RecordDef& def = correction ? kCorrectionDef : kInvoiceDef;
  const RecordDef& posDef = correction ? kCorrectionPositionDef : kInvoicePositionDef;
  const int idIndex = FieldIndex(def, "documentId");
  const int kindIndex = FieldIndex(def, "kind");
  const int vatCodeIndex = FieldIndex(posDef, "vatCode");
  const int rowKindIndex = FieldIndex(posDef, "rowKind");
  std::set<std::int64_t> ids;
  auto& docs = documents_[correction];
  docs.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    const Json& obj = list[i];
    std::string where = Where(array, i, obj, "documentId");
    Document doc;
    if (!ReadRecord(obj, def, where, doc.row, {"positions", "vatSummary"})) return false;
    std::int64_t id = doc.row[idIndex].n;
    if (id != 0 && !ids.insert(id).second)
      return Fail(where, "documentId", "powtórzony identyfikator " + std::to_string(id));
    int kind = static_cast<int>(doc.row[kindIndex].n);
    if (DocumentTableOfKind(kind) != (correction ? kTableTsprKor : kTableTspr))
      return Fail(where, "kind",
                  "nieznany rodzaj dokumentu " + std::to_string(kind) +
                      (correction ? " (znane: 103, 809, 1838)" : " (znane: 811, 24, 807, 1836)"));
    if (auto p = obj.find("positions"); p != obj.end()) {
      if (!p->is_array())
        return Fail(where, "positions",
                    std::string("zły typ: oczekiwano listy, jest ") + TypeName(*p));
      doc.positions.resize(p->size());
      for (std::size_t k = 0; k < p->size(); ++k) {
        std::string posWhere = where + ", positions[" + std::to_string(k) + "]";
        if (!ReadRecord((*p)[k], posDef, posWhere, doc.positions[k], {})) return false;
      }
    }
    if (auto s = obj.find("vatSummary"); s != obj.end()) {
      if (!s->is_array())
        return Fail(where, "vatSummary",
                    std::string("zły typ: oczekiwano listy, jest ") + TypeName(*s));
      if (s->size() > static_cast<std::size_t>(kVatSummarySlots))
        return Fail(where, "vatSummary",
                    "więcej niż dziesięć stawek VAT (" + std::to_string(s->size()) + ")");
      doc.hasSummary = true;
      for (std::size_t k = 0; k < s->size(); ++k) {
        std::string slotWhere = where + ", vatSummary[" + std::to_string(k) + "]";
        const Json& slot = (*s)[k];
        if (!slot.is_object())
          return Fail(slotWhere, "", std::string("zły typ: oczekiwano obiektu, jest ") +
                                         TypeName(slot));
        std::array<std::int64_t, 4> values{};
        for (auto it = slot.begin(); it != slot.end(); ++it) {
          static constexpr std::string_view kNames[] = {"vatCode", "net", "vat", "gross"};
          int which = -1;
          for (int n = 0; n < 4; ++n)
            if (kNames[n] == it.key()) which = n;
          if (which < 0) return Fail(slotWhere, it.key(), "nieznane pole");
          std::string why = which == 0 ? ReadInt(it.value(), INT16_MIN, INT16_MAX, values[0])
                                       : ReadScaled(it.value(), 4, kMaxMoneyUnits, values[which]);
          if (!why.empty()) return Fail(slotWhere, it.key(), why);
        }
        doc.summary.push_back(values);
      }
    } else {
      // The summary is computed from the positions then, one slot per VAT code: it must fit.
      std::set<std::int64_t> codes;
      for (const Row& r : doc.positions) {
        if (rowKindIndex >= 0 && r[rowKindIndex].n != 1) continue;
        if (r[vatCodeIndex].n != 0) codes.insert(r[vatCodeIndex].n);
      }
      if (codes.size() > static_cast<std::size_t>(kVatSummarySlots))
        return Fail(where, "positions",
                    "więcej niż dziesięć stawek VAT (" + std::to_string(codes.size()) + ")");
    }
    docs.push_back(std::move(doc));
  }
  return true;
}

bool Importer::Run(const Json& doc, Store::Impl& impl, std::string* error) {
  auto done = [&](bool ok) {
    if (!ok && error) *error = error_;
    return ok;
  };
  if (!doc.is_object())
    return done(Fail("dokument", "", std::string("zły typ: oczekiwano obiektu, jest ") +
                                         TypeName(doc)));
  for (auto it = doc.begin(); it != doc.end(); ++it) {
    const std::string& key = it.key();
    const Json& v = it.value();
    if (key == "format") {
      if (!v.is_string() || v.get<std::string>() != kFormatName)
        return done(Fail("dokument", key, "nieznany format (oczekiwano \"" +
                                              std::string(kFormatName) + "\")"));
    } else if (key == "firm") {
      haveFirm_ = true;
      if (!ReadRecord(v, kFirmDef, "firm", firm_, {})) return done(false);
    } else if (key == "vatRates" || key == "paymentForms") {
      bool rates = key == "vatRates";
      if (!v.is_array())
        return done(Fail("dokument", key, std::string("zły typ: oczekiwano listy, jest ") +
                                              TypeName(v)));
      (rates ? haveRates_ : haveForms_) = true;
      std::set<std::int64_t> codes;
      for (std::size_t i = 0; i < v.size(); ++i) {
        std::string where = Where(key, i, v[i], "code");
        if (!v[i].is_object())
          return done(Fail(where, "", std::string("zły typ: oczekiwano obiektu, jest ") +
                                          TypeName(v[i])));
        std::int64_t code = 0;
        std::optional<std::int64_t> percent;
        std::string text;
        for (auto f = v[i].begin(); f != v[i].end(); ++f) {
          std::string why;
          if (f.key() == "code") {
            why = ReadInt(f.value(), INT16_MIN, INT16_MAX, code);
          } else if (rates && f.key() == "percent") {
            std::int64_t p = 0;
            if (!f.value().is_null()) {
              why = ReadScaled(f.value(), 4, 1000 * kMoneyScale, p);
              percent = p;
            }
          } else if (!rates && f.key() == "text") {
            if (!f.value().is_string()) {
              why = std::string("zły typ: oczekiwano tekstu, jest ") + TypeName(f.value());
            } else {
              text = f.value().get<std::string>();
              why = CheckText(text, 255);
            }
          } else {
            why = "nieznane pole";
          }
          if (!why.empty()) return done(Fail(where, f.key(), why));
        }
        if (!codes.insert(code).second)
          return done(Fail(where, "code", "powtórzony kod " + std::to_string(code)));
        if (rates) {
          rates_.emplace_back(static_cast<int>(code), percent);
        } else {
          forms_.emplace_back(static_cast<int>(code), text);
        }
      }
    } else if (key == "contractors" || key == "goods") {
      bool contractors = key == "contractors";
      const RecordDef& def = contractors ? kContractorDef : kGoodsDef;
      const char* idName = contractors ? "id" : "key";
      if (!v.is_array())
        return done(Fail("dokument", key, std::string("zły typ: oczekiwano listy, jest ") +
                                              TypeName(v)));
      auto& rows = contractors ? contractors_ : goods_;
      std::set<std::int64_t> ids;
      int idIndex = FieldIndex(def, idName);
      for (std::size_t i = 0; i < v.size(); ++i) {
        std::string where = Where(key, i, v[i], idName);
        Row row;
        if (!ReadRecord(v[i], def, where, row, {})) return done(false);
        std::int64_t id = row[idIndex].n;
        if (id == 0)
          return done(Fail(where, idName, "brak identyfikatora (0 oznacza brak rekordu)"));
        if (!ids.insert(id).second)
          return done(Fail(where, idName, "powtórzony identyfikator " + std::to_string(id)));
        rows.push_back(std::move(row));
      }
    } else if (key == "invoices" || key == "corrections") {
      if (!ReadDocuments(v, key == "corrections")) return done(false);
    } else {
      return done(Fail("dokument", key, "nieznane pole"));
    }
  }

  Writer w(impl);
  firm_.resize(kFirmDef.fields.size());
  w.Firm(firm_);
  if (haveRates_) {
    for (auto& [code, pct] : rates_) w.VatRate(code, pct);
  } else {
    for (const DefaultRate& r : kDefaultRates)
      w.VatRate(r.code, r.percent < 0 ? std::nullopt
                                      : std::optional<std::int64_t>(r.percent * kMoneyScale));
  }
  if (haveForms_) {
    for (auto& [code, text] : forms_) w.PaymentForm(code, text);
  } else {
    for (const DefaultForm& f : kDefaultForms) w.PaymentForm(f.code, f.text);
  }
  for (const Row& r : contractors_) w.Contractor(r);
  for (const Row& r : goods_) w.Goods(r);
  for (int c = 0; c < 2; ++c) {
    for (const Document& d : documents_[c]) {
      std::int64_t row = w.Document(c == 1, d.row, d.hasSummary);
      for (std::size_t k = 0; k < d.positions.size(); ++k)
        w.Position(c == 1, row, static_cast<int>(k), d.positions[k]);
      for (std::size_t k = 0; k < d.summary.size(); ++k) {
        const auto& s = d.summary[k];
        w.SummarySlot(c == 1, row, static_cast<int>(k), static_cast<int>(s[0]), s[1], s[2], s[3]);
      }
    }
  }
  return w.Commit(error);
}

// --- Dump -------------------------------------------------------------------------------------

OrderedJson Scaled(std::int64_t n, std::int64_t scale) {
  if (n % scale == 0) return n / scale;
  // Up to fifteen significant digits a double gives its decimal back exactly; beyond that the
  // exact decimal text is written.
  if (n > -1'000'000'000'000'000 && n < 1'000'000'000'000'000)
    return static_cast<double>(n) / static_cast<double>(scale);
  int digits = scale == kMoneyScale ? 4 : 3;
  std::string sign = n < 0 ? "-" : "";
  std::uint64_t m = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  std::string frac = std::to_string(m % static_cast<std::uint64_t>(scale));
  frac.insert(0, static_cast<std::size_t>(digits) - frac.size(), '0');
  return sign + std::to_string(m / static_cast<std::uint64_t>(scale)) + "." + frac;
}

OrderedJson RowJson(const RecordDef& def, sqlite3_stmt* stmt, int firstColumn) {
  OrderedJson obj = OrderedJson::object();
  for (std::size_t i = 0; i < def.fields.size(); ++i) {
    const FieldDef& f = def.fields[i];
    int col = firstColumn + static_cast<int>(i);
    switch (f.kind) {
      case FieldKind::kText: {
        const unsigned char* t = sqlite3_column_text(stmt, col);
        obj[std::string(f.name)] = t ? reinterpret_cast<const char*>(t) : "";
        break;
      }
      case FieldKind::kDate: {
        const unsigned char* t = sqlite3_column_text(stmt, col);
        std::string d = t ? reinterpret_cast<const char*>(t) : "";
        if (d.size() == 8) d = d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2);
        obj[std::string(f.name)] = d;
        break;
      }
      case FieldKind::kMoney:
        obj[std::string(f.name)] = Scaled(sqlite3_column_int64(stmt, col), kMoneyScale);
        break;
      case FieldKind::kQuantity:
        obj[std::string(f.name)] = Scaled(sqlite3_column_int64(stmt, col), kQuantityScale);
        break;
      default:
        obj[std::string(f.name)] = sqlite3_column_int64(stmt, col);
        break;
    }
  }
  return obj;
}

// Runs `sql` and writes one line per row, separated by commas; `make` builds the row's JSON.
template <class Make>
bool DumpRows(Store::Impl& impl, std::ostream& out, const std::string& sql, Make make,
              std::string* error) {
  PooledStatement stmt = impl.Statement(sql, error);
  if (!stmt) return false;
  bool first = true;
  int rc;
  while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    out << (first ? "\n    " : ",\n    ") << make(stmt.get()).dump();
    first = false;
  }
  if (rc != SQLITE_DONE) {
    if (error) *error = std::string("Błąd odczytu bazy: ") + sqlite3_errmsg(impl.db);
    return false;
  }
  out << (first ? "]" : "\n  ]");
  return true;
}

}  // namespace

bool Store::ImportText(std::string_view utf8Json, std::string* error) {
  if (utf8Json.size() > kMaxDocumentBytes) {
    if (error) *error = "dokument: za duży (najwyżej " + std::to_string(kMaxDocumentBytes >> 20) + " MiB)";
    return false;
  }
  if (!DepthWithin(utf8Json, kMaxDepth)) {
    if (error) *error = "dokument: zagnieżdżenie głębsze niż " + std::to_string(kMaxDepth) + " poziomów";
    return false;
  }
  DuplicateNames duplicates;
  Json doc = Json::parse(
      utf8Json.begin(), utf8Json.end(),
      [&duplicates](int depth, Json::parse_event_t event, Json& parsed) {
        return duplicates(depth, event, parsed);
      },
      false);
  if (doc.is_discarded()) {
    // Parse again for the position of the fault; cheap next to what was just refused.
    std::string why = "błąd składni JSON";
    try {
      Json again = Json::parse(utf8Json.begin(), utf8Json.end());
      (void)again;
    } catch (const Json::parse_error& e) {
      why += " w bajcie " + std::to_string(e.byte);
    } catch (const Json::out_of_range&) {
      why = "liczba poza zakresem";
    } catch (const Json::exception&) {
      // Any other refusal of the parser: the syntax message stands.
    }
    if (error) *error = "dokument: " + why;
    return false;
  }
  if (!duplicates.found.empty()) {
    if (error) *error = duplicates.found;
    return false;
  }
  Importer importer;
  return importer.Run(doc, *impl_, error);
}

bool Store::ImportFile(const std::string& path, std::string* error) {
  std::string text;
  auto readAll = [&](std::istream& in) {
    std::ostringstream buffer;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
      buffer.write(chunk, in.gcount());
      if (static_cast<std::size_t>(buffer.tellp()) > kMaxDocumentBytes) return false;
    }
    text = buffer.str();
    return true;
  };
  bool ok;
  if (path == "-") {
    ok = readAll(std::cin);
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      if (error) *error = "Nie można otworzyć pliku " + path;
      return false;
    }
    ok = readAll(in);
  }
  if (!ok) {
    if (error) *error = "dokument: za duży (najwyżej " + std::to_string(kMaxDocumentBytes >> 20) + " MiB)";
    return false;
  }
  return ImportText(text, error);
}

bool Store::Dump(std::ostream& out, std::string* error) {
  Impl& impl = *impl_;
  if (!impl.Db(error)) return false;
  // One read transaction, so that the dump is one state of the database.
  if (sqlite3_exec(impl.db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    if (error) *error = std::string("Błąd odczytu bazy: ") + sqlite3_errmsg(impl.db);
    return false;
  }
  struct EndRead {
    sqlite3* db;
    ~EndRead() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
  } endRead{impl.db};

  out << "{\n  \"format\": " << OrderedJson(kFormatName).dump() << ",\n  \"firm\": ";
  {
    PooledStatement stmt = impl.Statement(
        "SELECT " + Impl::Columns(kFirmDef, "") + " FROM firm WHERE row = 1", error);
    if (!stmt) return false;
    OrderedJson firm = OrderedJson::object();
    if (sqlite3_step(stmt.get()) == SQLITE_ROW) firm = RowJson(kFirmDef, stmt.get(), 0);
    out << firm.dump();
  }
  out << ",\n  \"vatRates\": [";
  if (!DumpRows(impl, out, "SELECT code, percent FROM vat_rate ORDER BY code",
                [](sqlite3_stmt* s) {
                  OrderedJson o = OrderedJson::object();
                  o["code"] = sqlite3_column_int(s, 0);
                  if (sqlite3_column_type(s, 1) != SQLITE_NULL)
                    o["percent"] = Scaled(sqlite3_column_int64(s, 1), kMoneyScale);
                  return o;
                },
                error))
    return false;
  out << ",\n  \"paymentForms\": [";
  if (!DumpRows(impl, out, "SELECT code, text FROM payment_form ORDER BY code",
                [](sqlite3_stmt* s) {
                  OrderedJson o = OrderedJson::object();
                  o["code"] = sqlite3_column_int(s, 0);
                  const unsigned char* t = sqlite3_column_text(s, 1);
                  o["text"] = t ? reinterpret_cast<const char*>(t) : "";
                  return o;
                },
                error))
    return false;
  out << ",\n  \"contractors\": [";
  if (!DumpRows(impl, out,
                "SELECT " + Impl::Columns(kContractorDef, "") + " FROM contractor ORDER BY row",
                [](sqlite3_stmt* s) { return RowJson(kContractorDef, s, 0); }, error))
    return false;
  out << ",\n  \"goods\": [";
  if (!DumpRows(impl, out, "SELECT " + Impl::Columns(kGoodsDef, "") + " FROM goods ORDER BY row",
                [](sqlite3_stmt* s) { return RowJson(kGoodsDef, s, 0); }, error))
    return false;
  for (int c = 0; c < 2; ++c) {
    const RecordDef& def = c ? kCorrectionDef : kInvoiceDef;
    const RecordDef& posDef = c ? kCorrectionPositionDef : kInvoicePositionDef;
    std::string table(def.table);
    std::string posSql = "SELECT " + Impl::Columns(posDef, "") + " FROM " + table +
                         "_position WHERE doc = ?1 ORDER BY seq";
    std::string vatSql = "SELECT vatCode, net, vat, gross FROM " + table +
                         "_vat WHERE doc = ?1 ORDER BY slot";
    out << (c ? ",\n  \"corrections\": [" : ",\n  \"invoices\": [");
    std::string failure;
    bool ok = DumpRows(
        impl, out,
        "SELECT row, hasSummary, " + Impl::Columns(def, "") + " FROM " + table + " ORDER BY row",
        [&](sqlite3_stmt* s) {
          OrderedJson o = RowJson(def, s, 2);
          std::int64_t row = sqlite3_column_int64(s, 0);
          if (sqlite3_column_int(s, 1)) {
            OrderedJson slots = OrderedJson::array();
            PooledStatement v = impl.Statement(vatSql, &failure);
            if (v) {
              sqlite3_bind_int64(v.get(), 1, row);
              while (sqlite3_step(v.get()) == SQLITE_ROW) {
                OrderedJson slot = OrderedJson::object();
                slot["vatCode"] = sqlite3_column_int(v.get(), 0);
                slot["net"] = Scaled(sqlite3_column_int64(v.get(), 1), kMoneyScale);
                slot["vat"] = Scaled(sqlite3_column_int64(v.get(), 2), kMoneyScale);
                slot["gross"] = Scaled(sqlite3_column_int64(v.get(), 3), kMoneyScale);
                slots.push_back(std::move(slot));
              }
            }
            o["vatSummary"] = std::move(slots);
          }
          OrderedJson positions = OrderedJson::array();
          PooledStatement p = impl.Statement(posSql, &failure);
          if (p) {
            sqlite3_bind_int64(p.get(), 1, row);
            while (sqlite3_step(p.get()) == SQLITE_ROW)
              positions.push_back(RowJson(posDef, p.get(), 0));
          }
          o["positions"] = std::move(positions);
          return o;
        },
        error);
    if (!ok) return false;
    if (!failure.empty()) {
      if (error) *error = failure;
      return false;
    }
  }
  out << "\n}\n";
  out.flush();
  if (!out) {
    if (error) *error = "Nie można zapisać zrzutu bazy";
    return false;
  }
  return true;
}

}  // namespace host::store
