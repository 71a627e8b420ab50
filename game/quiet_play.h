#pragma once
// The game without a window: QuietView answers every seam of Game and shows
// nothing, QuietToolkit answers every box unseen. Used by the benches and
// the tests.
#include <functional>
#include <string>
#include <vector>

#include "game/game.h"

namespace tumbol {

class QuietView : public BoardSurface, public SoundCues, public BoardCursor, public GameView {
 public:
  void Clear() override {}
  void DrawTile(int, int, int) override {}
  void DrawBurst(int, int) override {}
  void PlaySoundCue(int) override {}
  void SetAnimCursor(int) override {}
  void RestoreCursor() override {}
  std::string MapNumberText() override { return {}; }
  void ShowModeControls(bool) override {}
  void SetLivesText(const std::string&) override {}
  void SetCoordsText(const std::string&) override {}
  void ShowCellCursor(int, int) override {}
  void HideCellCursor() override {}
  void EnableTimer2() override {}
  void NextFrameIn(double seconds, bool) override { frameDue = seconds; }
  void AllLevelsWon(double) override {}
  // No solver runs here: the play aids never answer.
  void StartSearch(const Board&, uint64_t) override {}
  void CancelSearch() override {}
  void ShowLostSign(bool, bool) override {}
  void ShowHint(const SolverMove&) override {}
  void HideHint() override {}
  void PointAtLostSign() override {}

  double frameDue = -1;  // the pause before the pending frame; -1 when none is due
};

// Message boxes are answered with OK (No to a question) unseen; the time
// stands still.
class QuietToolkit : public Toolkit {
 public:
  int MsgBox(const std::string&, int style, const std::string&) override {
    return style == kStyleQuestion ? kResultNo : kResultOk;
  }
  std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
  double Now() override { return 0; }
  double Rnd() override { return 0; }
};

// Shows every frame of the running sequence at once, the pause before each
// first handed to `wait`; returns the frames shown.
std::vector<Frame> PlayFrames(Game& game, QuietView& view,
                              const std::function<void(double)>& wait = nullptr);

}  // namespace tumbol
