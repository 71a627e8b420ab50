#include "shell/qt_splash.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QPainter>
#include <QStyle>
#include <utility>

#include "shell/qt_art.h"
#include "shell/qt_desktop.h"
#include "shell/qt_game_fonts.h"

namespace tumbol {

namespace {

constexpr QSize kSplashSize{432, 88};
// Where the face's parts lie.
constexpr QRect kFrame1{3, 3, 425, 82};               // the gold border
constexpr QRect kImgLogo{23, 9, 55, 59};              // the logo, centred in it
constexpr QRect kLblCompanyProduct{112, 25, 222, 26};  // the caption, in gold
constexpr QRect kLabel1{115, 28, 222, 26};             // its dark shadow, 3 px right and below
constexpr int kFrameWidth = 2;

void PaintFace(QPainter& painter) {
  painter.fillRect(QRect(QPoint(0, 0), kSplashSize), QColor(22, 34, 64));
  const QColor gold(0xb0, 0x8d, 0x3c);
  const QRect f = kFrame1;
  painter.fillRect(f.x(), f.y(), f.width(), kFrameWidth, gold);
  painter.fillRect(f.x(), f.bottom() - kFrameWidth + 1, f.width(), kFrameWidth, gold);
  painter.fillRect(f.x(), f.y() + kFrameWidth, kFrameWidth, f.height() - 2 * kFrameWidth, gold);
  painter.fillRect(f.right() - kFrameWidth + 1, f.y() + kFrameWidth, kFrameWidth, f.height() - 2 * kFrameWidth, gold);

  const QImage logo = ArtImage(QStringLiteral("logo.png"));
  if (!logo.isNull()) {
    const QImage fitted = logo.scaled(kImgLogo.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);  // at a scale other than 1
    painter.drawImage(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, fitted.size(), kImgLogo), fitted);
    painter.restore();
  }

  // The application's font first, so the caption's takes its style strategy
  // as a label's would.
  QFont font = QFont(QStringLiteral("Times New Roman")).resolve(QApplication::font());
  font.setPixelSize(20);  // 15 points at 96 dpi, whatever the screen's own dpi
  font.setBold(true);
  // Its face holds every letter of the caption: no fallback faces to look up.
  font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoFontMerging));
  painter.setFont(font);
  const QString caption = QStringLiteral("Пожалуйста ждите...");
  for (const auto& [place, colour] : {std::pair{kLabel1, QColor(0x05, 0x08, 0x12)},
                                      std::pair{kLblCompanyProduct, QColor(0xe8, 0xc6, 0x6a)}}) {
    painter.setPen(colour);
    painter.drawText(place, Qt::AlignLeft | Qt::AlignVCenter, caption);
  }
}

}  // namespace

QImage PaintSplashFace(qreal devicePixelRatio) {
  QImage face(kSplashSize * devicePixelRatio, QImage::Format_RGB32);
  face.setDevicePixelRatio(devicePixelRatio);
  QPainter painter(&face);
  PaintFace(painter);
  return face;
}

frmSplash::frmSplash(std::shared_future<QImage> face)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), face_(std::move(face)) {
  NameGameFonts();
  setFixedSize(kSplashSize);
  setAttribute(Qt::WA_OpaquePaintEvent);
  CentreOnScreen(this);
}

void frmSplash::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (face_.valid() && face_.get().devicePixelRatio() == painter.device()->devicePixelRatioF()) {
    painter.drawImage(QPoint(0, 0), face_.get());
  } else {
    PaintFace(painter);
  }
}

void frmSplash::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) repaint();
}

}  // namespace tumbol
