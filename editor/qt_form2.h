#pragma once
// Form2: the level editor window. A modal dialog holding the board surface,
// the palette with its preview, the map number box, the load, save and close
// buttons and the instruction frame with the miniature; it forwards every
// event to EditorCore and shows what the core asks for.
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/toolkit.h"
#include "editor/editor_map.h"
#include "game/qt_solver_worker.h"

namespace tumbol {

// The editor's board surface: keeps what was drawn on it in an image, as a
// picture box does, and reports the mouse as a button mask and points.
class EditorPicture : public QWidget {
  Q_OBJECT
 public:
  explicit EditorPicture(QWidget* parent = nullptr);

  // Clears to the background and draws the visible cells of board.
  void Draw(const Board& board);
  const QImage& Frame() const { return frame_; }
  // The next push of a win, drawn over the frame as the game draws it; until
  // HideHint. Hint() is row, col, dir, all 0 when none shows.
  void ShowHint(const SolverMove& move);
  void HideHint();
  std::array<int, 3> Hint() const { return {hint_.row, hint_.col, hint_.dir}; }

 signals:
  // button: 1 left, 2 right, 4 middle, or-ed; x, y in points.
  void pressed(int button, double x, double y);
  void moved(int button, double x, double y);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  void ClearFrame(int rows, int cols);

  QImage frame_;
  std::vector<QImage> tiles_;  // index = code 1-26
  SolverMove hint_;
};

// What the editor's line says of a board: being checked, or the answer.
std::string WinnableText(const std::optional<SolveResult>& answer);

class Form2 : public QDialog, private EditorView {
  Q_OBJECT
 public:
  Form2(Toolkit& toolkit, const GameFolders& folders, QWidget* parent = nullptr);
  static constexpr QSize kSize{865, 535};

  EditorCore& core() { return core_; }

  EditorPicture* Picture1 = nullptr;   // the board being painted
  QLabel* Image3 = nullptr;            // preview of the selected kind
  QComboBox* Combo1 = nullptr;         // the palette of cell kinds
  QLabel* Label3 = nullptr;            // "X -"
  QLabel* Label1 = nullptr;            // column under the mouse
  QLabel* Label5 = nullptr;            // "Y -"
  QLabel* Label4 = nullptr;            // row under the mouse
  QLabel* Label6 = nullptr;            // "№ карты"
  QLineEdit* Text1 = nullptr;          // map number for save and load
  QPushButton* Command2 = nullptr;     // "Загрузить карту"
  QPushButton* Command1 = nullptr;     // "Сохранить карту"
  QGroupBox* Frame1 = nullptr;         // "Инструкция"
  QPlainTextEdit* Text2 = nullptr;     // the instruction text
  QLabel* Image1 = nullptr;            // miniature of the board surface
  QPushButton* Command3 = nullptr;     // "Закрыть"
  QLabel* LabelWin = nullptr;          // whether the painted map can be won, and in how many pushes
  QTimer tmrGet;                       // wheel poll, every 10 ms
  QTimer savedTitle;                   // puts the plain title back after a save

  // The 26 tile pictures, index = code (entry 0 unused).
  std::vector<QPixmap> ImageList1;

 public slots:
  // The title-bar close box ends here; the leaving question decides.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent*) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // EditorView
  void DrawEditorBoard() override;
  void ShowCoords(const std::string& col, const std::string& row) override;
  void SelectPaletteItem(int index) override;
  void ShowPreview(int code) override;
  std::string MapNumberText() override { return Text1->text().toStdString(); }
  void FocusMapNumber() override { Text1->setFocus(); }
  void SetSaveEnabled(bool enabled) override { Command1->setEnabled(enabled); }
  void CloseWindow() override { close(); }
  void ShowSaved(const std::string& path) override;

  QLabel* MakeLabel(int left, int top, int width, const QString& text);
  QPushButton* MakeButton(int left, int top, int width, int height, const QString& text);
  void HookEditorWindow();

  // The painted board changed: the answer for it is void, a new check is due.
  void BoardEdited();
  void CheckDone(uint64_t ticket, const SolveResult& result);
  void ShowNextPush();

  EditorCore core_;
  bool centred_ = false;
  QTimer checkDelay_;                  // a check waits for a short pause in the painting
  Board checked_;                      // the board the last check was asked for
  uint64_t ticket_ = 0;
  std::optional<SolveResult> answer_;  // for checked_, once it came
  bool hintWanted_ = false;            // F2 came before the answer
  SolverWorker worker_;                // last: stopped before the rest goes
};

}  // namespace tumbol
