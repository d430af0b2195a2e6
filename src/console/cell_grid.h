// The screen as plain data: a grid of cells, each one CP737 byte and one colour attribute.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvenda {

// Bits 0-3 foreground colour, bits 4-6 background colour, bit 7 bright background.
using TextAttribute = std::uint8_t;

struct Cell {
  std::uint8_t ch = ' ';
  TextAttribute attr = 0x07;
  friend bool operator==(const Cell&, const Cell&) = default;
};

struct Position {
  int column = 1;  // 1-based
  int row = 1;     // 1-based
  friend bool operator==(const Position&, const Position&) = default;
};

class CellGrid {
 public:
  CellGrid(int columns, int rows, Cell fill = {}) : columns_(columns), rows_(rows) {
    cells_.assign(static_cast<std::size_t>(columns * rows), fill);
  }

  int columns() const { return columns_; }
  int rows() const { return rows_; }

  // 1-based, unchecked beyond an assertion in debug builds.
  Cell& at(int column, int row) { return cells_[index(column, row)]; }
  const Cell& at(int column, int row) const { return cells_[index(column, row)]; }

  void fill(Cell c) { cells_.assign(cells_.size(), c); }

  // One line per row, each cell as its UTF-8 glyph; trailing blanks kept.
  std::string toString() const;
  // The text of one row (1-based), columns first..last inclusive, as UTF-8.
  std::string rowText(int row, int first = 1, int last = -1) const;
  // One line per row, each cell's attribute as two hex digits.
  std::string attributeDump() const;

  friend bool operator==(const CellGrid&, const CellGrid&) = default;

 private:
  std::size_t index(int column, int row) const {
    return static_cast<std::size_t>((row - 1) * columns_ + (column - 1));
  }
  int columns_;
  int rows_;
  std::vector<Cell> cells_;
};

}  // namespace orvenda
