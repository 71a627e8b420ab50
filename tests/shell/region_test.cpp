#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/region.h"

namespace tumbol {
namespace {

// Rows of '.' (pure white), '#' (black) and '~' (RGB(255, 255, 254)).
using Picture = std::vector<std::string>;

uint32_t ColourAt(const Picture& rows, int x, int y) {
  const char c = rows[y][x];
  return c == '.' ? kPureWhite : c == '~' ? 0xFEFFFFu : 0x000000u;
}

// The same picture as 0xAARRGGBB words, each row padded by three words of
// junk so a wrong row step shows.
struct Memory {
  explicit Memory(const Picture& rows) : width(static_cast<int>(rows[0].size())), stride(width + 3) {
    words.assign(rows.size() * stride, 0x12345678u);
    for (std::size_t y = 0; y < rows.size(); ++y)
      for (int x = 0; x < width; ++x) {
        const uint32_t c = ColourAt(rows, x, static_cast<int>(y));
        words[y * stride + x] = 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16);
      }
  }
  int width;
  int stride;
  std::vector<uint32_t> words;
};

// Scans the picture both ways, checks they agree, and gives the runs.
std::vector<RunRect> Runs(const Picture& rows, int* rowCalls = nullptr) {
  const int w = static_cast<int>(rows[0].size());
  const int h = static_cast<int>(rows.size());
  int callsA = 0;
  int callsB = 0;
  const auto viaPixel = MakeRegionRuns(
      w, h, [&](int x, int y) { return ColourAt(rows, x, y); }, kPureWhite, [&] { ++callsA; });
  const Memory mem(rows);
  const auto viaRows = MakeRegionRunsFromRows(w, h, mem.words.data(), mem.stride * 4, kPureWhite,
                                              [&] { ++callsB; });
  EXPECT_EQ(viaPixel, viaRows);
  EXPECT_EQ(callsA, callsB);
  if (rowCalls) *rowCalls = callsA;
  return viaPixel;
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

TEST(RegionRuns, AllWhiteGivesNothingButStillVisitsEveryRow) {
  int calls = 0;
  EXPECT_TRUE(Runs({"....", "....", "...."}, &calls).empty());
  EXPECT_EQ(calls, 3);
}

TEST(RegionRuns, PerRowRunsOnceBeforeEachRowIsRead) {
  // Log which row is read after each perRow call.
  std::vector<int> log;
  MakeRegionRuns(
      3, 4,
      [&](int, int y) {
        if (log.empty() || log.back() != y) log.push_back(y);
        return 0u;
      },
      kPureWhite, [&] { log.push_back(-1); });
  EXPECT_EQ(log, (std::vector<int>{-1, 0, -1, 1, -1, 2, -1, 3}));
  // An empty callback is allowed.
  EXPECT_EQ(MakeRegionRuns(2, 1, [](int, int) { return 0u; }, kPureWhite, nullptr).size(), 1u);
}

TEST(RegionRuns, MemoryScanReadsColourValuesRedLow) {
  // Pixels in memory: pure red, pure blue, red with a different top byte.
  const uint32_t row[] = {0xFFFF0000u, 0xFF0000FFu, 0x00FF0000u};
  EXPECT_EQ(MakeRegionRunsFromRows(3, 1, row, sizeof row, 0x0000FFu /* red */, nullptr),
            (std::vector<RunRect>{{1, 0, 1, 1}}));
  EXPECT_EQ(MakeRegionRunsFromRows(3, 1, row, sizeof row, 0xFF0000u /* blue */, nullptr),
            (std::vector<RunRect>{{0, 0, 1, 1}, {2, 0, 1, 1}}));
  // A value no pixel can hold hides nothing.
  EXPECT_EQ(MakeRegionRunsFromRows(3, 1, row, sizeof row, 0x010000FFu, nullptr),
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

TEST(MergeEqualRows, CoversTheSamePixels) {
  const Picture rows = {"#..##.#.", "#..##.#.", "########", "########", "#......#", "...##...",
                        "...##...", "...##..."};
  auto covered = [&](const std::vector<RunRect>& rects) {
    Picture out(rows.size(), std::string(rows[0].size(), '.'));
    for (const RunRect& r : rects)
      for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
          EXPECT_EQ(out[y][x], '.') << "overlap at " << x << "," << y;
          out[y][x] = '#';
        }
    return out;
  };
  const auto merged = MergeEqualRows(Runs(rows));
  EXPECT_EQ(covered(merged), rows);
  EXPECT_EQ(merged.size(), 7u);  // bands of 3, 1, 2 and 1 rectangles
}

}  // namespace
}  // namespace tumbol
