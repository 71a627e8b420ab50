#include "game/frame_clock.h"

#include <algorithm>
#include <cmath>

namespace tumbol {

int FrameClock::Next(double pause, bool starts, double now) {
  due_ = (starts ? now : due_) + pause;
  // A microsecond's slack keeps a sum of pauses that lands on a whole
  // millisecond from rounding up to the next one.
  return std::max(0, static_cast<int>(std::ceil((due_ - now) * 1000.0 - 1e-3)));
}

}  // namespace tumbol
