#include "game/qt_form1.h"

#include <QCloseEvent>
#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTime>
#include <QWindow>

#include "base/data_file.h"
#include "base/duration.h"
#include "base/file_exists.h"
#include "base/text_lines.h"
#include "shell/qt_art.h"
#include "shell/qt_desktop.h"
#include "shell/qt_fit_font.h"

namespace tumbol {

namespace {

struct Place {
  int left, top, width, height;
};

// Button places in pixels on the skin, and their tooltips.
constexpr Place kButtonPlaces[8] = {
    {338, 544, 114, 26}, {487, 544, 114, 26}, {611, 544, 122, 26}, {702, 2, 25, 25},
    {671, 2, 25, 25},    {97, 544, 114, 26},  {487, 574, 114, 26}, {215, 544, 114, 26}};
const char* const kButtonTips[8] = {"Загрузить",        "Редактор карт", "Закрыть",
                                    "Закрыть",          "Свернуть",      "Играть/Закончить",
                                    "Рекордсмены",      "Начать заново"};

QPixmap ButtonPicture(int number, const Place& place) {
  QPixmap p = ArtPixmap(QStringLiteral("button%1.png").arg(number));
  if (!p.isNull()) return p;
  p = QPixmap(place.width, place.height);
  p.fill(number % 2 == 0 ? QColor(60, 60, 70) : QColor(90, 90, 110));
  return p;
}

}  // namespace

Form1::Form1(Toolkit& toolkit, SoundCues& sounds, BoardCursor& cursor, SolverWorker::Search search)
    : QWidget(nullptr, Qt::FramelessWindowHint),
      music(MMControl1, toolkit),
      toolkit_(toolkit),
      game_(toolkit, *(Picture1 = new BoardPicture(this)), sounds, cursor, *this),
      worker_([this](uint64_t ticket, const SolveResult& result) { game_.SearchDone(ticket, result); },
              std::move(search)) {
  setWindowTitle(QStringLiteral("Тумбол"));
  setFixedSize(kSize);
  setAttribute(Qt::WA_QuitOnClose);
  setMouseTracking(true);
  // The keyboard belongs to the number field: a press on the frame, the board
  // or a picture button leaves it there (keys reach the window all the same
  // while the field is hidden).
  setFocusPolicy(Qt::NoFocus);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(40, 34, 30));
  pal.setColor(QPalette::WindowText, QColor(240, 226, 190));
  setPalette(pal);
  // Outside the outline the desktop shows: the mask cuts the window on X11,
  // per-pixel alpha does it on Wayland and XWayland.
  if (OutlineNeedsAlpha()) setAttribute(Qt::WA_TranslucentBackground);

  Picture1->setGeometry(kBoardLeft, kBoardTop, kBoardPixelsWide, kBoardPixelsHigh);
  connect(Picture1, &BoardPicture::pressed, this, [this](double x, double y) { game_.Picture1_MouseDown(x, y); });
  // In the frame above the board, right of the title.
  lostSign = new LostSign(this);
  lostSign->setGeometry(476, 10, 168, 17);
  connect(Picture1, &BoardPicture::moved, this, [this](double x, double y) {
    game_.Picture1_MouseMove(x, y);
    ReleaseButtonImage();
  });
  connect(Picture1, &BoardPicture::released, this, &Form1::ReleaseButtonImage);

  for (int i = 0; i < 8; ++i) {
    const Place& place = kButtonPlaces[i];
    auto* button = new PressLabel(i, PressLabel::Acts::kAfterPress, this);
    button->setGeometry(place.left, place.top, place.width, place.height);
    button->setToolTip(QString::fromUtf8(kButtonTips[i]));
    connect(button, &PressLabel::pressed, this, &Form1::Image1_MouseDown);
    connect(button, &PressLabel::released, this, &Form1::ReleaseButtonImage);
    Image1[i] = button;
  }

  QFont small = font();
  small.setPixelSize(11);
  Label1 = MakeLabel(32, 544, 33, 17, QStringLiteral("0/0"));
  Label2 = MakeLabel(97, 573, 72, 16, QStringLiteral("Жизни - 0"));
  Label3 = MakeLabel(218, 545, 111, 13, QStringLiteral("Введите номер карты"));
  Label4 = MakeLabel(617, 574, 42, 13, QStringLiteral("00:00:00"));
  Label5 = MakeLabel(676, 574, 42, 13, QStringLiteral("00:00:00"));
  // A narrow face for the small labels under the board; the clocks keep the
  // size their widest time needs (both clocks alike: fitted once).
  QFont tiny = small;
  tiny.setFamily(QStringLiteral("Liberation Sans"));
  for (QLabel* label : {Label3, Label4}) {
    label->setFont(tiny);
    FitFontToWidth(label, {label == Label3 ? label->text() : QStringLiteral("00:00:00")}, label->width());
  }
  Label5->setFont(Label4->font());
  Text1 = new QLineEdit(this);
  Text1->setGeometry(218, 562, 113, 19);
  Text1->setFont(small);
  connect(Text1, &QLineEdit::editingFinished, this, &Form1::Text1_Changed);

  ShowModeControls(true);
  Label2->setVisible(false);

  Image3 = MakeMusicSwitch(music, this);
  Timer1.setInterval(50);
  Timer1.setSingleShot(true);
  connect(&Timer1, &QTimer::timeout, this, [this] { music.Timer1_Timer(); });

  Timer2.setInterval(250);
  Timer2.setSingleShot(true);  // disabled in its own handler: fires once
  connect(&Timer2, &QTimer::timeout, this, [this] { game_.Timer2_Timer(); });
  frameTimer_.setSingleShot(true);
  frameTimer_.setTimerType(Qt::PreciseTimer);
  sinceStart_.start();
  connect(&frameTimer_, &QTimer::timeout, this, [this] { game_.ShowNextFrame(); });
  Timer3.setInterval(1000);
  connect(&Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
  Timer3.start();
  // Sees which window of the program becomes active, and F1 in Text1.
  qApp->installEventFilter(this);
}

Form1::~Form1() {
  qApp->removeEventFilter(this);
  game_.Shutdown();
}

QLabel* Form1::MakeLabel(int left, int top, int width, int height, const QString& text) {
  auto* label = new QLabel(text, this);
  label->setGeometry(left, top, width, height);
  return label;
}

void Form1::Form_Load(const GameFolders& folders) {
  if (splash) ShowAtOnce(splash);
  for (int i = 0; i < 8; ++i) Image1[i]->setPixmap(ButtonPictures()[2 * i + 1]);
  game_.SetFolders(folders);
  const std::string& path = folders.program;
  RecoverInterruptedSaves(WrittenFile(game_.Folders(), ""));
  music.path_work = path;
  music.FillPlaylist();
  game_.LoadLevelMap();
  // The splash paints as soon as the window system has placed it.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

  // A skin that is there but cannot be used (no picture, a FIFO, a device,
  // far too big) is reported like a missing one: the player can do the same
  // about it, and the game goes on without it either way.
  const std::string skinPath = path + "skins.bmp";
  const QImage skinPicture = FileExists(skinPath) ? LoadPicture(skinPath) : QImage();
  skin = skinPicture;
  if (skinPicture.isNull()) {
    toolkit_.MsgBox("Не найден файл '" + path + "skins.bmp'", kStyleExclamation,
                    "Ошибка загрузки файла");
  }
  const std::string boardPath = path + "skinsp.jpg";
  const QImage boardBackground = FileExists(boardPath) ? LoadPicture(boardPath) : QImage();
  if (boardBackground.isNull()) {
    toolkit_.MsgBox("Не найден файл '" + path + "skinsp.jpg'", kStyleExclamation,
                    "Ошибка загрузки файла");
  } else {
    Picture1->SetBackground(boardBackground);
  }
  update();
  Timer1.start();
}

QImage Form1::LoadPicture(const std::string& path) {
  const QString name = QString::fromStdString(path);
  return readAhead ? readAhead->Take(name) : ReadPicture(name);
}

void Form1::ShowModeControls(bool freePlay) {
  Image1[0]->setVisible(freePlay);
  Image1[1]->setVisible(freePlay);
  Image1[7]->setVisible(!freePlay);
  Text1->setVisible(freePlay);
  Label3->setVisible(freePlay);
  Label2->setVisible(!freePlay);
  lostSign->SetFreePlay(freePlay);
}

const std::vector<QPixmap>& Form1::ButtonPictures() {
  if (!ImageList2.empty()) return ImageList2;
  ImageList2.resize(17);
  for (int i = 0; i < 8; ++i) {
    ImageList2[2 * i + 1] = ButtonPicture(2 * i + 1, kButtonPlaces[i]);
    ImageList2[2 * i + 2] = ButtonPicture(2 * i + 2, kButtonPlaces[i]);
  }
  return ImageList2;
}

void Form1::Image1_MouseDown(int index) {
  ReleaseButtonImage();
  pressedButton_ = index;
  Image1[index]->setPixmap(ButtonPictures()[2 * index + 2]);
  switch (index) {
    case 0: game_.StartLevel(); break;
    case 1: OpenEditor(); break;
    case 2:
    case 3: close(); break;
    case 4: showMinimized(); break;
    case 5: game_.PressPlayButton(); break;
    case 6: OpenRecords(); break;
    case 7: game_.PressRestartButton(); break;
    default: break;
  }
}

void Form1::ReleaseButtonImage() {
  if (pressedButton_ < 0) return;
  Image1[pressedButton_]->setPixmap(ButtonPictures()[2 * pressedButton_ + 1]);
  pressedButton_ = -1;
}

void Form1::SetShape(const WindowShape& shape) {
  setMask(shape.outline);
  // An empty outline (an all-white skin) is no mask to Qt: the window then
  // shows whole rather than vanishing.
  if (shape.outline.isEmpty()) return;
  face = shape.face.isNull() ? WindowFace(skin, shape.outline, size()) : shape.face;
  update();
}

void Form1::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // Copied, not blended: outside the outline the window stays transparent.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  if (!face.isNull()) {
    painter.drawImage(event->rect(), face, event->rect());
    return;
  }
  painter.fillRect(rect(), palette().window());
  if (!skin.isNull()) painter.drawImage(0, 0, skin);
}

// Presses and moves that a control leaves unhandled (a label, a hidden
// switch picture) come on to the window; only those on its own surface count.
void Form1::mousePressEvent(QMouseEvent* event) {
  dragging_ = childAt(event->position().toPoint()) == nullptr;
  handedOver_ = false;
  if (!dragging_) return;
  drag_ = event->position().toPoint();
  if (event->buttons() != Qt::LeftButton) return;
  // The window system moves the window where it can (on Wayland only it
  // may) and holds the pointer meanwhile, so no move or release of this
  // drag reaches the window: restore the board now.
  game_.RestoreCursor();
  ReleaseButtonImage();
  // Asked now, while the pointer is still where it went down: a window
  // system that moves the window from where the pointer is when it takes
  // the move (sway, also through XWayland) would leave it behind otherwise.
  handedOver_ = windowHandle() != nullptr && windowHandle()->startSystemMove();
  if (handedOver_) dragging_ = false;
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (!dragging_ && childAt(at) != nullptr) return;
  game_.RestoreCursor();
  ReleaseButtonImage();
  // Moving by hand goes on only where nobody takes the move (an X server
  // without a window manager).
  if (dragging_ && event->buttons() == Qt::LeftButton) move(pos() - (drag_ - at));
}

void Form1::mouseReleaseEvent(QMouseEvent*) {
  // A release that reaches the window came before the window system took
  // the drag, which would otherwise go on after it.
  if (handedOver_) CancelSystemMove(windowHandle());
  handedOver_ = false;
  dragging_ = false;
  ReleaseButtonImage();
}

void Form1::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) ShowAbout();
}

void Form1::ShowAbout() {
  toolkit_.MsgBox(std::string("Email: kex@tumbol.example.com") + kCRLF + "Проиводитель: Kex",
                  kStylePlain, "О программе");
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowActivate && watched != this && watched->isWidgetType()) {
    auto* window = static_cast<QWidget*>(watched);
    if (window->isWindow() && !qobject_cast<QMessageBox*>(window) && !qobject_cast<QInputDialog*>(window))
      ownWindowVisited_ = true;
  }
  // The number field keeps the focus most of the time; F1 works there too.
  if (event->type() == QEvent::KeyRelease && watched == Text1 &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
    ShowAbout();
    return true;
  }
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this && PlayKey(watched, static_cast<QKeyEvent*>(event)))
    return true;
  return QWidget::eventFilter(watched, event);
}

bool Form1::PlayKey(QObject* watched, QKeyEvent* key) {
  // The board's keys are the game's even in the number field, which keeps
  // digits, Backspace and Enter.
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  const bool plain = mods == Qt::NoModifier, shift = mods == Qt::ShiftModifier;
  switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (!plain && !shift) break;
      if (shift)
        game_.PushAtCellCursor(key->key() == Qt::Key_Right ? +1 : -1);
      else
        game_.MoveCellCursor(0, key->key() == Qt::Key_Right ? +1 : -1);
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (!plain) break;
      game_.MoveCellCursor(key->key() == Qt::Key_Down ? +1 : -1, 0);
      return true;
    case Qt::Key_Home:
      if (!plain) break;
      game_.CellCursorHome();
      return true;
    default:
      break;
  }
  if ((key->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
      (key->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier))) {
    game_.Redo();
    return true;
  }
  const bool undo = key->matches(QKeySequence::Undo) || (key->key() == Qt::Key_Backspace && watched != Text1);
  if (undo) {
    // Ctrl+Z means the game's undo even in the number field.
    game_.Undo();
    return true;
  }
  if (key->key() == Qt::Key_F2) {
    game_.HintRequested();
    return true;
  }
  if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && watched == Text1) {
    // What a press on "Загрузить" does, with its pressed picture for a moment.
    Text1_Changed();
    Image1_MouseDown(0);
    QTimer::singleShot(150, this, [this] { ReleaseButtonImage(); });
    return true;
  }
  return false;
}

void Form1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  const bool active = isActiveWindow();
  if (active == wasActive_) return;
  wasActive_ = active;
  if (!active) return Form_Deactivate();
  // A press on the game window while a modal window blocks it activates
  // nothing; the modal window comes back on top.
  if (modalGuard_.Blocked()) return;
  const bool counts = !firstActivation_ || ownWindowVisited_;
  ownWindowVisited_ = false;
  if (counts) Form_Activate();
}

void Form1::Form_Activate() {
  if (splash) {
    splash->close();
    splash = nullptr;
  }
  if (!firstActivation_) {
    firstActivation_ = true;
    game_.StartLevelClock();
  }
  game_.ActivateBoard();
  update();
}

void Form1::Form_Deactivate() { game_.RestoreCursor(); }

void Form1::Timer3_Timer() {
  Label4->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
  Label5->setText(QString::fromStdString(FormatHms(toolkit_.Now() - game_.LevelStartTime())));
}

void Form1::Text1_Changed() {
  const QString text = QString::fromStdString(TrimBlanks(Text1->text().toStdString()));
  if (text != Text1->text()) Text1->setText(text);
}

void Form1::closeEvent(QCloseEvent* event) {
  if (game_.ShuttingDown()) {
    event->accept();
    return;
  }
  const int answer = toolkit_.MsgBox("Вы действительно хотите выйти?", kStyleQuestion, "Выйти");
  game_.RestoreCursor();
  if (answer == kResultNo) {
    event->ignore();
    return;
  }
  music.Close();
  worker_.Cancel();
  game_.Shutdown();
  frameTimer_.stop();
  Timer2.stop();
  Timer3.stop();
  event->accept();
}

}  // namespace tumbol
