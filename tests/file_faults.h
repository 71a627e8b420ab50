#pragma once
// Failures the file tests inject where the real ones cannot be arranged. The
// core tests are linked with fsync and rename wrapped (tests/CMakeLists.txt);
// while a field is set, every such call fails with that errno. The game
// itself calls the system's own.
namespace tumbol {

struct FileFaults {
  int syncError = 0;    // errno for flushing a file
  int renameError = 0;  // errno for putting a file in place
};
extern FileFaults g_fileFaults;

}  // namespace tumbol
