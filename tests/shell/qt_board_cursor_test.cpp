#include "shell/qt_board_cursor.h"

#include <gtest/gtest.h>

#include <QTest>

#include "tests/temp_folder.h"

namespace tumbol {
namespace {

QString DataFolder() { return QString(TUMBOL_SOURCE_DIR) + "/data/"; }

QImage CursorImage(const QWidget& w) { return w.cursor().pixmap().toImage(); }

// An arrow's blunt tail is tall and its tip a point: true when the tall end
// of the solid shape is on the left, i.e. the arrow points right.
bool PointsRight(const QImage& img) {
  std::vector<int> column(size_t(img.width()), 0);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) column[size_t(x)] += qAlpha(img.pixel(x, y)) > 200;
  int first = 0, last = img.width() - 1;
  while (first < last && column[size_t(first)] == 0) ++first;
  while (last > first && column[size_t(last)] == 0) --last;
  return column[size_t(first)] > column[size_t(last)];
}

TEST(QtBoardCursor, AnimatesTheArrowOfEachDirectionAndRestoresTheOldCursor) {
  QWidget board;
  board.setCursor(Qt::CrossCursor);
  QtBoardCursor cursor(nullptr, QString());
  cursor.SetAnimCursor(1);  // unbound: nothing
  cursor.RestoreCursor();
  cursor.Bind(&board, DataFolder());
  cursor.SetAnimCursor(1);
  ASSERT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(board.cursor().hotSpot(), QPoint(16, 16));
  const QImage first = CursorImage(board);
  EXPECT_TRUE(PointsRight(first));
  QTest::qWait(250);
  EXPECT_NE(CursorImage(board), first);  // the frames advance
  cursor.SetAnimCursor(2);
  EXPECT_FALSE(PointsRight(CursorImage(board)));
  cursor.RestoreCursor();
  EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
  QTest::qWait(150);
  EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);  // no frame after the restore
  board.setCursor(Qt::WaitCursor);
  cursor.RestoreCursor();  // nothing owed: harmless
  EXPECT_EQ(board.cursor().shape(), Qt::WaitCursor);
}

TEST(QtBoardCursor, FileIsReadAgainAtEveryInstallation) {
  TempFolder dir;
  const std::string data = TUMBOL_SOURCE_DIR "/data/";
  WriteBytes(dir / "an_lr.ani", ReadBytes(data + "an_lr.ani"));
  QWidget board;
  QtBoardCursor cursor(&board, QString::fromStdString(dir.path.string()));  // no trailing slash: still found
  cursor.SetAnimCursor(1);
  ASSERT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  EXPECT_TRUE(PointsRight(CursorImage(board)));
  cursor.RestoreCursor();
  WriteBytes(dir / "an_lr.ani", ReadBytes(data + "an_rl.ani"));  // the other arrow: shown at the next installation
  cursor.SetAnimCursor(1);
  ASSERT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(PointsRight(CursorImage(board)));
  cursor.RestoreCursor();
  std::filesystem::remove(dir / "an_lr.ani");  // gone: the arrow stays, nothing animates
  cursor.SetAnimCursor(1);
  QTest::qWait(150);
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
}

TEST(QtBoardCursor, AnEmptyCutOrUndecodableFileOrNoneLeavesTheCursor) {
  TempFolder dir, other;
  WriteBytes(dir / "an_lr.ani", "");
  WriteBytes(dir / "an_rl.ani", ReadBytes(TUMBOL_SOURCE_DIR "/data/an_rl.ani").substr(0, 3000));  // cut in a frame
  std::vector<uint8_t> cur = AniWriter::BuildCur(4, 4, 0, 0, std::vector<uint8_t>(64, 255));
  for (size_t i = 6 + 16; i < cur.size(); ++i) cur[i] = 0xEE;  // no bitmap where one should be
  AniWriter w;
  w.AddFrame(cur);
  const std::vector<uint8_t> file = w.Build();
  WriteBytes(other / "an_lr.ani", std::string(file.begin(), file.end()));
  const struct {
    std::string folder;
    int kind;
  } cases[] = {{dir.Slash(), 1}, {dir.Slash(), 2}, {"/nonexistent/", 1}, {other.Slash(), 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder + " " + std::to_string(c.kind));
    QWidget board;
    board.setCursor(Qt::CrossCursor);
    QtBoardCursor cursor(&board, QString::fromStdString(c.folder));
    cursor.SetAnimCursor(c.kind);
    EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
    board.setCursor(Qt::WaitCursor);
    cursor.RestoreCursor();  // the caller's restore still balances
    EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
  }
}

}  // namespace
}  // namespace tumbol
