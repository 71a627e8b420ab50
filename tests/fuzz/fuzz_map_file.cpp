// Feeds arbitrary bytes to the game's level map reader: it must always build a
// whole 16 x 22 board of known codes and never read past a line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/map_file.h"

using namespace tumbol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  Board board(3, 3);
  board.At(1, 1) = 7;  // must not survive the read
  bool warning = false;
  ParseLevelMap(contents, board, warning);
  if (board.Rows() != kBoardRows || board.Cols() != kBoardCols) abort();
  for (int row = 1; row <= kBoardRows; ++row) {
    for (int col = 1; col <= kBoardCols; ++col) {
      const Cell code = board.At(row, col);
      if (code < 0 || code > kLastCode) abort();
    }
    if (BoardRowText(board, row).size() != static_cast<size_t>(kBoardCols)) abort();
  }
  // A board read without complaint reads back the same from its own text.
  if (!warning) {
    std::string text;
    for (int row = 1; row <= kBoardRows; ++row) text += BoardRowText(board, row) + "\r\n";
    Board again;
    bool warningAgain = false;
    ParseLevelMap(text, again, warningAgain);
    if (warningAgain || again != board) abort();
  }
  return 0;
}
