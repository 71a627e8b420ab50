// The compiled-in board and button pictures: every one loads with the size the
// board and the game window expect, tiles are opaque, and no two cube kinds
// look alike, since players match cubes by their symbol alone.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

// Resources live in a static library: pull them in explicitly.
static void InitTileResources() { Q_INIT_RESOURCE(tiles); }

namespace tumbol {
namespace {

constexpr int kFirstCube = 2;
constexpr int kLastCube = 21;

// Mean absolute grey difference, per pixel, above which two cube tiles count
// as different pictures. The closest pair of shipped symbols (spade and club)
// differs by about 5.1; a repeated symbol gives 0, and even a copy gone
// through lossy JPEG compression stays under 4.
constexpr double kMinCubeDifference = 4.5;

int Grey(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

QImage Load(const QString& name) {
  InitTileResources();
  return QPixmap(":/art/" + name).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Tile(int code) { return Load(QString("tile%1.png").arg(code)); }

double MeanGreyDifference(const QImage& a, const QImage& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) sum += std::abs(Grey(a.pixel(x, y)) - Grey(b.pixel(x, y)));
  return sum / (a.width() * a.height());
}

double MeanGrey(const QImage& img) {
  double sum = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) sum += Grey(img.pixel(x, y));
  return sum / (img.width() * img.height());
}

bool IsOpaque(const QImage& img) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qAlpha(img.pixel(x, y)) != 255) return false;
  return true;
}

// Picture k of the buttons: button (k-1)/2, released when k is odd.
QSize ButtonSize(int picture) {
  if (picture == 5 || picture == 6) return {122, 26};
  if (picture >= 7 && picture <= 10) return {25, 25};
  return {114, 26};
}

TEST(TileArtTest, EveryTileAndTheBurstAreOpaque32By32) {
  for (int code = 1; code <= 26; ++code) {
    const QImage img = Tile(code);
    ASSERT_FALSE(img.isNull()) << "tile " << code << " is not in the resources";
    EXPECT_EQ(img.size(), QSize(32, 32)) << "tile " << code;
    EXPECT_TRUE(IsOpaque(img)) << "tile " << code << " has see-through pixels";
  }
  const QImage burst = Load("burst.png");
  ASSERT_FALSE(burst.isNull());
  EXPECT_EQ(burst.size(), QSize(32, 32));
  EXPECT_TRUE(IsOpaque(burst));
}

TEST(TileArtTest, CubesAreLightGreySymbolsOnADarkCube) {
  for (int code = kFirstCube; code <= kLastCube; ++code) {
    const QImage img = Tile(code);
    ASSERT_FALSE(img.isNull()) << "tile " << code;
    // The corners are outside the rounded cube: dark, like the board behind it.
    for (QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
      EXPECT_LT(Grey(img.pixel(corner)), 60) << "tile " << code << " corner " << corner.x() << "," << corner.y();
    int light = 0, coloured = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const QRgb c = img.pixel(x, y);
        if (Grey(c) > 200) ++light;
        if (std::abs(qRed(c) - qBlue(c)) > 40 || std::abs(qGreen(c) - qBlue(c)) > 40) ++coloured;
      }
    // Enough white to read the symbol at a glance, but the cube face stays dark.
    EXPECT_GT(light, 30) << "tile " << code << " symbol is too faint or too small";
    EXPECT_LT(light, 32 * 32 / 2) << "tile " << code << " is mostly white";
    EXPECT_EQ(coloured, 0) << "tile " << code << " is not grey-scale";
  }
}

TEST(TileArtTest, NoTwoCubeKindsLookAlike) {
  std::vector<QImage> cubes;
  for (int code = kFirstCube; code <= kLastCube; ++code) cubes.push_back(Tile(code));
  for (size_t i = 0; i < cubes.size(); ++i) {
    ASSERT_FALSE(cubes[i].isNull());
    for (size_t j = i + 1; j < cubes.size(); ++j)
      EXPECT_GT(MeanGreyDifference(cubes[i], cubes[j]), kMinCubeDifference)
          << "tiles " << i + kFirstCube << " and " << j + kFirstCube << " are too alike";
  }
}

TEST(TileArtTest, TheDifferenceMeasureRejectsARepeatedSymbol) {
  // The threshold must count a copy, even a lossily recompressed one, as the
  // same picture, or the pairwise check above proves nothing.
  for (int code = kFirstCube; code <= kLastCube; ++code) {
    const QImage tile = Tile(code);
    ASSERT_FALSE(tile.isNull());
    EXPECT_LE(MeanGreyDifference(tile, tile.copy()), kMinCubeDifference);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(tile.save(&buffer, "JPG", 85));
    const QImage recompressed = QImage::fromData(jpeg, "JPG").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(recompressed.size(), tile.size());
    EXPECT_LE(MeanGreyDifference(tile, recompressed), kMinCubeDifference) << "tile " << code;
  }
}

TEST(TileArtTest, WallTilesDifferFromEachOtherAndFromCubes) {
  const int walls[] = {1, 22, 23, 24, 25, 26};
  for (int a : walls)
    for (int b : walls)
      if (a < b) EXPECT_GT(MeanGreyDifference(Tile(a), Tile(b)), kMinCubeDifference) << a << " vs " << b;
  // The brick and the checkerboard carry colour, unlike any cube.
  const QImage brick = Tile(1), checker = Tile(26);
  EXPECT_GT(qRed(brick.pixel(5, 3)), qBlue(brick.pixel(5, 3)) + 60);
  int yellow = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const QRgb c = checker.pixel(x, y);
      if (qRed(c) > 180 && qGreen(c) > 150 && qBlue(c) < 80) ++yellow;
    }
  EXPECT_GT(yellow, 32 * 32 / 4);
  EXPECT_LT(yellow, 32 * 32 * 3 / 4);
}

TEST(TileArtTest, TheBurstFlashesBrightYellowOnADarkGround) {
  const QImage burst = Load("burst.png");
  ASSERT_FALSE(burst.isNull());
  EXPECT_GT(Grey(burst.pixel(16, 16)), 230);
  EXPECT_LT(Grey(burst.pixel(0, 0)), 60);
  const QRgb ray = burst.pixel(16, 5);  // on the upward ray of the star
  EXPECT_GT(qRed(ray), qBlue(ray) + 40);
  EXPECT_GT(qGreen(ray), qBlue(ray) + 20);
}

TEST(ButtonArtTest, EveryStateLoadsWithItsButtonSize) {
  for (int picture = 1; picture <= 16; ++picture) {
    const QImage img = Load(QString("button%1.png").arg(picture));
    ASSERT_FALSE(img.isNull()) << "button picture " << picture << " is not in the resources";
    EXPECT_EQ(img.size(), ButtonSize(picture)) << "button picture " << picture;
  }
}

TEST(ButtonArtTest, PressedStateIsDarkerAndDifferentCaptionsDiffer) {
  std::vector<QImage> released;
  for (int k = 0; k < 8; ++k) {
    const QImage up = Load(QString("button%1.png").arg(2 * k + 1));
    const QImage down = Load(QString("button%1.png").arg(2 * k + 2));
    ASSERT_FALSE(up.isNull());
    ASSERT_FALSE(down.isNull());
    EXPECT_LT(MeanGrey(down), MeanGrey(up) - 5) << "button " << k << " does not look pressed";
    released.push_back(up);
  }
  // Same-sized plates must still be told apart by their captions.
  for (size_t i = 0; i < released.size(); ++i)
    for (size_t j = i + 1; j < released.size(); ++j)
      if (released[i].size() == released[j].size())
        EXPECT_GT(MeanGreyDifference(released[i], released[j]), 2.0) << "buttons " << i << " and " << j;
}

}  // namespace
}  // namespace tumbol
