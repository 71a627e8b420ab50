#include "game/qt_board_picture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <cmath>

#include "base/board_geometry.h"
#include "base/cell.h"
#include "shell/qt_art.h"
#include "shell/qt_tile_pictures.h"

namespace tumbol {

namespace {
constexpr QSize kFrameSize(kBoardPixelsWide, kBoardPixelsHigh);
constexpr int kPulseFrameMs = 50;
constexpr double kPulsePeriodMs = 900;
constexpr int kGlowMs = 1500;  // the lost sign's answer to F2
// The gold of the window's frame.
const QColor kGold(232, 188, 96);

QRectF CellRect(int row, int col) {
  return QRectF((col - 1) * kCellPixels, (row - 1) * kCellPixels, kCellPixels, kCellPixels);
}

}  // namespace

// A gold ring on the cube's edge and a fat arrow in the empty cell beside
// it, pointing the way the cube goes; pulse (0 to 1) swells the glow.
void PaintHint(QPainter& painter, int row, int col, int dir, double pulse) {
  const QRectF cell = CellRect(row, col);
  const QColor glow(255, 214, 120, static_cast<int>(90 + 120 * pulse));
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(glow, 2 + 3 * pulse));
  painter.drawRoundedRect(cell.adjusted(-1, -1, 1, 1), 6, 6);
  painter.setPen(QPen(kGold, 2));
  painter.drawRoundedRect(cell.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
  const double d = dir > 0 ? 1 : -1;
  const QPointF s(dir > 0 ? cell.right() + 2 : cell.left() - 2, cell.center().y());  // the arrow's tail
  const QPointF arrow[] = {s + QPointF(0, -5),       s + QPointF(15 * d, -5), s + QPointF(15 * d, -12),
                           s + QPointF(28 * d, 0),   s + QPointF(15 * d, 12), s + QPointF(15 * d, 5),
                           s + QPointF(0, 5)};
  painter.setPen(QPen(glow, 2 + 3 * pulse, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolygon(arrow, 7);
  painter.setPen(QPen(QColor(40, 24, 8), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(QColor(255, 236, 170));
  painter.drawPolygon(arrow, 7);
}

namespace {

// Corner brackets round the cell, light on a dark edge so that they read on
// every tile and on the background alike, and a faint frame between them.
void PaintCellCursor(QPainter& painter, int row, int col) {
  const QRectF cell = CellRect(row, col).adjusted(2, 2, -2, -2);
  constexpr double kArm = 9;
  QPainterPath brackets;
  for (const QPointF& corner : {cell.topLeft(), cell.topRight(), cell.bottomRight(), cell.bottomLeft()}) {
    const double dx = corner.x() < cell.center().x() ? kArm : -kArm;
    const double dy = corner.y() < cell.center().y() ? kArm : -kArm;
    brackets.moveTo(corner + QPointF(dx, 0));
    brackets.lineTo(corner);
    brackets.lineTo(corner + QPointF(0, dy));
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 248, 225, 110), 1));
  painter.drawRoundedRect(cell, 3, 3);
  painter.setPen(QPen(QColor(20, 14, 8, 210), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(brackets);
  painter.setPen(QPen(QColor(255, 248, 225), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(brackets);
}

QRect CursorRect(int row, int col) { return CellRect(row, col).adjusted(-2, -2, 2, 2).toAlignedRect(); }

}  // namespace

BoardPicture::BoardPicture(QWidget* parent)
    : QWidget(parent) {
  setFixedSize(kFrameSize);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  hintTimer_.setInterval(kPulseFrameMs);
  connect(&hintTimer_, &QTimer::timeout, this, [this] {
    if (hintShown_.hasExpired(kHintSeconds * 1000)) return StopHint();
    update(HintRect());
  });
  // The frame is made at the first clearing, from the background by then.
}

void BoardPicture::ShowHint(int row, int col, int dir) {
  update(HintRect());
  hintRow_ = row;
  hintCol_ = col;
  hintDir_ = dir;
  hintShown_.start();
  hintTimer_.start();
  update(HintRect());
}

void BoardPicture::ShowCellCursor(int row, int col) {
  HideCellCursor();
  cursorRow_ = row;
  cursorCol_ = col;
  update(CursorRect(row, col));
}

void BoardPicture::HideCellCursor() {
  if (!CellCursorShowing()) return;
  update(CursorRect(cursorRow_, cursorCol_));
  cursorRow_ = cursorCol_ = 0;
}

void BoardPicture::StopHint() {
  if (!HintShowing()) return;
  hintShown_.invalidate();
  hintTimer_.stop();
  update(HintRect());
}

QRect BoardPicture::HintRect() const {
  const QRectF cell = CellRect(hintRow_, hintCol_);
  return cell.united(cell.translated(hintDir_ * kCellPixels, 0)).adjusted(-4, -4, 4, 4).toAlignedRect();
}

void BoardPicture::SetBackground(const QImage& background) {
  background_ = background.convertToFormat(QImage::Format_RGB32);
  if (background_.size() == kFrameSize)
    firstFrame_ = std::async(std::launch::async, [copy = background_] { return copy.copy(); });
  Clear();
  Present();
}

QPainter& BoardPicture::Painter() {
  if (frame_.isNull()) Clear();
  // Still the cleared frame, shared with the background: the copy made
  // ahead takes its place.
  if (firstFrame_.valid() && frame_.constBits() == background_.constBits()) frame_ = firstFrame_.get();
  if (!painter_) painter_ = std::make_unique<QPainter>(&frame_);
  return *painter_;
}

void BoardPicture::Clear() {
  painter_.reset();
  // A background of the board's size is the cleared frame: shared, it is
  // copied only when the first tile is drawn, after the window is shown.
  if (background_.size() == kFrameSize) {
    frame_ = background_;
    return;
  }
  if (frame_.size() != kFrameSize) frame_ = QImage(kFrameSize, QImage::Format_RGB32);
  frame_.fill(QColor(24, 26, 34));
  if (!background_.isNull()) Painter().drawImage(0, 0, background_);
}

void BoardPicture::LoadPictures() {
  // At the first frame with tiles, not as the window is built.
  for (const QImage& tile : LoadTileImages()) tiles_.push_back(tile.convertToFormat(QImage::Format_RGB32));
  burst_ = ArtImage(QStringLiteral("burst.png"));
  if (burst_.isNull()) {
    burst_ = QImage(kCellPixels, kCellPixels, QImage::Format_RGB32);
    burst_.fill(Qt::yellow);
  }
  burst_ = burst_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void BoardPicture::DrawTile(int code, int row, int col) {
  if (code < 1 || code > kTileCount) return;
  if (tiles_.empty()) LoadPictures();
  Painter().drawImage((col - 1) * kCellPixels, (row - 1) * kCellPixels, tiles_[code]);
}

void BoardPicture::DrawBurst(int row, int col) {
  if (tiles_.empty()) LoadPictures();
  Painter().drawImage((col - 1) * kCellPixels, (row - 1) * kCellPixels, burst_);
}

void BoardPicture::Present() {
  painter_.reset();
  update();
}

void BoardPicture::paintEvent(QPaintEvent*) {
  painter_.reset();
  if (frame_.isNull()) Clear();
  QPainter painter(this);
  painter.drawImage(0, 0, frame_);
  painter.setRenderHint(QPainter::Antialiasing);
  if (HintShowing()) {
    const double phase = std::fmod(hintShown_.elapsed() / kPulsePeriodMs, 1.0);
    PaintHint(painter, hintRow_, hintCol_, hintDir_, 0.5 - 0.5 * std::cos(phase * 2 * M_PI));
  }
  if (CellCursorShowing()) PaintCellCursor(painter, cursorRow_, cursorCol_);
}

void BoardPicture::mousePressEvent(QMouseEvent* event) {
  const QPointF p = event->position() * kPointsPerPixel;
  emit pressed(p.x(), p.y());
}

void BoardPicture::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = event->position() * kPointsPerPixel;
  emit moved(p.x(), p.y());
}

void BoardPicture::mouseReleaseEvent(QMouseEvent*) {
  emit released();
}

LostSign::LostSign(QWidget* parent) : QWidget(parent) {
  hide();
  glowTimer_.setInterval(kPulseFrameMs);
  connect(&glowTimer_, &QTimer::timeout, this, [this] {
    if (glow_.hasExpired(kGlowMs)) glow_.invalidate(), glowTimer_.stop();
    update();
  });
  SetFreePlay(true);
}

QString LostSign::Tip(bool freePlay, bool asLoaded) {
  if (asLoaded)
    return freePlay ? QStringLiteral("Эту карту не пройти: выигрыша в ней нет с самого начала.\n"
                                     "Загрузите другую карту.")
                    : QStringLiteral("Эту карту не пройти: выигрыша в ней нет с самого начала.\n"
                                     "Заново её тоже не пройти.");
  return freePlay ? QStringLiteral("Этот уровень уже не пройти.\nОтмените ход (Ctrl+Z) или загрузите карту заново.")
                  : QStringLiteral("Этот уровень уже не пройти.\nНачните его заново: кнопка «Заново».");
}

void LostSign::SetFreePlay(bool freePlay) {
  freePlay_ = freePlay;
  setToolTip(Tip(freePlay_, asLoaded_));
}

void LostSign::Show(bool shown, bool asLoaded) {
  if (shown) {
    asLoaded_ = asLoaded;
    setToolTip(Tip(freePlay_, asLoaded_));
  }
  setVisible(shown);
}

void LostSign::Point() {
  glow_.start();
  glowTimer_.start();
  update();
  QToolTip::showText(mapToGlobal(QPoint(0, height())), toolTip(), this, rect(), kGlowMs * 2);
  KeepTipInWindow();
}

// The tip starts under the plaque, near the window's right edge, and is
// wider than the room left there: it moves left until it ends inside.
void LostSign::KeepTipInWindow() {
  constexpr int kMargin = 24;  // clear of the outline's rounded corner
  const QRect area = window()->geometry().adjusted(kMargin, 0, -kMargin, 0);
  for (QWidget* tip : QApplication::topLevelWidgets()) {
    if (!tip->inherits("QTipLabel") || !tip->isVisible()) continue;
    QRect placed = tip->geometry();
    if (placed.right() > area.right()) placed.moveRight(area.right());
    if (placed.left() < area.left()) placed.moveLeft(area.left());
    tip->move(placed.topLeft());
  }
}

void LostSign::setVisible(bool visible) {
  if (!visible) {
    glow_.invalidate();
    glowTimer_.stop();
    if (QToolTip::isVisible() && QToolTip::text() == toolTip()) QToolTip::hideText();
  }
  QWidget::setVisible(visible);
}

// A dark red plaque edged in the frame's gold, like the title's, with a
// struck-through cube and the caption: read as a state, it has no bevel nor
// anything of a button.
void LostSign::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const double glow = Glowing() ? 0.5 + 0.5 * std::cos(glow_.elapsed() / 250.0 * M_PI) : 0;
  const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
  painter.setPen(QPen(kGold.lighter(100 + static_cast<int>(40 * glow)), 1 + 1.5 * glow));
  painter.setBrush(QColor(88 + static_cast<int>(60 * glow), 20, 18));
  painter.drawRoundedRect(r, 4, 4);
  const QRectF cube(r.left() + 6, r.center().y() - 5, 10, 10);
  painter.setPen(QPen(QColor(230, 210, 170), 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(cube, 2, 2);
  painter.setPen(QPen(QColor(255, 110, 90), 2, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(cube.bottomLeft() + QPointF(-2, 2), cube.topRight() + QPointF(2, -2));
  QFont font(QStringLiteral("Liberation Serif"));
  font.setPixelSize(12);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(255, 226, 170));
  painter.drawText(r.adjusted(cube.width() + 10, 0, -4, 0), Qt::AlignCenter, QString::fromUtf8(Caption()));
}

}  // namespace tumbol
