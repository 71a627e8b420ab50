#include "game/rules.h"

#include <cmath>
#include <cstdlib>

#include "base/board_geometry.h"

namespace tumbol {

int PushDirection(int col, double x) {
  const double offset = x - kCellPoints * (col - 1);
  return offset <= kCellPoints / 2 ? +1 : -1;
}

bool TryPush(Board& board, int row, int col, int dir) {
  if (!board.Inside(row, col) || !IsCube(board.At(row, col))) return false;
  const int target = col + dir;
  if (!board.Inside(row, target) || board.At(row, target) != kEmpty) return false;
  board.At(row, target) = board.At(row, col);
  board.At(row, col) = kEmpty;
  return true;
}

bool GravityPass(Board& board) {
  bool moved = false;
  for (int col = 1; col <= board.Cols(); ++col) {
    for (int row = board.Rows(); row >= 1; --row) {
      if (row == board.Rows() || !IsCube(board.At(row, col))) continue;
      if (board.At(row + 1, col) != kEmpty) continue;
      board.At(row + 1, col) = board.At(row, col);
      board.At(row, col) = kEmpty;
      moved = true;
    }
  }
  return moved;
}

bool MarkPairs(Board& board) {
  static constexpr int kLook[4][2] = {{0, -1}, {0, +1}, {-1, 0}, {+1, 0}};
  bool marked = false;
  for (int col = 1; col <= board.Cols(); ++col) {
    for (int row = board.Rows(); row >= 1; --row) {
      const Cell v = board.At(row, col);
      if (!IsCube(v)) continue;
      for (const auto& d : kLook) {
        const int r = row + d[0];
        const int c = col + d[1];
        if (!board.Inside(r, c) || board.At(r, c) != v) continue;
        board.At(row, col) = kVanishing;
        board.At(r, c) = kVanishing;
        marked = true;
        break;
      }
    }
  }
  return marked;
}

void SettleQuietly(Board& board) {
  for (;;) {
    while (GravityPass(board)) {
    }
    if (!MarkPairs(board)) return;
    board.Replace(kVanishing, kEmpty);
  }
}

}  // namespace tumbol
