// Saving a map from the editor when the system says no: a folder that takes
// no new files, a folder in the map's place, a full disk, a failed flush or
// rename. Each time the old map stays as it was, the designer is told why,
// and the editor goes on with the board intact.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "editor/editor_map.h"
#include "shell/scripted_toolkit.h"
#include "shell/text_lines.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

class NumberView : public EditorView {
 public:
  void DrawEditorBoard() override {}
  void ShowCoords(const std::string&, const std::string&) override {}
  void SelectPaletteItem(int) override {}
  void ShowPreview(int) override {}
  std::string MapNumberText() override { return number; }
  void FocusMapNumber() override {}
  void SetSaveEnabled(bool enabled) override { saveEnabled.push_back(enabled); }
  void CloseWindow() override {}

  std::string number = "3";
  std::vector<bool> saveEnabled;
};

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class EditorSaveFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tumbol_editor_faults_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir = tmpl;
    core = std::make_unique<EditorCore>(tk, view, dir.string() + "/");
    core->Form_Load();
    // Something painted, so a save would change the file.
    PaintEditorCell(core->EditorBoard, 1, 1, 5);
    PaintEditorCell(core->EditorBoard, 16, 22, 1);
    painted = core->EditorBoard;
    WriteBytes(MapPath(), oldBytes);
  }
  void TearDown() override {
    g_fileFaults = FileFaults();
    ::chmod(dir.c_str(), 0755);
    fs::remove_all(dir);
  }
  fs::path MapPath() const { return dir / "pole3.txt"; }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }
  // Saving over the existing map: the editor asks first, and the answer is yes.
  void SaveOver() {
    tk.answers = {kResultYes};
    core->Command1_Click();
  }
  // The overwrite question, then one message naming the map and the reason.
  void ExpectFailureMessage(const fs::path& path, const std::string& reason, bool asked = true) {
    ASSERT_EQ(tk.messages.size(), asked ? 2u : 1u);
    const auto& m = tk.messages.back();
    EXPECT_EQ(m.style, kStyleExclamation);
    EXPECT_EQ(m.title, "Сохранить");
    EXPECT_EQ(m.text, "Не удалось сохранить файл '" + path.string() + "' (" + reason +
                          ").\rПрежний файл, если он был, остался без изменений.");
    EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(core->EditorBoard, painted);
  }
  // With the fault gone the same board saves and loads back.
  void ExpectLaterSaveWorks() {
    g_fileFaults = FileFaults();
    tk.messages.clear();
    SaveOver();
    ASSERT_EQ(tk.messages.size(), 1u);  // only the overwrite question
    EXPECT_EQ(Bytes(MapPath()), WriteEditorMap(painted));
    core->EditorBoard = NewEditorBoard();
    core->Command2_Click();
    EXPECT_EQ(core->EditorBoard, painted);
  }

  // An older map, narrower than the editor's, with odd endings a rewrite would change.
  const std::string oldBytes = "1234\r\n\r\n  5678  \rABCD";
  fs::path dir;
  ScriptedToolkit tk;
  NumberView view;
  std::unique_ptr<EditorCore> core;
  Board painted;
};

TEST_F(EditorSaveFaults, FolderThatTakesNoNewFiles) {
  ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
  // Root writes regardless of the mode; the refusal the system would give is
  // injected instead.
  if (::access(dir.c_str(), W_OK) == 0) g_fileFaults.createError = EACCES;
  SaveOver();
  ExpectFailureMessage(MapPath(), std::strerror(EACCES));
  ::chmod(dir.c_str(), 0755);
  EXPECT_EQ(Bytes(MapPath()), oldBytes);
  EXPECT_EQ(FilesInFolder(), 1u);
  ExpectLaterSaveWorks();
}

TEST_F(EditorSaveFaults, FolderThatIsARegularFile) {
  // A real refusal even for root: the work folder is a file.
  const fs::path notFolder = dir / "notes";
  WriteBytes(notFolder, oldBytes);
  EditorCore other(tk, view, notFolder.string() + "/");
  other.Form_Load();
  other.EditorBoard = painted;
  other.Command1_Click();
  ExpectFailureMessage(notFolder / "pole3.txt", std::strerror(ENOTDIR), false);
  EXPECT_EQ(Bytes(notFolder), oldBytes);
  EXPECT_EQ(Bytes(MapPath()), oldBytes);
}

TEST_F(EditorSaveFaults, DiskFullPartWayThroughTheMap) {
  // The map is 16 lines of 24 bytes; the space runs out at the start, inside
  // the first line, and one byte short of the end.
  for (const long long space : {0LL, 7LL, 16LL * 24 - 1}) {
    SCOPED_TRACE(space);
    tk.messages.clear();
    view.saveEnabled.clear();
    g_fileFaults.spaceLeft = space;
    SaveOver();
    ExpectFailureMessage(MapPath(), std::strerror(ENOSPC));
    EXPECT_EQ(Bytes(MapPath()), oldBytes);
    EXPECT_EQ(FilesInFolder(), 1u);  // the partial temporary file is gone
  }
  ExpectLaterSaveWorks();
}

TEST_F(EditorSaveFaults, RealFileSizeLimit) {
  // The kernel's own full-disk answer: no file may grow beyond 30 bytes.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 30;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  SaveOver();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  ExpectFailureMessage(MapPath(), std::strerror(EFBIG));
  EXPECT_EQ(Bytes(MapPath()), oldBytes);
  EXPECT_EQ(FilesInFolder(), 1u);
  ExpectLaterSaveWorks();
}

TEST_F(EditorSaveFaults, NewMapOnAFullDiskLeavesNoFile) {
  g_fileFaults.spaceLeft = 50;
  view.number = "4";
  core->Command1_Click();  // no old file, so no question
  ExpectFailureMessage(dir / "pole4.txt", std::strerror(ENOSPC), false);
  EXPECT_FALSE(fs::exists(dir / "pole4.txt"));
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(EditorSaveFaults, FlushOrRenameFailing) {
  for (const bool atRename : {false, true}) {
    SCOPED_TRACE(atRename ? "rename" : "flush");
    tk.messages.clear();
    view.saveEnabled.clear();
    g_fileFaults = FileFaults();
    (atRename ? g_fileFaults.renameError : g_fileFaults.syncError) = EIO;
    SaveOver();
    ExpectFailureMessage(MapPath(), std::strerror(EIO));
    EXPECT_EQ(Bytes(MapPath()), oldBytes);
    EXPECT_EQ(FilesInFolder(), 1u);
  }
  ExpectLaterSaveWorks();
}

}  // namespace
}  // namespace tumbol
