#include "base/data_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace tumbol {

namespace {

bool Fail(int err, std::string& error) {
  error = FileErrorReason(err);
  return false;
}

bool WriteAll(int fd, const std::string& data, int& err) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool Flush(int fd, int& err) {
  if (::fsync(fd) != 0) {
    err = errno;
    return false;
  }
  return true;
}

// Writes data over whatever fd holds, from the start, then cuts the file to
// its length and flushes it. The file is never shorter than data before all
// of data is in it.
bool Overwrite(int fd, const std::string& data, int& err) {
  if (::lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, data, err)) {
    if (err == 0) err = errno;
    return false;
  }
  if (::ftruncate(fd, static_cast<off_t>(data.size())) != 0) {
    err = errno;
    return false;
  }
  return Flush(fd, err);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The old contents of a file being written in place (see WriteInPlace).
constexpr char kCopySuffix[] = ".before-save";

// The file a leftover of a killed save was written for ("" for any other
// name): target.before-save, or target.XXXXXX as mkstemp names it. A suffix
// of lower-case letters only is a word, such as a player's record.txt.backup;
// the game's own temporary files never get one.
std::string LeftoverOf(const std::string& name, bool& copy) {
  const size_t n = name.size(), k = sizeof kCopySuffix - 1;
  copy = n > k && name.compare(n - k, k, kCopySuffix) == 0;
  if (copy) return name.substr(0, n - k);
  if (n <= 7 || name[n - 7] != '.') return {};
  bool word = true;
  for (size_t i = n - 6; i < n; ++i) {
    if (!std::isalnum(static_cast<unsigned char>(name[i]))) return {};
    word = word && std::islower(static_cast<unsigned char>(name[i]));
  }
  return word ? std::string() : name.substr(0, n - 7);
}

bool IsGameFile(const std::string& name) {
  return name == "record.txt" ||
         (name.size() > 8 && name.compare(0, 4, "pole") == 0 && name.compare(name.size() - 4, 4, ".txt") == 0);
}

// A new file target.XXXXXX, locked for as long as this process keeps it
// open, so a start or a save of another game leaves it alone while it is in
// use and removes it once its writer was killed. -1 with err set when the
// folder takes no new file.
int NewLockedFile(const std::string& target, std::string& name, int& err) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) break;
    struct stat st {};
    bool copy;
    // Another game may have taken it for a leftover before the lock held.
    if (!LeftoverOf(name.substr(name.rfind('/') + 1), copy).empty() && ::flock(fd, LOCK_EX) == 0 &&
        ::fstat(fd, &st) == 0 && st.st_nlink > 0)
      return fd;
    ::unlink(name.c_str());
    ::close(fd);
  }
  err = errno;
  return -1;
}

// Puts contents in a new file renamed to name, flushed; returns its open,
// locked descriptor, or -1 when it could not be made (the caller goes on
// without it, so why does not matter).
int PlaceLockedFile(const std::string& target, const std::string& name, const std::string& contents, mode_t mode) {
  std::string temporary;
  int err = 0;
  const int fd = NewLockedFile(target, temporary, err);
  if (fd < 0) return -1;
  if (::fchmod(fd, mode) == 0 && WriteAll(fd, contents, err) && Flush(fd, err) &&
      ::rename(temporary.c_str(), name.c_str()) == 0) {
    SyncFolder(FolderOf(name));
    return fd;
  }
  ::unlink(temporary.c_str());
  ::close(fd);
  return -1;
}

enum class Attempt { kDone, kFailed, kNoNewFile };

// Temporary file beside target, renamed over it. A kill leaves the old file
// or the new one whole, and perhaps the temporary file. kNoNewFile: the
// folder takes no new file, or the new file could not be given the old one's
// owner.
Attempt ReplaceByRename(const std::string& target, const struct stat* old,
                        const std::string& contents, int& err) {
  std::string temporary;
  const int fd = NewLockedFile(target, temporary, err);
  if (fd < 0) return Attempt::kNoNewFile;
  mode_t mode;
  if (old != nullptr) {
    mode = old->st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0;
  if (ok && old != nullptr && (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
      ::fchown(fd, old->st_uid, old->st_gid) != 0) {
    ::unlink(temporary.c_str());
    ::close(fd);
    return Attempt::kNoNewFile;
  }
  if (!ok) err = errno;
  ok = ok && WriteAll(fd, contents, err) && Flush(fd, err);
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    err = errno;
    ok = false;
  }
  if (!ok) ::unlink(temporary.c_str());
  ::close(fd);  // the contents are flushed: closing cannot lose them
  if (!ok) return Attempt::kFailed;
  SyncFolder(FolderOf(target));
  return Attempt::kDone;
}

// Writes target itself, for a file whose links must keep sharing it or
// whose folder takes no new file. The new contents go over the old from the
// start, and only then is the file cut to their length: a kill leaves the old
// contents, the new ones, or the new ones (perhaps not all of them) over the
// start of the old, but never an empty file nor one shorter than both. So
// that a kill loses nothing, the old contents are first kept in
// target.before-save, when the folder takes that file; while it is there the
// target is in doubt, and the next start or save puts the old contents back
// (RecoverInterruptedSaves). A failed write puts them back at once.
bool WriteInPlace(const std::string& target, bool create, const struct stat* old, const std::string& contents,
                  int& err) {
  std::string oldContents;
  const bool haveOld = old != nullptr && ReadDataFile(target, oldContents);
  const int fd = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
  if (fd < 0) {
    err = errno;
    return false;
  }
  const std::string copy = target + kCopySuffix;
  int ignored = 0;
  const int copyFd = haveOld ? PlaceLockedFile(target, copy, oldContents, old->st_mode & 0666) : -1;
  bool ok = Overwrite(fd, contents, err);
  const bool whole = ok || !haveOld || Overwrite(fd, oldContents, ignored);
  ::close(fd);  // flushed: closing cannot lose anything
  if (copyFd >= 0) {
    if (whole) ::unlink(copy.c_str());
    ::close(copyFd);
  }
  return ok;
}

// Removes what killed saves of target (any game file when target is "") left
// in folder, putting back the old contents of a file whose in-place write was
// cut off. What a living game holds locked stays.
void Recover(const std::string& folder, const std::string& target) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const struct dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat st {};
    char real[PATH_MAX];
    // A game file that is a symbolic link is saved through it, beside the file it names.
    if (target.empty() && IsGameFile(name) && ::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(st.st_mode) && ::realpath((folder + "/" + name).c_str(), real) != nullptr) {
      const std::string path = real;
      Recover(FolderOf(path), path.substr(path.rfind('/') + 1));
    }
    bool copy = false;
    const std::string of = LeftoverOf(name, copy);
    if (of.empty() || !(target.empty() ? IsGameFile(of) : of == target)) continue;
    const int fd = ::openat(::dirfd(dir), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    bool remove = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (remove && copy) {
      // Put back only into a regular file: opening anything else may block or act.
      const std::string path = folder + "/" + of;
      const bool there = ::stat(path.c_str(), &st) == 0;
      const bool gone = !there && errno == ENOENT;  // nothing to put back
      const int file =
          there && S_ISREG(st.st_mode) ? ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
      std::string old;
      int err = 0;
      // A copy that cannot go back yet stays for the next time.
      remove = gone || (file >= 0 && (!ReadDataFile(folder + "/" + name, old) || Overwrite(file, old, err)));
      if (file >= 0) ::close(file);
    }
    if (remove) ::unlinkat(::dirfd(dir), name.c_str(), 0);
    ::close(fd);
  }
  ::closedir(dir);
}

}  // namespace

std::string FileErrorReason(int err) {
  switch (err) {
    case EACCES:
    case EPERM: return "нет прав на запись";
    case EROFS: return "диск открыт только для чтения";
    case ENOSPC: return "на диске не хватает места";
    case EDQUOT: return "исчерпана дисковая квота пользователя";
    case EFBIG: return "файл больше, чем здесь разрешено записать";
    case EISDIR: return "на этом месте находится папка";
    case ENOTDIR: return "на пути к файлу вместо папки стоит файл";
    case ENOENT: return "на пути к файлу нет такой папки";
    case ENAMETOOLONG: return "слишком длинное имя файла или пути";
    case ELOOP: return "на пути к файлу слишком много символических ссылок";
    case EMLINK: return "в папке слишком много ссылок";
    case EIO: return "ошибка ввода-вывода: диск не прочитался или не записался";
    case ENOMEM: return "не хватает памяти";
    case EMFILE:
    case ENFILE: return "открыто слишком много файлов";
    case EBUSY:
    case ETXTBSY: return "файл занят другой программой";
    case EAGAIN: return "файл временно недоступен";
    case ESTALE:
    case ENXIO:
    case ENODEV: return "диск с файлом недоступен";
    case EEXIST: return "на этом месте уже есть другой файл";
    case EINVAL: return "это имя файла здесь недопустимо";
    default: return "системная ошибка № " + std::to_string(err);
  }
}

void RecoverInterruptedSaves(const std::string& folder) { Recover(folder, ""); }

bool ReadDataFile(const std::string& path, std::string& contents, size_t maxBytes) {
  // Look before opening: opening a device or a FIFO can block or act.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  // The name may have been swapped between the look and the open.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
      static_cast<unsigned long long>(st.st_size) > maxBytes) {
    ::close(fd);
    return false;
  }
  std::string data(static_cast<size_t>(st.st_size), '\0');
  size_t got = 0;
  bool ok = true;
  while (got < data.size()) {
    const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;  // a file that shrank meanwhile ends early
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (!ok || got == 0) return false;
  data.resize(got);
  contents = std::move(data);
  return true;
}

bool WriteDataFile(const std::string& path, const std::string& contents, std::string& error) {
  std::string target = path;
  struct stat link {};
  bool dangling = false;
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr)
      target = resolved;
    else
      dangling = true;  // writing through the link makes the file it names
  }
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return Fail(EISDIR, error);
  if (exists && !S_ISREG(st.st_mode)) {
    error = "на этом месте находится не обычный файл";
    return false;
  }
  if (exists && ::access(target.c_str(), W_OK) != 0) return Fail(errno, error);
  const size_t slash = target.rfind('/');
  Recover(FolderOf(target), target.substr(slash == std::string::npos ? 0 : slash + 1));
  int err = 0;
  if (!dangling && (!exists || st.st_nlink == 1)) {
    switch (ReplaceByRename(target, exists ? &st : nullptr, contents, err)) {
      case Attempt::kDone: return true;
      case Attempt::kFailed: return Fail(err, error);
      case Attempt::kNoNewFile:
        if (!exists) return Fail(err, error);
        break;
    }
  }
  if (WriteInPlace(target, dangling, exists ? &st : nullptr, contents, err)) return true;
  return Fail(err, error);
}

}  // namespace tumbol
