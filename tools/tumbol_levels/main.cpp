// tumbol-levels: checks and plays level maps as the game reads them.
//   tumbol-levels check FILE...
//   tumbol-levels play FILE [ROW,COL,DIR ...]
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "game/map_file.h"
#include "game/quiet_play.h"
#include "shell/file_exists.h"
#include "shell/text_lines.h"
#include "tools/tumbol_levels/levels_tool.h"

namespace tumbol {

bool ReadLevelFile(const std::string& path, Board& board, bool& warning) {
  std::string contents;
  if (!FileExists(path) || !ReadWholeFile(path, contents)) return false;
  warning = false;
  ParseLevelMap(contents, board, warning);
  return true;
}

namespace {

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
    std::printf("%s\n", line.c_str());
    if (warning) status = 1;
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
  QuietPlay play(start);
  std::printf("start: %s\n", QuietPlay::FramesText(play.Settle()).c_str());
  for (int i = 3; i < argc; ++i) {
    int row = 0, col = 0, dir = 0;
    if (!ParseMove(argv[i], row, col, dir)) {
      std::fprintf(stderr, "tumbol-levels: bad move '%s' (want ROW,COL,R or ROW,COL,L)\n", argv[i]);
      return 2;
    }
    std::vector<std::string> frames;
    if (play.Push(row, col, dir, frames))
      std::printf("%s: %s\n", argv[i], QuietPlay::FramesText(frames).c_str());
    else
      std::printf("%s: blocked\n", argv[i]);
  }
  for (int row = 1; row <= play.board().Rows(); ++row)
    std::printf("%s\n", BoardRowText(play.board(), row).c_str());
  const int cubes = play.board().CountCubes();
  if (cubes == 0)
    std::printf("won\n");
  else
    std::printf("cubes: %d\n", cubes);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tumbol-levels check FILE...\n"
               "       tumbol-levels play FILE [ROW,COL,DIR ...]\n"
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
  return tumbol::Usage();
}
