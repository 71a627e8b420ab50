#include "shell/qt_read_ahead.h"

#include <chrono>
#include <cstring>

#include "base/data_file.h"
#include "shell/qt_region.h"

namespace tumbol {

namespace {

uint32_t Le(const std::string& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

}  // namespace

QImage PlainBmp(const std::string& b) {
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0) return {};
  const uint32_t offset = Le(b, 10, 4), headerSize = Le(b, 14, 4);
  const auto width = static_cast<int32_t>(Le(b, 18, 4)), height = static_cast<int32_t>(Le(b, 22, 4));
  const uint32_t planes = Le(b, 26, 2), bits = Le(b, 28, 2), compression = Le(b, 30, 4);
  constexpr int32_t kLargest = 1 << 14;
  if (headerSize < 40 || planes != 1 || bits != 24 || compression != 0 || width <= 0 || width > kLargest ||
      height == 0 || height < -kLargest || height > kLargest)
    return {};
  const int rows = height < 0 ? -height : height;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  if (offset < 54 || offset > b.size() || (b.size() - offset) / stride < static_cast<size_t>(rows)) return {};
  QImage image(width, rows, QImage::Format_RGB32);
  if (image.isNull()) return {};
  for (int y = 0; y < rows; ++y) {
    // Rows are stored bottom up unless the height is negative; pixels as blue, green, red.
    const auto* from = reinterpret_cast<const unsigned char*>(b.data()) + offset +
                       stride * static_cast<size_t>(height > 0 ? rows - 1 - y : y);
    auto* to = reinterpret_cast<uint32_t*>(image.scanLine(y));
    int x = 0;
    // Four pixels from three little-endian words: the bytes run blue, green,
    // red, so each pixel is a word's low bytes shifted into place.
    for (; x + 4 <= width; x += 4, from += 12) {
      uint32_t w[3];
      std::memcpy(w, from, sizeof w);
      to[x] = 0xFF000000u | (w[0] & 0xFFFFFFu);
      to[x + 1] = 0xFF000000u | w[0] >> 24 | (w[1] & 0xFFFFu) << 8;
      to[x + 2] = 0xFF000000u | w[1] >> 16 | (w[2] & 0xFFu) << 16;
      to[x + 3] = 0xFF000000u | w[2] >> 8;
    }
    for (; x < width; ++x, from += 3) to[x] = 0xFF000000u | uint32_t(from[2]) << 16 | uint32_t(from[1]) << 8 | from[0];
  }
  return image;
}

QImage ReadPicture(const QString& path) {
  std::string bytes;
  if (!ReadDataFile(path.toStdString(), bytes)) return {};
  // The skin is such a BMP; the general reader takes many times as long over it.
  QImage plain = PlainBmp(bytes);
  if (!plain.isNull()) return plain;
  return QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
}

void PictureReadAhead::Start(const QString& path, QSize outlineFor, bool beforeApplication) {
  auto found = pending_.find(path);
  if (found != pending_.end()) {
    // A read ahead of the application that left the picture to the taking is
    // done again here, now that any reader may be used.
    const Pending& p = found->second;
    if (beforeApplication || p.imageTaken || p.outlineTaken ||
        p.decoded.wait_for(std::chrono::seconds(0)) != std::future_status::ready || p.decoded.get().whole)
      return;
    pending_.erase(found);
  }
  pending_[path].decoded = std::async(std::launch::async, [path, outlineFor, beforeApplication] {
    Decoded d;
    if (beforeApplication) {
      // Qt's own readers load their plugins, which races the application's
      // start: only a plain BMP is decoded here, of the window's size when
      // cut (no painter needed); anything else is read when it is taken.
      std::string bytes;
      if (ReadDataFile(path.toStdString(), bytes)) d.image = PlainBmp(bytes);
      if (d.image.isNull() || (outlineFor.isValid() && d.image.size() != outlineFor)) return Decoded{{}, {}, false};
    } else {
      d.image = ReadPicture(path);
    }
    if (outlineFor.isValid() && !d.image.isNull()) d.shape = CutWindow(d.image, outlineFor);
    return d;
  });
  // Only an outline asked for is taken.
  pending_[path].outlineTaken = !outlineFor.isValid();
}

QImage PictureReadAhead::Take(const QString& path) {
  auto found = pending_.find(path);
  if (found == pending_.end() || found->second.imageTaken || !found->second.decoded.get().whole)
    return ReadPicture(path);
  Pending& p = found->second;
  QImage image = p.decoded.get().image;
  p.imageTaken = true;
  if (p.outlineTaken) pending_.erase(found);
  return image;
}

WindowShape PictureReadAhead::TakeShape(const QString& path, QSize outlineFor) {
  auto found = pending_.find(path);
  if (found == pending_.end() || found->second.outlineTaken || !found->second.decoded.get().whole) {
    const QImage image = ReadPicture(path);
    return image.isNull() ? WindowShape{} : CutWindow(image, outlineFor);
  }
  Pending& p = found->second;
  WindowShape shape = p.decoded.get().shape;
  p.outlineTaken = true;
  if (p.imageTaken) pending_.erase(found);
  return shape;
}

PictureReadAhead::~PictureReadAhead() {
  for (auto& entry : pending_)
    if (entry.second.decoded.valid()) entry.second.decoded.wait();
}

}  // namespace tumbol
