#include "shell/qt_region.h"

#include <QPainter>

#include <QRect>

namespace tumbol {

QRegion MakeRegionFromPicture(const QImage& holder, uint32_t transparentColor) {
  if (holder.isNull()) return QRegion();
  // RGB32 and ARGB32 rows are 0xAARRGGBB words already; anything else
  // (a 24-bit BMP, a palette picture) is converted once.
  const QImage image = holder.format() == QImage::Format_RGB32 || holder.format() == QImage::Format_ARGB32
                           ? holder
                           : holder.convertToFormat(QImage::Format_RGB32);
  const std::vector<RunRect> runs = MakeRegionRunsFromRows(
      image.width(), image.height(), reinterpret_cast<const uint32_t*>(image.constBits()),
      image.bytesPerLine(), transparentColor);
  return RegionFromRects(MergeEqualRows(runs));
}

QRegion RegionFromRects(const std::vector<RunRect>& rects) {
  std::vector<QRect> qrects;
  qrects.reserve(rects.size());
  for (const RunRect& r : rects) qrects.emplace_back(r.x, r.y, r.w, r.h);
  QRegion region;
  region.setRects(qrects.data(), static_cast<int>(qrects.size()));
  return region;
}

QRegion WindowOutline(const QImage& skin, QSize clientSize) {
  // A skin of the window's size is its own holder.
  if (skin.size() == clientSize && skin.format() == QImage::Format_RGB32) return MakeRegionFromPicture(skin, kPureWhite);
  QImage holder(clientSize, QImage::Format_RGB32);
  holder.fill(Qt::white);
  QPainter(&holder).drawImage(0, 0, skin);
  return MakeRegionFromPicture(holder, kPureWhite);
}

QImage WindowFace(const QImage& skin, const QRegion& outline, QSize clientSize) {
  if (outline.isEmpty()) return {};
  if (skin.size() == clientSize && skin.format() == QImage::Format_RGB32) {
    // The outline holds every pixel that is not pure white, so clearing the
    // white ones gives the same face as painting through the outline, in one
    // pass over the pixels instead of a fill and a clipped copy.
    // (No Qt conversion either: this may run before the application is.)
    QImage face(clientSize, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < face.height(); ++y) {
      const auto* from = reinterpret_cast<const uint32_t*>(skin.constScanLine(y));
      auto* to = reinterpret_cast<uint32_t*>(face.scanLine(y));
      for (int x = 0; x < face.width(); ++x) to[x] = (from[x] & 0xFFFFFFu) == kPureWhite ? 0 : from[x] | 0xFF000000u;
    }
    return face;
  }
  QImage face(clientSize, QImage::Format_ARGB32_Premultiplied);
  face.fill(Qt::transparent);
  QPainter painter(&face);
  painter.setClipRegion(outline);
  painter.drawImage(0, 0, skin);
  return face;
}

WindowShape CutWindow(const QImage& skin, QSize clientSize) {
  WindowShape shape{WindowOutline(skin, clientSize), {}};
  shape.face = WindowFace(skin, shape.outline, clientSize);
  return shape;
}

}  // namespace tumbol
