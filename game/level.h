#pragma once
// A level being played: the board at rest, the board it was loaded as, and
// the way back and forth through what was done to it. A push is a value, a
// cell and a direction, whichever hand it comes from (the mouse, the
// keyboard, the level tool, a test); what it causes comes back as the frames
// that show it, while the board is at rest again at once.
#include <cstddef>
#include <optional>
#include <vector>

#include "base/board.h"
#include "game/frames.h"

namespace tumbol {

// A lost level is no status of its own: only the solver can tell it.
enum class LevelStatus { kPlaying, kWon };

// What a push the rules allow causes.
struct PushFrames {
  Board pushed;               // the cube in its new cell, shown at once
  std::vector<Frame> frames;  // then the settling
  int row = 0, col = 0;       // where the pushed cube came to rest, or vanished
};

class Level {
 public:
  Level() = default;
  // The level as loaded, not yet settled; nothing to undo.
  explicit Level(const Board& start) : start_(start), board_(start) {}

  const Board& board() const { return board_; }
  const Board& start() const { return start_; }

  // Settles the board as it stands; the frames that show it.
  std::vector<Frame> Settle() { return SettleFrames(board_); }

  // Pushes the cube at row, col one cell in dir (+1 right, -1 left) and
  // settles the board; nothing when the rules refuse it. The push can be
  // undone, and what undo took back can no longer be redone.
  std::optional<PushFrames> Push(int row, int col, int dir);

  // The level as loaded again, to be settled; undo brings back the board
  // before, unless the restart changes nothing.
  void Restart();

  // Back to the board before the last push or restart, or forward again to
  // the board after it; false when there is none.
  bool Undo();
  bool Redo();
  size_t UndoDepth() const { return undo_.size(); }
  size_t RedoDepth() const { return redo_.size(); }
  // The board stays, with no way back or forth.
  void ForgetHistory();

  // Won when the board has cells and none of them holds a cube.
  LevelStatus Status() const;

 private:
  // The board before a step becomes the first to undo; nothing is left to redo.
  void Remember(Board before);
  // The board goes onto `to`, and the last of `from` takes its place.
  bool Step(std::vector<Board>& from, std::vector<Board>& to);

  Board start_;
  Board board_;
  std::vector<Board> undo_;  // the boards at rest before each step, oldest first
  std::vector<Board> redo_;  // the boards undo took back, the next to redo last
};

}  // namespace tumbol
