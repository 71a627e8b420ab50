#include "shell/qt_fit_font.h"

#include <QFontMetricsF>
#include <QWidget>

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
  while (Widest(font, lines) > width && font.pixelSize() > kSmallestReadable)
    font.setPixelSize(font.pixelSize() - 1);
  double spacing = 0;
  while (Widest(font, lines) > width && spacing > -1.5) {
    spacing -= 0.25;
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  }
  widget->setFont(font);
}

}  // namespace tumbol
