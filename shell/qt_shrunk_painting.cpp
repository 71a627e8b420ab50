#include "shell/qt_shrunk_painting.h"

#include <QBackingStore>
#include <QEvent>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>

namespace tumbol {

bool ShrunkPainting::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Paint || rendering_ > 0 || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  const qreal scale = widget->devicePixelRatioF();
  if (scale >= 1) return false;
  QWidget* window = widget->window();
  QBackingStore* store = window->backingStore();
  if (store == nullptr || store->paintDevice() == nullptr) return false;
  // Straight onto the window's pixels: Qt has cut them to what this widget
  // may paint.
  QPainter painter(store->paintDevice());
  if (!painter.isActive()) return false;
  const QPoint at = widget->mapTo(window, QPoint(0, 0));
  // The widget's part to paint, in its own pixels: the device pixels opened,
  // with a pixel round them for the smoothing (the event's own region is not
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
