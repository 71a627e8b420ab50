#pragma once
// Picture1: the board picture. Keeps the last painted frame in an image over
// its background, as a picture box does, and forwards the mouse in points.
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "game/seams.h"

namespace tumbol {

class BoardPicture : public QWidget, public BoardSurface {
  Q_OBJECT
 public:
  explicit BoardPicture(QWidget* parent = nullptr);

  void SetBackground(const QImage& background);  // skinsp.jpg
  void Clear() override;
  void DrawTile(int code, int row, int col) override;
  void DrawBurst(int row, int col) override;
  void Present() override;
  // The last painted frame.
  const QImage& Frame() {
    painter_.reset();
    return frame_;
  }

  // Mouse handlers in points (a pixel is 0.75 points).
  std::function<void(double x, double y)> onPress;
  std::function<void(double x, double y)> onMove;
  std::function<void()> onRelease;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QPainter& Painter();

  QImage frame_;
  QImage background_;
  std::vector<QImage> tiles_;  // index = cell code, 1-26, in the frame's format
  QImage burst_;
  // Open from Clear to Present, so a frame of 352 tiles costs one painter.
  std::unique_ptr<QPainter> painter_;
};

// The 26 tile pictures, index = code (entry 0 unused); a missing picture is
// replaced by a plain square so the board stays playable.
std::vector<QPixmap> LoadTilePictures();

}  // namespace tumbol
