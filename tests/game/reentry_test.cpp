// Presses and timers that arrive while a level slides in or settles: the
// event loop runs inside every pause, so any handler can come back in.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "game/game.h"
#include "game/map_file.h"
#include "game/rules.h"
#include "shell/scripted_toolkit.h"
#include "tests/game/silent_view.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

std::string Map(const std::string& row15) {
  std::string t;
  for (int i = 0; i < 14; ++i) t += std::string(22, '0') + "\r\n";
  return t + row15 + "\r\n" + std::string(22, '1') + "\r\n";
}
const std::string kSelfSolving = Map("2200000000000000000000");
const std::string kOnePush = Map("2020000000000000000000");     // 15,1,R wins
const std::string kThreeKinds = Map("3040304000000000000000");  // another board

class Reentry : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tumbol_reentry_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    game.path_work = dir.string() + "/";
  }
  void TearDown() override { fs::remove_all(dir); }
  void WriteMap(int n, const std::string& text) {
    std::ofstream(dir / ("pole" + std::to_string(n) + ".txt"), std::ios::binary) << text;
  }
  static Board Settled(const std::string& text) {
    Board b;
    bool warning = false;
    ParseLevelMap(text, b, warning);
    return b;
  }
  // Runs action once, at the first pause.
  void AtFirstPause(std::function<void()> action) {
    tk.onPause = [this, action, done = false]() mutable {
      if (done) return;
      done = true;
      action();
    };
  }
  // Pushes the cube at row 15, column 1 to the right, as a press would.
  void PushFirstCubeRight() { game.Picture1_MouseDown(5, 24 * 14 + 5); }
  int Wins() const { return static_cast<int>(std::count(ui.cues.begin(), ui.cues.end(), 2)); }

  fs::path dir;
  ScriptedToolkit tk;
  SilentView ui;
  Game game{tk, ui, ui, ui, ui};
};

TEST_F(Reentry, LoadPressedWhileALevelSlidesInShowsOnlyTheNewMap) {
  WriteMap(1, kOnePush);
  WriteMap(2, kThreeKinds);
  AtFirstPause([&] {
    ui.text1 = "2";
    game.Image1_MouseDown(0);
  });
  game.StartLevel();
  EXPECT_EQ(game.board, Settled(kThreeKinds));  // whole, not mixed with rows of map 1
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_FALSE(game.LevelSolved);
}

TEST_F(Reentry, LoadPressedWhileAWinningPairVanishesIsNoWin) {
  WriteMap(1, kOnePush);
  WriteMap(2, kThreeKinds);
  game.StartLevel();
  AtFirstPause([&] {
    ui.text1 = "2";
    game.Image1_MouseDown(0);
  });
  PushFirstCubeRight();
  EXPECT_EQ(game.board, Settled(kThreeKinds));
  EXPECT_EQ(Wins(), 0);
  EXPECT_TRUE(tk.messages.empty());
}

TEST_F(Reentry, RestartDuringASettleOrASlideCostsOneLifeAndReplaysTheLevel) {
  WriteMap(1, kOnePush);
  game.Image1_MouseDown(5);  // a new game: level 1, five lives
  ASSERT_FALSE(game.FreePlayMode);
  ASSERT_EQ(game.Lives, 5);

  tk.answers = {kResultYes};
  AtFirstPause([&] { game.Image1_MouseDown(7); });
  PushFirstCubeRight();
  EXPECT_EQ(game.Lives, 4);
  EXPECT_EQ(game.LevelNumber, 1);
  EXPECT_EQ(game.board, Settled(kOnePush));
  EXPECT_EQ(Wins(), 0);

  // Again, this time while the replayed level is still sliding in.
  tk.answers = {kResultYes, kResultYes};
  bool nested = false;
  tk.onPause = [&] {
    if (nested) return;
    nested = true;
    game.Image1_MouseDown(7);
  };
  game.Image1_MouseDown(7);
  EXPECT_EQ(game.Lives, 2);
  EXPECT_EQ(game.board, Settled(kOnePush));
  ASSERT_EQ(tk.messages.size(), 3u);  // the three questions, nothing else
  for (const auto& m : tk.messages) EXPECT_EQ(m.title, "Рестарт");
}

TEST_F(Reentry, Timer2DuringTheNextLevelsSettleNeitherSkipsNorDoublesALevel) {
  WriteMap(1, kSelfSolving);
  WriteMap(2, kOnePush);
  WriteMap(3, kOnePush);
  game.Image1_MouseDown(5);  // level 1 wins itself
  ASSERT_EQ(game.LevelNumber, 2);
  ASSERT_EQ(tk.messages.size(), 1u);
  game.Timer2_Timer();
  ASSERT_EQ(game.board, Settled(kOnePush));

  // The timer fires once more while the level-2 pair is vanishing.
  AtFirstPause([&] { game.Timer2_Timer(); });
  PushFirstCubeRight();
  EXPECT_EQ(game.LevelNumber, 2);
  EXPECT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(game.board, Settled(kOnePush));

  tk.onPause = nullptr;
  PushFirstCubeRight();
  EXPECT_EQ(game.LevelNumber, 3);
  ASSERT_EQ(tk.messages.size(), 2u);
  EXPECT_EQ(tk.messages[1].text, "Вы прошли 2- уровень.\rВаше время: 00:00:00\rИграем дальше.");
}

TEST_F(Reentry, ActivationAtAnyPauseOfALevelStartLeavesItToTheRunningOne) {
  // A cube falls into place, and a pair vanishes under a cube resting on it.
  std::string map;
  for (int i = 0; i < 12; ++i) map += std::string(22, '0') + "\r\n";
  map += "0000040000000000000000\r\n0300000000000000000000\r\n2200000400000000000000\r\n";
  map += std::string(22, '1') + "\r\n";
  WriteMap(1, map);
  Board expected = Settled(map);
  SettleQuietly(expected);
  for (size_t at = 0;; ++at) {
    SCOPED_TRACE("activated at pause " + std::to_string(at));
    ScriptedToolkit toolkit;
    SilentView view;
    Game started(toolkit, view, view, view, view);
    started.path_work = game.path_work;
    size_t pauses = 0;
    // What the window's activation handler runs.
    toolkit.onPause = [&] {
      if (pauses++ == at) started.ActivateBoard();
    };
    started.StartLevel();
    EXPECT_EQ(started.board, expected);  // no cube in the air, none lost or doubled
    EXPECT_EQ(std::count(view.cues.begin(), view.cues.end(), 2), 0);
    EXPECT_TRUE(toolkit.messages.empty());
    if (pauses <= at) break;  // every pause of the slide-in and the settling was tried
  }
}

TEST_F(Reentry, ClosingMidSettleOrMidSlideShowsNothingMore) {
  WriteMap(1, kOnePush);
  game.StartLevel();
  AtFirstPause([&] { game.Shutdown(); });
  PushFirstCubeRight();
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(Wins(), 0);
  const size_t pauses = tk.pauses.size();
  const Board left = game.board;
  // Whatever was still queued when the window closed changes nothing, waits
  // for nothing and shows nothing, not even a missing map.
  fs::remove(dir / "pole1.txt");
  game.Timer2_Timer();
  game.Image1_MouseDown(0);
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(tk.pauses.size(), pauses);
  EXPECT_EQ(game.board, left);
}

}  // namespace
}  // namespace tumbol
