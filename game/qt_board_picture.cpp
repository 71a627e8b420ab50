#include "game/qt_board_picture.h"

#include <QMouseEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "game/cell.h"

namespace tumbol {

namespace {
constexpr int kCellPixels = 32;
constexpr double kPointsPerPixel = 0.75;
constexpr int kHintFlashMs = 170;
// The gold of the window's frame.
const QColor kGold(232, 188, 96);

// A gold ring round the cell and a fat arrow across it, the way the cube goes.
void PaintHint(QPainter& painter, int row, int col, int dir) {
  const QRectF cell((col - 1) * kCellPixels, (row - 1) * kCellPixels, kCellPixels, kCellPixels);
  painter.setPen(QPen(kGold, 3));
  painter.setBrush(QColor(232, 188, 96, 70));
  painter.drawRoundedRect(cell.adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
  const QPointF c = cell.center();
  const double d = dir > 0 ? 1 : -1;
  const QPointF arrow[] = {c + QPointF(-11 * d, -4), c + QPointF(2 * d, -4),  c + QPointF(2 * d, -10),
                           c + QPointF(13 * d, 0),   c + QPointF(2 * d, 10),  c + QPointF(2 * d, 4),
                           c + QPointF(-11 * d, 4)};
  painter.setPen(QPen(QColor(40, 24, 8), 1.5));
  painter.setBrush(QColor(255, 236, 170));
  painter.drawPolygon(arrow, 7);
}

// A red medallion in a gold ring with a white cross: this board is lost.
void PaintLostSign(QPainter& painter, const QRect& rect) {
  const QRectF r = QRectF(rect).adjusted(1, 1, -1, -1);
  QRadialGradient red(r.center() - QPointF(4, 4), r.width() * 0.7);
  red.setColorAt(0, QColor(214, 64, 52));
  red.setColorAt(1, QColor(120, 18, 16));
  painter.setPen(QPen(kGold, 2.5));
  painter.setBrush(red);
  painter.drawEllipse(r);
  painter.setPen(QPen(QColor(255, 246, 230), 3, Qt::SolidLine, Qt::RoundCap));
  const QPointF c = r.center();
  painter.drawLine(c + QPointF(-5.5, -5.5), c + QPointF(5.5, 5.5));
  painter.drawLine(c + QPointF(5.5, -5.5), c + QPointF(-5.5, 5.5));
}

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
  hintTimer_.setInterval(kHintFlashMs);
  connect(&hintTimer_, &QTimer::timeout, this, [this] {
    if (--hintSteps_ <= 0) StopHint();
    update();
  });
  Clear();
}

void BoardPicture::FlashHint(int row, int col, int dir) {
  hintRow_ = row;
  hintCol_ = col;
  hintDir_ = dir;
  hintSteps_ = 6;  // on, off, three times
  hintTimer_.start();
  update();
}

void BoardPicture::StopHint() {
  hintSteps_ = 0;
  hintTimer_.stop();
  update();
}

void BoardPicture::ShowLostSign(bool shown) {
  if (shown == lostSign_) return;
  lostSign_ = shown;
  if (!shown) QToolTip::hideText();
  update();
}

QRect BoardPicture::LostSignRect() { return QRect(705 - 34, 6, 28, 28); }

const char* BoardPicture::LostSignText() { return "Этот уровень уже не пройти. Начните заново."; }

bool BoardPicture::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (lostSign_ && LostSignRect().contains(help->pos()))
      QToolTip::showText(help->globalPos(), QString::fromUtf8(LostSignText()), this, LostSignRect());
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::event(event);
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
  painter.setRenderHint(QPainter::Antialiasing);
  if (hintSteps_ > 0 && hintSteps_ % 2 == 0) PaintHint(painter, hintRow_, hintCol_, hintDir_);
  if (lostSign_) PaintLostSign(painter, LostSignRect());
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
