#include "shell/qt_tile_pictures.h"

#include <QPainter>

#include "base/board_geometry.h"
#include "base/cell.h"
#include "shell/qt_art.h"

namespace tumbol {

namespace {
QPixmap Fallback(int code) {
  QPixmap p(kCellPixels, kCellPixels);
  p.fill(QColor::fromHsv((code * 37) % 360, 160, 200));
  QPainter painter(&p);
  painter.drawText(p.rect(), Qt::AlignCenter, QString::number(code));
  return p;
}
}  // namespace

std::vector<QPixmap> LoadTilePictures() {
  std::vector<QPixmap> tiles(kTileCount + 1);
  for (int code = 1; code <= kTileCount; ++code) {
    const QPixmap p = ArtPixmap(QStringLiteral("tile%1.png").arg(code));
    tiles[code] = p.isNull() ? Fallback(code) : p;
  }
  return tiles;
}

}  // namespace tumbol
