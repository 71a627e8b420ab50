// tumbol-levels: checks and plays level maps as the game reads them.
//   tumbol-levels check FILE...
//   tumbol-levels play FILE [ROW,COL,DIR ...]
//   tumbol-levels solve [--limit N] FILE
//   tumbol-levels traps [--limit N] FILE
//   tumbol-levels generate --seed S --difficulty D [--count K] [--out DIR]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/map_file.h"
#include "base/data_file.h"
#include "game/level_generator.h"
#include "game/level_metrics.h"
#include "game/level.h"
#include "game/solver.h"

namespace tumbol {

namespace {

std::string SolveText(const SolveResult& r) {
  switch (r.outcome) {
    case SolveOutcome::kSolved:
      return "solvable in " + std::to_string(r.moves.size()) + " pushes" +
             (r.shortest ? "" : " (fewer not ruled out)");
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
    // As the game decides a board: within the player's limits.
    const SolveResult solved = FindWin(board, kPlayerLimits);
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

// A whole positive number from text, or false.
bool ParseCount(const char* text, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return *text != '\0' && *end == '\0' && value > 0 && value < 1000000;
}

// The shipped levels beside the tool, as the build lays them out.
std::vector<Board> ShippedLevels(std::vector<std::string>& names) {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
  dir = dir.substr(0, dir.find_last_of('/') + 1);
  std::vector<Board> levels;
  for (int i = 1; i <= 15; ++i) {
    Board board;
    bool warning = false;
    const std::string name = "pole" + std::to_string(i) + ".txt";
    if (!dir.empty() && ReadLevelFile(dir + name, board, warning)) {
      levels.push_back(board);
      names.push_back(name);
    }
  }
  return levels;
}

int Generate(int argc, char** argv) {
  long seed = -1, difficulty = -1, count = 1;
  std::string out = ".";
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    bool ok = true;
    if (option == "--seed") {
      char* end = nullptr;
      seed = std::strtol(argv[i + 1], &end, 10);
      ok = *argv[i + 1] != '\0' && *end == '\0' && seed >= 0 && seed <= UINT32_MAX;
    } else if (option == "--difficulty") {
      ok = ParseCount(argv[i + 1], difficulty) && difficulty <= kMaxDifficulty;
    } else if (option == "--count") {
      ok = ParseCount(argv[i + 1], count) && count <= 100;
    } else if (option == "--out") {
      out = argv[i + 1];
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "tumbol-levels: bad %s '%s'\n", argv[i], argv[i + 1]);
      return 2;
    }
  }
  if (argc % 2 != 0 || seed < 0 || difficulty < 0) {
    std::fprintf(stderr, "tumbol-levels: generate wants --seed S --difficulty 1..10 [--count K] [--out DIR]\n");
    return 2;
  }
  std::vector<std::string> names;
  const std::vector<Board> shipped = ShippedLevels(names);
  const std::vector<GeneratedLevel> levels =
      GenerateLevels(static_cast<uint32_t>(seed), static_cast<int>(difficulty), static_cast<int>(count), shipped);
  for (size_t k = 0; k < levels.size(); ++k) {
    const GeneratedLevel& level = levels[k];
    const std::string name = "gen" + std::to_string(seed) + "-" + std::to_string(difficulty) + "-" + std::to_string(k + 1);
    const std::string path = out + "/pole" + name + ".txt";
    std::string text;
    for (int r = 1; r <= level.board.Rows(); ++r) text += BoardRowText(level.board, r) + "\r\n";
    std::string reason;
    if (!WriteDataFile(path, text, reason)) {
      std::fprintf(stderr, "tumbol-levels: %s: %s\n", path.c_str(), reason.c_str());
      return 1;
    }
    int losing = 0, tempting = 0;
    for (const Trap& trap : FindTraps(level.board, level.moves, 20000)) {
      losing += !trap.unknown;
      tempting += !trap.unknown && trap.vanishes;
    }
    std::string shared = "shared bricks -";
    if (level.sharedWith >= 0) {
      const size_t with = static_cast<size_t>(level.sharedWith);
      char figure[32];
      std::snprintf(figure, sizeof figure, "%.2f", level.sharedBricks);
      shared = std::string("shared bricks ") + figure + " with " +
               (with < names.size() ? names[with]
                                          : "polegen" + std::to_string(seed) + "-" + std::to_string(difficulty) + "-" +
                                                std::to_string(with - names.size() + 1) + ".txt");
    }
    std::printf("%s: %d cubes, pushes %zu, decisions %d, chains %d, traps %d (%d), %s\n", path.c_str(),
                level.board.CountCubes(), level.moves.size(), level.decisions, level.chains, losing, tempting,
                shared.c_str());
  }
  if (static_cast<long>(levels.size()) < count) {
    std::fprintf(stderr, "tumbol-levels: only %zu of %ld levels found\n", levels.size(), count);
    return 1;
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tumbol-levels check FILE...\n"
               "       tumbol-levels play FILE [ROW,COL,DIR ...]\n"
               "       tumbol-levels solve [--limit N] FILE\n"
               "       tumbol-levels traps [--limit N] FILE\n"
               "       tumbol-levels generate --seed S --difficulty D [--count K] [--out DIR]\n"
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
  if (verb == "generate") return tumbol::Generate(argc, argv);
  return tumbol::Usage();
}
