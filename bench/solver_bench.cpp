// Solving the shipped levels: time per level, boards seen and boards per
// second; all fifteen in one go, the figure that must stay under a second;
// a fourteen-cube board of five kinds on open terraces (under 2 s); and
// forty cubes of twenty kinds, which must end, unknown, in bounded memory.
#include <benchmark/benchmark.h>

#include <string>

#include "base/map_file.h"
#include "game/solver.h"

namespace tumbol {
namespace {

Board Level(int n) {
  Board board;
  bool warning = false;
  ReadLevelFile(std::string(TUMBOL_SOURCE_DIR) + "/data/pole" + std::to_string(n) + ".txt", board, warning);
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

Board FromRows(const char* const (&rows)[kBoardRows]) {
  std::string text;
  for (const char* row : rows) text += std::string(row) + "\r\n";
  Board board;
  bool warning = false;
  ParseLevelMap(text, board, warning);
  return board;
}

void SolveAndReport(benchmark::State& state, const Board& board) {
  SolveResult r;
  for (auto _ : state) r = SolveLevel(board);
  state.counters["pushes"] = static_cast<double>(r.moves.size());
  state.counters["states"] = static_cast<double>(r.statesExplored);
  state.counters["storeMB"] = static_cast<double>(r.storeBytes) / 1e6;
  state.SetLabel(r.outcome == SolveOutcome::kSolved ? "solved" : r.outcome == SolveOutcome::kUnsolvable ? "unsolvable" : "unknown");
}

void BM_SolveFourteenCubes(benchmark::State& state) {
  const Board board = FromRows({
      "0000000000000000000000", "0000000000000000000000", "0000000000000000000000", "0200000000000000002000",
      "0NNNNN000000000000NNNN", "0000000000000000000000", "0000035000000004200000", "0000NNNNN0000NNNNN0000",
      "0000000000000000000000", "0006000000000000000000", "0NNNN0NN00000NN0NNNN00", "0000000000000000000000",
      "0000000000000300000000", "00NN0NNNN0000NNNN0NN00", "0340000502006000000300", "NNNNNNNNNNNNNNNNNNNNNN"});
  SolveAndReport(state, board);
}
BENCHMARK(BM_SolveFourteenCubes)->Unit(benchmark::kMillisecond);

void BM_SolveFortyCubes(benchmark::State& state) {
  const Board board = FromRows({
      "0000000000000000000000", "0000000000000000000000", "0000000000000000000000", "0000000000000000000000",
      "0000000000000000000000", "0000000000000000000000", "0000000000000000000000", "0000000000000000000000",
      "0000000000000000000000", "0000000000000000000000", "0000000000000000000000", "0000000000000000000000",
      "23456789ABCDEFGHIJKL00", "LKJIHGFEDCBA9876543200", "0000000000000000000000", "1111111111111111111111"});
  SolveAndReport(state, board);
}
BENCHMARK(BM_SolveFortyCubes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tumbol

BENCHMARK_MAIN();
