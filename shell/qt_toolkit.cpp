#include "shell/qt_toolkit.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>

#include "shell/qt_desktop.h"
#include "shell/qt_dialog_placement.h"

namespace tumbol {

QString QtToolkit::DisplayText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QChar('\r'), QChar('\n'));
  return shown;
}

int QtToolkit::TitleWidth(const QString& title) {
  // Window managers draw the title in a bold face, often a little larger than
  // the text's, beside an icon and three buttons of about 30 pixels each.
  QFont font = QApplication::font();
  font.setBold(true);
  if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * 1.2);
  else font.setPixelSize(font.pixelSize() * 6 / 5);
  return QFontMetrics(font).horizontalAdvance(title) + 4 * 30 + 24;
}

QWidget* QtToolkit::DialogParent() const {
  // A box is centred on the window that asks: the editor's boxes on the editor.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return parent_;
}

int QtToolkit::MsgBox(const std::string& text, int style, const std::string& title) {
  QMessageBox box(DialogParent());
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(DisplayText(text));
  switch (style) {
    case kStyleExclamation: box.setIcon(QMessageBox::Warning); break;
    case kStyleInformation: box.setIcon(QMessageBox::Information); break;
    case kStyleQuestion: box.setIcon(QMessageBox::Question); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  QPushButton* yes = nullptr;
  if (style == kStyleQuestion) {
    yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
  } else {
    QPushButton* ok = box.addButton(QStringLiteral("ОК"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
  }
  // The box sizes itself to its text; a short text would cut the title.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(TitleWidth(box.windowTitle()), 0), grid->rowCount(), 0, 1, grid->columnCount());
  PlaceAsDialog(&box);
  box.exec();
  ReturnKeyboard(box.parentWidget());
  if (style != kStyleQuestion) return kResultOk;
  return box.clickedButton() == yes ? kResultYes : kResultNo;
}

std::string QtToolkit::InputBox(const std::string& prompt, const std::string& title,
                                const std::string& defaultText) {
  QInputDialog dialog(DialogParent());
  dialog.setWindowTitle(QString::fromStdString(title));
  dialog.setLabelText(DisplayText(prompt));
  dialog.setTextValue(QString::fromStdString(defaultText));
  dialog.setOkButtonText(QStringLiteral("ОК"));
  dialog.setCancelButtonText(QStringLiteral("Отмена"));
  // The dialog holds its size to its layout, which it makes on first need.
  dialog.sizeHint();
  if (QLayout* layout = dialog.layout()) layout->addItem(new QSpacerItem(TitleWidth(dialog.windowTitle()), 0));
  PlaceAsDialog(&dialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  ReturnKeyboard(dialog.parentWidget());
  if (!accepted) return {};
  return dialog.textValue().toStdString();
}

double QtToolkit::Now() {
  // Days since 30 December 1899 in local time, so a difference is a duration
  // and a level played across midnight keeps its true length.
  static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
  const QDateTime now = QDateTime::currentDateTime();
  const QDateTime asUtc(now.date(), now.time(), Qt::UTC);
  return static_cast<double>(epoch.msecsTo(asUtc)) / 86400000.0;
}

double QtToolkit::Rnd() { return QRandomGenerator::global()->generateDouble(); }

}  // namespace tumbol
