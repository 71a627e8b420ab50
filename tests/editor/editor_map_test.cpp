// The level editor's core: painting, palette, wheel, leaving, and the map
// files it saves and loads.
#include "editor/editor_map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(EditorCells, CellRuleAndPaletteTexts) {
  EXPECT_EQ(CellFromPoints(0), 0);
  EXPECT_EQ(CellFromPoints(0.75), 1);
  EXPECT_EQ(CellFromPoints(24), 1);
  EXPECT_EQ(CellFromPoints(24.01), 2);
  EXPECT_EQ(CellFromPoints(48), 2);
  EXPECT_EQ(CellFromPoints(-24), 1);  // mirrored; the core refuses to paint there
  EXPECT_EQ(CellFromPoints(1e9), kEditorMaxExtent);
  EXPECT_EQ(PaletteText(0), "0 - ПУСТОТА");
  EXPECT_EQ(PaletteText(1), "1 - КИРПИЧИ");
  EXPECT_EQ(PaletteText(2), "2- КАРТИНКА");
  EXPECT_EQ(PaletteText(21), "21- КАРТИНКА");
  EXPECT_EQ(PaletteText(22), "22- КИРПИЧИ");
  EXPECT_EQ(PaletteText(26), "26- КИРПИЧИ");
}

TEST(EditorMapReader, SizeFromTheLastKeptLine) {
  const std::string big(kEditorMaxExtent + 1, '1');
  std::string tall, tallest, square;
  for (int r = 0; r < kEditorMaxExtent; ++r) tall += "0\r\n";
  tallest = tall + "0\r\n";
  for (int r = 0; r < 5000; ++r) square += std::string(r == 4999 ? 5000 : 1, '1') + "\r\n";
  const struct {
    const char* what;
    std::string contents;
    EditorReadResult result;
    std::vector<std::string> rows;  // the first rows read
    bool warning;
  } cases[] = {
      {"blank lines skipped, small letters, a lone CR ends a line", "1234567\r\n12\r\n  \r\n\r\n abcde \r",
       EditorReadResult::kRead, {"12345", "12000", "ABCDE"}, true},
      {"longer lines are cut without warning", "1234567\r\nqqqqqqqqq\r\n12345", EditorReadResult::kRead,
       {"12345", "QQQQQ", "12345"}, false},
      {"binary bytes are empty cells", std::string("1\0\xff\x80" "2\r\n\x01" "3\x7f" "ab", 12),
       EditorReadResult::kRead, {"10002", "030AB"}, true},
      {"32767 rows", tall, EditorReadResult::kRead, {"0", "0"}, false},
      {"32768 rows", tallest, EditorReadResult::kTooLarge, {}, false},
      {"32768 columns", "1\r\n" + big + "\r\n", EditorReadResult::kTooLarge, {}, false},
      {"too many cells", square, EditorReadResult::kTooLarge, {}, false},
      {"no line", "   \r\n\r\n \r   ", EditorReadResult::kNoRows, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Board board(2, 2);
    board.At(1, 1) = 8;
    bool warning = false;
    EXPECT_EQ(ReadEditorMap(c.contents, board, warning), c.result);
    EXPECT_EQ(warning, c.warning);
    if (c.result != EditorReadResult::kRead) {
      EXPECT_EQ(board.At(1, 1), 8);
    }
    for (size_t r = 0; r < c.rows.size(); ++r) EXPECT_EQ(BoardRowText(board, int(r) + 1), c.rows[r]);
  }
}

TEST_F(Editor, OpensEmptyAndAPressBeforeAnyMovePaintsNothingButShowsTheCell) {
  EXPECT_EQ(core->EditorBoard, Board(16, 22));
  EXPECT_EQ(core->EditorRows * 100 + core->EditorCols, 1622);
  EXPECT_EQ(view.selected + core->CurrentKind + view.preview, 0);  // the first kind, empty space
  Select(5);
  Press(1, 3, 4);
  EXPECT_EQ(core->EditorBoard.At(3, 4), 0);
  EXPECT_EQ(view.draws, 0);
  EXPECT_EQ(view.col + "," + view.row, "4,3");
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

TEST_F(Editor, DragPaintsEachNewCellOnceAndTheRightButtonErases) {
  Select(9);
  Move(0, 5, 1);
  Press(1, 5, 1);
  for (int col = 2; col <= 5; ++col) Move(1, 5, col);
  EXPECT_EQ(Text(5), "9999900000000000000000");
  EXPECT_EQ(view.draws, 5);
  // Jitter inside the same cell redraws nothing.
  core->Picture1_MouseMove(1, Mid(5) + 3, Mid(5) - 2);
  EXPECT_EQ(view.draws, 5);
  Move(2, 5, 4);
  Move(2, 5, 3);
  EXPECT_EQ(Text(5), "9900900000000000000000");
  // Other buttons change nothing but redraw; the empty kind paints like the eraser.
  Move(4, 5, 2);
  core->Picture1_MouseDown(3, Mid(1), Mid(5));
  EXPECT_EQ(Text(5), "9900900000000000000000");
  EXPECT_EQ(view.draws, 9);
  Select(0);
  Press(1, 5, 1);
  EXPECT_EQ(core->EditorBoard.At(5, 1), 0);
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
  EXPECT_EQ(view.col + "," + view.row, "1,17");
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
  EXPECT_EQ(core->CurrentKind, 0);
  core->StepPalette(0);
  EXPECT_EQ(view.selected, 1);
  Select(26);
  core->StepPalette(-1);
  EXPECT_EQ(core->CurrentKind, 26);
  core->StepPalette(1);
  EXPECT_EQ(core->CurrentKind, 25);
}

TEST_F(Editor, OneWheelNotchStepsOnceAndHalfNotchesAddUp) {
  Select(5);
  core->WheelTurned(120);
  for (int i = 0; i < 10; ++i) core->tmrGet_Timer();
  EXPECT_EQ(view.selected, 4);
  core->WheelTurned(-120);
  core->WheelTurned(-120);
  for (int i = 0; i < 10; ++i) core->tmrGet_Timer();
  EXPECT_EQ(view.selected, 6);
  EXPECT_EQ(core->WheelDirection, -1);
  core->WheelTurned(-60);
  core->tmrGet_Timer();
  EXPECT_EQ(view.selected, 6);
  core->WheelTurned(-60);
  core->tmrGet_Timer();
  EXPECT_EQ(view.selected, 7);
  // Turning back starts afresh: half a notch the other way is no step.
  core->WheelTurned(-90);
  core->WheelTurned(60);
  core->tmrGet_Timer();
  EXPECT_EQ(view.selected, 7);
}

TEST_F(Editor, OtherInputDropsAWheelTurnNotYetStepped) {
  Select(5);
  core->WheelTurned(120);
  core->OtherInput();
  core->tmrGet_Timer();
  core->WheelTurned(60);
  core->OtherInput();
  core->WheelTurned(60);
  core->tmrGet_Timer();
  EXPECT_EQ(view.selected, 5);
  EXPECT_EQ(core->WheelPending, 0);
}

TEST_F(Editor, CloseAsksOnceAndNoKeepsTheEditor) {
  tk.answers = {kResultNo};
  core->Command3_Click();
  EXPECT_EQ(view.closes, 0);
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text, "Вы действительно хотите выйти?");
  EXPECT_EQ(tk.messages[0].title, "Выйти");
  EXPECT_EQ(tk.messages[0].style, kStyleQuestion);
  bool cancel = false;
  tk.answers = {kResultNo};
  core->Form_Unload(cancel);  // the window's close box
  EXPECT_TRUE(cancel);
  EXPECT_EQ(tk.messages.size(), 2u);
  tk.answers = {kResultYes};
  core->Command3_Click();
  EXPECT_EQ(view.closes, 1);
  cancel = false;
  core->Form_Unload(cancel);  // what the close button's unloading runs: asked already
  EXPECT_FALSE(cancel);
  EXPECT_EQ(tk.messages.size(), 3u);
}

TEST_F(Editor, SavedMapLoadsBackAndInTheGame) {
  Save("7");  // a fresh board: sixteen lines of zeros
  EXPECT_EQ(ReadFile(dir / "pole7.txt"), [] {
    std::string zeros;
    for (int r = 0; r < 16; ++r) zeros += std::string(22, '0') + "\r\n";
    return zeros;
  }());
  EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true}));
  core->EditorBoard.At(1, 1) = 10;
  core->EditorBoard.At(16, 22) = 26;
  core->EditorBoard.At(8, 3) = 21;
  core->EditorBoard.At(9, 4) = 1;
  const Board painted = core->EditorBoard;
  Save("25");
  const std::string file = ReadFile(dir / "pole25.txt");
  EXPECT_EQ(file.substr(0, 3), "A00");
  EXPECT_EQ(file.substr(file.size() - 3), "Q\r\n");
  core->EditorBoard = Board(16, 22);
  Load("25");
  EXPECT_EQ(core->EditorBoard, painted);
  EXPECT_TRUE(tk.messages.empty());
  Board game;
  bool warning = false;
  ParseLevelMap(file, game, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(game, painted);
  // Another size comes back as it was.
  std::string map;
  for (int r = 0; r < 20; ++r) map += std::string(30, static_cast<char>('0' + r % 10)) + "\r\n";
  WriteFile(dir / "pole20.txt", map);
  Load("20");
  Save("21");
  EXPECT_EQ(ReadFile(dir / "pole21.txt"), map);
}

TEST_F(Editor, OverwriteQuestionNoKeepsTheFileAndAnEmptyFileIsNotAsked) {
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
  WriteFile(dir / "pole5.txt", "");
  Save("5");
  EXPECT_EQ(tk.messages.size(), 2u);
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

TEST_F(Editor, LoadsThatFailTellWhyAndKeepTheBoard) {
  core->EditorBoard.At(2, 2) = 6;
  WriteFile(dir / "pole9.txt", "");
  WriteFile(dir / "pole1.txt", "   \r\n\r\n \r   ");
  std::string tall;
  for (int r = 0; r < 40000; ++r) tall += "0\r\n";
  WriteFile(dir / "pole2.txt", tall);
  for (const std::string& number : std::vector<std::string>{"9", " 7", "1", "2", std::string(400, '7')}) Load(number);
  const std::string path = (dir / "pole").string();
  const std::vector<std::string> texts = {
      "Файла '" + path + "9.txt' не существует!", "Файла '" + path + " 7.txt' не существует!",
      "В файле '" + path + "1.txt' нет ни одной строки карты.\rПрежняя карта осталась.", "слишком велика",
      "не существует!"};
  ASSERT_EQ(tk.messages.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_NE(tk.messages[i].text.find(texts[i]), std::string::npos) << tk.messages[i].text;
    EXPECT_EQ(tk.messages[i].style, kStyleExclamation);
    EXPECT_EQ(tk.messages[i].title, "Открыть");
  }
  EXPECT_EQ(core->EditorBoard.At(2, 2), 6);
  EXPECT_EQ(core->EditorRows * 100 + core->EditorCols, 1622);
  EXPECT_EQ(view.draws, 5);  // the redraw follows every attempt
  // A file read with bad elements warns once.
  WriteFile(dir / "pole3.txt", "1R\r\n");
  Load("3");
  EXPECT_EQ(tk.messages.back().text, warningText);
  EXPECT_EQ(tk.messages.back().title, "Загрузка карты");
  EXPECT_EQ(tk.messages.back().style, kStyleInformation);
  EXPECT_EQ(Text(1), "10");
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
    Load(number);
    ASSERT_EQ(tk.messages.size(), 2u) << number;
    for (const auto& m : tk.messages) {
      EXPECT_EQ(m.style, kStyleExclamation);
      EXPECT_NE(m.text.find("'" + number + "' не годится"), std::string::npos) << number;
    }
    EXPECT_EQ(tk.messages[0].title, "Сохранить");
    EXPECT_EQ(tk.messages[1].title, "Открыть");
  }
  EXPECT_EQ(tk.answers.size(), 5u);  // no replace question was reached
  EXPECT_EQ(ReadFile(dir / "pole.." / "x.txt"), "1\r\n");
  EXPECT_EQ(ReadFile(dir / "polea" / "b.txt"), "2\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
  EXPECT_EQ(core->EditorBoard.At(1, 1), 8);
  EXPECT_EQ(core->EditorRows, 16);
}

TEST_F(Editor, FailedWriteLeavesTheOldAndTells) {
  fs::create_directories(dir / "pole6.txt");
  WriteFile(dir / "pole6.txt" / "inside", "x");
  Save("6");
  Save(std::string(400, '7'));  // a name too long for the file system
  ASSERT_EQ(tk.messages.size(), 2u);
  for (const auto& m : tk.messages) {
    EXPECT_EQ(m.style, kStyleExclamation);
    EXPECT_EQ(m.title, "Сохранить");
  }
  EXPECT_EQ(tk.messages[0].text.rfind("Не удалось сохранить файл '" + (dir / "pole6.txt").string() + "'", 0), 0u);
  EXPECT_NE(tk.messages[1].text.find("Не удалось сохранить"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(dir / "pole6.txt"));
  EXPECT_EQ(ReadFile(dir / "pole6.txt" / "inside"), "x");
  EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true, false, true}));
}

}  // namespace
}  // namespace tumbol
