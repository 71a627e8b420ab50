#pragma once
// The game without a window. QuietView answers every seam of Game and shows
// nothing; QuietPlay runs the game's own settling on it, recording the frames
// it would draw: "f" for a gravity frame, "vN" for a vanish frame emptying N
// cells. Used by the level tool, the benches and the tests.
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
  void EnableTimer2() override {}
  void NextFrameIn(double seconds, bool) override { frameDue = seconds; }
  void AllLevelsWon(double) override {}
  // No solver runs here: the play aids never answer.
  void StartSearch(const Board&, uint64_t) override {}
  void CancelSearch() override {}
  void ShowLostSign(bool) override {}
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

class QuietPlay {
 public:
  QuietPlay();
  explicit QuietPlay(const Board& start);

  Game& game() { return game_; }
  const Board& board() const { return game_.board(); }
  // Settles as a level start does; returns the frames drawn.
  std::vector<std::string> Settle();
  // Pushes the cube at row, col in dir (+1 right, -1 left) as the player's
  // press would; false when the rules refuse it. frames gets the settling.
  bool Push(int row, int col, int dir, std::vector<std::string>& frames);
  // Joins frames with blanks, "-" when there are none.
  static std::string FramesText(const std::vector<std::string>& frames);

 private:
  class PushHeard : public QuietView {
   public:
    void PlaySoundCue(int cue) override { pushes += cue == 3; }
    int pushes = 0;
  };
  std::vector<std::string> Played();

  QuietToolkit toolkit_;
  PushHeard view_;
  Game game_;
};

}  // namespace tumbol
