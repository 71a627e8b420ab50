#pragma once
// For bench/stalls.sh: how long the interface thread stays away from its
// event loop. A timer asks to run every millisecond; the gap between two of
// its runs, less the millisecond, is the time the thread was busy elsewhere
// (a stall the player feels as a late frame or a late answer to a press).
// Enabled by TUMBOL_STALL_WATCH in the start-up only; it prints its figures
// on standard error and then ends the program.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace tumbol {

class StallWatch : public QObject {
 public:
  // Watches for `seconds`, then prints (with `shownAfterMs`, how long the
  // window took to show once the event loop ran) and calls `done`.
  StallWatch(double seconds, double shownAfterMs, std::function<void()> done);
  // The times at which probe's answer changes are printed too (when a
  // sequence of frames starts and ends, when a track starts loading).
  void Probe(const std::string& name, std::function<bool()> probe);

 private:
  void Tick();
  void Report();

  struct Watched {
    std::string name;
    std::function<bool()> probe;
    bool last;
    std::vector<double> changes;  // seconds since the watch started
  };
  QTimer ticks_;
  QElapsedTimer clock_;
  double seconds_;
  double shownAfterMs_;
  std::function<void()> done_;
  qint64 lastNs_ = 0;
  std::vector<double> worstBySecond_;  // ms of the longest stall in each second
  std::vector<std::pair<double, double>> stalls_;  // (seconds, ms) of each stall of 2 ms or more
  std::vector<Watched> watched_;
};

}  // namespace tumbol
