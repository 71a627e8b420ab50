#include "shell/qt_fit_font.h"

#include <QFontMetricsF>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tumbol {

namespace {

double Widest(const QFont& font, const QStringList& lines) {
  const QFontMetricsF metrics(font);
  double widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

}  // namespace

void FitFontToWidth(QWidget* widget, const QStringList& lines, int width) {
  constexpr int kSmallestReadable = 9;
  QFont font = widget->font();
  if (font.pixelSize() <= 0) font.setPixelSize(QFontInfo(font).pixelSize());
  const int given = font.pixelSize();
  const double wide = Widest(font, lines);
  if (wide > width && given > kSmallestReadable) {
    // The largest size below the given one at which the text fits. Text
    // widens about as the size grows, so the search starts at the size that
    // says, and hinting moves it a pixel or two at most: a few sizes are
    // measured, not every one down from the given.
    int size = std::clamp(static_cast<int>(std::floor(given * width / wide)), kSmallestReadable, given - 1);
    const auto fits = [&](int pixels) {
      font.setPixelSize(pixels);
      return Widest(font, lines) <= width;
    };
    if (fits(size)) {
      while (size + 1 < given && fits(size + 1)) ++size;
    } else {
      while (size > kSmallestReadable && !fits(size - 1)) --size;
      if (size > kSmallestReadable) --size;
    }
    font.setPixelSize(size);
  }
  double spacing = 0;
  while (Widest(font, lines) > width && spacing > -1.5) {
    spacing -= 0.25;
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  }
  widget->setFont(font);
}

}  // namespace tumbol
