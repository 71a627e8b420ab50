#include "base/data_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/cell.h"
#include "base/game_folders.h"

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

// Reads all of the regular file open as fd; see ReadDataFile.
bool ReadOpenFile(int fd, std::string& contents, size_t maxBytes) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
      static_cast<unsigned long long>(st.st_size) > maxBytes)
    return false;
  std::string data(static_cast<size_t>(st.st_size), '\0');
  size_t got = 0;
  while (got < data.size()) {
    const ssize_t n = ::pread(fd, data.data() + got, data.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // a file that shrank meanwhile ends early
    got += static_cast<size_t>(n);
  }
  if (got == 0) return false;
  data.resize(got);
  contents = std::move(data);
  return true;
}

// Writes data over whatever fd holds, from the start and in one write, then
// cuts the file to data's length and flushes it. The file is never shorter
// than data before all of data is in it. Where data is shorter than the old
// contents (padTo bytes), the write carries blanks up to their length, so
// that until the cut the file reads as data: the game's readers drop blanks
// at the ends of lines. A kill cuts a write short only between pages of the
// file, so data that fits the first page lands whole or not at all.
bool Overwrite(int fd, const std::string& data, size_t padTo, int& err) {
  const std::string padded = data.size() < padTo ? data + std::string(padTo - data.size(), ' ') : std::string();
  if (::lseek(fd, 0, SEEK_SET) != 0) {
    err = errno;
    return false;
  }
  if (!WriteAll(fd, padded.empty() ? data : padded, err)) return false;
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

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

constexpr char kRecordsName[] = "record.txt";

bool IsGameFile(const std::string& name) {
  return name == kRecordsName ||
         (name.size() > 8 && name.compare(0, 4, "pole") == 0 && name.compare(name.size() - 4, 4, ".txt") == 0);
}

// What the game leaves beside a file F while it saves F, named so that no
// player would pick the name: F.tumbol-temp-XXXXXX, a new file before it is
// renamed into place (XXXXXX as mkstemp makes it), and F.tumbol-before-save,
// the copy kept while F is written in place. A copy for a file in a folder
// that takes no new file goes to the player's data folder as
// F.tumbol-before-save-HHHHHHHHHHHHHHHH, F being the name the game writes
// (perhaps a link to the file) and the digits hashing the file's own path.
// Other names, a player's record.txt.251208 or pole1.txt.Backup, or what
// older builds of the game named their files, are never taken for ours.
constexpr char kTempMark[] = ".tumbol-temp-";
constexpr char kCopyMark[] = ".tumbol-before-save";
enum class Leftover { kNone, kTemp, kCopy, kFarCopy };

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// The kind of leftover name is, and stem, the name of the file it was made for.
Leftover LeftoverOf(const std::string& name, std::string& stem) {
  const auto marked = [&](const std::string& mark, size_t tail, bool (*isTail)(char)) {
    const size_t n = name.size(), k = mark.size() + tail;
    if (n <= k || name.compare(n - k, mark.size(), mark) != 0) return false;
    for (size_t i = n - tail; i < n; ++i)
      if (!isTail(name[i])) return false;
    stem = name.substr(0, n - k);
    return true;
  };
  if (marked(kTempMark, 6, IsAsciiAlnum)) return Leftover::kTemp;
  if (marked(kCopyMark, 0, IsAsciiAlnum)) return Leftover::kCopy;
  if (marked(std::string(kCopyMark) + "-", 16, IsHexDigit)) return Leftover::kFarCopy;
  return Leftover::kNone;
}

std::string Hash(const std::string& bytes) {  // FNV-1a, 64 bits, in hex
  uint64_t h = 14695981039346656037ull;
  for (const char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return hex;
}

// The copy in the data folder for target, which the game knows as stem.
std::string FarCopyName(const std::string& stem, const std::string& target) {
  return stem + kCopyMark + "-" + Hash(target);
}

// A copy holds the path of the file it was made for, the file's old contents
// and the new ones being written over them, after a line with a hash of all
// three and their lengths.
std::string CopyText(const std::string& target, const std::string& old, const std::string& next) {
  const std::string body = target + old + next;
  return Hash(body) + " " + std::to_string(target.size()) + " " + std::to_string(old.size()) + " " +
         std::to_string(next.size()) + "\n" + body;
}

bool ReadCopy(const std::string& text, std::string& target, std::string& old, std::string& next) {
  const size_t eol = text.find('\n');
  char hash[17] = {};
  unsigned long long lengths[3] = {};
  int used = 0;
  if (eol == std::string::npos || eol > 100 ||
      std::sscanf(text.substr(0, eol).c_str(), "%16s %llu %llu %llu%n", hash, &lengths[0], &lengths[1], &lengths[2],
                  &used) != 4 ||
      static_cast<size_t>(used) != eol)
    return false;
  const std::string body = text.substr(eol + 1);
  if (lengths[0] > body.size() || lengths[1] > body.size() - lengths[0] ||
      lengths[2] != body.size() - lengths[0] - lengths[1] || Hash(body) != hash)
    return false;
  target = body.substr(0, lengths[0]);
  old = body.substr(lengths[0], lengths[1]);
  next = body.substr(lengths[0] + lengths[1]);
  return true;
}

// Whether bytes read as what the game keeps under that name: a map holds
// cell characters, blanks and line ends only; a records table is text with at
// least one entry of a name and a time.
bool ReadsAsGameFile(const std::string& name, const std::string& bytes) {
  const bool records = name == kRecordsName;
  bool cells = false;
  for (const char c : bytes) {
    if (c == '\r' || c == '\n' || c == ' ') continue;
    bool bad = false;
    if (records ? static_cast<unsigned char>(c) < 0x20 && c != '\t' : (CodeFromChar(c, bad), bad)) return false;
    cells = true;
  }
  return records ? bytes.find("[:]") != std::string::npos : cells;
}

// Whether now is what writing padded (the new contents with their blanks,
// see Overwrite) over old can leave when a kill cuts it short, or putting old
// back over such a file when that is cut short in turn: never shorter than
// old, and each byte old's or padded's at its place. A later save or the
// player's own edit of the file is not such a mix, and stays.
bool CutShort(const std::string& now, const std::string& old, const std::string& padded) {
  if (now.size() < old.size() || now.size() > padded.size()) return false;
  for (size_t i = 0; i < now.size(); ++i)
    if (!(i < old.size() && now[i] == old[i]) && now[i] != padded[i]) return false;
  return true;
}

constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Makes the file whose copy is `name` in dir whole again, and removes the
// copy once the file is whole: the old contents go back over a file that a
// kill left cut short, and the cut is finished on one that holds the new
// contents and their blanks. Only from a copy of ours that no living save
// holds, whose old contents read as the file they were, and only into a
// regular file reached without a symbolic link: the file beside a copy, or
// for a copy in the data folder the file at the path it names. Anything else
// stays as it is.
void PutBack(int dir, const std::string& name, const std::string& stem, bool far) {
  const int fd = ::openat(dir, name.c_str(), O_RDONLY | kOpenFlags);
  if (fd < 0) return;
  struct stat st {};
  std::string text, target, old, next, now;
  char real[PATH_MAX];
  if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      ReadOpenFile(fd, text, 2 * kMaxDataFileBytes + PATH_MAX + 100) && ReadCopy(text, target, old, next) &&
      ReadsAsGameFile(stem, old) &&
      (far ? name == FarCopyName(stem, target) && ::realpath(target.c_str(), real) != nullptr && target == real
           : NameOf(target) == stem)) {
    const int at = far ? AT_FDCWD : dir;
    const char* path = far ? target.c_str() : stem.c_str();
    // Opening anything but a regular file may block or act.
    const int file = ::fstatat(at, path, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
                         ? ::openat(at, path, O_RDWR | kOpenFlags)
                         : -1;
    const std::string padded = next + std::string(old.size() > next.size() ? old.size() - next.size() : 0, ' ');
    int err;  // unread: a file not made whole keeps its copy
    bool whole = false;
    if (file >= 0 && ReadOpenFile(file, now, kMaxDataFileBytes)) {
      if (now == old || now == next)
        whole = true;
      else if (now == padded)
        whole = ::ftruncate(file, static_cast<off_t>(next.size())) == 0 && Flush(file, err);
      else if (CutShort(now, old, padded))
        whole = Overwrite(file, old, 0, err);
    }
    if (file >= 0) ::close(file);
    if (whole) ::unlinkat(dir, name.c_str(), 0);
  }
  ::close(fd);
}

// Tidies what killed saves of stem (of any game file when stem is "") left
// in folder: removes the temporary files that no living save holds, and puts
// files back from their copies (PutBack). A game file that is a symbolic link
// is saved by a new file beside the file it names: those are removed there
// too (copies stays false there), but nothing is written through the link.
void Tidy(const std::string& folder, const std::string& stem, bool copies = true) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const struct dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat st {};
    char real[PATH_MAX];
    if (stem.empty() && IsGameFile(name) && ::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(st.st_mode) && ::realpath((folder + "/" + name).c_str(), real) != nullptr)
      Tidy(FolderOf(real), NameOf(real), false);
    std::string of;
    const Leftover kind = LeftoverOf(name, of);
    if (kind == Leftover::kNone || !(stem.empty() ? IsGameFile(of) : of == stem)) continue;
    if (kind != Leftover::kTemp) {
      if (copies) PutBack(::dirfd(dir), name, of, kind == Leftover::kFarCopy);
      continue;
    }
    const int fd = ::openat(::dirfd(dir), name.c_str(), O_RDONLY | kOpenFlags);
    if (fd < 0) continue;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(::dirfd(dir), name.c_str(), 0);
    ::close(fd);
  }
  ::closedir(dir);
}

// A new file stem.tumbol-temp-XXXXXX, locked for as long as this process
// keeps it open, so a start or a save of another game leaves it alone while
// it is in use and removes it once its writer was killed. -1 with err set
// when the folder takes no new file.
int NewLockedFile(const std::string& stem, std::string& name, int& err) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = stem + kTempMark + "XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) break;
    struct stat st {};
    // Another game may have taken it for a leftover before the lock held.
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0) return fd;
    ::unlink(name.c_str());
    ::close(fd);
  }
  err = errno;
  return -1;
}

// Puts contents in a new file renamed to name, flushed; returns its open,
// locked descriptor, or -1 when it could not be made (the caller goes on
// without it, so why does not matter).
int PlaceLockedFile(const std::string& stem, const std::string& name, const std::string& contents, mode_t mode) {
  std::string temporary;
  int err;  // why it failed does not matter here
  const int fd = NewLockedFile(stem, temporary, err);
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

// The copy kept while target, which the game writes as path, is written in
// place from old to next: beside it, or, when its folder takes no new file or
// path is a link, in the player's data folder. Returns the copy's path and
// its locked descriptor, or -1 when there is no place for it.
int PlaceCopy(const std::string& path, const std::string& target, const std::string& old, const std::string& next,
              mode_t mode, std::string& copy) {
  char real[PATH_MAX];
  const std::string file = ::realpath(target.c_str(), real) != nullptr ? real : target;
  const std::string text = CopyText(file, old, next);
  copy = target + kCopyMark;
  const int fd = path == target ? PlaceLockedFile(target, copy, text, mode) : -1;
  const std::string data = PlayersDataFolder();
  std::string ignored;
  if (fd >= 0 || data.empty() || !MakeDataFolder(GameFolders("", data), ignored)) return fd;
  copy = data + FarCopyName(NameOf(path), file);
  return PlaceLockedFile(data + NameOf(path), copy, text, mode);
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
// whose folder takes no new file. First a copy of the old contents and the
// new ones is kept (PlaceCopy); while it is there the file is in doubt, and
// the next start or save makes it whole from the copy (PutBack). The new
// contents go over the old in one write (Overwrite). With a copy a kill
// therefore costs nothing. Without one (no folder took it) a kill leaves the
// old contents or the new ones whole when the new ones fit a page of the
// file (4 kB here; the game's tables and maps do), but a larger file may be
// left with its first pages new and the rest old. A failed write puts the old
// contents back at once.
bool WriteInPlace(const std::string& path, const std::string& target, bool create, const struct stat* old,
                  const std::string& contents, int& err) {
  std::string oldContents, copy;
  const bool haveOld = old != nullptr && ReadDataFile(target, oldContents);
  const int fd = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
  if (fd < 0) {
    err = errno;
    return false;
  }
  int ignored;
  const int copyFd = haveOld ? PlaceCopy(path, target, oldContents, contents, old->st_mode & 0644, copy) : -1;
  const bool ok = Overwrite(fd, contents, oldContents.size(), err);
  const bool whole = ok || !haveOld || Overwrite(fd, oldContents, 0, ignored);
  ::close(fd);  // flushed: closing cannot lose anything
  if (copyFd >= 0) {
    if (whole) ::unlink(copy.c_str());
    ::close(copyFd);
  }
  return ok;
}

// Tidies the player's data folder too, where copies for files elsewhere are
// (tidying a folder twice does no harm).
void TidyDataFolder(const std::string& stem) {
  const std::string data = PlayersDataFolder();
  if (!data.empty()) Tidy(data, stem);
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

void RecoverInterruptedSaves(const std::string& folder) {
  Tidy(folder, "");
  TidyDataFolder("");
}

bool ReadDataFile(const std::string& path, std::string& contents, size_t maxBytes) {
  // Look before opening: opening a device or a FIFO can block or act.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  // The name may have been swapped between the look and the open.
  const bool ok = ReadOpenFile(fd, contents, maxBytes);
  ::close(fd);
  return ok;
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
  Tidy(FolderOf(target), NameOf(target));
  TidyDataFolder(NameOf(path));
  int err;  // set by whichever way of saving fails
  if (!dangling && (!exists || st.st_nlink == 1)) {
    switch (ReplaceByRename(target, exists ? &st : nullptr, contents, err)) {
      case Attempt::kDone: return true;
      case Attempt::kFailed: return Fail(err, error);
      case Attempt::kNoNewFile:
        if (!exists) return Fail(err, error);
        break;
    }
  }
  if (WriteInPlace(path, target, dangling, exists ? &st : nullptr, contents, err)) return true;
  return Fail(err, error);
}

}  // namespace tumbol
