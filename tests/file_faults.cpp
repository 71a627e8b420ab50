#include "tests/file_faults.h"

#include <unistd.h>

#include <cerrno>

namespace tumbol {
FileFaults g_fileFaults;
}  // namespace tumbol

extern "C" {

int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);
ssize_t __real_write(int fd, const void* data, size_t count);
ssize_t __real_pread(int fd, void* data, size_t count, off_t at);

int __wrap_fsync(int fd) {
  if (tumbol::g_fileFaults.syncError == 0) return __real_fsync(fd);
  errno = tumbol::g_fileFaults.syncError;
  return -1;
}

int __wrap_rename(const char* from, const char* to) {
  if (tumbol::g_fileFaults.renameError == 0) return __real_rename(from, to);
  errno = tumbol::g_fileFaults.renameError;
  return -1;
}

ssize_t __wrap_write(int fd, const void* data, size_t count) {
  if (count != tumbol::g_fileFaults.killWriteOf) return __real_write(fd, data, count);
  __real_write(fd, data, count / 2);
  _exit(9);
}

ssize_t __wrap_pread(int fd, void* data, size_t count, off_t at) {
  if (tumbol::g_fileFaults.interruptedReads == 0) return __real_pread(fd, data, count, at);
  --tumbol::g_fileFaults.interruptedReads;
  errno = EINTR;
  return -1;
}

}  // extern "C"
