#pragma once
#include <string>

namespace tumbol {

class Toolkit;

// The one file test of the game: true only when the path, with surrounding
// blanks removed, names a file whose length can be read and is not 0.
bool FileExists(const std::string& path);

// Tells the player that the file at path is not there (or cannot be used).
void ShowMissingFile(Toolkit& toolkit, const std::string& path);

}  // namespace tumbol
