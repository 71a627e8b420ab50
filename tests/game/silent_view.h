#pragma once
// Every seam of Game at once, drawing nothing; it keeps what tests look at:
// the sound cues, the cursor calls (0 for a restore), the cell cursor, the texts and controls
// the window would show, the map number typed, Timer2 starts, the searches
// asked for and the total of a game won. Frames are shown the moment they
// are due once Autoplay is on, else by Run.
#include <string>
#include <utility>
#include <vector>

#include "game/quiet_play.h"
#include "tests/scripted_toolkit.h"

namespace tumbol {

class SilentView : public QuietView {
 public:
  void PlaySoundCue(int cue) override { cues.push_back(cue); }
  void SetAnimCursor(int kind) override { cursorCalls.push_back(kind); }
  void RestoreCursor() override { cursorCalls.push_back(0); }
  std::string MapNumberText() override { return text1; }
  void ShowModeControls(bool freePlay) override { freePlayControls = freePlay; }
  void SetLivesText(const std::string& text) override { lives = text; }
  void SetCoordsText(const std::string& text) override { coords = text; }
  void ShowCellCursor(int row, int col) override { cellCursor = {row, col}; }
  void HideCellCursor() override { cellCursor = {0, 0}; }
  void EnableTimer2() override { ++timer2; }
  void StartSearch(const Board&, uint64_t) override { ++searches; }
  void AllLevelsWon(double total) override { gameTotal = total; }
  void NextFrameIn(double seconds, bool starts) override {
    QuietView::NextFrameIn(seconds, starts);
    if (!game_) return;
    tk_->Advance(seconds);
    game_->ShowNextFrame();
  }
  void Autoplay(Game* game, ScriptedToolkit* tk) { game_ = game, tk_ = tk; }

  // Plays the game's running sequence to its end, the fake clock advancing
  // by each pause; returns the frames shown.
  std::vector<Frame> Run(Game& game, ScriptedToolkit& tk) {
    return PlayFrames(game, *this, [&](double pause) { tk.Advance(pause); });
  }

  std::vector<int> cues, cursorCalls;
  std::string text1, lives, coords;
  std::pair<int, int> cellCursor{0, 0};  // row, column shown; 0, 0 none
  bool freePlayControls = true;
  int timer2 = 0, searches = 0;
  double gameTotal = -1;

 private:
  Game* game_ = nullptr;
  ScriptedToolkit* tk_ = nullptr;
};

}  // namespace tumbol
