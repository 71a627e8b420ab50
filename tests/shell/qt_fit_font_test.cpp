#include "shell/qt_fit_font.h"

#include <QFontMetricsF>
#include <QLabel>
#include <gtest/gtest.h>

namespace tumbol {
namespace {

double Wide(QFont font, int pixels, const QString& text) {
  font.setPixelSize(pixels);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
  return QFontMetricsF(font).horizontalAdvance(text);
}

TEST(FitFontToWidth, TakesTheLargestSizeThatFitsDownToTheSmallestReadable) {
  const QString text = QStringLiteral("Введите номер карты");
  for (int width : {400, 111, 105, 100, 83, 5}) {
    QLabel label(text);
    QFont given(QStringLiteral("Liberation Sans"));
    given.setPixelSize(11);
    label.setFont(given);
    FitFontToWidth(&label, {text}, width);
    const int size = label.font().pixelSize();
    EXPECT_TRUE(size == 9 || Wide(given, size, text) <= width) << width << ": " << size;
    if (size < 11) {
      EXPECT_GT(Wide(given, size + 1, text), width) << width << ": " << size;
    }
    // Letter spacing comes only where the smallest size is still too wide.
    EXPECT_EQ(label.font().letterSpacing() < 0, Wide(given, size, text) > width) << width;
  }
}

}  // namespace
}  // namespace tumbol
