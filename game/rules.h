#pragma once
// The rules of play on a board: pushing, falling and pairing. Pure functions over a Board.
#include "base/board.h"

namespace tumbol {

// +1 (push right) when the pointer is on the left half of the cell, offset
// 12 points or less from its left edge; -1 otherwise.
int PushDirection(int col, double x);

// Moves the cube at row, col one cell in direction dir (+1 or -1) when the
// cell is a cube and the target cell is on the board and empty.
bool TryPush(Board& board, int row, int col, int dir);

// One gravity pass: columns left to right, rows bottom to top; each cube with
// empty space below drops one row. True when something fell.
bool GravityPass(Board& board);

// Marks equal neighbouring cubes in pairs with -1 (first partner found
// left, right, above, below). Columns left to right, rows bottom to top.
// True when a pair was marked.
bool MarkPairs(Board& board);

// Settles without pauses or drawing: falls and vanishes until at rest. For
// tools and the solver; the game's own settling draws every frame.
void SettleQuietly(Board& board);

}  // namespace tumbol
