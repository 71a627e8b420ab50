// The shipped levels: each loads cleanly, starts at rest, can be won in
// exactly what data/README.md promises, and together they meet the design
// targets (a ramp of decisions, chains, traps, each level its own picture).
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "base/map_file.h"
#include "game/level_metrics.h"
#include "game/level.h"
#include "game/solver.h"
#include "tests/game/bottom_rows.h"

namespace tumbol {
namespace {

const std::string kData = std::string(TUMBOL_SOURCE_DIR) + "/data/";
constexpr int kLevels = 15;

struct TableRow {
  int cubes = 0;
  int pushes = 0;
  int decisions = 0;
  int chains = 0;
};

// The rows "| Level | Idea | Cubes | Pushes | Decisions | Chains | Traps |"
// of the table in data/README.md.
std::map<int, TableRow> ReadTable() {
  std::ifstream in(kData + "README.md");
  std::map<int, TableRow> rows;
  const std::regex row(R"(^\|\s*(\d+)\s*\|[^|]*\|\s*(\d+)\s*\|\s*(\d+)\s*\|\s*(\d+)\s*\|\s*(\d+)\s*\|.*\|\s*$)");
  std::string line;
  std::smatch m;
  while (std::getline(in, line))
    if (std::regex_match(line, m, row))
      rows[std::stoi(m[1])] = {std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5])};
  return rows;
}

Board LoadLevel(int n, bool& warning) {
  Board board;
  warning = true;  // a file that cannot be read fails the level as a warning would
  ReadLevelFile(kData + "pole" + std::to_string(n) + ".txt", board, warning);
  return board;
}

TEST(ShippedLevels, EachIsWonAsTheTableSaysAndTheSolutionReplays) {
  const std::map<int, TableRow> table = ReadTable();
  ASSERT_EQ(table.size(), static_cast<size_t>(kLevels)) << "data/README.md should list every level";
  for (int n = 1; n <= kLevels; ++n) {
    SCOPED_TRACE("level " + std::to_string(n));
    bool warning = false;
    const Board level = LoadLevel(n, warning);
    ASSERT_FALSE(warning);
    ASSERT_EQ(level.Rows(), kBoardRows);
    EXPECT_EQ(level.CountCubes(), table.at(n).cubes);

    const SolveResult r = SolveLevel(level);
    ASSERT_EQ(r.outcome, SolveOutcome::kSolved);
    const std::vector<SolverMove> moves = GroupRuns(level, r.moves);
    const SolutionShape shape = MeasureSolution(level, moves);
    EXPECT_EQ(static_cast<int>(moves.size()), table.at(n).pushes);
    EXPECT_EQ(shape.decisions, table.at(n).decisions);
    EXPECT_EQ(shape.chains, table.at(n).chains);

    Level play(level);
    EXPECT_EQ(FramesText(play.Settle()), "-") << "the level should be at rest when it starts";
    for (const SolverMove& m : moves) ASSERT_TRUE(play.Push(m.row, m.col, m.dir));
    EXPECT_EQ(play.Status(), LevelStatus::kWon);
  }
}

TEST(ShippedLevels, MeetTheDesignTargets) {
  const std::map<int, TableRow> t = ReadTable();
  ASSERT_EQ(t.size(), static_cast<size_t>(kLevels));
  EXPECT_GE(t.at(1).decisions, 1);
  EXPECT_LE(t.at(1).decisions, 3);
  int chained = 0;
  for (int n = 1; n <= kLevels; ++n) {
    if (n > 1) {
      EXPECT_GE(t.at(n).decisions, t.at(n - 1).decisions - 2) << "level " << n << " falls back too far";
    }
    if (n >= 11) {
      EXPECT_GE(t.at(n).decisions, 12) << "level " << n;
    }
    if (n < kLevels) {
      EXPECT_LT(t.at(n).decisions, t.at(kLevels).decisions) << "the finale should ask the most";
    }
    chained += t.at(n).chains > 0;
  }
  EXPECT_GE(t.at(kLevels).decisions, 18);
  EXPECT_GE(chained, 5) << "levels whose shortest solution sets off a chain";

  std::vector<Board> levels;
  bool warning = false;
  for (int n = 1; n <= kLevels; ++n) levels.push_back(LoadLevel(n, warning));
  for (int a = 1; a <= kLevels; ++a)
    for (int b = a + 1; b <= kLevels; ++b)
      EXPECT_LE(SharedBricks(levels[a - 1], levels[b - 1]), 0.5) << "levels " << a << " and " << b << " look alike";

  // A small state limit keeps this quick: a trap that needs a long proof
  // comes back unknown and does not count.
  constexpr size_t kLimit = 20000;
  for (int n = 6; n <= kLevels; ++n) {
    const SolveResult r = SolveLevel(levels[n - 1], kLimit);
    ASSERT_EQ(r.outcome, SolveOutcome::kSolved) << "level " << n;
    int losing = 0, tempting = 0;
    for (const Trap& trap : FindTraps(levels[n - 1], r.moves, kLimit)) {
      losing += !trap.unknown;
      tempting += !trap.unknown && trap.vanishes;
    }
    EXPECT_GE(losing, 1) << "level " << n << " should hide a losing push";
    if (n >= 10) {
      EXPECT_GE(tempting, 1) << "level " << n << " should hide a losing push that vanishes a pair";
    }
  }
}

// A cube walked along the bottom row is one decision however far it goes;
// its pair vanishing there is no chain.
TEST(MeasureSolution, FollowsAWalkingCubeToTheBottomRow) {
  const SolutionShape shape = MeasureSolution(BottomRows({"20002"}), {{16, 1, +1}, {16, 2, +1}, {16, 3, +1}});
  EXPECT_EQ(shape.decisions, 1);
  EXPECT_EQ(shape.chains, 0);
}

// The share of bricks two levels have in the same places: fixed bricks of
// any look count, cubes do not, nor the floor and the outer columns every
// level has.
TEST(SharedBricks, CountsTheBricksInsideTheFrame) {
  using Cells = std::vector<std::array<int, 3>>;  // row, column, code
  const auto board = [](const Cells& cells) {
    Board b(kBoardRows, kBoardCols);
    for (const auto& [r, c, code] : cells) b.At(r, c) = static_cast<Cell>(code);
    return b;
  };
  const struct {
    Cells a, b;
    double shared;
  } cases[] = {
      {{}, {}, 0.0},
      {{{1, 2, kBrick}, {15, 21, kBrick}, {16, 5, kBrick}, {3, 1, kBrick}, {3, 22, kBrick}}, {{15, 21, kBrick}}, 0.5},
      {{{5, 5, kFirstFixedBrick}, {6, 6, kLastCode}, {7, 7, kFirstCube}, {8, 8, kLastCube}},
       {{5, 5, kBrick}, {6, 6, kBrick}, {7, 7, kBrick}, {8, 8, kBrick}}, 0.5},
      {{{5, 2, kBrick}, {5, 3, kBrick}}, {{5, 3, kBrick}, {5, 4, kBrick}}, 1.0 / 3},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(SharedBricks(board(c.a), board(c.b)), c.shared) << c.shared;
    EXPECT_DOUBLE_EQ(SharedBricks(board(c.b), board(c.a)), c.shared) << c.shared;
  }
}

}  // namespace
}  // namespace tumbol
