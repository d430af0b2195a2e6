// Text and attribute dumps of a cell grid, so that screen tests read like the screen.
#include "console/cell_grid.h"

#include "console/cp737.h"

namespace orvenda {

std::string CellGrid::rowText(int row, int first, int last) const {
  if (last < 0 || last > columns_) last = columns_;
  std::string out;
  for (int c = first; c <= last; ++c) appendUtf8(out, kCp737ToUnicode[at(c, row).ch]);
  return out;
}

std::string CellGrid::toString() const {
  std::string out;
  for (int r = 1; r <= rows_; ++r) {
    out += rowText(r);
    out += '\n';
  }
  return out;
}

std::string CellGrid::attributeDump() const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (int r = 1; r <= rows_; ++r) {
    for (int c = 1; c <= columns_; ++c) {
      const auto a = at(c, r).attr;
      out += kHex[a >> 4];
      out += kHex[a & 15];
    }
    out += '\n';
  }
  return out;
}

}  // namespace orvenda
