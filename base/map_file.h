#pragma once
// The level map format: 16 lines of 22 cell characters.
#include <string>

#include "base/board.h"

namespace tumbol {

class Toolkit;

// Builds the 16 x 22 board from a map file's contents. Blank lines are
// skipped; short rows, missing rows and unknown characters give empty cells
// and set warning. Lines after the 16th and characters after the 22nd are
// ignored silently.
void ParseLevelMap(const std::string& contents, Board& board, bool& warning);

// What the game and the editor tell when a map set warning: those cells
// are loaded as empty space.
std::string MapWarningText();

// Reads and parses a map file as the game does; false, board untouched, when
// the file is missing, empty or cannot be read as a data file.
bool ReadLevelFile(const std::string& path, Board& board, bool& warning);

// The map file a number names, "pole<number>.txt"; empty when the number is
// no plain file name part (it holds '/', '\\' or a control character, or is
// "." or ".."), so that no other path is ever reached through it.
std::string MapFileName(const std::string& number);

// Refuses, in a box titled `title`, a map number that names no file.
void RefuseMapNumber(Toolkit& toolkit, const std::string& number, const std::string& title);

// The text of a board as map lines (no line ends), for tools and tests.
std::string BoardRowText(const Board& board, int row);

}  // namespace tumbol
