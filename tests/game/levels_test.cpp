// The shipped levels: each loads cleanly, can be won, in exactly the number
// of pushes data/README.md promises, and the levels grow harder.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "game/game.h"
#include "game/map_file.h"
#include "game/quiet_play.h"
#include "game/solver.h"
#include "shell/scripted_toolkit.h"
#include "tests/game/silent_view.h"
#include "shell/data_file.h"

namespace tumbol {
namespace {

const std::string kData = std::string(TUMBOL_SOURCE_DIR) + "/data/";
constexpr int kLevels = 15;

struct TableRow {
  int cubes = 0;
  int pushes = 0;
};

// The rows "| Level | Cubes | Pushes | Idea |" of the table in data/README.md.
std::map<int, TableRow> ReadTable() {
  std::ifstream in(kData + "README.md");
  std::map<int, TableRow> rows;
  const std::regex row(R"(^\|\s*(\d+)\s*\|\s*(\d+)\s*\|\s*(\d+)\s*\|.*\|\s*$)");
  std::string line;
  std::smatch m;
  while (std::getline(in, line))
    if (std::regex_match(line, m, row)) rows[std::stoi(m[1])] = {std::stoi(m[2]), std::stoi(m[3])};
  return rows;
}

Board LoadLevel(int n, bool& warning) {
  std::string text;
  Board board;
  warning = true;
  if (!ReadDataFile(kData + "pole" + std::to_string(n) + ".txt", text)) return board;
  warning = false;
  ParseLevelMap(text, board, warning);
  return board;
}

TEST(ShippedLevels, EachIsWonInThePushesTheTableGivesAndTheSolutionReplays) {
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
    EXPECT_EQ(static_cast<int>(r.moves.size()), table.at(n).pushes);

    QuietPlay play(level);
    play.Settle();
    EXPECT_EQ(play.board(), level) << "the level should be at rest when it starts";
    std::vector<std::string> frames;
    for (const SolverMove& m : r.moves) ASSERT_TRUE(play.Push(m.row, m.col, m.dir, frames));
    EXPECT_FALSE(play.board().HasCube());
  }
}

TEST(ShippedLevels, TheyGrowHarder) {
  const std::map<int, TableRow> table = ReadTable();
  ASSERT_EQ(table.size(), static_cast<size_t>(kLevels));
  EXPECT_GE(table.at(1).pushes, 1);
  EXPECT_LE(table.at(1).pushes, 3);
  for (int n = 2; n <= kLevels; ++n) EXPECT_GE(table.at(n).pushes, table.at(n - 1).pushes) << "level " << n;
  EXPECT_GE(table.at(kLevels).pushes, 20);
  EXPECT_GT(table.at(kLevels).cubes, table.at(1).cubes);
}

TEST(ShippedLevels, EveryListedTrapLosesTheLevel) {
  std::ifstream in(kData + "README.md");
  const std::regex trap(R"(^- Level (\d+): `(\d+),(\d+),([LR])`.*)");
  std::string line;
  std::smatch m;
  int lateTraps = 0;
  while (std::getline(in, line)) {
    if (!std::regex_match(line, m, trap)) continue;
    const int n = std::stoi(m[1]);
    SCOPED_TRACE(line);
    bool warning = false;
    QuietPlay play(LoadLevel(n, warning));
    play.Settle();
    ASSERT_EQ(SolveLevel(play.board()).outcome, SolveOutcome::kSolved);
    std::vector<std::string> frames;
    ASSERT_TRUE(play.Push(std::stoi(m[2]), std::stoi(m[3]), m[4] == "R" ? +1 : -1, frames));
    EXPECT_EQ(SolveLevel(play.board()).outcome, SolveOutcome::kUnsolvable);
    if (n >= 11) ++lateTraps;
  }
  EXPECT_GE(lateTraps, 3) << "the last levels should each hide a losing push";
}

TEST(ShippedLevels, AGameFromLevelOneReachesTheEndThroughTheGameWindowsOwnPresses) {
  ScriptedToolkit tk;
  SilentView screen;
  Game game(tk, screen, screen, screen, screen);
  game.path_work = kData;
  bool recordChecked = false;
  game.checkNewRecord = [&](double) { recordChecked = true; };  // the shipped table stays as it is
  game.Image1_MouseDown(5);  // "Играть"
  ASSERT_FALSE(game.FreePlayMode);
  for (int n = 1; n <= kLevels; ++n) {
    SCOPED_TRACE("level " + std::to_string(n));
    ASSERT_EQ(game.LevelNumber, n);
    const SolveResult r = SolveLevel(game.board);
    ASSERT_EQ(r.outcome, SolveOutcome::kSolved);
    const size_t before = tk.messages.size();
    for (const SolverMove& m : r.moves) {
      // Left half pushes right, right half pushes left; 24 points a cell.
      const double x = 24.0 * (m.col - 1) + (m.dir > 0 ? 6 : 18);
      game.Picture1_MouseDown(x, 24.0 * (m.row - 1) + 12);
    }
    ASSERT_GT(tk.messages.size(), before);
    const std::string won = "Вы прошли " + std::to_string(n) + "- уровень.";
    EXPECT_EQ(tk.messages[before].text.substr(0, won.size()), won);
    if (n < kLevels) game.Timer2_Timer();
  }
  EXPECT_EQ(tk.messages.back().title, "ПОБЕДИТЕЛЬ");
  EXPECT_EQ(tk.messages.size(), static_cast<size_t>(kLevels + 1));
  EXPECT_TRUE(recordChecked);
}

}  // namespace
}  // namespace tumbol
