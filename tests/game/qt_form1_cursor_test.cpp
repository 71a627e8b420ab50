// The push cursors on the real game window: hovering a cube's halves, a
// push, leaving the board and deactivation.
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/qt_form1.h"
#include "shell/qt_board_cursor.h"
#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

class SilentCues : public SoundCues {
 public:
  void PlaySoundCue(int) override {}
};

// The first frame of a shipped cursor file as the board would show it.
QImage FirstFrame(const char* name) {
  AniCursor ani;
  if (!ReadAniFile(std::string(TUMBOL_SOURCE_DIR) + "/data/" + name, &ani, nullptr)) return {};
  const AniFrame& f = ani.frames[size_t(ani.steps[0].frame)];
  return QImage::fromData(QByteArray(reinterpret_cast<const char*>(f.bytes.data()), int(f.bytes.size())), "CUR")
      .convertToFormat(QImage::Format_ARGB32);
}

class Form1Cursor : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tumbol_cursor_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string map;
    for (int i = 0; i < 14; ++i) map += std::string(22, '0') + "\r\n";
    map += "2030000000000000000001\r\n" + std::string(22, '1') + "\r\n";
    std::ofstream(dir / "pole1.txt", std::ios::binary) << map;
    cursor.Bind(form.Picture1, QString(TUMBOL_SOURCE_DIR) + "/data/");
    form.game().path_work = dir.string() + "/";
    form.game().LoadLevelMap();
    form.game().RedrawBoard();
  }
  void TearDown() override { fs::remove_all(dir); }

  void MoveTo(QWidget* w, QPoint p) {
    QMouseEvent move(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
  }
  static QPoint Cell(int row, int col, bool leftHalf) {
    return QPoint((col - 1) * 32 + (leftHalf ? 8 : 24), (row - 1) * 32 + 16);
  }
  QImage Shown() const { return form.Picture1->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32); }
  Qt::CursorShape Shape() const { return form.Picture1->cursor().shape(); }

  fs::path dir;
  ScriptedToolkit tk;
  SilentCues cues;
  QtBoardCursor cursor{nullptr, QString()};
  Form1 form{tk, cues, cursor};
};

TEST_F(Form1Cursor, HalvesOfACubeShowTheirArrowsAndEveryRestorePointGivesTheArrowBack) {
  const QImage right = FirstFrame("an_lr.ani");
  const QImage left = FirstFrame("an_rl.ani");
  ASSERT_FALSE(right.isNull());
  ASSERT_NE(right, left);

  MoveTo(form.Picture1, Cell(15, 1, true));  // the first movement sets nothing
  EXPECT_EQ(Shape(), Qt::ArrowCursor);
  MoveTo(form.Picture1, Cell(15, 1, true));
  EXPECT_EQ(Shown(), right);
  const int loads = cursor.FileLoads();
  MoveTo(form.Picture1, Cell(15, 1, true) + QPoint(3, 2));  // same half: no reload
  EXPECT_EQ(cursor.FileLoads(), loads);
  MoveTo(form.Picture1, Cell(15, 1, false));
  EXPECT_EQ(Shown(), left);
  MoveTo(form.Picture1, Cell(15, 2, true));  // empty cell
  EXPECT_EQ(Shape(), Qt::ArrowCursor);
  MoveTo(form.Picture1, Cell(15, 22, true));  // a brick
  EXPECT_EQ(Shape(), Qt::ArrowCursor);

  MoveTo(form.Picture1, Cell(15, 3, false));
  EXPECT_EQ(Shown(), left);
  MoveTo(&form, QPoint(5, 5));  // over the window's own surface
  EXPECT_EQ(Shape(), Qt::ArrowCursor);

  MoveTo(form.Picture1, Cell(15, 3, true));
  EXPECT_EQ(Shown(), right);
  QWidget other;  // another window takes the focus
  form.show();
  QApplication::setActiveWindow(&form);
  QTRY_VERIFY_WITH_TIMEOUT(form.isActiveWindow(), 2000);
  MoveTo(form.Picture1, Cell(15, 3, false));
  MoveTo(form.Picture1, Cell(15, 3, true));
  ASSERT_EQ(Shown(), right);
  other.show();
  QApplication::setActiveWindow(&other);
  QTRY_VERIFY_WITH_TIMEOUT(!form.isActiveWindow(), 2000);
  EXPECT_EQ(Shape(), Qt::ArrowCursor);

  MoveTo(form.Picture1, Cell(15, 3, false));
  ASSERT_EQ(Shown(), left);
  QTest::mousePress(form.Picture1, Qt::LeftButton, {}, Cell(15, 3, false));  // pushes it left
  EXPECT_EQ(form.game().board.At(15, 2), 3);
  EXPECT_EQ(Shape(), Qt::ArrowCursor);
  EXPECT_FALSE(cursor.IsAnimated());
}

}  // namespace
}  // namespace tumbol
