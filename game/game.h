#pragma once
// The game window's state and procedures: the board, the level flow, lives,
// the clocks' start times and the completion of levels. The Qt window
// (game/qt_form1.h) forwards its events here and shows what GameView asks.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/board.h"
#include "base/seams.h"
#include "records/records_file.h"
#include "base/game_folders.h"
#include "base/toolkit.h"

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
  Board board;                  // the board on display (BoardRows x BoardCols)
  Board SlideBuffer;            // the level's cells while it slides in
  bool FreePlayMode = true;
  int16_t LevelNumber = 0;
  bool LoadFailed = false;
  bool LevelSolved = false;
  int16_t Lives = 0;
  double LevelStartTime = 0;    // days
  double TotalGameTime = 0;     // days, the sum of the won levels of a game
  std::string LevelTimeText;
  bool BoardChanged = false;
  bool BoardBusy = false;
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
  void RedrawBoard();
  void SlideInBoard();
  void SettleBoard();
  void PushCube(int col, int row, double x, double y);
  void UpdateHoverCursor(int col, int row, double x, double y);
  void CheckLevelComplete();
  // A start asked for while a level starts or the board settles (Enter held
  // down in the number field, a button, Timer2 firing in a pause) loads the
  // map at once, so the running sequence stops at its next pause, and plays
  // its slide-in once that sequence has unwound: starts never nest, however
  // many come.
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
  // board is redrawn and settled, unless a slide-in or a settling of it is
  // already running, which then finishes the job. A second settling nested
  // in the pause of the first would report a win twice, win a half-built
  // level, or use up the vanish marks of the first and leave cubes in the air.
  void ActivateBoard();
  // A slide-in or a settling of the board on display is running or waits.
  bool BoardInMotion() const;

  // The window is going away: every running settle or slide-in stops at its
  // next pause and touches nothing more.
  void Shutdown();
  bool ShuttingDown() const { return closing_; }

 private:
  // A level start, settling or slide-in belongs to the board it began on;
  // once that board has been replaced (or the window closes) it stops.
  bool Stale(uint64_t generation) const { return closing_ || generation != boardGeneration_; }
  void PauseFor(double seconds) { toolkit_.Pause(seconds); }
  // Free play, no press being handled, the board at rest, the window staying:
  // when the play aids may change or ask about the board.
  bool FreePlayAtRest() const { return FreePlayMode && !BoardBusy && !BoardInMotion() && !closing_; }
  // Runs a sequence that pauses; the outermost one then plays the level
  // start that was asked for meanwhile, if any.
  void RunSequence(void (Game::*steps)());
  void SettleSteps();
  void PlayStart();  // slide-in and settling of the map just loaded
  void PressPlayButton();
  void PressRestartButton();

  Toolkit& toolkit_;
  BoardSurface& surface_;
  SoundCues& sounds_;
  BoardCursor& cursor_;
  GameView& view_;
  std::vector<Board> undoHistory_;  // the boards at rest before each push, oldest first
  uint64_t boardGeneration_ = 0;
  int64_t settlingGeneration_ = -1;
  bool slidingIn_ = false;
  int sequences_ = 0;         // level starts and settlings running, nested in pauses
  bool startWaiting_ = false;  // a loaded map waits for its slide-in
  bool closing_ = false;
};

}  // namespace tumbol
