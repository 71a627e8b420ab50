// Makes the game's three wave cues (data/m1.wav vanish, m2.wav level won,
// m3.wav push) and the two pictures of the music switch (art/music_on.png,
// art/music_off.png). Run from the repository root: gen-sounds [repo]
// The cues sit with the music: their loudest 100 ms a few dB over its median
// level (scripts/music-levels measures both), no click at the start, and every
// tone dies away by itself before the file ends.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
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

// The attack of every sound: a raised cosine over a few milliseconds, so a cue
// never starts with a click.
double Attack(double t, double seconds) { return t >= seconds ? 1.0 : 0.5 - 0.5 * std::cos(kPi * t / seconds); }

void Grow(Samples& s, size_t n) {
  if (s.size() < n) s.resize(n, 0.0);
}

// Adds a tone at `start` seconds that decays exponentially (`decay` per second)
// until it is 60 dB down, so it always dies away instead of being cut; its
// overtones (`harmonics`, relative amplitudes) die away faster, as a struck
// string's or a bell's do.
void AddTone(Samples& s, double start, double freq, double amp, double decay, std::vector<double> harmonics = {1.0},
             double attack = 0.004) {
  const size_t from = static_cast<size_t>(start * kRate);
  const size_t n = static_cast<size_t>(std::log(1e3) / decay * kRate);
  Grow(s, from + n);
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kRate;
    double v = 0;
    for (size_t h = 0; h < harmonics.size(); ++h)
      v += harmonics[h] * std::exp(-t * decay * 0.6 * h) * std::sin(2 * kPi * freq * (h + 1) * t);
    s[from + i] += amp * Attack(t, attack) * std::exp(-t * decay) * v;
  }
}

// Low-passed noise that swells in over `attack` and decays: the body of a knock or a pop.
void AddNoise(Samples& s, double start, double amp, double decay, double smooth, unsigned seed,
              double attack = 0.003) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> uni(-1, 1);
  const size_t from = static_cast<size_t>(start * kRate);
  const size_t n = static_cast<size_t>(std::log(1e3) / decay * kRate);
  Grow(s, from + n);
  double low = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = double(i) / kRate;
    low += smooth * (uni(rng) - low);
    s[from + i] += amp * Attack(t, attack) * std::exp(-t * decay) * low;
  }
}

// The music's median level as the game plays it (scripts/music-levels): the
// cues stand a few dB over it, and well under full scale, so that a cue over
// the music's loudest moments leaves the mix headroom.
constexpr double kMusicLevel = -25;

// Scales the cue so its loudest 100 ms has the RMS level `loudestDb` (dBFS).
// Ends with 20 ms of silence.
void SetLevel(Samples& s, double loudestDb) {
  Grow(s, s.size() + kRate / 50);
  const size_t window = kRate / 10;
  double loudest = 0;
  for (size_t at = 0; at < s.size(); at += kRate / 200) {
    double sum = 0;
    for (size_t i = at; i < std::min(s.size(), at + window); ++i) sum += s[i] * s[i];
    loudest = std::max(loudest, sum / double(window));
  }
  const double gain = std::pow(10.0, loudestDb / 20.0) / std::sqrt(loudest);
  for (double& v : s) v *= gain;
}

void Put32(std::ofstream& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put16(std::ofstream& out, uint16_t v) {
  out.put(static_cast<char>(v & 0xFF));
  out.put(static_cast<char>(v >> 8));
}

bool WriteWav(const std::string& path, const Samples& s) {
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
  for (double v : s) {
    const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767);
    Put16(out, static_cast<uint16_t>(static_cast<int16_t>(q)));
  }
  return static_cast<bool>(out);
}

// A cube vanishes: a soft pop and three quick bells rising, gone in half a second.
// The pop swells in over 6 ms: several of these start at once when cubes vanish.
Samples Vanish() {
  Samples s;
  AddNoise(s, 0, 0.5, 90, 0.3, 7, 0.006);
  AddTone(s, 0, 880, 0.4, 50, {1.0}, 0.006);
  const double bells[] = {1760.0, 2217.5, 2637.0};
  for (int i = 0; i < 3; ++i) AddTone(s, 0.02 + 0.05 * i, bells[i], 0.3, 22, {1, 0.25});
  SetLevel(s, kMusicLevel + 5);
  return s;
}

// A level is won: a rising arpeggio that lands on a major chord ringing out.
Samples Fanfare() {
  Samples s;
  const std::vector<double> horn = {1, 0.5, 0.3, 0.15};
  const double run[] = {523.25, 659.25, 783.99};
  for (int i = 0; i < 3; ++i) AddTone(s, 0.12 * i, run[i], 0.3, 9, horn, 0.006);
  // The chord spread by 8 ms a note, as a hand would: its tones never all peak together.
  const double chord[] = {523.25, 659.25, 783.99, 1046.5};
  for (int i = 0; i < 4; ++i) AddTone(s, 0.368 + 0.008 * i, chord[i], 0.2, 4.5, horn, 0.006);
  AddTone(s, 0.36, 261.63, 0.25, 4, {1, 0.3}, 0.006);
  SetLevel(s, kMusicLevel + 5.5);
  return s;
}

// A cube is pushed: a soft wooden knock, plain enough to hear on every move.
// Its body rings a little (a hollow block, not a click), so it is heard at a
// lower peak.
Samples Knock() {
  Samples s;
  AddTone(s, 0, 420, 0.6, 24, {1, 0.2}, 0.005);
  AddTone(s, 0, 1130, 0.2, 60, {1}, 0.005);
  AddNoise(s, 0, 0.15, 250, 0.2, 3, 0.005);
  SetLevel(s, kMusicLevel + 4);
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
