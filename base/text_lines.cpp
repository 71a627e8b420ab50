#include "base/text_lines.h"

namespace tumbol {

std::string TrimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> KeptLines(std::string_view contents, size_t maxLines) {
  std::vector<std::string_view> kept;
  if (maxLines == 0) return kept;
  ForEachKeptLine(contents, [&](std::string_view line) {
    kept.push_back(line);
    return kept.size() < maxLines;
  });
  return kept;
}

void ForEachKeptLine(std::string_view contents, const std::function<bool(std::string_view)>& keep) {
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = contents.size();
    size_t first = start;
    size_t last = end;
    while (first < last && contents[first] == ' ') ++first;
    while (last > first && contents[last - 1] == ' ') --last;
    if (last > first && !keep(contents.substr(first, last - first))) return;
    // The empty line between the CR and the LF of a CR LF is skipped as
    // every empty line is.
    start = end + 1;
  }
}

bool IsPlainFileNamePart(const std::string& text) {
  if (text.empty() || text == "." || text == "..") return false;
  for (const unsigned char ch : text) {
    if (ch == '/' || ch == '\\' || ch < 32 || ch == 127) return false;
  }
  return true;
}

}  // namespace tumbol
