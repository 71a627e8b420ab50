#include "game/qt_board_picture.h"

#include <QMouseEvent>
#include <QPainter>

#include "game/cell.h"

namespace tumbol {

namespace {
constexpr int kCellPixels = 32;
constexpr double kPointsPerPixel = 0.75;

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
    QPixmap p(QStringLiteral(":/art/tile%1.png").arg(code));
    tiles[code] = p.isNull() ? Fallback(code) : p;
  }
  return tiles;
}

BoardPicture::BoardPicture(QWidget* parent)
    : QWidget(parent), frame_(705, 513, QImage::Format_RGB32), tiles_(LoadTilePictures()) {
  burst_ = QPixmap(QStringLiteral(":/art/burst.png"));
  if (burst_.isNull()) {
    burst_ = QPixmap(kCellPixels, kCellPixels);
    burst_.fill(Qt::yellow);
  }
  setFixedSize(705, 513);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Clear();
}

void BoardPicture::SetBackground(const QPixmap& background) {
  background_ = background;
  Clear();
  update();
}

void BoardPicture::Clear() {
  QPainter painter(&frame_);
  if (background_.isNull())
    frame_.fill(QColor(24, 26, 34));
  else
    painter.drawPixmap(0, 0, background_);
}

void BoardPicture::DrawTile(int code, int row, int col) {
  if (code < 1 || code > kTileCount) return;
  QPainter painter(&frame_);
  painter.drawPixmap((col - 1) * kCellPixels, (row - 1) * kCellPixels, tiles_[code]);
}

void BoardPicture::DrawBurst(int row, int col) {
  QPainter painter(&frame_);
  painter.drawPixmap((col - 1) * kCellPixels, (row - 1) * kCellPixels, burst_);
}

void BoardPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, frame_);
}

void BoardPicture::mousePressEvent(QMouseEvent* event) {
  const QPointF p = event->position() * kPointsPerPixel;
  if (onPress) onPress(p.x(), p.y());
}

void BoardPicture::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = event->position() * kPointsPerPixel;
  if (onMove) onMove(p.x(), p.y());
}

void BoardPicture::mouseReleaseEvent(QMouseEvent*) {
  if (onRelease) onRelease();
}

}  // namespace tumbol
