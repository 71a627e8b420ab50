#pragma once
// The board's animations as data: the pictures a settling or a level's
// slide-in shows, each with the pause before it. The game computes them at
// once and the window plays them on one timer, so no rule ever runs while
// another waits for a frame.
#include <string>
#include <vector>

#include "base/board.h"
#include "base/seams.h"

namespace tumbol {

struct Frame {
  enum Kind { kSlide, kFall, kVanish };
  Kind kind;
  double pause;  // seconds between the previous frame and this one
  Board cells;   // kVanishing cells show the burst and sound the vanish cue
};

constexpr double kFallPause = 0.03;
constexpr double kVanishPause = 0.1;
constexpr double kSlidePause = 0.01;

// Settles the board (cubes fall one row a frame, touching pairs burst and go)
// and returns the frames that show it; the board is left at rest.
std::vector<Frame> SettleFrames(Board& board);

// The level rising into view from its bottom row up, one row a frame, the
// first due at once; the last two frames are the whole level.
std::vector<Frame> SlideInFrames(const Board& level);

// The kinds of frames, for the level tool and the tests: "f" a fall frame,
// "vN" a vanish frame emptying N cells, "s" a slide frame, joined by blanks;
// "-" when there are none.
std::string FramesText(const std::vector<Frame>& frames);

// Paints a frame: tiles, and bursts where cubes vanish. Returns how many
// cubes vanish in it.
int DrawFrame(const Board& cells, BoardSurface& surface);

}  // namespace tumbol
