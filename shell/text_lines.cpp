#include "shell/text_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tumbol {

std::string TrimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitLines(const std::string& contents) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < contents.size(); ++i) {
    const char ch = contents[i];
    if (ch == '\r') {
      lines.push_back(current);
      current.clear();
      if (i + 1 < contents.size() && contents[i + 1] == '\n') ++i;
    } else {
      current += ch;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::vector<std::string> KeptLines(const std::string& contents) {
  std::vector<std::string> kept;
  for (const auto& line : SplitLines(contents)) {
    std::string stripped = TrimBlanks(line);
    if (!stripped.empty()) kept.push_back(std::move(stripped));
  }
  return kept;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) return false;
  contents = buffer.str();
  return true;
}

FileFaults g_fileFaults;

namespace {

// write(2), except that an injected full disk takes what still fits and then
// fails the way the system does.
ssize_t WriteSome(int fd, const char* data, size_t size) {
  long long& left = g_fileFaults.spaceLeft;
  if (left < 0) return ::write(fd, data, size);
  if (left == 0) {
    errno = ENOSPC;
    return -1;
  }
  if (static_cast<unsigned long long>(left) < size) size = static_cast<size_t>(left);
  const ssize_t n = ::write(fd, data, size);
  if (n > 0) left -= n;
  return n;
}

bool WriteAll(int fd, const std::string& data, std::string& error) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = WriteSome(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = std::strerror(errno);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& contents,
                           std::string& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    error = "на этом месте находится папка";
    return false;
  }
  if (g_fileFaults.createError != 0) {
    error = std::strerror(g_fileFaults.createError);
    return false;
  }
  std::string tmpl = path + ".XXXXXX";
  const int fd = ::mkstemp(tmpl.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  bool ok = WriteAll(fd, contents, error);
  if (ok && g_fileFaults.syncError != 0) {
    error = std::strerror(g_fileFaults.syncError);
    ok = false;
  }
  if (ok && ::fsync(fd) != 0) {
    error = std::strerror(errno);
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    error = std::strerror(errno);
    ok = false;
  }
  if (ok) ::chmod(tmpl.c_str(), 0644);
  if (ok && g_fileFaults.renameError != 0) {
    error = std::strerror(g_fileFaults.renameError);
    ok = false;
  }
  if (ok && ::rename(tmpl.c_str(), path.c_str()) != 0) {
    error = std::strerror(errno);
    ok = false;
  }
  if (!ok) ::unlink(tmpl.c_str());
  return ok;
}

bool IsPlainFileNamePart(const std::string& text) {
  if (text.empty() || text == "." || text == "..") return false;
  for (const unsigned char ch : text) {
    if (ch == '/' || ch == '\\' || ch < 32 || ch == 127) return false;
  }
  return true;
}

}  // namespace tumbol
