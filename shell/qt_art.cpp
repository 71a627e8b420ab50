#include "shell/qt_art.h"

#include <QFileInfo>
#include <QImageReader>
#include <QResource>

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

// The unpacked pictures are compiled into a library: registering them here
// keeps them linked wherever a picture is asked for.
static void InitUnpackedArt() { Q_INIT_RESOURCE(unpacked_art); }

namespace tumbol {

namespace {

// A picture the build stored unpacked (tools/art_unpack.cpp): a header of
// four words, then the pixels. Null when there is none or it does not add up.
QImage Unpacked(const QString& name) {
  const QResource resource(QStringLiteral(":/art/unpacked/") + name);
  if (!resource.isValid()) return {};
  const QByteArray bytes = resource.uncompressedData();
  uint32_t header[4];
  if (static_cast<size_t>(bytes.size()) < sizeof header) return {};
  std::memcpy(header, bytes.constData(), sizeof header);
  const auto format = static_cast<QImage::Format>(header[3]);
  constexpr uint32_t kLargest = 4096;
  const uint32_t width = header[1], height = header[2];
  if (header[0] != 0x31584950u || width == 0 || width > kLargest || height == 0 || height > kLargest ||
      (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied))
    return {};
  const qsizetype rowBytes = static_cast<qsizetype>(width) * 4;
  if (bytes.size() != static_cast<qsizetype>(sizeof header) + rowBytes * height) return {};
  const auto* pixels = reinterpret_cast<const uchar*>(bytes.constData()) + sizeof header;
  // The compiled-in bytes live as long as the program: aligned, the picture
  // reads them in place, and is copied only if something paints on it.
  if (reinterpret_cast<uintptr_t>(pixels) % alignof(uint32_t) == 0)
    return QImage(pixels, static_cast<int>(width), static_cast<int>(height), rowBytes, format);
  QImage image(static_cast<int>(width), static_cast<int>(height), format);
  if (image.isNull() || image.bytesPerLine() != rowBytes) return {};
  std::memcpy(image.bits(), pixels, static_cast<size_t>(rowBytes * height));
  return image;
}

QImage Decode(const QString& name) {
  QImage image = Unpacked(name);
  if (!image.isNull()) return image;
  // The art's format is its name's: asked by content, Qt would first load
  // every picture plugin installed to ask each whether it reads the file.
  QImageReader reader(QStringLiteral(":/art/") + name, QFileInfo(name).suffix().toLatin1());
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

}  // namespace

QImage ArtImage(const QString& name) {
  static std::mutex mutex;
  static std::map<QString, QImage> decoded;
  std::lock_guard<std::mutex> lock(mutex);
  static const bool registered = (InitUnpackedArt(), true);
  (void)registered;
  auto found = decoded.find(name);
  if (found == decoded.end()) found = decoded.emplace(name, Decode(name)).first;
  return found->second;
}

QPixmap ArtPixmap(const QString& name) { return QPixmap::fromImage(ArtImage(name)); }

}  // namespace tumbol
