#include "game/frames.h"

#include "game/rules.h"

namespace tumbol {

std::vector<Frame> SettleFrames(Board& board) {
  std::vector<Frame> frames;
  // After a burst the board is shown once more as a fall frame, whether or
  // not anything falls into the gap: the burst pictures need clearing.
  bool changed = false;
  for (;;) {
    if (GravityPass(board)) changed = true;
    if (changed) {
      frames.push_back({Frame::kFall, kFallPause, board});
      changed = false;
      continue;
    }
    if (!MarkPairs(board)) break;
    frames.push_back({Frame::kVanish, kVanishPause, board});
    board.Replace(kVanishing, kEmpty);
    changed = true;
  }
  return frames;
}

std::vector<Frame> SlideInFrames(const Board& level) {
  const int rows = level.Rows();
  std::vector<Frame> frames;
  Board shown(rows, level.Cols());
  for (int k = rows; k >= 1; --k) {
    // The level's rows k..rows fill the top of the board.
    for (int src = k; src <= rows; ++src)
      for (int col = 1; col <= level.Cols(); ++col) shown.At(src - k + 1, col) = level.At(src, col);
    frames.push_back({Frame::kSlide, k == rows ? 0.0 : kSlidePause, shown});
  }
  // The whole level stays one more pause before it settles.
  frames.push_back({Frame::kSlide, kSlidePause, level});
  return frames;
}

std::string FramesText(const std::vector<Frame>& frames) {
  if (frames.empty()) return "-";
  std::string text;
  for (const Frame& frame : frames) {
    if (!text.empty()) text += ' ';
    text += frame.kind == Frame::kVanish ? "v" + std::to_string(frame.cells.Count(kVanishing))
            : frame.kind == Frame::kFall ? "f"
                                         : "s";
  }
  return text;
}

int DrawFrame(const Board& cells, BoardSurface& surface) {
  int vanishing = 0;
  surface.Clear();
  for (int row = 1; row <= cells.Rows(); ++row) {
    for (int col = 1; col <= cells.Cols(); ++col) {
      const Cell cell = cells.At(row, col);
      if (cell == kVanishing) {
        surface.DrawBurst(row, col);
        ++vanishing;
      } else if (cell > 0) {
        surface.DrawTile(cell, row, col);
      }
    }
  }
  surface.Present();
  return vanishing;
}

}  // namespace tumbol
