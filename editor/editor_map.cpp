#include "editor/editor_map.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "base/data_file.h"
#include "base/file_exists.h"
#include "base/map_file.h"
#include "base/text_lines.h"

namespace tumbol {

namespace {

const char kTitleOpen[] = "Открыть";
const char kTitleSave[] = "Сохранить";
const char kTitleLoadMap[] = "Загрузка карты";
const char kTitleLeave[] = "Выйти";

}  // namespace

Board NewEditorBoard() { return Board(kEditorRows, kEditorCols); }

bool PaintEditorCell(Board& board, int row, int col, Cell code) {
  if (!board.Inside(row, col)) return false;
  board.At(row, col) = code;
  return true;
}

bool EraseEditorCell(Board& board, int row, int col) { return PaintEditorCell(board, row, col, kEmpty); }

EditorReadResult ReadEditorMap(const std::string& contents, Board& board, bool& warning) {
  // One line more than the editor takes is enough to refuse the file.
  const std::vector<std::string_view> kept = KeptLines(contents, kEditorMaxExtent + 1);
  if (kept.empty()) return EditorReadResult::kNoRows;
  const size_t rows = kept.size();
  const size_t cols = kept.back().size();
  if (rows > static_cast<size_t>(kEditorMaxExtent) || cols > static_cast<size_t>(kEditorMaxExtent) ||
      static_cast<long long>(rows) * static_cast<long long>(cols) > kEditorMaxCells)
    return EditorReadResult::kTooLarge;

  Board read(static_cast<int>(rows), static_cast<int>(cols));
  for (size_t r = 0; r < rows; ++r) {
    const std::string_view text = kept[r];
    const size_t present = text.size() < cols ? text.size() : cols;
    if (present < cols) warning = true;
    for (size_t c = 0; c < present; ++c)
      read.At(static_cast<int>(r) + 1, static_cast<int>(c) + 1) = CodeFromChar(text[c], warning);
  }
  board = std::move(read);
  return EditorReadResult::kRead;
}

std::string WriteEditorMap(const Board& board) {
  std::string out;
  out.reserve(static_cast<size_t>(board.Rows()) * (board.Cols() + 2));
  for (int row = 1; row <= board.Rows(); ++row) {
    for (int col = 1; col <= board.Cols(); ++col) {
      const int code = board.At(row, col);
      out += CharFromCode(code >= 0 && code <= kLastCode ? code : kEmpty);
    }
    out += kCRLF;
  }
  return out;
}

std::string PaletteText(int code) {
  if (code == 0) return "0 - ПУСТОТА";
  if (code == 1) return "1 - КИРПИЧИ";
  if (IsCube(code)) return std::to_string(code) + "- КАРТИНКА";
  return std::to_string(code) + "- КИРПИЧИ";
}

EditorCore::EditorCore(Toolkit& toolkit, EditorView& view, GameFolders folders)
    : toolkit_(toolkit), view_(view), folders_(std::move(folders)) {
  EditorBoard = NewEditorBoard();
}

void EditorCore::Form_Load() {
  LastCol = -1;
  LastRow = -1;
  EditorRows = kEditorRows;
  EditorCols = kEditorCols;
  EditorBoard = NewEditorBoard();
  ExitConfirmed = false;
  unsaved_ = false;
  WheelPending = 0;
  wheelAccumulated_ = 0;
  view_.SelectPaletteItem(0);
  Combo1_Click(0);
}

void EditorCore::Combo1_Click(int index) {
  if (index < 0 || index >= kPaletteItems) return;
  selectedIndex_ = index;
  CurrentKind = static_cast<int16_t>(index);
  view_.ShowPreview(CurrentKind);
}

void EditorCore::HandleMouse(int button, double x, double y, bool isMove) {
  const int col = CellFromPoint(x);
  const int row = CellFromPoint(y);
  // The rule mirrors points left of or above the surface onto the board;
  // a drag out there must not paint the cells near the edge. Nor may a drag
  // beyond the right or bottom edge paint the cells of a larger map that the
  // surface never shows.
  const bool onSurface = x >= 0 && y >= 0;
  const bool inside = onSurface && col >= 1 && col <= std::min<int>(EditorCols, kEditorCols) &&
                      row >= 1 && row <= std::min<int>(EditorRows, kEditorRows);
  const bool newCell = col != LastCol || row != LastRow;
  if (LastCol > 0 && inside && (!isMove || newCell)) {
    const Cell before = EditorBoard.At(row, col);
    if (button == 1)
      PaintEditorCell(EditorBoard, row, col, CurrentKind);
    else if (button == 2)
      EraseEditorCell(EditorBoard, row, col);
    unsaved_ = unsaved_ || EditorBoard.At(row, col) != before;
    view_.DrawEditorBoard();
  }
  LastCol = static_cast<int16_t>(col);
  LastRow = static_cast<int16_t>(row);
  view_.ShowCoords(std::to_string(col), std::to_string(row));
}

void EditorCore::Picture1_MouseDown(int button, double x, double y) { HandleMouse(button, x, y, false); }

void EditorCore::Picture1_MouseMove(int button, double x, double y) { HandleMouse(button, x, y, true); }

void EditorCore::StepPalette(int direction) {
  int index = selectedIndex_;
  if (direction > 0 && index > 0)
    --index;
  else if (direction <= 0 && index < kPaletteItems - 1)
    ++index;
  else
    return;
  view_.SelectPaletteItem(index);
  Combo1_Click(index);
}

void EditorCore::WheelTurned(int angleDelta) {
  if (angleDelta == 0) return;
  const int16_t direction = angleDelta < 0 ? -1 : 1;
  if (direction != WheelDirection) {
    // Turning back drops what was turned the other way.
    WheelPending = 0;
    wheelAccumulated_ = 0;
    WheelDirection = direction;
  }
  wheelAccumulated_ += angleDelta < 0 ? -angleDelta : angleDelta;
  while (wheelAccumulated_ >= kWheelNotch) {
    wheelAccumulated_ -= kWheelNotch;
    ++WheelPending;
  }
}

void EditorCore::OtherInput() {
  WheelPending = 0;
  wheelAccumulated_ = 0;
}

void EditorCore::tmrGet_Timer() {
  if (WheelPending <= 0) return;
  --WheelPending;
  StepPalette(WheelDirection);
}

bool EditorCore::AskDropUnsaved(const std::string& question, const char* title) {
  return toolkit_.MsgBox(std::string("На карте есть несохранённые изменения.") + kCR + question, kStyleQuestion,
                         title) == kResultYes;
}

bool EditorCore::AskLeave() {
  if (unsaved_) return AskDropUnsaved("Закрыть редактор без сохранения?", kTitleLeave);
  return toolkit_.MsgBox("Вы действительно хотите выйти?", kStyleQuestion, kTitleLeave) == kResultYes;
}

void EditorCore::Command3_Click() {
  if (!AskLeave()) return;
  ExitConfirmed = true;
  view_.CloseWindow();
}

void EditorCore::Form_Unload(bool& cancel) {
  if (ExitConfirmed) return;
  if (!AskLeave()) cancel = true;
}

void EditorCore::Command1_Click() {
  view_.SetSaveEnabled(false);
  SaveEditorMap();
  view_.SetSaveEnabled(true);
}

void EditorCore::Command2_Click() {
  LoadEditorMap();
  view_.DrawEditorBoard();
}

void EditorCore::SaveEditorMap() {
  const std::string number = view_.MapNumberText();
  if (number.empty()) {
    toolkit_.MsgBox(std::string("Введите номер (№) поля для сохранения.") + kCR +
                        "Например: 1,2,3...100 - имя будет иметь вид 'pole' + № + '.txt'" + kCR +
                        "Т.е. например: 'pole1.txt' или 'pole25.txt'",
                    kStyleExclamation, kTitleOpen);
    return;
  }
  const std::string file = MapFileName(number);
  if (file.empty()) return RefuseMapNumber(toolkit_, number, kTitleSave);
  // The question names the map the player would lose, the one the game
  // finds under this number: the player's copy or the shipped one, which a
  // copy in the data folder would hide.
  const std::string name = WrittenFile(folders_, file);
  const std::string found = FoundFile(folders_, file);
  if (FileExists(found)) {
    const int answer = toolkit_.MsgBox("Файл '" + found + "' уже существует!" + kCR + "Заменить существующий файл?",
                                       kStyleQuestion, kTitleSave);
    if (answer != kResultYes) return;
  }
  std::string error;
  if (!MakeDataFolder(folders_, error) || !WriteDataFile(name, WriteEditorMap(EditorBoard), error)) {
    toolkit_.MsgBox("Не удалось сохранить файл '" + name + "' (" + error + ")." + kCR +
                        "Прежний файл, если он был, остался без изменений.",
                    kStyleExclamation, kTitleSave);
    return;
  }
  unsaved_ = false;
  view_.ShowSaved(name);
}

void EditorCore::LoadEditorMap() {
  const std::string number = view_.MapNumberText();
  if (number.empty()) {
    toolkit_.MsgBox("Введите номер карты.", kStyleExclamation, kTitleOpen);
    view_.FocusMapNumber();
    return;
  }
  const std::string file = MapFileName(number);
  if (file.empty()) return RefuseMapNumber(toolkit_, number, kTitleOpen);
  const std::string name = FoundFile(folders_, file);
  std::string contents;
  if (!FileExists(name) || !ReadDataFile(name, contents)) return ShowMissingFile(toolkit_, name);
  bool warning = false;
  Board read;
  switch (ReadEditorMap(contents, read, warning)) {
    case EditorReadResult::kTooLarge:
      toolkit_.MsgBox("Карта в файле '" + name + "' слишком велика для редактора." + kCR +
                          "Карта может иметь не больше 32767 строк и 32767 столбцов, "
                          "и не больше 16777216 клеток. Прежняя карта осталась.",
                      kStyleExclamation, kTitleOpen);
      return;
    case EditorReadResult::kNoRows:
      toolkit_.MsgBox("В файле '" + name + "' нет ни одной строки карты." + kCR + "Прежняя карта осталась.",
                      kStyleExclamation, kTitleOpen);
      return;
    case EditorReadResult::kRead:
      break;
  }
  // Asked only now, when the map is there to replace the painting.
  if (unsaved_ && !AskDropUnsaved("Загрузить карту '" + name + "' без сохранения?", kTitleOpen)) return;
  EditorBoard = std::move(read);
  unsaved_ = false;
  EditorRows = static_cast<int16_t>(EditorBoard.Rows());
  EditorCols = static_cast<int16_t>(EditorBoard.Cols());
  if (warning) {
    toolkit_.MsgBox(MapWarningText(), kStyleInformation, kTitleLoadMap);
  }
}

}  // namespace tumbol
