// Makes the board's tile pictures, the burst picture and the button states,
// all compiled into the program unpacked (tools/art_unpack.cpp):
//
//   gen-art [repo-root]
//
// art/tile1..26.png   32x32 opaque: 1 and 22-26 wall textures, 2-21 the cube symbols
// art/burst.png       32x32 opaque: a vanishing cube
// art/button1..16.png button k's released (2k+1) and pressed (2k+2) faces
//
// Textures come from a fixed hash, so every run on the same fonts gives the
// same files.

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "base/board_geometry.h"
#include "tools/art_noise.h"

namespace tumbol {
namespace {

constexpr int kTile = kCellPixels;
constexpr double kPi = 3.14159265358979323846;
const QColor kBoardDark(15, 22, 39);  // the board background's average colour

// ---- deterministic texture -------------------------------------------------

QColor Shade(const QColor& c, double f) {
  return QColor(Clamp255(c.red() * f), Clamp255(c.green() * f), Clamp255(c.blue() * f));
}

QImage NewTile(const QColor& fill) {
  QImage img(kTile, kTile, QImage::Format_RGB32);
  img.fill(fill);
  return img;
}

// ---- wall textures ----------------------------------------------------------

// A running-bond brick wall that repeats seamlessly across cells: each brick
// gets its own tint, lit top-left edges, shadowed bottom-right edges and grain.
QImage MakeBricks(int brickW, int brickH, const QColor& base, uint32_t seed) {
  QImage img = NewTile(QColor(150, 140, 128));
  const int rows = kTile / brickH;
  for (int y = 0; y < kTile; ++y) {
    const int row = y / brickH, by = y % brickH;
    const int shift = (row % 2) ? brickW / 2 : 0;
    for (int x = 0; x < kTile; ++x) {
      const int sx = (x + shift) % kTile;
      const int col = sx / brickW, bx = sx % brickW;
      const bool mortar = by == brickH - 1 || bx == brickW - 1;
      double v;
      QColor c;
      if (mortar) {
        v = 0.85 + 0.25 * Rand01(x, y, seed + 7);
        c = Shade(QColor(140, 128, 116), v);
      } else {
        const double tint = 0.82 + 0.3 * Rand01(col, row % rows, seed);
        v = tint * (0.9 + 0.2 * Rand01(x, y, seed + 1));
        if (by == 0 || bx == 0) v *= 1.22;
        if (by == brickH - 2 || bx == brickW - 2) v *= 0.72;
        c = Shade(base, v);
      }
      img.setPixelColor(x, y, c);
    }
  }
  return img;
}

// Grey ashlar: rows of dressed stone blocks of uneven widths.
QImage MakeStone() {
  QImage img = NewTile(QColor(60, 60, 62));
  struct Row {
    int top, height;
    std::vector<int> cuts;  // block starts, wrapping at 32
  };
  const Row rows[] = {{0, 11, {3, 17}}, {11, 10, {10, 26}}, {21, 11, {0, 13, 22}}};
  for (const Row& r : rows) {
    for (int y = r.top; y < r.top + r.height; ++y) {
      for (int x = 0; x < kTile; ++x) {
        // Which block and where inside it.
        int start = -1, end = -1, index = 0;
        for (size_t i = 0; i < r.cuts.size(); ++i) {
          const int a = r.cuts[i], b = r.cuts[(i + 1) % r.cuts.size()] + (i + 1 == r.cuts.size() ? kTile : 0);
          const int xx = x < a ? x + kTile : x;
          if (xx >= a && xx < b) {
            start = a, end = b, index = static_cast<int>(i);
            break;
          }
        }
        const int xx = x < start ? x + kTile : x;
        const int bx = xx - start, bw = end - start, by = y - r.top;
        const bool joint = bx == bw - 1 || by == r.height - 1;
        double v;
        if (joint) {
          v = 0.45;
        } else {
          v = (0.85 + 0.25 * Rand01(index, r.top, 23)) * (0.88 + 0.24 * Rand01(x, y, 24));
          if (bx == 0 || by == 0) v *= 1.25;
          if (bx == bw - 2 || by == r.height - 2) v *= 0.75;
        }
        img.setPixelColor(x, y, Shade(QColor(128, 128, 132), v));
      }
    }
  }
  return img;
}

// Rounded white cobbles: a Voronoi pattern on a torus (so it repeats), each
// stone shaded by its distance from the gap, like a domed top lit from above-left.
QImage MakeCobbles(int count, uint32_t seed, double gap) {
  std::vector<QPointF> seeds;
  // Jittered grid keeps the stones of similar size.
  const int side = static_cast<int>(std::lround(std::sqrt(double(count))));
  const double cell = double(kTile) / side;
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i)
      seeds.emplace_back((i + 0.2 + 0.6 * Rand01(i, j, seed)) * cell + (j % 2) * cell * 0.5,
                         (j + 0.2 + 0.6 * Rand01(i, j, seed + 1)) * cell);
  QImage img = NewTile(QColor(70, 66, 60));
  for (int y = 0; y < kTile; ++y) {
    for (int x = 0; x < kTile; ++x) {
      double d1 = 1e9, d2 = 1e9;
      int nearest = 0;
      QPointF toNearest;
      for (size_t k = 0; k < seeds.size(); ++k) {
        for (int oy = -1; oy <= 1; ++oy)
          for (int ox = -1; ox <= 1; ++ox) {
            const double dx = x + 0.5 - (seeds[k].x() + ox * kTile), dy = y + 0.5 - (seeds[k].y() + oy * kTile);
            const double d = std::hypot(dx, dy);
            if (d < d1) {
              d2 = d1, d1 = d, nearest = static_cast<int>(k), toNearest = QPointF(dx, dy);
            } else if (d < d2) {
              d2 = d;
            }
          }
      }
      const double edge = (d2 - d1) / 2;  // distance to the cell border, roughly
      if (edge < gap) {
        img.setPixelColor(x, y, Shade(QColor(78, 72, 64), 0.8 + 0.4 * Rand01(x, y, seed + 5)));
        continue;
      }
      const double dome = std::clamp((edge - gap) / 3.0, 0.0, 1.0);
      // Light from the top-left: pixels up-left of the stone's centre are brighter.
      const double len = std::max(1.0, std::hypot(toNearest.x(), toNearest.y()));
      const double facing = -(toNearest.x() + toNearest.y()) / (len * 1.414);
      double v = 0.55 + 0.35 * dome + 0.12 * facing * (1 - dome * 0.5);
      v *= 0.93 + 0.1 * Rand01(nearest, 0, seed + 9) + 0.05 * Rand01(x, y, seed + 3);
      img.setPixelColor(x, y, Shade(QColor(250, 248, 240), v));
    }
  }
  return img;
}

QImage MakeChecker() {
  QImage img = NewTile(Qt::black);
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) {
      const bool yellow = ((x / 8) + (y / 8)) % 2 == 0;
      const int bx = x % 8, by = y % 8;
      QColor c = yellow ? QColor(240, 200, 20) : QColor(22, 22, 22);
      if (bx == 0 || by == 0) c = Shade(c, yellow ? 1.1 : 2.2);
      if (bx == 7 || by == 7) c = Shade(c, 0.7);
      img.setPixelColor(x, y, c);
    }
  return img;
}

// ---- cube symbols -----------------------------------------------------------
// Drawn in a box from -10 to 10 around the tile's centre.

QPainterPath Polygon(const std::vector<QPointF>& pts) {
  QPainterPath p;
  p.addPolygon(QPolygonF(QVector<QPointF>(pts.begin(), pts.end())));
  p.closeSubpath();
  return p;
}

QPainterPath StarPath(int points, double outer, double inner, double rotation = -kPi / 2) {
  std::vector<QPointF> pts;
  for (int i = 0; i < points * 2; ++i) {
    const double r = i % 2 ? inner : outer, a = rotation + i * kPi / points;
    pts.emplace_back(r * std::cos(a), r * std::sin(a));
  }
  return Polygon(pts);
}

QPainterPath Circle(double cx, double cy, double r) {
  QPainterPath p;
  p.addEllipse(QPointF(cx, cy), r, r);
  return p;
}

QPainterPath Stroke(const QPainterPath& line, double width, Qt::PenCapStyle cap = Qt::RoundCap) {
  QPainterPathStroker s;
  s.setWidth(width);
  s.setCapStyle(cap);
  s.setJoinStyle(Qt::RoundJoin);
  return s.createStroke(line).simplified();
}

QPainterPath Rect(double x, double y, double w, double h) {
  QPainterPath p;
  p.addRect(QRectF(x, y, w, h));
  return p;
}

QPainterPath HeartPath(double s) {
  QPainterPath p;
  p.moveTo(0, 9 * s);
  p.cubicTo(-6 * s, 4 * s, -10 * s, 0, -10 * s, -4 * s);
  p.cubicTo(-10 * s, -8.5 * s, -4 * s, -10.5 * s, 0, -5.5 * s);
  p.cubicTo(4 * s, -10.5 * s, 10 * s, -8.5 * s, 10 * s, -4 * s);
  p.cubicTo(10 * s, 0, 6 * s, 4 * s, 0, 9 * s);
  p.closeSubpath();
  return p;
}

QPainterPath Symbol(int kind) {
  switch (kind) {
    case 0:  // star
      return StarPath(5, 10.5, 4.3);
    case 1:  // heart
      return HeartPath(1.0).translated(0, 0.5);
    case 2: {  // ring
      return Circle(0, 0, 9).subtracted(Circle(0, 0, 5));
    }
    case 3:  // plus
      return Rect(-3, -9.5, 6, 19).united(Rect(-9.5, -3, 19, 6));
    case 4:  // crescent moon
      return Circle(0, 0, 9.5).subtracted(Circle(4.5, -3, 8));
    case 5: {  // sun
      QPainterPath p = Circle(0, 0, 5);
      for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4, b = 0.32;
        p = p.united(Polygon({{6.5 * std::cos(a - b), 6.5 * std::sin(a - b)},
                              {10.5 * std::cos(a), 10.5 * std::sin(a)},
                              {6.5 * std::cos(a + b), 6.5 * std::sin(a + b)}}));
      }
      return p;
    }
    case 6:  // diamond
      return Polygon({{0, -10.5}, {7.5, 0}, {0, 10.5}, {-7.5, 0}});
    case 7:  // triangle
      return Polygon({{0, -9.5}, {10, 8}, {-10, 8}});
    case 8:  // square in a square
      return Rect(-9, -9, 18, 18).subtracted(Rect(-6, -6, 12, 12)).united(Rect(-3, -3, 6, 6));
    case 9: {  // spiral
      QPainterPath line;
      for (int i = 0; i <= 120; ++i) {
        const double t = i / 120.0, a = t * 2.6 * 2 * kPi, r = 1.0 + 8.2 * t;
        const QPointF pt(r * std::cos(a), r * std::sin(a));
        if (i == 0)
          line.moveTo(pt);
        else
          line.lineTo(pt);
      }
      return Stroke(line, 2.3);
    }
    case 10: {  // key
      QPainterPath p = Circle(-6, 0, 5.2).subtracted(Circle(-6, 0, 2.3));
      p = p.united(Rect(-1.5, -1.7, 13, 3.4));
      p = p.united(Rect(5.8, 1, 2.4, 4.5)).united(Rect(9.2, 1, 2.4, 3.4));
      QTransform t;
      t.rotate(-45);
      t.scale(1.05, 1.05);
      return t.map(p);
    }
    case 11: {  // music note (two joined quavers)
      QPainterPath p;
      QTransform t;
      t.translate(-5, 6.5);
      t.rotate(-25);
      QPainterPath head;
      head.addEllipse(QPointF(0, 0), 3.4, 2.4);
      p = t.map(head);
      QTransform t2;
      t2.translate(5.5, 4.5);
      t2.rotate(-25);
      p = p.united(t2.map(head));
      p = p.united(Rect(-2.4, -8, 1.8, 14));
      p = p.united(Rect(8.1, -10, 1.8, 14));
      p = p.united(Polygon({{-2.4, -8}, {9.9, -10}, {9.9, -6.6}, {-2.4, -4.6}}));
      return p;
    }
    case 12: {  // anchor
      QPainterPath p = Circle(0, -7.6, 2.9).subtracted(Circle(0, -7.6, 1.3));
      p = p.united(Rect(-1.4, -5.2, 2.8, 14));
      p = p.united(Rect(-5.5, -3.8, 11, 2.6));
      QPainterPath arc;
      arc.moveTo(-8.5, 1.5);
      arc.cubicTo(-8, 7.5, -3, 9.5, 0, 9.5);
      arc.cubicTo(3, 9.5, 8, 7.5, 8.5, 1.5);
      p = p.united(Stroke(arc, 2.8));
      p = p.united(Polygon({{-10, 3}, {-8.5, -0.5}, {-6.6, 3}}));
      p = p.united(Polygon({{10, 3}, {8.5, -0.5}, {6.6, 3}}));
      return p;
    }
    case 13: {  // leaf
      QPainterPath leaf;
      leaf.moveTo(-7, 7);
      leaf.cubicTo(-9, -2, -3, -9, 9, -9);
      leaf.cubicTo(9, 3, 2, 9, -7, 7);
      leaf.closeSubpath();
      QPainterPath vein;
      vein.moveTo(-5, 5);
      vein.lineTo(6, -6);
      QPainterPath stem;
      stem.moveTo(-10, 10);
      stem.lineTo(-5, 5);
      return leaf.subtracted(Stroke(vein, 1.2)).united(Stroke(stem, 1.8));
    }
    case 14: {  // drop
      QPainterPath p;
      p.moveTo(0, -10.5);
      p.cubicTo(2, -6, 7.5, -1, 7.5, 3.5);
      p.cubicTo(7.5, 7.8, 4, 10, 0, 10);
      p.cubicTo(-4, 10, -7.5, 7.8, -7.5, 3.5);
      p.cubicTo(-7.5, -1, -2, -6, 0, -10.5);
      p.closeSubpath();
      return p;
    }
    case 15:  // lightning bolt
      return Polygon({{2.5, -10.5}, {-7, 1.5}, {-0.5, 1.5}, {-3.5, 10.5}, {7, -2.5}, {0.5, -2.5}, {4.5, -10.5}});
    case 16: {  // crown
      QPainterPath p = Polygon({{-9.5, 6}, {-10, -5}, {-5, 0}, {0, -8}, {5, 0}, {10, -5}, {9.5, 6}});
      p = p.united(Rect(-9.5, 6.8, 19, 2.6));
      p = p.united(Circle(-10, -6, 1.6)).united(Circle(0, -9, 1.6)).united(Circle(10, -6, 1.6));
      return p;
    }
    case 17: {  // eye
      QPainterPath almond;
      almond.moveTo(-10.5, 0);
      almond.quadTo(0, -11, 10.5, 0);
      almond.quadTo(0, 11, -10.5, 0);
      almond.closeSubpath();
      QPainterPath inner;
      inner.moveTo(-8, 0);
      inner.quadTo(0, -8, 8, 0);
      inner.quadTo(0, 8, -8, 0);
      inner.closeSubpath();
      return almond.subtracted(inner).united(Circle(0, 0, 3.6));
    }
    case 18: {  // spade
      QTransform flip;
      flip.scale(1, -1);
      QPainterPath p = flip.map(HeartPath(0.92)).translated(0, -1.5);
      p = p.united(Polygon({{0, 3}, {3.5, 10}, {-3.5, 10}}));
      return p;
    }
    case 19: {  // club
      QPainterPath p = Circle(0, -5, 4.3).united(Circle(-5, 1.5, 4.3)).united(Circle(5, 1.5, 4.3));
      p = p.united(Rect(-1.5, -2, 3, 6));
      p = p.united(Polygon({{0, 2}, {3.5, 10}, {-3.5, 10}}));
      return p;
    }
  }
  return {};
}

// A dark rounded cube with a soft bevel: lit top-left rim, shadowed bottom-right.
void PaintCubeBody(QPainter& p, double brightness = 1.0) {
  const QRectF body(1, 1, 30, 30);
  QLinearGradient g(0, 0, 32, 32);
  g.setColorAt(0, Shade(QColor(78, 84, 96), brightness));
  g.setColorAt(1, Shade(QColor(30, 33, 40), brightness));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(8, 10, 14));
  p.drawRoundedRect(body, 6, 6);
  p.setBrush(g);
  p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 5.5, 5.5);
  // Bevel: a highlight rim on the upper left and a shadow rim on the lower right.
  QLinearGradient rim(0, 0, 32, 32);
  rim.setColorAt(0, QColor(255, 255, 255, 90));
  rim.setColorAt(0.5, QColor(255, 255, 255, 0));
  rim.setColorAt(0.5001, QColor(0, 0, 0, 0));
  rim.setColorAt(1, QColor(0, 0, 0, 120));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(rim), 1.4));
  p.drawRoundedRect(body.adjusted(1.2, 1.2, -1.2, -1.2), 4.5, 4.5);
  // A flat face inside the bevel.
  QLinearGradient face(0, 4, 0, 28);
  face.setColorAt(0, Shade(QColor(58, 63, 74), brightness));
  face.setColorAt(1, Shade(QColor(36, 40, 48), brightness));
  p.setPen(Qt::NoPen);
  p.setBrush(face);
  p.drawRoundedRect(body.adjusted(3, 3, -3, -3), 3.5, 3.5);
}

QImage MakeCube(int kind) {
  QImage img = NewTile(kBoardDark);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  PaintCubeBody(p);
  p.translate(16, 16);
  p.scale(0.98, 0.98);
  const QPainterPath sym = Symbol(kind).simplified();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawPath(sym.translated(0.9, 0.9));
  QLinearGradient g(-8, -10, 8, 10);
  g.setColorAt(0, QColor(255, 255, 255));
  g.setColorAt(1, QColor(190, 192, 196));
  p.setBrush(g);
  p.drawPath(sym);
  p.end();
  return img;
}

// The cube caught in its vanishing: a dimmed cube under a star-shaped flash.
QImage MakeBurst() {
  QImage img = NewTile(kBoardDark);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setOpacity(0.55);
  PaintCubeBody(p, 0.8);
  p.setOpacity(1);
  p.translate(16, 16);
  QRadialGradient glow(0, 0, 16);
  glow.setColorAt(0, QColor(255, 230, 120, 200));
  glow.setColorAt(1, QColor(255, 140, 20, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(QPointF(0, 0), 16, 16);
  QRadialGradient fire(0, 0, 15);
  fire.setColorAt(0, QColor(255, 255, 255));
  fire.setColorAt(0.35, QColor(255, 245, 160));
  fire.setColorAt(0.75, QColor(255, 190, 40));
  fire.setColorAt(1, QColor(230, 110, 10));
  p.setBrush(fire);
  p.drawPath(StarPath(8, 15.5, 5.5, -kPi / 2));
  QRadialGradient core(0, 0, 9);
  core.setColorAt(0, QColor(255, 255, 255));
  core.setColorAt(0.6, QColor(255, 255, 210));
  core.setColorAt(1, QColor(255, 230, 110));
  p.setBrush(core);
  p.drawPath(StarPath(8, 10, 4.5, -kPi / 2 + kPi / 8));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(0, 0), 3, 3);
  // A few sparks flung outwards.
  const QPointF sparks[] = {{-12, -7}, {11, -11}, {12, 9}, {-9, 12}};
  for (const QPointF& s : sparks) {
    p.setBrush(QColor(255, 250, 200));
    p.drawPath(StarPath(4, 2.6, 0.7).translated(s));
  }
  p.end();
  return img;
}

// ---- buttons ----------------------------------------------------------------

enum class Caption { kText, kCross, kMinimise };

QImage MakeButton(int w, int h, bool pressed, Caption kind, const QString& text) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(QColor(20, 28, 44));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF outer(0, 0, w, h);
  // Brass frame.
  QLinearGradient brass(0, 0, 0, h);
  brass.setColorAt(0, pressed ? QColor(150, 118, 52) : QColor(226, 190, 104));
  brass.setColorAt(0.5, pressed ? QColor(120, 92, 38) : QColor(176, 138, 58));
  brass.setColorAt(1, pressed ? QColor(86, 64, 24) : QColor(120, 90, 34));
  p.setPen(Qt::NoPen);
  p.setBrush(brass);
  p.drawRoundedRect(outer, 3, 3);
  // Blue-steel plate.
  const QRectF plate = outer.adjusted(1.5, 1.5, -1.5, -1.5);
  QLinearGradient steel(0, plate.top(), 0, plate.bottom());
  if (pressed) {
    steel.setColorAt(0, QColor(18, 28, 46));
    steel.setColorAt(0.5, QColor(30, 44, 68));
    steel.setColorAt(1, QColor(36, 52, 78));
  } else {
    steel.setColorAt(0, QColor(88, 112, 148));
    steel.setColorAt(0.48, QColor(48, 68, 100));
    steel.setColorAt(0.52, QColor(38, 56, 86));
    steel.setColorAt(1, QColor(28, 42, 66));
  }
  p.setBrush(steel);
  p.drawRoundedRect(plate, 2, 2);
  // Inner rim: a highlight on top when raised, a shadow on top when pressed.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(pressed ? QColor(0, 0, 0, 120) : QColor(200, 220, 255, 70), 1));
  p.drawLine(QPointF(plate.left() + 2, plate.top() + 0.5), QPointF(plate.right() - 2, plate.top() + 0.5));

  const double off = pressed ? 1 : 0;
  const QColor cream = pressed ? QColor(214, 204, 176) : QColor(246, 236, 204);
  const QColor shadow(0, 0, 0, 160);
  auto drawGlyph = [&](const std::function<void(QPainter&, const QColor&, double)>& draw) {
    draw(p, shadow, off + 1);
    draw(p, cream, off);
  };
  if (kind == Caption::kText) {
    QFont f("Liberation Sans");
    f.setBold(true);
    f.setPixelSize(12);
    f.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(f);
    drawGlyph([&](QPainter& q, const QColor& c, double o) {
      q.setPen(c);
      q.drawText(QRectF(o, o, w, h), Qt::AlignCenter, text);
    });
  } else if (kind == Caption::kCross) {
    drawGlyph([&](QPainter& q, const QColor& c, double o) {
      q.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap));
      const double a = 8 + o, b = 17 + o;
      q.drawLine(QPointF(a, a), QPointF(b, b));
      q.drawLine(QPointF(b, a), QPointF(a, b));
    });
  } else {
    drawGlyph([&](QPainter& q, const QColor& c, double o) {
      q.setPen(Qt::NoPen);
      q.setBrush(c);
      q.drawRect(QRectF(7 + o, 16 + o, 11, 2.5));
    });
  }
  p.end();
  return img;
}

bool Save(const QImage& img, const QString& path) {
  if (img.save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  using namespace tumbol;

  const QStringList args = app.arguments();
  const QString root = args.size() > 1 ? args[1] : QString(".");
  // Load the font by file so the captions do not depend on fontconfig's choice.
  const char* font = "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf";
  if (QFile::exists(font)) QFontDatabase::addApplicationFont(font);

  QDir dir(root);
  if (!dir.exists("art")) {
    std::fprintf(stderr, "usage: gen-art REPO_ROOT  (REPO_ROOT holds art/)\n");
    return 2;
  }

  std::vector<QImage> tiles(27);
  tiles[1] = MakeBricks(16, 8, QColor(170, 52, 38), 1);
  for (int code = 2; code <= 21; ++code) tiles[code] = MakeCube(code - 2);
  tiles[22] = MakeBricks(32, 16, QColor(180, 60, 44), 22);
  tiles[23] = MakeStone();
  tiles[24] = MakeCobbles(16, 24, 0.7);
  tiles[25] = MakeCobbles(4, 25, 0.9);
  tiles[26] = MakeChecker();

  bool ok = true;
  for (int code = 1; code <= 26; ++code) ok = Save(tiles[code], dir.filePath(QString("art/tile%1.png").arg(code))) && ok;
  ok = Save(MakeBurst(), dir.filePath("art/burst.png")) && ok;

  struct ButtonLook {
    int w, h;
    Caption kind;
    const char* text;
  };
  const ButtonLook buttons[8] = {
      {114, 26, Caption::kText, "Загрузить"}, {114, 26, Caption::kText, "Редактор"},
      {122, 26, Caption::kText, "Закрыть"},   {25, 25, Caption::kCross, ""},
      {25, 25, Caption::kMinimise, ""},       {114, 26, Caption::kText, "Играть"},
      {114, 26, Caption::kText, "Рекорды"},   {114, 26, Caption::kText, "Заново"}};
  for (int k = 0; k < 8; ++k) {
    const ButtonLook& b = buttons[k];
    for (int pressed = 0; pressed < 2; ++pressed) {
      const QImage img = MakeButton(b.w, b.h, pressed == 1, b.kind, QString::fromUtf8(b.text));
      ok = Save(img, dir.filePath(QString("art/button%1.png").arg(2 * k + 1 + pressed))) && ok;
    }
  }
  return ok ? 0 : 1;
}
