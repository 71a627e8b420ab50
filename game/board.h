#pragma once
// A grid of cell codes indexed from 1 by row (top first) and column (left first).
#include <cstddef>
#include <vector>

#include "game/cell.h"

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
  Cell& At(int row, int col) { return cells_[Index(row, col)]; }
  Cell At(int row, int col) const { return cells_[Index(row, col)]; }
  int CountCubes() const;
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

}  // namespace tumbol
