// Makes the window chrome: the game window face data/skins.bmp, the board and
// records background data/skinsp.jpg, and the small pictures compiled into the
// program (splash logo, rank emblems, records torch) under art/, and the
// program's icon for the desktop under packaging/icons/ (PNG sizes and SVG).
//
//   gen-chrome [repo-root] [--preview preview.png]
//
// Everything is drawn from code with a fixed hash for texture, so a run on the
// same fonts gives the same files. --preview also writes a mock-up of the whole
// window (skin, board background, stand-in buttons and label texts) for judging
// the look by eye.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/board_geometry.h"
#include "tools/art_noise.h"

namespace tumbol {
namespace {

constexpr int kSkinW = 760;
constexpr int kSkinH = 614;

// Control places on the game window, in pixels.
const QRect kBoardRect(kBoardLeft, kBoardTop, kBoardPixelsWide, kBoardPixelsHigh);
const QRect kButtonRects[8] = {
    {338, 544, 114, 26}, {487, 544, 114, 26}, {611, 544, 122, 26}, {702, 2, 25, 25},
    {671, 2, 25, 25},    {97, 544, 114, 26},  {487, 574, 114, 26}, {215, 544, 114, 26}};
const QRect kLabel1Rect(32, 544, 33, 17);   // cell under the pointer
const QRect kLabel2Rect(97, 573, 72, 16);   // lives
const QRect kLabel3Rect(218, 545, 111, 13); // map-number prompt
const QRect kText1Rect(218, 562, 113, 19);  // map number
const QRect kLabel4Rect(617, 574, 42, 13);  // clock
const QRect kLabel5Rect(676, 574, 42, 13);  // level time
const QRect kMusicRect(458, 551, 21, 21);   // music switch

// The recess that holds the board and, below a brass divider, the console of controls.
constexpr int kRecessLeft = 27, kRecessTop = 29, kRecessRight = 734, kRecessBottom = 602;
constexpr int kConsoleTop = 544;

// ---- deterministic texture -------------------------------------------------

// Value noise on a grid of cellW by cellH pixels, smoothly interpolated.
double ValueNoise(double x, double y, double cellW, double cellH, uint32_t seed) {
  double gx = x / cellW, gy = y / cellH;
  int ix = static_cast<int>(std::floor(gx)), iy = static_cast<int>(std::floor(gy));
  double fx = gx - ix, fy = gy - iy;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  double a = Rand01(ix, iy, seed), b = Rand01(ix + 1, iy, seed);
  double c = Rand01(ix, iy + 1, seed), d = Rand01(ix + 1, iy + 1, seed);
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor(Clamp255(a.red() + (b.red() - a.red()) * t), Clamp255(a.green() + (b.green() - a.green()) * t),
                Clamp255(a.blue() + (b.blue() - a.blue()) * t));
}

QFont FontOf(const QString& family, int pixelSize, bool bold) {
  QFont f(family);
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  f.setHintingPreference(QFont::PreferNoHinting);
  return f;
}

// A text as a path centred on (cx, baseline y).
QPainterPath CentredText(const QString& text, const QFont& font, double cx, double baseline, double spacing = 0) {
  QFont f = font;
  if (spacing != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  QPainterPath p;
  p.addText(0, baseline, f, text);
  QRectF r = p.boundingRect();
  p.translate(cx - r.center().x(), 0);
  return p;
}

// ---- brass and metal helpers ------------------------------------------------

const QColor kBrassLight(246, 214, 130);
const QColor kBrass(196, 150, 62);
const QColor kBrassDark(112, 76, 26);
const QColor kConsole(13, 20, 40);
const QColor kReadout(7, 11, 24);

QLinearGradient BrassGradient(QPointF from, QPointF to) {
  QLinearGradient g(from, to);
  g.setColorAt(0.0, kBrassLight);
  g.setColorAt(0.45, kBrass);
  g.setColorAt(0.55, QColor(222, 182, 92));
  g.setColorAt(1.0, kBrassDark);
  return g;
}

void Rivet(QPainter& p, QPointF c, double r) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawEllipse(c + QPointF(0.8, 1.0), r + 0.6, r + 0.6);
  QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.3);
  g.setColorAt(0.0, QColor(255, 240, 190));
  g.setColorAt(0.35, kBrass);
  g.setColorAt(1.0, kBrassDark);
  p.setBrush(g);
  p.drawEllipse(c, r, r);
}

// An inset bevel around rect r (outside it), `width` pixels: shadow above and
// to the left, light below and to the right, as a hollow pressed into metal.
void InsetBevel(QPainter& p, const QRectF& r, double width, QColor shadow, QColor light) {
  const double l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
  const double w = width;
  QPolygonF top{{l - w, t - w}, {rt + w, t - w}, {rt, t}, {l, t}};
  QPolygonF left{{l - w, t - w}, {l, t}, {l, b}, {l - w, b + w}};
  QPolygonF bottom{{l - w, b + w}, {l, b}, {rt, b}, {rt + w, b + w}};
  QPolygonF right{{rt + w, t - w}, {rt + w, b + w}, {rt, b}, {rt, t}};
  p.setPen(Qt::NoPen);
  p.setBrush(shadow);
  p.drawPolygon(top);
  p.drawPolygon(left);
  p.setBrush(light);
  p.drawPolygon(bottom);
  p.drawPolygon(right);
}

// A small dark readout window pressed into the console, behind a label.
void Readout(QPainter& p, const QRect& label, int margin) {
  QRectF r = QRectF(label).adjusted(-margin, -margin, margin, margin);
  InsetBevel(p, r, 1.0, QColor(2, 4, 10), QColor(58, 78, 120));
  p.setPen(Qt::NoPen);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, QColor(4, 7, 16));
  g.setColorAt(1, kReadout);
  p.setBrush(g);
  p.drawRect(r);
}

// A seat for a picture button: a dark slot one pixel wider than the button and
// a faint light lip below and right.
void ButtonSeat(QPainter& p, const QRect& button) {
  QRectF r = QRectF(button).adjusted(-1, -1, 1, 1);
  InsetBevel(p, r, 1.0, QColor(3, 5, 12, 230), QColor(70, 92, 140, 90));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(4, 6, 14));
  p.drawRect(r);
}

// ---- the emblem of the game: a little pile of cubes -------------------------

struct IsoCube {
  int x, y, z;
  QColor color;
};

// One piece of the pile: a polygon filled with a linear gradient from `from`
// to `to` and outlined, or (the gems) filled flat with fromColor, no outline.
struct PileShape {
  QPolygonF polygon;
  QPointF from, to;
  QColor fromColor, toColor;
  bool outlined;
};

// The pile fitted into rect `box`, keeping its proportions, back to front;
// edge is the width of the outline. A small pile (an icon of a few pixels)
// has a finer outline and no gems, which would only blur its faces.
std::vector<PileShape> CubePileShapes(const QRectF& box, double& edge, bool small = false) {
  const std::vector<IsoCube> cubes = {
      {1, 0, 0, QColor(206, 64, 56)},   // right
      {0, 1, 0, QColor(62, 168, 84)},   // left
      {0, 0, 1, QColor(232, 184, 52)},  // on top, resting on both
  };
  const double c30 = std::cos(M_PI / 6), s30 = 0.5;
  auto project = [&](double x, double y, double z) { return QPointF((x - y) * c30, (x + y) * s30 - z); };
  // Bounds of the pile in unit space.
  double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
  for (const IsoCube& c : cubes)
    for (int dx = 0; dx <= 1; ++dx)
      for (int dy = 0; dy <= 1; ++dy)
        for (int dz = 0; dz <= 1; ++dz) {
          QPointF q = project(c.x + dx, c.y + dy, c.z + dz);
          minX = std::min(minX, q.x());
          maxX = std::max(maxX, q.x());
          minY = std::min(minY, q.y());
          maxY = std::max(maxY, q.y());
        }
  const double scale = std::min((box.width() - 2) / (maxX - minX), (box.height() - 2) / (maxY - minY));
  const QPointF origin(box.center().x() - (minX + maxX) / 2 * scale, box.center().y() - (minY + maxY) / 2 * scale);
  auto at = [&](double x, double y, double z) { return origin + project(x, y, z) * scale; };

  std::vector<IsoCube> order = cubes;
  std::sort(order.begin(), order.end(), [](const IsoCube& a, const IsoCube& b) {
    if (a.x + a.y != b.x + b.y) return a.x + a.y < b.x + b.y;
    return a.z < b.z;
  });
  edge = std::max(small ? 0.5 : 0.8, scale / 14.0);
  std::vector<PileShape> shapes;
  for (const IsoCube& c : order) {
    const double x = c.x, y = c.y, z = c.z;
    QPolygonF top{at(x, y, z + 1), at(x + 1, y, z + 1), at(x + 1, y + 1, z + 1), at(x, y + 1, z + 1)};
    QPolygonF leftFace{at(x, y + 1, z + 1), at(x + 1, y + 1, z + 1), at(x + 1, y + 1, z), at(x, y + 1, z)};
    QPolygonF rightFace{at(x + 1, y, z + 1), at(x + 1, y + 1, z + 1), at(x + 1, y + 1, z), at(x + 1, y, z)};
    shapes.push_back({top, top[0], top[2], c.color.lighter(165), c.color.lighter(125), true});
    shapes.push_back({leftFace, leftFace[0], leftFace[3], c.color, c.color.darker(125), true});
    shapes.push_back({rightFace, rightFace[0], rightFace[3], c.color.darker(150), c.color.darker(200), true});
    if (small) continue;
    // A small gem on the front faces, like the symbols on the board's cubes.
    QPointF lc = (leftFace[0] + leftFace[1] + leftFace[2] + leftFace[3]) / 4;
    QPointF rc = (rightFace[0] + rightFace[1] + rightFace[2] + rightFace[3]) / 4;
    const double g = scale * 0.16;
    auto gem = [g](QPointF m) {
      return QPolygonF{m + QPointF(0, -g), m + QPointF(g * 0.8, 0), m + QPointF(0, g), m + QPointF(-g * 0.8, 0)};
    };
    shapes.push_back({gem(lc), lc, lc, QColor(255, 255, 255, 150), QColor(), false});
    shapes.push_back({gem(rc), rc, rc, QColor(255, 255, 255, 80), QColor(), false});
  }
  return shapes;
}

QColor PileOutline(bool outlineLight) { return outlineLight ? QColor(250, 236, 200) : QColor(16, 18, 30); }

// Draws the cube pile into rect `box`, keeping its proportions.
void DrawCubePile(QPainter& p, const QRectF& box, bool outlineLight, bool small = false) {
  double edge = 0;
  const std::vector<PileShape> shapes = CubePileShapes(box, edge, small);
  QPen pen(PileOutline(outlineLight), edge);
  pen.setJoinStyle(Qt::RoundJoin);
  for (const PileShape& s : shapes) {
    if (s.outlined) {
      p.setPen(pen);
      QLinearGradient gradient(s.from, s.to);
      gradient.setColorAt(0, s.fromColor);
      gradient.setColorAt(1, s.toColor);
      p.setBrush(gradient);
    } else {
      p.setPen(Qt::NoPen);
      p.setBrush(s.fromColor);
    }
    p.drawPolygon(s.polygon);
  }
}

// ---- skins.bmp ---------------------------------------------------------------

// A raised pod on the top edge, from x0 to x1, flaring into the body's top at y = bodyTop.
QPainterPath TopPod(double x0, double x1, double bodyTop, double radius) {
  QPainterPath p;
  p.moveTo(x0 - 12, bodyTop + 6);
  p.lineTo(x0 - 12, bodyTop);
  p.cubicTo(x0 - 4, bodyTop, x0, bodyTop - 2, x0, radius + 1);
  p.quadTo(x0, 0, x0 + radius, 0);
  p.lineTo(x1 - radius, 0);
  p.quadTo(x1, 0, x1, radius + 1);
  p.cubicTo(x1, bodyTop - 2, x1 + 4, bodyTop, x1 + 12, bodyTop);
  p.lineTo(x1 + 12, bodyTop + 6);
  p.closeSubpath();
  return p;
}

QPainterPath SkinOutline() {
  const double bodyTop = 9;
  QPainterPath body;
  body.addRoundedRect(QRectF(0, bodyTop, kSkinW, kSkinH - bodyTop), 22, 22);
  QPainterPath crest;  // the arched crest that carries the title
  crest.moveTo(262, bodyTop + 8);
  crest.lineTo(262, bodyTop);
  crest.cubicTo(296, bodyTop, 300, 0, 330, 0);
  crest.lineTo(430, 0);
  crest.cubicTo(460, 0, 464, bodyTop, 498, bodyTop);
  crest.lineTo(498, bodyTop + 8);
  crest.closeSubpath();
  QPainterPath outline = body.united(crest);
  outline = outline.united(TopPod(664, 734, bodyTop, 5));                    // minimise and close
  outline = outline.united(TopPod(kSkinW - 734, kSkinW - 664, bodyTop, 5));  // the emblem
  return outline.simplified();
}

// Coverage of the outline, decided per pixel at half coverage: the window's
// region is all or nothing per pixel, so the edge is drawn hard, without a
// pale fringe that would show against the desktop.
std::vector<bool> InsideMask(const QPainterPath& outline) {
  QImage cover(kSkinW, kSkinH, QImage::Format_ARGB32_Premultiplied);
  cover.fill(Qt::transparent);
  {
    QPainter p(&cover);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(outline, Qt::black);
  }
  std::vector<bool> inside(kSkinW * kSkinH);
  for (int y = 0; y < kSkinH; ++y)
    for (int x = 0; x < kSkinW; ++x) inside[y * kSkinW + x] = qAlpha(cover.pixel(x, y)) >= 128;
  return inside;
}

// Deep blue brushed metal over the whole face.
QImage MetalBase() {
  QImage img(kSkinW, kSkinH, QImage::Format_ARGB32_Premultiplied);
  const QColor top(38, 58, 104), bottom(16, 26, 52);
  for (int y = 0; y < kSkinH; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    const QColor base = Mix(top, bottom, double(y) / kSkinH);
    for (int x = 0; x < kSkinW; ++x) {
      // Streaks run across: long along x, one pixel tall.
      const double streak = ValueNoise(x, y, 37.0, 1.0, 11) * 0.6 + ValueNoise(x, y, 9.0, 1.0, 12) * 0.4;
      const double cloud = ValueNoise(x, y, 90.0, 70.0, 13);
      const double grain = Rand01(x, y, 14);
      const double k = 1.0 + (streak - 0.5) * 0.16 + (cloud - 0.5) * 0.14 + (grain - 0.5) * 0.05;
      line[x] = qRgb(Clamp255(base.red() * k), Clamp255(base.green() * k), Clamp255(base.blue() * k));
    }
  }
  return img;
}

void PaintTitle(QPainter& p) {
  // A dark plaque with a brass border, set into the crest.
  const QRectF plaque(322, 2.5, 116, 21);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawRoundedRect(plaque.translated(1, 1), 5, 5);
  QLinearGradient fill(plaque.topLeft(), plaque.bottomLeft());
  fill.setColorAt(0, QColor(10, 18, 40));
  fill.setColorAt(1, QColor(20, 34, 70));
  p.setBrush(fill);
  p.setPen(QPen(QBrush(BrassGradient(plaque.topLeft(), plaque.bottomRight())), 1.6));
  p.drawRoundedRect(plaque, 5, 5);

  const QFont font = FontOf("Liberation Serif", 21, true);
  QPainterPath text = CentredText(QString::fromUtf8("Тумбол"), font, plaque.center().x(), 19.0, 1.2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 200));
  p.drawPath(text.translated(1, 1));
  QLinearGradient gold(0, 5, 0, 21);
  gold.setColorAt(0.0, QColor(255, 244, 196));
  gold.setColorAt(0.5, QColor(236, 190, 86));
  gold.setColorAt(1.0, QColor(170, 116, 38));
  p.setBrush(gold);
  p.drawPath(text);

  // Small diamonds either side of the plaque.
  for (double cx : {plaque.left() - 9, plaque.right() + 9}) {
    const QPointF c(cx, 12);
    QPolygonF d{c + QPointF(0, -4.5), c + QPointF(4.5, 0), c + QPointF(0, 4.5), c + QPointF(-4.5, 0)};
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawPolygon(d.translated(0.8, 0.8));
    p.setBrush(QBrush(BrassGradient(c - QPointF(4, 4), c + QPointF(4, 4))));
    p.drawPolygon(d);
  }
}

void PaintConsole(QPainter& p) {
  // Console floor below the board.
  const QRectF console(kRecessLeft, kConsoleTop, kRecessRight - kRecessLeft, kRecessBottom - kConsoleTop);
  QLinearGradient g(console.topLeft(), console.bottomLeft());
  g.setColorAt(0, QColor(17, 26, 50));
  g.setColorAt(1, QColor(10, 16, 33));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRect(console);
  // Fine horizontal lines, like a machined plate.
  p.setPen(QPen(QColor(255, 255, 255, 7), 1));
  for (int y = kConsoleTop + 3; y < kRecessBottom; y += 3) p.drawLine(QPointF(kRecessLeft, y + 0.5), QPointF(kRecessRight, y + 0.5));

  // Readouts behind the labels: the cell, the lives, the prompt with its field, the two clocks.
  Readout(p, kLabel1Rect, 2);
  Readout(p, kLabel2Rect.adjusted(0, 0, 0, 0), 2);
  Readout(p, QRect(kLabel3Rect.left(), kLabel3Rect.top(), kText1Rect.width(), kText1Rect.bottom() - kLabel3Rect.top() + 1), 3);
  Readout(p, kLabel4Rect, 2);
  Readout(p, kLabel5Rect, 2);
  // A colon between the two clocks' readouts, in brass.
  p.setPen(Qt::NoPen);
  p.setBrush(kBrass);
  p.drawEllipse(QPointF(667.5, 577.5), 1.2, 1.2);
  p.drawEllipse(QPointF(667.5, 583.5), 1.2, 1.2);

  for (int i = 0; i < 8; ++i)
    if (i != 3 && i != 4) ButtonSeat(p, kButtonRects[i]);

  // Round socket for the music switch.
  const QPointF mc = QRectF(kMusicRect).center();
  p.setPen(Qt::NoPen);
  QLinearGradient ring(mc - QPointF(0, 14), mc + QPointF(0, 14));
  ring.setColorAt(0, QColor(2, 4, 10));
  ring.setColorAt(1, QColor(70, 94, 140));
  p.setBrush(ring);
  p.drawEllipse(mc, 14.5, 14.5);
  p.setBrush(QBrush(BrassGradient(mc - QPointF(12, 12), mc + QPointF(12, 12))));
  p.drawEllipse(mc, 13.2, 13.2);
  p.setBrush(QColor(5, 8, 18));
  p.drawEllipse(mc, 11.6, 11.6);

  // Brass divider between the board and the console.
  p.setPen(QPen(QColor(232, 196, 110), 1));
  p.drawLine(QPointF(kRecessLeft, 542.5), QPointF(kRecessRight - 1, 542.5));
  p.setPen(QPen(QColor(120, 84, 30), 1));
  p.drawLine(QPointF(kRecessLeft, 543.5), QPointF(kRecessRight - 1, 543.5));
}

QImage MakeSkin() {
  const QPainterPath outline = SkinOutline();
  const std::vector<bool> inside = InsideMask(outline);
  QImage face = MetalBase();
  {
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(outline);

    // Soft light from above onto the metal.
    QLinearGradient sheen(0, 0, 0, 60);
    sheen.setColorAt(0, QColor(255, 255, 255, 26));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, kSkinW, 60), sheen);

    // Brass rim along the outline, with a dark edge outside and a shadow inside.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(4, 8, 20, 190), 15, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(outline);
    p.setPen(QPen(QBrush(BrassGradient(QPointF(0, 0), QPointF(kSkinW, kSkinH))), 10, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(outline);
    p.setPen(QPen(QColor(255, 236, 170, 150), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(outline.translated(0.8, 1.0));
    p.setPen(QPen(QBrush(BrassGradient(QPointF(0, 0), QPointF(kSkinW, kSkinH))), 3.6, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(outline.translated(0.4, 0.5));
    p.setPen(QPen(QColor(70, 44, 12), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(outline);

    // The recess for the board and the console.
    const QRectF recess(kRecessLeft, kRecessTop, kRecessRight - kRecessLeft, kRecessBottom - kRecessTop);
    p.setPen(QPen(QColor(226, 186, 98, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(recess.adjusted(-4.5, -3.5, 4.5, 4.5), 3, 3);
    InsetBevel(p, recess, 3.0, QColor(3, 6, 14), QColor(84, 110, 166));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(6, 10, 22));
    p.drawRect(recess);
    PaintConsole(p);

    // Seats for minimise and close in the right pod; the emblem in the left pod.
    ButtonSeat(p, kButtonRects[3]);
    ButtonSeat(p, kButtonRects[4]);
    const QRectF leftPod(kSkinW - 734 + 6, 2, 58, 24);
    DrawCubePile(p, QRectF(leftPod.center().x() - 14, 1.5, 28, 24), false);
    Rivet(p, QPointF(leftPod.left() + 6, 15.5), 2.4);
    Rivet(p, QPointF(leftPod.right() - 6, 15.5), 2.4);

    PaintTitle(p);

    // Rivets down both sides and along the top band.
    for (int y = 70; y <= 540; y += 67) {
      Rivet(p, QPointF(13.5, y), 3.2);
      Rivet(p, QPointF(kSkinW - 13.5, y), 3.2);
    }
    for (double x : {140.0, 220.0, 540.0, 620.0}) Rivet(p, QPointF(x, 18.5), 2.4);
  }

  QImage skin(kSkinW, kSkinH, QImage::Format_RGB888);
  for (int y = 0; y < kSkinH; ++y)
    for (int x = 0; x < kSkinW; ++x) {
      if (!inside[y * kSkinW + x]) {
        skin.setPixel(x, y, qRgb(255, 255, 255));
        continue;
      }
      const QRgb c = face.pixel(x, y);
      // White means "outside the window": keep every inside pixel off it.
      skin.setPixel(x, y, qRgb(std::min(qRed(c), 254), std::min(qGreen(c), 254), std::min(qBlue(c), 254)));
    }
  return skin;
}

// ---- skinsp.jpg --------------------------------------------------------------

QImage MakeBoardBackground() {
  const int w = kBoardPixelsWide, h = kBoardPixelsHigh;
  QImage img(w, h, QImage::Format_RGB888);
  const double cx = w / 2.0, cy = h / 2.0, rmax = std::hypot(cx, cy);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double r = std::hypot(x - cx, y - cy) / rmax;
      const double vignette = 1.0 - 0.45 * r * r;
      double v = 1.0;
      // A faint chequer of the board's cells, with finer lines at the cell edges.
      const int col = x / 32, row = y / 32;
      if ((col + row) % 2 == 0) v += 0.07;
      const int fx = x % 32, fy = y % 32;
      if (fx == 0 || fy == 0) v += 0.12;
      if (fx == 31 || fy == 31) v -= 0.08;
      // Slow clouds and fine grain.
      v += (ValueNoise(x, y, 120, 120, 21) - 0.5) * 0.28;
      v += (ValueNoise(x, y, 23, 23, 22) - 0.5) * 0.12;
      v += (Rand01(x, y, 23) - 0.5) * 0.08;
      const double k = v * vignette;
      img.setPixel(x, y, qRgb(Clamp255(17 * k), Clamp255(24 * k), Clamp255(43 * k)));
    }
  return img;
}

// ---- logo.png ----------------------------------------------------------------

QImage MakeLogo() {
  QImage img(55, 59, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  DrawCubePile(p, QRectF(0, 1, 55, 57), false);
  return img;
}

// ---- the program's icon: the pile alone, square -------------------------------

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage MakeIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  DrawCubePile(p, QRectF(0, 0, size, size), false, size < 32);
  return img;
}

// The same shapes as SVG text, with numbers to two decimals so the file is
// the same on every run.
QByteArray MakeIconSvg(int size) {
  double edge = 0;
  const std::vector<PileShape> shapes = CubePileShapes(QRectF(0, 0, size, size), edge);
  auto num = [](double v) { return QByteArray::number(v, 'f', 2); };
  auto colour = [](const QColor& c) { return c.name(QColor::HexRgb).toLatin1(); };
  QByteArray defs, body;
  for (size_t i = 0; i < shapes.size(); ++i) {
    const PileShape& s = shapes[i];
    QByteArray points;
    for (const QPointF& q : s.polygon) points += (points.isEmpty() ? "" : " ") + num(q.x()) + "," + num(q.y());
    if (!s.outlined) {
      body += "  <polygon points=\"" + points + "\" fill=\"" + colour(s.fromColor) + "\" fill-opacity=\"" +
              num(s.fromColor.alphaF()) + "\"/>\n";
      continue;
    }
    const QByteArray id = "g" + QByteArray::number(static_cast<int>(i));
    defs += "    <linearGradient id=\"" + id + "\" gradientUnits=\"userSpaceOnUse\" x1=\"" + num(s.from.x()) +
            "\" y1=\"" + num(s.from.y()) + "\" x2=\"" + num(s.to.x()) + "\" y2=\"" + num(s.to.y()) + "\">" +
            "<stop offset=\"0\" stop-color=\"" + colour(s.fromColor) + "\"/><stop offset=\"1\" stop-color=\"" +
            colour(s.toColor) + "\"/></linearGradient>\n";
    body += "  <polygon points=\"" + points + "\" fill=\"url(#" + id + ")\" stroke=\"" +
            colour(PileOutline(false)) + "\" stroke-width=\"" + num(edge) + "\" stroke-linejoin=\"round\"/>\n";
  }
  const QByteArray n = QByteArray::number(size);
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n + "\" height=\"" + n + "\" viewBox=\"0 0 " +
         n + " " + n + "\">\n  <defs>\n" + defs + "  </defs>\n" + body + "</svg>\n";
}

// ---- emblem<N>.png -------------------------------------------------------------

void DrawNumber(QPainter& p, int n, QPointF centre, int pixelSize, QColor fill, QColor outline, double outlineWidth) {
  QFont font = FontOf("Liberation Sans", pixelSize, true);
  QString text = QString::number(n);
  double spacing = n >= 10 ? -1.2 : 0;
  QPainterPath path = CentredText(text, font, centre.x(), 0, spacing);
  QRectF r = path.boundingRect();
  path.translate(0, centre.y() - r.center().y());
  if (n >= 10) {  // two digits: squeeze them a little across
    QTransform t;
    t.translate(centre.x(), 0);
    t.scale(0.86, 1.0);
    t.translate(-centre.x(), 0);
    path = t.map(path);
  }
  p.setPen(QPen(outline, outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawPath(path);
}

QImage MakeMedal(int rank) {
  struct Metal {
    QColor light, mid, dark, ink;
  };
  const Metal metals[3] = {
      {QColor(255, 246, 170), QColor(238, 190, 40), QColor(150, 100, 10), QColor(96, 56, 0)},
      {QColor(252, 252, 252), QColor(196, 202, 212), QColor(110, 118, 132), QColor(40, 46, 60)},
      {QColor(250, 206, 160), QColor(204, 124, 60), QColor(118, 62, 24), QColor(64, 28, 6)},
  };
  const Metal& m = metals[rank - 1];
  QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // Ribbon: two tails behind the disc.
  const QColor ribbonA = rank == 1 ? QColor(200, 30, 40) : rank == 2 ? QColor(40, 80, 190) : QColor(30, 130, 70);
  p.setPen(QPen(QColor(20, 10, 10), 0.8));
  p.setBrush(ribbonA);
  p.drawPolygon(QPolygonF{{7, 0}, {13, 0}, {19, 9}, {13, 9}});
  p.setBrush(ribbonA.darker(140));
  p.drawPolygon(QPolygonF{{25, 0}, {19, 0}, {13, 9}, {19, 9}});
  // Disc.
  const QPointF c(16, 18.2);
  p.setPen(QPen(QColor(20, 14, 6), 1.0));
  QRadialGradient rim(c - QPointF(4, 5), 16);
  rim.setColorAt(0, m.light);
  rim.setColorAt(0.5, m.mid);
  rim.setColorAt(1, m.dark);
  p.setBrush(rim);
  p.drawEllipse(c, 13.3, 13.3);
  p.setPen(QPen(m.dark, 1.0));
  QRadialGradient face(c - QPointF(3, 4), 13);
  face.setColorAt(0, m.light);
  face.setColorAt(1, m.mid);
  p.setBrush(face);
  p.drawEllipse(c, 10.8, 10.8);
  DrawNumber(p, rank, c + QPointF(0, 0.3), 19, m.ink, m.light, 1.2);
  return img;
}

QImage MakeShield(int rank) {
  const QColor colors[7] = {
      QColor(44, 96, 214),  // 4 blue
      QColor(38, 150, 70),  // 5 green
      QColor(20, 146, 156), // 6 teal
      QColor(128, 64, 182), // 7 violet
      QColor(184, 44, 56),  // 8 crimson
      QColor(214, 120, 20), // 9 orange
      QColor(92, 108, 128), // 10 steel
  };
  const QColor base = colors[rank - 4];
  QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shield;
  shield.moveTo(3.5, 3.5);
  shield.quadTo(16, 0.5, 28.5, 3.5);
  shield.lineTo(28.5, 15);
  shield.cubicTo(28.5, 23, 22, 27.5, 16, 30.5);
  shield.cubicTo(10, 27.5, 3.5, 23, 3.5, 15);
  shield.closeSubpath();
  p.setPen(QPen(QColor(10, 12, 20), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(shield);
  QLinearGradient g(0, 2, 0, 30);
  g.setColorAt(0, base.lighter(150));
  g.setColorAt(0.5, base);
  g.setColorAt(1, base.darker(160));
  p.setBrush(g);
  p.setPen(QPen(QColor(226, 232, 242), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(shield);
  DrawNumber(p, rank, QPointF(16, 15.5), rank >= 10 ? 17 : 20, QColor(255, 255, 250), QColor(10, 12, 24, 230), 1.6);
  return img;
}

// ---- torch.bmp -----------------------------------------------------------------

// The flame burns over columns 1..24 of its panel and the torch is drawn one
// pixel in, so the bowl is centred on x = 11.5 of the picture, its rim on row 0.
QImage MakeTorch() {
  QImage img(34, 51, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const double cx = 11.5;

  // Wall bracket: an iron arm from the handle to a plate at the right.
  p.setPen(Qt::NoPen);
  QLinearGradient iron(0, 26, 0, 31);
  iron.setColorAt(0, QColor(150, 150, 160));
  iron.setColorAt(1, QColor(50, 50, 58));
  p.setBrush(iron);
  p.drawRect(QRectF(cx + 3, 26.5, 30 - cx - 3, 3.5));
  QLinearGradient plate(29, 0, 34, 0);
  plate.setColorAt(0, QColor(120, 120, 130));
  plate.setColorAt(1, QColor(40, 40, 48));
  p.setBrush(plate);
  p.drawRoundedRect(QRectF(29, 19, 5, 18), 1.5, 1.5);
  p.setBrush(QColor(200, 200, 210));
  p.drawEllipse(QPointF(31.3, 22), 0.9, 0.9);
  p.drawEllipse(QPointF(31.3, 34), 0.9, 0.9);

  // Wooden handle, narrowing downwards.
  QPainterPath handle;
  handle.moveTo(cx - 3.6, 12);
  handle.lineTo(cx + 3.6, 12);
  handle.lineTo(cx + 2.4, 49);
  handle.quadTo(cx, 50.8, cx - 2.4, 49);
  handle.closeSubpath();
  QLinearGradient wood(cx - 4, 0, cx + 4, 0);
  wood.setColorAt(0, QColor(90, 50, 22));
  wood.setColorAt(0.35, QColor(170, 104, 52));
  wood.setColorAt(1, QColor(60, 32, 14));
  p.setBrush(wood);
  p.drawPath(handle);
  p.setPen(QPen(QColor(60, 32, 12, 150), 0.6));
  for (double gx : {-1.6, 0.6, 2.0}) p.drawLine(QPointF(cx + gx, 14), QPointF(cx + gx * 0.7, 47));
  // Iron bands round the handle; the middle one holds the bracket.
  p.setPen(Qt::NoPen);
  for (double by : {15.0, 26.0, 41.0}) {
    const double half = 3.9 - (by - 12) * 0.033;
    QLinearGradient band(cx - half, 0, cx + half, 0);
    band.setColorAt(0, QColor(70, 70, 78));
    band.setColorAt(0.35, QColor(200, 200, 210));
    band.setColorAt(1, QColor(40, 40, 46));
    p.setBrush(band);
    p.drawRoundedRect(QRectF(cx - half - 0.5, by, 2 * half + 1, by == 26.0 ? 4.5 : 2.6), 1, 1);
  }

  // The bowl: a brass cup, widest at its rim on the top row.
  QPainterPath bowl;
  bowl.moveTo(cx - 11, 1.5);
  bowl.lineTo(cx + 11, 1.5);
  bowl.cubicTo(cx + 10, 8, cx + 6, 11, cx + 4, 13);
  bowl.lineTo(cx - 4, 13);
  bowl.cubicTo(cx - 6, 11, cx - 10, 8, cx - 11, 1.5);
  bowl.closeSubpath();
  QLinearGradient cup(cx - 11, 0, cx + 11, 0);
  cup.setColorAt(0, QColor(110, 70, 20));
  cup.setColorAt(0.3, QColor(236, 190, 96));
  cup.setColorAt(0.55, QColor(176, 124, 44));
  cup.setColorAt(1, QColor(70, 42, 10));
  p.setBrush(cup);
  p.drawPath(bowl);
  // Bands of decoration on the cup.
  p.setPen(QPen(QColor(90, 54, 14), 0.8));
  p.drawLine(QPointF(cx - 9.5, 5.5), QPointF(cx + 9.5, 5.5));
  p.drawLine(QPointF(cx - 7, 9.5), QPointF(cx + 7, 9.5));
  // Rim with the embers showing inside.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(120, 24, 4));
  p.drawRect(QRectF(cx - 10.5, 0, 21, 1.5));
  p.setBrush(QColor(255, 120, 20));
  for (double ex : {-7.0, -3.0, 1.5, 5.5}) p.drawEllipse(QPointF(cx + ex, 0.6), 1.2, 0.7);
  QLinearGradient rim(cx - 12, 0, cx + 12, 0);
  rim.setColorAt(0, QColor(140, 96, 30));
  rim.setColorAt(0.3, QColor(255, 232, 150));
  rim.setColorAt(1, QColor(100, 60, 14));
  p.setBrush(rim);
  p.drawRoundedRect(QRectF(cx - 12, 1.2, 24, 2.2), 1, 1);
  // The stem between cup and handle.
  p.setBrush(QColor(120, 80, 26));
  p.drawRect(QRectF(cx - 4, 12.5, 8, 1.5));
  p.end();
  return img.convertToFormat(QImage::Format_RGB888);
}

// ---- preview -----------------------------------------------------------------

QImage MakePreview(const QImage& skin, const QImage& board, const QImage& torch, const QImage& logo,
                   const std::vector<QImage>& emblems) {
  QImage out(kSkinW + 40 + 300, kSkinH + 40, QImage::Format_RGB32);
  out.fill(QColor(70, 110, 90));  // a desktop behind the shaped window
  QPainter p(&out);
  const QPoint at(20, 20);
  for (int y = 0; y < kSkinH; ++y)
    for (int x = 0; x < kSkinW; ++x)
      if (skin.pixel(x, y) != qRgb(255, 255, 255)) out.setPixel(at.x() + x, at.y() + y, skin.pixel(x, y));
  p.drawImage(at + kBoardRect.topLeft(), board, QRect(0, 0, kBoardRect.width(), kBoardRect.height()));
  // A few stand-in tiles so the board reads as a board.
  p.setRenderHint(QPainter::Antialiasing);
  const int cells[][3] = {{16, 5, 0}, {16, 6, 1}, {15, 6, 2}, {16, 12, 3}, {16, 13, 1}, {14, 6, 0}, {16, 20, 2}};
  for (int row = 13; row <= 16; ++row)
    for (int col = 1; col <= 22; ++col)
      if (row == 16 || col == 1 || col == 22 || (row == 13 && col > 8 && col < 12)) {
        QRect r(at.x() + kBoardRect.left() + (col - 1) * kCellPixels, at.y() + kBoardRect.top() + (row - 1) * kCellPixels,
                kCellPixels, kCellPixels);
        if (row == 16 || col == 1 || col == 22 || row == 13) {
          p.fillRect(r, QColor(150, 50, 40));
          p.setPen(QColor(90, 30, 24));
          p.drawLine(r.topLeft() + QPoint(0, 15), r.topRight() + QPoint(0, 15));
        }
      }
  for (auto& c : cells) {
    QRect r(at.x() + kBoardRect.left() + (c[1] - 1) * kCellPixels, at.y() + kBoardRect.top() + (c[0] - 2) * kCellPixels,
            kCellPixels, kCellPixels);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 44));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 5, 5);
    p.setBrush(QColor(200, 200, 200));
    if (c[2] == 0) p.drawEllipse(r.center(), 8, 8);
    if (c[2] == 1) p.drawRect(r.adjusted(9, 9, -9, -9));
    if (c[2] == 2) p.drawPolygon(QPolygon{r.center() + QPoint(0, -9), r.center() + QPoint(9, 8), r.center() + QPoint(-9, 8)});
    if (c[2] == 3) p.drawEllipse(r.center(), 4, 10);
  }
  // Stand-in buttons.
  const char* names[8] = {"Загрузить", "Редактор", "Закрыть", "x", "_", "Играть", "Рекорды", "Заново"};
  for (int i = 0; i < 8; ++i) {
    if (i == 7) continue;  // free play shows the prompt instead
    QRect r = kButtonRects[i].translated(at);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(120, 140, 180));
    g.setColorAt(1, QColor(50, 64, 100));
    p.setPen(QColor(20, 26, 40));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setPen(QColor(240, 240, 250));
    p.setFont(FontOf("Liberation Sans", 12, true));
    p.drawText(r, Qt::AlignCenter, QString::fromUtf8(names[i]));
  }
  // Music switch and labels.
  p.setPen(QColor(20, 26, 40));
  p.setBrush(QColor(90, 200, 120));
  p.drawEllipse(kMusicRect.translated(at).adjusted(2, 2, -2, -2));
  p.setFont(FontOf("Liberation Sans", 11, true));
  p.setPen(QColor(230, 230, 200));
  p.drawText(kLabel1Rect.translated(at), Qt::AlignLeft | Qt::AlignVCenter, "5/12");
  p.drawText(kLabel3Rect.translated(at), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("Введите номер карты"));
  p.drawText(kLabel4Rect.translated(at), Qt::AlignCenter, "13:45:08");
  p.drawText(kLabel5Rect.translated(at), Qt::AlignCenter, "00:02:31");
  p.drawText(kLabel2Rect.translated(at), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8("Жизни - 5"));
  p.fillRect(kText1Rect.translated(at), Qt::white);
  p.setPen(Qt::black);
  p.drawText(kText1Rect.translated(at).adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, "1");

  // Beside the window: the small pictures at their sizes and enlarged.
  const int sx = kSkinW + 50;
  p.drawImage(sx, 30, logo);
  p.drawImage(sx + 70, 30, logo.scaled(110, 118, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  for (int i = 0; i < 10; ++i) {
    p.drawImage(sx + i * 24, 170, emblems[i].scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    p.drawImage(sx + (i % 5) * 50, 200 + (i / 5) * 50, emblems[i].scaled(40, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  }
  // The torch under a flame-panel-sized black box, with a stand-in flame.
  QRect panel(sx, 330, 36, 119);
  p.fillRect(panel, Qt::black);
  p.drawImage(panel.topLeft() + QPoint(1, 53), torch);
  QRadialGradient flame(panel.left() + 12.5, panel.top() + 44, 16);
  flame.setColorAt(0, QColor(255, 250, 200));
  flame.setColorAt(0.4, QColor(255, 170, 40));
  flame.setColorAt(1, QColor(120, 0, 0, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(flame);
  p.drawEllipse(QPointF(panel.left() + 12.5, panel.top() + 36), 11, 20);
  p.drawImage(sx + 60, 330, torch.scaled(34 * 4, 51 * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  p.drawImage(sx, 540, board.copy(0, 0, 240, 80));
  return out;
}

bool SaveText(const QByteArray& text, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
    std::fprintf(stderr, "gen-chrome: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s\n", qPrintable(path));
  return true;
}

bool Save(const QImage& img, const QString& path, const char* format, int quality = -1) {
  if (!img.save(path, format, quality)) {
    std::fprintf(stderr, "gen-chrome: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s\n", qPrintable(path));
  return true;
}

}  // namespace
}  // namespace tumbol

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  using namespace tumbol;

  QString root = ".";
  QString preview;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--preview" && i + 1 < args.size())
      preview = args[++i];
    else
      root = args[i];
  }
  // Load the fonts by file so the lettering does not depend on fontconfig's choice.
  for (const char* f : {"/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf",
                        "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf"})
    if (QFile::exists(f)) QFontDatabase::addApplicationFont(f);

  QDir dir(root);
  if (!dir.exists("data") || !dir.exists("art")) {
    std::fprintf(stderr, "usage: gen-chrome REPO_ROOT [--preview FILE.png]  (REPO_ROOT holds data/ and art/)\n");
    return 2;
  }
  const QImage skin = MakeSkin();
  const QImage board = MakeBoardBackground();
  const QImage logo = MakeLogo();
  const QImage torch = MakeTorch();
  std::vector<QImage> emblems;
  for (int rank = 1; rank <= 10; ++rank) emblems.push_back(rank <= 3 ? MakeMedal(rank) : MakeShield(rank));

  bool ok = Save(skin, dir.filePath("data/skins.bmp"), "BMP");
  ok = Save(board, dir.filePath("data/skinsp.jpg"), "JPG", 90) && ok;
  ok = Save(logo, dir.filePath("art/logo.png"), "PNG") && ok;
  for (int rank = 1; rank <= 10; ++rank)
    ok = Save(emblems[rank - 1], dir.filePath(QString("art/emblem%1.png").arg(rank)), "PNG") && ok;
  ok = Save(torch, dir.filePath("art/torch.bmp"), "BMP") && ok;
  dir.mkpath("packaging/icons");
  for (int size : kIconSizes)
    ok = Save(MakeIcon(size), dir.filePath(QString("packaging/icons/tumbol-%1.png").arg(size)), "PNG") && ok;
  ok = SaveText(MakeIconSvg(256), dir.filePath("packaging/icons/tumbol.svg")) && ok;
  if (!preview.isEmpty()) ok = Save(MakePreview(skin, board, torch, logo, emblems), preview, "PNG") && ok;
  return ok ? 0 : 1;
}
