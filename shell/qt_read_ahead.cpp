#include "shell/qt_read_ahead.h"

namespace tumbol {

void PictureReadAhead::Start(const QString& path) {
  if (pending_.count(path) != 0) return;
  pending_[path] = std::async(std::launch::async, [path] {
    QImage image;
    image.load(path);
    return image;
  });
}

QImage PictureReadAhead::Take(const QString& path) {
  auto found = pending_.find(path);
  if (found == pending_.end()) {
    QImage image;
    image.load(path);
    return image;
  }
  QImage image = found->second.get();
  pending_.erase(found);
  return image;
}

PictureReadAhead::~PictureReadAhead() {
  for (auto& entry : pending_)
    if (entry.second.valid()) entry.second.wait();
}

}  // namespace tumbol
