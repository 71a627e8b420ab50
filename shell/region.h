#pragma once
// The window's outline from its skin: every pixel that is not the
// transparent colour, as one-pixel-high rectangles, one per opaque run.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tumbol {

// A rectangle of pixels; right and bottom edges (x + w, y + h) exclusive.
struct RunRect {
  int x, y, w, h;
  bool operator==(const RunRect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

constexpr uint32_t kPureWhite = 0xFFFFFF;  // as a colour value: red in the low byte

// Scans height rows of width 32-bit pixels 0xAARRGGBB in memory (the top
// byte is ignored), the rows rowBytes apart, top to bottom and each row left
// to right: every maximal run of pixels other than transparentColor (a colour
// value, red in the low byte) becomes one rectangle one pixel high. Only an
// exact match is transparent.
std::vector<RunRect> MakeRegionRunsFromRows(int width, int height, const uint32_t* firstRow,
                                            std::ptrdiff_t rowBytes, uint32_t transparentColor);

// Joins runs of consecutive rows whose runs match exactly into taller
// rectangles. Input: rows in order, runs of a row left to right, as the
// scan above gives them. The result covers the same pixels, in the fewest
// bands, and is still ordered by top edge and then by left edge.
std::vector<RunRect> MergeEqualRows(const std::vector<RunRect>& runs);

}  // namespace tumbol
