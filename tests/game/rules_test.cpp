#include <gtest/gtest.h>

#include <cmath>

#include "base/map_file.h"
#include "game/level.h"
#include "game/rules.h"
#include "tests/game/bottom_rows.h"

namespace tumbol {
namespace {

// The bottom rows of a board, as wide as the given rows, joined by blanks.
std::string Bottom(const Board& b, const std::vector<std::string>& rows) {
  std::string text;
  for (size_t i = 0; i < rows.size(); ++i)
    text += (i ? " " : "") + BoardRowText(b, kBoardRows - int(rows.size() - i) + 1).substr(0, rows[i].size());
  return text;
}

TEST(CellFromPoint, CeilingWithMirroredNegatives) {
  EXPECT_EQ(CellFromPoint(0), 0);
  EXPECT_EQ(CellFromPoint(0.1), 1);
  EXPECT_EQ(CellFromPoint(24), 1);
  EXPECT_EQ(CellFromPoint(24.01), 2);
  EXPECT_EQ(CellFromPoint(-1), 0);
  EXPECT_EQ(CellFromPoint(-24), 1);
  EXPECT_EQ(CellFromPoint(-47.9), 1);
  EXPECT_EQ(CellFromPoint(-48), 2);
  for (const double far : {1e9, -1e9, std::nan("")}) EXPECT_EQ(CellFromPoint(far), 32767) << far;
}

TEST(PushDirection, MiddleOfCellPushesRight) {
  EXPECT_EQ(PushDirection(1, 12.0), +1);
  EXPECT_EQ(PushDirection(1, 12.01), -1);
  EXPECT_EQ(PushDirection(3, 48.5), +1);
  EXPECT_EQ(PushDirection(3, 71.0), -1);
}

TEST(Gravity, StackSinksOneRowPerPassTogether) {
  const std::vector<std::string> rows = {"2", "3", "0", "0", "1"};
  Board b = BottomRows(rows);
  EXPECT_TRUE(GravityPass(b));
  EXPECT_EQ(Bottom(b, rows), "0 2 3 0 1");
  EXPECT_TRUE(GravityPass(b));
  EXPECT_FALSE(GravityPass(b));
  EXPECT_EQ(Bottom(b, rows), "0 0 2 3 1");
}

TEST(MarkPairs, ScanOrderAndTieBreaks) {
  const struct {
    std::vector<std::string> rows;
    const char* marked;  // '?': vanishing
  } cases[] = {
      {{"2220", "1111"}, "??20 1111"},   // three in a row: the two left ones pair
      {{"2222", "1111"}, "???? 1111"},   // four: two pairs
      {{"2", "2", "2", "1"}, "2 ? ? 1"},  // three stacked: the two lower ones
      {{"20", "22", "11"}, "20 ?? 11"},  // equal to the right and above: with the right one
      {{"22", "20", "11"}, "?2 ?0 11"},  // to the right and below: the lower one is visited first
      {{"MM", "11"}, "MM 11"},           // fixed bricks never pair
  };
  for (const auto& c : cases) {
    Board b = BottomRows(c.rows);
    const std::string before = Bottom(b, c.rows);
    EXPECT_EQ(MarkPairs(b), before != c.marked) << before;
    EXPECT_EQ(Bottom(b, c.rows), c.marked) << before;
  }
}

TEST(Settling, FrameSequenceOfTheGame) {
  // A cube on top of a pair resting on bricks: vanish, then one fall frame.
  Level play(BottomRows({"3", "22", "11"}));
  EXPECT_EQ(FramesText(play.Settle()), "v2 f");
  EXPECT_EQ(play.board().At(15, 1), 3);
  // On a stacked pair the cube above falls two rows.
  Level stacked(BottomRows({"3", "2", "2", "1"}));
  EXPECT_EQ(FramesText(stacked.Settle()), "v2 f f");
  // A board at rest draws nothing.
  EXPECT_EQ(FramesText(play.Settle()), "-");
  // A vanish with nothing to fall still gets the frame that clears the bursts.
  Level pair(BottomRows({"22", "11"}));
  EXPECT_EQ(FramesText(pair.Settle()), "v2 f");
}

TEST(Settling, CubesMeetingInFlightVanishOnlyAfterFalling) {
  // Column 1 falls two rows onto the floor next to an equal cube; they touch
  // during the fall but vanish only once nothing falls any more.
  Level play(BottomRows({"2", "0", "02", "11"}));
  EXPECT_EQ(FramesText(play.Settle()), "f f v2 f");
  EXPECT_EQ(play.board().CountCubes(), 0);
}

// A push gives the frames it causes and where the pushed cube ends: at rest
// after its fall, or where it vanished; a refused push changes nothing.
TEST(LevelPush, FramesAndWhereThePushedCubeEnds) {
  const struct {
    std::vector<std::string> rows;
    int row, col, dir;
    const char* frames;  // nullptr: refused
    int endRow, endCol;
  } cases[] = {
      {{"20", "10", "10", "11"}, 13, 1, +1, "f f", 15, 2},          // over a gap: falls two rows
      {{"0020", "0010", "2011", "1111"}, 13, 3, -1, "f f v2 f", 15, 2},  // falls beside its partner: they go
      {{"3", "20", "11"}, 15, 1, +1, "f", 15, 2},                   // the cube it held falls; it stays
      {{"30", "10", "022", "111"}, 13, 1, +1, "f v2 f", 15, 2},    // on a board not at rest: lands, and falls on
      {{"20", "11"}, 15, 2, -1, nullptr, 0, 0},                     // an empty cell
      {{"20", "11"}, 16, 1, +1, nullptr, 0, 0},                     // a brick
      {{"231", "111"}, 15, 1, +1, nullptr, 0, 0},                   // into a cube
      {{"231", "111"}, 15, 2, +1, nullptr, 0, 0},                   // into a brick
      {{"2", "1"}, 15, 1, -1, nullptr, 0, 0},                       // off the board
      {{"0000000000000000000002", "1111111111111111111111"}, 15, 22, +1, nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    Level level(BottomRows(c.rows));
    const Board before = level.board();
    const std::optional<PushFrames> push = level.Push(c.row, c.col, c.dir);
    SCOPED_TRACE(Bottom(before, c.rows));
    ASSERT_EQ(push.has_value(), c.frames != nullptr);
    if (!push) {
      EXPECT_EQ(level.board(), before);
      EXPECT_EQ(level.UndoDepth(), 0u);
      continue;
    }
    EXPECT_EQ(FramesText(push->frames), c.frames);
    EXPECT_EQ(push->pushed.At(c.row, c.col + c.dir), before.At(c.row, c.col)) << "shown moved at once";
    EXPECT_EQ(push->frames.back().cells, level.board()) << "the board is at rest at once";
    EXPECT_EQ(std::make_pair(push->row, push->col), std::make_pair(c.endRow, c.endCol));
  }
}

}  // namespace
}  // namespace tumbol
