#include "game/level_generator.h"

#include <algorithm>
#include <random>

#include "game/level_metrics.h"
#include "game/rules.h"

namespace tumbol {
namespace {

// Candidates tried for one call before it gives up on the rest: enough for
// every difficulty many times over.
constexpr int kMaxCandidates = 20000;
// A candidate the solver cannot finish within this is no level of ours: a
// player could not see through it either.
constexpr size_t kCandidateStates = 300000;

class Dice {
 public:
  explicit Dice(uint32_t seed) : rng_(seed) {}
  // lo..hi, both included. Plain modulo: the same numbers on every library.
  int Roll(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<uint32_t>(hi - lo + 1)); }
  bool Chance(int percent) { return Roll(1, 100) <= percent; }

 private:
  std::mt19937 rng_;
};

Cell BrickLook(Dice& dice) { return dice.Chance(40) ? kBrick : static_cast<Cell>(dice.Roll(kFirstFixedBrick, kLastCode)); }

bool Touches(const Board& b, int row, int col, Cell kind) {
  const int near[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
  for (const auto& d : near)
    if (b.Inside(row + d[0], col + d[1]) && b.At(row + d[0], col + d[1]) == kind) return true;
  return false;
}

// Where a cube dropped into col from row top comes to rest; 0 when the cell
// is taken.
int Landing(const Board& b, int top, int col) {
  if (b.At(top, col) != kEmpty) return 0;
  int row = top;
  while (row < b.Rows() && b.At(row + 1, col) == kEmpty) ++row;
  return row;
}

struct Room {
  int left = 0, right = 0;  // columns, both included
};

// Drops a cube of kind into col from row top; false when that cell is taken
// or the cube would come to rest beside its own kind.
bool Drop(Board& b, int top, int col, Cell kind) {
  const int row = Landing(b, top, col);
  if (row == 0 || row >= b.Rows() || Touches(b, row, col, kind)) return false;
  b.At(row, col) = kind;
  return true;
}

// A stack of two over a floor cube whose twin stands beside it: once the
// lower one goes, the upper drops beside its twin and a second pair goes in
// the same settling.
bool PlaceChain(Board& b, Dice& dice, const Room& room, int top, Cell lower, Cell upper) {
  for (int tries = 0; tries < 10; ++tries) {
    const int col = dice.Roll(room.left, room.right - 1);
    const int row = Landing(b, top, col);
    if (row == 0 || row < top + 1 || Landing(b, top, col + 1) != row) continue;
    Board trial = b;
    if (Drop(trial, top, col, lower) && Drop(trial, top, col, upper) && Drop(trial, top, col + 1, upper)) {
      b = trial;
      return true;
    }
  }
  return false;
}

Board Candidate(Dice& dice, int difficulty, int pairs) {
  Board b(kBoardRows, kBoardCols);
  const Cell floorLook = BrickLook(dice);
  for (int c = 1; c <= kBoardCols; ++c) b.At(kBoardRows, c) = floorLook;

  // Rooms side by side, parted by walls no cube starts above, so none crosses.
  const int roomCount = difficulty <= 3 ? 1 : difficulty <= 6 ? 2 : dice.Roll(2, 3);
  const int top = dice.Roll(3, 6);
  std::vector<Room> rooms;
  int left = 1;
  for (int i = 0; i < roomCount; ++i) {
    const int width = i + 1 == roomCount ? kBoardCols - left + 1 : (kBoardCols - roomCount + 1) / roomCount + dice.Roll(-1, 1);
    rooms.push_back({left, left + width - 1});
    left += width;
    if (i + 1 < roomCount) {
      for (int r = top; r < kBoardRows; ++r) b.At(r, left) = floorLook;
      ++left;
    }
  }

  for (const Room& room : rooms) {
    const Cell look = BrickLook(dice);
    const int width = room.right - room.left + 1;
    // A step or a pit in the floor.
    if (dice.Chance(50)) {
      const int w = dice.Roll(1, 3), from = dice.Roll(room.left, room.right - w + 1);
      for (int c = from; c < from + w; ++c) b.At(kBoardRows - 1, c) = look;
    }
    const int shelves = dice.Roll(1, 2 + difficulty / 4);
    for (int s = 0; s < shelves; ++s) {
      const int len = dice.Roll(2, std::max(2, std::min(7, width - 2)));
      const int from = dice.Roll(room.left, room.right - len + 1);
      const int row = dice.Roll(top + 2, kBoardRows - 3);
      for (int c = from; c < from + len; ++c) b.At(row, c) = look;
    }
  }

  // Pairs shared out over the rooms; each room its own kinds, groups of four
  // from difficulty 6 on.
  std::vector<Cell> kinds;
  for (Cell k = kFirstCube; k <= kLastCube; ++k) kinds.push_back(k);
  for (size_t i = kinds.size() - 1; i > 0; --i) std::swap(kinds[i], kinds[static_cast<size_t>(dice.Roll(0, static_cast<int>(i)))]);
  size_t nextKind = 0;
  const bool chain = difficulty >= 4;
  for (size_t i = 0; i < rooms.size(); ++i) {
    const Room& room = rooms[i];
    int roomPairs = pairs / static_cast<int>(rooms.size()) + (static_cast<int>(i) < pairs % static_cast<int>(rooms.size()));
    std::vector<Cell> roomKinds;
    const int kindCount = std::max(2, std::min(roomPairs, dice.Roll(2, 4)));
    for (int k = 0; k < kindCount && nextKind < kinds.size(); ++k) roomKinds.push_back(kinds[nextKind++]);
    size_t firstKind = 0;  // of the kinds the pairs below take in turn
    if (chain && i == 0 && roomPairs >= 2 && roomKinds.size() >= 2 &&
        PlaceChain(b, dice, room, top + 1, roomKinds[0], roomKinds[1])) {
      // The lower cube's twin still to come; the upper pair is complete.
      bool placed = false;
      for (int tries = 0; tries < 20 && !placed; ++tries) placed = Drop(b, top + 1, dice.Roll(room.left, room.right), roomKinds[0]);
      if (!placed) return Board();
      roomPairs -= 2;
      firstKind = 2;
    }
    for (int p = 0; p < roomPairs; ++p) {
      const int kindIndex = difficulty >= 6 ? p / 2 : p;
      const Cell kind = roomKinds[(firstKind + static_cast<size_t>(kindIndex)) % roomKinds.size()];
      for (int twin = 0; twin < 2; ++twin) {
        bool placed = false;
        for (int tries = 0; tries < 60 && !placed; ++tries) placed = Drop(b, top + 1, dice.Roll(room.left, room.right), kind);
        if (!placed) return Board();
      }
    }
  }
  return b;
}

// Cubes at more than one height, so the level is not one row to shuffle.
bool SeveralHeights(const Board& b) {
  int lowest = 0, highest = kBoardRows;
  for (int r = 1; r <= b.Rows(); ++r)
    for (int c = 1; c <= b.Cols(); ++c)
      if (IsCube(b.At(r, c))) lowest = std::max(lowest, r), highest = std::min(highest, r);
  return lowest > highest;
}

}  // namespace

DifficultyRange RangeOf(int difficulty) {
  static constexpr int kDecisions[] = {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 25};
  static constexpr int kPushes[] = {1, 4, 7, 10, 13, 16, 20, 24, 28, 32, 45};
  const int d = std::clamp(difficulty, kMinDifficulty, kMaxDifficulty) - 1;
  return {kDecisions[d], kDecisions[d + 1] - 1, kPushes[d], kPushes[d + 1] - 1};
}

std::vector<GeneratedLevel> GenerateLevels(uint32_t seed, int difficulty, int count, const std::vector<Board>& apart) {
  difficulty = std::clamp(difficulty, kMinDifficulty, kMaxDifficulty);
  const DifficultyRange want = RangeOf(difficulty);
  Dice dice(seed * 97u + static_cast<uint32_t>(difficulty));
  std::vector<Board> others = apart;
  std::vector<GeneratedLevel> levels;
  // Pairs on the board, steered towards the decisions wanted.
  int pairs = std::max(2, (want.minDecisions + 1) * 2 / 3 + 1);
  for (int tries = 0; tries < kMaxCandidates && static_cast<int>(levels.size()) < count; ++tries) {
    Board board = Candidate(dice, difficulty, pairs);
    if (board.Rows() == 0 || !SeveralHeights(board)) continue;
    Board settled = board;
    SettleQuietly(settled);
    if (settled != board || DropsIntoTwin(board)) continue;
    const SolveResult r = SolveLevel(board, kCandidateStates);
    if (r.outcome != SolveOutcome::kSolved) continue;
    GeneratedLevel level;
    level.moves = GroupRuns(board, r.moves);
    const SolutionShape shape = MeasureSolution(board, level.moves);
    level.decisions = shape.decisions;
    level.chains = shape.chains;
    const int pushes = static_cast<int>(level.moves.size());
    if (level.decisions < want.minDecisions || pushes < want.minPushes) {
      pairs = std::min(pairs + 1, 14);
      continue;
    }
    if (level.decisions > want.maxDecisions || pushes > want.maxPushes) {
      pairs = std::max(pairs - 1, 2);
      continue;
    }
    if (difficulty >= 4 && level.chains == 0) continue;
    for (size_t i = 0; i < others.size(); ++i) {
      const double shared = SharedBricks(board, others[i]);
      if (shared > level.sharedBricks || level.sharedWith < 0) {
        level.sharedBricks = shared;
        level.sharedWith = static_cast<int>(i);
      }
    }
    if (level.sharedBricks > 0.5) continue;
    level.board = board;
    others.push_back(board);
    levels.push_back(std::move(level));
  }
  return levels;
}

}  // namespace tumbol
