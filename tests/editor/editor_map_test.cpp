// The level editor's core: painting, palette, wheel, leaving, and the map
// files it saves and loads.
#include "editor/editor_map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game/map_file.h"
#include "shell/scripted_toolkit.h"
#include "shell/text_lines.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;

class FakeView : public EditorView {
 public:
  void DrawEditorBoard() override { ++draws; }
  void ShowCoords(const std::string& c, const std::string& r) override {
    col = c;
    row = r;
  }
  void SelectPaletteItem(int index) override { selected = index; }
  void ShowPreview(int code) override { preview = code; }
  std::string MapNumberText() override { return number; }
  void FocusMapNumber() override { ++focusCalls; }
  void SetSaveEnabled(bool enabled) override { saveEnabled.push_back(enabled); }
  void CloseWindow() override { ++closes; }

  int draws = 0;
  std::string col = "1", row = "1";
  int selected = -1;
  int preview = -1;
  std::string number;
  int focusCalls = 0;
  std::vector<bool> saveEnabled;
  int closes = 0;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("tumbol_editor_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    core = std::make_unique<EditorCore>(tk, view, dir.string() + "/");
    core->Form_Load();
  }
  void TearDown() override {
    ::chmod(dir.c_str(), 0755);
    fs::remove_all(dir);
  }

  // The middle of a cell, in points.
  static double Mid(int cell) { return (cell - 1) * 24 + 12; }
  void Move(int button, int row, int col) { core->Picture1_MouseMove(button, Mid(col), Mid(row)); }
  void Press(int button, int row, int col) { core->Picture1_MouseDown(button, Mid(col), Mid(row)); }
  void Select(int index) {
    view.selected = index;
    core->Combo1_Click(index);
  }
  void Load(const std::string& number) {
    view.number = number;
    core->Command2_Click();
  }
  void Save(const std::string& number) {
    view.number = number;
    core->Command1_Click();
  }
  std::string Text(int row) const { return BoardRowText(core->EditorBoard, row); }

  const std::string warningText =
      "Внимание! Карта имеет неправельную структуру или несуществующие элементы.\r"
      "Эти элементы будут учитываться как пространство карты.";

  fs::path dir;
  ScriptedToolkit tk;
  FakeView view;
  std::unique_ptr<EditorCore> core;
};

TEST(EditorCells, CellRuleCountsFromTheEdge) {
  EXPECT_EQ(CellFromPoints(0), 0);
  EXPECT_EQ(CellFromPoints(0.75), 1);
  EXPECT_EQ(CellFromPoints(24), 1);
  EXPECT_EQ(CellFromPoints(24.01), 2);
  EXPECT_EQ(CellFromPoints(48), 2);
  EXPECT_EQ(CellFromPoints(-24), 1);  // mirrored; the core refuses to paint there
  EXPECT_EQ(CellFromPoints(1e9), kEditorMaxExtent);
}

TEST(EditorCells, PaletteTextsAreTheKindNames) {
  EXPECT_EQ(PaletteText(0), "0 - ПУСТОТА");
  EXPECT_EQ(PaletteText(1), "1 - КИРПИЧИ");
  EXPECT_EQ(PaletteText(2), "2- КАРТИНКА");
  EXPECT_EQ(PaletteText(21), "21- КАРТИНКА");
  EXPECT_EQ(PaletteText(22), "22- КИРПИЧИ");
  EXPECT_EQ(PaletteText(26), "26- КИРПИЧИ");
}

TEST_F(Editor, OpensEmptyWithTheFirstKind) {
  EXPECT_EQ(core->EditorBoard, Board(16, 22));
  EXPECT_EQ(core->EditorRows, 16);
  EXPECT_EQ(core->EditorCols, 22);
  EXPECT_EQ(core->LastCol, -1);
  EXPECT_EQ(core->LastRow, -1);
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(core->CurrentKind, 0);
  EXPECT_EQ(view.preview, 0);
  EXPECT_FALSE(core->ExitConfirmed);
  EXPECT_EQ(view.draws, 0);
}

TEST_F(Editor, PressBeforeAnyMovePaintsNothingButShowsTheCell) {
  Select(5);
  Press(1, 3, 4);
  EXPECT_EQ(core->EditorBoard.At(3, 4), 0);
  EXPECT_EQ(view.draws, 0);
  EXPECT_EQ(view.col, "4");
  EXPECT_EQ(view.row, "3");
  EXPECT_EQ(core->LastCol, 4);
  // Now the cell is known: a second press paints.
  Press(1, 3, 4);
  EXPECT_EQ(core->EditorBoard.At(3, 4), 5);
  EXPECT_EQ(view.draws, 1);
}

TEST_F(Editor, ColumnZeroPaintsNothingNorTheNextMove) {
  Select(7);
  core->Picture1_MouseMove(0, Mid(2), Mid(2));
  core->Picture1_MouseDown(1, 0, Mid(2));
  EXPECT_EQ(view.col, "0");
  core->Picture1_MouseMove(1, Mid(1), Mid(2));
  EXPECT_EQ(core->EditorBoard, Board(16, 22));
  EXPECT_EQ(view.col, "1");
  Move(1, 2, 2);
  EXPECT_EQ(core->EditorBoard.At(2, 2), 7);
}

TEST_F(Editor, DragPaintsEachNewCellOnce) {
  Select(9);
  Move(0, 5, 1);
  Press(1, 5, 1);
  for (int col = 2; col <= 5; ++col) Move(1, 5, col);
  for (int col = 1; col <= 5; ++col) EXPECT_EQ(core->EditorBoard.At(5, col), 9) << col;
  EXPECT_EQ(core->EditorBoard.At(5, 6), 0);
  EXPECT_EQ(view.draws, 5);
  // Jitter inside the same cell redraws nothing.
  core->Picture1_MouseMove(1, Mid(5) + 3, Mid(5) - 2);
  EXPECT_EQ(view.draws, 5);
  // The right button erases as it goes.
  Move(2, 5, 4);
  Move(2, 5, 3);
  EXPECT_EQ(Text(5), "9900900000000000000000");
}

TEST_F(Editor, OtherButtonsChangeNothingButRedraw) {
  Select(3);
  Move(0, 1, 1);
  Press(1, 1, 1);
  Move(4, 1, 2);
  Move(3, 1, 3);
  core->Picture1_MouseDown(3, Mid(1), Mid(1));
  core->Picture1_MouseDown(4, Mid(1), Mid(1));
  EXPECT_EQ(Text(1), "3000000000000000000000");
  EXPECT_EQ(view.draws, 5);
}

TEST_F(Editor, EmptyKindPaintsLikeTheEraser) {
  Select(4);
  Move(0, 1, 1);
  Press(1, 1, 1);
  Select(0);
  EXPECT_EQ(view.preview, 0);
  Press(1, 1, 1);
  EXPECT_EQ(core->EditorBoard.At(1, 1), 0);
}

TEST_F(Editor, DragBeyondTheEdgesNeverPaints) {
  Select(2);
  Move(0, 1, 1);
  Press(1, 1, 1);
  core->Picture1_MouseMove(1, -54, Mid(1));    // left of the surface (mirrors to column 2)
  core->Picture1_MouseMove(1, Mid(2), -30);    // above it
  core->Picture1_MouseMove(1, Mid(23), Mid(1));  // right of the board
  core->Picture1_MouseMove(1, Mid(1), Mid(17));  // below it
  EXPECT_EQ(Text(1), "2000000000000000000000");
  EXPECT_EQ(core->EditorBoard.At(16, 1), 0);
  EXPECT_EQ(view.col, "1");
  EXPECT_EQ(view.row, "17");
}

TEST_F(Editor, PaintingStaysWithinTheLoadedSize) {
  std::string map;
  for (int r = 0; r < 10; ++r) map += std::string(12, '1') + "\r\n";
  WriteFile(dir / "pole3.txt", map);
  Load("3");
  ASSERT_EQ(core->EditorRows, 10);
  ASSERT_EQ(core->EditorCols, 12);
  Select(0);
  Move(0, 1, 12);
  Press(1, 1, 13);
  Press(1, 1, 12);
  Press(1, 11, 12);
  EXPECT_EQ(Text(1), "111111111110");
  EXPECT_EQ(Text(10), "111111111111");

  // A larger map: only what the surface shows can be painted.
  map.clear();
  for (int r = 0; r < 20; ++r) map += std::string(30, '0') + "\r\n";
  WriteFile(dir / "pole4.txt", map);
  Load("4");
  Select(1);
  Press(1, 16, 22);
  Move(1, 16, 23);
  Move(1, 17, 23);
  Move(1, 17, 22);
  EXPECT_EQ(Text(16), "000000000000000000000100000000");
  EXPECT_EQ(Text(17), std::string(30, '0'));
}

TEST_F(Editor, PaletteStepsAndStopsAtBothEnds) {
  Select(5);
  core->StepPalette(1);
  EXPECT_EQ(view.selected, 4);
  EXPECT_EQ(core->CurrentKind, 4);
  EXPECT_EQ(view.preview, 4);
  Select(0);
  core->StepPalette(1);
  EXPECT_EQ(core->SelectedIndex(), 0);
  core->StepPalette(0);
  EXPECT_EQ(core->SelectedIndex(), 1);
  Select(26);
  core->StepPalette(-1);
  EXPECT_EQ(core->SelectedIndex(), 26);
  EXPECT_EQ(core->CurrentKind, 26);
  core->StepPalette(1);
  EXPECT_EQ(core->CurrentKind, 25);
}

TEST_F(Editor, OneWheelNotchStepsOnce) {
  Select(5);
  core->WheelTurned(120);
  for (int i = 0; i < 10; ++i) core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 4);
  core->WheelTurned(-120);
  core->WheelTurned(-120);
  for (int i = 0; i < 10; ++i) core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 6);
  EXPECT_EQ(core->WheelDirection, -1);
}

TEST_F(Editor, HalfNotchesAddUpToOneStep) {
  Select(5);
  core->WheelTurned(60);
  core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 5);
  core->WheelTurned(60);
  core->tmrGet_Timer();
  core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 4);
  // Turning back starts afresh: half a notch the other way is no step.
  core->WheelTurned(90);
  core->WheelTurned(-60);
  core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 4);
}

TEST_F(Editor, OtherInputDropsAWheelTurnNotYetStepped) {
  Select(5);
  core->WheelTurned(120);
  core->OtherInput();
  core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 5);
  core->WheelTurned(60);
  core->OtherInput();
  core->WheelTurned(60);
  core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 5);
  EXPECT_EQ(core->WheelPending, 0);
}

TEST_F(Editor, WheelStopsAtTheEnds) {
  Select(0);
  core->WheelTurned(120);
  core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 0);
  Select(26);
  core->WheelTurned(-120);
  core->tmrGet_Timer();
  EXPECT_EQ(core->SelectedIndex(), 26);
}

TEST_F(Editor, CloseAsksOnceAndNoKeepsTheEditor) {
  tk.answers = {kResultNo};
  core->Command3_Click();
  EXPECT_EQ(view.closes, 0);
  EXPECT_FALSE(core->ExitConfirmed);
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Вы действительно хотите выйти?");
  EXPECT_EQ(tk.messages[0].title, "Выйти");
  EXPECT_EQ(tk.messages[0].style, kStyleQuestion);

  tk.answers = {kResultYes};
  core->Command3_Click();
  EXPECT_EQ(view.closes, 1);
  bool cancel = false;
  core->Form_Unload(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(tk.messages.size(), 2u);
}

TEST_F(Editor, CloseBoxAsksAndNoCancels) {
  bool cancel = false;
  tk.answers = {kResultNo};
  core->Form_Unload(cancel);
  EXPECT_TRUE(cancel);
  cancel = false;
  tk.answers = {kResultYes};
  core->Form_Unload(cancel);
  EXPECT_FALSE(cancel);
  ASSERT_EQ(tk.messages.size(), 2u);
  EXPECT_EQ(tk.messages[1].title, "Выйти");
}

TEST_F(Editor, FreshSaveWritesSixteenLinesOfZeros) {
  Save("7");
  std::string expected;
  for (int r = 0; r < 16; ++r) expected += std::string(22, '0') + "\r\n";
  EXPECT_EQ(ReadFile(dir / "pole7.txt"), expected);
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true}));
}

TEST_F(Editor, SavedMapLoadsBackAndInTheGame) {
  core->EditorBoard.At(1, 1) = 10;
  core->EditorBoard.At(16, 22) = 26;
  core->EditorBoard.At(8, 3) = 21;
  core->EditorBoard.At(9, 4) = 1;
  const Board painted = core->EditorBoard;
  Save("25");
  const std::string file = ReadFile(dir / "pole25.txt");
  const std::vector<std::string_view> lines = KeptLines(file);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0].front(), 'A');
  EXPECT_EQ(lines[15].back(), 'Q');

  core->EditorBoard = Board(16, 22);
  Load("25");
  EXPECT_EQ(core->EditorBoard, painted);
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(view.draws, 1);

  Board game;
  bool warning = false;
  ParseLevelMap(ReadFile(dir / "pole25.txt"), game, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(game, painted);
}

TEST_F(Editor, OverwriteQuestionNoKeepsTheFile) {
  const std::string old = "old map\r\nwith two lines";
  WriteFile(dir / "pole4.txt", old);
  tk.answers = {kResultNo};
  Save("4");
  EXPECT_EQ(ReadFile(dir / "pole4.txt"), old);
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text,
            "Файл '" + (dir / "pole4.txt").string() + "' уже существует!\rЗаменить существующий файл?");
  EXPECT_EQ(tk.messages[0].title, "Сохранить");
  EXPECT_EQ(tk.messages[0].style, kStyleQuestion);
  EXPECT_EQ(view.saveEnabled.back(), true);

  tk.answers = {kResultYes};
  Save("4");
  EXPECT_EQ(ReadFile(dir / "pole4.txt").size(), 384u);
}

// Installed read-only: a save goes to the player's data folder, made then,
// and asks only about the file it would really replace; a load finds the
// player's map first, then the shipped one.
TEST_F(Editor, ReadOnlyInstallSavesInTheDataFolder) {
  const fs::path data = dir / "share" / "tumbol";
  EditorCore installed(tk, view, GameFolders(dir.string() + "/", data.string() + "/"));
  std::string shipped;
  for (int r = 0; r < 16; ++r) shipped += std::string(21, '0') + (r == 15 ? "1" : "0") + "\r\n";
  WriteFile(dir / "pole3.txt", shipped);
  view.number = "3";
  installed.LoadEditorMap();
  installed.EditorBoard.At(1, 1) = 5;
  installed.SaveEditorMap();
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(ReadFile(dir / "pole3.txt"), shipped);
  EXPECT_EQ(ReadFile(data / "pole3.txt"), WriteEditorMap(installed.EditorBoard));

  installed.EditorBoard = NewEditorBoard();
  installed.LoadEditorMap();
  EXPECT_EQ(installed.EditorBoard.At(1, 1), 5);
  EXPECT_EQ(installed.EditorBoard.At(16, 22), 1);
  tk.answers = {kResultNo};
  installed.SaveEditorMap();
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text,
            "Файл '" + (data / "pole3.txt").string() + "' уже существует!\rЗаменить существующий файл?");
}

TEST_F(Editor, EmptyFileIsOverwrittenWithoutAsking) {
  WriteFile(dir / "pole5.txt", "");
  Save("5");
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(ReadFile(dir / "pole5.txt").size(), 384u);
}

TEST_F(Editor, EmptyNumberAsksForOne) {
  Save("");
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text,
            "Введите номер (№) поля для сохранения.\r"
            "Например: 1,2,3...100 - имя будет иметь вид 'pole' + № + '.txt'\r"
            "Т.е. например: 'pole1.txt' или 'pole25.txt'");
  EXPECT_EQ(tk.messages[0].title, "Открыть");
  EXPECT_EQ(tk.messages[0].style, kStyleExclamation);
  EXPECT_EQ(view.focusCalls, 0);

  core->EditorBoard.At(1, 1) = 3;
  Load("");
  ASSERT_EQ(tk.messages.size(), 2u);
  EXPECT_EQ(tk.messages[1].text, "Введите номер карты.");
  EXPECT_EQ(tk.messages[1].title, "Открыть");
  EXPECT_EQ(view.focusCalls, 1);
  EXPECT_EQ(core->EditorBoard.At(1, 1), 3);
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(Editor, MissingFileKeepsTheBoard) {
  core->EditorBoard.At(2, 2) = 6;
  WriteFile(dir / "pole9.txt", "");
  Load("9");
  Load(" 7");
  ASSERT_EQ(tk.messages.size(), 2u);
  EXPECT_EQ(tk.messages[0].text, "Файла '" + (dir / "pole9.txt").string() + "' не существует!");
  EXPECT_EQ(tk.messages[1].text, "Файла '" + (dir / "pole 7.txt").string() + "' не существует!");
  EXPECT_EQ(tk.messages[1].style, kStyleExclamation);
  EXPECT_EQ(tk.messages[1].title, "Открыть");
  EXPECT_EQ(core->EditorBoard.At(2, 2), 6);
  EXPECT_EQ(view.draws, 2);  // the redraw follows every attempt
}

TEST_F(Editor, SizeComesFromTheFile) {
  std::string map;
  for (int r = 0; r < 20; ++r) map += std::string(30, static_cast<char>('0' + r % 10)) + "\r\n";
  WriteFile(dir / "pole20.txt", map);
  Load("20");
  EXPECT_EQ(core->EditorRows, 20);
  EXPECT_EQ(core->EditorCols, 30);
  EXPECT_EQ(Text(20), std::string(30, '9'));
  EXPECT_TRUE(tk.messages.empty());
  Save("21");
  EXPECT_EQ(ReadFile(dir / "pole21.txt"), map);
}

TEST_F(Editor, LastLineSetsTheWidth) {
  WriteFile(dir / "pole1.txt", "1234567\r\n12\r\n  \r\n\r\n abcde \r");
  Load("1");
  ASSERT_EQ(core->EditorRows, 3);
  ASSERT_EQ(core->EditorCols, 5);
  EXPECT_EQ(Text(1), "12345");
  EXPECT_EQ(Text(2), "12000");
  EXPECT_EQ(Text(3), "ABCDE");
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, warningText);
  EXPECT_EQ(tk.messages[0].title, "Загрузка карты");
  EXPECT_EQ(tk.messages[0].style, kStyleInformation);
  // Blank lines are gone and small letters come back as capitals.
  Save("2");
  EXPECT_EQ(ReadFile(dir / "pole2.txt"), "12345\r\n12000\r\nABCDE\r\n");
}

TEST_F(Editor, LongerLinesAreCutWithoutWarning) {
  WriteFile(dir / "pole1.txt", "1234567\r\nqqqqqqqqq\r\n12345");
  Load("1");
  EXPECT_EQ(Text(2), "QQQQQ");
  EXPECT_TRUE(tk.messages.empty());
}

TEST_F(Editor, NamesThatAreNoPlainFileAreRefused) {
  // Folders that an unchecked name would reach: dir/pole../x.txt, dir/polea/b.txt.
  fs::create_directories(dir / "pole..");
  fs::create_directories(dir / "polea");
  WriteFile(dir / "pole.." / "x.txt", "1\r\n");
  WriteFile(dir / "polea" / "b.txt", "2\r\n");
  core->EditorBoard.At(1, 1) = 8;
  tk.answers = {kResultYes, kResultYes, kResultYes, kResultYes, kResultYes};
  for (const std::string number : {"../x", "a/b", "a\\b", ".", ".."}) {
    tk.messages.clear();
    Save(number);
    ASSERT_EQ(tk.messages.size(), 1u) << number;
    EXPECT_EQ(tk.messages[0].style, kStyleExclamation);
    EXPECT_EQ(tk.messages[0].title, "Сохранить");
    EXPECT_NE(tk.messages[0].text.find("'" + number + "' не годится"), std::string::npos) << number;
    tk.messages.clear();
    Load(number);
    ASSERT_EQ(tk.messages.size(), 1u) << number;
    EXPECT_EQ(tk.messages[0].title, "Открыть");
    EXPECT_NE(tk.messages[0].text.find("'" + number + "' не годится"), std::string::npos) << number;
  }
  EXPECT_EQ(tk.answers.size(), 5u);  // no replace question was reached
  EXPECT_EQ(ReadFile(dir / "pole.." / "x.txt"), "1\r\n");
  EXPECT_EQ(ReadFile(dir / "polea" / "b.txt"), "2\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  EXPECT_EQ(core->EditorBoard.At(1, 1), 8);
  EXPECT_EQ(core->EditorRows, 16);
}

TEST_F(Editor, HugeFilesAreRefusedQuickly) {
  core->EditorBoard.At(1, 1) = 8;
  std::string tall;
  for (int r = 0; r < 40000; ++r) tall += "0000\r\n";
  WriteFile(dir / "pole1.txt", tall);
  WriteFile(dir / "pole2.txt", "1\r\n" + std::string(40000, '2') + "\r\n");
  std::string square;
  for (int r = 0; r < 5000; ++r) square += std::string(r == 4999 ? 5000 : 1, '1') + "\r\n";
  WriteFile(dir / "pole3.txt", square);
  const auto start = std::chrono::steady_clock::now();
  Load("1");
  Load("2");
  Load("3");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ASSERT_EQ(tk.messages.size(), 3u);
  for (const auto& m : tk.messages) {
    EXPECT_NE(m.text.find("слишком велика"), std::string::npos);
    EXPECT_EQ(m.style, kStyleExclamation);
  }
  EXPECT_EQ(core->EditorBoard.At(1, 1), 8);
  EXPECT_EQ(core->EditorRows, 16);
}

TEST_F(Editor, BigFileLoadsInAMoment) {
  std::string big;
  for (int r = 0; r < 30000; ++r) big += std::string(200, static_cast<char>('A' + r % 17)) + "\r\n";
  WriteFile(dir / "pole1.txt", big);  // 6 MB
  const auto start = std::chrono::steady_clock::now();
  Load("1");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(core->EditorRows, 30000);
  EXPECT_EQ(core->EditorCols, 200);
  EXPECT_EQ(core->EditorBoard.At(30000, 200), 10 + 29999 % 17);
  EXPECT_TRUE(tk.messages.empty());
}

TEST_F(Editor, BlankFileIsRefused) {
  core->EditorBoard.At(1, 1) = 8;
  WriteFile(dir / "pole1.txt", "   \r\n\r\n \r   ");
  Load("1");
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text,
            "В файле '" + (dir / "pole1.txt").string() + "' нет ни одной строки карты.\rПрежняя карта осталась.");
  EXPECT_EQ(core->EditorBoard.At(1, 1), 8);
  EXPECT_EQ(core->EditorCols, 22);
}

TEST_F(Editor, FailedWriteLeavesTheOldAndTells) {
  fs::create_directories(dir / "pole6.txt");
  WriteFile(dir / "pole6.txt" / "inside", "x");
  Save("6");
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].style, kStyleExclamation);
  EXPECT_EQ(tk.messages[0].title, "Сохранить");
  EXPECT_EQ(tk.messages[0].text.rfind("Не удалось сохранить файл '" + (dir / "pole6.txt").string() + "'", 0), 0u);
  EXPECT_TRUE(fs::is_directory(dir / "pole6.txt"));
  EXPECT_EQ(ReadFile(dir / "pole6.txt" / "inside"), "x");
  EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true}));
}

TEST_F(Editor, VeryLongNumberFailsPolitely) {
  const std::string number(400, '7');
  Save(number);
  Load(number);
  ASSERT_EQ(tk.messages.size(), 2u);
  EXPECT_NE(tk.messages[0].text.find("Не удалось сохранить"), std::string::npos);
  EXPECT_NE(tk.messages[1].text.find("не существует!"), std::string::npos);
  EXPECT_EQ(core->EditorBoard, Board(16, 22));
}

TEST_F(Editor, BinaryBytesGiveEmptyCellsAndTheWarning) {
  std::string bytes("1\0\xff\x80" "2\r\n\x01" "3\x7f" "ab", 12);
  WriteFile(dir / "pole1.txt", bytes);
  Load("1");
  ASSERT_EQ(core->EditorRows, 2);
  ASSERT_EQ(core->EditorCols, 5);
  EXPECT_EQ(Text(1), "10002");
  EXPECT_EQ(Text(2), "030AB");
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, warningText);
}

}  // namespace
}  // namespace tumbol
