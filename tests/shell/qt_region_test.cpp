#include <QRandomGenerator>
#include <gtest/gtest.h>

#include "shell/qt_region.h"

namespace tumbol {
namespace {

const QRgb kWhiteRgb = qRgb(255, 255, 255);

TEST(RegionFromPicture, CoversExactlyTheNonWhitePixels) {
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_ARGB32}) {
    SCOPED_TRACE(format);
    QImage image(61, 47, format);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        // Long white and opaque stretches, and some near-white pixels.
        const bool white = ((x / 5 + y / 3) % 3 == 0) != (random.bounded(8) == 0);
        image.setPixel(x, y, white ? kWhiteRgb : qRgb(255, 255, random.bounded(2) ? 254 : 0));
      }
    const QRegion region = MakeRegionFromPicture(image, kPureWhite);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        ASSERT_EQ(region.contains(QPoint(x, y)), image.pixel(x, y) != kWhiteRgb) << x << "," << y;
    EXPECT_EQ(region.boundingRect() & QRect(0, 0, 61, 47), region.boundingRect());
  }
}

TEST(RegionFromPicture, OtherColoursAndSkinsOfTheWrongSizeOrAllWhite) {
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 255));
  image.setPixel(2, 1, qRgb(255, 0, 0));
  // Colour values hold red in the low byte: 0xFF0000 is blue.
  EXPECT_EQ(MakeRegionFromPicture(image, 0xFF0000u), QRegion(2, 1, 1, 1));
  const QSize window(760, 614);
  QImage small(100, 50, QImage::Format_RGB888);
  small.fill(Qt::black);
  EXPECT_EQ(WindowOutline(small, window), QRegion(0, 0, 100, 50));  // the rest of the window is outside
  QImage large(900, 700, QImage::Format_RGB32);
  large.fill(qRgb(10, 20, 30));
  large.setPixel(0, 0, kWhiteRgb);
  EXPECT_EQ(WindowOutline(large, window), QRegion(0, 0, 760, 614) - QRegion(0, 0, 1, 1));  // cut at the edge
  QImage white(window, QImage::Format_RGB32);
  white.fill(Qt::white);
  EXPECT_TRUE(WindowOutline(white, window).isEmpty());
}

// The face cut in one pass over a skin of the window's size is the one
// painted through the outline, which any other skin gets.
TEST(WindowFace, ClearingTheWhitePixelsGivesThePaintedFace) {
  const QImage skin = QImage(TUMBOL_SOURCE_DIR "/data/skins.bmp").convertToFormat(QImage::Format_RGB32);
  const WindowShape shape = CutWindow(skin, skin.size());
  ASSERT_FALSE(shape.outline.isEmpty());
  EXPECT_EQ(shape.face, WindowFace(skin.convertToFormat(QImage::Format_ARGB32), shape.outline, skin.size()));
  EXPECT_EQ(qAlpha(shape.face.pixel(0, 0)), 0);
  QImage white(skin.size(), QImage::Format_RGB32);
  white.fill(Qt::white);
  EXPECT_TRUE(CutWindow(white, white.size()).face.isNull());
}

}  // namespace
}  // namespace tumbol
