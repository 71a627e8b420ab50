#pragma once
// The window's outline from its skin: every pixel that is not the
// transparent colour, as one-pixel-high rectangles, one per opaque run.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tumbol {

// A rectangle of pixels; right and bottom edges (x + w, y + h) exclusive.
struct RunRect {
  int x, y, w, h;
  bool operator==(const RunRect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

constexpr uint32_t kPureWhite = 0xFFFFFF;  // as a colour value: red in the low byte

// pixel(x, y) gives a colour value, red in the low byte, then green, then
// blue. Rows are scanned top to bottom, each row left to right, and every
// maximal run of pixels other than transparentColor becomes one rectangle
// one pixel high. Only an exact match is transparent. perRow (may be empty)
// runs at the start of each row so the splash can repaint during the scan.
std::vector<RunRect> MakeRegionRuns(int width, int height,
                                    const std::function<uint32_t(int x, int y)>& pixel,
                                    uint32_t transparentColor,
                                    const std::function<void()>& perRow);

// The same scan over pixels in memory: height rows of width 32-bit pixels
// 0xAARRGGBB (the top byte is ignored), the rows rowBytes apart. Reading a
// decoded picture this way costs no call per pixel.
std::vector<RunRect> MakeRegionRunsFromRows(int width, int height, const uint32_t* firstRow,
                                            std::ptrdiff_t rowBytes, uint32_t transparentColor,
                                            const std::function<void()>& perRow);

// Joins runs of consecutive rows whose runs match exactly into taller
// rectangles. Input: rows in order, runs of a row left to right, as the
// scans above give them. The result covers the same pixels, in the fewest
// bands, and is still ordered by top edge and then by left edge.
std::vector<RunRect> MergeEqualRows(const std::vector<RunRect>& runs);

}  // namespace tumbol
