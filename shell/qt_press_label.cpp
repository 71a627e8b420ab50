#include "shell/qt_press_label.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace tumbol {

// Most of the game window's actions hold a modal box or window open. Run
// inside the press handler, the box would open while the press is still
// being delivered and take the button's release, and the button would stay
// drawn pressed after it; so such an action runs just after the press has
// been delivered, still before the release as a rule, and a release the box
// took is caught up once it returns.
void PressLabel::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (when_ == Acts::kAtOnce) return emit pressed(index_);
  if (actionDue_) return;  // a second press before the first acted: one action
  actionDue_ = true;
  const Qt::MouseButton button = event->button();
  QMetaObject::invokeMethod(
      this,
      [this, button] {
        actionDue_ = false;
        emit pressed(index_);
        if (!(QGuiApplication::mouseButtons() & button)) emit released(index_);
      },
      Qt::QueuedConnection);
}

void PressLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (when_ == Acts::kAfterPress)
    emit released(index_);
  else
    QLabel::mouseReleaseEvent(event);
}

}  // namespace tumbol
