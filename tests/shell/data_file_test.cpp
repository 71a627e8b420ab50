// The reader and the writer of the files beside the program, against real
// files, links, FIFOs, devices, permissions and a real size limit. Cases that
// need permissions to hold run in a child process as an unprivileged user.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "shell/data_file.h"
#include "shell/file_exists.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

void Put(const fs::path& path, const std::string& bytes, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary) << bytes;
  ::chmod(path.c_str(), mode);
}

mode_t Mode(const fs::path& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

class DataFile : public ::testing::Test {
 protected:
  void SetUp() override { ::chmod(folder.path.c_str(), 0777); }  // an unprivileged child must reach the folder
  void TearDown() override { g_fileFaults = FileFaults(); }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }
  TempFolder folder;
  const fs::path& dir = folder.path;
};

TEST_F(DataFile, ReadsOnlyRegularFilesOfSaneSize) {
  Put(dir / "map", "0123456789");
  Put(dir / "empty", "");
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);  // nobody writes: a plain read would block
  fs::create_symlink("/dev/zero", dir / "zero");         // endless
  fs::create_symlink(dir / "map", dir / "link");
  const struct {
    const char* name;
    size_t maxBytes;
    bool read;
  } cases[] = {{"map", 10, true},   {"map", 9, false},     {"link", kMaxDataFileBytes, true},
               {"missing", 10, false}, {"empty", 10, false}, {"folder", 10, false},
               {"fifo", 10, false},  {"zero", kMaxDataFileBytes, false}};
  for (const auto& c : cases) {
    std::string contents = "before";
    EXPECT_EQ(ReadDataFile((dir / c.name).string(), contents, c.maxBytes), c.read) << c.name;
    EXPECT_EQ(contents, c.read ? "0123456789" : "before") << c.name;
  }
}

TEST_F(DataFile, FileExistsOnlyForANonEmptyRegularFileWithBlanksAroundItsName) {
  Put(dir / "map", "1");
  Put(dir / "empty", "");
  fs::create_directory(dir / "folder");
  EXPECT_TRUE(FileExists((dir / "map").string()));
  EXPECT_TRUE(FileExists("  " + (dir / "map").string() + " "));
  for (const fs::path& path : {fs::path(), fs::path("   "), dir / "empty", dir / "folder", dir / "missing"})
    EXPECT_FALSE(FileExists(path.string())) << path;
}

// Runs the write in a child: as nobody when asked (root ignores permissions),
// under a file size limit when one is given. Returns "" or the error.
std::string WriteInChild(const fs::path& path, const std::string& contents, bool unprivileged,
                         rlim_t sizeLimit = RLIM_INFINITY) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    ::umask(022);
    std::string report;
    if (unprivileged && ::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      report = "cannot drop privileges";
    } else {
      if (sizeLimit != RLIM_INFINITY) {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit = {sizeLimit, sizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      std::string error;
      report = WriteDataFile(path.string(), contents, error) ? "" : error;
    }
    if (::write(fds[1], report.data(), report.size()) < 0) _exit(2);
    _exit(0);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[256];
  ssize_t n;
  while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) report.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return report;
}

TEST_F(DataFile, WriterKeepsOrRefusesAsThePlayerSetUp) {
  const std::string oldBytes = "old\r\n";
  const std::string newBytes = "new contents\r\n";
  const fs::path file = dir / "record.txt";
  const fs::path elsewhere = dir / "elsewhere.txt";
  struct Case {
    const char* what;
    std::function<void()> arrange;
    bool unprivileged;
    rlim_t sizeLimit;
    const char* error;  // "" when the write succeeds
    std::function<void()> check;
  };
  const auto none = [] {};
  const auto old = [&](mode_t mode) { return [&, mode] { Put(file, oldBytes, mode); }; };
  const auto readOnlyFolder = [&] { ::chmod(dir.c_str(), 0555); };
  const auto oldInReadOnlyFolder = [&] { Put(file, oldBytes, 0666), readOnlyFolder(); };
  const Case cases[] = {
      {"new file gets the usual mode", none, false, RLIM_INFINITY, "", [&] { EXPECT_EQ(Mode(file), 0644u); }},
      {"mode kept", old(0640), false, RLIM_INFINITY, "", [&] { EXPECT_EQ(Mode(file), 0640u); }},
      {"symbolic link kept, its target written", [&] { Put(elsewhere, oldBytes), fs::create_symlink(elsewhere, file); },
       false, RLIM_INFINITY, "", [&] { EXPECT_TRUE(fs::is_symlink(file) && ReadBytes(elsewhere) == newBytes); }},
      {"hard link shares the new contents", [&] { Put(elsewhere, oldBytes), fs::create_hard_link(elsewhere, file); },
       false, RLIM_INFINITY, "", [&] { EXPECT_EQ(ReadBytes(elsewhere), newBytes); }},
      {"read-only file of the player's refused",
       [&] {
         Put(file, oldBytes, 0444);
         if (::geteuid() == 0 && ::chown(file.c_str(), kNobody, kNobody) != 0) ADD_FAILURE();
       },
       true, RLIM_INFINITY, "нет прав на запись", [&] { EXPECT_EQ(Mode(file), 0444u); }},
      {"folder without new files: written in place", oldInReadOnlyFolder, true, RLIM_INFINITY, "",
       [&] { EXPECT_EQ(Mode(file), 0666u); }},
      {"folder without new files and no file yet", readOnlyFolder, true, RLIM_INFINITY, "нет прав на запись", none},
      {"full disk", old(0644), false, 8, "на диске не хватает места", none},
      {"full disk, no file yet", none, false, 8, "на диске не хватает места", none},
      {"full disk in place: old contents back", oldInReadOnlyFolder, true, 8, "на диске не хватает места", none},
      {"flush fails", [&] { Put(file, oldBytes), g_fileFaults.syncError = EIO; }, false, RLIM_INFINITY,
       "Input/output error", none},
      {"rename fails", [&] { Put(file, oldBytes), g_fileFaults.renameError = EIO; }, false, RLIM_INFINITY,
       "Input/output error", none},
      {"folder in the file's place", [&] { fs::create_directory(file); }, false, RLIM_INFINITY,
       "на этом месте находится папка", [&] { EXPECT_TRUE(fs::is_directory(file)); }},
      {"FIFO in the file's place", [&] { ::mkfifo(file.c_str(), 0666); }, false, RLIM_INFINITY,
       "на этом месте находится не обычный файл", none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_fileFaults = FileFaults();
    ::chmod(dir.c_str(), 0777);
    for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
    c.arrange();
    const bool existed = fs::exists(fs::symlink_status(file));
    const std::string before = fs::is_regular_file(file) ? ReadBytes(file) : "";
    const size_t files = FilesInFolder();
    const std::string error = WriteInChild(file, newBytes, c.unprivileged, c.sizeLimit);
    if (error == "cannot drop privileges") GTEST_SKIP() << "cannot run as an unprivileged user here";
    ::chmod(dir.c_str(), 0777);
    EXPECT_EQ(error, c.error);
    if (error.empty()) {
      EXPECT_EQ(ReadBytes(file), newBytes);
    } else if (existed && fs::is_regular_file(file)) {
      EXPECT_EQ(ReadBytes(file), before);  // byte for byte
    } else if (!existed) {
      EXPECT_FALSE(fs::exists(file));
    }
    EXPECT_EQ(FilesInFolder(), files + (existed || !error.empty() ? 0 : 1)) << "a temporary file was left";
    c.check();
  }
}

}  // namespace
}  // namespace tumbol
