// The reader and the writer of the files beside the program, against real
// files, links, FIFOs, devices, permissions and a real size limit. Cases that
// need permissions to hold run as an unprivileged user.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "base/data_file.h"
#include "base/file_exists.h"
#include "base/game_folders.h"
#include "tests/file_faults.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

TEST(DataFile, ReadsAndFindsOnlyRegularFilesOfSaneSize) {
  TempFolder folder;
  const fs::path& dir = folder.path;
  WriteBytes(dir / "map", "0123456789");
  WriteBytes(dir / "empty", "");
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);  // nobody writes: a plain read would block
  fs::create_symlink("/dev/zero", dir / "zero");         // endless
  fs::create_symlink(dir / "map", dir / "link");
  const struct {
    const char* name;
    size_t maxBytes;
    bool read, exists;
  } cases[] = {{"map", 10, true, true},       {"map", 9, false, true},     {"link", kMaxDataFileBytes, true, true},
               {"missing", 10, false, false}, {"empty", 10, false, false}, {"folder", 10, false, false},
               {"fifo", 10, false, false},    {"zero", kMaxDataFileBytes, false, false}};
  for (const auto& c : cases) {
    std::string contents = "before";
    EXPECT_EQ(ReadDataFile((dir / c.name).string(), contents, c.maxBytes), c.read) << c.name;
    EXPECT_EQ(contents, c.read ? "0123456789" : "before") << c.name;
    EXPECT_EQ(FileExists((dir / c.name).string()), c.exists) << c.name;
  }
  EXPECT_TRUE(FileExists("  " + (dir / "map").string() + " "));  // blanks around a typed name
  std::string contents;
  g_fileFaults.interruptedReads = 2;
  EXPECT_TRUE(ReadDataFile((dir / "map").string(), contents, 10) && contents == "0123456789") << "read again";
  EXPECT_EQ(g_fileFaults.interruptedReads, 0);
  g_fileFaults = FileFaults();
}

// Writes as nobody when asked (root ignores permissions; the saved set-user-ID
// brings root back) and under a file size limit. Returns "" or the error.
std::string WriteAs(const fs::path& path, const std::string& contents, bool unprivileged, rlim_t sizeLimit) {
  const bool drop = unprivileged && ::geteuid() == 0;
  if (drop && (::setresgid(kNobody, kNobody, 0) != 0 || ::setresuid(kNobody, kNobody, 0) != 0))
    return "cannot drop privileges";
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const struct rlimit limit = {sizeLimit, old.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::string error;
  WriteDataFile(path.string(), contents, error);
  ::setrlimit(RLIMIT_FSIZE, &old);
  if (drop && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0)) std::abort();
  return error;
}

uid_t OwnerOf(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_uid : uid_t(-1);
}

TEST(DataFile, WriterKeepsOrRefusesAsThePlayerSetUp) {
  TempFolder folder;
  const fs::path& dir = folder.path;
  const auto filesInFolder = [&] { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); };
  const std::string oldBytes = "old\r\n";
  const std::string newBytes = "new contents\r\n";
  const fs::path file = dir / "record.txt";
  const fs::path elsewhere = dir / "elsewhere.txt";
  struct Case {
    const char* what;
    std::function<void()> arrange;
    const char* error;  // "" when the write succeeds
    std::function<void()> check;
    bool unprivileged = false;
    rlim_t sizeLimit = RLIM_INFINITY;
  };
  const auto none = [] {};
  const auto old = [&](mode_t mode) { return [&, mode] { WriteBytes(file, oldBytes), ::chmod(file.c_str(), mode); }; };
  const auto readOnlyFolder = [&] { ::chmod(dir.c_str(), 0555); };
  const auto oldInReadOnlyFolder = [&] { old(0666)(), readOnlyFolder(); };
  const auto modeIs = [&](unsigned mode) {
    return [&, mode] { EXPECT_EQ(static_cast<unsigned>(fs::status(file).permissions()), mode); };
  };
  const char* const noRight = "нет прав на запись";
  const std::string eio = FileErrorReason(EIO);
  const std::string tooBig = FileErrorReason(EFBIG);
  const Case cases[] = {
      {"new file gets the usual mode", none, "", modeIs(0644)},
      {"mode kept", old(0640), "", modeIs(0640)},
      {"another user's file keeps its owner", [&] { old(0666)(), void(::chown(file.c_str(), kNobody, gid_t(-1))); }, "",
       [&] { EXPECT_TRUE(::geteuid() != 0 || OwnerOf(file) == kNobody); }},
      {"symbolic link kept, its target written", [&] { WriteBytes(elsewhere, oldBytes), fs::create_symlink(elsewhere, file); },
       "", [&] { EXPECT_TRUE(fs::is_symlink(file) && ReadBytes(elsewhere) == newBytes); }},
      {"hard link shares the new contents", [&] { WriteBytes(elsewhere, oldBytes), fs::create_hard_link(elsewhere, file); },
       "", [&] { EXPECT_EQ(ReadBytes(elsewhere), newBytes); }},
      {"read-only file of the player's refused",
       [&] { old(0444)(); EXPECT_TRUE(::geteuid() != 0 || ::chown(file.c_str(), kNobody, kNobody) == 0); },
       noRight, modeIs(0444), true},
      {"folder without new files: written in place", oldInReadOnlyFolder, "", modeIs(0666), true},
      {"folder without new files and no file yet", readOnlyFolder, noRight, none, true},
      {"size limit", old(0644), tooBig.c_str(), none, false, 8},
      {"size limit in place: old contents back", oldInReadOnlyFolder, tooBig.c_str(), none, true, 8},
      {"rename fails", [&] { WriteBytes(file, oldBytes), g_fileFaults.renameError = EIO; }, eio.c_str(), none},
      {"folder in the file's place", [&] { fs::create_directory(file); }, "на этом месте находится папка",
       [&] { EXPECT_TRUE(fs::is_directory(file)); }},
      {"FIFO in the file's place", [&] { ::mkfifo(file.c_str(), 0666); }, "на этом месте находится не обычный файл",
       none},
  };
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
  const mode_t oldMask = ::umask(022);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_fileFaults = FileFaults();
    ::chmod(dir.c_str(), 0777);
    for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
    c.arrange();
    const bool existed = fs::exists(fs::symlink_status(file));
    const auto contents = [&] { return fs::is_regular_file(file) ? ReadBytes(file) : ""; };
    const std::string before = contents();
    const auto files = filesInFolder();
    const std::string error = WriteAs(file, newBytes, c.unprivileged, c.sizeLimit);
    if (error == "cannot drop privileges") GTEST_SKIP() << "cannot run as an unprivileged user here";
    ::chmod(dir.c_str(), 0777);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(contents(), error.empty() ? newBytes : before);  // byte for byte
    EXPECT_EQ(filesInFolder(), files + (existed || !error.empty() ? 0 : 1)) << "a temporary file was left";
    c.check();
  }
  g_fileFaults = FileFaults();
  std::signal(SIGXFSZ, oldHandler);
  ::umask(oldMask);
}

// A table of records larger than a page of the file. (Saves killed at random
// moments on every way of saving: bench/killed_saves.sh.)
std::string Table(char name, int entries) {
  std::string table;
  for (int i = 0; i < entries; ++i) table += std::string(40, name) + "[:]0,0" + std::to_string(i % 10) + "\r\n";
  return table;
}

// Only what the game names as its own is removed at a start, and only when
// no living save holds it: a player's look-alikes and what older builds left
// stay, as does a save another game is making.
TEST(DataFile, AStartRemovesOnlyTheGamesOwnLeftovers) {
  TempFolder folder;
  fs::create_directory(folder / "maps");  // a map saved through a link leaves its new file there
  fs::create_symlink("maps/level.txt", folder / "pole5.txt");
  WriteBytes(folder / "maps" / "level.txt", "map");
  WriteBytes(folder / "maps" / "level.txt.tumbol-temp-Q7w8E9", "left by a kill");
  WriteBytes(folder / "record.txt.tumbol-temp-09AZaz", "left by a kill");
  for (const char* name : {"record.txt.251208", "pole1.txt.Backup", "record.txt.backup", "record.txt.AB12cd",
                           "record.txt.before-save", "pole.txt.tumbol-temp-a1B2c3", "record.txt.tumbol-temp-a1_2c3",
                           "pole3.txt.tumbol-temp-x1Y2z3"})
    WriteBytes(folder / name, "the player's");
  const int saving = ::open((folder / "pole3.txt.tumbol-temp-x1Y2z3").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(saving, LOCK_EX), 0);
  RecoverInterruptedSaves(folder.Slash());
  ::close(saving);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 10);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "maps"), {}), 1);
}

// What a start does with the copy a save killed halfway through its write in
// place left: the old table goes back over the cut file, a whole file keeps
// its bytes, and a copy that is no table, was changed, or would be carried
// through a link out of the folder changes nothing.
TEST(DataFile, AStartPutsACopyBackOnlyOverAFileAKillCut) {
  TempFolder folder, data;
  ::setenv("XDG_DATA_HOME", data.path.c_str(), 1);
  const fs::path file = folder / "record.txt", outside = data / "shared.txt";
  const fs::path copy = folder / "record.txt.tumbol-before-save";
  const std::string old = Table('o', 150), next = Table('n', 100), later = Table('l', 150), cut;
  const auto copies = [&] { return fs::exists(copy) + std::distance(fs::directory_iterator(data / "tumbol"), {}); };
  const struct {
    const char* what;
    std::string old;
    std::function<void()> arrange;
    std::string expected;  // cut: as the kill left it
    bool copyStays, throughLink;
  } cases[] = {
      {"cut: the old table back", old, [] {}, old, false, false},
      {"new table whole", old, [&] { WriteBytes(file, next); }, next, false, false},
      {"new table and its blanks: the cut finished",
       old, [&] { WriteBytes(file, next + std::string(old.size() - next.size(), ' ')); }, next, false, false},
      {"a later table stays", old, [&] { WriteBytes(file, later); }, later, true, false},
      {"a copy of no table", std::string(old.size() - 3, '\x01') + "[:]", [] {}, cut, true, false},
      {"a changed copy", old, [&] { WriteBytes(copy, ReadBytes(copy).replace(200, 1, "?")); }, cut, true, false},
      {"a link out of the folder", old, [&] { fs::rename(file, outside), fs::create_symlink(outside, file); }, cut,
       true, false},
      {"a copy in the data folder for a linked file", old, [] {}, old, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(data / "tumbol"), fs::create_directory(data / "tumbol");
    for (const auto& entry : fs::directory_iterator(folder.path)) fs::remove(entry.path());
    WriteBytes(c.throughLink ? outside : file, c.old);
    fs::create_hard_link(c.throughLink ? outside : file, folder / "link");  // so it is written in place
    if (c.throughLink) fs::create_symlink(outside, file);
    if (::fork() == 0) {
      g_fileFaults.killWriteOf = c.old.size();
      std::string error;
      WriteDataFile(file.string(), next, error);
      std::_Exit(1);
    }
    ::wait(nullptr);
    const std::string left = ReadBytes(file);
    EXPECT_TRUE(left != c.old && left != next && copies() == 1);
    c.arrange();
    RecoverInterruptedSaves(folder.Slash());
    EXPECT_EQ(ReadBytes(file), c.expected.empty() ? left : c.expected);
    EXPECT_EQ(copies(), c.copyStays ? 1 : 0);
    fs::remove(outside);
  }
  ::unsetenv("XDG_DATA_HOME");
}

// Runs fn in a child process, as nobody when the test runs as root; false
// when the child could not drop its privileges.
bool InChildAsNobody(const std::function<void()>& fn) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    const bool root = ::geteuid() == 0;
    if (root && (::setresgid(kNobody, kNobody, kNobody) != 0 || ::setresuid(kNobody, kNobody, kNobody) != 0))
      std::_Exit(3);
    fn();
    std::_Exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 3);
}

// A save in place keeps its copy beside the file, also in a folder reached
// through a link, and in the data folder when the file's folder takes no new
// file or a folder stands in the copy's place; a save killed halfway is made
// whole from there at the next start.
TEST(DataFile, ASaveInPlaceKeepsItsCopyBesideTheFileOrElseInTheDataFolder) {
  TempFolder folder, data;
  ::chmod(folder.path.c_str(), 0755), ::chmod(data.path.c_str(), 0777);
  ::setenv("XDG_DATA_HOME", data.path.c_str(), 1);
  const fs::path real = folder / "game";
  fs::create_directory_symlink(real, folder / "link");
  const auto farCopies = [&] {
    return fs::exists(data / "tumbol") ? std::distance(fs::directory_iterator(data / "tumbol"), {}) : 0;
  };
  const auto map = [](char cube) {  // a pair, at the start and the end of the file
    std::string rows;
    for (int r = 1; r <= 16; ++r) rows += std::string(22, r == 16 ? '1' : '0') + "\r\n";
    return rows.replace(0, 1, 1, cube).replace(15 * 24 - 3, 1, 1, cube);
  };
  const struct {
    const char* what;
    const char* reached;  // the folder as the game names it
    bool readOnly, blocked;
    const char* name;
  } cases[] = {{"beside", "game", false, false, "record.txt"},
               {"beside, through a link", "link", false, false, "record.txt"},
               {"data folder: no new file beside", "game", true, false, "record.txt"},
               {"data folder: a folder in the copy's place", "game", false, true, "record.txt"},
               {"a map, beside", "game", false, false, "pole1.txt"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const bool table = c.name == std::string("record.txt");
    const std::string old = table ? Table('o', 50) : map('2'), next = table ? Table('n', 40) : map('3');
    const fs::path copy = real / (c.name + std::string(".tumbol-before-save"));
    fs::remove_all(real), fs::remove_all(data / "tumbol"), fs::create_directory(real);
    WriteBytes(real / c.name, old);
    fs::create_hard_link(real / c.name, real / "shared");  // so it is written in place
    if (c.blocked) fs::create_directory(copy);
    ::chmod((real / c.name).c_str(), 0666), ::chmod(real.c_str(), c.readOnly ? 0555 : 0777);
    const fs::path file = folder / c.reached / c.name;
    const bool dropped = InChildAsNobody([&] {
      g_fileFaults.killWriteOf = old.size();
      std::string error;
      WriteDataFile(file.string(), next, error);
    });
    if (!dropped) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_NE(ReadBytes(real / c.name), old);
    EXPECT_EQ(fs::is_regular_file(copy), !c.readOnly && !c.blocked);
    EXPECT_EQ(farCopies(), c.readOnly || c.blocked ? 1 : 0);
    InChildAsNobody([&] { RecoverInterruptedSaves((folder / c.reached).string() + "/"); });
    EXPECT_EQ(ReadBytes(real / c.name), old);
    EXPECT_FALSE(fs::is_regular_file(copy));
    EXPECT_EQ(farCopies(), 0);
    ::chmod(real.c_str(), 0777);
  }
  ::unsetenv("XDG_DATA_HOME");
}

// Every reason is Russian, whatever the error; each cause the player can
// mend (a full disk, a quota, a size limit, a long name...) says which.
TEST(DataFile, EveryFailureReadsInRussian) {
  for (int err = 1; err < 200; ++err) {
    const std::string reason = FileErrorReason(err);
    EXPECT_EQ(reason.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"), std::string::npos)
        << err << ": " << reason;
  }
  std::set<std::string> distinct;
  for (int err : {EACCES, EROFS, ENOSPC, EDQUOT, EFBIG, EISDIR, ENOTDIR, ENOENT, ENAMETOOLONG, ELOOP, EMLINK, EIO,
                  ENOMEM, EMFILE, EBUSY, EAGAIN, ENODEV, EEXIST, EINVAL, 4095})
    EXPECT_TRUE(distinct.insert(FileErrorReason(err)).second) << err << ": " << FileErrorReason(err);
  EXPECT_THAT(FileErrorReason(4095), ::testing::EndsWith("4095"));
  TempFolder dir;
  WriteBytes(dir / "file", "x");
  std::string error;
  EXPECT_FALSE(MakeDataFolder(GameFolders(dir.Slash(), dir.Slash() + "file/tumbol/"), error));
  EXPECT_EQ(error, FileErrorReason(ENOTDIR));
}

}  // namespace
}  // namespace tumbol
