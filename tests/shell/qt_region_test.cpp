#include <QRandomGenerator>
#include <gtest/gtest.h>

#include "shell/qt_region.h"
#include "shell/qt_splash.h"

namespace tumbol {
namespace {

TEST(RegionFromPicture, CoversExactlyTheNonWhitePixels) {
  QImage image(61, 47, QImage::Format_RGB32);
  QRandomGenerator random(7);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, random.bounded(3) == 0 ? qRgb(255, 255, 255) : qRgb(255, 255, random.bounded(2) ? 254 : 0));
  int rows = 0;
  const QRegion region = MakeRegionFromPicture(image, kPureWhite, [&] { ++rows; });
  EXPECT_EQ(rows, image.height());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      ASSERT_EQ(region.contains(QPoint(x, y)), image.pixel(x, y) != qRgb(255, 255, 255)) << x << "," << y;
}

TEST(RegionFromPicture, ShippedSkinIsShaped) {
  QImage skin(QStringLiteral(TUMBOL_SOURCE_DIR "/data/skins.bmp"));
  ASSERT_FALSE(skin.isNull());
  const QRegion region = MakeRegionFromPicture(skin, kPureWhite, nullptr);
  EXPECT_FALSE(region.contains(QPoint(0, 0)));
  EXPECT_FALSE(region.contains(QPoint(759, 613)));
  EXPECT_TRUE(region.contains(QPoint(380, 300)));
  EXPECT_TRUE(region.contains(QPoint(714, 14)));  // the close button
}

TEST(Splash, CaptionsAndPlaces) {
  frmSplash splash;
  EXPECT_EQ(splash.size(), QSize(432, 88));
  EXPECT_EQ(splash.Label1->text(), QStringLiteral("Пожалуйста ждите..."));
  EXPECT_EQ(splash.Label1->pos() - splash.lblCompanyProduct->pos(), QPoint(3, 3));
  EXPECT_FALSE(splash.imgLogo->pixmap().isNull());
}

}  // namespace
}  // namespace tumbol
