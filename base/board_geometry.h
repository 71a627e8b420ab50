#pragma once
// The board on screen. The rules and the cursor readout take positions in
// points; the board and the editor's surface are drawn in pixels.
#include "base/board.h"

namespace tumbol {

// A cell's side on screen: every tile picture is this square.
constexpr int kCellPixels = 32;
// What the mouse gives in pixels, times this, is what the rules take in points.
constexpr double kPointsPerPixel = 0.75;
// A cell's side in points (24): what CellFromPoint and a push measure by.
constexpr double kCellPoints = kCellPixels * kPointsPerPixel;
// The board picture (and the editor's surface): the 22 x 16 cells and the
// closing line of their grid, 705 x 513.
constexpr int kBoardPixelsWide = kBoardCols * kCellPixels + 1;
constexpr int kBoardPixelsHigh = kBoardRows * kCellPixels + 1;
// Where the board picture sits on the game window's skin.
constexpr int kBoardLeft = 27;
constexpr int kBoardTop = 29;

}  // namespace tumbol
