#pragma once
// Test boards: a 16 x 22 board (or its map file's text) whose bottom rows are
// the given map lines, each padded with empty cells to the full width.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/map_file.h"

namespace tumbol {

inline std::string BottomRowsText(const std::vector<std::string>& rows) {
  std::string text;
  for (int i = 0; i < kBoardRows - static_cast<int>(rows.size()); ++i) text += std::string(22, '0') + "\r\n";
  for (const auto& r : rows) text += r + std::string(22 - r.size(), '0') + "\r\n";
  return text;
}

inline Board BottomRows(const std::vector<std::string>& rows) {
  Board board;
  bool warning = false;
  ParseLevelMap(BottomRowsText(rows), board, warning);
  EXPECT_FALSE(warning);
  return board;
}

}  // namespace tumbol
