#include "records/fire.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>

namespace tumbol {
namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb ColorOf(int heat) {
  Rgb c{-1, -1, -1};
  HeatToColor(heat, c.r, c.g, c.b);
  return c;
}

TEST(HeatToColor, RunsFromBlackThroughRedAndYellowToWhite) {
  EXPECT_EQ(ColorOf(-1), (Rgb{0, 0, 0}));
  EXPECT_EQ(ColorOf(-100000), (Rgb{0, 0, 0}));
  EXPECT_EQ(ColorOf(0), (Rgb{0, 0, 0}));
  EXPECT_EQ(ColorOf(1), (Rgb{1, 0, 0}));
  EXPECT_EQ(ColorOf(255), (Rgb{255, 0, 0}));
  EXPECT_EQ(ColorOf(256), (Rgb{255, 0, 0}));
  EXPECT_EQ(ColorOf(257), (Rgb{255, 1, 0}));
  EXPECT_EQ(ColorOf(511), (Rgb{255, 255, 0}));
  EXPECT_EQ(ColorOf(512), (Rgb{255, 255, 0}));
  EXPECT_EQ(ColorOf(513), (Rgb{255, 255, 1}));
  EXPECT_EQ(ColorOf(767), (Rgb{255, 255, 255}));
  EXPECT_EQ(ColorOf(768), (Rgb{255, 255, 255}));
  EXPECT_EQ(ColorOf(20000), (Rgb{255, 255, 255}));
}

// Random numbers from a list; a test fails if the step asks for more.
class ScriptedRandom {
 public:
  explicit ScriptedRandom(std::deque<double> values) : values_(std::move(values)) {}
  double operator()() {
    EXPECT_FALSE(values_.empty());
    if (values_.empty()) return 0.0;
    const double v = values_.front();
    values_.pop_front();
    return v;
  }
  size_t Left() const { return values_.size(); }

 private:
  std::deque<double> values_;
};

TEST(FireStep, SparksLandInSparkRowWithRoundedHeatAndColumn) {
  Fire fire;
  fire.SparkRow = 2;
  // heat 0.5 * 20000 = 10000, column 0.5 * 12.5 + 6.25 = 12.5 -> 12 (half to even);
  // heat 0.9 * 20000 = 18000, column 0.14 * 12.5 + 6.25 = 8.
  ScriptedRandom rnd({0.5, 0.5, 0.9, 0.14});
  // The sparks show in the averaged cells around them, one row up.
  fire.FireStep([&] { return rnd(); });
  EXPECT_EQ(rnd.Left(), 0u);
  // The spark at (12, 2) feeds the cells around it; each gets 10000 / 9.5.
  const int32_t share = static_cast<int32_t>(std::nearbyint(10000 / 9.5));
  // Column 8's spark: 0.9 * 20000 = 18000.
  const int32_t share8 = static_cast<int32_t>(std::nearbyint(18000 / 9.5));
  for (int c = 11; c <= 13; ++c)
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(fire.Heat[c][r + 1], share) << c << "," << r;
  for (int c = 7; c <= 9; ++c)
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(fire.Heat[c][r + 1], share8) << c << "," << r;
  EXPECT_EQ(fire.Heat[10][3], 0);
  EXPECT_EQ(fire.Heat[14][3], 0);
  EXPECT_EQ(fire.Heat[12][5], 0);
}

TEST(FireStep, SparkColumnsStayWithinSixToNineteen) {
  Fire fire;
  ScriptedRandom rnd({1.0, 0.0, 1.0, 0.9999999});
  fire.FireStep([&] { return rnd(); });
  // The lowest and highest columns a spark can take: 6 and 19.
  EXPECT_GT(fire.Heat[6][2], 0);
  EXPECT_EQ(fire.Heat[4][2], 0);
  EXPECT_GT(fire.Heat[19][2], 0);
  EXPECT_EQ(fire.Heat[21][2], 0);
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int i = 0; i < 2000; ++i) {
    Fire f;
    f.SparkRow = static_cast<int16_t>(i % 4);
    const double heatRnd = 0.5;
    const double colRnd = u(gen);
    int calls = 0;
    f.FireStep([&] { return (calls++ % 2 == 0) ? heatRnd : colRnd; });
    const int expected = static_cast<int>(std::nearbyint(colRnd * 12.5 + 6.25));
    ASSERT_GE(expected, 6);
    ASSERT_LE(expected, 19);
    // The sparked cell in SparkRow feeds the cell right above it next frame.
    EXPECT_GT(f.Heat[expected][f.SparkRow + 2], 0) << colRnd;
    EXPECT_EQ(f.Heat[expected - 2][f.SparkRow + 2], 0) << colRnd;
    EXPECT_EQ(f.Heat[expected + 2][f.SparkRow + 2], 0) << colRnd;
  }
}

TEST(FireStep, HandMadeFieldAveragedValueByValue) {
  Fire fire;
  std::mt19937 gen(42);
  std::uniform_int_distribution<int32_t> heat(0, 3000);
  for (int c = 0; c < kFireCols; ++c)
    for (int r = 0; r < kFireRows; ++r) fire.Heat[c][r] = heat(gen);
  fire.SparkRow = 0;
  ScriptedRandom rnd({0.25, 0.0, 0.75, 0.9999999});  // 5000 at (6,0), 15000 at (19,0)
  int32_t before[kFireCols][kFireRows];
  std::copy(&fire.Heat[0][0], &fire.Heat[0][0] + kFireCols * kFireRows, &before[0][0]);
  before[6][0] = 5000;
  before[19][0] = 15000;
  fire.FireStep([&] { return rnd(); });

  for (int c = 0; c < kFireCols; ++c) {
    for (int r = 0; r < kFireRows; ++r) {
      int32_t expected = 0;
      if (c >= 1 && c <= 24 && r >= 2 && r <= 54) {
        int32_t sum = 0;
        for (int dc = -1; dc <= 1; ++dc)
          for (int dr = -1; dr <= 1; ++dr) sum += before[c + dc][r - 1 + dr];
        expected = static_cast<int32_t>(std::lround(sum / 9.5));  // never exactly a half
      }
      ASSERT_EQ(fire.Heat[c][r], expected) << "column " << c << " row " << r;
      ASSERT_EQ(fire.NextHeat[c][r], expected) << "column " << c << " row " << r;
    }
  }
  // Pixels: x = c, y = 55 - r shows the heat computed from around row r.
  for (int c = 1; c <= 24; ++c) {
    for (int r = 1; r <= 53; ++r) {
      int red, green, blue;
      HeatToColor(fire.Heat[c][r + 1], red, green, blue);
      const uint32_t want = 0xFF000000u | (red << 16) | (green << 8) | blue;
      ASSERT_EQ(fire.Pixel(c, 55 - r), want) << c << "," << r;
    }
  }
  // Outside the flame the panel is never painted.
  EXPECT_EQ(fire.Pixel(0, 30), 0xFF000000u);
  EXPECT_EQ(fire.Pixel(25, 30), 0xFF000000u);
  EXPECT_EQ(fire.Pixel(10, 1), 0xFF000000u);
  EXPECT_EQ(fire.Pixel(10, 55), 0xFF000000u);
}

TEST(FireStep, EvenHeatCoolsByNineOverNineAndAHalf) {
  Fire fire;
  for (int c = 0; c < kFireCols; ++c)
    for (int r = 0; r < kFireRows; ++r) fire.Heat[c][r] = 950;
  ScriptedRandom rnd({0.0475, 0.5, 0.0475, 0.5});  // both sparks 950 at (12, 0): no change
  fire.FireStep([&] { return rnd(); });
  EXPECT_EQ(fire.Heat[12][20], 900);
  // Borders never written: the sparks of a frame act for that frame only.
  EXPECT_EQ(fire.Heat[0][20], 0);
  EXPECT_EQ(fire.Heat[25][20], 0);
  EXPECT_EQ(fire.Heat[12][0], 0);
  EXPECT_EQ(fire.Heat[12][1], 0);
  EXPECT_EQ(fire.Heat[12][55], 0);
}

TEST(FireStep, SparkHeatRoundsHalfToEven) {
  // 1/64 * 20000 = 312.5 -> 312 and 3/64 * 20000 = 937.5 -> 938 (both exact in
  // binary). A neighbour's heat puts the cell above just across a rounding
  // edge, so the spark's last unit shows in it.
  struct Case {
    double rnd;
    int32_t neighbour;
    int32_t above;
  };
  for (const Case& k : {Case{1.0 / 64, 6, 33}, Case{3.0 / 64, 8, 100}}) {
    Fire fire;
    fire.Heat[13][0] = k.neighbour;
    ScriptedRandom rnd({k.rnd, 0.5, 0.0, 0.0});  // second spark: heat 0 at column 6
    fire.FireStep([&] { return rnd(); });
    EXPECT_EQ(fire.Heat[12][2], k.above) << k.rnd;
  }
}

}  // namespace
}  // namespace tumbol
