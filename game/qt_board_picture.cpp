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
    : QWidget(parent), frame_(705, 513, QImage::Format_RGB32) {
  for (const QPixmap& tile : LoadTilePictures())
    tiles_.push_back(tile.toImage().convertToFormat(QImage::Format_RGB32));
  burst_ = QImage(QStringLiteral(":/art/burst.png"));
  if (burst_.isNull()) {
    burst_ = QImage(kCellPixels, kCellPixels, QImage::Format_RGB32);
    burst_.fill(Qt::yellow);
  }
  burst_ = burst_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  setFixedSize(705, 513);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Clear();
}

void BoardPicture::SetBackground(const QImage& background) {
  background_ = background.convertToFormat(QImage::Format_RGB32);
  Clear();
  Present();
}

QPainter& BoardPicture::Painter() {
  if (!painter_) painter_ = std::make_unique<QPainter>(&frame_);
  return *painter_;
}

void BoardPicture::Clear() {
  painter_.reset();
  if (background_.isNull())
    frame_.fill(QColor(24, 26, 34));
  else
    Painter().drawImage(0, 0, background_);
}

void BoardPicture::DrawTile(int code, int row, int col) {
  if (code < 1 || code > kTileCount) return;
  Painter().drawImage((col - 1) * kCellPixels, (row - 1) * kCellPixels, tiles_[code]);
}

void BoardPicture::DrawBurst(int row, int col) {
  Painter().drawImage((col - 1) * kCellPixels, (row - 1) * kCellPixels, burst_);
}

void BoardPicture::Present() {
  painter_.reset();
  update();
}

void BoardPicture::paintEvent(QPaintEvent*) {
  painter_.reset();
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
