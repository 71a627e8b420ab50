// Build step: turns a compiled-in picture into the game's unpacked form, so
// that the windows shown at start-up take their pictures with one copy
// instead of a decode. Each file holds "PIX1", the width, the height and the
// QImage format (four 32-bit words, in the byte order of the machine that builds and runs it), then the rows of 32-bit
// pixels without padding.
//   art-unpack IN.png OUT
#include <QFile>
#include <QImage>
#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: art-unpack IN.png OUT\n");
    return 2;
  }
  QImage image(QString::fromLocal8Bit(argv[1]));
  if (image.isNull()) {
    std::fprintf(stderr, "art-unpack: cannot read %s\n", argv[1]);
    return 1;
  }
  // The formats the painter draws fastest: opaque pictures as RGB32, the
  // rest premultiplied.
  image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_RGB32);
  QFile out(QString::fromLocal8Bit(argv[2]));
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "art-unpack: cannot write %s\n", argv[2]);
    return 1;
  }
  const uint32_t header[4] = {0x31584950u /* "PIX1" */, static_cast<uint32_t>(image.width()),
                              static_cast<uint32_t>(image.height()), static_cast<uint32_t>(image.format())};
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  for (int y = 0; y < image.height(); ++y)
    out.write(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4);
  return out.error() == QFileDevice::NoError ? 0 : 1;
}
