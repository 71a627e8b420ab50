// The game window, offscreen, with scripted message boxes: its load order
// and messages, the board's presses and cursors, the buttons, the clocks,
// activation and dragging by the surface.
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTime>
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <atomic>
#include <future>

#include "game/level_metrics.h"
#include "game/qt_form1.h"
#include "game/solver.h"
#include "shell/qt_board_cursor.h"
#include "shell/qt_desktop.h"
#include "shell/qt_region.h"
#include "shell/qt_toolkit.h"
#include "tests/game/bottom_rows.h"
#include "tests/game/silent_view.h"
#include "tests/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::FieldsAre;

// The first frame of a shipped cursor file as the board would show it.
QImage FirstFrame(const char* name) {
  AniCursor ani;
  const std::string file = ReadBytes(std::string(TUMBOL_SOURCE_DIR) + "/data/" + name);
  if (!ParseAni(std::vector<uint8_t>(file.begin(), file.end()), &ani, nullptr)) return {};
  const AniFrame& f = ani.frames[size_t(ani.steps[0].frame)];
  return QImage::fromData(QByteArray(reinterpret_cast<const char*>(f.bytes.data()), int(f.bytes.size())), "CUR")
      .convertToFormat(QImage::Format_ARGB32);
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { cursor.Bind(form.Picture1, QString(TUMBOL_SOURCE_DIR) + "/data/"); }

  // Loads level 1 with the given row 15 over a floor of bricks; the skins
  // are missing, so their messages are dropped.
  void LoadLevel(const std::string& row15) {
    WriteBytes(dir / "pole1.txt", BottomRowsText({row15, std::string(22, '1')}));
    form.Form_Load(folder);
    form.game().RedrawBoard();
    tk.messages.clear();
  }
  static void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
  }
  // QTest::mouseMove needs a shown window; the event goes straight to w.
  static void MoveTo(QWidget* w, QPoint p) { Send(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
  // The pixel in the middle of a cell's left or right half.
  static QPoint Cell(int row, int col, bool leftHalf) {
    return QPoint((col - 1) * 32 + (leftHalf ? 8 : 24), (row - 1) * 32 + 16);
  }
  QImage Shown() const { return form.Picture1->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32); }
  Qt::CursorShape Shape() const { return form.Picture1->cursor().shape(); }
  void Activate(QWidget* window) {
    if (window) window->show();
    QApplication::setActiveWindow(window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window ? window->isActiveWindow() : !form.isActiveWindow(); }, 2000));
  }
  std::string Path(const char* name) const { return dir.Slash() + name; }
  // The board as it is, with a cube in the air at row 5, column 5.
  void PutCubeInTheAir() {
    Board board = form.game().board();
    board.At(5, 5) = 2;
    form.game().PutBoard(board);
  }
  int CellAfterFrames(int row, int col) { return AtRest() ? form.game().board().At(row, col) : -99; }
  // The board's frames have played: presses count again.
  bool AtRest() { return QTest::qWaitFor([&] { return !form.game().BoardInMotion(); }, 5000); }

  TempFolder dir;
  const GameFolders folder{dir.Slash()};
  ScriptedToolkit tk;
  SilentView cues;  // keeps the sound cues played
  QtBoardCursor cursor{nullptr, QString()};
  Form1 form{tk, cues, cursor};
};

TEST_F(Form1Test, LoadReportsTheMapThenEachSkinThatIsMissingOrUnreadable) {
  const fs::path data = fs::path(TUMBOL_SOURCE_DIR) / "data";
  const auto copy = [&](const char* name) { fs::copy_file(data / name, dir / name); };
  const struct {
    const char* what;
    std::function<void()> arrange;
    bool loads;
  } cases[] = {
      {"missing", [] {}, false},
      {"not a picture, only a header",
       [&] { WriteBytes(dir / "skins.bmp", "?"), copy("skinsp.jpg"), fs::resize_file(dir / "skinsp.jpg", 200); }, false},
      {"good", [&] { copy("skins.bmp"), copy("skinsp.jpg"); }, true},
  };
  const auto map = FieldsAre("Файла '" + Path("pole1.txt") + "' не существует!", kStyleExclamation, "Открыть");
  const auto skin = [&](const char* name) {
    return FieldsAre("Не найден файл '" + Path(name) + "'", kStyleExclamation, "Ошибка загрузки файла");
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir.path);
    fs::create_directory(dir.path);
    c.arrange();
    tk.messages.clear();
    form.Form_Load(folder);
    if (c.loads) {
      EXPECT_THAT(tk.messages, ElementsAre(map));
    } else {
      EXPECT_THAT(tk.messages, ElementsAre(map, skin("skins.bmp"), skin("skinsp.jpg")));
    }
    EXPECT_EQ(form.skin.size(), c.loads ? QSize(760, 614) : QSize(0, 0));
    EXPECT_EQ(form.game().Folders().program, dir.Slash());
  }
}

TEST_F(Form1Test, LeftAndRightPressesPushByTheHalfAndSettle) {
  LoadLevel("2030000000000000000000");
  // A right-button press on the right half of the cube in column 3 pushes it left.
  QTest::mousePress(form.Picture1, Qt::RightButton, {}, Cell(15, 3, false));
  EXPECT_EQ(form.game().board().At(15, 2), 3);
  EXPECT_EQ(form.game().board().At(15, 3), 0);
  // A left-button press on its left half pushes it back.
  QTest::mousePress(form.Picture1, Qt::LeftButton, {}, Cell(15, 2, true));
  EXPECT_EQ(form.game().board().At(15, 3), 3);
  EXPECT_EQ(cues.cues, (std::vector<int>{3, 3}));
  // The painted frame shows a tile where the cube now stands.
  const QImage frame = form.Picture1->Frame();
  EXPECT_NE(frame.pixel(Cell(15, 3, true)), frame.pixel(Cell(15, 2, true)));
}

TEST_F(Form1Test, HalvesOfACubeShowTheirArrowsAndEveryRestorePointGivesTheArrowBack) {
  LoadLevel("2030000000000000000000");
  const QImage right = FirstFrame("an_lr.ani");
  const QImage left = FirstFrame("an_rl.ani");
  ASSERT_NE(right, left);
  MoveTo(form.Picture1, Cell(15, 1, true));  // the first movement sets nothing
  EXPECT_EQ(form.Label1->text(), QStringLiteral("1/15"));
  MoveTo(form.Picture1, Cell(15, 1, true));
  EXPECT_EQ(Shown(), right);
  MoveTo(form.Picture1, Cell(15, 1, false));
  EXPECT_EQ(Shown(), left);
  MoveTo(&form, QPoint(5, 5));  // over the window's own surface
  EXPECT_EQ(Shape(), Qt::ArrowCursor);
  MoveTo(form.Picture1, Cell(15, 3, true));
  Activate(&form);
  MoveTo(form.Picture1, Cell(15, 3, false));
  ASSERT_EQ(Shown(), left);
  QWidget other;  // another window takes the focus
  Activate(&other);
  EXPECT_EQ(Shape(), Qt::ArrowCursor);
  MoveTo(form.Picture1, Cell(15, 3, true));
  ASSERT_EQ(Shown(), right);
  QTest::mousePress(form.Picture1, Qt::LeftButton, {}, Cell(15, 3, false));  // a push
  EXPECT_EQ(form.game().board().At(15, 2), 3);
  EXPECT_EQ(Shape(), Qt::ArrowCursor);
}

// Whatever the player pressed or closed last, the number field keeps the
// keyboard: a press on the frame, on the board, on a button whose window
// opens and closes.
TEST_F(Form1Test, TheNumberFieldKeepsTheKeyboardAfterAPressOrAWindow) {
  LoadLevel("2300000000000000000000");
  QObject::connect(&form, &Form1::recordsWanted, [&] {
    QDialog records(&form);
    QTimer::singleShot(20, &records, &QDialog::reject);
    records.exec();
    ReturnKeyboard(&form);
  });
  form.show();
  Activate(&form);
  for (const QPoint at : {QPoint(10, 300), form.Picture1->geometry().center(), form.Image1[6]->geometry().center()}) {
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents();  // a picture button acts just after the press
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.isActiveWindow(); }, 3000));
    EXPECT_EQ(QApplication::focusWidget(), form.Text1) << at.x() << "," << at.y();
  }
}

// Presses and releases come through the window, as the window system sends
// them, and the real message boxes are answered from the keyboard, then "Да".
TEST_F(Form1Test, ButtonsActAfterThePressShowItWhileTheBoxIsOpenAndKeepWorkingAfterKeyboardAnswers) {
  QtToolkit real;
  Form1 window(real, cues, cursor);
  real.SetDialogParent(&window);
  window.show();
  Activate(&window);
  for (auto held : {Qt::LeftButton, Qt::RightButton})  // as earlier tests left them
    QTest::mouseRelease(window.windowHandle(), held, {}, QPoint(5, 300));
  const auto mouse = [&](int i, bool press) {
    const QPoint at = window.Image1[i]->geometry().center();
    press ? QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, at)
          : QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, at);
  };
  const auto pressed = [&](int i) { return window.Image1[i]->pixmap().cacheKey() == window.ImageList2[2 * i + 2].cacheKey(); };
  std::vector<bool> pressedInBox;
  bool yes = false;
  QTimer answerer;  // the release goes to the blocked window, then the box is answered
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    pressedInBox.push_back(pressed(2));
    EXPECT_EQ(box->text() + box->windowTitle(), QStringLiteral("Вы действительно хотите выйти?Выйти"));
    mouse(2, false);
    yes ? QTest::mouseClick(box->buttons().front(), Qt::LeftButton) : QTest::keyClick(box, Qt::Key_Return);
  });
  answerer.start(10);
  for (int round = 1; round <= 3; ++round) {
    mouse(2, true);  // "Закрыть"
    ASSERT_TRUE(QTest::qWaitFor([&] { return pressedInBox.size() == size_t(round); }, 3000));
    EXPECT_TRUE(pressedInBox.back()) << "shown pressed while its box is open";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pressed(2); }, 2000)) << "the release the box took";
    EXPECT_TRUE(window.isVisible()) << "Enter answers the default, \"Нет\"";
  }
  yes = true;
  mouse(2, true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 3000));
  EXPECT_TRUE(window.game().ShuttingDown());
}

TEST_F(Form1Test, GameModeShowsLivesAndHidesFreePlayControls) {
  EXPECT_TRUE(form.Text1->isVisibleTo(&form) && !form.Image1[7]->isVisibleTo(&form));
  QTest::mousePress(form.Image1[5], Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.game().FreePlayMode(); }, 2000));
  EXPECT_TRUE(form.Label2->isVisibleTo(&form));
  EXPECT_EQ(form.Label2->text(), QStringLiteral("Жизни - 5"));
  for (QWidget* hidden : {static_cast<QWidget*>(form.Image1[0]), static_cast<QWidget*>(form.Image1[1]),
                          static_cast<QWidget*>(form.Text1), static_cast<QWidget*>(form.Label3)})
    EXPECT_FALSE(hidden->isVisibleTo(&form));
  EXPECT_TRUE(form.Image1[7]->isVisibleTo(&form));
}

TEST_F(Form1Test, Timer3ShowsTheTimeOfDayAndTheTimeOnTheLevel) {
  form.game().StartLevelClock();
  tk.Advance(3723);
  form.Timer3.start(0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.Label5->text() == QStringLiteral("01:02:03"); }, 2000))
      << form.Label5->text().toStdString();
  const QTime shown = QTime::fromString(form.Label4->text(), QStringLiteral("hh:mm:ss"));
  ASSERT_TRUE(shown.isValid()) << form.Label4->text().toStdString();
  const int off = std::abs(shown.secsTo(QTime::currentTime()));
  EXPECT_TRUE(off <= 2 || off >= 86398) << off;  // the clock may pass midnight meanwhile
}

TEST_F(Form1Test, F1ShowsTheAboutMessageWhereverTheFocusIs) {
  QTest::keyClick(form.Text1, Qt::Key_F1);
  QTest::keyRelease(&form, Qt::Key_F1, Qt::ShiftModifier);
  const auto about = FieldsAre("Email: kex@tumbol.example.com\r\nПроиводитель: Kex", 0, "О программе");  // plain
  EXPECT_THAT(tk.messages, ElementsAre(about, about));
}

TEST_F(Form1Test, FirstActivationClosesTheSplashAndStartsTheClockButNeverWinsTwice) {
  QWidget splash;
  splash.show();
  form.splash = &splash;
  LoadLevel(std::string(22, '0'));  // no cube: won at the first settling
  form.game().SettleBoard();
  ASSERT_TRUE(form.game().LevelSolved());
  Activate(&form);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 2000));
  EXPECT_EQ(form.game().LevelStartTime(), tk.now);
  EXPECT_EQ(tk.messages.size(), 1u);  // a won board is not settled again
}

TEST_F(Form1Test, OnlyComingBackFromAnotherWindowOfTheProgramSettles) {
  LoadLevel("2300000000000000000000");
  Activate(&form);
  const Board start = form.game().board();
  QMessageBox box(&form);
  QDialog editor(&form);
  const struct {
    const char* what;
    QWidget* between;  // active in between; null: another application
    bool settles;
  } cases[] = {{"another application", nullptr, false}, {"a message box", &box, false}, {"the editor", &editor, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PutCubeInTheAir();
    Activate(c.between);
    if (c.between) c.between->hide();
    Activate(&form);
    EXPECT_EQ(CellAfterFrames(5, 5), c.settles ? 0 : 2);
    form.game().PutBoard(start);
  }
}

TEST_F(Form1Test, APressOnTheGameWindowWhileAModalWindowIsOpenSettlesNothingAndBringsItBack) {
  LoadLevel("2300000000000000000000");
  Activate(&form);
  QDialog records(&form);
  records.setModal(true);
  Activate(&records);
  PutCubeInTheAir();
  // What a desktop that raises the clicked window does to the blocked one.
  QApplication::setActiveWindow(&form);
  EXPECT_TRUE(QTest::qWaitFor([&] { return records.isActiveWindow(); }, 2000));
  EXPECT_TRUE(records.isVisible());
  EXPECT_EQ(CellAfterFrames(5, 5), 2);
  records.hide();
  Activate(&form);
  EXPECT_EQ(CellAfterFrames(5, 5), 0);
}

TEST_F(Form1Test, OutsideTheOutlineTheWindowIsSeeThrough) {
  QImage white(760, 614, QImage::Format_RGB32);
  white.fill(Qt::white);
  const struct {
    const char* skin;
    bool seeThrough;  // at the corner
  } cases[] = {{"shipped", true}, {"all white", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.skin);
    fs::remove(dir / "skins.bmp");
    if (c.seeThrough)
      fs::copy_file(fs::path(TUMBOL_SOURCE_DIR) / "data" / "skins.bmp", dir / "skins.bmp");
    else
      white.save(QString::fromStdString(Path("skins.bmp")), "BMP");
    Form1 window{tk, cues, cursor};
    window.Form_Load(folder);
    const QImage skin = window.skin.convertToFormat(QImage::Format_ARGB32);
    window.SetShape({WindowOutline(skin, window.size()), {}});
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), c.seeThrough ? 0 : 255);
    EXPECT_EQ(shown.pixel(380, 10), skin.pixel(380, 10));  // the title plate
  }
}

TEST_F(Form1Test, OnlyTheLeftButtonAloneOnTheSurfaceDragsTheWindow) {
  form.Form_Load(folder);
  form.move(100, 100);
  const QPoint start = form.pos();
  for (QWidget* control : {static_cast<QWidget*>(form.Image1[0]), static_cast<QWidget*>(form.Label1),
                           static_cast<QWidget*>(form.Label3), static_cast<QWidget*>(form.Image3[1]),
                           static_cast<QWidget*>(form.Text1), static_cast<QWidget*>(form.Picture1)}) {
    SCOPED_TRACE(control->metaObject()->className());
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(control, QPoint(30, 20));
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(30, 20));
    EXPECT_EQ(form.pos(), start);
  }
  Send(&form, QEvent::MouseButtonPress, {10, 300}, Qt::RightButton, Qt::RightButton);
  Send(&form, QEvent::MouseMove, {40, 320}, Qt::NoButton, Qt::RightButton);
  EXPECT_EQ(form.pos(), start);
  Send(&form, QEvent::MouseMove, {40, 320}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
  EXPECT_EQ(form.pos(), start);
  Send(&form, QEvent::MouseButtonPress, {10, 300}, Qt::LeftButton, Qt::LeftButton);
  Send(&form, QEvent::MouseMove, {40, 320}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(form.pos(), start + QPoint(30, 20));
  Send(&form, QEvent::MouseButtonRelease, {40, 320}, Qt::LeftButton, Qt::NoButton);
}

TEST_F(Form1Test, F2ShowsTheFirstPushOfAShortestWinBesideTheCubeUntilThePlayersNextMove) {
  const auto hinted = [&] {
    EXPECT_TRUE(AtRest());
    QTest::keyClick(form.Text1, Qt::Key_F2);
    return QTest::qWaitFor([&] { return form.Picture1->HintShowing(); }, 5000);
  };
  LoadLevel("2020003030000000000000");
  ASSERT_TRUE(hinted());
  const SolverMove first = SolveLevel(form.game().board()).moves.front();
  EXPECT_EQ(form.Picture1->Hint(), (std::array<int, 3>{first.row, first.col, first.dir}));
  // The cube stays in sight inside its ring; the arrow lies in the empty cell it goes to.
  const QImage shown = form.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage frame = form.Picture1->Frame().convertToFormat(QImage::Format_RGB32);
  const QRect cube((first.col - 1) * 32 + 4, (first.row - 1) * 32 + 4, 24, 24);
  EXPECT_EQ(shown.copy(cube), frame.copy(cube));
  EXPECT_NE(shown.copy(cube.translated(32 * first.dir, 0)), frame.copy(cube.translated(32 * first.dir, 0)));
  // Long enough to be seen, through presses that push nothing; gone with
  // the next push, undo or load.
  QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, Cell(15, 20, true));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Picture1->HintShowing() || form.Picture1->HintAgeMs() > 1500; }, 10000) &&
              form.Picture1->HintShowing());
  const std::function<void()> moves[] = {
      [&] { QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, Cell(first.row, first.col, first.dir > 0)); },
      [&] { QTest::keyClick(form.Text1, Qt::Key_Z, Qt::ControlModifier); },
      [&] { QTest::keyClick(form.Text1, Qt::Key_Return); }};
  for (const auto& move : moves) {
    ASSERT_TRUE(form.Picture1->HintShowing() || hinted());
    move();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.Picture1->HintShowing(); }, 2000));
  }
}

TEST_F(Form1Test, AModalWindowOpenedDuringASlideInLetsItPlayToTheEnd) {
  LoadLevel("0000000000000000000002");
  form.game().StartLevel();
  ASSERT_TRUE(form.game().BoardInMotion());
  QDialog box(&form);
  QTimer poll;  // the box closes once the level is at rest, or gives up
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!form.game().BoardInMotion()) box.accept();
  });
  poll.start(5);
  QTimer::singleShot(3000, &box, &QDialog::reject);
  EXPECT_EQ(box.exec(), QDialog::Accepted) << "the frames play on under a modal window";
}

TEST_F(Form1Test, EachPictureButtonAsksForItsOwnWindowOrAction) {
  LoadLevel("2020000000000000000000");
  QSignalSpy editor(&form, &Form1::editorWanted), records(&form, &Form1::recordsWanted);
  const auto press = [&](int i) {
    QTest::mouseClick(form.Image1[i], Qt::LeftButton);
    QCoreApplication::processEvents();  // its action runs just after the press
  };
  press(1);
  EXPECT_EQ(editor.count(), 1);
  press(6);
  EXPECT_EQ(records.count(), 1);
  EXPECT_EQ(editor.count() + records.count(), 2);
  for (int close : {2, 3}) {
    tk.messages.clear();
    press(close);  // answered "Нет"
    EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Вы действительно хотите выйти?", kStyleQuestion, "Выйти")));
  }
  press(4);
  EXPECT_TRUE(form.windowState() & Qt::WindowMinimized);
  EXPECT_EQ(editor.count() + records.count(), 2);
}

TEST_F(Form1Test, EnterInTheNumberFieldLoadsLikeTheButton) {
  LoadLevel("2030000000000000000000");
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    Board changed = form.game().board();
    changed.At(15, 1) = 0;
    form.game().PutBoard(changed);
    form.Text1->setText(QStringLiteral(" 1"));
    QTest::keyClick(form.Text1, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    EXPECT_EQ(form.game().board().At(15, 1), 2) << "map 1 loaded again";
    EXPECT_EQ(form.Text1->text(), QStringLiteral("1"));
    EXPECT_EQ(form.Image1[0]->pixmap().toImage(), form.ImageList2[2].toImage()) << "pressed";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form.Image1[0]->pixmap().toImage() == form.ImageList2[1].toImage(); }, 2000));
  }
}

TEST_F(Form1Test, LostSignInTheFrameFromTheLoadOrATrapUntilUndoOrANewLevel) {
  const auto signBecomes = [&](bool shown) {
    return QTest::qWaitFor([&] { return form.lostSign->isVisibleTo(&form) == shown; }, 5000);
  };
  form.move(-200, 0);  // off the narrow offscreen screen: F2's tip has the room a wide screen gives
  LoadLevel("2030000000000000000000");  // a lone 2 and a lone 3
  form.game().StartLevel();
  EXPECT_TRUE(signBecomes(true)) << "lost as loaded";
  // In the frame, clear of the cells and of the window's buttons; its tip
  // says the map cannot be won, and F2 answers with it in both modes.
  EXPECT_FALSE((QRegion(form.Picture1->geometry()) + form.Image1[4]->geometry()).intersects(form.lostSign->geometry()));
  for (bool freePlay : {true, false}) {
    if (!freePlay) {  // a game: level 1, the same map
      QTest::mousePress(form.Image1[5], Qt::LeftButton);
      ASSERT_TRUE(QTest::qWaitFor([&] { return !form.game().FreePlayMode(); }, 2000));
    }
    ASSERT_TRUE(signBecomes(true));
    const QString tip = form.lostSign->toolTip();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("Эту карту не пройти")) && tip.contains(freePlay ? "другую карту" : "Заново"));
    EXPECT_FALSE(form.lostSign->Glowing());
    QTest::keyClick(&form, Qt::Key_F2);
    const QWidgetList tips = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::any_of(tips.begin(), tips.end(), [&](QWidget* t) {
      return t->inherits("QTipLabel") && t->isVisible() && form.geometry().contains(t->geometry());
    })) << "F2's tip stays inside the window";
    EXPECT_TRUE(form.lostSign->Glowing());
    EXPECT_FALSE(form.Picture1->HintShowing());
  }
  form.game().ToggleGameMode();  // back to free play

  fs::copy_file(fs::path(TUMBOL_SOURCE_DIR) / "data" / "pole10.txt", dir / "pole10.txt");
  form.Text1->setText(QStringLiteral("10"));
  form.game().StartLevel();
  EXPECT_FALSE(form.lostSign->isVisibleTo(&form)) << "a new level";
  const std::vector<SolverMove> way = SolveLevel(form.game().board()).moves;
  const std::vector<Trap> traps = FindTraps(form.game().board(), way, 20000);
  const auto trap = std::find_if(traps.begin(), traps.end(), [](const Trap& t) { return !t.unknown; });
  ASSERT_NE(trap, traps.end()) << "level 10 has a losing push on its way";
  const auto press = [&](const SolverMove& m) {
    ASSERT_TRUE(AtRest());
    QTest::mouseClick(form.Picture1, Qt::LeftButton, {}, Cell(m.row, m.col, m.dir > 0));
  };
  for (int i = 0; i < trap->step; ++i) press(way[size_t(i)]);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.aids().Searching(); }, 5000));
  EXPECT_FALSE(form.lostSign->isVisibleTo(&form)) << "still winnable";
  press(trap->move);
  EXPECT_TRUE(signBecomes(true));
  EXPECT_TRUE(form.lostSign->toolTip().contains(QStringLiteral("Отмените ход (Ctrl+Z)")));
  ASSERT_TRUE(AtRest());
  QTest::keyClick(form.Text1, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(form.lostSign->isVisibleTo(&form)) << "undone";
}

TEST_F(Form1Test, TheWindowNeverWaitsForTheSolverAndAPushVoidsItsAnswersAtOnce) {
  LoadLevel("2030300000000000000000");
  std::promise<void> release;
  const std::shared_future<void> released = release.get_future().share();
  std::atomic<int> searches{0};
  Form1 blocked(tk, cues, cursor, [&](const Board&, const std::atomic<bool>&) {
    ++searches;
    released.wait();  // deaf to being stopped: a search that takes its time
    return SolveResult{SolveOutcome::kSolved, {{15, 4, -1}}};
  });
  blocked.Form_Load(folder);
  const Board start = blocked.game().board();
  QTest::mouseClick(blocked.Picture1, Qt::LeftButton, {}, Cell(15, 1, true));
  EXPECT_TRUE(QTest::qWaitFor([&] { return searches.load() == 1; }, 2000));
  QTest::keyClick(blocked.Text1, Qt::Key_F2);
  // Its answer for the board before this push comes while the 3s vanish.
  struct Deliveries : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override { return count += e->type() == QEvent::MetaCall, false; }
  } answers;
  qApp->installEventFilter(&answers);
  QTest::mouseClick(blocked.Picture1, Qt::LeftButton, {}, Cell(15, 5, false));
  ASSERT_TRUE(blocked.game().BoardInMotion());
  release.set_value();
  EXPECT_TRUE(QTest::qWaitFor([&] { return answers.count > 0; }, 5000));
  EXPECT_FALSE(blocked.Picture1->HintShowing());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !blocked.game().BoardInMotion(); }, 2000));
  EXPECT_EQ(blocked.game().board().At(15, 3), 0) << "the 3s met while the search is stuck";
  QTest::keyClick(blocked.Text1, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(blocked.Text1, Qt::Key_Backspace);  // edits the number, undoes nothing
  EXPECT_NE(blocked.game().board(), start);
  QTest::keyClick(&blocked, Qt::Key_Backspace);
  EXPECT_EQ(blocked.game().board(), start);
}

// The board from the keyboard, even with the number field focused: arrows
// and Home move the cell cursor, drawn over the board, Shift+arrow pushes,
// Ctrl+Z takes back, Ctrl+Y and Ctrl+Shift+Z redo; digits still type.
TEST_F(Form1Test, TheKeyboardPlaysWhileTheNumberFieldKeepsItsDigits) {
  LoadLevel("2030000000000000000000");
  const Board start = form.game().board();
  QTest::keyClicks(form.Text1, "12");
  for (int i = 0; i < 15; ++i) QTest::keyClick(form.Text1, Qt::Key_Down);  // the first only shows it
  EXPECT_EQ(form.Picture1->CellCursor(), QPoint(1, 15));
  const QRect cell(0, 14 * 32, 33, 33);
  EXPECT_NE(form.Picture1->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(cell),
            form.Picture1->Frame().convertToFormat(QImage::Format_RGB32).copy(cell));
  QTest::keyClick(form.Text1, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(CellAfterFrames(15, 2), 2);
  EXPECT_EQ(form.Picture1->CellCursor(), QPoint(2, 15)) << "with the cube";
  const Board pushed = form.game().board();
  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Z, Qt::ControlModifier},
                                                            {Qt::Key_Y, Qt::ControlModifier},
                                                            {Qt::Key_Z, Qt::ControlModifier},
                                                            {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}};
  for (size_t i = 0; i < std::size(keys); ++i) {
    QTest::keyClick(form.Text1, keys[i].first, keys[i].second);
    EXPECT_EQ(form.game().board(), i % 2 ? pushed : start) << "key " << i;
  }
  QTest::keyClick(form.Text1, Qt::Key_Home);
  EXPECT_EQ(form.Picture1->CellCursor(), QPoint(1, 1));
  EXPECT_EQ(form.Text1->text(), QStringLiteral("12"));
  QTest::mousePress(form.Picture1, Qt::LeftButton, {}, Cell(10, 10, true));
  EXPECT_FALSE(form.Picture1->CellCursorShowing());
}

}  // namespace
}  // namespace tumbol
