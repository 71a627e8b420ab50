#include "shell/qt_region.h"

#include <vector>

#include "shell/region.h"

namespace tumbol {

QRegion MakeRegionFromPicture(const QImage& holder, uint32_t transparentColor,
                              const std::function<void()>& perRow) {
  const QImage image = holder.convertToFormat(QImage::Format_RGB32);
  auto pixel = [&image](int x, int y) -> uint32_t {
    const QRgb rgb = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
    return static_cast<uint32_t>(qRed(rgb)) | (static_cast<uint32_t>(qGreen(rgb)) << 8) |
           (static_cast<uint32_t>(qBlue(rgb)) << 16);
  };
  const std::vector<RunRect> runs =
      MakeRegionRuns(image.width(), image.height(), pixel, transparentColor, perRow);
  // Uniting a thousand regions one by one costs far more than handing Qt the
  // sorted rectangles at once.
  std::vector<QRect> rects;
  rects.reserve(runs.size());
  for (const RunRect& r : runs) rects.emplace_back(r.x, r.y, r.w, r.h);
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

}  // namespace tumbol
