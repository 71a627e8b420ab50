#include "shell/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace tumbol {

FileFaults g_fileFaults;

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
  if (g_fileFaults.syncError != 0) {
    err = g_fileFaults.syncError;
    return false;
  }
  if (::fsync(fd) != 0) {
    err = errno;
    return false;
  }
  return true;
}

// Writes data over whatever fd holds, from the start, and flushes it.
bool Overwrite(int fd, const std::string& data, int& err) {
  if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
    err = errno;
    return false;
  }
  return WriteAll(fd, data, err) && Flush(fd, err);
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

enum class Attempt { kDone, kFailed, kNoNewFile };

// Temporary file beside target, renamed over it. kNoNewFile: the folder
// takes no new file, or the new file could not be given the old one's owner.
Attempt ReplaceByRename(const std::string& target, const struct stat* old,
                        const std::string& contents, int& err) {
  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    err = errno;
    return Attempt::kNoNewFile;
  }
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
    ::close(fd);
    ::unlink(temporary.c_str());
    return Attempt::kNoNewFile;
  }
  if (!ok) err = errno;
  ok = ok && WriteAll(fd, contents, err) && Flush(fd, err);
  if (::close(fd) != 0 && ok) {
    err = errno;
    ok = false;
  }
  if (ok && g_fileFaults.renameError != 0) {
    err = g_fileFaults.renameError;
    ok = false;
  }
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    err = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return Attempt::kFailed;
  }
  SyncFolder(FolderOf(target));
  return Attempt::kDone;
}

// Truncates and writes target itself; if that fails, the old contents go back.
bool WriteInPlace(const std::string& target, bool create, const std::string& contents, int& err) {
  std::string oldContents;
  const bool haveOld = ReadDataFile(target, oldContents);
  const int fd = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
  if (fd < 0) {
    err = errno;
    return false;
  }
  bool ok = Overwrite(fd, contents, err);
  if (!ok && haveOld) {
    int ignored = 0;
    Overwrite(fd, oldContents, ignored);
  }
  if (::close(fd) != 0 && ok) {
    err = errno;
    ok = false;
  }
  return ok;
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
  if (WriteInPlace(target, dangling, contents, err)) return true;
  return Fail(err, error);
}

}  // namespace tumbol
