#include "game/level_metrics.h"

#include "game/rules.h"

namespace tumbol {
namespace {

// Settles board as the rules do and follows one cube through it: row and col
// are where it stands, and become 0 when it vanishes. Returns the number of
// vanishing rounds. The shadow board falls in step with the real one (falls
// care only whether a cell holds a cube) and marks the followed cube apart.
int SettleFollowing(Board& board, int& row, int& col) {
  constexpr Cell kOther = kFirstCube;
  constexpr Cell kFollowed = kFirstCube + 1;
  Board shadow = board;
  for (int r = 1; r <= board.Rows(); ++r)
    for (int c = 1; c <= board.Cols(); ++c)
      if (IsCube(board.At(r, c))) shadow.At(r, c) = (r == row && c == col) ? kFollowed : kOther;
  int rounds = 0;
  for (;;) {
    while (GravityPass(board)) GravityPass(shadow);
    if (!MarkPairs(board)) break;
    ++rounds;
    for (int r = 1; r <= board.Rows(); ++r)
      for (int c = 1; c <= board.Cols(); ++c)
        if (board.At(r, c) == kVanishing) board.At(r, c) = shadow.At(r, c) = kEmpty;
  }
  row = col = 0;
  for (int r = 1; r <= board.Rows(); ++r)
    for (int c = 1; c <= board.Cols(); ++c)
      if (shadow.At(r, c) == kFollowed) row = r, col = c;
  return rounds;
}

// Plays moves on a settled board; the shape, and through won whether they
// are all legal and clear it. ends gets where each pushed cube came to rest.
SolutionShape Play(Board board, const std::vector<SolverMove>& moves, bool& won,
                   std::vector<std::pair<int, int>>* ends = nullptr) {
  SolutionShape shape;
  won = false;
  int row = 0, col = 0, dir = 0;  // where the last pushed cube came to rest
  for (const SolverMove& m : moves) {
    if (m.row != row || m.col != col || m.dir != dir) ++shape.decisions;
    if (!TryPush(board, m.row, m.col, m.dir)) return shape;
    row = m.row;
    col = m.col + m.dir;
    dir = m.dir;
    if (SettleFollowing(board, row, col) >= 2) ++shape.chains;
    if (ends != nullptr) ends->push_back({row, col});
  }
  won = !board.HasCube();
  return shape;
}

}  // namespace

std::vector<SolverMove> GroupRuns(const Board& level, std::vector<SolverMove> moves) {
  Board start = level;
  SettleQuietly(start);
  bool won = false;
  std::vector<std::pair<int, int>> ends;
  int best = Play(start, moves, won, &ends).decisions;
  if (!won) return moves;
  // Pull a push forward to just after the push whose cube it goes on
  // walking, whenever the result still wins with fewer decisions.
  for (bool better = true; better;) {
    better = false;
    for (size_t k = 1; k < moves.size() && !better; ++k)
      for (size_t j = 0; j + 1 < k && !better; ++j) {
        if (moves[j].dir != moves[k].dir || ends[j] != std::make_pair(moves[k].row, moves[k].col)) continue;
        std::vector<SolverMove> tried = moves;
        tried.erase(tried.begin() + static_cast<long>(k));
        tried.insert(tried.begin() + static_cast<long>(j) + 1, moves[k]);
        std::vector<std::pair<int, int>> triedEnds;
        const int decisions = Play(start, tried, won, &triedEnds).decisions;
        if (!won || decisions >= best) continue;
        moves.swap(tried);
        ends.swap(triedEnds);
        best = decisions;
        better = true;
      }
  }
  return moves;
}

SolutionShape MeasureSolution(const Board& level, const std::vector<SolverMove>& moves) {
  Board board = level;
  SettleQuietly(board);
  bool won = false;
  return Play(board, moves, won);
}

std::vector<Trap> FindTraps(const Board& level, const std::vector<SolverMove>& moves, size_t stateLimit) {
  std::vector<Trap> traps;
  Board board = level;
  SettleQuietly(board);
  for (size_t step = 0; step < moves.size(); ++step) {
    for (int r = 1; r <= board.Rows(); ++r)
      for (int c = 1; c <= board.Cols(); ++c)
        for (int dir : {-1, +1}) {
          const SolverMove m{r, c, dir};
          Board next = board;
          if (m == moves[step] || !TryPush(next, r, c, dir)) continue;
          int row = r, col = c + dir;
          const bool vanishes = SettleFollowing(next, row, col) > 0;
          SolveLimits limits;
          limits.states = stateLimit;
          const SolveOutcome outcome = DecideLevel(next, limits).outcome;
          if (outcome != SolveOutcome::kSolved)
            traps.push_back({static_cast<int>(step), m, vanishes, outcome == SolveOutcome::kUnknown});
        }
    if (!TryPush(board, moves[step].row, moves[step].col, moves[step].dir)) break;
    SettleQuietly(board);
  }
  return traps;
}

bool DropsIntoTwin(const Board& board) {
  for (int r = 1; r < board.Rows(); ++r)
    for (int c = 1; c <= board.Cols(); ++c)
      for (int dir : {-1, +1}) {
        Board next = board;
        if (!TryPush(next, r, c, dir) || next.At(r + 1, c + dir) != kEmpty) continue;
        int row = r, col = c + dir;
        if (SettleFollowing(next, row, col) > 0 && row == 0) return true;
      }
  return false;
}

double SharedBricks(const Board& a, const Board& b) {
  auto brick = [](const Board& board, int r, int c) {
    if (!board.Inside(r, c)) return false;
    const Cell v = board.At(r, c);
    return v == kBrick || (v >= kFirstFixedBrick && v <= kLastCode);
  };
  int both = 0, either = 0;
  for (int r = 1; r <= 15; ++r)
    for (int c = 2; c <= 21; ++c) {
      both += brick(a, r, c) && brick(b, r, c);
      either += brick(a, r, c) || brick(b, r, c);
    }
  return either == 0 ? 0.0 : static_cast<double>(both) / either;
}

}  // namespace tumbol
