#include "dialog/grid.h"

#include "format/codepage.h"

namespace host::dialog {

void Grid::Resize(int width, int height) {
  width_ = width < 0 ? 0 : width;
  height_ = height < 0 ? 0 : height;
  cells_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), Cell{});
}

void Grid::Fill(Cell cell) { cells_.assign(cells_.size(), cell); }

void Grid::Put(int x, int y, char32_t ch, std::uint8_t attr) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  cells_[static_cast<std::size_t>(y * width_ + x)] = Cell{ch, attr};
}

int Grid::PutUtf8(int x, int y, std::string_view utf8, std::uint8_t attr, int limit) {
  int drawn = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    if (limit >= 0 && drawn >= limit) break;
    std::int32_t cp = codepage::DecodeUtf8(utf8.data(), utf8.size(), i);
    if (cp < 0x20) cp = 0xFFFD;  // never hand control characters to a terminal
    Put(x + drawn, y, static_cast<char32_t>(cp), attr);
    ++drawn;
  }
  return drawn;
}

void Grid::Box(int x, int y, int width, int height, bool doubleLine, std::uint8_t attr) {
  if (width < 2 || height < 2) return;
  const char32_t h = doubleLine ? U'═' : U'─';
  const char32_t v = doubleLine ? U'║' : U'│';
  for (int i = 1; i < width - 1; ++i) {
    Put(x + i, y, h, attr);
    Put(x + i, y + height - 1, h, attr);
  }
  for (int j = 1; j < height - 1; ++j) {
    Put(x, y + j, v, attr);
    Put(x + width - 1, y + j, v, attr);
  }
  Put(x, y, doubleLine ? U'╔' : U'┌', attr);
  Put(x + width - 1, y, doubleLine ? U'╗' : U'┐', attr);
  Put(x, y + height - 1, doubleLine ? U'╚' : U'└', attr);
  Put(x + width - 1, y + height - 1, doubleLine ? U'╝' : U'┘', attr);
}

void Grid::Blit(const Grid& from, int x, int y) {
  for (int j = 0; j < from.height(); ++j)
    for (int i = 0; i < from.width(); ++i) {
      const Cell& cell = from.At(i, j);
      Put(x + i, y + j, cell.ch, cell.attr);
    }
}

std::string Grid::Row(int y) const {
  std::string out;
  if (y < 0 || y >= height_) return out;
  char buffer[4];
  for (int x = 0; x < width_; ++x)
    out.append(buffer, codepage::EncodeUtf8(static_cast<std::int32_t>(At(x, y).ch), buffer));
  return out;
}

std::string Grid::Text() const {
  std::string out;
  for (int y = 0; y < height_; ++y) {
    std::string row = Row(y);
    while (!row.empty() && row.back() == ' ') row.pop_back();
    out += row;
    out += '\n';
  }
  return out;
}

}  // namespace host::dialog
