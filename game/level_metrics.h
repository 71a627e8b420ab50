#pragma once
// What a level asks of a player, measured on its shortest solution: how many
// separate decisions it takes, how many chains it sets off, and which pushes
// on the way lose it.
#include <cstddef>
#include <vector>

#include "base/board.h"
#include "game/solver.h"

namespace tumbol {

struct SolutionShape {
  // Runs of pushes of one cube in one direction: walking a cube four cells
  // is one decision.
  int decisions = 0;
  // Settlings that vanish twice or more: a vanish that drops cubes into a new
  // pair.
  int chains = 0;
};

// The same pushes reordered so that a cube is walked as far as it goes before
// another moves, wherever the order does not matter: the solver may
// interleave two walks that a player would make one after the other. The
// result still clears the level from level (a board as loaded).
std::vector<SolverMove> GroupRuns(const Board& level, std::vector<SolverMove> moves);

// level is a board as loaded; moves are played from its first settling.
SolutionShape MeasureSolution(const Board& level, const std::vector<SolverMove>& moves);

struct Trap {
  int step = 0;             // solution pushes made before it
  SolverMove move;
  bool vanishes = false;    // its own settling empties a pair: it looks like progress
  bool unknown = false;     // the state limit ran out before a verdict
};

// Every legal push, on each board along the solution, after which the level
// can no longer be won (or, marked unknown, could not be decided within
// stateLimit boards).
std::vector<Trap> FindTraps(const Board& level, const std::vector<SolverMove>& moves,
                            size_t stateLimit = kDefaultSolverStateLimit);

// Whether some push on board (at rest) sends a cube off its edge straight
// down into a pair that vanishes with it: a move that needs no thought.
bool DropsIntoTwin(const Board& board);

// How alike two levels look: the bricks (plain and fixed) they share over the
// bricks either has, inside rows 1-15 and columns 2-21 (the floor row and the
// edge columns are common ground). 0 for two boards without bricks there.
double SharedBricks(const Board& a, const Board& b);

}  // namespace tumbol
