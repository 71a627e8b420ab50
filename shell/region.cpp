#include "shell/region.h"

namespace tumbol {

std::vector<RunRect> MakeRegionRuns(int width, int height,
                                    const std::function<uint32_t(int x, int y)>& pixel,
                                    uint32_t transparentColor,
                                    const std::function<void()>& perRow) {
  std::vector<RunRect> runs;
  for (int y = 0; y < height; ++y) {
    if (perRow) perRow();
    int x = 0;
    while (x < width) {
      while (x < width && pixel(x, y) == transparentColor) ++x;
      if (x == width) break;
      const int start = x;
      while (x < width && pixel(x, y) != transparentColor) ++x;
      runs.push_back({start, y, x - start, 1});
    }
  }
  return runs;
}

}  // namespace tumbol
