#pragma once
// The game window's state and procedures: the board, the level flow, lives,
// the clocks' start times and the completion of levels. The Qt window
// (game/qt_form1.h) forwards its events here and shows what GameView asks.
// A settling or a level start is computed at once as frames (game/frames.h);
// the window's one frame timer shows them through ShowNextFrame, so nothing
// here ever waits inside another event.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "game/board.h"
#include "game/frames.h"
#include "game/seams.h"
#include "records/records_file.h"
#include "shell/game_folders.h"
#include "shell/toolkit.h"

namespace tumbol {

constexpr int kLastLevel = 15;
constexpr int kStartLives = 5;

// What the game asks of the window around the board.
class GameView {
 public:
  virtual ~GameView() = default;
  virtual std::string MapNumberText() = 0;              // Text1
  virtual void ShowModeControls(bool freePlay) = 0;     // buttons 0, 1, 7, Text1, Label2, Label3
  virtual void SetLivesText(const std::string& text) = 0;   // Label2
  virtual void SetCoordsText(const std::string& text) = 0;  // Label1
  virtual void SetButtonPressed(int index, bool pressed) = 0;
  virtual void EnableTimer2() = 0;
  virtual void OpenEditor() = 0;
  virtual void OpenRecords() = 0;
  virtual void RequestClose() = 0;
  virtual void Minimise() = 0;
  // The next frame is due in `seconds`: call Game::ShowNextFrame then. A
  // new call replaces the one before.
  virtual void NextFrameIn(double seconds) = 0;
  // The player's push or undo is changing the board: whatever was asked of
  // the board before is void from now on, not only once the new one rests.
  virtual void PlayerChangedBoard(bool undo) { (void)undo; }
  // The board came to rest after a level start, the player's push or undo,
  // or an activation.
  virtual void BoardAtRest() {}
  // A new board was loaded: whatever was known of the old one is void.
  virtual void LevelReplaced() {}
};

class Game {
 public:
  Game(Toolkit& toolkit, BoardSurface& surface, SoundCues& sounds, BoardCursor& cursor, GameView& view);

  // --- fields of the game window ---
  std::string path_work;        // the program folder, ending in '/'
  std::string dataFolder;       // the player's files when path_work is read-only, else empty
  Board board;                  // the board (at rest once its frames have played)
  bool FreePlayMode = true;
  int16_t LevelNumber = 0;
  bool LoadFailed = false;
  bool LevelSolved = false;
  int16_t Lives = 0;
  double LevelStartTime = 0;    // days
  double TotalGameTime = 0;     // days, the sum of the won levels of a game
  std::string LevelTimeText;
  int16_t LastPointerCol = -1;
  uint8_t flag_anim = 0;        // board cursor in force: 0 arrow, 1 push right, 2 push left
  bool PressedButton = false;
  int16_t PressedButtonIndex = 0;
  RecordTable RecordLines;  // the records table as last read
  // Called after the last level of a game with its total time.
  std::function<void(double)> checkNewRecord;

  GameFolders Folders() const { return {path_work, dataFolder}; }
  int BoardRows() const { return board.Rows(); }
  int BoardCols() const { return board.Cols(); }

  // --- procedures ---
  void LoadLevelMap();
  // Shows the board as it is, at once.
  void RedrawBoard();
  // Settles the board, its frames played on the window's clock.
  void SettleBoard();
  // The window's frame timer: shows the next frame of the running sequence,
  // and once the last is shown, finishes it (a win is checked, the board is
  // at rest). Harmless when nothing is running.
  void ShowNextFrame();
  // The frame ShowNextFrame would show, if any.
  const Frame* PendingFrame() const { return frames_.empty() ? nullptr : &frames_.front(); }
  void PushCube(int col, int row, double x, double y);
  void UpdateHoverCursor(int col, int row, double x, double y);
  void CheckLevelComplete();
  // Loads the map and plays its slide-in and settling; a sequence still
  // playing (an earlier start, a settling) is replaced.
  void StartLevel();
  void ToggleGameMode();
  void ShowLives();
  void ReleaseButtonImage();
  void SetAnimCursor(int kind);
  void RestoreCursor();

  // --- event handlers (board coordinates in points) ---
  void Picture1_MouseDown(double x, double y);
  void Picture1_MouseMove(double x, double y);
  void Picture1_MouseUp();
  void Image1_MouseDown(int index);
  void Image1_MouseUp();
  void Timer2_Timer();

  // Free play's undo: the board goes back to the settled board the last push
  // came from, drawn at once. Only in free play with the board at rest; false
  // when nothing was taken back. Loading, winning and switching modes clear
  // the history.
  bool Undo();
  size_t UndoDepth() const { return undoHistory_.size(); }
  // A hint may be asked for: free play, a level on the board, at rest, not won.
  bool HintAllowed() const;

  // What an activation of the game window does to the board: an unsolved
  // board is redrawn and settled, unless its frames are still playing.
  void ActivateBoard();
  // A slide-in or a settling is playing, or its win is being reported.
  bool BoardInMotion() const { return inMotion_; }

  // The window is going away: the running sequence stops, nothing more starts.
  void Shutdown();
  bool ShuttingDown() const { return closing_; }

 private:
  // What follows the last frame of a sequence.
  enum class AfterFrames { kRest, kLevelStart };
  // Free play, the board at rest, the window staying: when the play aids may
  // change or ask about the board.
  bool FreePlayAtRest() const { return FreePlayMode && !BoardInMotion() && !closing_; }
  // Replaces whatever sequence is playing with frames, then `after`.
  void Play(std::vector<Frame> frames, AfterFrames after);
  void FinishFrames();
  void StopFrames();
  void PressPlayButton();
  void PressRestartButton();

  Toolkit& toolkit_;
  BoardSurface& surface_;
  SoundCues& sounds_;
  BoardCursor& cursor_;
  GameView& view_;
  std::vector<Board> undoHistory_;  // the boards at rest before each push, oldest first
  std::deque<Frame> frames_;  // still to show, the next first
  AfterFrames after_ = AfterFrames::kRest;
  uint64_t sequence_ = 0;     // counts sequences begun or stopped
  bool inMotion_ = false;
  bool closing_ = false;
};

}  // namespace tumbol
