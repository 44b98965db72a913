#include "services/markup.h"

#include <algorithm>

#include "core/encoding.h"

namespace host::services {

namespace {

constexpr int kMaxColumn = 255;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool StartsPair(std::string_view text, std::size_t i) {
  return i + 1 < text.size() && (text[i] == 'l' || text[i] == 'p') && IsDigit(text[i + 1]);
}

}  // namespace

std::vector<MarkupLine> ParseMarkup(std::string_view text) {
  std::vector<MarkupLine> lines;
  std::vector<MarkupTabStop> stops;
  MarkupLine line;
  int attribute = 0;
  bool lineOpen = false;  // the current line has content or was started by markup

  auto append = [&](char c) {
    if (line.runs.empty() || line.runs.back().tab || line.runs.back().attribute != attribute ||
        (line.centreFrom == static_cast<int>(line.runs.size())))
      line.runs.push_back({std::string(), attribute, false});
    line.runs.back().text.push_back(c);
    lineOpen = true;
  };
  auto endLine = [&](bool lineFeed) {
    line.tabStops = stops;
    line.lineFeed = lineFeed;
    lines.push_back(std::move(line));
    line = MarkupLine();
    lineOpen = false;
  };

  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == 0x01) {
      if (i + 1 < text.size() && text[i + 1] == 't' && StartsPair(text, i + 2)) {
        stops.clear();
        i += 2;
        while (StartsPair(text, i)) {
          MarkupTabStop stop;
          stop.rightAligned = text[i] == 'p';
          ++i;
          int column = 0;
          while (i < text.size() && IsDigit(text[i])) {
            column = std::min(kMaxColumn, column * 10 + (text[i] - '0'));
            ++i;
          }
          stop.column = column;
          stops.push_back(stop);
        }
        if (i < text.size() && text[i] == 0x01) ++i;
        lineOpen = true;
        continue;
      }
      if (i + 2 < text.size() && text[i + 1] == 'c' && text[i + 2] == 0x01) {
        line.centreFrom = static_cast<int>(line.runs.size());
        attribute = 0;
        i += 3;
        lineOpen = true;
        continue;
      }
      attribute = 0;
      ++i;
      continue;
    }
    if (c >= 0x02 && c <= 0x05) {
      attribute = c;
      ++i;
      continue;
    }
    if (c == '\n') {
      endLine(true);
      ++i;
      continue;
    }
    if (c == '\t') {
      line.runs.push_back({std::string(), attribute, true});
      lineOpen = true;
      ++i;
      continue;
    }
    if (c < 0x20 || c == 0x7F) {
      ++i;  // other control bytes are dropped
      continue;
    }
    append(static_cast<char>(c));
    ++i;
  }
  if (lineOpen || !line.runs.empty()) endLine(false);
  return lines;
}

namespace {

int Width(const MarkupRun& run) { return static_cast<int>(run.text.size()); }

// Width of the text runs from `from` up to the next tab or the end of the line.
int SegmentWidth(const std::vector<MarkupRun>& runs, std::size_t from) {
  int width = 0;
  for (std::size_t k = from; k < runs.size() && !runs[k].tab; ++k) width += Width(runs[k]);
  return width;
}

// Lays out runs [from, to) starting at column `column`; returns the Mazovia text.
std::string LayOut(const MarkupLine& line, std::size_t from, std::size_t to, int column) {
  std::string out;
  for (std::size_t k = from; k < to; ++k) {
    const MarkupRun& run = line.runs[k];
    if (!run.tab) {
      out += run.text;
      column += Width(run);
      continue;
    }
    int target = -1;
    for (const MarkupTabStop& stop : line.tabStops) {
      if (stop.column <= column) continue;
      target = stop.rightAligned ? std::max(column + 1, stop.column - SegmentWidth(line.runs, k + 1))
                                 : stop.column;
      break;
    }
    if (target < 0) target = line.tabStops.empty() ? (column / 8 + 1) * 8 : column + 1;
    out.append(static_cast<std::size_t>(target - column), ' ');
    column = target;
  }
  return out;
}

}  // namespace

std::string RenderMarkupPlain(std::string_view text) {
  std::vector<MarkupLine> lines = ParseMarkup(text);
  std::vector<std::string> laid;
  laid.reserve(lines.size());
  std::size_t widest = 0;
  for (const MarkupLine& line : lines) {
    laid.push_back(LayOut(line, 0, line.runs.size(), 0));
    widest = std::max(widest, laid.back().size());
  }
  std::string out;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const MarkupLine& line = lines[n];
    std::string mazovia = laid[n];
    if (line.centreFrom >= 0) {
      std::size_t split = static_cast<std::size_t>(line.centreFrom);
      std::string head = LayOut(line, 0, split, 0);
      std::string rest = LayOut(line, split, line.runs.size(), static_cast<int>(head.size()));
      std::size_t free = widest > head.size() + rest.size() ? widest - head.size() - rest.size() : 0;
      mazovia = head + std::string(free / 2, ' ') + rest;
    }
    out += MazoviaToUtf8(mazovia);
    if (line.lineFeed) out.push_back('\n');
  }
  return out;
}

}  // namespace host::services
