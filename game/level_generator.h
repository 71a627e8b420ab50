#pragma once
// New levels to order: boards of one to three walled rooms, each with its
// own shelves, steps and cubes, kept only when the solver proves them won and
// their shortest solution asks what the difficulty promises. The same seed
// and difficulty always give the same levels: nothing depends on the clock.
#include <cstdint>
#include <vector>

#include "base/board.h"
#include "game/solver.h"

namespace tumbol {

constexpr int kMinDifficulty = 1;
constexpr int kMaxDifficulty = 10;

struct GeneratedLevel {
  Board board;                     // at rest, as it is saved
  std::vector<SolverMove> moves;   // its shortest solution, each cube walked as far as it goes
  int decisions = 0;
  int chains = 0;
  double sharedBricks = 0;         // the most it shares with any level it was kept apart from
  int sharedWith = -1;             // index of that level in `apart`, -1 when none
};

// The fewest and the most decisions, and pushes, a level of difficulty d
// asks; the ranges of one difficulty lie wholly below those of the next, so
// a higher difficulty always asks more of both.
struct DifficultyRange {
  int minDecisions, maxDecisions, minPushes, maxPushes;
};
DifficultyRange RangeOf(int difficulty);

// count levels of difficulty 1..10 from seed. Each shares at most half its
// bricks with every board of apart and with the levels made before it, never
// lets a cube drop straight onto its twin with the first push, and from
// difficulty 4 on sets off a chain on its shortest solution.
std::vector<GeneratedLevel> GenerateLevels(uint32_t seed, int difficulty, int count,
                                           const std::vector<Board>& apart = {});

}  // namespace tumbol
