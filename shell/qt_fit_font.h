#pragma once
// The windows have small, fixed control sizes that match their skins; where
// the installed fonts run wider, a control's font is narrowed until its text
// fits, rather than letting the text be cut.
#include <QStringList>

class QWidget;

namespace tumbol {

// Lowers the pixel size of widget's font, and then its letter spacing, until
// every line fits width pixels.
void FitFontToWidth(QWidget* widget, const QStringList& lines, int width);

}  // namespace tumbol
