#pragma once
// The window's outline from its skin: every pixel that is not the
// transparent colour, as one-pixel-high rectangles, one per opaque run.
#include <cstdint>
#include <functional>
#include <vector>

namespace tumbol {

struct RunRect {
  int x, y, w, h;
  bool operator==(const RunRect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// pixel(x, y) gives a colour as red in the low byte, then green, then blue.
// Rows are scanned top to bottom and perRow runs at the start of each row,
// so the splash can repaint during the scan. Only an exact match of
// transparentColor lies outside.
std::vector<RunRect> MakeRegionRuns(int width, int height,
                                    const std::function<uint32_t(int x, int y)>& pixel,
                                    uint32_t transparentColor,
                                    const std::function<void()>& perRow);

}  // namespace tumbol
