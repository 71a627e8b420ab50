#pragma once
// Failures the file tests inject where the real ones cannot be arranged. The
// core tests are linked with fsync, rename, write and pread wrapped
// (tests/CMakeLists.txt); while an errno field is set, every such call fails
// with it. The game itself calls the system's own.
namespace tumbol {

struct FileFaults {
  int syncError = 0;    // errno for flushing a file
  int renameError = 0;  // errno for putting a file in place
  // A write of exactly this many bytes writes half of them and ends the
  // process, as a kill in the middle of it would.
  unsigned long killWriteOf = 0;
  // Reads still to be interrupted by a signal (EINTR), as on a network disk.
  int interruptedReads = 0;
};
extern FileFaults g_fileFaults;

}  // namespace tumbol
