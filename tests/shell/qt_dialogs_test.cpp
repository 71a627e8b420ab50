// The real message and input boxes as a player answers them: results, defaults, widths.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "shell/qt_toolkit.h"

namespace tumbol {
namespace {

TEST(QtToolkitBoxes, AnswerAsThePlayerChoseWithNoAsTheDefaultAndShowTheirTitlesWhole) {
  const struct {
    const char* what;
    int style;           // -1: the name box
    const char* title;
    const char* answer;  // a key, or the text of the button clicked
    std::string result;  // the name typed, or the number returned
  } cases[] = {
      {"Enter on a question", kStyleQuestion, "Выйти", "Return", "7"},
      {"Введите имя!", kStyleInformation, "Таблица рекордов", "Return", "1"},
      {"a name and Enter", -1, "Таблица рекордов", "Return", "Kex"},
      {"a name and Отмена", -1, "Таблица рекордов", "Отмена", ""},
  };
  QtToolkit toolkit;
  const QFont bold(QApplication::font().family(), QApplication::font().pointSize(), QFont::Bold);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int width = 0;
    QTimer::singleShot(0, [&] {  // runs in the box's own loop
      QWidget* box = QApplication::activeModalWidget();
      width = box->width();
      if (auto* field = box->findChild<QLineEdit*>()) QTest::keyClicks(field, "Kex");
      const QString answer = QString::fromUtf8(c.answer);
      if (answer == "Return") return QTest::keyClick(box, Qt::Key_Return);
      for (QPushButton* button : box->findChildren<QPushButton*>())
        if (button->text() == answer) QTest::mouseClick(button, Qt::LeftButton);
    });
    EXPECT_EQ(c.style < 0 ? toolkit.InputBox("Установлен новый рекорд!\r\nВведите свое имя:", c.title, "")
                          : std::to_string(toolkit.MsgBox(c.what, c.style, c.title)),
              c.result);
    // Beside the title a title bar holds an icon and its buttons.
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(QString::fromUtf8(c.title)) + 100);
  }
}

}  // namespace
}  // namespace tumbol
