#pragma once
// The game window's state and procedures: the level being played (its board
// and history, game/level.h), the level flow, lives, the clocks' start times,
// what follows a won level, the keyboard's cell cursor and the play aids. The
// Qt window (game/qt_form1.h) forwards its events here and shows what
// GameView asks. A settling or a level start is computed at once as frames
// (game/frames.h); the window's one frame timer shows them through
// ShowNextFrame, so nothing here ever waits inside another event.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/board.h"
#include "base/game_folders.h"
#include "base/seams.h"
#include "base/toolkit.h"
#include "game/frames.h"
#include "game/level.h"
#include "game/play_aids.h"

namespace tumbol {

constexpr int kLastLevel = 15;
constexpr int kStartLives = 5;

// What the game asks of the window around the board, the play aids' part
// included.
class GameView : public AidsView {
 public:
  virtual std::string MapNumberText() = 0;              // Text1
  virtual void ShowModeControls(bool freePlay) = 0;     // buttons 0, 1, 7, Text1, Label2, Label3
  virtual void SetLivesText(const std::string& text) = 0;   // Label2
  virtual void SetCoordsText(const std::string& text) = 0;  // Label1
  // The keyboard's cell cursor over the board, at row, col; or none.
  virtual void ShowCellCursor(int row, int col) = 0;
  virtual void HideCellCursor() = 0;
  virtual void EnableTimer2() = 0;
  // The next frame is due `seconds` after the one before it, or after now
  // when it `starts` a sequence: call Game::ShowNextFrame then. A new call
  // replaces the one before.
  virtual void NextFrameIn(double seconds, bool starts) = 0;
  // The last level of a game is won in totalTime (days): maybe a record.
  virtual void AllLevelsWon(double totalTime) = 0;
};

class Game {
 public:
  Game(Toolkit& toolkit, BoardSurface& surface, SoundCues& sounds, BoardCursor& cursor, GameView& view);

  // --- what the window shows ---
  void SetFolders(const GameFolders& folders) { folders_ = folders; }
  const GameFolders& Folders() const { return folders_; }
  const Board& board() const { return level_.board(); }
  bool FreePlayMode() const { return freePlayMode_; }
  int LevelNumber() const { return levelNumber_; }
  int Lives() const { return lives_; }
  bool LoadFailed() const { return loadFailed_; }
  bool LevelSolved() const { return levelSolved_; }
  double LevelStartTime() const { return levelStartTime_; }  // days
  double TotalGameTime() const { return totalGameTime_; }    // days, the won levels of a game
  int flag_anim() const { return flag_anim_; }  // board cursor in force: 0 arrow, 1 push right, 2 push left
  const PlayAids& aids() const { return aids_; }

  // --- the board ---
  void LoadLevelMap();
  // Puts a board on display as it is, at rest: no level is loaded.
  void PutBoard(const Board& board);
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
  // A slide-in or a settling is playing, or its win is being reported.
  bool BoardInMotion() const { return inMotion_; }

  // --- the level flow ---
  // Loads the map and plays its slide-in and settling; a sequence still
  // playing (an earlier start, a settling) is replaced. The load button,
  // Enter in the number field and Timer2.
  void StartLevel();
  void PressPlayButton();     // start a game, or end it
  void PressRestartButton();  // a game's level again, for a life
  void ToggleGameMode();
  // The level's clock starts now (the window's first activation).
  void StartLevelClock();
  void Timer2_Timer();

  // --- the player's hand ---
  // The push of the cube at row, col in dir (+1 right, -1 left), from the
  // mouse or the keyboard: the rules, the cue, the frames; dropped while the
  // board is in motion.
  void PushCube(int row, int col, int dir);
  void Picture1_MouseDown(double x, double y);
  void Picture1_MouseMove(double x, double y);
  void RestoreCursor();
  // The keyboard's cell cursor: the first arrow key shows it, the next move
  // it a cell, up to the board's edges; Home takes it back to row 1, column 1
  // (where a level puts it), and a press on the board hides it. It follows
  // the cube it pushed.
  void MoveCellCursor(int rows, int cols);
  void CellCursorHome();
  void PushAtCellCursor(int dir);
  bool CellCursorShown() const { return cellCursorShown_; }
  int CellCursorRow() const { return cellCursorRow_; }
  int CellCursorCol() const { return cellCursorCol_; }
  // Free play's undo and redo: the board goes back to the board at rest
  // before the last push or restart of the level, or forward again, drawn at
  // once; a new push ends what can be redone. Only in free play with the
  // board at rest; false when nothing changed. Loading another level and
  // switching modes clear the history.
  bool Undo();
  bool Redo();
  size_t UndoDepth() const { return level_.UndoDepth(); }
  size_t RedoDepth() const { return level_.RedoDepth(); }
  // F2: the hint where one may be asked for (free play, a level on the
  // board, at rest, not won); on a lost board the lost sign answers.
  void HintRequested();
  bool HintAllowed() const;
  // The solver's answer, from the window's worker.
  void SearchDone(uint64_t ticket, const SolveResult& result) { aids_.SearchDone(ticket, result); }

  // What an activation of the game window does to the board: an unsolved
  // board is redrawn and settled, unless its frames are still playing.
  void ActivateBoard();

  // The window is going away: the running sequence stops, nothing more starts.
  void Shutdown();
  bool ShuttingDown() const { return closing_; }

 private:
  // What follows the last frame of a sequence.
  enum class AfterFrames { kRest, kLevelStart };
  // Free play, the board at rest, the window staying: when the play aids may
  // change or ask about the board.
  bool FreePlayAtRest() const { return freePlayMode_ && !BoardInMotion() && !closing_; }
  // Replaces whatever sequence is playing with frames, then `after`.
  void Play(std::vector<Frame> frames, AfterFrames after);
  void FinishFrames();
  void StopFrames();
  // Undo and redo: the board as the level now holds it, at once at rest.
  void ShowBoardAtRest();
  void UpdateHoverCursor(int col, int row, double x, double y);
  void SetAnimCursor(int kind);
  // The end of every settling: a won level goes on to LevelWon.
  void CheckLevelComplete();
  // The win's cue, its messages, and in a game the next level or the end.
  void LevelWon();
  void ShowLives();
  void PlaceCellCursor(int row, int col);

  Toolkit& toolkit_;
  BoardSurface& surface_;
  SoundCues& sounds_;
  BoardCursor& cursor_;
  GameView& view_;
  PlayAids aids_{view_};
  GameFolders folders_{""};
  Level level_;                 // its board at rest once its frames have played
  bool freePlayMode_ = true;
  int16_t levelNumber_ = 0;
  int16_t lives_ = 0;
  bool loadFailed_ = false;
  bool levelSolved_ = false;
  double levelStartTime_ = 0;
  double totalGameTime_ = 0;
  int16_t lastPointerCol_ = -1;
  uint8_t flag_anim_ = 0;
  int cellCursorRow_ = 1, cellCursorCol_ = 1;
  bool cellCursorShown_ = false;
  std::deque<Frame> frames_;  // still to show, the next first
  AfterFrames after_ = AfterFrames::kRest;
  bool inMotion_ = false;
  bool closing_ = false;
};

}  // namespace tumbol
