#pragma once
// Finds the fewest pushes that clear a level, or proves that none do.
//
// A move is one push of one cube one cell into empty space followed by the
// whole settling, so the search runs over settled boards. It is A* with a
// lower bound on the pushes still needed (see solver.cpp for why the bound
// never overestimates, even across chains), and boards on which some cube can
// never meet a partner are dropped, so running out of boards is a proof that
// the level cannot be won. Cubes that can never touch are solved as separate
// groups, and a board whose bricks are mirror images is kept once for both
// sides where that is safe. Only cubes ever move: a state is the sorted list
// of (cell, kind) of its cubes; bricks live in one template.
//
// SolveLevel keeps all its state on its own stack and heap: any number may
// run at once on different threads.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/board.h"

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
  bool stopped = false;           // unknown because the stop flag was raised
  size_t statesExplored = 0;      // distinct settled boards kept
  size_t storeBytes = 0;          // memory held by the search at the end
  double seconds = 0;
};

constexpr size_t kDefaultSolverStateLimit = 2000000;

// start is a board as loaded; it is settled first, as a level start does.
// The search gives up with kUnknown after stateLimit boards, or soon after
// *stop becomes true (stop may be null); a caller on another thread raises it
// to cancel.
SolveResult SolveLevel(const Board& start, size_t stateLimit = kDefaultSolverStateLimit,
                       const std::atomic<bool>* stop = nullptr);

// The settling of the rules (falls and vanishing until at rest), on a flat
// grid and without the per-pass rescans: the solver's inner loop. Gives the
// same board as SettleQuietly.
void SettleFast(Board& board);

}  // namespace tumbol
