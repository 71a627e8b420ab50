#pragma once
// frmSplash: "Пожалуйста ждите..." while the game window loads and its
// outline is cut from the skin.
#include <QImage>
#include <QWidget>
#include <future>

namespace tumbol {

// The splash's whole face at a device pixel ratio: the window's colour, the
// gold frame, the logo and the caption over its shadow. Any thread: the
// start-up has it painted on another core while this one builds the game
// window, since the caption's first text is the costliest part of the
// splash. The game's font names must be set (NameGameFonts) before.
QImage PaintSplashFace(qreal devicePixelRatio);

class frmSplash : public QWidget {
 public:
  // face: the face being painted elsewhere; without one, or when it was
  // painted for another pixel ratio, the window paints its own.
  explicit frmSplash(std::shared_future<QImage> face = {});

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Repaints at once on activation: the event loop is busy loading then.
  void changeEvent(QEvent* event) override;

 private:
  std::shared_future<QImage> face_;
};

}  // namespace tumbol
