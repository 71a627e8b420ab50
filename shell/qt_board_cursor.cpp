#include "shell/qt_board_cursor.h"

#include <QImage>
#include <QPixmap>

#include "base/data_file.h"

namespace tumbol {

QtBoardCursor::QtBoardCursor(QWidget* board, const QString& folder, QObject* parent)
    : QObject(parent), board_(board), folder_(folder) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &QtBoardCursor::NextStep);
}

void QtBoardCursor::Bind(QWidget* board, const QString& folder) {
  RestoreCursor();
  board_ = board;
  folder_ = folder;
}

void QtBoardCursor::SetAnimCursor(int kind) {
  if (!board_) return;
  StopAnimation();
  // A failed installation leaves the arrow up and the copy owed; keep that
  // copy rather than saving whatever is showing now.
  if (!SavedCursorCopy) SavedCursorCopy = board_->cursor();

  QString path = folder_;
  if (!path.isEmpty() && !path.endsWith('/')) path += '/';
  path += kind == 1 ? "an_lr.ani" : "an_rl.ani";
  // Read afresh every time, so a replaced or damaged file shows at once; the
  // frames are decoded again only when the bytes differ from last time.
  std::string bytes;
  // A missing, odd or oversized file leaves the arrow up; no message.
  if (!ReadDataFile(path.toStdString(), bytes, kMaxCursorFileBytes)) return;
  Decoded& cache = decoded_[kind == 1 ? 0 : 1];
  if (cache.frames.empty() || bytes != cache.bytes) {
    cache = Decoded{};
    AniCursor ani;
    std::string error;
    if (!ParseAni(std::vector<uint8_t>(bytes.begin(), bytes.end()), &ani, &error)) return;
    std::vector<QCursor> cursors;
    for (const AniFrame& f : ani.frames) {
      QByteArray blob(reinterpret_cast<const char*>(f.bytes.data()), int(f.bytes.size()));
      QImage image = QImage::fromData(blob, f.isCursor ? "CUR" : "ICO");
      if (image.isNull()) return;
      cursors.emplace_back(QPixmap::fromImage(image), f.hotX, f.hotY);
    }
    cache.bytes = std::move(bytes);
    cache.frames = std::move(cursors);
    cache.steps = std::move(ani.steps);
  }
  active_ = &cache;
  step_ = 0;
  ShowStep();
}

void QtBoardCursor::RestoreCursor() {
  if (!SavedCursorCopy) return;
  StopAnimation();
  if (board_) board_->setCursor(*SavedCursorCopy);
  SavedCursorCopy.reset();
}

void QtBoardCursor::ShowStep() {
  const AniStep& s = active_->steps[size_t(step_)];
  board_->setCursor(active_->frames[size_t(s.frame)]);
  if (active_->steps.size() > 1) timer_.start(s.durationMs);
}

void QtBoardCursor::NextStep() {
  if (!board_ || !active_) return;
  step_ = (step_ + 1) % int(active_->steps.size());
  ShowStep();
}

void QtBoardCursor::StopAnimation() {
  timer_.stop();
  active_ = nullptr;
  step_ = 0;
}

}  // namespace tumbol
