#include "shell/qt_read_ahead.h"

#include "base/data_file.h"
#include "shell/qt_region.h"

namespace tumbol {

QImage ReadPicture(const QString& path) {
  std::string bytes;
  if (!ReadDataFile(path.toStdString(), bytes)) return {};
  return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
}

void PictureReadAhead::Start(const QString& path, QSize outlineFor) {
  if (pending_.count(path) != 0) return;
  pending_[path].decoded = std::async(std::launch::async, [path, outlineFor] {
    Decoded d{ReadPicture(path), {}};
    if (outlineFor.isValid() && !d.image.isNull()) d.outline = WindowOutline(d.image, outlineFor);
    return d;
  });
  // Only an outline asked for is taken.
  pending_[path].outlineTaken = !outlineFor.isValid();
}

QImage PictureReadAhead::Take(const QString& path) {
  auto found = pending_.find(path);
  if (found == pending_.end() || found->second.imageTaken) return ReadPicture(path);
  Pending& p = found->second;
  QImage image = p.decoded.get().image;
  p.imageTaken = true;
  if (p.outlineTaken) pending_.erase(found);
  return image;
}

QRegion PictureReadAhead::TakeOutline(const QString& path, QSize outlineFor) {
  auto found = pending_.find(path);
  if (found == pending_.end() || found->second.outlineTaken) {
    const QImage image = ReadPicture(path);
    return image.isNull() ? QRegion() : WindowOutline(image, outlineFor);
  }
  Pending& p = found->second;
  QRegion outline = p.decoded.get().outline;
  p.outlineTaken = true;
  if (p.imageTaken) pending_.erase(found);
  return outline;
}

PictureReadAhead::~PictureReadAhead() {
  for (auto& entry : pending_)
    if (entry.second.decoded.valid()) entry.second.decoded.wait();
}

}  // namespace tumbol
