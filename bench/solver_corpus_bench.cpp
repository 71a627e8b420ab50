// The solver on boards a player could paint: a corpus made here from a fixed
// seed (a brick floor, up to six shelves, now and then side walls and a wall
// across, 10 to 200 cubes of 2 to 10 kinds, every kind paired or not, no two
// equal cubes touching, every cube at rest). Each board is solved in a child
// process of its own, so its peak memory is its own. Prints, per size:
// boards decided (won or proved lost) out of all, those decided within the
// targets (1 s, 100 MB), the median and worst time and the worst peak memory.
//   solver_corpus_bench [--boards N] [--seed S] [--sizes 10,20,...] [--verbose]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/board.h"
#include "base/map_file.h"
#include "game/solver.h"

namespace tumbol {
namespace {

struct Sample {
  int outcome = -1;  // SolveOutcome, or -1 when the child died
  double seconds = 0;
  long peakKb = 0;
  size_t states = 0;
};

long PeakMemoryKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f) != nullptr)
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  std::fclose(f);
  return kb;
}

// Lands a cube dropped at row, col on what is below it; the row it rests on.
int Landing(const Board& b, int row, int col) {
  while (row < b.Rows() && b.At(row + 1, col) == kEmpty) ++row;
  return row;
}

bool Touches(const Board& b, int row, int col, Cell kind) {
  const int near[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
  for (const auto& d : near)
    if (b.Inside(row + d[0], col + d[1]) && b.At(row + d[0], col + d[1]) == kind) return true;
  return false;
}

// One board of `cubes` cubes, or an empty board when they did not fit.
Board MakeBoard(std::mt19937& rng, int cubes, bool paired) {
  auto roll = [&rng](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
  Board b(kBoardRows, kBoardCols);
  const Cell floorLook = roll(0, 2) == 0 ? static_cast<Cell>(roll(kFirstFixedBrick, kLastCode)) : kBrick;
  for (int c = 1; c <= kBoardCols; ++c) b.At(kBoardRows, c) = floorLook;
  const int shelves = roll(0, 6);
  for (int s = 0; s < shelves; ++s) {
    const int row = roll(4, 14), len = roll(2, 8), from = roll(1, kBoardCols - len + 1);
    for (int c = from; c < from + len; ++c) b.At(row, c) = kBrick;
  }
  if (roll(0, 2) == 0) {
    const int top = roll(2, 12);
    for (int r = top; r < kBoardRows; ++r) b.At(r, 1) = b.At(r, kBoardCols) = kBrick;
  }
  if (roll(0, 3) == 0) {
    const int col = roll(6, 17), top = roll(6, 14);
    for (int r = top; r < kBoardRows; ++r) b.At(r, col) = kBrick;
  }

  const int kinds = std::min(roll(2, 10), std::max(2, cubes / 2));
  std::vector<Cell> bag;
  if (paired) {
    for (int i = 0; i < cubes / 2; ++i) bag.insert(bag.end(), 2, static_cast<Cell>(kFirstCube + i % kinds));
    if (cubes % 2 != 0) bag.push_back(kFirstCube);
  } else {
    for (int i = 0; i < cubes; ++i) bag.push_back(static_cast<Cell>(kFirstCube + roll(0, kinds - 1)));
  }
  std::shuffle(bag.begin(), bag.end(), rng);
  for (int tries = 0; !bag.empty() && tries < 20000; ++tries) {
    const int col = roll(1, kBoardCols), top = roll(1, kBoardRows);
    if (b.At(top, col) != kEmpty) continue;
    const int row = Landing(b, top, col);
    // A kind that does not touch its own kind where it lands.
    for (size_t i = 0; i < bag.size(); ++i)
      if (!Touches(b, row, col, bag[i])) {
        b.At(row, col) = bag[i];
        bag.erase(bag.begin() + static_cast<long>(i));
        break;
      }
  }
  return bag.empty() ? b : Board();
}

std::string MapText(const Board& b) {
  std::string text;
  for (int r = 1; r <= b.Rows(); ++r) text += BoardRowText(b, r) + "\n";
  return text;
}

Sample SolveInChild(const Board& board) {
  int pipeFd[2];
  if (pipe(pipeFd) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipeFd[0]);
    const auto began = std::chrono::steady_clock::now();
    const SolveResult r = DecideLevel(board, kPlayerLimits);
    Sample s;
    s.outcome = static_cast<int>(r.outcome);
    s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    s.peakKb = PeakMemoryKb();
    s.states = r.statesExplored;
    if (write(pipeFd[1], &s, sizeof s) != sizeof s) _exit(1);
    _exit(0);
  }
  close(pipeFd[1]);
  Sample s;
  if (pid < 0 || read(pipeFd[0], &s, sizeof s) != sizeof s) s = Sample{};
  close(pipeFd[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return s;
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  using namespace tumbol;
  int boards = 20;
  unsigned seed = 33;
  bool verbose = false;
  std::vector<int> sizes = {10, 20, 30, 40, 60, 80, 100, 150, 200};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--boards") == 0 && i + 1 < argc) {
      boards = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
      sizes.clear();
      for (char* p = std::strtok(argv[++i], ","); p != nullptr; p = std::strtok(nullptr, ",")) sizes.push_back(std::atoi(p));
    } else if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else {
      std::fprintf(stderr, "usage: solver_corpus_bench [--boards N] [--seed S] [--sizes A,B,...] [--verbose]\n");
      return 2;
    }
  }
  std::printf("%6s %9s %11s %9s %9s %10s %s\n", "cubes", "decided", "in targets", "median s", "worst s", "peak MB",
              "won/lost/unknown");
  for (int size : sizes) {
    std::mt19937 rng(seed * 1000 + static_cast<unsigned>(size));
    std::vector<double> times;
    int decided = 0, inTargets = 0, won = 0, lost = 0, unknown = 0;
    long worstKb = 0;
    for (int i = 0; i < boards; ++i) {
      Board board;
      while (board.Rows() == 0) board = MakeBoard(rng, size, i % 2 == 0);
      const Sample s = SolveInChild(board);
      times.push_back(s.seconds);
      worstKb = std::max(worstKb, s.peakKb);
      const bool ok = s.outcome == static_cast<int>(SolveOutcome::kSolved) ||
                      s.outcome == static_cast<int>(SolveOutcome::kUnsolvable);
      decided += ok;
      inTargets += ok && s.seconds <= 1.0 && s.peakKb <= 100 * 1024;
      won += s.outcome == static_cast<int>(SolveOutcome::kSolved);
      lost += s.outcome == static_cast<int>(SolveOutcome::kUnsolvable);
      unknown += !ok;
      if (verbose)
        std::printf("# %d cubes, board %d (%s): outcome %d, %.3f s, %ld kB, %zu boards\n%s", size,
                    i, i % 2 == 0 ? "paired" : "unpaired", s.outcome, s.seconds, s.peakKb, s.states,
                    MapText(board).c_str());
    }
    std::sort(times.begin(), times.end());
    std::printf("%6d %5d/%-3d %7d/%-3d %9.3f %9.3f %10.1f %d/%d/%d\n", size, decided, boards, inTargets, boards,
                times[times.size() / 2], times.back(), worstKb / 1024.0, won, lost, unknown);
    std::fflush(stdout);
  }
  return 0;
}
