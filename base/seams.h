#pragma once
// Interfaces through which the game's procedures reach what lies outside the
// rules: the board picture, the sound cues and the board cursor. The Qt/SDL
// side implements them; tests record the calls.

namespace tumbol {

// The board picture: a background with 32 x 32 tiles painted on it.
class BoardSurface {
 public:
  virtual ~BoardSurface() = default;
  // Removes every painted tile and burst picture; the background stays.
  virtual void Clear() = 0;
  // Paints tile picture `code` (1-26) over the cell at row, col (from 1).
  virtual void DrawTile(int code, int row, int col) = 0;
  // Paints the burst picture of a vanishing cube over the cell.
  virtual void DrawBurst(int row, int col) = 0;
  // The frame is complete: show it.
  virtual void Present() {}
};

// The three short wave cues: 1 a cube vanishes, 2 a level is won, 3 a push.
class SoundCues {
 public:
  virtual ~SoundCues() = default;
  virtual void PlaySoundCue(int cue) = 0;
};

// The cursor over the board: kind 1 shows "push right", kind 2 "push left".
// SetAnimCursor saves the cursor in force and installs the animated one;
// RestoreCursor puts the saved one back and is harmless when nothing is owed.
class BoardCursor {
 public:
  virtual ~BoardCursor() = default;
  virtual void SetAnimCursor(int kind) = 0;
  virtual void RestoreCursor() = 0;
};

}  // namespace tumbol
