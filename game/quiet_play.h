#pragma once
// Runs the game's own settling without a window, recording the frames it
// would draw: "f" for a gravity frame, "vN" for a vanish frame emptying N
// cells. Used by the level tool and by tests of the settling sequence.
#include <string>
#include <vector>

#include "game/game.h"
#include "base/scripted_toolkit.h"

namespace tumbol {

class QuietPlay : private BoardSurface, private SoundCues, private BoardCursor, private GameView {
 public:
  QuietPlay();
  explicit QuietPlay(const Board& start);

  Game& game() { return game_; }
  Board& board() { return game_.board; }
  // Settles as a level start does; returns the frames drawn.
  std::vector<std::string> Settle();
  // Pushes the cube at row, col in dir (+1 right, -1 left) as the player's
  // press would; false when the rules refuse it. frames gets the settling.
  bool Push(int row, int col, int dir, std::vector<std::string>& frames);
  // Joins frames with blanks, "-" when there are none.
  static std::string FramesText(const std::vector<std::string>& frames);

 private:
  void Clear() override { bursts_ = 0; }
  void DrawTile(int, int, int) override {}
  void DrawBurst(int, int) override { ++bursts_; }
  void Present() override;
  void PlaySoundCue(int cue) override {
    if (cue >= 1 && cue <= 3) ++cues_[cue];
  }
  void SetAnimCursor(int) override {}
  void RestoreCursor() override {}
  std::string MapNumberText() override { return {}; }
  void ShowModeControls(bool) override {}
  void SetLivesText(const std::string&) override {}
  void SetCoordsText(const std::string&) override {}
  void SetButtonPressed(int, bool) override {}
  void EnableTimer2() override {}
  void OpenEditor() override {}
  void OpenRecords() override {}
  void RequestClose() override {}
  void Minimise() override {}

  ScriptedToolkit toolkit_;
  Game game_;
  int bursts_ = 0;
  size_t pausesSeen_ = 0;
  int cues_[4] = {0, 0, 0, 0};
  std::vector<std::string>* frames_ = nullptr;
};

}  // namespace tumbol
