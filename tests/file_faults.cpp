#include "tests/file_faults.h"

#include <cerrno>

namespace tumbol {
FileFaults g_fileFaults;
}  // namespace tumbol

extern "C" {

int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);

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

}  // extern "C"
