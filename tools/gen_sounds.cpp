// Makes the game's three wave cues (data/m1.wav vanish, m2.wav level won,
// m3.wav push) and the two pictures of the music switch (art/music_on.png,
// art/music_off.png). Run from the repository root: gen-sounds [repo]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
using Samples = std::vector<double>;

Samples Silence(double seconds) { return Samples(static_cast<size_t>(seconds * kRate), 0.0); }

// Adds a decaying tone with a few harmonics starting at `start` seconds.
void AddTone(Samples& s, double start, double freq, double length, double amp, double decay,
             std::vector<double> harmonics = {1.0}) {
  const size_t from = static_cast<size_t>(start * kRate);
  const size_t n = static_cast<size_t>(length * kRate);
  for (size_t i = 0; i < n && from + i < s.size(); ++i) {
    const double t = double(i) / kRate;
    const double attack = std::min(1.0, t / 0.004);
    const double release = std::min(1.0, (length - t) / 0.01);
    double v = 0;
    for (size_t h = 0; h < harmonics.size(); ++h) v += harmonics[h] * std::sin(2 * kPi * freq * (h + 1) * t);
    s[from + i] += amp * attack * release * std::exp(-t * decay) * v;
  }
}

// Filtered noise burst: a click or a pop.
void AddNoise(Samples& s, double start, double length, double amp, double decay, double smooth,
              unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> uni(-1, 1);
  const size_t from = static_cast<size_t>(start * kRate);
  double low = 0;
  for (size_t i = 0; i < size_t(length * kRate) && from + i < s.size(); ++i) {
    const double t = double(i) / kRate;
    low += smooth * (uni(rng) - low);
    s[from + i] += amp * std::exp(-t * decay) * low;
  }
}

// Scales to a peak of -1.5 dBFS, well clear of clipping.
void Normalise(Samples& s) {
  double peak = 0;
  for (double v : s) peak = std::max(peak, std::fabs(v));
  const double target = std::pow(10.0, -1.5 / 20.0);
  if (peak > 0)
    for (double& v : s) v *= target / peak;
}

void Put32(std::ofstream& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put16(std::ofstream& out, uint16_t v) {
  out.put(static_cast<char>(v & 0xFF));
  out.put(static_cast<char>(v >> 8));
}

bool WriteWav(const std::string& path, Samples s) {
  Normalise(s);
  std::ofstream out(path, std::ios::binary);
  const uint32_t bytes = static_cast<uint32_t>(s.size() * 2);
  out.write("RIFF", 4);
  Put32(out, 36 + bytes);
  out.write("WAVEfmt ", 8);
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, kRate);
  Put32(out, kRate * 2);
  Put16(out, 2);
  Put16(out, 16);
  out.write("data", 4);
  Put32(out, bytes);
  for (double v : s) Put16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))));
  return static_cast<bool>(out);
}

// A cube vanishes: a soft pop and three quick bright bells rising.
Samples Vanish() {
  Samples s = Silence(0.34);
  AddNoise(s, 0, 0.03, 0.5, 120, 0.35, 7);
  AddTone(s, 0, 880, 0.05, 0.5, 60);
  const double bells[] = {1760.0, 2217.5, 2637.0};
  for (int i = 0; i < 3; ++i) AddTone(s, 0.02 + 0.055 * i, bells[i], 0.34 - 0.02 - 0.055 * i, 0.35, 16, {1, 0.25});
  return s;
}

// A level is won: a short rising fanfare ending on a held major chord.
Samples Fanfare() {
  Samples s = Silence(1.6);
  const std::vector<double> brass = {1, 0.55, 0.35, 0.2, 0.1};
  const double run[] = {523.25, 659.25, 783.99};
  for (int i = 0; i < 3; ++i) AddTone(s, 0.13 * i, run[i], 0.16, 0.3, 4, brass);
  for (double f : {523.25, 659.25, 783.99, 1046.5}) AddTone(s, 0.39, f, 1.2, 0.22, 2.2, brass);
  AddTone(s, 0.39, 261.63, 1.2, 0.25, 2.0, {1, 0.3});
  return s;
}

// A cube is pushed: a soft wooden knock.
Samples Knock() {
  Samples s = Silence(0.12);
  AddTone(s, 0, 420, 0.12, 0.6, 45, {1, 0.2});
  AddTone(s, 0, 1130, 0.06, 0.25, 80);
  AddNoise(s, 0, 0.015, 0.25, 300, 0.2, 3);
  return s;
}

// The music switch: a note on a round button, lit when on, dim and struck through when off.
QImage SwitchPicture(bool on) {
  QImage img(21, 21, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient face(8, 7, 13);
  face.setColorAt(0, on ? QColor(120, 98, 60) : QColor(78, 70, 62));
  face.setColorAt(1, on ? QColor(58, 42, 24) : QColor(38, 34, 30));
  p.setPen(QPen(QColor(20, 16, 12), 1));
  p.setBrush(face);
  p.drawEllipse(QRectF(0.5, 0.5, 20, 20));
  const QColor ink = on ? QColor(255, 222, 130) : QColor(130, 120, 105);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawEllipse(QRectF(5, 12, 5, 4));
  p.drawEllipse(QRectF(11, 10.5, 5, 4));
  p.setPen(QPen(ink, 1.4));
  p.drawLine(QPointF(9.5, 14), QPointF(9.5, 5));
  p.drawLine(QPointF(15.5, 12.5), QPointF(15.5, 3.5));
  p.setPen(QPen(ink, 2.2));
  p.drawLine(QPointF(9.5, 5.5), QPointF(15.5, 4));
  if (!on) {
    p.setPen(QPen(QColor(200, 60, 50), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(16.5, 16.5));
  }
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string root = argc > 1 ? std::string(argv[1]) + "/" : std::string("./");
  bool ok = WriteWav(root + "data/m1.wav", Vanish()) && WriteWav(root + "data/m2.wav", Fanfare()) &&
            WriteWav(root + "data/m3.wav", Knock());
  ok = SwitchPicture(true).save(QString::fromStdString(root + "art/music_on.png")) && ok;
  ok = SwitchPicture(false).save(QString::fromStdString(root + "art/music_off.png")) && ok;
  if (!ok) std::fprintf(stderr, "gen-sounds: could not write the files under %s\n", root.c_str());
  return ok ? 0 : 1;
}
