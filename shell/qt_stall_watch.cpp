#include "shell/qt_stall_watch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tumbol {

StallWatch::StallWatch(double seconds, double shownAfterMs, std::function<void()> done)
    : seconds_(seconds),
      shownAfterMs_(shownAfterMs),
      done_(std::move(done)),
      worstBySecond_(static_cast<size_t>(std::ceil(seconds)), 0.0) {
  ticks_.setTimerType(Qt::PreciseTimer);
  ticks_.setInterval(1);
  connect(&ticks_, &QTimer::timeout, this, &StallWatch::Tick);
  clock_.start();
  ticks_.start();
}

void StallWatch::Probe(const std::string& name, std::function<bool()> probe) {
  const bool now = probe();
  watched_.push_back({name, std::move(probe), now, {}});
}

void StallWatch::Tick() {
  const qint64 ns = clock_.nsecsElapsed();
  const double at = ns / 1e9;
  const double stall = std::max(0.0, (ns - lastNs_) / 1e6 - 1.0);
  lastNs_ = ns;
  const size_t second = std::min(worstBySecond_.size() - 1, static_cast<size_t>(at));
  worstBySecond_[second] = std::max(worstBySecond_[second], stall);
  if (stall >= 2) stalls_.emplace_back(at - stall / 1e3, stall);
  for (Watched& w : watched_) {
    const bool now = w.probe();
    if (now != w.last) w.changes.push_back(at);
    w.last = now;
  }
  if (at >= seconds_) Report();
}

void StallWatch::Report() {
  ticks_.stop();
  std::fprintf(stderr, "stall watch: window shown in the event loop's first turn, ms: %.1f\n", shownAfterMs_);
  std::fprintf(stderr, "stall watch: longest stall in each second, ms:");
  for (double worst : worstBySecond_) std::fprintf(stderr, " %.1f", worst);
  std::fprintf(stderr, "\nstall watch: stalls of 2 ms or more, s:ms:");
  for (const auto& [at, ms] : stalls_) std::fprintf(stderr, " %.4f:%.1f", at, ms);
  std::fprintf(stderr, "\n");
  for (const Watched& w : watched_) {
    std::fprintf(stderr, "stall watch: %s changes at, s:", w.name.c_str());
    for (double at : w.changes) std::fprintf(stderr, " %.4f", at);
    std::fprintf(stderr, "\n");
  }
  std::fflush(stderr);
  if (done_) done_();
}

}  // namespace tumbol
