// The real message and input boxes, answered from the keyboard or the mouse
// as a player would: their results, defaults and widths.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <variant>

#include "shell/qt_toolkit.h"

namespace tumbol {
namespace {

void Click(QWidget* box, const char* text) {
  for (QPushButton* button : box->findChildren<QPushButton*>())
    if (button->text() == QString::fromUtf8(text)) return QTest::mouseClick(button, Qt::LeftButton);
  ADD_FAILURE() << "no button " << text;
}

TEST(QtToolkitBoxes, AnswerAsThePlayerChoseWithNoAsTheDefaultAndShowTheirTitlesWhole) {
  using Answer = std::function<void(QWidget*)>;
  const auto key = [](Qt::Key k) { return [k](QWidget* box) { QTest::keyClick(box, k); }; };
  const auto typeThen = [](Answer then) {
    return [then](QWidget* box) {
      QTest::keyClicks(box->findChild<QLineEdit*>(), QStringLiteral("Kex"));
      then(box);
    };
  };
  const struct {
    const char* what;
    bool input;  // an input box, else a question
    const char* title;
    Answer answer;
    std::variant<int, std::string> result;
  } cases[] = {
      {"Enter on a question", false, "Выйти", key(Qt::Key_Return), kResultNo},
      {"Esc on a question", false, "Выйти", key(Qt::Key_Escape), kResultNo},
      {"a click on Да", false, "Рестарт", [](QWidget* box) { Click(box, "Да"); }, kResultYes},
      {"a name and Enter", true, "Таблица рекордов", typeThen(key(Qt::Key_Return)), std::string("Kex")},
      {"a name and Esc", true, "Таблица рекордов", typeThen(key(Qt::Key_Escape)), std::string()},
      {"a name and Отмена", true, "Таблица рекордов", typeThen([](QWidget* box) { Click(box, "Отмена"); }),
       std::string()},
      {"Введите имя!", false, "Таблица рекордов", key(Qt::Key_Return), kResultOk},
  };
  QtToolkit toolkit;
  QFont bold = QApplication::font();
  bold.setBold(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int width = 0;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box || !box->isVisible() || width) return;
      width = box->width();
      c.answer(box);
    });
    answerer.start(10);
    const std::string title = c.title;
    std::variant<int, std::string> result;
    if (c.input) {
      result = toolkit.InputBox(std::string("Установлен новый рекорд!\r\nВведите свое имя:"), title, "");
    } else if (std::holds_alternative<int>(c.result) && std::get<int>(c.result) == kResultOk) {
      result = toolkit.MsgBox(c.what, kStyleInformation, title);
    } else {
      result = toolkit.MsgBox("?", kStyleQuestion, title);
    }
    EXPECT_EQ(result, c.result);
    // Beside the title a title bar holds an icon and its buttons.
    EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(QString::fromStdString(title)) + 100);
  }
}

}  // namespace
}  // namespace tumbol
