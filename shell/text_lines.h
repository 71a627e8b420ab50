#pragma once
// Reading and writing the game's single-byte text files (maps, records).
#include <string>
#include <vector>

namespace tumbol {

// Removes leading and trailing blanks (code 32 only; tabs stay).
std::string TrimBlanks(const std::string& text);

// Splits file contents into lines: a line ends at CR LF or at a lone CR; a
// lone LF stays inside the line. A final line without an ending counts too.
std::vector<std::string> SplitLines(const std::string& contents);

// The lines that are not empty once their blanks are stripped, stripped, in order.
std::vector<std::string> KeptLines(const std::string& contents);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& contents);

// Failures tests inject into ReplaceFileAtomically where the real ones
// cannot be arranged (root ignores folder permissions; a disk is seldom
// full). Each is off by default and the game never sets them.
struct FileFaults {
  int createError = 0;       // errno for making the temporary file
  long long spaceLeft = -1;  // bytes that fit before writes fail with ENOSPC; -1 no limit
  int syncError = 0;         // errno for flushing the temporary file
  int renameError = 0;       // errno for putting it in place
};
extern FileFaults g_fileFaults;

// Replaces the file at path with contents atomically: a temporary file in the
// same folder is written, flushed and renamed over the target, so the old file
// stays intact when anything fails. On failure returns false and sets error
// to a short description.
bool ReplaceFileAtomically(const std::string& path, const std::string& contents,
                           std::string& error);

// True when text can stand between "pole" and ".txt" as part of a plain file
// name: not empty, no '/', '\\' or control character, and not "." or "..".
bool IsPlainFileNamePart(const std::string& text);

}  // namespace tumbol
