#include "base/game_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/data_file.h"
#include "base/file_exists.h"

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

// A folder the player has made and may write to: the game's files there are
// the player's. An installed copy belongs to the system, and even root, who
// could write there, must not change what the package owns.
bool PlayersOwnFolder(const std::string& folder) {
  char real[PATH_MAX];
  struct stat st {};
  // Making a file takes write and search permission on the folder.
  return ::realpath(folder.c_str(), real) != nullptr && std::strncmp(real, "/usr/", 5) != 0 &&
         ::stat(real, &st) == 0 && st.st_uid == ::geteuid() && ::access(real, W_OK | X_OK) == 0;
}

}  // namespace

std::string DataFolderFor(const std::string& programFolder) {
  return PlayersOwnFolder(programFolder) ? std::string() : PlayersDataFolder();
}

std::string PlayersDataFolder() {
  const std::string dataHome = Environment("XDG_DATA_HOME");
  if (!dataHome.empty() && dataHome[0] == '/') return WithSlash(dataHome) + "tumbol/";
  std::string home = Environment("HOME");
  const struct passwd* user = ::getpwuid(::geteuid());
  if ((home.empty() || home[0] != '/') && user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
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
    error = FileErrorReason(errno);
    return false;
  }
  return true;
}

}  // namespace tumbol
