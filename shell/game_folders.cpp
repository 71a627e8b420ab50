#include "shell/game_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "shell/file_exists.h"

namespace tumbol {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string WithSlash(std::string folder) {
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string DataFolderFor(const std::string& programFolder) {
  // Making a file takes write and search permission on the folder.
  if (::access(programFolder.c_str(), W_OK | X_OK) == 0) return {};
  const std::string dataHome = Environment("XDG_DATA_HOME");
  if (!dataHome.empty() && dataHome[0] == '/') return WithSlash(dataHome) + "tumbol/";
  const std::string home = Environment("HOME");
  if (!home.empty() && home[0] == '/') return WithSlash(home) + ".local/share/tumbol/";
  return {};
}

std::string FoundFile(const GameFolders& folders, const std::string& name) {
  if (!folders.data.empty() && FileExists(folders.data + name)) return folders.data + name;
  return folders.program + name;
}

std::string WrittenFile(const GameFolders& folders, const std::string& name) {
  return (folders.data.empty() ? folders.program : folders.data) + name;
}

bool MakeDataFolder(const GameFolders& folders, std::string& error) {
  const std::string& folder = folders.data;
  // Each missing folder on the way, private to the player as XDG asks.
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) == 0 || errno == EEXIST) continue;
    error = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace tumbol
