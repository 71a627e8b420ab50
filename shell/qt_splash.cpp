#include "shell/qt_splash.h"

#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QPixmap>

#include "shell/qt_art.h"
#include "shell/qt_desktop.h"
#include "shell/qt_game_fonts.h"

namespace tumbol {

frmSplash::frmSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  NameGameFonts();
  setFixedSize(432, 88);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(22, 34, 64));
  setPalette(pal);
  setAutoFillBackground(true);

  Frame1 = new QFrame(this);
  Frame1->setGeometry(3, 3, 425, 82);
  Frame1->setStyleSheet(QStringLiteral("QFrame { border: 2px solid #b08d3c; }"));

  imgLogo = new QLabel(this);
  imgLogo->setGeometry(23, 9, 55, 59);
  imgLogo->setAlignment(Qt::AlignCenter);
  const QPixmap logo = ArtPixmap(QStringLiteral("logo.png"));
  if (!logo.isNull()) imgLogo->setPixmap(logo.scaled(imgLogo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));

  QFont font(QStringLiteral("Times New Roman"));
  font.setPixelSize(20);  // 15 points at 96 dpi, whatever the screen's own dpi
  font.setBold(true);
  const QString caption = QStringLiteral("Пожалуйста ждите...");
  auto makeCaption = [&](const QRect& place, const QColor& colour) {
    auto* label = new QLabel(caption, this);
    label->setGeometry(place);
    label->setFont(font);
    QPalette lp = label->palette();
    lp.setColor(QPalette::WindowText, colour);
    label->setPalette(lp);
    return label;
  };
  lblCompanyProduct = makeCaption(QRect(112, 25, 222, 26), QColor(0xe8, 0xc6, 0x6a));
  Label1 = makeCaption(QRect(115, 28, 222, 26), QColor(0x05, 0x08, 0x12));
  Label1->stackUnder(lblCompanyProduct);

  CentreOnScreen(this);
}

void frmSplash::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) repaint();
}

}  // namespace tumbol
