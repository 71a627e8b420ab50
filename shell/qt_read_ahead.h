#pragma once
// Pictures decoded on a worker thread while the window is being built, and
// handed over when the load needs them. Taking a picture never started here
// decodes it on the spot, so the result is the same either way.
#include <QImage>
#include <QString>
#include <future>
#include <map>

namespace tumbol {

// A picture file beside the program, read through the bounded reader: a
// FIFO, a device, a folder or a huge file gives a null image at once, like a
// file that is missing or no picture.
QImage ReadPicture(const QString& path);

class PictureReadAhead {
 public:
  // Starts decoding path.
  void Start(const QString& path);
  QImage Take(const QString& path);
  // Waits for pictures started but never taken, so no thread outlives us.
  ~PictureReadAhead();

 private:
  std::map<QString, std::future<QImage>> pending_;
};

}  // namespace tumbol
