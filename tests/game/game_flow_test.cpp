// The level flow of the game window: starting levels, the slide-in, the two
// modes, lives and restarts, completion messages, and presses and timers
// that arrive during the pauses of a slide-in or a settling (the event loop
// runs inside every pause, so any handler can come back in).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "game/game.h"
#include "game/map_file.h"
#include "game/rules.h"
#include "base/scripted_toolkit.h"
#include "tests/game/bottom_rows.h"
#include "tests/game/silent_view.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;

std::string Map(const std::string& row15) { return BottomRowsText({row15, std::string(22, '1')}); }
const std::string kSelfSolving = Map("2200000000000000000000");  // won after the first settling
const std::string kOnePush = Map("2020000000000000000000");      // either push wins
const std::string kThreeKinds = Map("3040304000000000000000");   // another board

Board Settled(const std::string& text) {
  Board b;
  bool warning = false;
  ParseLevelMap(text, b, warning);
  return b;
}

class GameFlow : public ::testing::Test {
 protected:
  void SetUp() override { game.path_work = dir.Slash(); }
  void WriteMap(int n, const std::string& text) { WriteBytes(dir / ("pole" + std::to_string(n) + ".txt"), text); }
  // Runs action once, at the first pause.
  void AtFirstPause(std::function<void()> action) {
    tk.onPause = [action, done = false]() mutable {
      if (!done) done = true, action();
    };
  }
  // Presses the left half of the cube at row 15, column 1: pushes it right.
  void PushFirstCubeRight() { game.Picture1_MouseDown(5, 24 * 14 + 5); }
  // Presses the right half of the cube at row 15, column 3: pushes it left.
  void PushThirdCubeLeft() { game.Picture1_MouseDown(24 * 2 + 20, 24 * 14 + 5); }
  int Wins() const { return static_cast<int>(std::count(ui.cues.begin(), ui.cues.end(), 2)); }

  TempFolder dir;
  ScriptedToolkit tk;
  SilentView ui;
  Game game{tk, ui, ui, ui, ui};
};

TEST_F(GameFlow, MissingMapAndPathNumbersNameNoFile) {
  WriteMap(0, "");  // 0 bytes counts as missing
  for (const std::string number : {"7", "0", "../pole1", "a/b", "..", "x\\y"}) {
    tk.messages.clear();
    ui.text1 = number;
    game.LoadLevelMap();
    EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Файла '" + game.path_work + "pole" + number + ".txt' не существует!",
                                                   kStyleExclamation, "Открыть")));
    EXPECT_TRUE(game.LoadFailed);
  }
}

TEST_F(GameFlow, BadMapWarnsOnceWithItsText) {
  WriteMap(1, "R\r\n");
  game.LoadLevelMap();
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Внимание! Карта имеет неправельную структуру или несуществующие "
                                                 "элементы.\rЭти элементы будут учитываться как пространство карты.",
                                                 kStyleInformation, "Загрузка карты")));
  EXPECT_FALSE(game.LoadFailed);
  Game fresh(tk, ui, ui, ui, ui);
  fresh.SettleBoard();  // no map ever loaded: no board, so never a won level
  EXPECT_EQ(tk.messages.size(), 1u);
  EXPECT_FALSE(fresh.LevelSolved);
}

TEST_F(GameFlow, SlideInShowsSixteenFramesFromTheBottomRowUp) {
  for (const std::string& map : {kThreeKinds, Map(std::string(22, '0'))}) {
    WriteMap(1, map);
    game.LoadLevelMap();
    std::vector<Board> frames;
    tk.onPause = [&] { frames.push_back(game.board); };
    game.SlideInBoard();
    const Board level = Settled(map);
    ASSERT_EQ(frames.size(), 16u);
    for (int k = 1; k <= 16; ++k)  // frame k: the level's last k rows at the top
      for (int row = 1; row <= 16; ++row)
        EXPECT_EQ(BoardRowText(frames[k - 1], row), row <= k ? BoardRowText(level, 16 - k + row) : std::string(22, '0'))
            << "frame " << k << " row " << row;
    EXPECT_EQ(game.board, level);
  }
}

TEST_F(GameFlow, GameModeWalksThroughLevelsAndResetsTotal) {
  for (int n = 1; n <= 15; ++n) WriteMap(n, kSelfSolving);
  ui.text1 = "3";
  game.TotalGameTime = 0.5;  // left over from an earlier game
  game.LevelStartTime = tk.now;  // the window's first activation
  game.Image1_MouseDown(5);
  EXPECT_FALSE(game.FreePlayMode);
  EXPECT_FALSE(ui.freePlayControls);
  EXPECT_EQ(ui.lives, "Жизни - 5");
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Вы прошли 1- уровень.\rВаше время: 00:00:00\rИграем дальше.");
  EXPECT_EQ(game.LevelNumber, 2);
  EXPECT_EQ(ui.timer2, 1);
  EXPECT_LT(game.TotalGameTime, 0.01);
  double recordTotal = -1;
  game.checkNewRecord = [&](double total) { recordTotal = total; };
  for (int n = 2; n <= 15; ++n) {
    tk.Advance(60);  // a minute on the way to each level
    game.Timer2_Timer();
  }
  EXPECT_EQ(ui.timer2, 14);
  EXPECT_EQ(game.LevelNumber, 15);
  ASSERT_GE(tk.messages.size(), 2u);
  // A self-solving level is won before its own start is stamped, so it
  // counts from the previous level's start.
  EXPECT_EQ(tk.messages[tk.messages.size() - 2].text,
            "Вы прошли 15- уровень.\rВаше время: 00:01:00\rИграем дальше.");
  EXPECT_EQ(tk.messages.back().title, "ПОБЕДИТЕЛЬ");
  // Fourteen minutes between the starts, plus the animations' pauses.
  EXPECT_EQ(tk.messages.back().text,
            "ВЫ ПРОШЛИ ВСЕ УРОВНИ, ПОЗДРАВЛЯЕМ!\rВаше время: 00:01:00\rОбщее время: 00:14:04");
  EXPECT_NEAR(recordTotal * 86400.0, 14 * 60.0 + 4.35, 0.1);
}

TEST_F(GameFlow, APushSoundsThePairBurstsAndTheWinAndTheTimeCountsFromTheStart) {
  WriteMap(1, kOnePush);
  game.StartLevel();  // no number typed: map 1
  tk.Advance(3 * 3600 + 25 * 60 + 7);
  game.Picture1_MouseDown(20, 24 * 14 + 5);  // the first cube against the edge: nothing
  EXPECT_TRUE(ui.cues.empty());
  PushThirdCubeLeft();
  EXPECT_EQ(ui.cues, (std::vector<int>{3, 1, 1, 2}));
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Победа!!!\rВаше время: 03:25:07", kStyleInformation, "Поздравляем")));
  EXPECT_TRUE(game.LevelSolved);
}

TEST_F(GameFlow, LivesPayForRestartsThenOnlyANewStart) {
  WriteMap(1, kOnePush);
  WriteMap(2, kOnePush);
  game.Image1_MouseDown(5);
  game.LevelNumber = 2;
  for (int i = 0; i < 5; ++i) {
    tk.answers.push_back(kResultYes);
    game.Image1_MouseDown(7);
  }
  EXPECT_EQ(game.Lives, 0);
  EXPECT_THAT(tk.messages.back(), FieldsAre("Переиграть?", kStyleQuestion, "Рестарт"));
  tk.answers.push_back(kResultNo);
  game.Image1_MouseDown(7);
  EXPECT_EQ(tk.messages.back().text, "Начать с 1-го уровня?");
  EXPECT_EQ(game.LevelNumber, 2);
  EXPECT_TRUE(ui.buttons[7]);  // keeps its pressed picture after No
  game.Picture1_MouseMove(5, 5);
  EXPECT_FALSE(ui.buttons[7]);
  tk.answers.push_back(kResultYes);
  game.Image1_MouseDown(7);
  EXPECT_EQ(game.LevelNumber, 1);
  EXPECT_EQ(ui.lives, "Жизни - 5");
}

TEST_F(GameFlow, EachButtonAsksTheWindowForItsOwnAction) {
  const std::pair<int, const char*> cases[] = {{1, "editor"}, {2, "close"}, {3, "close"}, {4, "minimise"}, {6, "records"}};
  for (const auto& [index, action] : cases) {
    ui.actions.clear();
    game.Image1_MouseDown(index);
    EXPECT_EQ(ui.actions, std::vector<std::string>{action}) << "button " << index;
  }
}

TEST_F(GameFlow, EndingTheGameAsksAndKeepsTheBoard) {
  WriteMap(1, kOnePush);
  game.Image1_MouseDown(5);
  const Board before = game.board;
  game.Image1_MouseDown(5);  // No
  EXPECT_FALSE(game.FreePlayMode);
  EXPECT_THAT(tk.messages.back(), FieldsAre("Вы действительно хотите закончить игру?", kStyleQuestion, "Выйти"));
  tk.answers.push_back(kResultYes);
  game.Image1_MouseDown(5);
  EXPECT_TRUE(game.FreePlayMode);
  EXPECT_TRUE(ui.freePlayControls);
  EXPECT_EQ(game.board, before);
}

TEST_F(GameFlow, MissingNextLevelLeavesTheWonBoard) {
  WriteMap(1, kSelfSolving);
  game.Image1_MouseDown(5);
  ASSERT_TRUE(game.LevelSolved);
  const Board won = game.board;
  tk.messages.clear();
  game.Timer2_Timer();
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre(::testing::_, kStyleExclamation, "Открыть")));
  EXPECT_EQ(game.board, won);
  EXPECT_TRUE(game.LevelSolved);
}

TEST_F(GameFlow, HoverCursorFollowsTheHalves) {
  WriteMap(1, kOnePush);
  game.LoadLevelMap();
  game.Picture1_MouseMove(5, 24 * 14 + 5);  // first move: no cursor update
  EXPECT_TRUE(ui.cursorCalls.empty());
  game.Picture1_MouseMove(6, 24 * 14 + 5);  // left half of cube in column 1
  game.Picture1_MouseMove(7, 24 * 14 + 5);  // same half: nothing new
  game.Picture1_MouseMove(20, 24 * 14 + 5);  // right half: restore, then push-left
  EXPECT_EQ(ui.cursorCalls, (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(game.flag_anim, 2);
  game.Picture1_MouseMove(30, 24 * 14 + 5);  // empty cell
  EXPECT_EQ(game.flag_anim, 0);
  EXPECT_EQ(ui.coords, "2/15");
  game.Picture1_MouseMove(0, 5);  // column 0
  game.Picture1_MouseMove(6, 24 * 14 + 5);  // follows column 0: no update
  EXPECT_EQ(game.flag_anim, 0);
}

// Holding Enter in the number field: a load request at every pause. Each
// waits for the running start to unwind instead of running inside it.
TEST_F(GameFlow, LoadsRequestedWhileALevelSlidesInOrAPairVanishesNeverNestAndTheLastShowsWhole) {
  WriteMap(1, kOnePush);
  const std::string falling = BottomRowsText({"0000000003", "3040304", std::string(22, '1')});
  WriteMap(2, falling);  // a cube falls as it starts
  Board last = Settled(falling);
  SettleQuietly(last);
  int depth = 0, deepest = 0, requests = 0;  // outlive the loop: tk.onPause keeps them
  for (bool sliding : {true, false}) {
    SCOPED_TRACE(sliding ? "sliding in" : "vanishing");
    ui.text1 = "1";
    tk.onPause = nullptr;
    if (!sliding) game.StartLevel();
    ui.rests = 0;
    depth = deepest = requests = 0;
    tk.onPause = [&] {
      deepest = std::max(deepest, ++depth);
      // At every pause of the first starts, then only while cubes fall.
      if (requests < 41 && (requests < 30 || tk.pauses.back() > 0.01)) {
        ++requests;
        ui.text1 = requests % 2 || requests >= 30 ? "2" : "1";
        requests % 3 ? game.Image1_MouseDown(0) : game.Timer2_Timer();
      }
      --depth;
    };
    sliding ? game.StartLevel() : PushFirstCubeRight();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(game.board, last);  // whole, not mixed with rows of map 1
    EXPECT_EQ(game.LevelStartTime, tk.now);
    EXPECT_EQ(ui.rests, 1) << "only the last board came to rest";
    EXPECT_EQ(Wins(), 0);
    EXPECT_TRUE(tk.messages.empty());
  }
}

TEST_F(GameFlow, SecondSettleDuringAPauseDoesNotDoubleTheWin) {
  WriteMap(1, kOnePush);
  game.StartLevel();
  AtFirstPause([&] { game.SettleBoard(); });  // the window activated meanwhile
  PushThirdCubeLeft();
  EXPECT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(Wins(), 1);
}

TEST_F(GameFlow, PressesWhileBusyOrSlidingAreDropped) {
  WriteMap(1, kOnePush);
  int presses = 0;
  tk.onDoEvents = [&] {
    if (presses++ == 200) PushThirdCubeLeft();
  };
  game.StartLevel();
  tk.onDoEvents = nullptr;
  EXPECT_EQ(game.board.CountCubes(), 2);
  EXPECT_EQ(std::count(ui.cues.begin(), ui.cues.end(), 3), 0);
  int nestedPushes = 0;
  tk.onPause = [&] {
    ++nestedPushes;
    PushFirstCubeRight();
  };
  PushThirdCubeLeft();
  EXPECT_GT(nestedPushes, 0);
  EXPECT_EQ(std::count(ui.cues.begin(), ui.cues.end(), 3), 1);
}

TEST_F(GameFlow, Timer2DuringTheNextLevelsSettleNeitherSkipsNorDoublesALevel) {
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

TEST_F(GameFlow, ActivationAtAnyPauseOfALevelStartLeavesItToTheRunningOne) {
  // A cube falls into place, and a pair on the bottom row vanishes under a cube resting on it.
  const std::string map = BottomRowsText({"000004", "03", "22000004"});
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

TEST_F(GameFlow, ClosingMidSlideOrMidSettleStopsEverything) {
  for (bool sliding : {true, false}) {
    SCOPED_TRACE(sliding ? "sliding in" : "settling");
    WriteMap(1, sliding ? kSelfSolving : kOnePush);
    ScriptedToolkit toolkit;
    SilentView view;
    Game closing(toolkit, view, view, view, view);
    closing.path_work = game.path_work;
    if (!sliding) closing.StartLevel();
    const size_t before = toolkit.pauses.size();
    toolkit.onPause = [&] { closing.Shutdown(); };
    sliding ? closing.StartLevel() : closing.Picture1_MouseDown(5, 24 * 14 + 5);
    EXPECT_EQ(toolkit.pauses.size(), before + 1);  // stopped at the pause where it closed
    EXPECT_EQ(std::count(view.cues.begin(), view.cues.end(), 2), 0);
    const Board left = closing.board;
    // Whatever was still queued when the window closed changes nothing, waits
    // for nothing and shows nothing, not even a missing map.
    std::filesystem::remove(dir / "pole1.txt");
    closing.Timer2_Timer();
    closing.Image1_MouseDown(0);
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(toolkit.pauses.size(), before + 1);
    EXPECT_EQ(closing.board, left);
  }
}

// Installed read-only: a map the player saved comes first, the shipped ones
// are found beside the program.
TEST_F(GameFlow, PlayersMapsComeBeforeTheShippedOnes) {
  WriteMap(1, kOnePush);
  WriteMap(2, kOnePush);
  std::filesystem::create_directories(dir / "data");
  WriteBytes(dir / "data" / "pole2.txt", kSelfSolving);
  game.dataFolder = dir.Slash() + "data/";
  game.LoadLevelMap();
  EXPECT_EQ(BoardRowText(game.board, 15), "2020000000000000000000");
  ui.text1 = "2";
  game.LoadLevelMap();
  EXPECT_EQ(BoardRowText(game.board, 15), "2200000000000000000000");
  EXPECT_TRUE(tk.messages.empty());
}

}  // namespace
}  // namespace tumbol
