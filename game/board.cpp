#include "game/board.h"

namespace tumbol {

int Board::CountCubes() const {
  int n = 0;
  for (const Cell c : cells_) n += IsCube(c) ? 1 : 0;
  return n;
}

}  // namespace tumbol
