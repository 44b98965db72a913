#include "services/ini.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/encoding.h"
#include "frame/host_services.h"
#include "services/file_layer.h"

namespace host::services {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

// --- Document -----------------------------------------------------------------------------

IniDocument::Line IniDocument::Classify(std::string raw) {
  Line line;
  line.raw = std::move(raw);
  std::string_view body = line.raw;
  if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
  std::string_view trimmed = Trim(body);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return line;
  if (trimmed.front() == '[') {
    if (trimmed.back() == ']' && trimmed.size() >= 2) {
      line.kind = Kind::kSection;
      line.name = std::string(Trim(trimmed.substr(1, trimmed.size() - 2)));
    }
    return line;
  }
  std::size_t eq = body.find('=');
  if (eq == std::string_view::npos) return line;
  std::string_view key = Trim(body.substr(0, eq));
  if (key.empty()) return line;
  line.kind = Kind::kKey;
  line.name = std::string(key);
  line.valueAt = eq + 1;
  line.valueEnd = body.size();
  return line;
}

bool IniDocument::Parse(std::string_view bytes, const IniLimits& limits, IniDocument* out,
                        std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (bytes.size() > limits.maxFileBytes) return fail("settings file too large");
  if (bytes.find('\0') != std::string_view::npos) return fail("settings file holds a NUL byte");
  IniDocument doc;
  std::size_t at = 0;
  bool first = true;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    std::size_t stop = end == std::string_view::npos ? bytes.size() : end;
    if (stop - at > limits.maxLineBytes) return fail("settings line too long");
    std::string raw(bytes.substr(at, stop - at));
    if (first) {
      doc.crlf_ = !raw.empty() && raw.back() == '\r';
      first = false;
    }
    doc.lines_.push_back(Classify(std::move(raw)));
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  *out = std::move(doc);
  return true;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const Line& line : lines_) {
    if (line.kind == Kind::kSection) {
      inSection = SameName(line.name, section);
    } else if (inSection && line.kind == Kind::kKey && SameName(line.name, key)) {
      return line.raw.substr(line.valueAt, line.valueEnd - line.valueAt);
    }
  }
  return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string cr = crlf_ ? "\r" : "";
  auto blank = [](const Line& line) { return Trim(line.raw).empty() || Trim(line.raw) == "\r"; };
  // The line that Get would answer with: replace its value, keep the key as the file spells it.
  bool inSection = false;
  for (Line& line : lines_) {
    if (line.kind == Kind::kSection) {
      inSection = SameName(line.name, section);
    } else if (inSection && line.kind == Kind::kKey && SameName(line.name, key)) {
      std::string raw = line.raw.substr(0, line.valueAt) + std::string(value) +
                        line.raw.substr(line.valueEnd);
      line = Classify(std::move(raw));
      return;
    }
  }
  Line added = Classify(std::string(key) + "=" + std::string(value) + cr);
  // At the end of the first section of the name, before the blank lines that close it.
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::kSection || !SameName(lines_[i].name, section)) continue;
    std::size_t insertAt = i + 1;
    for (std::size_t k = i + 1; k < lines_.size() && lines_[k].kind != Kind::kSection; ++k)
      if (!blank(lines_[k])) insertAt = k + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(added));
    return;
  }
  // No such section: add it at the end, after a blank line.
  if (!lines_.empty() && !blank(lines_.back())) lines_.push_back(Classify(cr));
  lines_.push_back(Classify("[" + std::string(section) + "]" + cr));
  lines_.push_back(std::move(added));
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.raw;
    out += '\n';
  }
  return out;
}

bool IniDocument::ValidSection(std::string_view section) {
  return !Trim(section).empty() && Trim(section) == section &&
         section.find(']') == std::string_view::npos && !HasLineBreak(section) &&
         section.find('\0') == std::string_view::npos;
}

bool IniDocument::ValidKey(std::string_view key) {
  return !Trim(key).empty() && Trim(key) == key && key.find('=') == std::string_view::npos &&
         key.front() != '[' && key.front() != ';' && key.front() != '#' && !HasLineBreak(key) &&
         key.find('\0') == std::string_view::npos;
}

// --- Read formats -------------------------------------------------------------------------

namespace {

struct FormatItem {
  bool conversion = false;
  IniTarget::Kind kind = IniTarget::Kind::kInt16;
  std::string literal;  // for literal items
};

bool SplitReadFormat(std::string_view format, const IniLimits& limits,
                     std::vector<FormatItem>* items) {
  items->clear();
  int conversions = 0;
  std::size_t i = 0;
  auto addLiteral = [&](char c) {
    if (items->empty() || items->back().conversion) items->push_back(FormatItem{});
    items->back().literal.push_back(c);
  };
  while (i < format.size()) {
    char c = format[i];
    if (c != '%') {
      addLiteral(c);
      ++i;
      continue;
    }
    std::string_view rest = format.substr(i + 1);
    FormatItem item;
    item.conversion = true;
    if (rest.substr(0, 1) == "%") {
      addLiteral('%');
      i += 2;
      continue;
    } else if (rest.substr(0, 1) == "d") {
      item.kind = IniTarget::Kind::kInt16;
      i += 2;
    } else if (rest.substr(0, 2) == "hd") {
      item.kind = IniTarget::Kind::kInt16;
      i += 3;
    } else if (rest.substr(0, 2) == "*s") {
      item.kind = IniTarget::Kind::kText;
      i += 3;
    } else {
      return false;
    }
    if (++conversions > limits.maxConversions) return false;
    items->push_back(std::move(item));
  }
  return true;
}

class Matcher {
 public:
  Matcher(std::string_view value, const std::vector<FormatItem>& items)
      : value_(value), items_(items), failed_(items.size() * (value.size() + 1), false) {}

  // Spans of the conversions after a successful Match().
  struct Span {
    std::size_t at, size;
    int number;
  };
  std::vector<Span> spans;

  bool Match(std::size_t item, std::size_t pos) {
    if (item == items_.size()) return pos == value_.size();
    std::size_t memo = item * (value_.size() + 1) + pos;
    if (failed_[memo]) return false;
    bool ok = Try(item, pos);
    if (!ok) failed_[memo] = true;
    return ok;
  }

 private:
  bool Try(std::size_t item, std::size_t pos) {
    const FormatItem& it = items_[item];
    if (!it.conversion) return MatchLiteral(item, pos);
    if (it.kind == IniTarget::Kind::kInt16) {
      std::size_t p = pos;
      while (p < value_.size() && IsBlank(value_[p])) ++p;
      bool negative = false;
      if (p < value_.size() && (value_[p] == '-' || value_[p] == '+')) negative = value_[p++] == '-';
      std::size_t digits = p;
      long number = 0;
      while (p < value_.size() && value_[p] >= '0' && value_[p] <= '9') {
        number = number * 10 + (value_[p] - '0');
        if (number > 65535) return false;
        ++p;
      }
      if (p == digits) return false;
      if (negative) number = -number;
      if (number < -32768) return false;
      spans.push_back({pos, p - pos, static_cast<int>(number)});
      if (Match(item + 1, p)) return true;
      spans.pop_back();
      return false;
    }
    // A text: the longest part that leaves the rest of the format matching.
    for (std::size_t end = value_.size() + 1; end-- > pos;) {
      spans.push_back({pos, end - pos, 0});
      if (Match(item + 1, end)) return true;
      spans.pop_back();
    }
    return false;
  }

  bool MatchLiteral(std::size_t item, std::size_t pos) {
    // A blank of the format takes any run of blanks (none included), as scanf's does.
    std::size_t p = pos;
    for (char c : items_[item].literal) {
      if (IsBlank(c)) {
        while (p < value_.size() && IsBlank(value_[p])) ++p;
        continue;
      }
      if (p >= value_.size() || value_[p] != c) return false;
      ++p;
    }
    return Match(item + 1, p);
  }

  std::string_view value_;
  const std::vector<FormatItem>& items_;
  std::vector<bool> failed_;
};

}  // namespace

bool ParseReadFormat(std::string_view format, const IniLimits& limits,
                     std::vector<IniTarget::Kind>* kinds) {
  std::vector<FormatItem> items;
  if (!SplitReadFormat(format, limits, &items)) return false;
  kinds->clear();
  for (const FormatItem& item : items)
    if (item.conversion) kinds->push_back(item.kind);
  return true;
}

IniStatus ScanIniValue(std::string_view value, std::string_view format,
                       const std::vector<IniTarget>& targets, const IniLimits& limits) {
  std::vector<FormatItem> items;
  if (!SplitReadFormat(format, limits, &items)) return kIniBadRequest;
  std::size_t conversions = 0;
  for (const FormatItem& item : items) {
    if (!item.conversion) continue;
    if (conversions >= targets.size() || targets[conversions].kind != item.kind) return kIniBadRequest;
    const IniTarget& t = targets[conversions];
    if (t.kind == IniTarget::Kind::kText ? !t.text : !t.number) return kIniBadRequest;
    ++conversions;
  }
  if (conversions != targets.size()) return kIniBadRequest;
  if (value.size() > limits.maxLineBytes) return kIniMismatch;
  Matcher matcher(value, items);
  if (!matcher.Match(0, 0)) return kIniMismatch;
  for (std::size_t k = 0; k < targets.size(); ++k) {
    const IniTarget& t = targets[k];
    const Matcher::Span& span = matcher.spans[k];
    if (t.kind == IniTarget::Kind::kInt16) {
      *t.number = static_cast<std::int16_t>(static_cast<std::uint16_t>(span.number & 0xFFFF));
    } else {
      std::size_t n = std::min(span.size, t.maxLength > 0 ? static_cast<std::size_t>(t.maxLength) : 0);
      std::memcpy(t.text, value.data() + span.at, n);
      t.text[n] = '\0';
    }
  }
  return kIniDone;
}

// --- Write formats ------------------------------------------------------------------------

bool FormatIniValue(const char* format, va_list args, std::string* out) {
  out->clear();
  if (!format) return false;
  const char* p = format;
  while (*p) {
    if (*p != '%') {
      out->push_back(*p++);
      continue;
    }
    if (p[1] == '%') {
      out->push_back('%');
      p += 2;
      continue;
    }
    std::string spec = "%";
    ++p;
    while (*p && std::strchr("-+ #0", *p)) spec.push_back(*p++);
    int star[2] = {0, 0};
    int stars = 0;
    auto number = [&]() {
      if (*p == '*') {
        star[stars++] = va_arg(args, int);
        spec.push_back(*p++);
        return;
      }
      int digits = 0;
      while (*p >= '0' && *p <= '9' && digits < 4) {
        spec.push_back(*p++);
        ++digits;
      }
    };
    number();
    if (*p == '.') {
      spec.push_back(*p++);
      number();
    }
    if (*p >= '0' && *p <= '9') return false;  // a width or precision too large
    int longs = 0;
    int shorts = 0;
    while (*p == 'h' || *p == 'l') {
      (*p == 'h' ? shorts : longs)++;
      spec.push_back(*p++);
    }
    if (longs > 1 || shorts > 2 || (longs && shorts)) return false;
    char conv = *p;
    if (!conv || !std::strchr("diuxXcsfeg", conv)) return false;
    spec.push_back(conv);
    ++p;
    if ((conv == 's' || conv == 'c' || std::strchr("feg", conv)) && (longs || shorts)) return false;
    // Each conversion is formatted alone with the one argument of its type.
    char buffer[512];
    int written;
    auto put = [&](auto value) {
      if (stars == 2)
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), star[0], star[1], value);
      else if (stars == 1)
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), star[0], value);
      else
        written = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    };
    std::string longText;
    if (conv == 's') {
      const char* s = va_arg(args, const char*);
      if (!s) s = "";
      int need = stars == 2   ? std::snprintf(nullptr, 0, spec.c_str(), star[0], star[1], s)
                 : stars == 1 ? std::snprintf(nullptr, 0, spec.c_str(), star[0], s)
                              : std::snprintf(nullptr, 0, spec.c_str(), s);
      if (need < 0 || need > 65536) return false;
      longText.resize(static_cast<std::size_t>(need) + 1);
      if (stars == 2)
        std::snprintf(longText.data(), longText.size(), spec.c_str(), star[0], star[1], s);
      else if (stars == 1)
        std::snprintf(longText.data(), longText.size(), spec.c_str(), star[0], s);
      else
        std::snprintf(longText.data(), longText.size(), spec.c_str(), s);
      longText.resize(static_cast<std::size_t>(need));
      out->append(longText);
      continue;
    }
    if (std::strchr("feg", conv)) {
      put(va_arg(args, double));
    } else if (conv == 'c') {
      put(va_arg(args, int));
    } else if (conv == 'd' || conv == 'i') {
      if (longs) put(va_arg(args, long));
      else put(va_arg(args, int));
    } else {
      if (longs) put(va_arg(args, unsigned long));
      else put(va_arg(args, unsigned int));
    }
    if (written < 0 || written >= static_cast<int>(sizeof buffer)) return false;
    out->append(buffer, static_cast<std::size_t>(written));
  }
  return true;
}

// --- Files --------------------------------------------------------------------------------

namespace {

// 0 read, 1 missing, -1 too large or unreadable.
int ReadWholeFile(const std::string& path, std::size_t limit, std::string* bytes) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return errno == ENOENT ? 1 : -1;
  bytes->clear();
  char block[8192];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
    if (bytes->size() + got > limit) {
      std::fclose(in);
      return -1;
    }
    bytes->append(block, got);
  }
  bool bad = std::ferror(in) != 0;
  std::fclose(in);
  return bad ? -1 : 0;
}

}  // namespace

IniStatus ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                       std::string* value, const IniLimits& limits) {
  if (!IniDocument::ValidSection(section) || !IniDocument::ValidKey(key)) return kIniBadRequest;
  std::string bytes;
  int read = ReadWholeFile(path, limits.maxFileBytes, &bytes);
  if (read == 1) return kIniNotFound;
  if (read < 0) return kIniBadFile;
  IniDocument doc;
  if (!IniDocument::Parse(bytes, limits, &doc, nullptr)) return kIniBadFile;
  std::optional<std::string> found = doc.Get(section, key);
  if (!found) return kIniNotFound;
  *value = std::move(*found);
  return kIniDone;
}

IniStatus WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, const IniLimits& limits) {
  if (!IniDocument::ValidSection(section) || !IniDocument::ValidKey(key) || HasLineBreak(value) ||
      value.find('\0') != std::string_view::npos)
    return kIniBadRequest;
  if (key.size() + 1 + value.size() > limits.maxLineBytes) return kIniBadRequest;
  std::string bytes;
  int read = ReadWholeFile(path, limits.maxFileBytes, &bytes);
  if (read < 0) return kIniBadFile;  // never overwrite a file that could not be read whole
  IniDocument doc;
  if (read == 0 && !IniDocument::Parse(bytes, limits, &doc, nullptr)) return kIniBadFile;
  doc.Set(section, key, value);
  std::string text = doc.Serialize();
  if (text.size() > limits.maxFileBytes) return kIniBadRequest;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (!ReplaceFile(path, text, 0666, nullptr)) return kIniWriteFailed;
  return kIniDone;
}

}  // namespace host::services

// --- The host function --------------------------------------------------------------------

extern "C" std::int16_t HostIniAccess(const char* file, int mode, const char* section,
                                      const char* key, const char* format, va_list args) {
  using namespace host::services;
  host::Host* host = host::Current();
  if (!host || !file || !section || !key || !format) return kIniBadRequest;
  // The file is a plain name in the config folder.
  std::string name = host::MazoviaToUtf8(file);
  if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
    return kIniBadRequest;
  if (host->options.configDir.empty()) return kIniBadRequest;
  std::string path = host->options.configDir + "/" + name;
  IniLimits limits;
  va_list copy;
  va_copy(copy, args);
  IniStatus status = kIniBadRequest;
  if (mode == 9) {
    std::string value;
    if (FormatIniValue(format, copy, &value)) status = WriteIniValue(path, section, key, value, limits);
  } else if (mode == 8) {
    std::vector<IniTarget::Kind> kinds;
    if (ParseReadFormat(format, limits, &kinds)) {
      std::vector<IniTarget> targets;
      for (IniTarget::Kind kind : kinds) {
        IniTarget t;
        t.kind = kind;
        if (kind == IniTarget::Kind::kText) {
          t.maxLength = va_arg(copy, int);
          t.text = va_arg(copy, char*);
        } else {
          t.number = va_arg(copy, std::int16_t*);
        }
        targets.push_back(t);
      }
      std::string value;
      status = ReadIniValue(path, section, key, &value, limits);
      if (status == kIniDone) status = ScanIniValue(value, format, targets, limits);
    }
  }
  va_end(copy);
  return status;
}
