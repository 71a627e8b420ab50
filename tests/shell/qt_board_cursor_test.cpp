#include "shell/qt_board_cursor.h"

#include <gtest/gtest.h>

#include <QDir>
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

TEST(QtBoardCursor, ShippedFramesDecodeAsArrows) {
  AniCursor c;
  ASSERT_TRUE(ReadAniFile((DataFolder() + "an_lr.ani").toStdString(), &c, nullptr));
  for (const AniFrame& f : c.frames) {
    QImage img = QImage::fromData(QByteArray(reinterpret_cast<const char*>(f.bytes.data()), int(f.bytes.size())), "CUR");
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(32, 32));
    EXPECT_TRUE(img.hasAlphaChannel());
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);  // the corners are see-through
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) opaque += qAlpha(img.pixel(x, y)) > 200;
    EXPECT_GT(opaque, 100);
  }
}

TEST(QtBoardCursor, InstallsAnimationAndRestoresTheArrow) {
  QWidget board;
  board.setCursor(Qt::ArrowCursor);
  QtBoardCursor cursor(&board, DataFolder());

  cursor.SetAnimCursor(1);
  EXPECT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(board.cursor().hotSpot(), QPoint(16, 16));
  EXPECT_TRUE(cursor.IsAnimated());
  EXPECT_EQ(cursor.FrameCount(), 8);
  QImage right = CursorImage(board);

  cursor.RestoreCursor();
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(cursor.IsAnimated());
  EXPECT_FALSE(cursor.HoldsSavedCopy());
  cursor.RestoreCursor();  // nothing owed: harmless
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);

  EXPECT_TRUE(PointsRight(right));
  cursor.SetAnimCursor(2);
  EXPECT_FALSE(PointsRight(CursorImage(board)));
  cursor.RestoreCursor();
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
}

TEST(QtBoardCursor, UnboundDoesNothingUntilBound) {
  QtBoardCursor cursor(nullptr, QString());
  cursor.SetAnimCursor(1);
  EXPECT_FALSE(cursor.HoldsSavedCopy());
  cursor.RestoreCursor();
  QWidget board;
  cursor.Bind(&board, DataFolder());
  cursor.SetAnimCursor(1);
  EXPECT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  cursor.RestoreCursor();
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
}

TEST(QtBoardCursor, FramesAdvanceWhileInForce) {
  QWidget board;
  QtBoardCursor cursor(&board, DataFolder());
  cursor.SetAnimCursor(1);
  QImage first = CursorImage(board);
  EXPECT_EQ(cursor.CurrentStep(), 0);
  QTest::qWait(250);
  EXPECT_GE(cursor.CurrentStep(), 1);
  EXPECT_NE(CursorImage(board), first);
  cursor.RestoreCursor();
  int stopped = cursor.CurrentStep();
  QTest::qWait(150);
  EXPECT_EQ(cursor.CurrentStep(), stopped);
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
}

TEST(QtBoardCursor, FileIsReadAgainAtEveryInstallation) {
  QTemporaryDir dir;
  QString folder = dir.path() + "/";
  ASSERT_TRUE(QFile::copy(DataFolder() + "an_lr.ani", folder + "an_lr.ani"));
  QWidget board;
  QtBoardCursor cursor(&board, folder);
  cursor.SetAnimCursor(1);
  cursor.RestoreCursor();
  cursor.SetAnimCursor(1);
  cursor.RestoreCursor();
  EXPECT_EQ(cursor.FileLoads(), 2);
  EXPECT_EQ(cursor.Decodes(), 1);  // the same bytes: the decoded frames serve again
  // The file goes away: the next installation notices.
  ASSERT_TRUE(QFile::remove(folder + "an_lr.ani"));
  cursor.SetAnimCursor(1);
  EXPECT_EQ(cursor.FileLoads(), 3);
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(cursor.IsAnimated());
  cursor.RestoreCursor();
}

TEST(QtBoardCursor, MissingEmptyOrCorruptFileLeavesTheArrow) {
  QTemporaryDir dir;
  QString folder = dir.path() + "/";
  QFile empty(folder + "an_lr.ani");
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  QFile corrupt(folder + "an_rl.ani");
  ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
  QFile good(DataFolder() + "an_rl.ani");
  ASSERT_TRUE(good.open(QIODevice::ReadOnly));
  corrupt.write(good.readAll().left(3000));  // cut inside the first frame
  corrupt.close();

  for (const QString& where : {folder, QString("/nonexistent/")}) {
    for (int kind : {1, 2}) {
      QWidget board;
      board.setCursor(Qt::CrossCursor);
      QtBoardCursor cursor(&board, where);
      cursor.SetAnimCursor(kind);
      EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
      EXPECT_FALSE(cursor.IsAnimated());
      EXPECT_TRUE(cursor.HoldsSavedCopy());  // so the caller's restore still balances
      board.setCursor(Qt::WaitCursor);
      cursor.RestoreCursor();
      EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
      EXPECT_FALSE(cursor.HoldsSavedCopy());
    }
  }
}

TEST(QtBoardCursor, UndecodableFrameLeavesTheArrow) {
  QTemporaryDir dir;
  AniWriter w;
  std::vector<uint8_t> cur = AniWriter::BuildCur(4, 4, 0, 0, std::vector<uint8_t>(64, 255));
  for (size_t i = 6 + 16; i < cur.size(); ++i) cur[i] = 0xEE;  // no bitmap where one should be
  w.AddFrame(cur);
  std::vector<uint8_t> file = w.Build();
  QFile out(dir.path() + "/an_lr.ani");
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(reinterpret_cast<const char*>(file.data()), qint64(file.size()));
  out.close();
  QWidget board;
  QtBoardCursor cursor(&board, dir.path());  // no trailing slash: still found
  cursor.SetAnimCursor(1);
  EXPECT_EQ(cursor.FileLoads(), 1);
  EXPECT_EQ(board.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(cursor.IsAnimated());
}

}  // namespace
}  // namespace tumbol
