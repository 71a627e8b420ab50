#include "game/quiet_play.h"

namespace tumbol {

std::vector<Frame> PlayFrames(Game& game, QuietView& view, const std::function<void(double)>& wait) {
  std::vector<Frame> shown;
  while (const Frame* next = game.PendingFrame()) {
    if (wait) wait(view.frameDue);
    view.frameDue = -1;
    shown.push_back(*next);
    game.ShowNextFrame();
  }
  return shown;
}

}  // namespace tumbol
