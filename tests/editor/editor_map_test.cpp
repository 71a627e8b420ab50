// The level editor's core: painting, palette, wheel, leaving, and the map
// files it saves and loads.
#include "editor/editor_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game/map_file.h"
#include "shell/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::HasSubstr;

class FakeView : public EditorView {
 public:
  void DrawEditorBoard() override { ++draws; }
  void ShowCoords(const std::string& c, const std::string& r) override { coords = c + "," + r; }
  void SelectPaletteItem(int index) override { selected = index; }
  void ShowPreview(int code) override { preview = code; }
  std::string MapNumberText() override { return number; }
  void FocusMapNumber() override { ++focusCalls; }
  void SetSaveEnabled(bool enabled) override { saveEnabled.push_back(enabled); }
  void CloseWindow() override { ++closes; }

  int draws = 0, selected = -1, preview = -1, focusCalls = 0, closes = 0;
  std::string coords, number;
  std::vector<bool> saveEnabled;
};

class Editor : public ::testing::Test {
 protected:
  void SetUp() override { core.Form_Load(); }

  // The middle of a cell, in points.
  static double Mid(int cell) { return (cell - 1) * 24 + 12; }
  void Move(int button, int row, int col) { core.Picture1_MouseMove(button, Mid(col), Mid(row)); }
  void Press(int button, int row, int col) { core.Picture1_MouseDown(button, Mid(col), Mid(row)); }
  void Select(int index) {
    view.selected = index;
    core.Combo1_Click(index);
  }
  void Load(const std::string& number) {
    view.number = number;
    core.Command2_Click();
  }
  void Save(const std::string& number) {
    view.number = number;
    core.Command1_Click();
  }
  std::string Text(int row) const { return BoardRowText(core.EditorBoard, row); }
  std::string Size() const { return std::to_string(core.EditorRows) + "x" + std::to_string(core.EditorCols); }

  TempFolder dir;
  ScriptedToolkit tk;
  FakeView view;
  EditorCore core{tk, view, dir.Slash()};
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
  EXPECT_EQ(core.EditorBoard, Board(16, 22));
  EXPECT_EQ(Size(), "16x22");
  EXPECT_EQ(view.selected + core.CurrentKind + view.preview, 0);  // the first kind, empty space
  Select(5);
  Press(1, 3, 4);
  EXPECT_EQ(core.EditorBoard.At(3, 4), 0);
  EXPECT_EQ(view.draws, 0);
  EXPECT_EQ(view.coords, "4,3");
  Press(1, 3, 4);  // now the cell is known: a second press paints
  EXPECT_EQ(core.EditorBoard.At(3, 4), 5);
  EXPECT_EQ(view.draws, 1);
}

TEST_F(Editor, ColumnZeroPaintsNothingNorTheNextMove) {
  Select(7);
  core.Picture1_MouseMove(0, Mid(2), Mid(2));
  core.Picture1_MouseDown(1, 0, Mid(2));
  EXPECT_EQ(view.coords, "0,2");
  core.Picture1_MouseMove(1, Mid(1), Mid(2));
  EXPECT_EQ(core.EditorBoard, Board(16, 22));
  Move(1, 2, 2);
  EXPECT_EQ(core.EditorBoard.At(2, 2), 7);
}

TEST_F(Editor, DragPaintsEachNewCellOnceTheRightButtonErasesOthersOnlyRedraw) {
  Select(9);
  Move(0, 5, 1);
  Press(1, 5, 1);
  for (int col = 2; col <= 5; ++col) Move(1, 5, col);
  EXPECT_EQ(Text(5), "9999900000000000000000");
  EXPECT_EQ(view.draws, 5);
  core.Picture1_MouseMove(1, Mid(5) + 3, Mid(5) - 2);  // jitter inside the same cell
  EXPECT_EQ(view.draws, 5);
  Move(2, 5, 4);
  Move(2, 5, 3);
  Move(4, 5, 2);
  core.Picture1_MouseDown(3, Mid(1), Mid(5));
  EXPECT_EQ(Text(5), "9900900000000000000000");
  EXPECT_EQ(view.draws, 9);
  Select(0);  // the empty kind paints like the eraser
  Press(1, 5, 1);
  EXPECT_EQ(core.EditorBoard.At(5, 1), 0);
}

TEST_F(Editor, PaintingStaysOnTheSurfaceAndWithinTheLoadedSize) {
  Select(2);
  Move(0, 1, 1);
  Press(1, 1, 1);
  core.Picture1_MouseMove(1, -54, Mid(1));     // left of the surface (mirrors to column 2)
  core.Picture1_MouseMove(1, Mid(2), -30);     // above it
  core.Picture1_MouseMove(1, Mid(23), Mid(1));  // right of the board
  core.Picture1_MouseMove(1, Mid(1), Mid(17));  // below it
  EXPECT_EQ(Text(1), "2000000000000000000000");
  EXPECT_EQ(core.EditorBoard.At(16, 1), 0);
  EXPECT_EQ(view.coords, "1,17");
  std::string map;
  for (int r = 0; r < 10; ++r) map += std::string(12, '1') + "\r\n";
  WriteBytes(dir / "pole3.txt", map);
  Load("3");
  ASSERT_EQ(Size(), "10x12");
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
  WriteBytes(dir / "pole4.txt", map);
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
  core.StepPalette(1);
  EXPECT_EQ(view.selected * 100 + core.CurrentKind * 10 + view.preview, 444);
  Select(0);
  core.StepPalette(1);
  EXPECT_EQ(core.CurrentKind, 0);
  core.StepPalette(0);
  EXPECT_EQ(view.selected, 1);
  Select(26);
  core.StepPalette(-1);
  EXPECT_EQ(core.CurrentKind, 26);
  core.StepPalette(1);
  EXPECT_EQ(core.CurrentKind, 25);
}

TEST_F(Editor, WheelStepsOncePerNotchAndOtherInputDropsATurnNotYetStepped) {
  Select(5);
  core.WheelTurned(120);
  for (int i = 0; i < 10; ++i) core.tmrGet_Timer();
  EXPECT_EQ(view.selected, 4);
  core.WheelTurned(-120);
  core.WheelTurned(-120);
  for (int i = 0; i < 10; ++i) core.tmrGet_Timer();
  EXPECT_EQ(view.selected, 6);
  core.WheelTurned(-60);  // half notches add up
  core.tmrGet_Timer();
  EXPECT_EQ(view.selected, 6);
  core.WheelTurned(-60);
  core.tmrGet_Timer();
  EXPECT_EQ(view.selected, 7);
  core.WheelTurned(-90);  // turning back starts afresh: half a notch the other way is no step
  core.WheelTurned(60);
  core.tmrGet_Timer();
  EXPECT_EQ(view.selected, 7);
  core.WheelTurned(120);
  core.OtherInput();
  core.tmrGet_Timer();
  core.WheelTurned(60);
  core.OtherInput();
  core.WheelTurned(60);
  core.tmrGet_Timer();
  EXPECT_EQ(view.selected, 7);
}

TEST_F(Editor, CloseAsksOnceAndNoKeepsTheEditor) {
  const auto question = FieldsAre("Вы действительно хотите выйти?", kStyleQuestion, "Выйти");
  core.Command3_Click();  // No
  EXPECT_EQ(view.closes, 0);
  bool cancel = false;
  core.Form_Unload(cancel);  // the window's close box: No
  EXPECT_TRUE(cancel);
  tk.answers = {kResultYes};
  core.Command3_Click();
  EXPECT_EQ(view.closes, 1);
  cancel = false;
  core.Form_Unload(cancel);  // what the close button's unloading runs: asked already
  EXPECT_FALSE(cancel);
  EXPECT_THAT(tk.messages, ElementsAre(question, question, question));
}

TEST_F(Editor, SavedMapLoadsBackAndInTheGame) {
  Save("7");  // a fresh board: sixteen lines of zeros
  std::string zeros;
  for (int r = 0; r < 16; ++r) zeros += std::string(22, '0') + "\r\n";
  EXPECT_EQ(ReadBytes(dir / "pole7.txt"), zeros);
  EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true}));
  core.EditorBoard.At(1, 1) = 10;
  core.EditorBoard.At(16, 22) = 26;
  core.EditorBoard.At(8, 3) = 21;
  core.EditorBoard.At(9, 4) = 1;
  const Board painted = core.EditorBoard;
  Save("25");
  const std::string file = ReadBytes(dir / "pole25.txt");
  EXPECT_EQ(file.substr(0, 3) + file.substr(file.size() - 3), "A00Q\r\n");
  core.EditorBoard = Board(16, 22);
  Load("25");
  EXPECT_EQ(core.EditorBoard, painted);
  EXPECT_TRUE(tk.messages.empty());
  Board game;
  bool warning = false;
  ParseLevelMap(file, game, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(game, painted);
  std::string map;  // another size comes back as it was
  for (int r = 0; r < 20; ++r) map += std::string(30, static_cast<char>('0' + r % 10)) + "\r\n";
  WriteBytes(dir / "pole20.txt", map);
  Load("20");
  Save("21");
  EXPECT_EQ(ReadBytes(dir / "pole21.txt"), map);
}

TEST_F(Editor, OverwriteQuestionNoKeepsTheFileAndAnEmptyFileIsNotAsked) {
  const std::string old = "old map\r\nwith two lines";
  WriteBytes(dir / "pole4.txt", old);
  Save("4");  // No
  EXPECT_EQ(ReadBytes(dir / "pole4.txt"), old);
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Файл '" + dir.Slash() + "pole4.txt' уже существует!\r"
                                                 "Заменить существующий файл?", kStyleQuestion, "Сохранить")));
  EXPECT_EQ(view.saveEnabled.back(), true);
  tk.answers = {kResultYes};
  Save("4");
  EXPECT_EQ(ReadBytes(dir / "pole4.txt").size(), 384u);
  WriteBytes(dir / "pole5.txt", "");
  Save("5");
  EXPECT_EQ(tk.messages.size(), 2u);
  EXPECT_EQ(ReadBytes(dir / "pole5.txt").size(), 384u);
}

TEST_F(Editor, EmptyNumberAsksForOne) {
  Save("");
  core.EditorBoard.At(1, 1) = 3;
  Load("");
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Введите номер (№) поля для сохранения.\r"
                                                 "Например: 1,2,3...100 - имя будет иметь вид 'pole' + № + '.txt'\r"
                                                 "Т.е. например: 'pole1.txt' или 'pole25.txt'",
                                                 kStyleExclamation, "Открыть"),
                                       FieldsAre("Введите номер карты.", kStyleExclamation, "Открыть")));
  EXPECT_EQ(view.focusCalls, 1);  // after the load's message only
  EXPECT_EQ(core.EditorBoard.At(1, 1), 3);
  EXPECT_TRUE(fs::is_empty(dir.path));
}

TEST_F(Editor, LoadsThatFailTellWhyAndKeepTheBoard) {
  core.EditorBoard.At(2, 2) = 6;
  WriteBytes(dir / "pole9.txt", "");
  WriteBytes(dir / "pole1.txt", "   \r\n\r\n \r   ");
  WriteBytes(dir / "pole2.txt", "1\r\n" + std::string(40000, '2') + "\r\n");
  for (const std::string& number : std::vector<std::string>{"9", " 7", "1", "2", std::string(400, '7')}) Load(number);
  const std::string path = dir.Slash() + "pole";
  const auto open = [](const std::string& text) { return FieldsAre(HasSubstr(text), kStyleExclamation, "Открыть"); };
  EXPECT_THAT(tk.messages,
              ElementsAre(open("Файла '" + path + "9.txt' не существует!"), open("Файла '" + path + " 7.txt' не существует!"),
                          open("В файле '" + path + "1.txt' нет ни одной строки карты.\rПрежняя карта осталась."),
                          open("слишком велика"), open("не существует!")));
  EXPECT_EQ(core.EditorBoard.At(2, 2), 6);
  EXPECT_EQ(Size(), "16x22");
  EXPECT_EQ(view.draws, 5);  // the redraw follows every attempt
  WriteBytes(dir / "pole3.txt", "1R\r\n");  // bad elements: read, with a warning
  Load("3");
  EXPECT_THAT(tk.messages.back(), FieldsAre("Внимание! Карта имеет неправельную структуру или несуществующие элементы.\r"
                                            "Эти элементы будут учитываться как пространство карты.",
                                            kStyleInformation, "Загрузка карты"));
  EXPECT_EQ(Text(1), "10");
}

TEST_F(Editor, NamesThatAreNoPlainFileAreRefused) {
  core.EditorBoard.At(1, 1) = 8;
  tk.answers = {kResultYes};
  for (const std::string number : {"../x", "a/b", "a\\b", ".", ".."}) {
    tk.messages.clear();
    Save(number);
    Load(number);
    const auto refused = HasSubstr("'" + number + "' не годится");
    EXPECT_THAT(tk.messages, ElementsAre(FieldsAre(refused, kStyleExclamation, "Сохранить"),
                                         FieldsAre(refused, kStyleExclamation, "Открыть")));
  }
  EXPECT_EQ(tk.answers.size(), 1u);  // refused before any replace question
  EXPECT_TRUE(fs::is_empty(dir.path));
  EXPECT_EQ(core.EditorBoard.At(1, 1), 8);
  EXPECT_EQ(Size(), "16x22");
}

TEST_F(Editor, FailedWriteLeavesTheOldAndTells) {
  fs::create_directories(dir / "pole6.txt");
  WriteBytes(dir / "pole6.txt" / "inside", "x");
  Save("6");
  Save(std::string(400, '7'));  // a name too long for the file system
  const auto failed = [](const std::string& start) {
    return FieldsAre(::testing::StartsWith("Не удалось сохранить файл '" + start), kStyleExclamation, "Сохранить");
  };
  EXPECT_THAT(tk.messages, ElementsAre(failed(dir.Slash() + "pole6.txt'"), failed(dir.Slash() + "pole777")));
  EXPECT_EQ(ReadBytes(dir / "pole6.txt" / "inside"), "x");
  EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true, false, true}));
}

// Installed read-only: a save goes to the player's data folder, made then,
// and asks only about the file it would really replace; a load finds the
// player's map first, then the shipped one.
TEST_F(Editor, ReadOnlyInstallSavesInTheDataFolder) {
  const fs::path data = dir / "share" / "tumbol";
  EditorCore installed(tk, view, GameFolders(dir.Slash(), data.string() + "/"));
  std::string shipped;
  for (int r = 0; r < 16; ++r) shipped += std::string(21, '0') + (r == 15 ? "1" : "0") + "\r\n";
  WriteBytes(dir / "pole3.txt", shipped);
  view.number = "3";
  installed.LoadEditorMap();
  installed.EditorBoard.At(1, 1) = 5;
  installed.SaveEditorMap();
  EXPECT_TRUE(tk.messages.empty());
  EXPECT_EQ(ReadBytes(dir / "pole3.txt"), shipped);
  EXPECT_EQ(ReadBytes(data / "pole3.txt"), WriteEditorMap(installed.EditorBoard));

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

}  // namespace
}  // namespace tumbol
