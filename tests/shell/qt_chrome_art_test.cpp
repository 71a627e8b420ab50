// The shipped chrome art: the game window face must hold every control inside
// its cut-out outline, and the compiled-in pictures must have the sizes the
// windows expect.

#include <QFile>
#include <QImage>
#include <QRect>
#include <QSet>
#include <QString>
#include <gtest/gtest.h>

#include <deque>
#include <vector>

// Resources live in a static library: pull them in explicitly.
static void InitChromeResources() { Q_INIT_RESOURCE(chrome); }

namespace tumbol {
namespace {

const QString kSource = QStringLiteral(TUMBOL_SOURCE_DIR);
constexpr QRgb kWhite = 0xffffffffu;

bool IsWhite(const QImage& img, int x, int y) { return img.pixel(x, y) == kWhite; }

int Luma(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin = QImage(kSource + "/data/skins.bmp").convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(skin.isNull()) << "data/skins.bmp did not load";
  }
  QImage skin;
};

struct Place {
  const char* name;
  QRect rect;
};

// Places of the game window's controls, in pixels of its client area.
const Place kControls[] = {
    {"Picture1", {27, 29, 705, 513}},  {"Image1(0)", {338, 544, 114, 26}}, {"Image1(1)", {487, 544, 114, 26}},
    {"Image1(2)", {611, 544, 122, 26}}, {"Image1(3)", {702, 2, 25, 25}},    {"Image1(4)", {671, 2, 25, 25}},
    {"Image1(5)", {97, 544, 114, 26}},  {"Image1(6)", {487, 574, 114, 26}}, {"Image1(7)", {215, 544, 114, 26}},
    {"Label1", {32, 544, 33, 17}},      {"Label2", {97, 573, 72, 16}},      {"Label3", {218, 545, 111, 13}},
    {"Text1", {218, 562, 113, 19}},     {"Label4", {617, 574, 42, 13}},     {"Label5", {676, 574, 42, 13}},
    {"Image3", {458, 551, 21, 21}},
};

TEST_F(SkinTest, IsA24BitBitmapOfTheWindowSize) {
  QFile f(kSource + "/data/skins.bmp");
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray head = f.read(30);
  ASSERT_EQ(head.size(), 30);
  EXPECT_EQ(head.left(2), QByteArray("BM"));
  const int bitCount = static_cast<unsigned char>(head[28]) | (static_cast<unsigned char>(head[29]) << 8);
  EXPECT_EQ(bitCount, 24);
  EXPECT_EQ(skin.width(), 760);
  EXPECT_EQ(skin.height(), 614);
}

TEST_F(SkinTest, OutlineIsShapedWithWhiteCornersAndEdges) {
  const int w = skin.width(), h = skin.height();
  EXPECT_TRUE(IsWhite(skin, 0, 0));
  EXPECT_TRUE(IsWhite(skin, w - 1, 0));
  EXPECT_TRUE(IsWhite(skin, 0, h - 1));
  EXPECT_TRUE(IsWhite(skin, w - 1, h - 1));

  // The top row is cut: some of it belongs to the window, some does not.
  int whiteTop = 0;
  for (int x = 0; x < w; ++x) whiteTop += IsWhite(skin, x, 0);
  EXPECT_GT(whiteTop, 0);
  EXPECT_LT(whiteTop, w);

  // The shape is not its bounding rectangle.
  QRect bounds;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (!IsWhite(skin, x, y)) bounds |= QRect(x, y, 1, 1);
  int whiteInBounds = 0;
  for (int y = bounds.top(); y <= bounds.bottom(); ++y)
    for (int x = bounds.left(); x <= bounds.right(); ++x) whiteInBounds += IsWhite(skin, x, y);
  EXPECT_GT(whiteInBounds, 100);
}

TEST_F(SkinTest, EveryControlLiesInsideTheOutline) {
  for (const Place& c : kControls) {
    int white = 0;
    for (int y = c.rect.top(); y <= c.rect.bottom(); ++y)
      for (int x = c.rect.left(); x <= c.rect.right(); ++x) white += IsWhite(skin, x, y);
    EXPECT_EQ(white, 0) << c.name << " has white (cut-away) pixels under it";
  }
}

TEST_F(SkinTest, HasNoWhiteHolesInside) {
  // Every white pixel must be reachable from the picture's edge through white:
  // a white pixel enclosed by the face would punch a hole in the window.
  const int w = skin.width(), h = skin.height();
  std::vector<char> seen(w * h, 0);
  std::deque<QPoint> queue;
  auto push = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h || seen[y * w + x] || !IsWhite(skin, x, y)) return;
    seen[y * w + x] = 1;
    queue.push_back(QPoint(x, y));
  };
  for (int x = 0; x < w; ++x) push(x, 0), push(x, h - 1);
  for (int y = 0; y < h; ++y) push(0, y), push(w - 1, y);
  int reached = 0;
  while (!queue.empty()) {
    const QPoint p = queue.front();
    queue.pop_front();
    ++reached;
    push(p.x() + 1, p.y());
    push(p.x() - 1, p.y());
    push(p.x(), p.y() + 1);
    push(p.x(), p.y() - 1);
  }
  int total = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) total += IsWhite(skin, x, y);
  EXPECT_EQ(reached, total) << "white pixels enclosed by the window face";
}

TEST_F(SkinTest, LabelsSitOnDarkSkinForLightText) {
  for (const Place& c : kControls) {
    const QString name = c.name;
    if (!name.startsWith("Label")) continue;
    int brightest = 0;
    for (int y = c.rect.top(); y <= c.rect.bottom(); ++y)
      for (int x = c.rect.left(); x <= c.rect.right(); ++x) brightest = std::max(brightest, Luma(skin.pixel(x, y)));
    EXPECT_LT(brightest, 80) << c.name << " would put light text on a light skin";
  }
}

TEST(BoardBackgroundTest, CoversTheBoardAndStaysDark) {
  const QImage bg(kSource + "/data/skinsp.jpg");
  ASSERT_FALSE(bg.isNull()) << "data/skinsp.jpg did not load";
  EXPECT_GE(bg.width(), 705);
  EXPECT_GE(bg.height(), 513);
  long long sum = 0;
  int lo = 255, hi = 0;
  for (int y = 0; y < bg.height(); ++y)
    for (int x = 0; x < bg.width(); ++x) {
      const int l = Luma(bg.pixel(x, y));
      sum += l;
      lo = std::min(lo, l);
      hi = std::max(hi, l);
    }
  const double mean = double(sum) / (bg.width() * bg.height());
  EXPECT_LT(mean, 50) << "the board background must let the tiles stand out";
  EXPECT_LT(hi, 100);
  EXPECT_GT(hi - lo, 3) << "expected a faint texture, not a flat fill";
}

TEST(ChromeResourcesTest, LoadWithTheirSizes) {
  InitChromeResources();
  const QImage logo(":/art/logo.png");
  ASSERT_FALSE(logo.isNull());
  EXPECT_EQ(logo.size(), QSize(55, 59));

  QSet<QByteArray> distinct;
  for (int rank = 1; rank <= 10; ++rank) {
    const QImage emblem(QString(":/art/emblem%1.png").arg(rank));
    ASSERT_FALSE(emblem.isNull()) << "emblem " << rank;
    EXPECT_EQ(emblem.size(), QSize(32, 32)) << "emblem " << rank;
    const QImage e = emblem.convertToFormat(QImage::Format_ARGB32);
    distinct.insert(QByteArray(reinterpret_cast<const char*>(e.constBits()), e.sizeInBytes()));
  }
  EXPECT_EQ(distinct.size(), 10) << "every rank needs its own emblem";

  const QImage torch(":/art/torch.bmp");
  ASSERT_FALSE(torch.isNull());
  EXPECT_EQ(torch.size(), QSize(34, 51));
  EXPECT_FALSE(torch.hasAlphaChannel());
}

TEST(ChromeResourcesTest, TorchStandsOnTheFlamePanelsBlack) {
  InitChromeResources();
  const QImage torch = QImage(":/art/torch.bmp").convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(torch.isNull());
  // The panel behind it is black: so must be the picture's empty corners.
  EXPECT_EQ(qRgb(0, 0, 0), torch.pixel(0, torch.height() - 1));
  EXPECT_EQ(qRgb(0, 0, 0), torch.pixel(torch.width() - 1, 0));
  // The bowl's rim is the top of the picture, under the middle of the flame.
  EXPECT_NE(qRgb(0, 0, 0), torch.pixel(12, 1));
}

}  // namespace
}  // namespace tumbol
