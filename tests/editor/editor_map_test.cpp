// The level editor's core: painting, palette, wheel, and the map files it
// saves and loads. Leaving is tested through the window (qt_form2_test).
#include "editor/editor_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/map_file.h"
#include "tests/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::HasSubstr;

// n lines, each ending in CR LF.
std::string Lines(int n, const std::string& line) {
  std::string text;
  for (int i = 0; i < n; ++i) text += line + "\r\n";
  return text;
}

class FakeView : public EditorView {
 public:
  void DrawEditorBoard() override { ++draws; }
  void ShowCoords(const std::string& c, const std::string& r) override { coords = c + "," + r; }
  void SelectPaletteItem(int index) override { selected = index; }
  void ShowPreview(int code) override { preview = code; }
  std::string MapNumberText() override { return number; }
  void FocusMapNumber() override { ++focusCalls; }
  void SetSaveEnabled(bool enabled) override { saveEnabled.push_back(enabled); }
  void CloseWindow() override {}
  void ShowSaved(const std::string&) override {}

  int draws = 0, selected = -1, preview = -1, focusCalls = 0;
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
  void Select(int index) { view.selected = index; core.Combo1_Click(index); }
  void Load(const std::string& number) { view.number = number; core.Command2_Click(); }
  void Save(const std::string& number) { view.number = number; core.Command1_Click(); }
  std::string Text(int row) const { return BoardRowText(core.EditorBoard, row); }
  std::string Size() const { return std::to_string(core.EditorRows) + "x" + std::to_string(core.EditorCols); }

  TempFolder dir;
  ScriptedToolkit tk;
  FakeView view;
  EditorCore core{tk, view, dir.Slash()};
};

TEST(EditorCells, PaletteTexts) {
  const std::pair<int, const char*> texts[] = {{0, "0 - ПУСТОТА"},   {1, "1 - КИРПИЧИ"},  {2, "2- КАРТИНКА"},
                                               {21, "21- КАРТИНКА"}, {22, "22- КИРПИЧИ"}, {26, "26- КИРПИЧИ"}};
  for (const auto& [code, text] : texts) EXPECT_EQ(PaletteText(code), text);
}

TEST(EditorMapReader, SizeFromTheLastKeptLine) {
  const std::string tall = Lines(kEditorMaxExtent, "0");
  const struct {
    const char* what;
    std::string contents;
    EditorReadResult result;
    std::vector<std::string> rows;  // the first rows read; a refused file leaves "80"
    bool warning;
  } cases[] = {
      {"blank lines skipped, small letters, a lone LF or CR ends a line", "1234567\n12\r\n  \r\n\r\n abcde \r",
       EditorReadResult::kRead, {"12345", "12000", "ABCDE"}, true},
      {"longer lines are cut without warning", "1234567\r\nqqqqqqqqq\r\n12345", EditorReadResult::kRead,
       {"12345", "QQQQQ", "12345"}, false},
      {"binary bytes are empty cells", std::string("1\0\xff\x80" "2\r\n\x01" "3\x7f" "ab", 12),
       EditorReadResult::kRead, {"10002", "030AB"}, true},
      {"32767 rows", tall, EditorReadResult::kRead, {"0", "0"}, false},
      {"32768 rows", tall + "0", EditorReadResult::kTooLarge, {"80"}, false},
      {"32767 columns", std::string(kEditorMaxExtent, '1'), EditorReadResult::kRead, {std::string(kEditorMaxExtent, '1')},
       false},
      {"too many cells", Lines(4999, "1") + std::string(5000, '1'), EditorReadResult::kTooLarge, {"80"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Board board(2, 2);
    board.At(1, 1) = 8;
    bool warning = false;
    EXPECT_EQ(ReadEditorMap(c.contents, board, warning), c.result);
    EXPECT_EQ(warning, c.warning);
    for (size_t r = 0; r < c.rows.size(); ++r) EXPECT_EQ(BoardRowText(board, int(r) + 1), c.rows[r]);
  }
}

TEST_F(Editor, PaintsEachNewCellOnceTheRightButtonErasesOthersOnlyRedraw) {
  EXPECT_EQ(core.EditorBoard, Board(16, 22));
  EXPECT_EQ(view.selected + core.CurrentKind + view.preview, 0);  // the first kind, empty space
  Select(9);
  Press(1, 5, 1);  // no cell known yet: nothing painted, the cell shown
  EXPECT_EQ(Text(5), std::string(22, '0'));
  EXPECT_EQ(view.draws, 0);
  EXPECT_EQ(view.coords, "1,5");
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
  // Column 0 paints nothing, nor does the move that follows it.
  Select(7);
  core.Picture1_MouseDown(1, 0, Mid(2));
  EXPECT_EQ(view.coords, "0,2");
  Move(1, 2, 1);
  EXPECT_EQ(Text(2), std::string(22, '0'));
  Move(1, 2, 2);
  EXPECT_EQ(core.EditorBoard.At(2, 2), 7);
}

TEST_F(Editor, PaintingStaysOnTheSurfaceAndWithinWhatItShows) {
  Select(2);
  Move(0, 2, 2);
  core.Picture1_MouseDown(1, 0.75, 0.75);  // the corner pixel is on the surface
  core.Picture1_MouseMove(1, -54, Mid(1));  // left of the surface: column 2 mirrored
  core.Picture1_MouseMove(1, Mid(3), -30);  // above it: row 1 mirrored
  EXPECT_EQ(Text(1), "2000000000000000000000");
  // A larger map: only the 16 x 22 cells the surface shows can be painted.
  WriteBytes(dir / "pole4.txt", Lines(20, std::string(30, '0')));
  tk.answers = {kResultYes};  // over the painting
  Load("4");
  ASSERT_EQ(Size(), "20x30");
  Press(1, 16, 22);
  Move(1, 16, 23);
  Move(1, 17, 23);
  Move(1, 17, 22);
  EXPECT_EQ(Text(16), "000000000000000000000200000000");
  EXPECT_EQ(Text(17), std::string(30, '0'));
}

TEST_F(Editor, PaletteStepsAndStopsAtBothEnds) {
  const struct {
    int from, direction, to;
  } cases[] = {{5, 1, 4}, {0, 1, 0}, {0, 0, 1}, {26, -1, 26}, {26, 1, 25}};
  for (const auto& c : cases) {
    Select(c.from);
    core.StepPalette(c.direction);
    EXPECT_EQ((std::vector<int>{view.selected, core.CurrentKind, view.preview}), std::vector<int>(3, c.to))
        << c.from << " stepped " << c.direction;
  }
}

TEST_F(Editor, WheelStepsOncePerNotchAndOtherInputDropsATurnNotYetStepped) {
  Select(5);
  const struct {
    const char* what;
    std::vector<int> turns;  // angle deltas; 0 stands for other input
    int selected;            // after ten polls
  } cases[] = {
      {"a notch away", {120}, 4}, {"two notches towards", {-120, -120}, 6}, {"half a notch", {-60}, 6},
      {"half notches add up", {-60}, 7}, {"turning back starts afresh", {-90, 60}, 7},
      {"a notch, then a key", {120, 0}, 7}, {"half notches with a key between", {60, 0, 60}, 7},
  };
  for (const auto& c : cases) {
    for (int turn : c.turns) turn ? core.WheelTurned(turn) : core.OtherInput();
    for (int i = 0; i < 10; ++i) core.tmrGet_Timer();
    EXPECT_EQ(view.selected, c.selected) << c.what;
  }
}

// Painted cells of every kind of character come back from the file, in the
// editor and in the game; another size comes back byte for byte.
TEST_F(Editor, SavedMapLoadsBackAndInTheGame) {
  const int cells[][3] = {{1, 1, 10}, {16, 22, 26}, {8, 3, 21}, {9, 4, 1}};  // row, column, code
  for (const auto& c : cells) core.EditorBoard.At(c[0], c[1]) = c[2];
  const Board painted = core.EditorBoard;
  Save("25");
  EXPECT_EQ(view.saveEnabled, (std::vector<bool>{false, true}));
  const std::string file = ReadBytes(dir / "pole25.txt");
  EXPECT_EQ(file.substr(0, 3) + file.substr(file.size() - 3), "A00Q\r\n");
  core.EditorBoard = Board(16, 22);
  Load("25");
  EXPECT_EQ(core.EditorBoard, painted);
  Board game;
  bool warning = false;
  ParseLevelMap(file, game, warning);
  EXPECT_FALSE(warning);
  EXPECT_EQ(game, painted);

  std::string map;
  for (int r = 0; r < 20; ++r) map += std::string(30, static_cast<char>('0' + r % 10)) + "\r\n";
  WriteBytes(dir / "pole20.txt", map);
  WriteBytes(dir / "pole21.txt", "");  // an empty file is no map to ask about
  Load("20");
  Save("21");
  EXPECT_EQ(ReadBytes(dir / "pole21.txt"), map);
  EXPECT_TRUE(tk.messages.empty());

  WriteBytes(dir / "pole3.txt", "1R\r\n");  // a bad element: read as space, with a warning
  Load("3");
  EXPECT_THAT(tk.messages, ElementsAre(FieldsAre("Внимание! Карта имеет неправельную структуру или несуществующие "
                                                 "элементы.\rЭти элементы будут учитываться как пространство карты.",
                                                 kStyleInformation, "Загрузка карты")));
  EXPECT_EQ(Text(1), "10");
}

// Over painting not yet saved a load or the close asks first; otherwise the
// usual question, and a load asks nothing.
TEST_F(Editor, PaintingNotYetSavedIsAskedAboutBeforeALoadOrTheCloseLosesIt) {
  WriteBytes(dir / "pole2.txt", Lines(16, std::string(22, '1')));
  const std::string leave = "Вы действительно хотите выйти?", unsaved = "На карте есть несохранённые изменения.\r",
                    load = unsaved + "Загрузить карту '" + dir.Slash() + "pole2.txt' без сохранения?",
                    close = unsaved + "Закрыть редактор без сохранения?";
  // p paints cell (1, 1), e erases an empty one, s saves, l and L load answering No and Yes; then "Закрыть".
  const std::tuple<std::string, std::vector<std::string>, int> cases[] = {
      {"e", {leave}, 0}, {"p", {close}, 5}, {"ps", {leave}, 5}, {"pl", {load, close}, 5}, {"pL", {load, leave}, 1}};
  for (const auto& [steps, asked, cell] : cases) {
    core.Form_Load();
    tk.messages.clear();
    Select(5);
    Move(0, 1, 1);
    for (char s : steps) {
      if (s == 'p' || s == 'e') Press(s == 'p' ? 1 : 2, 1, s == 'p' ? 1 : 2);
      if (s == 's') Save("7");
      if (s == 'l' || s == 'L') tk.answers = {s == 'L' ? kResultYes : kResultNo}, Load("2");
    }
    core.Command3_Click();
    for (size_t i = 0; i < tk.messages.size() || i < asked.size(); ++i)
      EXPECT_EQ(i < tk.messages.size() ? tk.messages[i].text : "", i < asked.size() ? asked[i] : "") << steps;
    EXPECT_EQ(core.EditorBoard.At(1, 1), cell) << steps;
  }
}

// Each refused save or load says why and leaves the board and the files as
// they were.
TEST_F(Editor, RefusedSavesAndLoadsTellWhyAndChangeNothing) {
  WriteBytes(dir / "pole1.txt", "   \r\n\r\n \r   ");
  WriteBytes(dir / "pole2.txt", "1\r\n" + std::string(kEditorMaxExtent + 1, '2'));
  WriteBytes(dir / "pole4.txt", "old map");
  WriteBytes(dir / "pole9.txt", "");
  fs::create_directory(dir / "pole6.txt");
  WriteBytes(dir / "pole6.txt" / "inside", "x");
  core.EditorBoard.At(1, 1) = 8;
  const std::string pole = dir.Slash() + "pole", tooLong(400, '7');
  const struct {
    bool save;
    std::string number, text;  // the message holds text
    const char* title;
    int style = kStyleExclamation;
  } cases[] = {
      {true, "", "Введите номер (№) поля для сохранения.\rНапример: 1,2,3...100 - имя будет иметь вид 'pole' + № + "
                 "'.txt'\rТ.е. например: 'pole1.txt' или 'pole25.txt'", "Открыть"},
      {false, "", "Введите номер карты.", "Открыть"},
      {true, "../x", "'../x' не годится", "Сохранить"},
      {true, "a\\b", "'a\\b' не годится", "Сохранить"},
      {false, ".", "'.' не годится", "Открыть"},
      {true, "..", "'..' не годится", "Сохранить"},
      {false, "9", "Файла '" + pole + "9.txt' не существует!", "Открыть"},    // an empty file
      {false, " 7", "Файла '" + pole + " 7.txt' не существует!", "Открыть"},  // the number as typed
      {false, tooLong, "' не существует!", "Открыть"},
      {false, "1", "В файле '" + pole + "1.txt' нет ни одной строки карты.\rПрежняя карта осталась.", "Открыть"},
      {false, "2", "Карта в файле '" + pole + "2.txt' слишком велика", "Открыть"},
      {true, "4", "Файл '" + pole + "4.txt' уже существует!\rЗаменить существующий файл?", "Сохранить", kStyleQuestion},
      {true, "6", "Не удалось сохранить файл '" + pole + "6.txt' (на этом месте находится папка)", "Сохранить"},
      {true, tooLong, "Не удалось сохранить файл '" + pole + "777", "Сохранить"},
  };
  int loads = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE((c.save ? "save '" : "load '") + c.number + "'");
    tk.messages.clear();
    c.save ? Save(c.number) : Load(c.number);
    loads += !c.save;
    EXPECT_THAT(tk.messages, ElementsAre(FieldsAre(HasSubstr(c.text), c.style, c.title)));
    EXPECT_EQ(core.EditorBoard.At(1, 1), 8);
    EXPECT_EQ(Size(), "16x22");
  }
  EXPECT_EQ(view.draws, loads);   // a load redraws whatever came of it
  EXPECT_EQ(view.focusCalls, 1);  // after a load without a number only
  EXPECT_EQ(ReadBytes(dir / "pole4.txt"), "old map");
  EXPECT_EQ(ReadBytes(dir / "pole6.txt" / "inside"), "x");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 5);
}

// Installed read-only: a save goes to the player's data folder, made then,
// and asks first about the map the game would find: the shipped one, then
// the player's; a load finds the player's map first, then the shipped one.
TEST_F(Editor, ReadOnlyInstallSavesInTheDataFolder) {
  const fs::path data = dir / "share" / "tumbol";
  EditorCore installed(tk, view, GameFolders(dir.Slash(), data.string() + "/"));
  const std::string shipped = Lines(16, std::string(22, '1'));
  WriteBytes(dir / "pole3.txt", shipped);
  view.number = "3";
  installed.LoadEditorMap();
  installed.EditorBoard.At(1, 1) = 5;
  tk.answers = {kResultNo, kResultYes};
  installed.SaveEditorMap();
  EXPECT_FALSE(fs::exists(data / "pole3.txt"));
  installed.SaveEditorMap();
  for (const auto& message : tk.messages)
    EXPECT_EQ(message.text, "Файл '" + (dir / "pole3.txt").string() + "' уже существует!\rЗаменить существующий файл?");
  ASSERT_EQ(tk.messages.size(), 2u);
  tk.messages.clear();
  EXPECT_EQ(ReadBytes(dir / "pole3.txt"), shipped);
  EXPECT_EQ(ReadBytes(data / "pole3.txt"), WriteEditorMap(installed.EditorBoard));

  installed.EditorBoard = NewEditorBoard();
  installed.LoadEditorMap();
  EXPECT_EQ(installed.EditorBoard.At(1, 1), 5);
  installed.EditorBoard.At(1, 1) = 6;
  tk.answers = {kResultYes};
  installed.SaveEditorMap();
  ASSERT_EQ(tk.messages.size(), 1u);
  EXPECT_EQ(tk.messages[0].text,
            "Файл '" + (data / "pole3.txt").string() + "' уже существует!\rЗаменить существующий файл?");
  EXPECT_EQ(ReadBytes(data / "pole3.txt"), WriteEditorMap(installed.EditorBoard));
}

}  // namespace
}  // namespace tumbol
