// The markup bytes of the host's message and dialog texts, parsed once for every display.
//
// Texts are Mazovia. The markup:
//   0x01 't' pairs... [0x01]  a tab-stop definition: pairs of a letter and a column number,
//                             "l" = the text after a tab starts at the column, "p" = the text
//                             after a tab ends just before the column (right-aligned). It ends
//                             at the next 0x01 (consumed) or at the first character that does
//                             not continue a pair. It holds from its line on, until the next
//                             definition. Columns count from 0 and are capped at 255.
//   0x01 'c' 0x01             centres the rest of the line.
//   0x02 .. 0x05              emphasis / key highlight on (the byte is the attribute);
//   0x01 (anything else)      back to normal text.
//   '\t'                      to the next tab stop; '\n' ends a line (a final '\n' does not
//                             start an empty line). Other control bytes (CR, ESC, ...) are
//                             dropped, so a text can never steer the terminal.
// Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host::services {

struct MarkupTabStop {
  int column = 0;
  bool rightAligned = false;  // "p": the following text ends at the column
  bool operator==(const MarkupTabStop&) const = default;
};

// A piece of one line: text in one attribute, or a tab.
struct MarkupRun {
  std::string text;   // Mazovia; empty for a tab
  int attribute = 0;  // 0 normal, 2..5 as the markup byte
  bool tab = false;
};

struct MarkupLine {
  std::vector<MarkupRun> runs;
  std::vector<MarkupTabStop> tabStops;  // in force for this line
  int centreFrom = -1;                  // index of the first run of the centred rest; -1: none
  bool lineFeed = false;                // ended by '\n' (the text's last line may not be)
};

std::vector<MarkupLine> ParseMarkup(std::string_view mazoviaText);

// Plain UTF-8 text: emphasis dropped, tabs turned into blanks up to their stop (the next
// multiple of 8 without stops, a single blank past the last stop), a centred rest centred in
// the width of the text's widest line. Lines end with '\n' as in the source text.
std::string RenderMarkupPlain(std::string_view mazoviaText);

}  // namespace host::services
