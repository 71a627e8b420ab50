#pragma once
// Form1: the game window. A frameless, shaped window holding the board, the
// eight picture buttons, the clocks and the music switch; it forwards every
// event to Game and shows what Game asks for.
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "base/toolkit.h"
#include "game/frame_clock.h"
#include "game/game.h"
#include "game/play_aids.h"
#include "game/qt_board_picture.h"
#include "game/qt_solver_worker.h"
#include "shell/music.h"
#include "shell/qt_audio.h"
#include "shell/qt_desktop.h"
#include "shell/qt_region.h"
#include "shell/qt_music_switch.h"
#include "shell/qt_press_label.h"
#include "shell/qt_read_ahead.h"

namespace tumbol {

class Form1 : public QWidget, private GameView {
  Q_OBJECT
 public:
  // search: what the play aids run on their worker; the game's solver by default.
  Form1(Toolkit& toolkit, SoundCues& sounds, BoardCursor& cursor, SolverWorker::Search search = {});
  static constexpr QSize kSize{760, 614};  // the skin's size
  ~Form1() override;

  // The load handler: runs before the window is first shown.
  void Form_Load(const GameFolders& folders);
  // The outline cut from the skin: the input region (and the shape on X
  // servers without a compositor); outside it the window is see-through.
  // The face painted through it is made here when the shape brings none.
  void SetShape(const WindowShape& shape);

  Game& game() { return game_; }
  const PlayAids& aids() const { return game_.aids(); }
  BoardPicture* Picture1 = nullptr;     // the board
  LostSign* lostSign = nullptr;         // in the frame: this level can no longer be won
  std::array<PressLabel*, 8> Image1{};  // the picture buttons
  QLabel* Label1 = nullptr;             // column/row under the pointer
  QLabel* Label2 = nullptr;             // lives
  QLabel* Label3 = nullptr;             // "Введите номер карты"
  QLabel* Label4 = nullptr;             // time of day
  QLabel* Label5 = nullptr;             // time on this level
  QLineEdit* Text1 = nullptr;           // map number in free play
  SdlMidiDevice MMControl1;             // the MIDI player
  MusicPlayer music;                    // List1, trackIndex and the music switch state
  std::array<PressLabel*, 2> Image3{};  // the music switch: 0 off, 1 on
  QTimer Timer1;                        // starts the music, once, after loading
  QTimer Timer2;                        // starts the next level, once
  QTimer Timer3;                        // the clocks, every second
  std::vector<QPixmap> ImageList2;      // button pictures, 1-based (entry 0 unused), from the load or first press on
  QImage skin;                          // skins.bmp, the window face
  QImage face;                          // the skin, transparent outside the outline
  QWidget* splash = nullptr;            // frmSplash until the first activation
  PictureReadAhead* readAhead = nullptr;  // skins decoded early by the start-up

 signals:
  // The player asked for the editor or the records window; whoever made this
  // window opens it, modal over this one, before the signal returns.
  void editorWanted();
  void recordsWanted();
  // The last level of a game is won in totalTime (days): maybe a record.
  void allLevelsWon(double totalTime);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyReleaseEvent(QKeyEvent*) override;
  void changeEvent(QEvent*) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent*) override;

 private:
  QImage LoadPicture(const std::string& path);
  // GameView
  std::string MapNumberText() override { return Text1->text().toStdString(); }
  void ShowModeControls(bool freePlay) override;
  void SetLivesText(const std::string& text) override { Label2->setText(QString::fromStdString(text)); }
  void SetCoordsText(const std::string& text) override { Label1->setText(QString::fromStdString(text)); }
  void ShowCellCursor(int row, int col) override { Picture1->ShowCellCursor(row, col); }
  void HideCellCursor() override { Picture1->HideCellCursor(); }
  void EnableTimer2() override { Timer2.start(); }
  void NextFrameIn(double seconds, bool starts) override {
    frameTimer_.start(frameClock_.Next(seconds, starts, sinceStart_.nsecsElapsed() / 1e9));
  }
  void AllLevelsWon(double totalTime) override { emit allLevelsWon(totalTime); }
  void StartSearch(const Board& board, uint64_t ticket) override { worker_.Start(board, ticket); }
  void CancelSearch() override { worker_.Cancel(); }
  void ShowLostSign(bool shown, bool asLoaded) override { lostSign->Show(shown, asLoaded); }
  void ShowHint(const SolverMove& move) override { Picture1->ShowHint(move.row, move.col, move.dir); }
  void HideHint() override { Picture1->StopHint(); }
  void PointAtLostSign() override { lostSign->Point(); }
  // ImageList2, decoded when first needed.
  const std::vector<QPixmap>& ButtonPictures();
  // A picture button: its pressed picture, then its action.
  void Image1_MouseDown(int index);
  // Whichever button picture shows pressed shows released again.
  void ReleaseButtonImage();
  void OpenEditor() { emit editorWanted(); }
  void OpenRecords() { emit recordsWanted(); }
  // The game's keys: the cell cursor and its pushes, undo, redo, hint, Enter to load. True when taken.
  bool PlayKey(QObject* watched, QKeyEvent* key);

  void Form_Activate();
  void Form_Deactivate();
  void ShowAbout();
  void Timer3_Timer();
  void Text1_Changed();
  QLabel* MakeLabel(int left, int top, int width, int height, const QString& text);

  Toolkit& toolkit_;
  Game game_;
  QTimer frameTimer_;  // the board's one clock: the game's next frame is due
  FrameClock frameClock_;      // when it is due
  QElapsedTimer sinceStart_;   // the steady clock frameClock_ counts on
  SolverWorker worker_;  // after game_: its answers go there
  int pressedButton_ = -1;  // the button picture showing pressed, if any
  QPoint drag_;                 // dragX, dragY: where the window was grabbed
  bool dragging_ = false;       // the button went down on the surface, not on a control
  bool handedOver_ = false;     // the window system took this drag
  bool firstActivation_ = false;
  bool wasActive_ = false;
  // Another window of the program (the editor, the records window, the
  // splash) was active since this one last was: only coming back from one of
  // those is an activation of the game window. A message box, an input box
  // or another application is not.
  bool ownWindowVisited_ = false;
  ModalGuard modalGuard_{this};  // the editor, records window and boxes stay over this one
};

}  // namespace tumbol
