#include "game/quiet_play.h"


namespace tumbol {

QuietPlay::QuietPlay() : game_(toolkit_, *this, *this, *this, *this) {}

QuietPlay::QuietPlay(const Board& start) : QuietPlay() { game_.board = start; }

void QuietPlay::Present() {
  // A frame follows each pause; the pause's length tells which kind it is.
  if (frames_ == nullptr || toolkit_.pauses.size() == pausesSeen_) return;
  const double pause = toolkit_.pauses.back();
  pausesSeen_ = toolkit_.pauses.size();
  if (pause > 0.05)
    frames_->push_back("v" + std::to_string(bursts_));
  else
    frames_->push_back("f");
}

std::vector<std::string> QuietPlay::Settle() {
  std::vector<std::string> frames;
  frames_ = &frames;
  pausesSeen_ = toolkit_.pauses.size();
  game_.SettleBoard();
  frames_ = nullptr;
  return frames;
}

bool QuietPlay::Push(int row, int col, int dir, std::vector<std::string>& frames) {
  frames.clear();
  // No press lands left of or above the board: such a point would mirror
  // onto the first row or column.
  if (row < 1 || col < 1) return false;
  // A press on the left half pushes right, on the right half pushes left.
  const double x = 24.0 * (col - 1) + (dir > 0 ? 6.0 : 18.0);
  const double y = 24.0 * (row - 1) + 12.0;
  const int pushSounds = cues_[3];
  frames_ = &frames;
  pausesSeen_ = toolkit_.pauses.size();
  game_.Picture1_MouseDown(x, y);
  frames_ = nullptr;
  // The push sound plays exactly when the rules let the cube move.
  return cues_[3] > pushSounds;
}

std::string QuietPlay::FramesText(const std::vector<std::string>& frames) {
  if (frames.empty()) return "-";
  std::string text;
  for (const auto& f : frames) text += (text.empty() ? "" : " ") + f;
  return text;
}

}  // namespace tumbol
