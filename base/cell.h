#pragma once
// Cell codes of the board and their characters in a map file.
#include <cstdint>

namespace tumbol {

using Cell = int16_t;

constexpr Cell kEmpty = 0;
constexpr Cell kBrick = 1;
constexpr Cell kFirstCube = 2;
constexpr Cell kLastCube = 21;
constexpr Cell kFirstFixedBrick = 22;
constexpr Cell kLastCode = 26;
constexpr Cell kVanishing = -1;  // a cube about to vanish, only while settling
constexpr int kTileCount = 26;

constexpr bool IsCube(int code) { return code >= kFirstCube && code <= kLastCube; }

// The code of a map character: digits 0-9, letters A-Q in either case give
// 10-26. Any other character gives 0 and sets bad.
inline Cell CodeFromChar(char ch, bool& bad) {
  if (ch >= '0' && ch <= '9') return static_cast<Cell>(ch - '0');
  if (ch >= 'A' && ch <= 'Q') return static_cast<Cell>(ch - 55);
  if (ch >= 'a' && ch <= 'q') return static_cast<Cell>(ch - 'a' + 10);
  bad = true;
  return kEmpty;
}

// The character written for a code 0-26.
inline char CharFromCode(int code) {
  return code < 10 ? static_cast<char>('0' + code) : static_cast<char>(code + 55);
}

}  // namespace tumbol
