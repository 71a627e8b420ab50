#include "game/level.h"

#include <utility>

#include "game/rules.h"

namespace tumbol {

namespace {

// Where the cube at row, col of `pushed` is once `frames` have played.
// Cubes fall straight down, one row a fall frame, and never pass each
// other, so a board holding only two kinds (that cube, and every other
// cube) falls just as the real one does, pairs emptied where they burst.
void FollowCube(const Board& pushed, const std::vector<Frame>& frames, int& row, int& col) {
  constexpr Cell kFollowed = kFirstCube, kOther = kFirstCube + 1;
  Board marks = pushed;
  for (int r = 1; r <= marks.Rows(); ++r)
    for (int c = 1; c <= marks.Cols(); ++c)
      if (IsCube(marks.At(r, c))) marks.At(r, c) = kOther;
  marks.At(row, col) = kFollowed;
  for (const Frame& frame : frames) {
    if (frame.kind == Frame::kVanish) {
      // A cube that bursts leaves no mark to follow: row, col stay where it went.
      for (int r = 1; r <= marks.Rows(); ++r)
        for (int c = 1; c <= marks.Cols(); ++c)
          if (frame.cells.At(r, c) == kVanishing) marks.At(r, c) = kEmpty;
      continue;
    }
    GravityPass(marks);
    if (row < marks.Rows() && marks.At(row + 1, col) == kFollowed) ++row;
  }
}

}  // namespace

std::optional<PushFrames> Level::Push(int row, int col, int dir) {
  Board before = board_;
  if (!TryPush(board_, row, col, dir)) return std::nullopt;
  PushFrames push{board_, SettleFrames(board_), row, col + dir};
  FollowCube(push.pushed, push.frames, push.row, push.col);
  Remember(std::move(before));
  return push;
}

void Level::Restart() {
  Board settled = start_;
  SettleQuietly(settled);
  if (settled != board_) Remember(board_);
  board_ = start_;
}

void Level::Remember(Board before) {
  undo_.push_back(std::move(before));
  redo_.clear();
}

bool Level::Undo() { return Step(undo_, redo_); }

bool Level::Redo() { return Step(redo_, undo_); }

bool Level::Step(std::vector<Board>& from, std::vector<Board>& to) {
  if (from.empty()) return false;
  to.push_back(std::move(board_));
  board_ = std::move(from.back());
  from.pop_back();
  return true;
}

void Level::ForgetHistory() {
  undo_.clear();
  redo_.clear();
}

LevelStatus Level::Status() const {
  return board_.Rows() > 0 && board_.Cols() > 0 && !board_.HasCube() ? LevelStatus::kWon : LevelStatus::kPlaying;
}

}  // namespace tumbol
