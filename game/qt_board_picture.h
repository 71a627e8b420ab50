#pragma once
// Picture1: the board picture. Keeps the last painted frame in an image over
// its background, as a picture box does, and forwards the mouse in points.
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
#include <future>
#include <memory>
#include <vector>

#include "base/board_geometry.h"
#include "base/seams.h"

namespace tumbol {

// The hint's look, here and in the editor: a gold ring on the cube at row,
// col and an arrow beside it the way dir pushes; pulse (0 to 1) swells the
// glow.
void PaintHint(QPainter& painter, int row, int col, int dir, double pulse);

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
    if (frame_.isNull()) Clear();
    return frame_;
  }

  // The hint: a gold ring round the cube and an arrow in the empty cell it
  // would be pushed into (dir +1 right, -1 left), so the cube's own picture
  // stays in sight. It pulses gently and stays until StopHint, or for
  // kHintSeconds; the frame itself is untouched.
  static constexpr int kHintSeconds = 12;
  void ShowHint(int row, int col, int dir);
  void StopHint();
  bool HintShowing() const { return hintShown_.isValid(); }
  qint64 HintAgeMs() const { return HintShowing() ? hintShown_.elapsed() : 0; }
  // The cell and direction of the hint showing: row, col, dir.
  std::array<int, 3> Hint() const { return {hintRow_, hintCol_, hintDir_}; }
  QRect HintRect() const;

  // The keyboard's cell cursor: a bright frame round one cell, over the
  // frame and the hint.
  void ShowCellCursor(int row, int col);
  void HideCellCursor();
  bool CellCursorShowing() const { return cursorRow_ > 0; }
  QPoint CellCursor() const { return {cursorCol_, cursorRow_}; }  // column, row

 signals:
  // The mouse over the board, in points (kPointsPerPixel).
  void pressed(double x, double y);
  void moved(double x, double y);
  void released();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QPainter& Painter();
  void LoadPictures();

  QImage frame_;
  QImage background_;
  // A copy of the background to draw the first frame on, made on another
  // core while the window is shown.
  std::future<QImage> firstFrame_;
  std::vector<QImage> tiles_;  // index = cell code, 1-26, in the frame's format; empty until first drawn
  QImage burst_;
  QTimer hintTimer_;            // the pulse's frames
  QElapsedTimer hintShown_;     // since the hint came; invalid: no hint
  int hintRow_ = 0, hintCol_ = 0, hintDir_ = 0;
  int cursorRow_ = 0, cursorCol_ = 0;  // row 0: no cell cursor
  // Open from Clear to Present, so a frame of 352 tiles costs one painter.
  std::unique_ptr<QPainter> painter_;
};

// The sign of a level that can no longer be won: a plaque in the window's
// frame, off the playing cells, that names a state of the level the way the
// clocks do; its tooltip says why and what helps, in the mode being played:
// a map that could not be won from its start needs another map, a level lost
// by a push an undo or a restart.
class LostSign : public QWidget {
 public:
  explicit LostSign(QWidget* parent);
  static const char* Caption() { return "Уровень не пройти"; }
  static QString Tip(bool freePlay, bool asLoaded);
  void SetFreePlay(bool freePlay);
  void Show(bool shown, bool asLoaded);
  void setVisible(bool visible) override;
  // A hint was asked for on the lost board: the plaque glows and says why,
  // in a tip under it that stays inside the window.
  void Point();
  bool Glowing() const { return glow_.isValid(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void KeepTipInWindow();

  QTimer glowTimer_;
  QElapsedTimer glow_;  // since Point; invalid: no glow
  bool freePlay_ = true;
  bool asLoaded_ = false;
};

}  // namespace tumbol
