#include "shell/qt_board_cursor.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
  QTemporaryDir dir;
  const QString file = dir.path() + "/an_lr.ani";
  ASSERT_TRUE(QFile::copy(DataFolder() + "an_lr.ani", file));
  QWidget board;
  QtBoardCursor cursor(&board, dir.path());  // no trailing slash: still found
  cursor.SetAnimCursor(1);
  ASSERT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  EXPECT_TRUE(PointsRight(CursorImage(board)));
  cursor.RestoreCursor();
  // Replaced by the other arrow: the next installation shows it.
  ASSERT_TRUE(QFile::remove(file) && QFile::copy(DataFolder() + "an_rl.ani", file));
  cursor.SetAnimCursor(1);
  ASSERT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(PointsRight(CursorImage(board)));
  cursor.RestoreCursor();
  // Gone: the next installation leaves the arrow.
  ASSERT_TRUE(QFile::remove(file));
  cursor.SetAnimCursor(1);
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
  QTest::qWait(150);
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);  // nothing animates
}

TEST(QtBoardCursor, MissingEmptyCorruptOrUndecodableFileLeavesTheCursor) {
  QTemporaryDir dir;
  const QString folder = dir.path() + "/";
  QFile(folder + "an_lr.ani").open(QIODevice::WriteOnly);  // empty
  QFile good(DataFolder() + "an_rl.ani");
  ASSERT_TRUE(good.open(QIODevice::ReadOnly));
  QFile corrupt(folder + "an_rl.ani");
  ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
  corrupt.write(good.readAll().left(3000));  // cut inside the first frame
  corrupt.close();
  QTemporaryDir other;
  AniWriter w;
  std::vector<uint8_t> cur = AniWriter::BuildCur(4, 4, 0, 0, std::vector<uint8_t>(64, 255));
  for (size_t i = 6 + 16; i < cur.size(); ++i) cur[i] = 0xEE;  // no bitmap where one should be
  w.AddFrame(cur);
  const std::vector<uint8_t> file = w.Build();
  QFile undecodable(other.path() + "/an_lr.ani");
  ASSERT_TRUE(undecodable.open(QIODevice::WriteOnly));
  undecodable.write(reinterpret_cast<const char*>(file.data()), qint64(file.size()));
  undecodable.close();

  const struct {
    QString folder;
    int kind;
  } cases[] = {{folder, 1}, {folder, 2}, {"/nonexistent/", 1}, {other.path(), 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder.toStdString() + " " + std::to_string(c.kind));
    QWidget board;
    board.setCursor(Qt::CrossCursor);
    QtBoardCursor cursor(&board, c.folder);
    cursor.SetAnimCursor(c.kind);
    EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
    board.setCursor(Qt::WaitCursor);
    cursor.RestoreCursor();  // the caller's restore still balances
    EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
  }
}

}  // namespace
}  // namespace tumbol
