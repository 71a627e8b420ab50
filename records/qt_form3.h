#pragma once
// Form3: the records window. The table of record.txt with an emblem per rank
// over skinsp.jpg, between two torches whose flames burn while it is open.
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "base/game_folders.h"
#include "base/toolkit.h"
#include "records/fire.h"
#include "records/records_file.h"
#include "shell/qt_press_label.h"

namespace tumbol {

// The window lists a long table's first rows only: the table has ten ranks,
// and a file may hold millions of lines.
constexpr size_t kShownRecordRows = 1000;

// Paints the flame pixels of fire into image (a panel-sized RGB32 picture).
void PaintFlame(const Fire& fire, QImage& image);

// A flame panel: black, then the torch, then the flame over it.
class FlamePanel : public QWidget {
 public:
  explicit FlamePanel(QWidget* parent);
  void ShowTorch(const QPixmap& torch);
  QImage& Flame() { return flame_; }
  void SetFlameShown() { flameShown_ = true; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QPixmap torch_;
  QImage flame_;
  bool flameShown_ = false;
};

class Form3 : public QDialog {
 public:
  Form3(Toolkit& toolkit, const GameFolders& folders, const QPixmap& closePicture,
        QWidget* parent = nullptr);
  ~Form3() override;

  void done(int result) override;

  QTreeWidget* ListView1 = nullptr;   // the records: name and time
  std::vector<QPixmap> ImageList1;    // rank emblems 1..10 (entry 0 unused)
  FlamePanel* Picture1 = nullptr;     // left flame panel
  FlamePanel* Picture2 = nullptr;     // right flame panel
  QPixmap Image1;                     // the torch picture
  PressLabel* Image2 = nullptr;       // the close button
  QTimer Timer1;                      // moves the spark row
  QTimer Timer2;                      // paints the torches, once
  QTimer Timer3;                      // starts the flame, once
  QTimer FrameTimer;                  // one flame frame per display refresh

  RecordTable RecordList;               // the entries of record.txt
  Fire fire;                            // Heat, NextHeat, SparkRow
  bool Closing = false;

  void LoadRecordList();
  void DrawFireFrame();
  void Timer1_Timer();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Load(const QPixmap& closePicture);
  void Timer2_Timer();
  void Timer3_Timer();
  void Image2_MouseDown();
  void StopEverything();

  Toolkit& toolkit_;
  GameFolders folders_;
};

}  // namespace tumbol
