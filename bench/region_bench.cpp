// The window outline from the skin, against a plain scan that only reads
// every pixel of the same picture. Prints a summary ratio after the table.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "shell/qt_region.h"

namespace tumbol {
namespace {

// The shipped skin, or, without it, a face of the same size with rounded
// corners and a few holes, so the runs look alike.
const QImage& Skin() {
  static const QImage skin = [] {
    const QString path = QStringLiteral(TUMBOL_SOURCE_DIR "/data/skins.bmp");
    if (QFileInfo::exists(path)) return QImage(path).convertToFormat(QImage::Format_RGB32);
    std::fprintf(stderr, "no data/skins.bmp: timing a made-up face\n");
    QImage face(760, 614, QImage::Format_RGB32);
    face.fill(Qt::white);
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, 760, 614), 40, 40);
    outline.addEllipse(QRectF(690, 5, 40, 40));
    painter.fillPath(outline, QColor(60, 70, 120));
    return face;
  }();
  return skin;
}

// Reads every pixel once and counts the opaque ones: the floor for any scan.
int64_t PlainScan(const QImage& image) {
  int64_t opaque = 0;
  const int width = image.width();
  const int height = image.height();
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < width; ++x) opaque += (row[x] & 0xFFFFFFu) != 0xFFFFFFu;
  }
  return opaque;
}

std::vector<RunRect> RunsViaRows(const QImage& image) {
  return MakeRegionRunsFromRows(image.width(), image.height(), reinterpret_cast<const uint32_t*>(image.constBits()),
                                image.bytesPerLine(), kPureWhite);
}

void BM_PlainScan(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PlainScan(Skin()));
}
BENCHMARK(BM_PlainScan)->Unit(benchmark::kMicrosecond);

void BM_RunsViaRows(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RunsViaRows(Skin()));
}
BENCHMARK(BM_RunsViaRows)->Unit(benchmark::kMicrosecond);

// The whole build as the game does it: scan, join equal rows, one setRects.
void BM_RegionFromPicture(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(MakeRegionFromPicture(Skin(), kPureWhite));
}
BENCHMARK(BM_RegionFromPicture)->Unit(benchmark::kMicrosecond);

void BM_SetRectsUnjoinedRuns(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RegionFromRects(RunsViaRows(Skin())));
}
BENCHMARK(BM_SetRectsUnjoinedRuns)->Unit(benchmark::kMicrosecond);

template <typename F>
double MedianMicroseconds(F&& work) {
  std::vector<double> times;
  for (int i = 0; i < 31; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + 15, times.end());
  return times[15];
}

void PrintSummary() {
  const QImage& image = Skin();
  const auto runs = RunsViaRows(image);
  const QRegion region = MakeRegionFromPicture(image, kPureWhite);
  const double plain = MedianMicroseconds([&] { benchmark::DoNotOptimize(PlainScan(image)); });
  const double scan = MedianMicroseconds([&] { benchmark::DoNotOptimize(RunsViaRows(image)); });
  const double build = MedianMicroseconds([&] { benchmark::DoNotOptimize(MakeRegionFromPicture(image, kPureWhite)); });
  std::printf("\nskin %dx%d: %zu runs, %d rectangles in the region\n", image.width(), image.height(), runs.size(),
              region.rectCount());
  std::printf("median of 31: plain scan %.0f us; runs %.0f us (%.2fx)\n", plain, scan, scan / plain);
  std::printf("region built at once %.0f us (%.2fx the plain scan)\n", build, build / plain);
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  tumbol::PrintSummary();
  return 0;
}
