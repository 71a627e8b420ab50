#include "shell/qt_shrunk_painting.h"

#include <QApplication>
#include <QBackingStore>
#include <QEvent>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

namespace tumbol {

namespace {

constexpr char kOwnBackground[] = "tumbolShrunkBackground";

// Qt fills a window's background, and that of a widget that asks for one,
// before the paint event, at full size and in the wrong place; such a
// background is filled here instead, with the rest of the painting.
bool TakeBackground(QWidget* widget) {
  if (widget->testAttribute(Qt::WA_NoSystemBackground) || widget->testAttribute(Qt::WA_OpaquePaintEvent) ||
      !(widget->isWindow() || widget->autoFillBackground() || widget->testAttribute(Qt::WA_StyledBackground)))
    return false;
  widget->setAttribute(Qt::WA_NoSystemBackground);
  widget->setProperty(kOwnBackground, true);
  return true;
}

void PaintBackground(QWidget* widget, QPainter& painter) {
  if (!widget->property(kOwnBackground).toBool()) return;
  const QBrush fill = widget->palette().brush(widget->backgroundRole());
  if (widget->isWindow() && !(widget->autoFillBackground() && fill.isOpaque()))
    painter.fillRect(widget->rect(), widget->palette().brush(QPalette::Window));
  if (widget->autoFillBackground()) painter.fillRect(widget->rect(), widget->palette().brush(widget->backgroundRole()));
  if (widget->testAttribute(Qt::WA_StyledBackground)) {
    QStyleOption option;
    option.initFrom(widget);
    widget->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, widget);
  }
}

}  // namespace

bool ShrunkPainting::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  // Before the widget's first paint, so that Qt never fills it.
  if (event->type() == QEvent::Polish && qApp->devicePixelRatio() < 1) TakeBackground(widget);
  if (event->type() != QEvent::Paint || rendering_ > 0) return false;
  const qreal scale = widget->devicePixelRatioF();
  if (scale >= 1) return false;
  // Filled by now after all (the fill was asked for after the polish): the
  // whole window is painted once more.
  if (TakeBackground(widget)) widget->window()->update();
  QWidget* window = widget->window();
  QBackingStore* store = window->backingStore();
  if (store == nullptr || store->paintDevice() == nullptr) return false;
  // Straight onto the window's pixels: Qt has cut them to what this widget
  // may paint.
  QPainter painter(store->paintDevice());
  if (!painter.isActive()) return false;
  const QPoint at = widget->mapTo(window, QPoint(0, 0));
  // The widget's part to paint, in its own pixels: the device pixels opened,
  // with two pixels round them for the smoothing (the event's own region is not
  // reliable at such a scale: under a mask it comes out too small).
  QRect reach = widget->rect();
  const QRegion opened = painter.paintEngine()->systemClip();
  if (!opened.isEmpty()) {
    const QRectF device(opened.boundingRect());
    reach &= QRectF(device.topLeft() / scale, device.size() / scale).toAlignedRect().translated(-at).adjusted(-2, -2, 2, 2);
  }
  if (reach.isEmpty()) return true;
  // The widget paints itself alone at its own size (its children get their
  // own paint events), then goes on at the window's scale.
  QImage own(reach.size(), QImage::Format_ARGB32_Premultiplied);
  own.fill(Qt::transparent);
  {
    QPainter background(&own);
    background.translate(-reach.topLeft());
    PaintBackground(widget, background);
  }
  const bool inPaint = widget->testAttribute(Qt::WA_WState_InPaintEvent);
  widget->setAttribute(Qt::WA_WState_InPaintEvent, false);
  ++rendering_;
  widget->render(&own, QPoint(), QRegion(reach), {});
  --rendering_;
  widget->setAttribute(Qt::WA_WState_InPaintEvent, inPaint);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.setWorldTransform(QTransform::fromScale(scale, scale));
  painter.drawImage(QPointF(at + reach.topLeft()), own);
  return true;
}

}  // namespace tumbol
