// From a push to the lost sign's decision: for every board on each shipped
// level's shortest solution and every legal push from it, the time the
// worker's search takes on the settled board after that push. Prints the
// median and the worst per level, and how many were proven lost.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/map_file.h"
#include "game/level.h"
#include "game/solver.h"

namespace tumbol {
namespace {

int Run() {
  std::printf("level  pushes tried  median ms  worst ms  lost  unknown\n");
  std::vector<double> all;
  for (int n = 1; n <= 15; ++n) {
    Board board;
    bool warning = false;
    if (!ReadLevelFile(std::string(TUMBOL_SOURCE_DIR) + "/data/pole" + std::to_string(n) + ".txt", board, warning))
      continue;
    Level level(board);
    level.Settle();
    std::vector<double> ms;
    int lost = 0, unknown = 0;
    for (const SolverMove& next : SolveLevel(level.board()).moves) {
      for (int row = 1; row <= board.Rows(); ++row)
        for (int col = 1; col <= board.Cols(); ++col)
          for (const int dir : {-1, 1}) {
            Level after(level.board());
            if (!after.Push(row, col, dir)) continue;
            const auto start = std::chrono::steady_clock::now();
            const SolveResult r = FindWin(after.board(), kPlayerLimits);
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            lost += r.outcome == SolveOutcome::kUnsolvable;
            unknown += r.outcome == SolveOutcome::kUnknown;
          }
      level.Push(next.row, next.col, next.dir);
    }
    if (ms.empty()) continue;
    all.insert(all.end(), ms.begin(), ms.end());
    std::sort(ms.begin(), ms.end());
    std::printf("%5d  %12zu  %9.2f  %8.2f  %4d  %7d\n", n, ms.size(), ms[ms.size() / 2], ms.back(), lost, unknown);
  }
  if (all.empty()) return 1;
  std::sort(all.begin(), all.end());
  std::printf("all    %12zu  %9.2f  %8.2f\n", all.size(), all[all.size() / 2], all.back());
  return 0;
}

}  // namespace
}  // namespace tumbol

int main() { return tumbol::Run(); }
