#include "game/level_generator.h"

#include <gtest/gtest.h>

#include "game/level.h"

namespace tumbol {
namespace {

bool AnyTwinsTouch(const Board& b) {
  for (int r = 1; r <= b.Rows(); ++r)
    for (int c = 1; c <= b.Cols(); ++c)
      if (IsCube(b.At(r, c)) && ((c < b.Cols() && b.At(r, c + 1) == b.At(r, c)) ||
                                 (r < b.Rows() && b.At(r + 1, c) == b.At(r, c))))
        return true;
  return false;
}

// Interior columns walled from the floor up at least three cells: the rooms'
// partitions.
int Walls(const Board& b) {
  int walls = 0;
  for (int c = 2; c < b.Cols(); ++c) {
    bool wall = true;
    for (int r = b.Rows() - 3; r < b.Rows(); ++r) wall = wall && !IsCube(b.At(r, c)) && b.At(r, c) != kEmpty;
    walls += wall;
  }
  return walls;
}

TEST(GenerateLevels, ProvenWinsInTheirDifficultysRangeTheSameForTheSameSeed) {
  for (int difficulty : {2, 4, 5}) {
    const std::vector<GeneratedLevel> levels = GenerateLevels(11, difficulty, 2);
    ASSERT_EQ(levels.size(), 2u) << difficulty;
    const DifficultyRange range = RangeOf(difficulty);
    for (const GeneratedLevel& level : levels) {
      EXPECT_FALSE(AnyTwinsTouch(level.board)) << difficulty;
      EXPECT_GE(level.decisions, range.minDecisions) << difficulty;
      EXPECT_LE(level.decisions, range.maxDecisions) << difficulty;
      EXPECT_GE(int(level.moves.size()), range.minPushes) << difficulty;
      EXPECT_LE(int(level.moves.size()), range.maxPushes) << difficulty;
      EXPECT_LE(level.sharedBricks, 0.5) << difficulty;
      if (difficulty >= 4) {
        EXPECT_GE(level.chains, 1) << difficulty;
        EXPECT_GE(Walls(level.board), 1) << difficulty << ": rooms parted by a wall";
      }
      Level play(level.board);
      play.Settle();
      for (const SolverMove& m : level.moves) ASSERT_TRUE(play.Push(m.row, m.col, m.dir)) << difficulty;
      EXPECT_EQ(play.Status(), LevelStatus::kWon) << difficulty;
    }
    if (difficulty == 5) {
      const std::vector<GeneratedLevel> again = GenerateLevels(11, difficulty, 2);
      for (size_t i = 0; i < levels.size(); ++i) EXPECT_EQ(again[i].moves, levels[i].moves);
    }
  }
}

}  // namespace
}  // namespace tumbol
