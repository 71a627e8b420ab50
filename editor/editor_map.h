#pragma once
// The level editor without its window: the board being edited, the editor's
// own map reader and writer, painting with the mouse, the palette and the
// wheel, leaving, and saving and loading pole<N>.txt.
#include <cstdint>
#include <string>

#include "base/board.h"
#include "base/game_folders.h"
#include "base/toolkit.h"

namespace tumbol {

constexpr int kEditorRows = 16;
constexpr int kEditorCols = 22;
// The extents are 16-bit in the editor; a file beyond them is refused.
constexpr int kEditorMaxExtent = 32767;
// Rows by columns within the two extents can still ask for gigabytes; a map
// this big is nothing a level designer paints, so it is refused too.
constexpr long long kEditorMaxCells = 16LL * 1024 * 1024;
constexpr int kPaletteItems = 27;  // codes 0 to 26
constexpr int kWheelNotch = 120;   // angle delta of one wheel notch

// A fresh editor board: 16 x 22, all empty.
Board NewEditorBoard();
// Sets a cell to code; false (and nothing changed) outside the board.
bool PaintEditorCell(Board& board, int row, int col, Cell code);
// Empties a cell; false outside the board.
bool EraseEditorCell(Board& board, int row, int col);

enum class EditorReadResult {
  kRead,      // board replaced; warning tells of bad cells
  kTooLarge,  // beyond the editor's extents; board untouched
  kNoRows,    // no non-blank line; board untouched
};

// The editor's reader: the board takes its size from the file (kept lines by
// the length of the last kept line); every kept line is a row. Short lines
// and unknown characters give empty cells and set warning.
EditorReadResult ReadEditorMap(const std::string& contents, Board& board, bool& warning);

// Every row as its cell characters followed by CR LF.
std::string WriteEditorMap(const Board& board);

// The palette's item text for a code 0-26.
std::string PaletteText(int code);

// What the editor core asks of its window.
class EditorView {
 public:
  virtual ~EditorView() = default;
  // Redraws the board surface and the miniature from the core's board.
  virtual void DrawEditorBoard() = 0;
  virtual void ShowCoords(const std::string& col, const std::string& row) = 0;
  // Selects a palette item without reporting it back as a user's choice.
  virtual void SelectPaletteItem(int index) = 0;
  // Shows the tile of code in the preview; 0 shows nothing.
  virtual void ShowPreview(int code) = 0;
  virtual std::string MapNumberText() = 0;
  virtual void FocusMapNumber() = 0;
  virtual void SetSaveEnabled(bool enabled) = 0;
  // A save wrote path: the window says so briefly, without a box.
  virtual void ShowSaved(const std::string& path) = 0;
  // Unloads the window (its close handler still runs).
  virtual void CloseWindow() = 0;
};

class EditorCore {
 public:
  EditorCore(Toolkit& toolkit, EditorView& view, GameFolders folders);

  // Opening: fresh state, empty 16 x 22 board, palette item 0.
  void Form_Load();

  // The palette's selected index changed (by the user or by the editor).
  void Combo1_Click(int index);
  // button: 1 left, 2 right, 4 middle, or-ed; x, y in points on the board.
  void Picture1_MouseDown(int button, double x, double y);
  void Picture1_MouseMove(int button, double x, double y);
  // Direction > 0 moves towards item 0, otherwise towards the last item.
  void StepPalette(int direction);

  // From the window's event filter: a wheel turn of angleDelta units, and
  // any other user input (which drops a turn not yet stepped).
  void WheelTurned(int angleDelta);
  void OtherInput();
  // The 10 ms poll: one palette step per whole notch turned.
  void tmrGet_Timer();

  void Command1_Click();  // "Сохранить карту"
  void Command2_Click();  // "Загрузить карту"
  void Command3_Click();  // "Закрыть"
  // Every way of closing the window; cancel keeps it open.
  void Form_Unload(bool& cancel);

  void SaveEditorMap();
  void LoadEditorMap();

  Board EditorBoard;
  int16_t EditorRows = kEditorRows;
  int16_t EditorCols = kEditorCols;
  int16_t LastCol = -1;
  int16_t LastRow = -1;
  int16_t CurrentKind = 0;
  bool ExitConfirmed = false;
  // The board holds painting that no save or load has made good yet.
  bool Unsaved() const { return unsaved_; }
  int16_t WheelDirection = 1;  // of the latest notch: +1 away from the user, -1 towards
  int WheelPending = 0;        // whole notches turned and not yet stepped

 private:
  void HandleMouse(int button, double x, double y, bool isMove);
  bool AskLeave();
  // Before painting not yet saved is lost: true to go on.
  bool AskDropUnsaved(const std::string& question, const char* title);

  Toolkit& toolkit_;
  EditorView& view_;
  GameFolders folders_;
  int selectedIndex_ = 0;
  bool unsaved_ = false;
  int wheelAccumulated_ = 0;  // part of a notch turned so far
};

}  // namespace tumbol
