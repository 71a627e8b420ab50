#include "shell/qt_read_ahead.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "shell/qt_region.h"

#include "tests/temp_folder.h"

namespace tumbol {
namespace {

TEST(PictureReadAhead, GivesWhatALoadOnTheSpotGivesStartedOrNot) {
  TempFolder dir;
  WriteBytes(dir / "broken.jpg", "\xFF\xD8\xFF not really a picture");
  const QString skin = TUMBOL_SOURCE_DIR "/data/skinsp.jpg";
  const QString broken = QString::fromStdString((dir / "broken.jpg").string());
  PictureReadAhead ahead;
  ahead.Start(skin);
  ahead.Start(skin);  // a second start is the same picture
  ahead.Start(broken);
  const QImage expected(skin);
  ASSERT_FALSE(expected.isNull());
  EXPECT_EQ(ahead.Take(skin), expected);
  EXPECT_EQ(ahead.Take(skin), expected);  // taken again: decoded on the spot
  EXPECT_TRUE(ahead.Take(broken).isNull());
  EXPECT_TRUE(ahead.Take(QString::fromStdString((dir / "never-started.bmp").string())).isNull());
}

// Started before the application, only a plain BMP of the window's size is
// read ahead; the rest comes as it would on the spot.
TEST(PictureReadAhead, BeforeTheApplicationLeavesOtherPicturesToTheTaking) {
  const QString skin = TUMBOL_SOURCE_DIR "/data/skins.bmp";
  const QString board = TUMBOL_SOURCE_DIR "/data/skinsp.jpg";
  const QSize size(760, 614), other(700, 600);
  PictureReadAhead ahead;
  ahead.Start(skin, size, true);
  ahead.Start(board, {}, true);
  EXPECT_EQ(ahead.TakeShape(skin, size).face, CutWindow(ReadPicture(skin), size).face);
  EXPECT_EQ(ahead.Take(board), ReadPicture(board));
  EXPECT_FALSE(ahead.Take(board).isNull());
  PictureReadAhead elsewhere;
  elsewhere.Start(skin, other, true);
  EXPECT_EQ(elsewhere.TakeShape(skin, other).outline, WindowOutline(ReadPicture(skin), other));
}

}  // namespace
}  // namespace tumbol

namespace tumbol {
namespace {

// A 24-bit BMP of width x |height| whose pixel (x, y) is (x * 40, y * 50, x + y).
std::string Bmp24(int width, int height, uint32_t compression = 0) {
  const int rows = std::abs(height), stride = (width * 3 + 3) / 4 * 4;
  auto le = [](uint32_t v, int n) { std::string s; for (int i = 0; i < n; ++i) s += char(v >> 8 * i); return s; };
  std::string b = "BM" + le(54 + stride * rows, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(width, 4) + le(height, 4) +
                  le(1, 2) + le(24, 2) + le(compression, 4) + le(stride * rows, 4) + std::string(16, '\0');
  for (int r = 0; r < rows; ++r) {
    const int y = height > 0 ? rows - 1 - r : r;
    for (int x = 0; x < width; ++x) b += {char(x + y), char(y * 50), char(x * 40)};
    b += std::string(stride - width * 3, '\0');
  }
  return b;
}

TEST(PlainBmp, CopiesWhatQtDecodesAndLeavesEveryOtherFileToQt) {
  for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, -2}, {5, 4}, {6, -1}}) {
    const std::string b = Bmp24(w, h);
    const QImage qt = QImage::fromData(reinterpret_cast<const uchar*>(b.data()), int(b.size())).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(qt.isNull()) << w << "x" << h;
    EXPECT_EQ(PlainBmp(b), qt) << w << "x" << h;
  }
  const std::string skin = ReadBytes(TUMBOL_SOURCE_DIR "/data/skins.bmp");
  EXPECT_EQ(PlainBmp(skin), QImage(TUMBOL_SOURCE_DIR "/data/skins.bmp").convertToFormat(QImage::Format_RGB32));
  const std::string whole = Bmp24(4, 4);
  for (const std::string& other : {whole.substr(0, whole.size() - 1), Bmp24(4, 4, 1), std::string("BM"), std::string()})
    EXPECT_TRUE(PlainBmp(other).isNull()) << other.size();
}

TEST(PictureReadAhead, CutsTheOutlineWithThePictureAsOnTheSpot) {
  const QString skin = TUMBOL_SOURCE_DIR "/data/skins.bmp";
  const QSize size(760, 614);
  PictureReadAhead ahead;
  ahead.Start(skin, size);
  const WindowShape shape = ahead.TakeShape(skin, size);
  EXPECT_EQ(shape.outline, WindowOutline(QImage(skin), size));
  EXPECT_EQ(ahead.Take(skin).size(), size);
  EXPECT_TRUE(ahead.TakeShape(skin + ".missing", size).outline.isEmpty());
}

}  // namespace
}  // namespace tumbol
