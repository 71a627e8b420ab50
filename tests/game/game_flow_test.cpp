// The level flow of the game window: starting levels, the two modes, lives
// and restarts, completion messages and re-entry during pauses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "game/game.h"
#include "game/map_file.h"
#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

// A cube standing on a brick next to an equal one: won after the first settling.
const std::string kSelfSolving = [] {
  std::string t;
  for (int i = 0; i < 14; ++i) t += std::string(22, '0') + "\r\n";
  return t + "2200000000000000000000\r\n" + std::string(22, '1') + "\r\n";
}();
// Needs one push: 2 _ 2 on a floor.
const std::string kOnePush = [] {
  std::string t;
  for (int i = 0; i < 14; ++i) t += std::string(22, '0') + "\r\n";
  return t + "2020000000000000000000\r\n" + std::string(22, '1') + "\r\n";
}();

class Recorder : public BoardSurface, public SoundCues, public BoardCursor, public GameView {
 public:
  void Clear() override {}
  void DrawTile(int, int, int) override {}
  void DrawBurst(int, int) override {}
  void PlaySoundCue(int cue) override { cues.push_back(cue); }
  void SetAnimCursor(int kind) override { cursorCalls.push_back(kind); }
  void RestoreCursor() override { cursorCalls.push_back(0); }
  std::string MapNumberText() override { return text1; }
  void ShowModeControls(bool freePlay) override { freePlayControls = freePlay; }
  void SetLivesText(const std::string& t) override { lives = t; }
  void SetCoordsText(const std::string& t) override { coords = t; }
  void SetButtonPressed(int index, bool pressed) override { buttons[index] = pressed; }
  void EnableTimer2() override { ++timer2; }
  void OpenEditor() override { ++editor; }
  void OpenRecords() override { ++records; }
  void RequestClose() override { ++closes; }
  void Minimise() override {}

  std::vector<int> cues, cursorCalls;
  std::string text1, lives, coords;
  bool freePlayControls = true;
  bool buttons[8] = {};
  int timer2 = 0, editor = 0, records = 0, closes = 0;
};

class GameFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tumbol_flow_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    game.path_work = dir.string() + "/";
  }
  void TearDown() override { fs::remove_all(dir); }
  void WriteMap(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> t;
    for (const auto& m : tk.messages) t.push_back(m.title);
    return t;
  }

  fs::path dir;
  ScriptedToolkit tk;
  Recorder ui;
  Game game{tk, ui, ui, ui, ui};
};

TEST_F(GameFlow, FreePlayLoadsByNumberAndDefaultsToMapOne) {
  WriteMap("pole1.txt", kOnePush);
  WriteMap("pole12.txt", kSelfSolving);
  game.Image1_MouseDown(0);
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(game.board.CountCubes(), 2);
  ui.text1 = "12";
  game.Image1_MouseDown(0);
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Победа!!!\rВаше время: 00:00:00");
  EXPECT_EQ(tk.messages[0].style, kStyleInformation);
  EXPECT_EQ(tk.messages[0].title, "Поздравляем");
  EXPECT_TRUE(game.LevelSolved);
  EXPECT_EQ(ui.cues.back(), 2);
}

TEST_F(GameFlow, MissingMapAndPathNumbersNameNoFile) {
  for (const std::string number : {"7", "../pole1", "a/b", "..", "x\\y"}) {
    tk.messages.clear();
    ui.text1 = number;
    game.LoadLevelMap();
    ASSERT_EQ(tk.messages.size(), 1u) << number;
    EXPECT_EQ(tk.messages[0].text, "Файла '" + game.path_work + "pole" + number + ".txt' не существует!");
    EXPECT_EQ(tk.messages[0].title, "Открыть");
    EXPECT_EQ(tk.messages[0].style, kStyleExclamation);
    EXPECT_TRUE(game.LoadFailed);
  }
  WriteMap("pole0.txt", "");  // 0 bytes counts as missing
  ui.text1 = "0";
  tk.messages.clear();
  game.LoadLevelMap();
  EXPECT_TRUE(game.LoadFailed);
  ASSERT_EQ(tk.messages.size(), 1u);
}

// Installed read-only: a map the player saved comes first, the shipped ones
// are found beside the program.
TEST_F(GameFlow, PlayersMapsComeBeforeTheShippedOnes) {
  WriteMap("pole1.txt", kOnePush);
  WriteMap("pole2.txt", kOnePush);
  fs::create_directories(dir / "data");
  std::ofstream(dir / "data" / "pole2.txt", std::ios::binary) << kSelfSolving;
  game.dataFolder = (dir / "data").string() + "/";
  game.LoadLevelMap();
  EXPECT_EQ(BoardRowText(game.board, 15), "2020000000000000000000");
  ui.text1 = "2";
  game.LoadLevelMap();
  EXPECT_EQ(BoardRowText(game.board, 15), "2200000000000000000000");
  EXPECT_TRUE(tk.messages.empty());
}

TEST_F(GameFlow, BadMapWarnsOnceWithItsText) {
  WriteMap("pole1.txt", "R\r\n");
  game.LoadLevelMap();
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text,
            "Внимание! Карта имеет неправельную структуру или несуществующие элементы.\r"
            "Эти элементы будут учитываться как пространство карты.");
  EXPECT_EQ(tk.messages[0].title, "Загрузка карты");
  EXPECT_EQ(tk.messages[0].style, kStyleInformation);
  EXPECT_FALSE(game.LoadFailed);
}

TEST_F(GameFlow, NoBoardIsNeverAWonLevel) {
  game.SettleBoard();  // no map ever loaded
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_FALSE(game.LevelSolved);
}

TEST_F(GameFlow, GameModeWalksThroughLevelsAndResetsTotal) {
  for (int n = 1; n <= 15; ++n) WriteMap("pole" + std::to_string(n) + ".txt", kSelfSolving);
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

TEST_F(GameFlow, LevelTimeCountsFromTheStart) {
  WriteMap("pole1.txt", kOnePush);
  game.StartLevel();
  tk.Advance(3 * 3600 + 25 * 60 + 7);
  std::vector<int> none;
  game.Picture1_MouseDown(24 * 2 + 20, 24 * 14 + 5);  // right half of the cube in column 3
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Победа!!!\rВаше время: 03:25:07");
}

TEST_F(GameFlow, LivesPayForRestartsThenOnlyANewStart) {
  WriteMap("pole1.txt", kOnePush);
  WriteMap("pole2.txt", kOnePush);
  game.Image1_MouseDown(5);
  game.LevelNumber = 2;
  for (int i = 0; i < 5; ++i) {
    tk.answers.push_back(kResultYes);
    game.Image1_MouseDown(7);
  }
  EXPECT_EQ(game.Lives, 0);
  EXPECT_EQ(tk.messages.back().text, "Переиграть?");
  EXPECT_EQ(tk.messages.back().title, "Рестарт");
  EXPECT_EQ(tk.messages.back().style, kStyleQuestion);
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

TEST_F(GameFlow, EndingTheGameAsksAndKeepsTheBoard) {
  WriteMap("pole1.txt", kOnePush);
  game.Image1_MouseDown(5);
  const Board before = game.board;
  game.Image1_MouseDown(5);  // No
  EXPECT_FALSE(game.FreePlayMode);
  EXPECT_EQ(tk.messages.back().text, "Вы действительно хотите закончить игру?");
  EXPECT_EQ(tk.messages.back().title, "Выйти");
  tk.answers.push_back(kResultYes);
  game.Image1_MouseDown(5);
  EXPECT_TRUE(game.FreePlayMode);
  EXPECT_TRUE(ui.freePlayControls);
  EXPECT_EQ(game.board, before);
}

TEST_F(GameFlow, MissingNextLevelLeavesTheWonBoard) {
  WriteMap("pole1.txt", kSelfSolving);
  game.Image1_MouseDown(5);
  ASSERT_TRUE(game.LevelSolved);
  const Board won = game.board;
  tk.messages.clear();
  game.Timer2_Timer();
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].title, "Открыть");
  EXPECT_EQ(game.board, won);
  EXPECT_TRUE(game.LevelSolved);
}

TEST_F(GameFlow, NewLevelDuringASettleStopsTheOldSettling) {
  WriteMap("pole1.txt", kOnePush);
  WriteMap("pole2.txt", kOnePush);
  game.StartLevel();
  // While the pushed cube's pair waits to vanish, the player loads map 2.
  bool reloaded = false;
  tk.onPause = [&] {
    if (reloaded) return;
    reloaded = true;
    ui.text1 = "2";
    game.Image1_MouseDown(0);
  };
  game.Picture1_MouseDown(24 * 2 + 20, 24 * 14 + 5);
  // The new board is untouched by the old settling and nobody won it.
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(game.board.CountCubes(), 2);
  EXPECT_FALSE(game.LevelSolved);
}

TEST_F(GameFlow, SecondSettleDuringAPauseDoesNotDoubleTheWin) {
  WriteMap("pole1.txt", kOnePush);
  game.StartLevel();
  int nested = 0;
  tk.onPause = [&] {
    if (nested++ == 0) game.SettleBoard();  // the window activated meanwhile
  };
  game.Picture1_MouseDown(24 * 2 + 20, 24 * 14 + 5);
  EXPECT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(std::count(ui.cues.begin(), ui.cues.end(), 2), 1);
}

TEST_F(GameFlow, PressesWhileBusyOrSlidingAreDropped) {
  WriteMap("pole1.txt", kOnePush);
  int presses = 0;
  tk.onDoEvents = [&] {
    if (presses++ == 200) game.Picture1_MouseDown(24 * 2 + 20, 24 * 14 + 5);
  };
  game.StartLevel();
  tk.onDoEvents = nullptr;
  EXPECT_EQ(game.board.CountCubes(), 2);
  EXPECT_EQ(std::count(ui.cues.begin(), ui.cues.end(), 3), 0);
  int nestedPushes = 0;
  tk.onPause = [&] {
    ++nestedPushes;
    game.Picture1_MouseDown(24 * 0 + 5, 24 * 14 + 5);
  };
  game.Picture1_MouseDown(24 * 2 + 20, 24 * 14 + 5);
  EXPECT_GT(nestedPushes, 0);
  EXPECT_EQ(std::count(ui.cues.begin(), ui.cues.end(), 3), 1);
}

TEST_F(GameFlow, ClosingMidSlideStopsEverything) {
  WriteMap("pole1.txt", kSelfSolving);
  tk.onPause = [&] { game.Shutdown(); };
  game.StartLevel();
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(tk.pauses.size(), 1u);
}

TEST_F(GameFlow, HoverCursorFollowsTheHalves) {
  WriteMap("pole1.txt", kOnePush);
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

}  // namespace
}  // namespace tumbol
