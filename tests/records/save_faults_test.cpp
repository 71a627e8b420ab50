// Writing record.txt when the system says no: a folder that takes no new
// files, a folder in the file's place, a full disk, a failed flush or rename.
// Each time the old file stays as it was, the player is told why, and the
// game goes on.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "records/records_file.h"
#include "shell/scripted_toolkit.h"
#include "shell/text_lines.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

class RecordSaveFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tumbol_record_faults_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_work = dir_ + "/";
    WriteBytes(FilePath(), oldBytes);
  }
  void TearDown() override {
    g_fileFaults = FileFaults();
    ::chmod(dir_.c_str(), 0755);
    fs::remove_all(dir_);
  }
  std::string FilePath() const { return path_work + kRecordsFileName; }
  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Bytes(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(ReadWholeFile(path, contents)) << path;
    return contents;
  }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  // The one message of a failed write: it names the file and the reason.
  void ExpectFailureMessage(const std::string& path, const std::string& reason) {
    ASSERT_EQ(tk.messages.size(), 1u);
    const auto& m = tk.messages[0];
    EXPECT_EQ(m.style, kStyleExclamation);
    EXPECT_EQ(m.title, kRecordsTitle);
    EXPECT_EQ(m.text, "Не удалось записать файл '" + path + "': " + reason +
                          ".\rТаблица рекордов осталась прежней.");
  }
  // After the fault is gone the same table writes fine.
  void ExpectLaterSaveWorks() {
    g_fileFaults = FileFaults();
    tk.messages.clear();
    EXPECT_TRUE(SaveRecords(tk, path_work, {"Новый[:]0,5"}));
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(Bytes(FilePath()), "\xcd\xee\xe2\xfb\xe9[:]0,5\r\n");
  }

  // Windows-1251 bytes with odd spacing and endings that a rewrite would change.
  const std::string oldBytes = "\xc8\xe3\xf0\xee\xea[:]0,5\r\n\r\n  B[:]0,9\rC";
  const std::vector<std::string> table = {"Игрок[:]0,25", "B[:]0,5"};
  std::string dir_;
  std::string path_work;
  ScriptedToolkit tk;
};

TEST_F(RecordSaveFaults, FolderThatTakesNoNewFiles) {
  ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
  // Root writes regardless of the mode; the refusal the system would give is
  // injected instead.
  const bool permissionsHold = ::access(dir_.c_str(), W_OK) != 0;
  if (!permissionsHold) g_fileFaults.createError = EACCES;
  EXPECT_FALSE(SaveRecords(tk, path_work, table));
  ExpectFailureMessage(FilePath(), std::strerror(EACCES));
  ::chmod(dir_.c_str(), 0755);
  EXPECT_EQ(Bytes(FilePath()), oldBytes);
  EXPECT_EQ(FilesInFolder(), 1u);
  ExpectLaterSaveWorks();
}

TEST_F(RecordSaveFaults, FolderThatIsARegularFile) {
  // A real refusal even for root: the folder in the path is a file.
  const std::string notFolder = dir_ + "/notes";
  WriteBytes(notFolder, oldBytes);
  const std::string path = notFolder + "/" + kRecordsFileName;
  EXPECT_FALSE(SaveRecords(tk, notFolder + "/", table));
  ExpectFailureMessage(path, std::strerror(ENOTDIR));
  EXPECT_EQ(Bytes(notFolder), oldBytes);
  EXPECT_EQ(Bytes(FilePath()), oldBytes);
}

TEST_F(RecordSaveFaults, FolderInTheFilesPlaceKeepsWhatItHolds) {
  fs::remove(FilePath());
  fs::create_directory(FilePath());
  WriteBytes(FilePath() + "/inside.txt", oldBytes);
  EXPECT_FALSE(SaveRecords(tk, path_work, table));
  ExpectFailureMessage(FilePath(), "на этом месте находится папка");
  ASSERT_TRUE(fs::is_directory(FilePath()));
  EXPECT_EQ(Bytes(FilePath() + "/inside.txt"), oldBytes);
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(RecordSaveFaults, DiskFullPartWayThroughTheWrite) {
  // Large enough that part of it is written before the space runs out.
  std::vector<std::string> big;
  for (int i = 0; i < 300; ++i) big.push_back("Игрок " + std::to_string(i) + "[:]0,5");
  for (const long long space : {0LL, 1LL, 100LL, 4095LL}) {
    SCOPED_TRACE(space);
    tk.messages.clear();
    g_fileFaults.spaceLeft = space;
    EXPECT_FALSE(SaveRecords(tk, path_work, big));
    ExpectFailureMessage(FilePath(), std::strerror(ENOSPC));
    EXPECT_EQ(Bytes(FilePath()), oldBytes);
    EXPECT_EQ(FilesInFolder(), 1u);  // the partial temporary file is gone
  }
  ExpectLaterSaveWorks();
}

TEST_F(RecordSaveFaults, DiskFullWhenANewRecordIsWritten) {
  g_fileFaults.spaceLeft = 10;
  tk.inputs = {"Быстрый"};
  std::vector<std::string> lines;
  EXPECT_FALSE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_NE(tk.messages[0].text.find(std::strerror(ENOSPC)), std::string::npos);
  EXPECT_NE(tk.messages[0].text.find(FilePath()), std::string::npos);
  EXPECT_EQ(Bytes(FilePath()), oldBytes);
  // The table in memory is the one read, not the one that failed to be written.
  EXPECT_EQ(lines, (std::vector<std::string>{"Игрок[:]0,5", "B[:]0,9", "C"}));
  EXPECT_EQ(FilesInFolder(), 1u);
  // The next won game finds the same table and can set the record.
  g_fileFaults = FileFaults();
  tk.messages.clear();
  tk.inputs = {"Быстрый"};
  EXPECT_TRUE(CheckNewRecord(tk, path_work, lines, 0.1, ','));
  EXPECT_EQ(lines[0], "Быстрый[:]0,1");
}

TEST_F(RecordSaveFaults, RealFileSizeLimitDuringAPlainSave) {
  // The kernel's own full-disk answer: no file may grow beyond 16 bytes.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 16;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = SaveRecords(tk, path_work, table);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(saved);
  ExpectFailureMessage(FilePath(), std::strerror(EFBIG));
  EXPECT_EQ(Bytes(FilePath()), oldBytes);
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(RecordSaveFaults, FlushOrRenameFailing) {
  for (const bool atRename : {false, true}) {
    SCOPED_TRACE(atRename ? "rename" : "flush");
    tk.messages.clear();
    g_fileFaults = FileFaults();
    (atRename ? g_fileFaults.renameError : g_fileFaults.syncError) = EIO;
    EXPECT_FALSE(SaveRecords(tk, path_work, table));
    ExpectFailureMessage(FilePath(), std::strerror(EIO));
    EXPECT_EQ(Bytes(FilePath()), oldBytes);
    EXPECT_EQ(FilesInFolder(), 1u);
  }
  ExpectLaterSaveWorks();
}

}  // namespace
}  // namespace tumbol
