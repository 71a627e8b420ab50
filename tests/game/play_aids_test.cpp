// Free play's undo, and which board each answer of the solver belongs to.
#include "game/play_aids.h"

#include <gtest/gtest.h>

#include "game/game.h"
#include "game/map_file.h"
#include "shell/scripted_toolkit.h"
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
  void ShowLostSign(bool shown) override { lost = shown; }
  void ShowHint(const SolverMove& move) override { hints.push_back(move); }
  Board searched;
  uint64_t ticket_ = 0;
  int starts = 0, cancels = 0;
  bool lost = false;
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
  aids.BoardAtRest(b);  // an undo before the answer came
  aids.SearchDone(first, Outcome(SolveOutcome::kUnsolvable));
  EXPECT_FALSE(view.lost) << "an answer for an older board";
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kUnsolvable));
  EXPECT_TRUE(view.lost);
  aids.BoardAtRest(a);
  EXPECT_FALSE(view.lost) << "a changed board may be winnable again";
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kUnknown));
  EXPECT_FALSE(view.lost) << "a search that gave up proves nothing";

  // The hint: from the answer already known, or once the search answers;
  // a second request while it runs asks nothing more.
  aids.BoardAtRest(c);
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kSolved, {push}));
  EXPECT_TRUE(view.hints.empty()) << "no hint unless asked";
  const int starts = view.starts;
  aids.HintRequested(c);
  EXPECT_EQ(view.starts, starts);
  ASSERT_EQ(view.hints.size(), 1u);
  aids.HintRequested(a);
  aids.HintRequested(a);
  EXPECT_EQ(view.starts, starts + 1);
  EXPECT_EQ(view.searched, a);
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kSolved, {push}));
  EXPECT_EQ(view.hints.size(), 2u);
  EXPECT_EQ(view.hints.back(), push);

  // A new level: the sign goes and nothing asked of the old board shows.
  aids.HintRequested(b);
  aids.LevelReplaced();
  EXPECT_EQ(view.cancels, 1);
  aids.SearchDone(view.ticket_, Outcome(SolveOutcome::kUnsolvable));
  EXPECT_FALSE(view.lost);
  EXPECT_EQ(view.hints.size(), 2u);
}

class Undo : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two kinds that never meet, a ledge to fall from, and a pair to win.
    WriteBytes(dir / "pole1.txt", BottomRowsText({"0000000000000000000300", "0203000000000000000111", std::string(22, '1')}));
    game.path_work = dir.Slash();
    game.StartLevel();
    start = game.board;
  }
  // Presses the cube at row, col on the half that pushes it dir.
  void Push(int row, int col, int dir) { game.Picture1_MouseDown(24 * (col - 1) + (dir > 0 ? 4 : 20), 24 * row - 12); }

  TempFolder dir;
  ScriptedToolkit tk;
  SilentView ui;
  Game game{tk, ui, ui, ui, ui};
  Board start;
};

TEST_F(Undo, TakesBackEachPushBackToTheStart) {
  Push(15, 2, -1);
  const Board afterOne = game.board;
  Push(14, 20, -1);  // off the ledge: it falls
  ASSERT_NE(game.board, afterOne);
  ASSERT_EQ(game.UndoDepth(), 2u);
  EXPECT_TRUE(game.Undo());
  EXPECT_EQ(game.board, afterOne);
  EXPECT_TRUE(game.Undo());
  EXPECT_EQ(game.board, start);
  EXPECT_FALSE(game.Undo());
  EXPECT_EQ(game.board, start);
}

TEST_F(Undo, NothingDuringASettleNorInAGameAndTheHistoryClears) {
  bool undid = true;
  tk.onPause = [&] { undid = game.Undo(); };
  Push(14, 20, -1);
  tk.onPause = nullptr;
  EXPECT_FALSE(undid) << "while the cube was still falling";
  ASSERT_EQ(game.UndoDepth(), 1u);

  game.ToggleGameMode();
  EXPECT_EQ(game.UndoDepth(), 0u);
  Push(15, 2, -1);
  EXPECT_FALSE(game.Undo()) << "a game's lives are its only way back";
  game.ToggleGameMode();

  Push(15, 1, 1);
  ASSERT_EQ(game.UndoDepth(), 1u);
  game.StartLevel();  // loading
  EXPECT_EQ(game.UndoDepth(), 0u);
  EXPECT_EQ(game.board, start);

  game.board.At(14, 20) = 0;  // only two 2s are left, a gap apart
  game.board.At(15, 4) = 2;
  Push(15, 2, 1);
  ASSERT_TRUE(game.LevelSolved);
  EXPECT_EQ(game.UndoDepth(), 0u) << "a won level is not taken back";
}

}  // namespace
}  // namespace tumbol
