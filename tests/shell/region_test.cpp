#include <gtest/gtest.h>

#include <string>

#include "shell/region.h"

namespace tumbol {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Rows of '.' (white) and '#' (opaque); '~' is RGB(255, 255, 254).
std::vector<RunRect> Runs(const std::vector<std::string>& rows, int* rowCalls = nullptr) {
  auto pixel = [&](int x, int y) -> uint32_t {
    const char c = rows[y][x];
    return c == '.' ? kWhite : c == '~' ? 0xFEFFFF : 0x000000;
  };
  int calls = 0;
  auto runs = MakeRegionRuns(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), pixel,
                             kWhite, [&] { ++calls; });
  if (rowCalls) *rowCalls = calls;
  return runs;
}

TEST(RegionRuns, MaximalRunsPerRow) {
  int calls = 0;
  const auto runs = Runs({"......", "######", "..##.#", "...#..", "~....."}, &calls);
  EXPECT_EQ(calls, 5);
  const std::vector<RunRect> want = {
      {0, 1, 6, 1},  // no white: one full-width run
      {2, 2, 2, 1}, {5, 2, 1, 1},  // a run reaching the right edge ends at W
      {3, 3, 1, 1},  // a single pixel
      {0, 4, 1, 1},  // one step off white is inside
  };
  EXPECT_EQ(runs, want);
}

TEST(RegionRuns, AllWhiteIsEmpty) {
  EXPECT_TRUE(Runs({"....", "...."}).empty());
}

}  // namespace
}  // namespace tumbol
