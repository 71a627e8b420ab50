// Solving the shipped levels: time per level, boards seen and boards per
// second; and all fifteen in one go, the figure that must stay under a
// second.
#include <benchmark/benchmark.h>

#include <string>

#include "game/solver.h"
#include "game/map_file.h"
#include "shell/data_file.h"

namespace tumbol {
namespace {

Board Level(int n) {
  std::string text;
  ReadDataFile(std::string(TUMBOL_SOURCE_DIR) + "/data/pole" + std::to_string(n) + ".txt", text);
  Board board;
  bool warning = false;
  ParseLevelMap(text, board, warning);
  return board;
}

void BM_SolveLevel(benchmark::State& state) {
  const Board board = Level(static_cast<int>(state.range(0)));
  SolveResult r;
  for (auto _ : state) {
    r = SolveLevel(board);
    benchmark::DoNotOptimize(r.statesExplored);
  }
  state.counters["pushes"] = static_cast<double>(r.moves.size());
  state.counters["states"] = static_cast<double>(r.statesExplored);
  state.counters["states/s"] = benchmark::Counter(static_cast<double>(r.statesExplored) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
  if (r.outcome != SolveOutcome::kSolved) state.SkipWithError("level not solved");
}
BENCHMARK(BM_SolveLevel)->DenseRange(1, 15)->Unit(benchmark::kMillisecond);

void BM_SolveAllLevels(benchmark::State& state) {
  std::vector<Board> levels;
  for (int n = 1; n <= 15; ++n) levels.push_back(Level(n));
  for (auto _ : state)
    for (const Board& b : levels) benchmark::DoNotOptimize(SolveLevel(b).statesExplored);
}
BENCHMARK(BM_SolveAllLevels)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tumbol

BENCHMARK_MAIN();
