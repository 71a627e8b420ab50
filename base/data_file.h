#pragma once
// Reading and writing the files that lie beside the program. Any of them may
// have been swapped for a FIFO, a device, a folder or something huge; the
// reader takes only a regular file of sane size, so a read can neither block
// nor run the game out of memory. The writer never leaves a half-written file
// behind and keeps what the player set up around it.
#include <cstddef>
#include <string>

namespace tumbol {

// Far above any file the game ships (the largest, skins.bmp, is 1.4 MB).
constexpr size_t kMaxDataFileBytes = size_t{64} << 20;

// Reads the whole of path into contents. False, and contents untouched, when
// path is not a regular file, is empty, holds more than maxBytes or cannot be
// read: every caller then treats it as the missing file it names.
bool ReadDataFile(const std::string& path, std::string& contents,
                  size_t maxBytes = kMaxDataFileBytes);

// Tidies what saves killed midway left in folder and in the player's data
// folder: removes the temporary files no living save holds, and makes whole
// a file that a kill cut short while it was written in place, from the copy
// kept for it. Only names the game gives its own files are touched, so a
// player's record.txt.backup stays; a copy goes back only over a file that
// holds a mix of the copy's old and new contents, only when the old contents
// read as such a file, and never through a symbolic link. Run at start on
// the folder the game writes to.
void RecoverInterruptedSaves(const std::string& folder);

// Why making a folder or writing a file failed, in the player's words.
std::string FileErrorReason(int err);

// Replaces the contents of path. Where it can, it writes a temporary file in
// the same folder, flushes it and renames it over the target, so a failure at
// any point leaves the old file whole; the new file keeps the old one's mode
// and owner. A symbolic link keeps pointing where it pointed and its target
// gets the contents; a file with other hard links or another owner is written
// in place, so the links keep sharing it. A target that cannot be written is
// refused. When the folder takes no new files but the target is writable (how
// a shared score file is usually installed), the target is written in place
// too. In place, a copy of the old and new contents is kept first, beside the
// target or else in the player's data folder, so that a kill costs nothing;
// a failed write puts the old contents back at once. What a killed save left
// of the same file is tidied first (RecoverInterruptedSaves). On failure
// returns false with a short reason in error.
bool WriteDataFile(const std::string& path, const std::string& contents, std::string& error);

}  // namespace tumbol
