#pragma once
// A grid of cell codes indexed from 1 by row (top first) and column (left first).
#include <cstddef>
#include <vector>

#include "base/cell.h"

namespace tumbol {

constexpr int kBoardRows = 16;
constexpr int kBoardCols = 22;

class Board {
 public:
  Board() = default;
  Board(int rows, int cols) : rows_(rows), cols_(cols), cells_(static_cast<size_t>(rows) * cols, kEmpty) {}

  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  bool Inside(int row, int col) const { return row >= 1 && row <= rows_ && col >= 1 && col <= cols_; }
  // Checked: a row outside the board throws instead of touching other memory.
  Cell& At(int row, int col) { return cells_.at(Index(row, col)); }
  Cell At(int row, int col) const { return cells_.at(Index(row, col)); }
  int CountCubes() const;
  int Count(Cell code) const;
  // Every cell holding `from` holds `to` instead.
  void Replace(Cell from, Cell to);
  bool HasCube() const { return CountCubes() > 0; }
  bool operator==(const Board& other) const {
    return rows_ == other.rows_ && cols_ == other.cols_ && cells_ == other.cells_;
  }
  bool operator!=(const Board& other) const { return !(*this == other); }

 private:
  size_t Index(int row, int col) const { return static_cast<size_t>(row - 1) * cols_ + (col - 1); }
  int rows_ = 0;
  int cols_ = 0;
  std::vector<Cell> cells_;
};

// Cell index under a coordinate in points (24 points a cell, from 1), for the
// game's board and the editor's alike: |floor(-v / 24)|, so 0 < v <= 24 is 1,
// v = 0 is 0 and negative positions mirror about the edge. Stored as a 16-bit
// integer: far-off positions (and a NaN) saturate at 32767 rather than wrap.
int CellFromPoint(double v);

}  // namespace tumbol
