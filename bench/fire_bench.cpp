// One frame of the records window's flames: the simulation step and the
// pixels of both panels.
#include <benchmark/benchmark.h>

#include <QImage>
#include <random>

#include "records/fire.h"
#include "records/qt_form3.h"

namespace {

void BM_FireFrame(benchmark::State& state) {
  tumbol::Fire fire;
  std::mt19937 gen(1);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const std::function<double()> rnd = [&] { return u(gen); };
  QImage left(tumbol::kFlameWidth, tumbol::kFlameHeight, QImage::Format_RGB32);
  QImage right(tumbol::kFlameWidth, tumbol::kFlameHeight, QImage::Format_RGB32);
  for (int i = 0; i < 100; ++i) fire.FireStep(rnd);  // a burning flame, not a cold one
  for (auto _ : state) {
    fire.FireStep(rnd);
    tumbol::PaintFlame(fire, left);
    tumbol::PaintFlame(fire, right);
    benchmark::DoNotOptimize(left.constBits());
    benchmark::DoNotOptimize(right.constBits());
  }
}
BENCHMARK(BM_FireFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
