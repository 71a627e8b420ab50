#include "game/solver.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <set>
#include <string>

#include "base/map_file.h"
#include "game/level.h"
#include "game/rules.h"
#include "tests/game/bottom_rows.h"

namespace tumbol {
namespace {

std::string Key(const Board& b) {
  std::string k;
  for (int r = 1; r <= b.Rows(); ++r) k += BoardRowText(b, r);
  return k;
}

// The plainest possible search, straight on the rules: the reference the
// solver's own settling and state keys are checked against.
int ReferenceShortest(Board start) {
  SettleQuietly(start);
  std::set<std::string> seen{Key(start)};
  std::deque<std::pair<Board, int>> queue{{start, 0}};
  while (!queue.empty()) {
    auto [board, depth] = queue.front();
    queue.pop_front();
    if (!board.HasCube()) return depth;
    for (int r = 1; r <= board.Rows(); ++r)
      for (int c = 1; c <= board.Cols(); ++c)
        for (int dir : {-1, +1}) {
          Board next = board;
          if (!TryPush(next, r, c, dir)) continue;
          SettleQuietly(next);
          if (seen.insert(Key(next)).second) queue.push_back({next, depth + 1});
        }
  }
  return -1;
}

// Small random puzzles: a few cubes of three kinds (now and then four of one
// kind) over a floor with gaps and a shelf in an arena eight columns wide;
// sometimes a wall splits it into two rooms, sometimes its bricks are the
// same in a mirror and it stands in the middle of the board.
Board RandomPuzzle(std::mt19937& rng) {
  std::vector<std::string> rows(6, std::string(8, '0'));
  rows[5] = "11111111";
  for (int c = 0; c < 8; ++c)
    if (rng() % 4 == 0) rows[4][c] = '1';
  rows[2][rng() % 8] = 'M';
  rows[2][rng() % 8] = '1';
  if (rng() % 4 == 0) {
    const size_t wall = 3 + rng() % 2;
    for (auto& r : rows) r[wall] = '1';
  }
  const bool mirror = rng() % 3 == 0;
  if (mirror)
    for (auto& r : rows)
      for (int c = 0; c < 4; ++c) r[7 - c] = r[c];
  // Mostly pairs, so many can be won; now and then an odd cube out.
  const char kinds[] = "234";
  const int cubes = 2 * (1 + static_cast<int>(rng() % 3)) + (rng() % 5 == 0 ? 1 : 0);
  const bool four = rng() % 3 == 0;
  for (int i = 0; i < cubes; ++i) {
    char& cell = rows[rng() % 5][rng() % 8];
    if (cell == '0') cell = kinds[four ? (i / 4) % 3 : (i / 2) % 3];
  }
  for (auto& r : rows) r = mirror ? "0000001" + r + "1" : r + "1";  // walls keep the cubes in
  return BottomRows(rows);
}

TEST(SettleFast, SameBoardAsTheGamesOwnSettling) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 400; ++trial) {
    Board board(kBoardRows, kBoardCols);
    for (int r = 1; r <= kBoardRows; ++r)
      for (int c = 1; c <= kBoardCols; ++c) {
        const unsigned roll = rng() % 10;
        // Few kinds, so touching pairs, chains and runs of three are common.
        board.At(r, c) = roll < 4 ? kEmpty : roll < 6 ? kBrick : roll == 6 ? 23 : static_cast<Cell>(2 + rng() % 3);
      }
    Level game(board);
    game.Settle();
    Board fast = board;
    SettleFast(fast);
    ASSERT_EQ(Key(fast), Key(game.board())) << "trial " << trial;
  }
}

// The solver's bound, its pruning of hopeless boards and its split into
// groups that never touch must all keep the plain search's answers.
TEST(SolveLevel, ShortestCountsMatchAPlainSearchAndSolutionsReplay) {
  std::mt19937 rng(3);
  int solved = 0, unsolvable = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const Board puzzle = RandomPuzzle(rng);
    const SolveResult r = SolveLevel(puzzle);
    const int expected = ReferenceShortest(puzzle);
    if (expected < 0) {
      ASSERT_EQ(r.outcome, SolveOutcome::kUnsolvable) << "trial " << trial;
      ASSERT_EQ(DecideLevel(puzzle, {}).outcome, SolveOutcome::kUnsolvable) << "trial " << trial;
      ++unsolvable;
      continue;
    }
    ASSERT_EQ(r.outcome, SolveOutcome::kSolved) << "trial " << trial;
    ASSERT_EQ(static_cast<int>(r.moves.size()), expected) << "trial " << trial;
    EXPECT_TRUE(r.shortest);
    ASSERT_EQ(DecideLevel(puzzle, {}).outcome, SolveOutcome::kSolved) << "trial " << trial;
    // Played as the player would, the solution clears the board.
    Level play(puzzle);
    play.Settle();
    for (const SolverMove& m : r.moves) ASSERT_TRUE(play.Push(m.row, m.col, m.dir)) << "trial " << trial;
    EXPECT_EQ(play.Status(), LevelStatus::kWon) << "trial " << trial;
    ++solved;
  }
  // The sample must hold both kinds of puzzle, or it proves little.
  EXPECT_GT(solved, 60);
  EXPECT_GT(unsolvable, 60);
}

TEST(SolveLevel, EmptyUnpairableAndHopelessBoards) {
  const SolveResult empty = SolveLevel(BottomRows({"1111111111111111111111"}));
  EXPECT_EQ(empty.outcome, SolveOutcome::kSolved);
  EXPECT_TRUE(empty.moves.empty());

  // Hopeless boards are known before any board is kept: a cube with no
  // partner, three of a kind (two can go, the third never), pairs walled
  // apart, and a pair that only meets if the bottom of a column touched the
  // top of the next: one walled in at the bottom, the other held at the top.
  std::vector<std::string> columnEnds(14, "01");
  columnEnds.insert(columnEnds.begin(), "121");
  columnEnds.push_back("21");
  const std::vector<std::string> hopeless[] = {
      {"0002000", "1111111"}, {"2020200", "1111111"}, {"2010200", "1111111"}, columnEnds};
  for (const auto& rows : hopeless) {
    const SolveResult r = SolveLevel(BottomRows(rows));
    EXPECT_EQ(r.outcome, SolveOutcome::kUnsolvable) << rows[0];
    EXPECT_EQ(r.statesExplored, 0u) << rows[0];
  }

  EXPECT_EQ(SolveLevel(Board()).outcome, SolveOutcome::kUnknown);  // no cells at all

  // The very first cell counts like any other: off its ledge, down, and two steps.
  Board corner = BottomRows({"00002", "11111"});
  corner.At(1, 1) = 2;
  corner.At(2, 1) = kBrick;
  EXPECT_EQ(SolveLevel(corner).moves.size(), 3u);
}

// Each rule that drops a board, on a board it proves lost before any search
// and on a near twin it must leave to be won.
TEST(DecideLevel, OrderOfRowsAndShaftsAndOddGroupsOfManyCubes) {
  const std::string floor(22, '1');
  // Twelve 2s in two rooms parted by a wall in column 12: six and six; or
  // seven, and five on posts, though a 3 on the wall makes the rooms one board.
  const std::string row = "20202020202" "1" "2020202020", wall = std::string(11, '0') + "1";
  const struct {
    std::vector<std::string> rows;
    SolveOutcome outcome;
  } cases[] = {
      // A closed row: 2 and 3 can never pass each other; nested they meet.
      {{"2030203", floor}, SolveOutcome::kUnsolvable},
      {{"2030302", floor}, SolveOutcome::kSolved},
      // A 3 from a shelf can land on a 3 of the row: the order no longer binds.
      {{"0300030", "0111111", "2030203", floor}, SolveOutcome::kSolved},
      // A shaft holding 2 3 2 3 from its foot; one holding 2 3 that a 3 and a 2 can drop into.
      {{"0131", "0121", "0131", "0121", floor}, SolveOutcome::kUnsolvable},
      {{"0302", "0131", "0121", floor}, SolveOutcome::kSolved},
      // ...and one holding 3 2 3 with only a 2 to drop in: it lands on the top 3.
      {{"0002", "0131", "0121", "0131", floor}, SolveOutcome::kUnsolvable},
      // A row roofed but over its first cell, 3 4 3: the 4 on the roof gets
      // in only before the first 3, so it never takes the 4 between them. With
      // 3 3 4, the 3s meet and then it takes the 4.
      {{"04", "011111", "034301", floor}, SolveOutcome::kUnsolvable},
      {{"04", "011111", "030341", floor}, SolveOutcome::kSolved},
      // A row 2 3 2 3 on a ledge, a 3 on it: that 3 takes one 3 of the row,
      // the 2s meet, and the last 3 needs a second taker, but the only other
      // 3 is below the ledge. With that 3 on the ledge's end instead, both go.
      {{"03000000", "12323100", "11111100", "00000003", floor}, SolveOutcome::kUnsolvable},
      {{"03000300", "12323100", "11111100", "00000000", floor}, SolveOutcome::kSolved},
      // A closed row 5 2 3 5 2 3 2 3 with one 2 and one 3 to drop in: each
      // kind alone can spare its one taker, but the 5s meet only once a 2
      // and a 3 between them are taken, and then 2 3 2 3 is left. With the
      // second 5 one letter nearer, one 2 lets the 5s meet and one 3 the rest.
      {{"0020003", "0010001", "523523231", floor}, SolveOutcome::kUnsolvable},
      {{"0020003", "0010001", "525323231", floor}, SolveOutcome::kSolved},
      {{wall + "2", wall + "1", row, floor}, SolveOutcome::kSolved},
      {{std::string(11, '0') + "3", "2" + wall.substr(1) + "3", "1" + wall.substr(1) + "2020202020", row.substr(0, 12) + "1010101010",
        floor},
       SolveOutcome::kUnsolvable},
  };
  for (const auto& c : cases) {
    const SolveResult r = DecideLevel(BottomRows(c.rows), {});
    EXPECT_EQ(r.outcome, c.outcome) << c.rows[0] << " / " << c.rows[c.rows.size() - 2];
    if (c.outcome == SolveOutcome::kUnsolvable) {
      EXPECT_EQ(r.statesExplored, 0u) << c.rows[c.rows.size() - 2];
    }
  }
}

// Crowded boards won within the second a painted board is granted. Sixty
// cubes of five kinds: best-first on the bound and the cubes left wanders for
// well over a second, the greedy search that clears pairs first wins at
// once. Sixty of seven: neither wins in seconds, a restart of the greedy
// search in another order does.
TEST(DecideLevel, CrowdedBoardsAreWonWithinThePlayersSecond) {
  const char* const boards[] = {
      "0000000000000000000000\n"
      "0006005000000000000000\n"
      "0003002640000000000000\n"
      "0001111110000000000000\n"
      "0000000000000000000000\n"
      "2000000000000003000000\n"
      "6000000000000005420000\n"
      "4000030000000004562003\n"
      "6000050000000011111002\n"
      "1500011110000000000001\n"
      "1300000000000000000001\n"
      "1200000000000000000001\n"
      "1400000000032500000401\n"
      "1503400600243200065651\n"
      "1624343562434502036561\n"
      "1111111111111111111111\n",
      "0000000000000000000000\n"
      "0000000000000000000000\n"
      "0000000000000000000000\n"
      "0000000000000000000000\n"
      "0000000000000000000000\n"
      "0000000000000000000000\n"
      "0000000000000000070000\n"
      "0000000780072000060200\n"
      "0030040527327005020800\n"
      "0025036811111037467380\n"
      "7052068540000111111110\n"
      "8011111111110000000000\n"
      "5000000000000000000004\n"
      "2001111000003000300005\n"
      "4626040643032063850408\n"
      "1111111111111111111111\n",
  };
  for (const char* text : boards) {
    Board board;
    bool warning = false;
    ParseLevelMap(text, board, warning);
    ASSERT_FALSE(warning);
    SolveLimits limits = kPlayerLimits;
#ifdef __SANITIZE_ADDRESS__
    limits.seconds = 10;  // the checked build runs several times slower
#endif
    const SolveResult r = DecideLevel(board, limits);
    ASSERT_EQ(r.outcome, SolveOutcome::kSolved) << text;
    Level play(board);
    play.Settle();
    for (const SolverMove& m : r.moves) ASSERT_TRUE(play.Push(m.row, m.col, m.dir));
    EXPECT_EQ(play.Status(), LevelStatus::kWon);
  }
}

TEST(FindWin, KeepsTheWinDecidedWhenTheBudgetEndsBeforeTheShortest) {
  Board level;
  bool warning = false;
  ASSERT_TRUE(ReadLevelFile(std::string(TUMBOL_SOURCE_DIR) + "/data/pole13.txt", level, warning));
  const SolveResult decided = DecideLevel(level, {});
  ASSERT_EQ(decided.outcome, SolveOutcome::kSolved);
  EXPECT_FALSE(decided.shortest);
  SolveLimits limits;
  limits.states = decided.statesExplored + 100;
  const SolveResult cut = FindWin(level, limits);
  ASSERT_EQ(cut.outcome, SolveOutcome::kSolved);
  EXPECT_FALSE(cut.shortest);
  EXPECT_EQ(cut.moves, decided.moves);
  const SolveResult whole = FindWin(level, {});
  EXPECT_TRUE(whole.shortest);
  EXPECT_EQ(whole.moves.size(), SolveLevel(level).moves.size());
}

TEST(SolveLevel, StateLimitGivesUnknownWithoutGrowingPastIt) {
  // Forty cubes of twenty kinds on an open floor: far too many boards.
  std::vector<std::string> rows = {"23456789ABCDEFGHIJKL00", "LKJIHGFEDCBA9876543200",
                                   "1111111111111111111111"};
  rows.insert(rows.begin(), 8, std::string(22, '0'));
  const SolveResult r = SolveLevel(BottomRows(rows), 20000);
  EXPECT_EQ(r.outcome, SolveOutcome::kUnknown);
  EXPECT_EQ(r.statesExplored, 20000u);
  // About 80 bytes a board for keys, links and the table: a limit bounds memory.
  EXPECT_LT(r.storeBytes, 20000u * 400);
  // A memory limit holds at every board kept, the tables' growth counted.
  const SolveResult capped = DecideLevel(BottomRows(rows), {SIZE_MAX, 0, 6u << 20, nullptr});
  EXPECT_EQ(capped.outcome, SolveOutcome::kUnknown);
  EXPECT_LE(capped.storeBytes, 6u << 20);

  // A raised stop flag ends the search the same way.
  const std::atomic<bool> stop{true};
  const SolveResult stopped = SolveLevel(BottomRows(rows), kDefaultSolverStateLimit, &stop);
  EXPECT_EQ(stopped.outcome, SolveOutcome::kUnknown);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_LT(stopped.statesExplored, 20000u);
}

}  // namespace
}  // namespace tumbol
