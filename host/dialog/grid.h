// An off-screen grid of character cells: what the dialog engine draws into and what a screen
// adapter shows. Cells hold a Unicode character and an attribute; drawing outside the grid is
// clipped. Row(y) gives a row as UTF-8 text for tests and screen dumps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host::dialog {

// Attributes: 0 normal, 1..5 the control bytes of template texts, then the engine's own.
enum Attr : std::uint8_t {
  kAttrNormal = 0,
  kAttrControl1 = 1,  // back to normal inside a text
  kAttrControl2 = 2,  // emphasis (tab keys)
  kAttrControl3 = 3,
  kAttrControl4 = 4,
  kAttrControl5 = 5,  // key names (F12, F10, +)
  kAttrHot = 6,       // hot letter
  kAttrFocus = 7,     // the focused control
  kAttrField = 8,     // edit fields and choice lists
  kAttrBorder = 9,    // window borders and frames
  kAttrSelected = 10, // the shown tab page, the chosen list line
  kAttrTitle = 11,
};

struct Cell {
  char32_t ch = U' ';
  std::uint8_t attr = kAttrNormal;
  bool operator==(const Cell&) const = default;
};

class Grid {
 public:
  Grid() = default;
  Grid(int width, int height) { Resize(width, height); }

  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  void Fill(Cell cell);
  void Put(int x, int y, char32_t ch, std::uint8_t attr);
  const Cell& At(int x, int y) const { return cells_[static_cast<std::size_t>(y * width_ + x)]; }
  // A UTF-8 text drawn from (x, y) in one attribute, clipped at `limit` cells (-1: the edge).
  int PutUtf8(int x, int y, std::string_view utf8, std::uint8_t attr, int limit = -1);
  void Box(int x, int y, int width, int height, bool doubleLine, std::uint8_t attr);
  // Copies another grid with its corner at (x, y), clipped.
  void Blit(const Grid& from, int x, int y);

  // A row as UTF-8; trailing blanks are kept so that columns line up.
  std::string Row(int y) const;
  std::string Text() const;  // all rows, each ended by '\n', trailing blanks removed

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Cell> cells_;
};

}  // namespace host::dialog
