#pragma once
// Picture1: the board picture. Keeps the last painted frame in an image over
// its background, as a picture box does, and forwards the mouse in points.
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
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

  // The hint: the cell flashes three times with an arrow in dir (+1 right,
  // -1 left) over it, about a second in all; the frame itself is untouched.
  void FlashHint(int row, int col, int dir);
  void StopHint();
  bool HintShowing() const { return hintSteps_ > 0; }
  // The cell and direction of the hint showing: row, col, dir.
  std::array<int, 3> Hint() const { return {hintRow_, hintCol_, hintDir_}; }
  // The sign of a level that can no longer be won, in the board's corner.
  void ShowLostSign(bool shown);
  bool LostSignShown() const { return lostSign_; }
  static QRect LostSignRect();
  static const char* LostSignText();

  // Mouse handlers in points (a pixel is 0.75 points).
  std::function<void(double x, double y)> onPress;
  std::function<void(double x, double y)> onMove;
  std::function<void()> onRelease;

 protected:
  void paintEvent(QPaintEvent*) override;
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QPainter& Painter();

  QImage frame_;
  QImage background_;
  std::vector<QImage> tiles_;  // index = cell code, 1-26, in the frame's format
  QImage burst_;
  QTimer hintTimer_;
  int hintRow_ = 0, hintCol_ = 0, hintDir_ = 0;
  int hintSteps_ = 0;  // flashes left to show or hide; 0: no hint
  bool lostSign_ = false;
  // Open from Clear to Present, so a frame of 352 tiles costs one painter.
  std::unique_ptr<QPainter> painter_;
};

// The 26 tile pictures, index = code (entry 0 unused); a missing picture is
// replaced by a plain square so the board stays playable.
std::vector<QPixmap> LoadTilePictures();

}  // namespace tumbol
