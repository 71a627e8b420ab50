#pragma once
// Finds a win, the fewest pushes that clear a level, or a proof that none
// do.
//
// A move is one push of one cube one cell into empty space followed by the
// whole settling, so the search runs over settled boards. It is A* with a
// lower bound on the pushes still needed (see solver.cpp for why the bound
// never overestimates, even across chains), and boards that can never be
// cleared are dropped (a cube that can never meet a partner, a kind that can
// not be paired off within the cubes that can meet, a row or shaft whose
// cubes keep an order that cannot be undone), so running out of boards is a
// proof that the level cannot be won. Whether it can be won at all is a
// question of its own, best-first on the same bound, which finds some win far
// sooner than A* finds the shortest; given a deadline, a greedy search that
// clears pairs first has a short turn before it, and restarts of the greedy
// search in random orders get the time it leaves. Cubes that can never touch
// are solved as separate groups, and a board whose bricks are mirror images
// is kept once for both sides where that is safe. Only cubes ever move: a
// state is the sorted list of (cell, kind) of its cubes; bricks live in one
// template.
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
  bool shortest = false;          // solved, and no win takes fewer pushes
};

constexpr size_t kDefaultSolverStateLimit = 2000000;

// What a search may spend; it gives up with kUnknown when any runs out, or
// soon after *stop becomes true (a caller on another thread raises it to
// cancel).
struct SolveLimits {
  size_t states = kDefaultSolverStateLimit;  // boards kept
  double seconds = 0;                        // 0: no limit
  size_t bytes = 0;                          // memory held by the search; 0: no limit
  const std::atomic<bool>* stop = nullptr;
};

// What the game grants a board a player painted or reached: a second, and
// memory well under 100 MB.
constexpr SolveLimits kPlayerLimits{SIZE_MAX, 1.0, 80u << 20, nullptr};

// In all three, start is a board as loaded; it is settled first, as a level
// start does.

// The fewest pushes (A*), however long it takes within stateLimit boards.
SolveResult SolveLevel(const Board& start, size_t stateLimit = kDefaultSolverStateLimit,
                       const std::atomic<bool>* stop = nullptr);

// Can it be won at all: any win, found best-first, or a proof that none
// exists. Never shortest.
SolveResult DecideLevel(const Board& start, const SolveLimits& limits);

// Decides, then spends what is left of the limits on A* for a shorter win;
// when that runs out the win decided stands, with shortest false.
SolveResult FindWin(const Board& start, const SolveLimits& limits);

// The settling of the rules (falls and vanishing until at rest), on a flat
// grid and without the per-pass rescans: the solver's inner loop. Gives the
// same board as SettleQuietly.
void SettleFast(Board& board);

}  // namespace tumbol
