// The host's settings files ("WtyczkiG.ini" and the like, in the config folder) and the
// formats through which HostIniAccess reads and writes their values.
//
// Syntax: "[Section]" lines open sections; "Key=Value" lines hold values, the value being
// every byte after the first "=" (a CR before the line feed is not part of it); blanks around
// section and key names are ignored and names match without regard to ASCII letter case;
// lines starting with ";" or "#" and every other line are kept as they are and otherwise
// ignored. Values are bytes (the plug-in's are Mazovia). The first section of a name that
// holds the key answers; a write changes that one line, or adds the key at the end of the
// first section of the name, or adds the section at the end of the file.
//
// The reader is bounded (IniLimits) and turns a file it cannot take (too large, a line too
// long, a NUL byte) into an error instead of guessing. A write never leaves a half-written
// file: the whole new file is written beside the old one and renamed over it.
//
// Read formats: literal text, "%d" (or "%hd") filling an int16 (values -32768..65535, the
// 16-bit pattern of what a "%d" write of a 16-bit field stored), "%*s" taking a greatest
// length and a buffer of at least length + 1 bytes. A text takes the longest part of the value
// that leaves the rest of the format matching ("%*s,%d,%*s" reads "a, b,1,c" as "a, b", 1,
// "c"); a text longer than its length is cut to it. The whole value must match; otherwise
// nothing is filled. "%s" without a length is refused: its buffer size is unknown.
// Pure functions unless they name a file; not thread-safe for one file.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host::services {

struct IniLimits {
  std::size_t maxFileBytes = 1 << 20;  // a settings file larger than 1 MiB is refused
  std::size_t maxLineBytes = 4096;     // so is a line longer than 4 KiB
  int maxConversions = 16;             // conversions in one format
};

// Status of HostIniAccess (0 = done; every other value = not done).
enum IniStatus : std::int16_t {
  kIniDone = 0,
  kIniNotFound = 1,       // no such file, section or key
  kIniMismatch = 2,       // the value does not match the read format
  kIniBadRequest = 3,     // bad mode, file name, section, key, format, or a value with CR/LF
  kIniBadFile = 4,        // the file exceeds the limits or holds a NUL byte
  kIniWriteFailed = 5,    // the file could not be written (the old one is untouched)
};

class IniDocument {
 public:
  // Parses a whole file; false with the reason when it exceeds the limits or holds NUL.
  static bool Parse(std::string_view bytes, const IniLimits& limits, IniDocument* out,
                    std::string* error);

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // The value must hold no CR or LF, the names must be valid (ValidSection / ValidKey).
  void Set(std::string_view section, std::string_view key, std::string_view value);
  std::string Serialize() const;

  static bool ValidSection(std::string_view section);
  static bool ValidKey(std::string_view key);

 private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    std::string raw;  // the line as in the file, without its line feed
    Kind kind = Kind::kOther;
    std::string name;  // section or key name, trimmed
    std::size_t valueAt = 0;  // kKey: offset of the value in raw
    std::size_t valueEnd = 0;  // kKey: end of the value (before a final CR)
  };
  static Line Classify(std::string raw);
  std::vector<Line> lines_;
  bool crlf_ = false;
};

// One variable that a read format fills.
struct IniTarget {
  enum class Kind { kInt16, kText } kind = Kind::kInt16;
  std::int16_t* number = nullptr;
  char* text = nullptr;
  int maxLength = 0;  // kText: greatest number of characters; the buffer holds one more
};

// The conversions of a read format in order; false for a format the reader does not take.
bool ParseReadFormat(std::string_view format, const IniLimits& limits,
                     std::vector<IniTarget::Kind>* kinds);

// Matches `value` against `format` and, only when the whole value matches, fills the
// targets (one per conversion, in order). Returns kIniDone, kIniMismatch or kIniBadRequest.
IniStatus ScanIniValue(std::string_view value, std::string_view format,
                       const std::vector<IniTarget>& targets, const IniLimits& limits = {});

// Formats the arguments by a write format: literal text and the conversions d, i, u, x, X,
// c, s, f, e, g with the usual flags, width, precision and the lengths h, hh, l ("%n" and
// the like are refused). False for a format it does not take.
bool FormatIniValue(const char* format, va_list args, std::string* out);

// Reads or writes a key of a settings file at `path` (UTF-8). Writes create the file.
IniStatus ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                       std::string* value, const IniLimits& limits = {});
IniStatus WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, const IniLimits& limits = {});

}  // namespace host::services
