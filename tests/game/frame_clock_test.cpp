#include "game/frame_clock.h"

#include <gtest/gtest.h>

namespace tumbol {
namespace {

TEST(FrameClock, EachFrameIsDueAtTheStartPlusThePausesBeforeIt) {
  struct Step {
    double pause;
    bool starts;
    double now;  // when the frame before was shown (or the sequence asked)
    int waitMs;
  };
  const Step steps[] = {
      {0.00, true, 5.000, 0},    // the slide-in's first frame: at once
      {0.01, false, 5.001, 9},   // due 5.010
      {0.01, false, 5.014, 6},   // shown 4 ms late: due 5.020 all the same
      {0.01, false, 5.045, 0},   // far behind: at once, no waiting for lost time
      {0.03, false, 5.046, 14},  // due 5.060, counted from the start
      {0.10, true, 7.000, 100},  // a new sequence counts from its own start
      {0.03, false, 7.1005, 30}, // due 7.130
  };
  FrameClock clock;
  for (const Step& s : steps) EXPECT_EQ(clock.Next(s.pause, s.starts, s.now), s.waitMs) << s.now;
}

}  // namespace
}  // namespace tumbol
