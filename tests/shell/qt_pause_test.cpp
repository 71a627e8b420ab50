// The real toolkit's pause: the windows live on for its whole time, and a
// closing program ends every pause, those running (nested too) at once.
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include "shell/qt_toolkit.h"

namespace tumbol {
namespace {

TEST(QtToolkitPause, LastsItsTimeWithEventsHandledUntilClosingEndsThemAll) {
  QtToolkit tk;
  QElapsedTimer clock;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(5);
  clock.start();
  tk.Pause(0.1);
  EXPECT_GE(clock.elapsed(), 100);
  EXPECT_GT(ticks, 2) << "events are handled meanwhile";
  timer.stop();

  // A handler pauses inside a pause; closing then ends both, and later
  // pauses return at once.
  QTimer::singleShot(10, &timer, [&] { tk.Pause(5); });
  QTimer::singleShot(40, &timer, [&] { tk.BeginClosing(); });
  clock.restart();
  tk.Pause(5);
  EXPECT_LT(clock.elapsed(), 2000);
  tk.Pause(5);
  EXPECT_LT(clock.elapsed(), 2000);
}

}  // namespace
}  // namespace tumbol
