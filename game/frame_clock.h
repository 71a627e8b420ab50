#pragma once
// When the frames of a sequence fall due: each at the sequence's start plus
// the pauses before it. A frame shown late (a slow paint, a busy machine)
// does not make the frames after it late too; the timer waits only for what
// is left.
namespace tumbol {

class FrameClock {
 public:
  // The next frame comes `pause` seconds after the one before it or, for the
  // first frame of a sequence (`starts`), after `now` (seconds on any steady
  // clock). Returns the milliseconds to wait from now: never less than 0, and
  // rounded up, so that no frame comes early.
  int Next(double pause, bool starts, double now);

 private:
  double due_ = 0;  // when the next frame is due, on the caller's clock
};

}  // namespace tumbol
