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
  QObject timers;  // ends what is still pending with the test
  bool handled = false;
  QTimer::singleShot(5, &timers, [&] { handled = true; });
  QElapsedTimer clock;
  clock.start();
  tk.Pause(0.1);
  EXPECT_GE(clock.elapsed(), 100);
  EXPECT_TRUE(handled) << "events are handled meanwhile";

  // A handler pauses inside a pause; closing then ends both, and later
  // pauses return at once.
  QTimer::singleShot(10, &timers, [&] { tk.Pause(5); });
  QTimer::singleShot(40, &timers, [&] { tk.BeginClosing(); });
  clock.restart();
  tk.Pause(5);
  EXPECT_LT(clock.elapsed(), 2000);
  tk.Pause(5);
  EXPECT_LT(clock.elapsed(), 2000);
}

}  // namespace
}  // namespace tumbol
