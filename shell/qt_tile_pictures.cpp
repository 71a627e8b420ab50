#include "shell/qt_tile_pictures.h"

#include <QPainter>

#include "base/board_geometry.h"
#include "base/cell.h"
#include "shell/qt_art.h"

namespace tumbol {

namespace {
QImage Fallback(int code) {
  QImage p(kCellPixels, kCellPixels, QImage::Format_RGB32);
  p.fill(QColor::fromHsv((code * 37) % 360, 160, 200));
  QPainter painter(&p);
  painter.drawText(p.rect(), Qt::AlignCenter, QString::number(code));
  return p;
}
}  // namespace

std::vector<QImage> LoadTileImages() {
  std::vector<QImage> tiles(kTileCount + 1);
  for (int code = 1; code <= kTileCount; ++code) {
    const QImage p = ArtImage(QStringLiteral("tile%1.png").arg(code));
    tiles[code] = p.isNull() ? Fallback(code) : p;
  }
  return tiles;
}

std::vector<QPixmap> LoadTilePictures() {
  std::vector<QPixmap> tiles(kTileCount + 1);
  const std::vector<QImage> images = LoadTileImages();
  for (int code = 1; code <= kTileCount; ++code) tiles[code] = QPixmap::fromImage(images[code]);
  return tiles;
}

}  // namespace tumbol
