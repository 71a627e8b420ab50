#include "shell/region.h"

#include <cstring>

namespace tumbol {
std::vector<RunRect> MakeRegionRunsFromRows(int width, int height, const uint32_t* firstRow,
                                            std::ptrdiff_t rowBytes, uint32_t transparentColor) {
  // The colour value holds blue in bits 16-23 and red in bits 0-7; the
  // pixels hold them the other way round.
  const uint32_t key = ((transparentColor & 0xFFu) << 16) | (transparentColor & 0xFF00u) |
                       ((transparentColor >> 16) & 0xFFu);
  // A colour value with bits above blue matches no pixel, as it would not
  // through a per-pixel read either.
  const bool matchesNothing = (transparentColor >> 24) != 0;
  const auto* base = reinterpret_cast<const unsigned char*>(firstRow);
  // Each row is first turned into one byte per pixel (1 opaque, 0 not), a
  // loop the compiler vectorises; memchr then finds the run edges. Testing
  // pixel by pixel in the run loops costs three times a plain read.
  std::vector<unsigned char> opaque(static_cast<std::size_t>(width > 0 ? width : 0));
  unsigned char* const mask = opaque.data();
  std::vector<RunRect> runs;
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(base + y * rowBytes);
    for (int x = 0; x < width; ++x)
      mask[x] = static_cast<unsigned char>(matchesNothing | ((row[x] & 0xFFFFFFu) != key));
    int x = 0;
    while (x < width) {
      const void* first = std::memchr(mask + x, 1, static_cast<std::size_t>(width - x));
      if (!first) break;
      const int start = static_cast<int>(static_cast<const unsigned char*>(first) - mask);
      const void* after = std::memchr(mask + start, 0, static_cast<std::size_t>(width - start));
      x = after ? static_cast<int>(static_cast<const unsigned char*>(after) - mask) : width;
      runs.push_back({start, y, x - start, 1});
    }
  }
  return runs;
}

std::vector<RunRect> MergeEqualRows(const std::vector<RunRect>& runs) {
  std::vector<RunRect> out;
  out.reserve(runs.size());
  // The band last added to out: its rectangles are out[bandStart, end).
  std::size_t bandStart = 0;
  std::size_t i = 0;
  while (i < runs.size()) {
    std::size_t rowEnd = i;
    while (rowEnd < runs.size() && runs[rowEnd].y == runs[i].y) ++rowEnd;
    const std::size_t count = rowEnd - i;
    bool extends = !out.empty() && out.size() - bandStart == count &&
                   out[bandStart].y + out[bandStart].h == runs[i].y;
    for (std::size_t k = 0; extends && k < count; ++k)
      extends = out[bandStart + k].x == runs[i + k].x && out[bandStart + k].w == runs[i + k].w;
    if (extends) {
      for (std::size_t k = 0; k < count; ++k) ++out[bandStart + k].h;
    } else {
      bandStart = out.size();
      out.insert(out.end(), runs.begin() + static_cast<std::ptrdiff_t>(i),
                 runs.begin() + static_cast<std::ptrdiff_t>(rowEnd));
    }
    i = rowEnd;
  }
  return out;
}

}  // namespace tumbol
