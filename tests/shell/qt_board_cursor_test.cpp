#include "shell/qt_board_cursor.h"

#include <gtest/gtest.h>

#include <QTest>

#include "tests/temp_folder.h"

namespace tumbol {
namespace {

QImage CursorImage(const QWidget& w) { return w.cursor().pixmap().toImage(); }

// An arrow's blunt tail is tall and its tip a point: true when the opaque
// column furthest left is taller than the one furthest right.
bool PointsRight(const QImage& img) {
  std::vector<int> heights;  // of the columns holding opaque pixels, left to right
  for (int x = 0; x < img.width(); ++x) {
    int height = 0;
    for (int y = 0; y < img.height(); ++y) height += qAlpha(img.pixel(x, y)) > 200;
    if (height > 0) heights.push_back(height);
  }
  return !heights.empty() && heights.front() > heights.back();
}

TEST(QtBoardCursor, AnimatesTheArrowOfEachDirectionAndRestoresTheOldCursor) {
  QWidget board;
  board.setCursor(Qt::CrossCursor);
  QtBoardCursor cursor(nullptr, QString());
  cursor.SetAnimCursor(1);  // unbound: nothing
  cursor.RestoreCursor();
  cursor.Bind(&board, TUMBOL_SOURCE_DIR "/data/");
  cursor.SetAnimCursor(1);
  ASSERT_EQ(board.cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(board.cursor().hotSpot(), QPoint(16, 16));
  const QImage first = CursorImage(board);
  EXPECT_TRUE(PointsRight(first));
  EXPECT_TRUE(QTest::qWaitFor([&] { return CursorImage(board) != first; }, 5000));  // the frames advance
  cursor.SetAnimCursor(2);
  EXPECT_FALSE(PointsRight(CursorImage(board)));
  cursor.RestoreCursor();
  EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor);
  EXPECT_FALSE(cursor.Animating());  // no frame after the restore
  board.setCursor(Qt::WaitCursor);
  cursor.RestoreCursor();  // nothing owed: harmless
  EXPECT_EQ(board.cursor().shape(), Qt::WaitCursor);
}

TEST(QtBoardCursor, FileIsReadAgainAtEveryInstallationAndABadOneLeavesTheCursor) {
  TempFolder dir;
  const std::string data = TUMBOL_SOURCE_DIR "/data/";
  const std::filesystem::path file = dir / "an_lr.ani";
  QWidget board;
  board.setCursor(Qt::CrossCursor);
  QtBoardCursor cursor(&board, QString::fromStdString(dir.path.string()));  // no trailing slash: still found
  WriteBytes(file, ReadBytes(data + "an_lr.ani"));
  cursor.SetAnimCursor(1);
  const QImage first = CursorImage(board);
  cursor.RestoreCursor();
  WriteBytes(file, ReadBytes(data + "an_rl.ani"));  // the other arrow: shown at the next installation
  cursor.SetAnimCursor(1);
  EXPECT_FALSE(first.isNull() || CursorImage(board).isNull() || CursorImage(board) == first);
  cursor.RestoreCursor();
  const auto leavesTheCursor = [&](const char* what) {
    cursor.SetAnimCursor(1);
    EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor) << what;
    board.setCursor(Qt::WaitCursor);
    cursor.RestoreCursor();  // the caller's restore still balances
    EXPECT_EQ(board.cursor().shape(), Qt::CrossCursor) << what;
  };
  std::filesystem::remove(file);
  leavesTheCursor("gone, though read before");
  WriteBytes(file, "");
  leavesTheCursor("empty");
  WriteBytes(file, ReadBytes(data + "an_rl.ani").substr(0, 3000));
  leavesTheCursor("cut in a frame");
  std::vector<uint8_t> cur = AniWriter::BuildCur(4, 4, 0, 0, std::vector<uint8_t>(64, 255));
  for (size_t i = 6 + 16; i < cur.size(); ++i) cur[i] = 0xEE;  // no bitmap where one should be
  AniWriter w;
  w.AddFrame(cur);
  const std::vector<uint8_t> undecodable = w.Build();
  WriteBytes(file, std::string(undecodable.begin(), undecodable.end()));
  leavesTheCursor("undecodable frame");
}

}  // namespace
}  // namespace tumbol
