// tumbol-levels: checks and plays level maps as the game reads them.
//   tumbol-levels check FILE...
//   tumbol-levels play FILE [ROW,COL,DIR ...]
//   tumbol-levels solve [--limit N] FILE
//   tumbol-levels traps [--limit N] FILE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "base/map_file.h"
#include "game/level_metrics.h"
#include "game/level.h"
#include "game/solver.h"

namespace tumbol {

namespace {

std::string SolveText(const SolveResult& r) {
  switch (r.outcome) {
    case SolveOutcome::kSolved:
      return "solvable in " + std::to_string(r.moves.size()) + " pushes";
    case SolveOutcome::kUnsolvable:
      return "unsolvable";
    case SolveOutcome::kUnknown:
      break;
  }
  return "unknown";
}

int Check(int argc, char** argv) {
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    Board board;
    bool warning = false;
    if (!ReadLevelFile(argv[i], board, warning)) {
      std::printf("%s: missing\n", argv[i]);
      status = 1;
      continue;
    }
    std::string line = std::string(argv[i]) + ": " + (warning ? "warning" : "ok") + ", " +
                       std::to_string(board.CountCubes()) + " cubes";
    const SolveResult solved = SolveLevel(board);
    line += ", " + SolveText(solved);
    std::printf("%s\n", line.c_str());
    if (warning || solved.outcome != SolveOutcome::kSolved) status = 1;
  }
  return status;
}

bool ParseMove(const std::string& text, int& row, int& col, int& dir) {
  char d = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%c%c", &row, &col, &d, &extra) != 3) return false;
  if (d != 'R' && d != 'L') return false;
  dir = d == 'R' ? +1 : -1;
  return true;
}

int Play(int argc, char** argv) {
  Board start;
  bool warning = false;
  if (!ReadLevelFile(argv[2], start, warning)) {
    std::fprintf(stderr, "tumbol-levels: %s: missing or empty map file\n", argv[2]);
    return 2;
  }
  Level level(start);
  std::printf("start: %s\n", FramesText(level.Settle()).c_str());
  for (int i = 3; i < argc; ++i) {
    int row = 0, col = 0, dir = 0;
    if (!ParseMove(argv[i], row, col, dir)) {
      std::fprintf(stderr, "tumbol-levels: bad move '%s' (want ROW,COL,R or ROW,COL,L)\n", argv[i]);
      return 2;
    }
    if (const std::optional<PushFrames> push = level.Push(row, col, dir))
      std::printf("%s: %s\n", argv[i], FramesText(push->frames).c_str());
    else
      std::printf("%s: blocked\n", argv[i]);
  }
  for (int row = 1; row <= level.board().Rows(); ++row)
    std::printf("%s\n", BoardRowText(level.board(), row).c_str());
  if (level.Status() == LevelStatus::kWon)
    std::printf("won\n");
  else
    std::printf("cubes: %d\n", level.board().CountCubes());
  return 0;
}

std::string MoveText(const SolverMove& m) {
  return std::to_string(m.row) + "," + std::to_string(m.col) + "," + (m.dir > 0 ? "R" : "L");
}

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

// What solve and traps work on: [--limit N] FILE, and the level read from it.
struct SolveJob {
  size_t limit = kDefaultSolverStateLimit;
  const char* path = nullptr;
  Board board;
};

// False after a message.
bool ReadSolveArgs(int argc, char** argv, SolveJob& job) {
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const unsigned long long n = std::strtoull(argv[++i], &end, 10);
      if (*argv[i] == '\0' || *end != '\0' || n == 0) {
        std::fprintf(stderr, "tumbol-levels: --limit wants a positive number of states\n");
        return false;
      }
      job.limit = static_cast<size_t>(n);
    } else if (job.path == nullptr) {
      job.path = argv[i];
    } else {
      std::fprintf(stderr, "tumbol-levels: %s takes one map file\n", argv[1]);
      return false;
    }
  }
  if (job.path == nullptr) return false;
  bool warning = false;
  if (!ReadLevelFile(job.path, job.board, warning)) {
    std::fprintf(stderr, "tumbol-levels: %s: missing or empty map file\n", job.path);
    return false;
  }
  return true;
}

// Prints the verdict of an unsolved level; its exit status.
int Unsolved(const SolveResult& r) {
  if (r.outcome == SolveOutcome::kUnsolvable) {
    std::printf("unsolvable\n");
    return 1;
  }
  std::printf("unknown\n");
  return 3;
}

int Solve(int argc, char** argv) {
  SolveJob job;
  if (!ReadSolveArgs(argc, argv, job)) return 2;
  const Board& board = job.board;
  const SolveResult r = SolveLevel(board, job.limit);
  std::fprintf(stderr, "%s: %zu states in %.3f s, %.0f states/s, peak memory %ld kB\n", job.path,
               r.statesExplored, r.seconds, r.seconds > 0 ? r.statesExplored / r.seconds : 0.0,
               PeakMemoryKb());
  if (r.outcome != SolveOutcome::kSolved) return Unsolved(r);
  const std::vector<SolverMove> moves = GroupRuns(board, r.moves);
  for (const SolverMove& m : moves) std::printf("%s\n", MoveText(m).c_str());
  const SolutionShape shape = MeasureSolution(board, moves);
  std::printf("pushes: %zu\ndecisions: %d\nchains: %d\n", r.moves.size(), shape.decisions, shape.chains);
  return 0;
}

int Traps(int argc, char** argv) {
  SolveJob job;
  if (!ReadSolveArgs(argc, argv, job)) return 2;
  const SolveResult r = SolveLevel(job.board, job.limit);
  if (r.outcome != SolveOutcome::kSolved) return Unsolved(r);
  const std::vector<Trap> traps = FindTraps(job.board, r.moves, job.limit);
  for (const Trap& t : traps)
    std::printf("%d %s%s%s\n", t.step, MoveText(t.move).c_str(), t.vanishes ? " *" : "", t.unknown ? " unknown" : "");
  std::printf("traps: %zu\n", traps.size());
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tumbol-levels check FILE...\n"
               "       tumbol-levels play FILE [ROW,COL,DIR ...]\n"
               "       tumbol-levels solve [--limit N] FILE\n"
               "       tumbol-levels traps [--limit N] FILE\n"
               );
  return 2;
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  if (argc < 3) return tumbol::Usage();
  const std::string verb = argv[1];
  if (verb == "check") return tumbol::Check(argc, argv);
  if (verb == "play") return tumbol::Play(argc, argv);
  if (verb == "solve") return tumbol::Solve(argc, argv);
  if (verb == "traps") return tumbol::Traps(argc, argv);
  return tumbol::Usage();
}
