#pragma once
// The pictures compiled into the game (art/, ":/art/<name>"), each decoded
// once for the whole program. The start-up has them decoded on a worker
// while it builds the windows, so a window that asks finds them ready; one
// asked for first is decoded on the spot.
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace tumbol {

// The picture art/<name>, e.g. "tile1.png"; null when there is none. Any
// thread; waits for the worker when it is decoding that one.
QImage ArtImage(const QString& name);
// The same as a pixmap, for a label or a window icon: interface thread only.
QPixmap ArtPixmap(const QString& name);

// Decodes names, in this order, on a worker thread; at most one worker runs
// at a time, a second call queues behind the first.
void PrefetchArt(const QStringList& names);

}  // namespace tumbol
