#include "base/board.h"

#include <cmath>

namespace tumbol {

int Board::CountCubes() const {
  int n = 0;
  for (const Cell c : cells_) n += IsCube(c) ? 1 : 0;
  return n;
}

int CellFromPoint(double v) {
  const double cell = std::floor(-v / 24.0);
  if (!(cell >= -32767.0 && cell <= 32767.0)) return 32767;
  return static_cast<int>(std::fabs(cell));
}

}  // namespace tumbol
