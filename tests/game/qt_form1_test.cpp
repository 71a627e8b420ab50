// The game window's board handling, offscreen, with scripted message boxes.
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <fstream>

#include "game/qt_form1.h"
#include "game/rules.h"
#include "game/solver.h"
#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

class CountingCues : public SoundCues {
 public:
  void PlaySoundCue(int cue) override { cues.push_back(cue); }
  std::vector<int> cues;
};

class CountingCursor : public BoardCursor {
 public:
  void SetAnimCursor(int kind) override { sets.push_back(kind); }
  void RestoreCursor() override { ++restores; }
  std::vector<int> sets;
  int restores = 0;
};

class Form1Board : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tumbol_form1_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string map;
    for (int i = 0; i < 14; ++i) map += std::string(22, '0') + "\r\n";
    map += "2030000000000000000000\r\n" + std::string(22, '1') + "\r\n";
    std::ofstream(dir / "pole1.txt", std::ios::binary) << map;
    form.game().path_work = dir.string() + "/";
    form.game().LoadLevelMap();
    form.game().RedrawBoard();
  }
  void TearDown() override { fs::remove_all(dir); }

  // QTest::mouseMove needs a shown window; send the event straight to the board.
  void MoveTo(QPoint p) {
    QMouseEvent move(QEvent::MouseMove, QPointF(p), form.Picture1->mapToGlobal(QPointF(p)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.Picture1, &move);
  }

  // The pixel in the middle of a cell's left or right half.
  static QPoint CellPoint(int row, int col, bool leftHalf) {
    return QPoint((col - 1) * 32 + (leftHalf ? 8 : 24), (row - 1) * 32 + 16);
  }

  fs::path dir;
  ScriptedToolkit tk;
  CountingCues cues;
  CountingCursor cursor;
  Form1 form{tk, cues, cursor};
};

TEST_F(Form1Board, ControlsStandAtTheirPlaces) {
  EXPECT_EQ(form.size(), QSize(760, 614));
  EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Тумбол"));
  EXPECT_EQ(form.Picture1->geometry(), QRect(27, 29, 705, 513));
  EXPECT_EQ(form.Image1[0]->geometry(), QRect(338, 544, 114, 26));
  EXPECT_EQ(form.Image1[3]->geometry(), QRect(702, 2, 25, 25));
  EXPECT_EQ(form.Image1[6]->toolTip(), QStringLiteral("Рекордсмены"));
  const struct {
    QWidget* label;
    QRect place;
  } labels[] = {{form.Label1, {32, 544, 33, 17}},  {form.Label2, {97, 573, 72, 16}},
                {form.Label3, {218, 545, 111, 13}}, {form.Label4, {617, 574, 42, 13}},
                {form.Label5, {676, 574, 42, 13}}};
  for (const auto& l : labels) EXPECT_EQ(l.label->geometry(), l.place) << l.place.x();
  EXPECT_EQ(form.Label1->text(), QStringLiteral("0/0"));
  EXPECT_EQ(form.Label2->text(), QStringLiteral("Жизни - 0"));
  EXPECT_EQ(form.Label4->text(), QStringLiteral("00:00:00"));
  EXPECT_FALSE(form.Image1[7]->isVisibleTo(&form));
  EXPECT_TRUE(form.Text1->isVisibleTo(&form));
}

TEST_F(Form1Board, PressPushesByTheHalfAndSettles) {
  // Right half of the cube in column 3 pushes it left, onto nothing new.
  QTest::mousePress(form.Picture1, Qt::LeftButton, {}, CellPoint(15, 3, false));
  EXPECT_EQ(form.game().board.At(15, 2), 3);
  EXPECT_EQ(form.game().board.At(15, 3), 0);
  EXPECT_EQ(cues.cues, std::vector<int>{3});
  // A right-button press on the left half of the cube in column 1 pushes it
  // right, next to nothing equal: blocked by the cube now in column 2.
  QTest::mousePress(form.Picture1, Qt::RightButton, {}, CellPoint(15, 1, true));
  EXPECT_EQ(form.game().board.At(15, 1), 2);
  EXPECT_EQ(cues.cues.size(), 1u);
  // The painted frame shows a tile where the cube now stands.
  const QImage frame = form.Picture1->Frame();
  EXPECT_NE(frame.pixel(CellPoint(15, 2, true)), frame.pixel(CellPoint(15, 3, true)));
}

TEST_F(Form1Board, MovesShowTheCellAndChooseTheCursor) {
  MoveTo(CellPoint(15, 1, true));
  EXPECT_EQ(form.Label1->text(), QStringLiteral("1/15"));
  EXPECT_TRUE(cursor.sets.empty());  // the first movement never sets a cursor
  MoveTo(CellPoint(15, 3, false));
  EXPECT_EQ(form.Label1->text(), QStringLiteral("3/15"));
  EXPECT_EQ(cursor.sets, std::vector<int>{2});
  EXPECT_EQ(form.game().flag_anim, 2);
}

TEST_F(Form1Board, ButtonsShowPressedPicturesUntilReleased) {
  int opened = 0;
  form.onOpenRecords = [&] { ++opened; };
  form.game().FreePlayMode = true;
  const qint64 released = form.Image1[6]->pixmap().cacheKey();
  QTest::mousePress(form.Image1[6], Qt::LeftButton);
  EXPECT_NE(form.Image1[6]->pixmap().cacheKey(), released);
  EXPECT_EQ(opened, 1);
  QTest::mouseRelease(form.Image1[6], Qt::LeftButton);
  EXPECT_TRUE(form.Image1[6]->pixmap().toImage() == form.ImageList2[13].toImage());
}

TEST_F(Form1Board, GameModeShowsLivesAndHidesFreePlayControls) {
  QTest::mousePress(form.Image1[5], Qt::LeftButton);
  EXPECT_FALSE(form.game().FreePlayMode);
  EXPECT_TRUE(form.Label2->isVisibleTo(&form));
  EXPECT_EQ(form.Label2->text(), QStringLiteral("Жизни - 5"));
  EXPECT_FALSE(form.Image1[0]->isVisibleTo(&form));
  EXPECT_FALSE(form.Image1[1]->isVisibleTo(&form));
  EXPECT_FALSE(form.Text1->isVisibleTo(&form));
  EXPECT_TRUE(form.Image1[7]->isVisibleTo(&form));
}

TEST_F(Form1Board, ClosingAsksAndNoKeepsTheWindow) {
  form.show();
  tk.answers.push_back(kResultNo);
  EXPECT_FALSE(form.close());
  EXPECT_EQ(tk.messages.back().text, "Вы действительно хотите выйти?");
  EXPECT_EQ(tk.messages.back().style, kStyleQuestion);
  bool closed = false;
  form.onClosing = [&] { closed = true; };
  tk.answers.push_back(kResultYes);
  EXPECT_TRUE(form.close());
  EXPECT_TRUE(closed);
  EXPECT_TRUE(form.game().ShuttingDown());
}

TEST_F(Form1Board, F2FlashesTheFirstPushOfAShortestWin) {
  form.game().board.At(15, 3) = 2;  // two 2s a gap apart
  QTest::keyClick(form.Text1, Qt::Key_F2);
  QTRY_VERIFY_WITH_TIMEOUT(form.Picture1->HintShowing(), 5000);
  const SolveResult best = SolveLevel(form.game().board);
  ASSERT_EQ(best.outcome, SolveOutcome::kSolved);
  const SolverMove& first = best.moves.front();
  EXPECT_EQ(form.Picture1->Hint(), (std::array<int, 3>{first.row, first.col, first.dir}));
}

TEST_F(Form1Board, EnterInTheNumberFieldLoadsLikeTheButton) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    form.game().board.At(15, 1) = 0;
    form.Text1->setText(QStringLiteral(" 1"));
    QTest::keyClick(form.Text1, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    EXPECT_EQ(form.game().board.At(15, 1), 2) << "map 1 loaded again";
    EXPECT_EQ(form.Text1->text(), QStringLiteral("1"));
    EXPECT_EQ(form.Image1[0]->pixmap().toImage(), form.ImageList2[2].toImage()) << "pressed";
    QTRY_COMPARE_WITH_TIMEOUT(form.Image1[0]->pixmap().toImage(), form.ImageList2[1].toImage(), 2000);
  }
}

// A push from the level's first board, or from a board on its shortest
// solution, after which it can no longer be won; with the pushes before it.
bool FindTrap(Board board, std::vector<SolverMove>& way, SolverMove& trap) {
  for (const SolverMove& next : SolveLevel(board).moves) {
    for (int row = 1; row <= board.Rows(); ++row)
      for (int col = 1; col <= board.Cols(); ++col)
        for (const int dir : {-1, 1}) {
          Board after = board;
          if (!TryPush(after, row, col, dir)) continue;
          SettleQuietly(after);
          if (SolveLevel(after).outcome != SolveOutcome::kUnsolvable) continue;
          trap = {row, col, dir};
          return true;
        }
    TryPush(board, next.row, next.col, next.dir);
    SettleQuietly(board);
    way.push_back(next);
  }
  return false;
}

TEST_F(Form1Board, LostSignAfterATrapGoesOnUndoAndWithANewLevel) {
  fs::copy_file(fs::path(TUMBOL_SOURCE_DIR) / "data" / "pole10.txt", dir / "pole10.txt");
  form.Text1->setText(QStringLiteral("10"));
  form.game().StartLevel();
  std::vector<SolverMove> way;
  SolverMove trap;
  ASSERT_TRUE(FindTrap(form.game().board, way, trap)) << "level 10 has a losing push on its way";
  auto press = [&](const SolverMove& m) {
    QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, CellPoint(m.row, m.col, m.dir > 0));
  };
  for (const SolverMove& m : way) press(m);
  QTest::qWait(300);
  EXPECT_FALSE(form.Picture1->LostSignShown()) << "still winnable";
  press(trap);
  QTRY_VERIFY_WITH_TIMEOUT(form.Picture1->LostSignShown(), 5000);
  QTest::keyClick(form.Text1, Qt::Key_Z, Qt::ControlModifier);
  QTRY_VERIFY_WITH_TIMEOUT(!form.Picture1->LostSignShown(), 5000);
  press(trap);
  QTRY_VERIFY_WITH_TIMEOUT(form.Picture1->LostSignShown(), 5000);
  form.game().StartLevel();
  EXPECT_FALSE(form.Picture1->LostSignShown());
}

TEST_F(Form1Board, TheWindowNeverWaitsForTheSolver) {
  std::promise<void> release;
  const std::shared_future<void> released = release.get_future().share();
  std::atomic<int> searches{0};
  Form1 blocked(tk, cues, cursor, [&](const Board&, const std::atomic<bool>&) {
    ++searches;
    released.wait();  // deaf to being stopped: a search that takes its time
    return SolveResult{};
  });
  blocked.game().path_work = dir.string() + "/";
  blocked.game().LoadLevelMap();
  blocked.game().board.At(15, 5) = 3;  // a partner for the 3, three cells away
  const Board start = blocked.game().board;
  QTest::mouseClick(blocked.Picture1, Qt::LeftButton, {}, CellPoint(15, 1, true));
  QTRY_COMPARE_WITH_TIMEOUT(searches.load(), 1, 2000);
  QTest::keyClick(blocked.Text1, Qt::Key_F2);
  QTest::mouseClick(blocked.Picture1, Qt::LeftButton, {}, CellPoint(15, 5, false));
  EXPECT_EQ(blocked.game().board.At(15, 3), 0) << "the 3s met while the search is stuck";
  QTest::keyClick(blocked.Text1, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(blocked.Text1, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(blocked.game().board, start);
  release.set_value();
}

TEST_F(Form1Board, F1ShowsTheAboutMessageWhereverTheFocusIs) {
  QTest::keyClick(form.Text1, Qt::Key_F1);
  QTest::keyRelease(&form, Qt::Key_F1, Qt::ShiftModifier);
  ASSERT_EQ(tk.messages.size(), 2u);
  EXPECT_EQ(tk.messages[1].text, tk.messages[0].text);
  EXPECT_EQ(tk.messages[0].title, "О программе");
  EXPECT_EQ(tk.messages[0].style, kStylePlain);
  EXPECT_NE(tk.messages[0].text.find("\r\nПроиводитель: Kex"), std::string::npos);
  EXPECT_EQ(tk.messages[0].text.rfind("Email: ", 0), 0u);
}

}  // namespace
}  // namespace tumbol
