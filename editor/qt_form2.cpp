#include "editor/qt_form2.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>

#include "base/board_geometry.h"
#include "game/qt_board_picture.h"
#include "shell/qt_desktop.h"
#include "shell/qt_fit_font.h"
#include "shell/qt_tile_pictures.h"

namespace tumbol {

namespace {
const QColor kOrange(255, 128, 0);
const QColor kLightOrange(255, 192, 128);
const QColor kSurfaceColour(34, 36, 46);
const QColor kGridColour(52, 56, 70);
const char kTitle[] = "Редактор уровней";
constexpr int kSavedTitleMs = 4000;

int ButtonMask(Qt::MouseButtons buttons) {
  int mask = 0;
  if (buttons & Qt::LeftButton) mask |= 1;
  if (buttons & Qt::RightButton) mask |= 2;
  if (buttons & Qt::MiddleButton) mask |= 4;
  return mask;
}

void PaintLight(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Button, kLightOrange);
  palette.setColor(QPalette::Base, kLightOrange);
  palette.setColor(QPalette::Window, kLightOrange);
  widget->setPalette(palette);
}
}  // namespace

EditorPicture::EditorPicture(QWidget* parent)
    : QWidget(parent), frame_(kBoardPixelsWide, kBoardPixelsHigh, QImage::Format_RGB32) {
  tiles_.reserve(kTileCount + 1);
  for (const QPixmap& tile : LoadTilePictures())
    tiles_.push_back(tile.isNull() ? QImage() : tile.toImage().convertToFormat(QImage::Format_RGB32));
  setFixedSize(kBoardPixelsWide, kBoardPixelsHigh);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
  ClearFrame(kEditorRows, kEditorCols);
}

void EditorPicture::ClearFrame(int rows, int cols) {
  frame_.fill(kSurfaceColour);
  // A faint grid over the cells the board has, so the designer sees where
  // painting reaches.
  QPainter painter(&frame_);
  painter.setPen(kGridColour);
  const int width = std::min(cols * kCellPixels, kBoardPixelsWide);
  const int height = std::min(rows * kCellPixels, kBoardPixelsHigh);
  for (int x = 0; x <= width; x += kCellPixels) painter.drawLine(x, 0, x, height);
  for (int y = 0; y <= height; y += kCellPixels) painter.drawLine(0, y, width, y);
}

void EditorPicture::Draw(const Board& board) {
  ClearFrame(board.Rows(), board.Cols());
  // Only the cells that reach the surface: a loaded map can be far larger.
  const int rows = std::min(board.Rows(), (kBoardPixelsHigh + kCellPixels - 1) / kCellPixels);
  const int cols = std::min(board.Cols(), (kBoardPixelsWide + kCellPixels - 1) / kCellPixels);
  QPainter painter(&frame_);
  for (int row = 1; row <= rows; ++row) {
    for (int col = 1; col <= cols; ++col) {
      const int code = board.At(row, col);
      if (code < 1 || code > kTileCount) continue;
      painter.drawImage((col - 1) * kCellPixels, (row - 1) * kCellPixels, tiles_[code]);
    }
  }
  painter.end();
  update();
}

void EditorPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, frame_);
  if (hint_.dir != 0) {
    painter.setRenderHint(QPainter::Antialiasing);
    PaintHint(painter, hint_.row, hint_.col, hint_.dir, 0.6);
  }
}

void EditorPicture::ShowHint(const SolverMove& move) {
  hint_ = move;
  update();
}

void EditorPicture::HideHint() {
  if (hint_.dir == 0) return;
  hint_ = SolverMove{};
  update();
}

std::string WinnableText(const std::optional<SolveResult>& answer) {
  if (!answer) return "проверяется…";
  switch (answer->outcome) {
    case SolveOutcome::kSolved: {
      const size_t n = answer->moves.size();
      if (n == 0) return "можно пройти без единого хода";
      const size_t tens = n % 100, ones = n % 10;
      const char* word = tens / 10 != 1 && ones == 1 ? "ход" : tens / 10 != 1 && ones >= 2 && ones <= 4 ? "хода" : "ходов";
      return (answer->shortest ? "можно пройти за " : "можно пройти не больше чем за ") + std::to_string(n) + " " + word;
    }
    case SolveOutcome::kUnsolvable:
      return "пройти нельзя";
    case SolveOutcome::kUnknown:
      break;
  }
  return "не удалось проверить за секунду";
}

void EditorPicture::mousePressEvent(QMouseEvent* event) {
  emit pressed(ButtonMask(event->buttons()), event->position().x() * kPointsPerPixel,
               event->position().y() * kPointsPerPixel);
}

void EditorPicture::mouseMoveEvent(QMouseEvent* event) {
  emit moved(ButtonMask(event->buttons()), event->position().x() * kPointsPerPixel,
             event->position().y() * kPointsPerPixel);
}

namespace {
// A check waits this long after a stroke, so a drag is checked once it
// rests, and then has the rest of a second.
constexpr int kCheckDelayMs = 150;
constexpr double kCheckSeconds = 0.8;
}  // namespace

Form2::Form2(Toolkit& toolkit, const GameFolders& folders, QWidget* parent)
    : QDialog(parent),
      core_(toolkit, *this, folders),
      worker_([this](uint64_t ticket, const SolveResult& result) { CheckDone(ticket, result); },
              [](const Board& board, const std::atomic<bool>& stop) {
                SolveLimits limits = kPlayerLimits;
                limits.seconds = kCheckSeconds;
                limits.stop = &stop;
                return FindWin(board, limits);
              }) {
  setWindowTitle(QString::fromUtf8(kTitle));
  savedTitle.setSingleShot(true);
  savedTitle.setInterval(kSavedTitleMs);
  connect(&savedTitle, &QTimer::timeout, this, [this] { setWindowTitle(QString::fromUtf8(kTitle)); });
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setModal(true);
  setFixedSize(kSize);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kOrange);
  setPalette(palette);
  QFont font = this->font();
  font.setPixelSize(11);
  setFont(font);

  ImageList1 = LoadTilePictures();

  Picture1 = new EditorPicture(this);
  Picture1->move(2, 3);
  connect(Picture1, &EditorPicture::pressed, this,
          [this](int button, double x, double y) { core_.Picture1_MouseDown(button, x, y); });
  connect(Picture1, &EditorPicture::moved, this,
          [this](int button, double x, double y) { core_.Picture1_MouseMove(button, x, y); });

  Image3 = new QLabel(this);
  Image3->setGeometry(710, 4, 41, 41);
  Image3->setScaledContents(true);

  Combo1 = new QComboBox(this);
  Combo1->setGeometry(711, 50, 131, 21);
  Combo1->setMaxVisibleItems(14);
  // A drop-down list below the box, not one laid over the whole window.
  Combo1->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  for (int code = 0; code < kPaletteItems; ++code) {
    // Empty space shows as an empty cell, so the texts stay in line.
    QPixmap empty(16, 16);
    empty.fill(kSurfaceColour);
    const QIcon icon = code > 0 ? QIcon(ImageList1[code]) : QIcon(empty);
    Combo1->addItem(icon, QString::fromStdString(PaletteText(code)));
  }
  Combo1->setIconSize(QSize(16, 16));
  PaintLight(Combo1);
  connect(Combo1, qOverload<int>(&QComboBox::currentIndexChanged), this,
          [this](int index) { core_.Combo1_Click(index); });

  Label3 = MakeLabel(711, 93, 20, QStringLiteral("X -"));
  Label1 = MakeLabel(731, 93, 20, QStringLiteral("1"));
  Label5 = MakeLabel(751, 93, 18, QStringLiteral("Y -"));
  Label4 = MakeLabel(769, 93, 40, QStringLiteral("1"));
  Label6 = MakeLabel(721, 109, 90, QStringLiteral("№ карты"));

  Text1 = new QLineEdit(this);
  Text1->setGeometry(714, 127, 103, 20);
  PaintLight(Text1);

  Command2 = MakeButton(712, 151, 109, 25, QStringLiteral("Загрузить карту"));
  Command1 = MakeButton(712, 181, 109, 25, QStringLiteral("Сохранить карту"));
  connect(Command2, &QPushButton::clicked, this, [this] { core_.Command2_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { core_.Command1_Click(); });

  Frame1 = new QGroupBox(QStringLiteral("Инструкция"), this);
  Frame1->setGeometry(709, 214, 150, 180);
  // A frame line the orange background does not swallow.
  Frame1->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid rgb(128, 56, 0); border-radius: 3px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
  Text2 = new QPlainTextEdit(Frame1);
  Text2->setGeometry(4, 18, 138, 55);
  Text2->setReadOnly(true);
  Text2->setLineWrapMode(QPlainTextEdit::NoWrap);
  Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text2->document()->setDocumentMargin(1);
  QFont small = font;
  small.setPixelSize(9);
  Text2->setFont(small);
  const QString stars(32, QChar('*'));
  const QString instruction =
      stars + QStringLiteral("\r\nLMouseButton - Рисовать\r\nRMouseButton - Удалять\r\n") + stars + QStringLiteral("\r\n");
  Text2->setPlainText(instruction);
  FitFontToWidth(Text2, instruction.split(QStringLiteral("\r\n")),
                 Text2->width() - 2 * Text2->frameWidth() - 2 * int(Text2->document()->documentMargin()) - 2);
  Image1 = new QLabel(Frame1);
  Image1->setGeometry(4, 76, 137, 95);
  Image1->setScaledContents(true);
  Image1->setPixmap(QPixmap::fromImage(Picture1->Frame()));

  LabelWin = MakeLabel(711, 402, 146, QString());
  LabelWin->setGeometry(711, 402, 146, 44);
  LabelWin->setWordWrap(true);
  LabelWin->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  checkDelay_.setSingleShot(true);
  checkDelay_.setInterval(kCheckDelayMs);
  connect(&checkDelay_, &QTimer::timeout, this, [this] { worker_.Start(checked_, ticket_); });

  Command3 = MakeButton(716, 489, 132, 26, QStringLiteral("Закрыть"));
  connect(Command3, &QPushButton::clicked, this, [this] { core_.Command3_Click(); });

  setTabOrder(Picture1, Combo1);
  setTabOrder(Combo1, Command1);
  setTabOrder(Command1, Text1);
  setTabOrder(Text1, Command2);
  setTabOrder(Command2, Command3);
  setTabOrder(Command3, Text2);

  // Opening: the board and the palette first, then the hook, then the poll.
  core_.Form_Load();
  HookEditorWindow();
  tmrGet.setInterval(10);
  connect(&tmrGet, &QTimer::timeout, this, [this] { core_.tmrGet_Timer(); });
  tmrGet.start();
  Picture1->setFocus();
  BoardEdited();
}

QLabel* Form2::MakeLabel(int left, int top, int width, const QString& text) {
  auto* label = new QLabel(text, this);
  label->setGeometry(left, top, width, 14);
  return label;
}

QPushButton* Form2::MakeButton(int left, int top, int width, int height, const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setGeometry(left, top, width, height);
  // Enter in the number box must not press a button behind the user's back.
  button->setAutoDefault(false);
  button->setDefault(false);
  PaintLight(button);
  return button;
}

void Form2::HookEditorWindow() {
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
  // The combo's drop-down list is a window of its own: there the wheel
  // scrolls the list as usual.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Wheel:
      core_.WheelTurned(static_cast<QWheelEvent*>(event)->angleDelta().y());
      // Taken here, so no control also scrolls and the palette steps once.
      return true;
    case QEvent::KeyPress:
      core_.OtherInput();
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        hintWanted_ = true;
        if (answer_) ShowNextPush();
        return true;
      }
      // Only choosing an item changes the palette; a typed letter would jump
      // to an item by its text.
      if (watched == Combo1 && !static_cast<QKeyEvent*>(event)->text().isEmpty() &&
          static_cast<QKeyEvent*>(event)->text().at(0).isPrint())
        return true;
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      core_.OtherInput();
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void Form2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (centred_) return;
  centred_ = true;
  CentreOnScreen(this);
}

void Form2::keyPressEvent(QKeyEvent* event) {
  // Esc leaves as the close button does, question and all.
  if (event->key() == Qt::Key_Escape) return event->accept(), core_.Command3_Click();
  QDialog::keyPressEvent(event);
}

void Form2::ShowSaved(const std::string& path) {
  setWindowTitle(QString::fromUtf8(kTitle) + QStringLiteral(" — карта сохранена: ") + QString::fromStdString(path));
  savedTitle.start();
}

void Form2::reject() {
  bool cancel = false;
  core_.Form_Unload(cancel);
  if (!cancel) QDialog::reject();
}

void Form2::BoardEdited() {
  if (core_.EditorBoard == checked_) return;
  checked_ = core_.EditorBoard;
  ++ticket_;  // an answer on its way is for a board gone
  worker_.Cancel();
  answer_.reset();
  hintWanted_ = false;
  Picture1->HideHint();
  LabelWin->setText(QString::fromStdString(WinnableText(answer_)));
  checkDelay_.start();
}

void Form2::CheckDone(uint64_t ticket, const SolveResult& result) {
  if (ticket != ticket_) return;
  answer_ = result;
  LabelWin->setText(QString::fromStdString(WinnableText(answer_)));
  if (hintWanted_) ShowNextPush();
}

void Form2::ShowNextPush() {
  hintWanted_ = false;
  if (answer_->outcome == SolveOutcome::kSolved && !answer_->moves.empty()) Picture1->ShowHint(answer_->moves.front());
}

void Form2::DrawEditorBoard() {
  BoardEdited();
  Picture1->Draw(core_.EditorBoard);
  Image1->setPixmap(QPixmap::fromImage(
      Picture1->Frame().scaled(Image1->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void Form2::ShowCoords(const std::string& col, const std::string& row) {
  Label1->setText(QString::fromStdString(col));
  Label4->setText(QString::fromStdString(row));
}

void Form2::SelectPaletteItem(int index) {
  const QSignalBlocker blocker(Combo1);
  Combo1->setCurrentIndex(index);
}

void Form2::ShowPreview(int code) {
  if (code >= 1 && code <= kTileCount)
    Image3->setPixmap(ImageList1[code]);
  else
    Image3->clear();
}

}  // namespace tumbol
