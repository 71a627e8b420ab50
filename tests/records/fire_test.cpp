#include "records/fire.h"

#include <gtest/gtest.h>

#include <vector>

namespace tumbol {
namespace {

TEST(HeatToColor, RunsFromBlackThroughRedAndYellowToWhite) {
  const int cases[][4] = {{-1, 0, 0, 0},       {0, 0, 0, 0},       {1, 1, 0, 0},       {256, 255, 0, 0},
                          {257, 255, 1, 0},    {512, 255, 255, 0}, {513, 255, 255, 1}, {767, 255, 255, 255},
                          {20000, 255, 255, 255}};
  for (const auto& c : cases) {
    int r = -1, g = -1, b = -1;
    HeatToColor(c[0], r, g, b);
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{c[1], c[2], c[3]})) << c[0];
  }
}

// One step with random numbers from a list, used up exactly (one more throws).
void Step(Fire& fire, const std::vector<double>& values) {
  size_t used = 0;
  fire.FireStep([&] { return values.at(used++); });
  EXPECT_EQ(used, values.size());
}

TEST(FireStep, SparksLandInSparkRowWithRoundedHeatAndColumn) {
  Fire fire;
  fire.SparkRow = 2;
  // Heat 0.5 * 20000 = 10000 at column 0.5 * 12.5 + 6.25 = 12.5 -> 12 (half
  // to even); heat 18000 at column 0.14 * 12.5 + 6.25 = 8. The cells around
  // each spark get a ninth and a half of it, shown one row up.
  Step(fire, {0.5, 0.5, 0.9, 0.14});
  for (int r = 2; r <= 4; ++r) {
    for (int c = 11; c <= 13; ++c) EXPECT_EQ(fire.Heat[c][r], 1053) << c << "," << r;
    for (int c = 7; c <= 9; ++c) EXPECT_EQ(fire.Heat[c][r], 1895) << c << "," << r;
  }
  EXPECT_EQ(fire.Heat[10][3], 0);
  EXPECT_EQ(fire.Heat[14][3], 0);
  EXPECT_EQ(fire.Heat[12][5], 0);
  // The lowest and highest columns a spark can take: 6 and 19.
  Fire edges;
  Step(edges, {1.0, 0.0, 1.0, 0.9999999});
  EXPECT_GT(edges.Heat[6][2], 0);
  EXPECT_EQ(edges.Heat[4][2], 0);
  EXPECT_GT(edges.Heat[19][2], 0);
  EXPECT_EQ(edges.Heat[21][2], 0);
}

TEST(FireStep, TheFlameShowsEachRowsHeatUpsideDown) {
  Fire fire;
  Step(fire, {0.1425, 0.5, 0.0, 0.0});  // 2850 at (12, 0): 300 in the cells above
  EXPECT_EQ(fire.Heat[12][2], 300);
  EXPECT_EQ(fire.Pixels[54][12], 0xFFFF2C00u);  // (255, 44, 0)
  EXPECT_EQ(fire.Pixels[54][11], 0xFFFF2C00u);
  EXPECT_EQ(fire.Pixels[54][14], 0xFF000000u);
  EXPECT_EQ(fire.Pixels[53][12], 0xFF000000u);
}

TEST(FireStep, EvenHeatCoolsByNineOverNineAndAHalfInsideTheFlameOnly) {
  Fire fire;
  for (auto& column : fire.Heat)
    for (int32_t& heat : column) heat = 950;
  Step(fire, {0.0475, 0.5, 0.0475, 0.5});  // both sparks 950 at (12, 0): no change
  EXPECT_EQ(fire.Heat[12][20], 900);
  // Borders never written: the sparks of a frame act for that frame only.
  const int cold[][2] = {{0, 20}, {25, 20}, {12, 0}, {12, 1}, {12, 55}};
  for (const auto& p : cold) EXPECT_EQ(fire.Heat[p[0]][p[1]], 0) << p[0] << "," << p[1];
  // Nor painted outside the flame's 24 by 53 pixels.
  const int dark[][2] = {{0, 30}, {25, 30}, {10, 1}, {10, 55}};
  for (const auto& p : dark) EXPECT_EQ(fire.Pixels[p[1]][p[0]], 0xFF000000u) << p[0] << "," << p[1];
  EXPECT_NE(fire.Pixels[2][1], 0xFF000000u);
  EXPECT_NE(fire.Pixels[54][24], 0xFF000000u);
}

TEST(FireStep, SparkHeatRoundsHalfToEven) {
  // 1/64 * 20000 = 312.5 -> 312 and 3/64 * 20000 = 937.5 -> 938 (both exact in
  // binary). A neighbour's heat puts the cell above just across a rounding
  // edge, so the spark's last unit shows in it.
  const struct {
    double rnd;
    int32_t neighbour, above;
  } cases[] = {{1.0 / 64, 6, 33}, {3.0 / 64, 8, 100}};
  for (const auto& k : cases) {
    Fire fire;
    fire.Heat[13][0] = k.neighbour;
    Step(fire, {k.rnd, 0.5, 0.0, 0.0});  // second spark: heat 0 at column 6
    EXPECT_EQ(fire.Heat[12][2], k.above) << k.rnd;
  }
}

}  // namespace
}  // namespace tumbol
