// Writes the two push cursors, data/an_lr.ani (push right) and data/an_rl.ani
// (push left): a bold golden arrow with a dark outline sliding in the push
// direction, a fading trail behind it. Usage: gen-cursors [output folder]
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <fstream>
#include <string>

#include "shell/ani_file.h"

namespace {

constexpr int kSide = 32;
constexpr int kFrames = 8;
constexpr int kHot = kSide / 2;  // the centre: the cube under it is the one pushed

// An arrow pointing right whose tip is at x = tip.
QPainterPath Arrow(double tip) {
  QPainterPath p;
  p.moveTo(tip, 16);
  p.lineTo(tip - 10, 6);
  p.lineTo(tip - 10, 11.5);
  p.lineTo(tip - 20, 11.5);
  p.lineTo(tip - 20, 20.5);
  p.lineTo(tip - 10, 20.5);
  p.lineTo(tip - 10, 26);
  p.closeSubpath();
  return p;
}

QImage Frame(int i, bool right) {
  QImage img(kSide, kSide, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter g(&img);
  g.setRenderHint(QPainter::Antialiasing);
  if (!right) g.setTransform(QTransform(-1, 0, 0, 1, kSide, 0));  // mirror for push left
  const double tip = 24 + i;  // slides 7 pixels over the cycle
  // The trail: three short streaks behind the arrow, fainter further back.
  for (int k = 0; k < 3; ++k) {
    int alpha = 170 - 50 * k - 12 * i;
    if (alpha <= 0) continue;
    double x = tip - 22 - 3 * k;
    g.fillRect(QRectF(x - 2, 12.5, 2, 7), QColor(255, 255, 255, alpha));
  }
  g.setPen(QPen(QColor(20, 20, 40), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  // Pale gold at the tail to deep orange at the tip: it reads on the dark
  // board and on every cube picture.
  QLinearGradient fill(tip - 20, 0, tip, 0);
  fill.setColorAt(0, QColor(255, 240, 150));
  fill.setColorAt(1, QColor(255, 150, 30));
  g.setBrush(fill);
  g.drawPath(Arrow(tip));
  g.end();
  return img;
}

bool Write(const std::string& path, bool right) {
  tumbol::AniWriter w;
  w.SetDisplayRate(6);
  for (int i = 0; i < kFrames; ++i) {
    QImage img = Frame(i, right);
    std::vector<uint8_t> bgra(size_t(kSide) * kSide * 4);
    for (int y = 0; y < kSide; ++y)  // Format_ARGB32 is B, G, R, A in memory on little-endian
      std::copy(img.constScanLine(y), img.constScanLine(y) + kSide * 4, bgra.begin() + size_t(y) * kSide * 4);
    w.AddFrame(tumbol::AniWriter::BuildCur(kSide, kSide, kHot, kHot, bgra));
  }
  std::vector<uint8_t> file = w.Build();
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  std::string dir = argc > 1 ? argv[1] : "data";
  if (!dir.empty() && dir.back() != '/') dir += '/';
  bool ok = Write(dir + "an_lr.ani", true) && Write(dir + "an_rl.ani", false);
  std::printf(ok ? "wrote %san_lr.ani and %san_rl.ani\n" : "failed writing into %s%s\n", dir.c_str(),
              dir.c_str());
  return ok ? 0 : 1;
}
