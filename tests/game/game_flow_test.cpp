// The level flow of the game window: starting levels, the slide-in, the two
// modes, lives and restarts, completion messages, and what comes between the
// frames of a slide-in or a settling.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "base/map_file.h"
#include "game/game.h"
#include "game/rules.h"
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
  void SetUp() override {
    game.SetFolders(dir.Slash());
    ui.Autoplay(&game, &tk);
  }
  void WriteMap(int n, const std::string& text) { WriteBytes(dir / ("pole" + std::to_string(n) + ".txt"), text); }
  void PushThirdCubeLeft() { game.PushCube(15, 3, -1); }
  int Wins() const { return static_cast<int>(std::count(ui.cues.begin(), ui.cues.end(), 2)); }

  TempFolder dir;
  ScriptedToolkit tk;
  SilentView ui;
  Game game{tk, ui, ui, ui, ui};
};

TEST_F(GameFlow, MissingMapsAreToldAndPathNumbersRefused) {
  WriteMap(0, "");  // 0 bytes counts as missing
  // Names with a control character are never asked for, not even when such a file is there.
  for (const char* name : {"pole1\t.txt", "pole1\x7f.txt"}) WriteBytes(dir / name, kOnePush);
  for (const std::string number : {"7", "0", "../pole1", "a/b", "..", "x\\y", "1\t", "1\x7f"}) {
    tk.messages.clear();
    ui.text1 = number;
    game.LoadLevelMap();
    const bool plain = number.size() == 1 && std::isdigit(number[0]);
    EXPECT_THAT(tk.messages, ElementsAre(FieldsAre(plain ? "Файла '" + game.Folders().program + "pole" + number + ".txt' не существует!"
                                                         : "Номер карты '" + number + "' не годится для имени файла.\r"
                                                           "Уберите из него знаки / и \\ и управляющие символы.",
                                                   kStyleExclamation, "Открыть")));
    EXPECT_TRUE(game.LoadFailed());
  }
}

TEST_F(GameFlow, BadMapWarnsOnceWithItsText) {
  WriteMap(1, kOnePush);
  ui.Autoplay(nullptr, nullptr);
  game.StartLevel();
  WriteMap(1, "R\r\n");
  // The frame timer runs on while the box is open: the old board's frames are gone by then.
  tk.onMessage = [&](const ScriptedToolkit::Message&) { EXPECT_EQ(game.PendingFrame(), nullptr); };
  game.LoadLevelMap();
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Внимание! Карта имеет неправельную структуру или несуществующие "
                                                 "элементы.\rЭти элементы будут учитываться как пространство карты.",
                                                 kStyleInformation, "Загрузка карты")));
  EXPECT_FALSE(game.LoadFailed());
  Game fresh(tk, ui, ui, ui, ui);
  fresh.SettleBoard();  // no map ever loaded: no board, so never a won level
  EXPECT_EQ(tk.messages.size(), 1u);
  EXPECT_FALSE(fresh.LevelSolved());
}

TEST_F(GameFlow, SlideInShowsTheLevelFromTheBottomRowUpThenSettles) {
  const std::string falling = BottomRowsText({"0000000003", "3040304", std::string(22, '1')});
  for (const std::string& map : {kThreeKinds, Map(std::string(22, '0')), falling}) {
    WriteMap(1, map);
    ui.Autoplay(nullptr, nullptr);
    game.StartLevel();
    const std::vector<Frame> frames = ui.Run(game, tk);
    const Board level = Settled(map);
    ASSERT_GE(frames.size(), 17u);
    for (int k = 1; k <= 16; ++k)  // frame k: the level's last k rows at the top
      for (int row = 1; row <= 16; ++row)
        EXPECT_EQ(BoardRowText(frames[k - 1].cells, row), row <= k ? BoardRowText(level, 16 - k + row) : std::string(22, '0'))
            << "frame " << k << " row " << row;
    EXPECT_EQ(frames[16].cells, level);  // held once more before it settles
    Board settled = level;
    SettleQuietly(settled);
    EXPECT_EQ(frames.back().cells, settled);
    EXPECT_EQ(frames.size() > 17, settled != level);
  }
}

TEST_F(GameFlow, GameModeWalksThroughLevelsAndResetsTotal) {
  for (int n = 1; n <= 15; ++n) WriteMap(n, kSelfSolving);
  ui.text1 = "3";
  game.PressPlayButton();  // an earlier game: its level 1 counts from the day the clock began
  ASSERT_GT(game.TotalGameTime(), 1.0);
  tk.answers.push_back(kResultYes);
  game.PressPlayButton();  // ended
  tk.messages.clear();
  ui.timer2 = 0;
  game.StartLevelClock();  // the window's first activation
  game.PressPlayButton();
  EXPECT_FALSE(game.FreePlayMode());
  EXPECT_FALSE(ui.freePlayControls);
  EXPECT_EQ(ui.lives, "Жизни - 5");
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Вы прошли 1- уровень.\rВаше время: 00:00:00\rИграем дальше.");
  EXPECT_EQ(game.LevelNumber(), 2);
  EXPECT_EQ(ui.timer2, 1);
  EXPECT_LT(game.TotalGameTime(), 0.01);
  for (int n = 2; n <= 15; ++n) {
    tk.Advance(60);  // a minute on the way to each level
    game.Timer2_Timer();
  }
  EXPECT_EQ(ui.timer2, 14);
  EXPECT_EQ(game.LevelNumber(), 15);
  ASSERT_GE(tk.messages.size(), 2u);
  // A self-solving level is won before its own start is stamped, so it
  // counts from the previous level's start.
  EXPECT_EQ(tk.messages[tk.messages.size() - 2].text,
            "Вы прошли 15- уровень.\rВаше время: 00:01:00\rИграем дальше.");
  EXPECT_EQ(tk.messages.back().title, "ПОБЕДИТЕЛЬ");
  // Fourteen minutes between the starts, plus the animations' pauses.
  EXPECT_EQ(tk.messages.back().text,
            "ВЫ ПРОШЛИ ВСЕ УРОВНИ, ПОЗДРАВЛЯЕМ!\rВаше время: 00:01:00\rОбщее время: 00:14:04");
  EXPECT_NEAR(ui.gameTotal * 86400.0, 14 * 60.0 + 4.35, 0.1);
}

TEST_F(GameFlow, APushSoundsThePairBurstsAndTheWinAndTheTimeCountsFromTheStart) {
  WriteMap(1, kOnePush);
  game.StartLevel();  // no number typed: map 1
  tk.Advance(3 * 3600 + 25 * 60 + 7);
  game.Picture1_MouseDown(20, 24 * 14 + 5);  // the first cube's right half, against the edge: nothing
  EXPECT_TRUE(ui.cues.empty());
  PushThirdCubeLeft();
  EXPECT_EQ(ui.cues, (std::vector<int>{3, 1, 1, 2}));
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Победа!!!\rВаше время: 03:25:07", kStyleInformation, "Поздравляем")));
  EXPECT_TRUE(game.LevelSolved());
}

TEST_F(GameFlow, LivesPayForRestartsThenOnlyANewStart) {
  WriteMap(1, kOnePush);
  WriteMap(2, kOnePush);
  game.PressPlayButton();
  PushThirdCubeLeft();
  game.Timer2_Timer();
  ASSERT_EQ(game.LevelNumber(), 2);
  for (int i = 0; i < 5; ++i) {
    tk.answers.push_back(kResultYes);
    game.PressRestartButton();
  }
  EXPECT_EQ(game.Lives(), 0);
  EXPECT_THAT(tk.messages.back(), FieldsAre("Переиграть?", kStyleQuestion, "Рестарт"));
  tk.answers.push_back(kResultNo);
  game.PressRestartButton();
  EXPECT_EQ(tk.messages.back().text, "Начать с 1-го уровня?");
  EXPECT_EQ(game.LevelNumber(), 2);
  tk.answers.push_back(kResultYes);
  game.PressRestartButton();
  EXPECT_EQ(game.LevelNumber(), 1);
  EXPECT_EQ(ui.lives, "Жизни - 5");
}

TEST_F(GameFlow, EndingTheGameAsksAndKeepsTheBoard) {
  WriteMap(1, kOnePush);
  game.PressPlayButton();
  const Board before = game.board();
  game.PressPlayButton();  // No
  EXPECT_FALSE(game.FreePlayMode());
  EXPECT_THAT(tk.messages.back(), FieldsAre("Вы действительно хотите закончить игру?", kStyleQuestion, "Выйти"));
  tk.answers.push_back(kResultYes);
  game.PressPlayButton();
  EXPECT_TRUE(game.FreePlayMode());
  EXPECT_TRUE(ui.freePlayControls);
  EXPECT_EQ(game.board(), before);
}

TEST_F(GameFlow, MissingNextLevelLeavesTheWonBoard) {
  WriteMap(1, kSelfSolving);
  game.PressPlayButton();
  ASSERT_TRUE(game.LevelSolved());
  const Board won = game.board();
  tk.messages.clear();
  game.Timer2_Timer();
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre(::testing::_, kStyleExclamation, "Открыть")));
  EXPECT_EQ(game.board(), won);
  EXPECT_TRUE(game.LevelSolved());
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
  EXPECT_EQ(game.flag_anim(), 2);
  game.Picture1_MouseMove(30, 24 * 14 + 5);  // empty cell
  EXPECT_EQ(game.flag_anim(), 0);
  EXPECT_EQ(ui.coords, "2/15");
  game.Picture1_MouseMove(0, 5);  // column 0
  game.Picture1_MouseMove(6, 24 * 14 + 5);  // follows column 0: no update
  EXPECT_EQ(game.flag_anim(), 0);
  // While the board moves the plain arrow: the cubes shown are elsewhere.
  game.Picture1_MouseMove(6, 24 * 14 + 5);
  ui.Autoplay(nullptr, nullptr);
  game.StartLevel();  // the pointer rests on a cube that starts moving
  EXPECT_EQ(ui.cursorCalls.back(), 0);
  game.Picture1_MouseMove(20, 24 * 14 + 5);
  EXPECT_EQ(game.flag_anim(), 0);
}

// The keyboard's cell cursor: unseen until an arrow key, then a cell a key
// as far as the edges, Home back to the corner where each level puts it.
// Shift+arrow pushes the cube under it as a press would, and it follows the
// cube down; a press on the board hides it.
TEST_F(GameFlow, TheCellCursorMovesAsFarAsTheEdgesPushesAndFollowsTheCube) {
  std::vector<std::string> rows(16);  // a cube on a brick in the corner, and one to land beside
  rows[0] = "2", rows[1] = "1", rows[14] = "003", rows[15] = std::string(22, '1');
  WriteMap(1, BottomRowsText(rows));
  game.StartLevel();
  ui.Autoplay(nullptr, nullptr);
  using Cell = std::pair<int, int>;
  const std::function<void()> keys[] = {
      [&] { game.PushAtCellCursor(+1), game.MoveCellCursor(-1, 0), game.MoveCellCursor(0, -1); },  // shown, no push
      [&] { for (int i = 0; i < 30; ++i) game.MoveCellCursor(0, +1); },
      [&] { for (int i = 0; i < 30; ++i) game.MoveCellCursor(+1, 0); },
      [&] { game.MoveCellCursor(-1, -1); },
      [&] { game.CellCursorHome(); },
      [&] { game.PushAtCellCursor(+1); },  // falls from row 1 to row 15
      [&] { game.PushAtCellCursor(-1); },  // while it falls: dropped
      [&] { ui.Run(game, tk), game.Picture1_MouseDown(200, 200); },
      [&] { game.MoveCellCursor(0, +1); },
      [&] { game.StartLevel(); },
  };
  const Cell want[] = {{1, 1}, {1, 22}, {16, 22}, {15, 21}, {1, 1}, {15, 2}, {15, 2}, {0, 0}, {15, 2}, {1, 1}};
  for (size_t i = 0; i < std::size(keys); ++i) {
    keys[i]();
    EXPECT_EQ(ui.cellCursor, want[i]) << "step " << i;
    EXPECT_EQ(game.CellCursorShown(), want[i] != Cell(0, 0)) << "step " << i;
  }
  EXPECT_EQ(ui.cues, std::vector<int>{3});
}

// Between two frames of a level start or of a winning push any event may
// come (a press on the board, an activation, a load, the close); none runs
// inside the frames: each is dropped, or replaces or stops the sequence.
TEST_F(GameFlow, EventsBetweenFramesAreDroppedOrReplaceOrStopTheSequence) {
  const std::string falling = BottomRowsText({"0000000003", "3040304", std::string(22, '1')});
  WriteMap(1, kOnePush);
  WriteMap(2, falling);
  Board two = Settled(falling);
  SettleQuietly(two);
  enum Event { kPush, kActivate, kLoad, kClose };
  for (Event event : {kPush, kActivate, kLoad, kClose})
    for (bool start : {true, false})
      for (size_t at = 0;; ++at) {
        SCOPED_TRACE("event " + std::to_string(event) + (start ? " in a start" : " in a push") + " before frame " +
                     std::to_string(at));
        ScriptedToolkit t;
        SilentView v;
        Game g(t, v, v, v, v);
        g.SetFolders(dir.Slash());
        v.text1 = "1";
        if (!start) g.StartLevel(), v.Run(g, t);
        start ? g.StartLevel() : g.PushCube(15, 3, -1);
        size_t shown = 0;
        while (g.PendingFrame()) {
          if (shown++ == at) {
            if (event == kPush) g.PushCube(15, 1, +1);
            if (event == kActivate) g.ActivateBoard();
            if (event == kLoad) v.text1 = "2", g.StartLevel();
            if (event == kClose) g.Shutdown();
            continue;
          }
          t.Advance(v.frameDue);
          g.ShowNextFrame();
        }
        if (shown <= at) break;  // the event came before every frame once
        const int wins = static_cast<int>(std::count(v.cues.begin(), v.cues.end(), 2));
        const int pushes = static_cast<int>(std::count(v.cues.begin(), v.cues.end(), 3));
        EXPECT_EQ(pushes, start ? 0 : 1) << "a press while frames play is dropped";
        if (event == kLoad) {
          EXPECT_EQ(g.board(), two);
          EXPECT_EQ(wins, 0);
          EXPECT_EQ(v.searches, start ? 1 : 2) << "the replaced sequence never came to rest";
          EXPECT_EQ(g.LevelStartTime(), t.now);
        } else if (event == kClose) {
          const Board left = g.board();
          // Whatever was still queued when the window closed changes nothing,
          // waits for nothing and shows nothing, not even a missing map.
          std::filesystem::rename(dir / "pole1.txt", dir / "pole1.bak");
          g.Timer2_Timer();
          g.StartLevel();
          std::filesystem::rename(dir / "pole1.bak", dir / "pole1.txt");
          EXPECT_EQ(g.PendingFrame(), nullptr);
          EXPECT_TRUE(t.messages.empty());
          EXPECT_EQ(g.board(), left);
          EXPECT_EQ(wins, 0);
        } else {
          EXPECT_EQ(g.board().CountCubes(), start ? 2 : 0);
          EXPECT_EQ(v.cues, start ? std::vector<int>{} : std::vector<int>({3, 1, 1, 2})) << "every frame shown, one win";
          if (!start) {
            EXPECT_LT(g.LevelStartTime(), t.now) << "a push leaves the level's clock alone";
          }
          EXPECT_EQ(t.messages.size(), start ? 0u : 1u);
        }
      }
}

// Installed read-only: a map the player saved comes first, the shipped ones
// are found beside the program.
TEST(DrawFrame, TilesForEveryCodeBurstsWhereCubesVanishNothingWhereEmpty) {
  struct Calls : BoardSurface {
    void Clear() override { calls.clear(); }
    void DrawTile(int code, int row, int col) override { calls.push_back({code, row, col}); }
    void DrawBurst(int row, int col) override { calls.push_back({-1, row, col}); }
    std::vector<std::array<int, 3>> calls;
  } surface;
  Board cells(2, 2);
  cells.At(1, 1) = kBrick, cells.At(1, 2) = kVanishing, cells.At(2, 2) = kLastCode;
  EXPECT_EQ(DrawFrame(cells, surface), 1);
  EXPECT_EQ(cells.Count(kBrick), 1);
  EXPECT_EQ(surface.calls, (std::vector<std::array<int, 3>>{{1, 1, 1}, {-1, 1, 2}, {26, 2, 2}}));
}

TEST_F(GameFlow, PlayersMapsComeBeforeTheShippedOnes) {
  WriteMap(1, kOnePush);
  WriteMap(2, kOnePush);
  std::filesystem::create_directories(dir / "data");
  WriteBytes(dir / "data" / "pole2.txt", kSelfSolving);
  game.SetFolders({dir.Slash(), dir.Slash() + "data/"});
  game.LoadLevelMap();
  EXPECT_EQ(BoardRowText(game.board(), 15), "2020000000000000000000");
  ui.text1 = "2";
  game.LoadLevelMap();
  EXPECT_EQ(BoardRowText(game.board(), 15), "2200000000000000000000");
  EXPECT_TRUE(tk.messages.empty());
}

}  // namespace
}  // namespace tumbol
