// The game window as a shell: its load order and messages, activation,
// dragging by the surface.
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "game/qt_form1.h"
#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

class Quiet : public SoundCues, public BoardCursor {
 public:
  void PlaySoundCue(int cue) override { cues.push_back(cue); }
  void SetAnimCursor(int) override {}
  void RestoreCursor() override { ++restores; }
  std::vector<int> cues;
  int restores = 0;
};

class Form1Shell : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tumbol_shell_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    folder = QString::fromStdString(dir.string());
  }
  void TearDown() override { fs::remove_all(dir); }
  void Copy(const char* name) {
    fs::copy_file(fs::path(TUMBOL_SOURCE_DIR) / "data" / name, dir / name,
                  fs::copy_options::overwrite_existing);
  }
  std::string Path(const char* name) const { return dir.string() + "/" + name; }

  fs::path dir;
  QString folder;
  ScriptedToolkit tk;
  Quiet quiet;
  Form1 form{tk, quiet, quiet};
};

TEST_F(Form1Shell, LoadReportsTheMapThenBothSkinsInOrder) {
  form.Form_Load(folder);
  ASSERT_EQ(tk.messages.size(), 3u);
  EXPECT_EQ(tk.messages[0].text, "Файла '" + Path("pole1.txt") + "' не существует!");
  EXPECT_EQ(tk.messages[1].text, "Не найден файл '" + Path("skins.bmp") + "'");
  EXPECT_EQ(tk.messages[2].text, "Не найден файл '" + Path("skinsp.jpg") + "'");
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(tk.messages[i].title, "Ошибка загрузки файла");
    EXPECT_EQ(tk.messages[i].style, kStyleExclamation);
  }
  EXPECT_EQ(form.game().path_work, dir.string() + "/");
  EXPECT_TRUE(form.skin.isNull());
}

TEST_F(Form1Shell, BrokenSkinsCountAsMissingAndGoodOnesLoad) {
  std::ofstream(dir / "skins.bmp") << "not a picture";
  fs::create_directories(dir / "skinsp.jpg");  // a folder where the picture should be
  form.Form_Load(folder);
  ASSERT_EQ(tk.messages.size(), 3u);
  EXPECT_EQ(tk.messages[1].title, "Ошибка загрузки файла");
  EXPECT_EQ(tk.messages[2].title, "Ошибка загрузки файла");

  tk.messages.clear();
  fs::remove_all(dir / "skinsp.jpg");
  Copy("skins.bmp");
  Copy("skinsp.jpg");
  Form1 other(tk, quiet, quiet);
  other.Form_Load(folder);
  EXPECT_EQ(tk.messages.size(), 1u);  // only the missing map
  EXPECT_EQ(other.skin.size(), QSize(760, 614));
}

TEST_F(Form1Shell, EmptyOrTruncatedSkinsCountAsMissing) {
  std::ofstream(dir / "skins.bmp");  // 0 bytes
  std::ifstream good(fs::path(TUMBOL_SOURCE_DIR) / "data" / "skinsp.jpg", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(good)), {});
  std::ofstream(dir / "skinsp.jpg", std::ios::binary) << bytes.substr(0, 200);  // the header only
  form.Form_Load(folder);
  ASSERT_EQ(tk.messages.size(), 3u);
  EXPECT_EQ(tk.messages[1].text, "Не найден файл '" + Path("skins.bmp") + "'");
  EXPECT_EQ(tk.messages[2].text, "Не найден файл '" + Path("skinsp.jpg") + "'");
  EXPECT_TRUE(form.skin.isNull());
}

TEST_F(Form1Shell, FirstActivationClosesSplashAndSettlesButNeverWinsAnEmptyBoard) {
  QWidget splash;
  splash.show();
  form.splash = &splash;
  form.Form_Load(folder);
  tk.messages.clear();
  form.show();
  form.activateWindow();
  QApplication::setActiveWindow(&form);
  QTRY_VERIFY_WITH_TIMEOUT(form.isActiveWindow(), 2000);
  QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 2000);
  EXPECT_TRUE(tk.messages.empty());  // no board, so no "Победа!!!"
  EXPECT_GT(form.game().LevelStartTime, 0.0);
}

TEST_F(Form1Shell, WonBoardIsNotSettledAgainOnActivation) {
  std::string map;
  for (int i = 0; i < 16; ++i) map += std::string(22, '0') + "\r\n";
  std::ofstream(dir / "pole1.txt", std::ios::binary) << map;
  form.Form_Load(folder);
  form.game().SettleBoard();
  ASSERT_TRUE(form.game().LevelSolved);
  const size_t wins = std::count(quiet.cues.begin(), quiet.cues.end(), 2);
  form.show();
  QApplication::setActiveWindow(&form);
  QTRY_VERIFY_WITH_TIMEOUT(form.isActiveWindow(), 2000);
  EXPECT_EQ(static_cast<size_t>(std::count(quiet.cues.begin(), quiet.cues.end(), 2)), wins);
}

TEST_F(Form1Shell, OnlyComingBackFromAnotherWindowOfTheProgramSettles) {
  std::string map;
  for (int i = 0; i < 14; ++i) map += std::string(22, '0') + "\r\n";
  map += "2300000000000000000000\r\n" + std::string(22, '1') + "\r\n";
  std::ofstream(dir / "pole1.txt", std::ios::binary) << map;
  form.Form_Load(folder);
  form.show();
  QApplication::setActiveWindow(&form);
  QTRY_VERIFY_WITH_TIMEOUT(form.isActiveWindow(), 2000);
  Board& board = form.game().board;
  QMessageBox box(&form);
  QDialog editor(&form);
  const struct {
    const char* what;
    QWidget* between;  // active in between; null: another application
    bool settles;
  } cases[] = {{"another application", nullptr, false},
               {"a message box", &box, false},
               {"the editor", &editor, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    board.At(5, 5) = 2;  // a cube in the air
    if (c.between) c.between->show();
    QApplication::setActiveWindow(c.between);
    QTRY_VERIFY_WITH_TIMEOUT(!form.isActiveWindow(), 2000);
    if (c.between) c.between->hide();
    QApplication::setActiveWindow(&form);
    QTRY_VERIFY_WITH_TIMEOUT(form.isActiveWindow(), 2000);
    EXPECT_EQ(board.At(5, 5), c.settles ? 0 : 2);
    board.At(5, 5) = 0;
    board.At(15, 5) = 0;
  }
}

TEST_F(Form1Shell, PressesOnControlsNeverDragTheWindow) {
  form.Form_Load(folder);
  form.move(100, 100);
  const QPoint start = form.pos();
  QWidget* const controls[] = {form.Image1[0], form.Label1, form.Label3, form.Image3[1], form.Text1,
                               form.Picture1};
  for (QWidget* control : controls) {
    SCOPED_TRACE(control->metaObject()->className());
    QTest::mousePress(control, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(control, QPoint(30, 20));
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(30, 20));
    EXPECT_EQ(form.pos(), start);
  }
  QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(10, 300));  // the surface
  QTest::mouseMove(&form, QPoint(40, 320));
  EXPECT_EQ(form.pos(), start + QPoint(30, 20));
  QTest::mouseRelease(&form, Qt::LeftButton, {}, QPoint(40, 320));
}

TEST_F(Form1Shell, OnlyTheLeftButtonAloneDragsTheWindow) {
  form.move(100, 100);
  const QPoint start = form.pos();
  auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), form.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &event);
  };
  send(QEvent::MouseButtonPress, {10, 300}, Qt::RightButton, Qt::RightButton);
  send(QEvent::MouseMove, {40, 320}, Qt::NoButton, Qt::RightButton);
  EXPECT_EQ(form.pos(), start);
  send(QEvent::MouseMove, {40, 320}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
  EXPECT_EQ(form.pos(), start);
  send(QEvent::MouseButtonPress, {10, 300}, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, {40, 320}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(form.pos(), start + QPoint(30, 20));
  EXPECT_GT(quiet.restores, 0);  // moving over the surface restores the arrow
}

}  // namespace
}  // namespace tumbol
