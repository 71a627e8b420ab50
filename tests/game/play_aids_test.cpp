// Free play's undo, and which board each answer of the solver belongs to.
#include "game/play_aids.h"

#include <gtest/gtest.h>

#include "base/map_file.h"
#include "game/game.h"
#include "tests/game/bottom_rows.h"
#include "tests/game/silent_view.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

class RecordingAids : public AidsView {
 public:
  void StartSearch(const Board& board, uint64_t ticket) override {
    searched = board;
    ticket_ = ticket;
    ++starts;
  }
  void CancelSearch() override { ++cancels; }
  void ShowLostSign(bool shown, bool fromStart) override { lost = shown, asLoaded = fromStart; }
  void ShowHint(const SolverMove& move) override { hints.push_back(move), hinted = true; }
  void HideHint() override { hinted = false; }
  void PointAtLostSign() override { ++pointed; }
  Board searched;
  uint64_t ticket_ = 0;
  int starts = 0, cancels = 0, pointed = 0;
  bool lost = false, asLoaded = false, hinted = false;
  std::vector<SolverMove> hints;
};

SolveResult Outcome(SolveOutcome outcome, std::vector<SolverMove> moves = {}) {
  SolveResult r;
  r.outcome = outcome;
  r.moves = std::move(moves);
  return r;
}

TEST(PlayAids, AnswersCountOnlyForTheBoardAskedAbout) {
  RecordingAids view;
  PlayAids aids(view);
  const Board a = BottomRows({"0202"}), b = BottomRows({"2002"}), c = BottomRows({"0220"});
  const SolverMove push{15, 2, 1};

  aids.BoardAtRest(a);
  const uint64_t first = view.ticket_;
  aids.BoardChanging(true);  // an undo before the answer came
  aids.BoardAtRest(b);
  aids.SearchDone(first, Outcome(SolveOutcome::kUnsolvable));
  EXPECT_FALSE(view.lost) << "an answer for an older board";
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kUnsolvable));
  EXPECT_TRUE(view.lost);
  const int starts = view.starts;
  aids.BoardChanging(false);
  aids.BoardAtRest(c);
  aids.HintRequested(c);
  EXPECT_TRUE(view.lost) << "no push wins a lost board back";
  EXPECT_EQ(view.starts, starts) << "nor needs a search to know it";
  EXPECT_EQ(view.pointed, 1) << "a hint on a lost board is the sign";
  aids.BoardChanging(true);
  aids.BoardAtRest(a);
  EXPECT_FALSE(view.lost) << "an undone board may be winnable again";
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kUnknown));
  EXPECT_FALSE(view.lost) << "a search that gave up proves nothing";

  // The hint: from the answer already known, or once the search answers;
  // a second request while it runs asks nothing more. Until the next
  // change of the board, which voids what is on its way at once.
  aids.BoardChanging(false);
  aids.BoardAtRest(c);
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kSolved, {push}));
  EXPECT_TRUE(view.hints.empty()) << "no hint unless asked";
  aids.BoardAtRest(c);  // an activation: nothing new to ask
  aids.HintRequested(c);
  EXPECT_EQ(view.starts, starts + 2);
  ASSERT_EQ(view.hints.size(), 1u);
  for (bool undo : {false, true}) {
    aids.BoardChanging(undo);
    EXPECT_FALSE(view.hinted);
    aids.HintRequested(a);
    aids.HintRequested(a);
    EXPECT_EQ(view.searched, a);
    const uint64_t asked = view.ticket_;
    undo ? aids.LevelReplaced() : aids.BoardChanging(false);
    aids.SearchDone(asked, Outcome(SolveOutcome::kSolved, {push}));
    EXPECT_EQ(view.hints.size(), 1u) << "a hint for the board before the push";
  }
  EXPECT_EQ(view.starts, starts + 4);
}

// Steps (1 a push, -1 an undo, 0 a new level), then the board is found lost.
TEST(PlayAids, LostAsLoadedOrByAPush) {
  for (const auto& [steps, asLoaded] : std::vector<std::pair<std::vector<int>, bool>>{
           {{}, true}, {{1}, false}, {{1, -1}, true}, {{-1, 1}, false}, {{1, 1, -1}, false}, {{1, 1, 0}, true}}) {
    RecordingAids view;
    PlayAids aids(view);
    for (int step : steps) step == 0 ? aids.LevelReplaced() : aids.BoardChanging(step < 0);
    aids.BoardAtRest(BottomRows({"0203"}));
    aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kUnsolvable));
    EXPECT_EQ(view.asLoaded, asLoaded) << ::testing::PrintToString(steps);
  }
}

class Undo : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two kinds that never meet, a ledge to fall from, and a pair to win.
    WriteBytes(dir / "pole1.txt", BottomRowsText({"0000000000000000000300", "0203000000000000000111", std::string(22, '1')}));
    game.SetFolders(dir.Slash());
    ui.Autoplay(&game, &tk);
    game.StartLevel();
    start = game.board();
  }
  void Push(int row, int col, int dir) { game.PushCube(row, col, dir); }

  TempFolder dir;
  ScriptedToolkit tk;
  SilentView ui;
  Game game{tk, ui, ui, ui, ui};
  Board start;
};

TEST_F(Undo, TakesBackEachPushAndRedoReplaysThemUntilANewPush) {
  Push(15, 2, -1);
  const Board afterOne = game.board();
  Push(14, 20, -1);  // off the ledge: it falls
  const Board afterTwo = game.board();
  ASSERT_NE(afterTwo, afterOne);
  for (const auto& [step, want] : std::vector<std::pair<bool (Game::*)(), const Board*>>{
           {&Game::Undo, &afterOne}, {&Game::Undo, &start}, {&Game::Undo, nullptr},
           {&Game::Redo, &afterOne}, {&Game::Redo, &afterTwo}, {&Game::Redo, nullptr}, {&Game::Undo, &afterOne}}) {
    const Board before = game.board();
    EXPECT_EQ((game.*step)(), want != nullptr);
    EXPECT_EQ(game.board(), want ? *want : before);
  }
  Push(15, 1, 1);  // a new push: what undo took back is gone
  EXPECT_FALSE(game.Redo());
  EXPECT_EQ(game.UndoDepth(), 2u);
}

TEST_F(Undo, OnlyInFreePlayAtRestARestartOrAWinIsTakenBackAnotherLevelIsNot) {
  ui.Autoplay(nullptr, nullptr);
  Push(14, 20, -1);
  ASSERT_NE(game.PendingFrame(), nullptr);
  EXPECT_FALSE(game.Undo()) << "while the cube is still shown falling";
  ui.Run(game, tk);
  ui.Autoplay(&game, &tk);
  ASSERT_TRUE(game.Undo());
  ASSERT_EQ(game.UndoDepth(), 0u);

  game.ToggleGameMode();
  Push(15, 2, -1);
  EXPECT_FALSE(game.Undo()) << "a game's lives are its only way back";
  game.ToggleGameMode();
  EXPECT_EQ(game.UndoDepth(), 0u) << "nor are its pushes taken back after it";

  const Board pushed = game.board();
  game.StartLevel();  // the same map again: a restart
  EXPECT_EQ(game.board(), start);
  EXPECT_TRUE(game.Undo());
  EXPECT_EQ(game.board(), pushed);
  EXPECT_TRUE(game.Redo());
  EXPECT_EQ(game.board(), start);
  game.StartLevel();  // nothing to take back from a restart of the start
  EXPECT_EQ(game.UndoDepth(), 1u);

  WriteBytes(dir / "pole2.txt", BottomRowsText({"202"}));
  ui.text1 = "2";
  game.StartLevel();
  EXPECT_EQ(game.UndoDepth(), 0u) << "another level";
  Push(16, 1, 1);
  ASSERT_TRUE(game.LevelSolved());
  EXPECT_TRUE(game.Undo()) << "a win too";
  EXPECT_FALSE(game.LevelSolved());
  EXPECT_TRUE(game.Redo());
  EXPECT_TRUE(game.LevelSolved());
  EXPECT_EQ(ui.cues, std::vector<int>({3, 3, 3, 1, 1, 2, 2})) << "won again when redone";
  EXPECT_EQ(tk.messages.size(), 2u);
}

}  // namespace
}  // namespace tumbol
