// The level editor window, offscreen, with scripted message boxes.
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/map_file.h"
#include "editor/qt_form2.h"
#include "game/rules.h"
#include "shell/qt_toolkit.h"
#include "tests/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

class Form2Window : public ::testing::Test {
 protected:
  // The pixel in the middle of a cell.
  static QPoint Cell(int row, int col) { return QPoint((col - 1) * 32 + 16, (row - 1) * 32 + 16); }
  // A move with buttons held, as the window system delivers it while dragging.
  void Drag(QPoint pixel, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, pixel, form->Picture1->mapToGlobal(pixel), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(form->Picture1, &move);
  }
  void Wheel(QWidget* target, int delta) {
    const QPoint at(10, 10);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
  }

  TempFolder dir;
  ScriptedToolkit tk;
  std::unique_ptr<Form2> form = std::make_unique<Form2>(tk, dir.Slash());
};

TEST_F(Form2Window, ThePaletteHoldsEveryKind) {
  ASSERT_EQ(form->Combo1->count(), kPaletteItems);
  for (int i = 0; i < kPaletteItems; ++i) EXPECT_EQ(form->Combo1->itemText(i).toStdString(), PaletteText(i));
  EXPECT_TRUE(form->Image3->pixmap().isNull());  // item 0, empty space, shows nothing
  EXPECT_EQ(form->focusWidget(), form->Picture1);
}

TEST_F(Form2Window, MouseDragPaintsTheBoardAndTheMiniature) {
  form->Combo1->setCurrentIndex(5);
  EXPECT_FALSE(form->Image3->pixmap().isNull());
  const QImage before = form->Image1->pixmap().toImage();
  Drag(Cell(2, 2), Qt::NoButton);
  QTest::mousePress(form->Picture1, Qt::LeftButton, {}, Cell(2, 2));
  Drag(Cell(2, 3), Qt::LeftButton);
  Drag(Cell(2, 4), Qt::LeftButton);
  QTest::mouseRelease(form->Picture1, Qt::LeftButton, {}, Cell(2, 4));
  EXPECT_EQ(BoardRowText(form->core().EditorBoard, 2).substr(0, 5), "05550");
  EXPECT_EQ(form->Label1->text() + form->Label4->text(), QStringLiteral("42"));  // column, row
  EXPECT_NE(form->Picture1->Frame().pixel(Cell(2, 3)), form->Picture1->Frame().pixel(Cell(3, 3)));
  EXPECT_NE(form->Image1->pixmap().toImage(), before);

  // Right button erases; both buttons together change nothing.
  QTest::mousePress(form->Picture1, Qt::RightButton, {}, Cell(2, 4));
  Drag(Cell(2, 3), Qt::LeftButton | Qt::RightButton);
  QTest::mouseRelease(form->Picture1, Qt::RightButton, {}, Cell(2, 3));
  EXPECT_EQ(form->core().EditorBoard.At(2, 4), 0);
  EXPECT_EQ(form->core().EditorBoard.At(2, 3), 5);
}

TEST_F(Form2Window, WheelNotchStepsThePaletteOnce) {
  form->Combo1->setCurrentIndex(5);
  // Over the board, and over the palette itself, which must not also scroll.
  for (auto [target, delta, index] : {std::tuple<QWidget*, int, int>{form->Picture1, 120, 4}, {form->Combo1, -120, 5}}) {
    Wheel(target, delta);
    EXPECT_TRUE(QTest::qWaitFor([&, index = index] { return form->Combo1->currentIndex() == index; }, 5000));
    EXPECT_EQ(form->core().WheelPending, 0) << "no second step to come";
  }
}

TEST_F(Form2Window, TheCloseButtonTheTitleBarAndEscAskOnceAndNoKeepsTheBoard) {
  for (const char* way : {"button", "title bar", "Esc"}) {
    SCOPED_TRACE(way);
    form = std::make_unique<Form2>(tk, dir.Slash());
    form->show();
    form->core().EditorBoard.At(1, 1) = 9;
    tk.messages.clear();
    tk.answers = {kResultNo, kResultYes};
    for (bool stays : {true, false}) {
      if (way[0] == 'b') QTest::mouseClick(form->Command3, Qt::LeftButton);
      if (way[0] == 't') form->close();
      if (way[0] == 'E') QTest::keyClick(form->Text1, Qt::Key_Escape);
      EXPECT_EQ(form->isVisible(), stays);
    }
    EXPECT_EQ(form->core().EditorBoard.At(1, 1), 9);
    const auto question = ::testing::FieldsAre("Вы действительно хотите выйти?", kStyleQuestion, "Выйти");
    EXPECT_THAT(tk.messages, ::testing::ElementsAre(question, question));  // none more as the window closes
  }
}

TEST_F(Form2Window, TypingInThePaletteChangesNothing) {
  QTest::keyClicks(form->Combo1, "2q");
  EXPECT_EQ(form->Combo1->currentIndex(), 0);
  QTest::keyClick(form->Combo1, Qt::Key_Down);  // choosing an item does
  EXPECT_EQ(form->core().CurrentKind, 1);
}

TEST_F(Form2Window, MessagesSitOnTheEditorAndTheInstructionReads) {
  QtToolkit real;
  QWidget game;
  real.SetDialogParent(&game);
  Form2 editor(real, dir.Slash(), &game);
  editor.show();
  EXPECT_EQ(real.DialogParent(), &editor);
  const QFontMetrics metrics(editor.Text2->font());
  for (const QString& line : editor.Text2->toPlainText().split('\n', Qt::SkipEmptyParts))
    EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), editor.Text2->viewport()->width()) << line.toStdString();
}

TEST_F(Form2Window, SaveButtonWritesTheTypedNumber) {
  form->core().EditorBoard.At(1, 1) = 12;
  QTest::keyClicks(form->Text1, "3");
  form->savedTitle.setInterval(50);
  QTest::mouseClick(form->Command1, Qt::LeftButton);
  EXPECT_TRUE(form->Command1->isEnabled());
  EXPECT_EQ(form->windowTitle().toStdString(), "Редактор уровней — карта сохранена: " + dir.Slash() + "pole3.txt");
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->windowTitle() == QStringLiteral("Редактор уровней"); }, 2000));
  EXPECT_EQ(ReadBytes(dir / "pole3.txt").substr(0, 24), "C000000000000000000000\r\n");

  form->core().EditorBoard.At(1, 1) = 0;
  QTest::mouseClick(form->Command2, Qt::LeftButton);
  EXPECT_EQ(form->core().EditorBoard.At(1, 1), 12);
  EXPECT_NE(form->Picture1->Frame().pixel(Cell(1, 1)), form->Picture1->Frame().pixel(Cell(1, 2)));
}

// The line under the instructions answers each stroke; F2, even before the
// answer, shows a push that wins.
TEST_F(Form2Window, TheLineTellsWhetherThePaintedMapCanBeWonAndF2ShowsHow) {
  for (int c = 1; c <= kEditorCols; ++c) form->core().EditorBoard.At(16, c) = kBrick;
  form->core().EditorBoard.At(15, 1) = 2;
  form->Combo1->setCurrentIndex(2);
  auto paint = [&](int col) {
    Drag(Cell(1, 1), Qt::NoButton);
    QTest::mousePress(form->Picture1, Qt::LeftButton, {}, Cell(15, col));
    QTest::mouseRelease(form->Picture1, Qt::LeftButton, {}, Cell(15, col));
  };
  auto line = [&] { return form->LabelWin->text().toStdString(); };
  paint(3);
  EXPECT_EQ(line(), "проверяется…");
  QTest::keyClick(form->Picture1, Qt::Key_F2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return line() == "можно пройти за 1 ход"; }, 5000)) << line();
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->Picture1->Hint()[2] != 0; }, 1000));
  Board played = form->core().EditorBoard;
  const auto [row, col, dir] = form->Picture1->Hint();
  ASSERT_TRUE(TryPush(played, row, col, dir));
  SettleQuietly(played);
  EXPECT_FALSE(played.HasCube());

  paint(5);  // three of a kind
  EXPECT_EQ(form->Picture1->Hint()[2], 0) << "the hint goes with the stroke";
  EXPECT_TRUE(QTest::qWaitFor([&] { return line() == "пройти нельзя"; }, 5000)) << line();
}

TEST(WinnableText, SaysHowManyPushesInRussianAndWhetherFewerMayDo) {
  auto solved = [](size_t n, bool shortest) {
    SolveResult r{SolveOutcome::kSolved, std::vector<SolverMove>(n)};
    r.shortest = shortest;
    return std::optional<SolveResult>(r);
  };
  const std::pair<std::optional<SolveResult>, std::string> cases[] = {
      {solved(2, true), "можно пройти за 2 хода"},     {solved(11, true), "можно пройти за 11 ходов"},
      {solved(21, true), "можно пройти за 21 ход"},     {solved(14, true), "можно пройти за 14 ходов"},
      {solved(5, false), "можно пройти не больше чем за 5 ходов"},
      {SolveResult{SolveOutcome::kUnknown, {}}, "не удалось проверить за секунду"}, {std::nullopt, "проверяется…"}};
  for (const auto& [answer, text] : cases) EXPECT_EQ(WinnableText(answer), text);
}

}  // namespace
}  // namespace tumbol
