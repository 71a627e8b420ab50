#pragma once
#include <string>

#include "game/board.h"

namespace tumbol {

// Reads a map file as the game does; false when it is missing or empty.
bool ReadLevelFile(const std::string& path, Board& board, bool& warning);

}  // namespace tumbol
