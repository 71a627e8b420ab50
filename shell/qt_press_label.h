#pragma once
// A picture that acts as a button on the mouse press, any mouse button: the
// game window's picture buttons and music switch, the records window's close
// button.
#include <QLabel>

class QMouseEvent;

namespace tumbol {

class PressLabel : public QLabel {
  Q_OBJECT
 public:
  // When a press acts: inside the press event, or just after it has been
  // delivered (for actions that may hold a modal box open; see the .cpp).
  // Only the latter reports releases; at once, the release goes on to the
  // window beneath.
  enum class Acts { kAtOnce, kAfterPress };
  PressLabel(int index, Acts when, QWidget* parent) : QLabel(parent), index_(index), when_(when) {}

 signals:
  void pressed(int index);
  void released(int index);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int index_;
  Acts when_;
  bool actionDue_ = false;  // pressed, its action not yet run
};

}  // namespace tumbol
