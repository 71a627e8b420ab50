#include "records/qt_form3.h"

#include <QCloseEvent>
#include <QFont>
#include <QHeaderView>
#include <QPainter>
#include <QPalette>

#include <cstring>

#include "records/records_file.h"
#include "shell/qt_game_fonts.h"
#include "shell/qt_read_ahead.h"

namespace tumbol {

namespace {

constexpr int kEmblems = 10;
constexpr int kFrameMs = 16;  // about one display refresh

QPixmap LoadEmblem(int rank) {
  return QPixmap(QStringLiteral(":/art/emblem%1.png").arg(rank));
}

}  // namespace

void PaintFlame(const Fire& fire, QImage& image) {
  // Fire keeps its colours as 0xFFRRGGBB, the layout of an RGB32 scan line.
  for (int y = 0; y < kFlameHeight; ++y) {
    std::memcpy(image.scanLine(y), &fire.Pixels[kFlameTop + y][kFlameLeft],
                kFlameWidth * sizeof(uint32_t));
  }
}

FlamePanel::FlamePanel(QWidget* parent)
    : QWidget(parent), flame_(kFlameWidth, kFlameHeight, QImage::Format_RGB32) {
  flame_.fill(Qt::black);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void FlamePanel::ShowTorch(const QPixmap& torch) {
  torch_ = torch;
  update();
}

void FlamePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (!torch_.isNull()) painter.drawPixmap(1, 53, torch_);
  if (flameShown_) painter.drawImage(kFlameLeft, kFlameTop, flame_);
}

Form3::Form3(Toolkit& toolkit, const GameFolders& folders, const QPixmap& closePicture,
             QWidget* parent)
    : QDialog(parent), toolkit_(toolkit), folders_(folders) {
  setWindowTitle(QStringLiteral("Рекордсмены"));
  setFixedSize(585, 402);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);
  setAutoFillBackground(true);

  ListView1 = new QTreeWidget(this);
  ListView1->setGeometry(39, 15, 508, 351);
  ListView1->setColumnCount(2);
  ListView1->header()->hide();
  ListView1->header()->setStretchLastSection(false);
  ListView1->setColumnWidth(0, 200);
  ListView1->setColumnWidth(1, 233);
  ListView1->setRootIsDecorated(false);
  ListView1->setIndentation(0);
  ListView1->setIconSize(QSize(16, 16));
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setFocusPolicy(Qt::NoFocus);  // no focus frame over the first row
  NameGameFonts();
  QFont font(QStringLiteral("Courier New CYR"));
  font.setBold(true);
  font.setPixelSize(13);  // 9.75 points
  ListView1->setFont(font);

  Picture1 = new FlamePanel(this);
  Picture1->setGeometry(3, 83, 36, 119);
  Picture2 = new FlamePanel(this);
  Picture2->setGeometry(548, 82, 36, 119);

  Image2 = new PressLabel(0, PressLabel::Acts::kAtOnce, this);
  Image2->setGeometry(231, 371, 122, 26);
  connect(Image2, &PressLabel::pressed, this, &Form3::Image2_MouseDown);

  Image1 = QPixmap(QStringLiteral(":/art/torch.bmp"));
  ImageList1.resize(kEmblems + 1);
  for (int i = 1; i <= kEmblems; ++i) ImageList1[i] = LoadEmblem(i);

  Timer1.setInterval(1500);
  Timer2.setInterval(10);
  Timer3.setInterval(100);
  FrameTimer.setInterval(kFrameMs);
  connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
  connect(&Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
  connect(&Timer3, &QTimer::timeout, this, [this] { Timer3_Timer(); });
  connect(&FrameTimer, &QTimer::timeout, this, [this] { DrawFireFrame(); });

  Form_Load(closePicture);
  Timer1.start();
  Timer2.start();
  Timer3.start();
}

Form3::~Form3() { StopEverything(); }

void Form3::Form_Load(const QPixmap& closePicture) {
  // The list's background: the board skin, behind transparent rows, with a
  // light text that reads on it.
  QPalette pal = ListView1->palette();
  const QPixmap skin = QPixmap::fromImage(ReadPicture(QString::fromStdString(folders_.program + "skinsp.jpg")));
  if (!skin.isNull()) {
    pal.setBrush(QPalette::Base, QBrush(skin));
  } else {
    pal.setColor(QPalette::Base, QColor(12, 18, 40));
  }
  pal.setColor(QPalette::Text, QColor(240, 220, 150));
  pal.setColor(QPalette::HighlightedText, Qt::white);
  ListView1->setPalette(pal);
  ListView1->viewport()->setAutoFillBackground(true);

  LoadRecordList();
  for (size_t i = 0; i < RecordList.size(); ++i) {
    std::string name, timeText;
    SplitRecord(RecordList[i], name, timeText);
    auto* row = new QTreeWidgetItem(ListView1);
    row->setText(0, QString::fromStdString(name));
    row->setText(1, QString::fromStdString(ShownRecordTime(RecordList[i])));
    const size_t rank = i + 1;
    // Ranks past the tenth have no emblem and show without one.
    if (rank <= static_cast<size_t>(kEmblems) && !ImageList1[rank].isNull()) {
      row->setIcon(0, QIcon(ImageList1[rank]));
    }
  }

  Image2->setPixmap(closePicture);
}

void Form3::LoadRecordList() { LoadRecords(toolkit_, folders_, RecordList, kShownRecordRows); }

void Form3::Timer1_Timer() {
  fire.SparkRow = static_cast<int16_t>(static_cast<int>(toolkit_.Rnd() * 4));
}

void Form3::Timer2_Timer() {
  Timer2.stop();
  Picture1->ShowTorch(Image1);
  Picture2->ShowTorch(Image1);
}

void Form3::Timer3_Timer() {
  Timer3.stop();
  if (Closing) return;
  // A modal window shown by exec() is already in front; no need to raise it
  // every frame.
  FrameTimer.start();
}

void Form3::DrawFireFrame() {
  if (Closing) return;
  fire.FireStep([this] { return toolkit_.Rnd(); });
  for (FlamePanel* panel : {Picture1, Picture2}) {
    PaintFlame(fire, panel->Flame());
    panel->SetFlameShown();
    panel->update();
  }
}

void Form3::Image2_MouseDown() {
  Closing = true;
  close();
}

void Form3::StopEverything() {
  Closing = true;
  Timer1.stop();
  Timer2.stop();
  Timer3.stop();
  FrameTimer.stop();
}

void Form3::done(int result) {
  StopEverything();
  QDialog::done(result);
}

void Form3::closeEvent(QCloseEvent* event) {
  StopEverything();
  QDialog::closeEvent(event);
}

}  // namespace tumbol
