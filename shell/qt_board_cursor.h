#pragma once
// The push cursors over the board: an animated cursor read from an .ani file
// in the program folder, shown on the board widget alone and stepped by a
// timer at the file's rates.

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "base/seams.h"
#include "shell/ani_file.h"

namespace tumbol {

// An animated cursor is tens of kilobytes; the file is read at every change
// of direction, so anything much larger is refused rather than read.
constexpr size_t kMaxCursorFileBytes = size_t{8} << 20;

class QtBoardCursor : public QObject, public BoardCursor {
 public:
  // `folder` is the program folder, ending in '/'.
  QtBoardCursor(QWidget* board, const QString& folder, QObject* parent = nullptr);
  // For a window that makes its board after taking the cursor: binds it later.
  // Until bound, SetAnimCursor does nothing.
  void Bind(QWidget* board, const QString& folder);

  void SetAnimCursor(int kind) override;
  void RestoreCursor() override;
  // A frame is due: the animation runs.
  bool Animating() const { return timer_.isActive(); }

 private:
  void ShowStep();
  void NextStep();
  void StopAnimation();

  QPointer<QWidget> board_;
  QString folder_;
  std::optional<QCursor> SavedCursorCopy;
  int step_ = 0;
  struct Decoded {
    std::string bytes;
    std::vector<QCursor> frames;
    std::vector<AniStep> steps;
  };
  Decoded decoded_[2];  // push right, push left
  const Decoded* active_ = nullptr;  // the cursor playing now, if any
  QTimer timer_;
};

}  // namespace tumbol
