#pragma once
// Pictures decoded on a worker thread while the window is being built, and
// handed over when the load needs them. Taking a picture never started here
// decodes it on the spot, so the result is the same either way.
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>
#include <future>
#include <map>
#include <string>

#include "shell/qt_region.h"

namespace tumbol {

// A picture file beside the program, read through the bounded reader: a
// FIFO, a device, a folder or a huge file gives a null image at once, like a
// file that is missing or no picture.
QImage ReadPicture(const QString& path);
// An uncompressed 24-bit BMP, as RGB32; null for any other file (which
// ReadPicture hands to Qt's readers).
QImage PlainBmp(const std::string& bytes);

class PictureReadAhead {
 public:
  // Starts decoding path; given a window size, the window's outline and face
  // are cut from the picture there too (CutWindow).
  // Before the application is there, only a plain BMP is read ahead (and
  // cut only at the window's size); any other picture is read when taken.
  void Start(const QString& path, QSize outlineFor = {}, bool beforeApplication = false);
  QImage Take(const QString& path);
  // The outline and face cut from the picture at path; cut on the spot when
  // it was not started with a window size. Empty for a missing picture.
  WindowShape TakeShape(const QString& path, QSize outlineFor);
  // Waits for pictures started but never taken, so no thread outlives us.
  ~PictureReadAhead();

 private:
  struct Decoded {
    QImage image;
    WindowShape shape;
    bool whole = true;  // false: left to be read when taken
  };
  struct Pending {
    std::shared_future<Decoded> decoded;
    bool imageTaken = false, outlineTaken = false;
  };
  std::map<QString, Pending> pending_;
};

}  // namespace tumbol
