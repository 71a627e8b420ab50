#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include "shell/qt_region.h"
#include "shell/qt_splash.h"

namespace tumbol {
namespace {

const QRgb kWhiteRgb = qRgb(255, 255, 255);

void ExpectCoversNonWhite(const QRegion& region, const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ASSERT_EQ(region.contains(QPoint(x, y)), (image.pixel(x, y) & 0xFFFFFFu) != (kWhiteRgb & 0xFFFFFFu))
          << x << "," << y;
  EXPECT_FALSE(region.boundingRect().intersects(QRect(image.width(), 0, 1000, 1000)));
  EXPECT_FALSE(region.boundingRect().intersects(QRect(0, image.height(), 1000, 1000)));
}

QImage RandomPicture(QImage::Format format) {
  QImage image(61, 47, format);
  QRandomGenerator random(7);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      // Long white and opaque stretches, and some near-white pixels.
      const bool white = ((x / 5 + y / 3) % 3 == 0) != (random.bounded(8) == 0);
      image.setPixel(x, y, white ? kWhiteRgb : qRgb(255, 255, random.bounded(2) ? 254 : 0));
    }
  return image;
}

TEST(RegionFromPicture, CoversExactlyTheNonWhitePixels) {
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_ARGB32}) {
    SCOPED_TRACE(format);
    const QImage image = RandomPicture(format);
    int rows = 0;
    const QRegion region = MakeRegionFromPicture(image, kPureWhite, [&] { ++rows; });
    EXPECT_EQ(rows, image.height());
    ExpectCoversNonWhite(region, image);
  }
}

TEST(RegionFromPicture, SameRegionAsUnitingTheRunsOneByOne) {
  const QImage image = RandomPicture(QImage::Format_RGB32);
  const QRegion fast = MakeRegionFromPicture(image, kPureWhite, nullptr);
  const auto runs = MakeRegionRuns(
      image.width(), image.height(),
      [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return uint32_t(qRed(p)) | uint32_t(qGreen(p)) << 8 | uint32_t(qBlue(p)) << 16;
      },
      kPureWhite, nullptr);
  const QRegion slow = UniteOneByOne(runs);
  // Equal as Qt compares regions: the same bands of the same rectangles.
  EXPECT_EQ(fast, slow);
  EXPECT_EQ(fast.rectCount(), slow.rectCount());
  EXPECT_EQ(RegionFromRects(runs).rectCount(), static_cast<int>(runs.size()));
}

TEST(RegionFromPicture, OtherTransparentColoursAndEdgeCases) {
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 255));
  image.setPixel(2, 1, qRgb(255, 0, 0));
  // Colour values hold red in the low byte: 0xFF0000 is blue.
  const QRegion region = MakeRegionFromPicture(image, 0xFF0000u, nullptr);
  EXPECT_EQ(region, QRegion(2, 1, 1, 1));
  image.fill(Qt::white);
  EXPECT_TRUE(MakeRegionFromPicture(image, kPureWhite, nullptr).isEmpty());
  EXPECT_TRUE(MakeRegionFromPicture(QImage(), kPureWhite, nullptr).isEmpty());
}

TEST(RegionFromPicture, ShippedSkinIsShaped) {
  const QString path = QStringLiteral(TUMBOL_SOURCE_DIR "/data/skins.bmp");
  if (!QFileInfo::exists(path)) GTEST_SKIP() << "no data/skins.bmp";
  const QImage skin(path);
  ASSERT_EQ(skin.size(), QSize(760, 614));
  const QRegion region = MakeRegionFromPicture(skin, kPureWhite, nullptr);
  // Rounded corners are cut away; the middle of the face is solid.
  for (QPoint corner : {QPoint(0, 0), QPoint(759, 0), QPoint(0, 613), QPoint(759, 613)}) {
    EXPECT_FALSE(region.contains(corner)) << corner.x() << "," << corner.y();
    EXPECT_EQ(skin.pixel(corner), kWhiteRgb);
  }
  EXPECT_TRUE(region.contains(QPoint(380, 300)));
  EXPECT_TRUE(region.contains(QPoint(714, 14)));  // the close button
  ExpectCoversNonWhite(region, skin);
}

TEST(RegionFromPicture, OutlineOfASkinOfTheWrongSizeOrAllWhite) {
  QImage small(100, 50, QImage::Format_RGB888);
  small.fill(Qt::black);
  QRegion region = WindowOutline(small, QSize(760, 614), nullptr);
  EXPECT_EQ(region, QRegion(0, 0, 100, 50));  // the rest of the window is outside
  QImage large(900, 700, QImage::Format_RGB32);
  large.fill(qRgb(10, 20, 30));
  large.setPixel(0, 0, kWhiteRgb);
  region = WindowOutline(large, QSize(760, 614), nullptr);
  EXPECT_EQ(region, QRegion(0, 0, 760, 614) - QRegion(0, 0, 1, 1));  // cut at the window's edge
  QImage white(760, 614, QImage::Format_RGB32);
  white.fill(Qt::white);
  int rows = 0;
  EXPECT_TRUE(WindowOutline(white, QSize(760, 614), [&] { ++rows; }).isEmpty());
  EXPECT_EQ(rows, 614);
  EXPECT_TRUE(WindowOutline(QImage(), QSize(760, 614), nullptr).isEmpty());
}

TEST(Splash, LayoutAndCaptions) {
  frmSplash splash;
  EXPECT_EQ(splash.size(), QSize(432, 88));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash.Frame1->geometry(), QRect(3, 3, 425, 82));
  EXPECT_EQ(splash.imgLogo->geometry(), QRect(23, 9, 55, 59));
  EXPECT_EQ(splash.lblCompanyProduct->geometry(), QRect(112, 25, 222, 26));
  EXPECT_EQ(splash.Label1->geometry(), QRect(115, 28, 222, 26));
  for (QLabel* label : {splash.lblCompanyProduct, splash.Label1}) {
    EXPECT_EQ(label->text(), QStringLiteral("Пожалуйста ждите..."));
    EXPECT_EQ(label->font().family(), QStringLiteral("Times New Roman"));
  }
  EXPECT_NE(splash.Label1->palette().color(QPalette::WindowText),
            splash.lblCompanyProduct->palette().color(QPalette::WindowText));
  EXPECT_FALSE(splash.imgLogo->pixmap().isNull());
}

TEST(Splash, ShadowIsDrawnUnderTheCaption) {
  frmSplash splash;
  const QImage face = splash.grab().toImage();
  // Where both labels lie, the caption's colour wins over its shadow's.
  const QColor gold = splash.lblCompanyProduct->palette().color(QPalette::WindowText);
  const QColor shadow = splash.Label1->palette().color(QPalette::WindowText);
  int goldPixels = 0;
  int shadowPixels = 0;
  for (int y = 25; y < 54; ++y)
    for (int x = 112; x < 337; ++x) {
      const QColor c = face.pixelColor(x, y);
      goldPixels += c == gold;
      shadowPixels += c == shadow;
    }
  EXPECT_GT(goldPixels, 50);
  EXPECT_GT(shadowPixels, 20);
  const int goldAbove = splash.children().indexOf(splash.lblCompanyProduct);
  EXPECT_GT(goldAbove, splash.children().indexOf(splash.Label1));
}

}  // namespace
}  // namespace tumbol
