#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/region.h"

namespace tumbol {
namespace {

// Rows of '.' (pure white), '#' (black) and '~' (RGB(255, 255, 254)) as
// 0xAARRGGBB words, each row padded by three words of junk so a wrong row
// step shows. Returns the runs of the scan.
std::vector<RunRect> Runs(const std::vector<std::string>& rows) {
  const int width = static_cast<int>(rows[0].size());
  const int stride = width + 3;
  std::vector<uint32_t> words(rows.size() * stride, 0x12345678u);
  for (std::size_t y = 0; y < rows.size(); ++y)
    for (int x = 0; x < width; ++x)
      words[y * stride + x] = rows[y][x] == '.' ? 0xFFFFFFFFu : rows[y][x] == '~' ? 0xFFFFFFFEu : 0xFF000000u;
  return MakeRegionRunsFromRows(width, static_cast<int>(rows.size()), words.data(), stride * 4, kPureWhite);
}

TEST(RegionRuns, MaximalOpaqueRunsRowByRow) {
  const std::vector<RunRect> want = {
      {0, 1, 6, 1},                // no white in the row: one rectangle of the full width
      {2, 2, 2, 1}, {5, 2, 1, 1},  // the run that reaches the right edge ends at W
      {3, 3, 1, 1},                // a lone pixel between white ones
      {0, 4, 1, 1},                // one step off white is inside
      {1, 5, 1, 1}, {3, 5, 3, 1},
  };
  EXPECT_EQ(Runs({"......",  // an all-white row adds nothing
                  "######", "..##.#", "...#..", "~.....", ".#.###"}),
            want);
}

TEST(RegionRuns, MemoryScanReadsColourValuesRedLow) {
  // Pixels in memory: pure red, pure blue, red with a different top byte.
  const uint32_t row[] = {0xFFFF0000u, 0xFF0000FFu, 0x00FF0000u};
  EXPECT_EQ(MakeRegionRunsFromRows(3, 1, row, sizeof row, 0x0000FFu /* red */),
            (std::vector<RunRect>{{1, 0, 1, 1}}));
  // A value no pixel can hold hides nothing.
  EXPECT_EQ(MakeRegionRunsFromRows(3, 1, row, sizeof row, 0x010000FFu),
            (std::vector<RunRect>{{0, 0, 3, 1}}));
}

TEST(MergeEqualRows, JoinsOnlyAdjacentRowsWithTheSameRuns) {
  const auto runs = Runs({".##..#",
                          ".##..#",
                          ".##..#",  // three equal rows: one band 3 high
                          ".##...",  // one run fewer
                          "......",  // a gap
                          ".##...",  // equal to the row before the gap, not joined across it
                          ".###.."});
  const std::vector<RunRect> want = {
      {1, 0, 2, 3}, {5, 0, 1, 3}, {1, 3, 2, 1}, {1, 5, 2, 1}, {1, 6, 3, 1},
  };
  EXPECT_EQ(MergeEqualRows(runs), want);
  EXPECT_TRUE(MergeEqualRows({}).empty());
}

}  // namespace
}  // namespace tumbol
