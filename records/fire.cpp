#include "records/fire.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tumbol {

namespace {

int Clamp255(int32_t v) { return std::clamp<int32_t>(v, 0, 255); }

// Round half to even, as the game's integer conversion does.
int32_t RoundEven(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

}  // namespace

void HeatToColor(int32_t heat, int& r, int& g, int& b) {
  r = Clamp255(heat);
  g = Clamp255(heat - 256);
  b = Clamp255(heat - 512);
}

Fire::Fire() {
  std::memset(Heat, 0, sizeof Heat);
  std::memset(NextHeat, 0, sizeof NextHeat);
  for (auto& row : Pixels)
    for (auto& p : row) p = 0xFF000000u;
}

void Fire::FireStep(const std::function<double()>& rnd) {
  for (int spark = 0; spark < 2; ++spark) {
    const int32_t heat = RoundEven(rnd() * 20000.0);
    const int32_t col = RoundEven(rnd() * 12.5 + 6.25);
    Heat[col][SparkRow] = heat;
  }
  for (int c = 1; c <= kFlameWidth; ++c) {
    for (int r = 1; r <= kFlameHeight; ++r) {
      const int32_t sum = Heat[c - 1][r - 1] + Heat[c - 1][r] + Heat[c - 1][r + 1] +
                          Heat[c][r - 1] + Heat[c][r] + Heat[c][r + 1] +
                          Heat[c + 1][r - 1] + Heat[c + 1][r] + Heat[c + 1][r + 1];
      const int32_t h = RoundEven(sum / 9.5);
      int red, green, blue;
      HeatToColor(h, red, green, blue);
      Pixels[55 - r][c] = 0xFF000000u | (static_cast<uint32_t>(red) << 16) |
                          (static_cast<uint32_t>(green) << 8) | static_cast<uint32_t>(blue);
      NextHeat[c][r + 1] = h;
    }
  }
  std::memcpy(Heat, NextHeat, sizeof Heat);
}

}  // namespace tumbol
