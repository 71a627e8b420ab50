// The window outline from the shipped skin, against a plain scan that only
// reads every pixel of the same picture.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include "shell/qt_region.h"

namespace tumbol {
namespace {

QImage Skin() {
  static const QImage skin =
      QImage(QStringLiteral(TUMBOL_SOURCE_DIR "/data/skins.bmp")).convertToFormat(QImage::Format_RGB32);
  return skin;
}

void BM_PlainScan(benchmark::State& state) {
  const QImage image = Skin();
  for (auto _ : state) {
    uint64_t sum = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) sum += image.pixel(x, y) != 0xFFFFFFFFu;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMillisecond);

void BM_RegionBuild(benchmark::State& state) {
  const QImage image = Skin();
  for (auto _ : state) benchmark::DoNotOptimize(MakeRegionFromPicture(image, kPureWhite, nullptr));
}
BENCHMARK(BM_RegionBuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
