#include "shell/qt_splash.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tumbol {

frmSplash::frmSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setFixedSize(432, 88);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(22, 34, 64));
  setPalette(pal);
  setAutoFillBackground(true);
  Frame1 = new QFrame(this);
  Frame1->setGeometry(3, 3, 425, 82);
  Frame1->setFrameStyle(QFrame::Box | QFrame::Raised);
  Frame1->setStyleSheet(QStringLiteral("QFrame { border: 2px solid #b08d3c; }"));
  imgLogo = new QLabel(this);
  imgLogo->setGeometry(23, 9, 55, 59);
  imgLogo->setPixmap(QPixmap(QStringLiteral(":/art/logo.png")));
  QFont font(QStringLiteral("Times New Roman"));
  font.setPixelSize(22);
  font.setBold(true);
  const QString text = QStringLiteral("Пожалуйста ждите...");
  lblCompanyProduct = new QLabel(text, this);
  lblCompanyProduct->setGeometry(112, 25, 222, 26);
  lblCompanyProduct->setFont(font);
  lblCompanyProduct->setStyleSheet(QStringLiteral("color: #0b0f1c;"));
  Label1 = new QLabel(text, this);
  Label1->setGeometry(115, 28, 222, 26);
  Label1->setFont(font);
  Label1->setStyleSheet(QStringLiteral("color: #e8c66a;"));
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
}

void frmSplash::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) repaint();
}

}  // namespace tumbol
