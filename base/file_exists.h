#pragma once
#include <string>

namespace tumbol {

// The one file test of the game: true only when the path, with surrounding
// blanks removed, names a file whose length can be read and is not 0.
bool FileExists(const std::string& path);

}  // namespace tumbol
