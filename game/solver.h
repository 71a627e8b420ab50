#pragma once
// Finds the fewest pushes that clear a level, or proves that none do.
//
// Breadth-first over settled boards: a move is one push of one cube one cell
// into empty space followed by the whole settling, so the first cleared board
// found is reached by the fewest pushes. Only cubes ever move, so a state is
// the sorted list of (cell, kind) of its cubes; bricks live in one template.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/board.h"

namespace tumbol {

struct SolverMove {
  int row = 0;
  int col = 0;
  int dir = 0;  // +1 right, -1 left
  bool operator==(const SolverMove& o) const { return row == o.row && col == o.col && dir == o.dir; }
};

enum class SolveOutcome { kSolved, kUnsolvable, kUnknown };

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::kUnknown;
  std::vector<SolverMove> moves;  // the shortest solution when solved
  size_t statesExplored = 0;      // distinct settled boards seen
  size_t storeBytes = 0;          // memory held by the seen boards at the end
  double seconds = 0;
};

constexpr size_t kDefaultSolverStateLimit = 2000000;

// start is a board as loaded; it is settled first, as a level start does.
SolveResult SolveLevel(const Board& start, size_t stateLimit = kDefaultSolverStateLimit);

// The settling of the rules (falls and vanishing until at rest), on a flat
// grid and without the per-pass rescans: the solver's inner loop. Gives the
// same board as SettleQuietly.
void SettleFast(Board& board);

// True when some cube kind occurs an odd number of times. Cubes vanish two at
// a time, so such a board can never be cleared.
bool HasUnpairableKind(const Board& board);

}  // namespace tumbol
