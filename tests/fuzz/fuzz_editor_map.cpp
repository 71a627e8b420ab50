// Feeds arbitrary bytes to the editor's map reader, then writes what it read
// and reads that again: the board must come back cell for cell.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/editor_map.h"

using namespace tumbol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  const Board before(2, 5);
  Board board = before;
  bool warning = false;
  const EditorReadResult result = ReadEditorMap(contents, board, warning);
  if (result != EditorReadResult::kRead) {
    // A refused file leaves the board alone.
    if (board != before) abort();
    return 0;
  }
  if (board.Rows() < 1 || board.Cols() < 1 || board.Rows() > kEditorMaxExtent || board.Cols() > kEditorMaxExtent ||
      static_cast<long long>(board.Rows()) * board.Cols() > kEditorMaxCells)
    abort();
  for (int row = 1; row <= board.Rows(); ++row)
    for (int col = 1; col <= board.Cols(); ++col)
      if (board.At(row, col) < 0 || board.At(row, col) > kLastCode) abort();

  const std::string written = WriteEditorMap(board);
  if (written.size() != static_cast<size_t>(board.Rows()) * (board.Cols() + 2)) abort();
  Board again;
  bool warningAgain = false;
  if (ReadEditorMap(written, again, warningAgain) != EditorReadResult::kRead) abort();
  if (warningAgain || again != board) abort();
  // Writing is stable: the second file is the first one.
  if (WriteEditorMap(again) != written) abort();
  return 0;
}
