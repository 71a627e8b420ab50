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

QuietPlay::QuietPlay() : game_(toolkit_, view_, view_, view_, view_) {}

QuietPlay::QuietPlay(const Board& start) : QuietPlay() { game_.PutBoard(start); }

std::vector<std::string> QuietPlay::Played() {
  std::vector<std::string> kinds;
  for (const Frame& frame : PlayFrames(game_, view_))
    kinds.push_back(frame.kind == Frame::kVanish ? "v" + std::to_string(frame.cells.Count(kVanishing)) : "f");
  return kinds;
}

std::vector<std::string> QuietPlay::Settle() {
  game_.SettleBoard();
  return Played();
}

bool QuietPlay::Push(int row, int col, int dir, std::vector<std::string>& frames) {
  frames.clear();
  // No press lands left of or above the board: such a point would mirror
  // onto the first row or column.
  if (row < 1 || col < 1) return false;
  // A press on the left half pushes right, on the right half pushes left.
  const double x = 24.0 * (col - 1) + (dir > 0 ? 6.0 : 18.0);
  const double y = 24.0 * (row - 1) + 12.0;
  const int pushes = view_.pushes;
  game_.Picture1_MouseDown(x, y);
  frames = Played();
  // The push sound plays exactly when the rules let the cube move.
  return view_.pushes > pushes;
}

std::string QuietPlay::FramesText(const std::vector<std::string>& frames) {
  if (frames.empty()) return "-";
  std::string text;
  for (const auto& f : frames) text += (text.empty() ? "" : " ") + f;
  return text;
}

}  // namespace tumbol
