#pragma once
// Every seam of Game at once, drawing and showing nothing; it keeps the few
// things tests look at: the sound cues, the map number typed, Timer2 starts.
#include <string>
#include <vector>

#include "game/game.h"

namespace tumbol {

class SilentView : public BoardSurface, public SoundCues, public BoardCursor, public GameView {
 public:
  void Clear() override {}
  void DrawTile(int, int, int) override {}
  void DrawBurst(int, int) override {}
  void PlaySoundCue(int cue) override { cues.push_back(cue); }
  void SetAnimCursor(int) override {}
  void RestoreCursor() override {}
  std::string MapNumberText() override { return text1; }
  void ShowModeControls(bool) override {}
  void SetLivesText(const std::string&) override {}
  void SetCoordsText(const std::string&) override {}
  void SetButtonPressed(int, bool) override {}
  void EnableTimer2() override { ++timer2; }
  void OpenEditor() override {}
  void OpenRecords() override {}
  void RequestClose() override {}
  void Minimise() override {}

  std::vector<int> cues;
  std::string text1;
  int timer2 = 0;
};

}  // namespace tumbol
