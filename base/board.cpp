#include "base/board.h"

#include <algorithm>
#include <cmath>

#include "base/board_geometry.h"

namespace tumbol {

int Board::CountCubes() const {
  int n = 0;
  for (const Cell c : cells_) n += IsCube(c) ? 1 : 0;
  return n;
}

int Board::Count(Cell code) const { return static_cast<int>(std::count(cells_.begin(), cells_.end(), code)); }

void Board::Replace(Cell from, Cell to) { std::replace(cells_.begin(), cells_.end(), from, to); }

int CellFromPoint(double v) {
  // fmin gives 32767 for a NaN as well.
  return static_cast<int>(std::fmin(std::fabs(std::floor(-v / kCellPoints)), 32767.0));
}

}  // namespace tumbol
