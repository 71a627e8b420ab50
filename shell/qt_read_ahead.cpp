#include "shell/qt_read_ahead.h"

#include "base/data_file.h"

namespace tumbol {

QImage ReadPicture(const QString& path) {
  std::string bytes;
  if (!ReadDataFile(path.toStdString(), bytes)) return {};
  return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
}

void PictureReadAhead::Start(const QString& path) {
  if (pending_.count(path) != 0) return;
  pending_[path] = std::async(std::launch::async, [path] { return ReadPicture(path); });
}

QImage PictureReadAhead::Take(const QString& path) {
  auto found = pending_.find(path);
  if (found == pending_.end()) return ReadPicture(path);
  QImage image = found->second.get();
  pending_.erase(found);
  return image;
}

PictureReadAhead::~PictureReadAhead() {
  for (auto& entry : pending_)
    if (entry.second.valid()) entry.second.wait();
}

}  // namespace tumbol
