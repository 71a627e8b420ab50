#pragma once
// The pictures compiled into the game (art/, ":/art/<name>"), each decoded
// once for the whole program. Those the windows show as the game starts and
// the board's tiles are stored unpacked by the build, so taking one is a copy.
#include <QImage>
#include <QPixmap>
#include <QString>

namespace tumbol {

// The picture art/<name>, e.g. "tile1.png"; null when there is none. Any
// thread.
QImage ArtImage(const QString& name);
// The same as a pixmap, for a label or a window icon: interface thread only.
QPixmap ArtPixmap(const QString& name);

}  // namespace tumbol
