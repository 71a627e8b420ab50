#pragma once
// Windows drawn smaller than their own size. Qt lays a window out, places it
// and maps the mouse at any scale, but its painter never draws below one
// device pixel per Qt pixel: with a scale under 1 every widget would paint at
// full size, cut off at the window's smaller edge. This filter repaints each
// such widget itself, with the window's whole content scaled to the window's
// device pixels.
#include <QObject>

namespace tumbol {

class ShrunkPainting : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int rendering_ = 0;  // the window's own paint events, sent while we repaint it
};

}  // namespace tumbol
