#pragma once
// A picture that acts as a button on the mouse press, any mouse button: the
// game window's picture buttons and music switch, the records window's close
// button.
#include <QLabel>
#include <functional>

class QMouseEvent;

namespace tumbol {

class PressLabel : public QLabel {
 public:
  // When a press acts: inside the press event, or just after it has been
  // delivered (for actions that may hold a modal box open; see the .cpp).
  enum class Acts { kAtOnce, kAfterPress };
  PressLabel(int index, Acts when, QWidget* parent) : QLabel(parent), index_(index), when_(when) {}
  std::function<void(int index)> onPress;
  // Unset: the release goes on to the window beneath.
  std::function<void(int index)> onRelease;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int index_;
  Acts when_;
  bool actionDue_ = false;  // pressed, its action not yet run
};

}  // namespace tumbol
