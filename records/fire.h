#pragma once
// The torch flame of the records window: a heat field that rises one row per
// frame, spreads sideways and cools, fed by two random sparks a frame.
#include <cstdint>
#include <functional>

namespace tumbol {

constexpr int kFireCols = 26;  // columns 0..25
constexpr int kFireRows = 56;  // rows 0..55, row 0 at the bottom
// The flame's pixels: x = 1..24, y = 2..54 of a panel.
constexpr int kFlameLeft = 1;
constexpr int kFlameTop = 2;
constexpr int kFlameWidth = 24;
constexpr int kFlameHeight = 53;
// The flame is exactly what a step paints: heat rows 1 to kFlameHeight shown
// upside down above the bottom row, and the columns with a neighbour on
// either side. A panel drawing any other rectangle shows black or stale rows.
static_assert(kFlameTop + kFlameHeight == kFireRows - 1 && kFlameLeft == 1 &&
                  kFlameLeft + kFlameWidth == kFireCols - 1,
              "the flame's pixels must be the ones FireStep paints");

// Heat to colour: black through red, orange and yellow to white.
void HeatToColor(int32_t heat, int& r, int& g, int& b);

class Fire {
 public:
  Fire();

  // One frame: two sparks in SparkRow, then every inner cell's new heat into
  // NextHeat one row up, its colour into Pixels, and NextHeat becomes Heat.
  // rnd gives uniform numbers in [0, 1).
  void FireStep(const std::function<double()>& rnd);

  int32_t Heat[kFireCols][kFireRows];
  int32_t NextHeat[kFireCols][kFireRows];
  int16_t SparkRow = 0;  // 0..3, the row that receives sparks
  // Colour of panel pixel (x, y) after the last step, as 0xFFRRGGBB, at
  // [y][x]; only the flame's pixels are ever set, the rest stay black.
  uint32_t Pixels[kFireRows][kFireCols];
};

}  // namespace tumbol
