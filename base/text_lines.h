#pragma once
// The lines of the game's single-byte text files (maps, records).
#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tumbol {

// Removes leading and trailing blanks (code 32 only; tabs stay).
std::string TrimBlanks(const std::string& text);

// The lines of contents that are not empty once stripped of their blanks,
// stripped, in order, as views into contents. A line ends at CR LF, at a
// lone CR or at a lone LF, so files written on any system read alike. Blank
// lines cost nothing, and the scan stops after maxLines kept lines.
std::vector<std::string_view> KeptLines(std::string_view contents,
                                        size_t maxLines = std::numeric_limits<size_t>::max());

// The same lines handed to keep one by one, until it returns false.
void ForEachKeptLine(std::string_view contents, const std::function<bool(std::string_view)>& keep);

// True when text can stand between "pole" and ".txt" as part of a plain file
// name: not empty, no '/', '\\' or control character, and not "." or "..".
bool IsPlainFileNamePart(const std::string& text);

}  // namespace tumbol
