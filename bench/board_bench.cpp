// Reading a map, settling a busy board without pauses, and one full redraw of
// 352 tiles onto the offscreen board picture.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "base/map_file.h"
#include "game/qt_board_picture.h"
#include "game/rules.h"

namespace tumbol {
namespace {

std::string BusyMap() {
  std::string text;
  for (int row = 1; row <= 16; ++row) {
    for (int col = 1; col <= 22; ++col) {
      const int code = row == 16 ? 1 : (row * 7 + col * 3) % 20 + 2;
      text += row % 4 == 0 && col % 5 == 0 ? '0' : CharFromCode(code);
    }
    text += "\r\n";
  }
  return text;
}

void BM_ReadMap(benchmark::State& state) {
  const std::string text = BusyMap();
  for (auto _ : state) {
    Board board;
    bool warning = false;
    ParseLevelMap(text, board, warning);
    benchmark::DoNotOptimize(board);
  }
}
BENCHMARK(BM_ReadMap);

void BM_SettleBusyBoard(benchmark::State& state) {
  Board start;
  bool warning = false;
  ParseLevelMap(BusyMap(), start, warning);
  for (auto _ : state) {
    Board board = start;
    SettleQuietly(board);
    benchmark::DoNotOptimize(board);
  }
}
BENCHMARK(BM_SettleBusyBoard);

void BM_RedrawFullBoard(benchmark::State& state) {
  BoardPicture picture;
  QImage background(705, 513, QImage::Format_RGB32);
  background.fill(QColor(20, 24, 40));
  picture.SetBackground(background);
  for (auto _ : state) {
    picture.Clear();
    for (int row = 1; row <= 16; ++row)
      for (int col = 1; col <= 22; ++col) picture.DrawTile((row + col) % 26 + 1, row, col);
    picture.Present();
    benchmark::DoNotOptimize(picture.Frame().constBits());
  }
}
BENCHMARK(BM_RedrawFullBoard)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
