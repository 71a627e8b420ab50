// Composes the nine background tracks data/music1.mid ... music9.mid:
// Standard MIDI files (type 1) of two to three minutes each, a calm piece of
// melody, harmony and bass in its own key, tempo and instruments. The pieces
// come from a seeded random walk over chord progressions and motifs, so a run
// always writes the same bytes. Run from the repository root: gen-music [repo]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kDivision = 480;  // ticks per quarter note

// ---- writing the file ----

struct Event {
  long tick;
  int order;  // at the same tick: 0 meta, 1 note off, 2 program, 3 note on
  std::vector<uint8_t> bytes;
};

class TrackData {
 public:
  void Meta(long tick, uint8_t type, std::vector<uint8_t> data) {
    std::vector<uint8_t> b = {0xFF, type, static_cast<uint8_t>(data.size())};
    b.insert(b.end(), data.begin(), data.end());
    events_.push_back({tick, 0, b});
  }
  void Program(int channel, int program) {
    events_.push_back({0, 2, {static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(program)}});
  }
  void Control(int channel, int control, int value) {
    events_.push_back({0, 2, {static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(control),
                              static_cast<uint8_t>(value)}});
  }
  void Note(int channel, long tick, long length, int pitch, int velocity) {
    pitch = std::clamp(pitch, 0, 127);
    velocity = std::clamp(velocity, 1, 127);
    events_.push_back({tick, 3, {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(pitch),
                                 static_cast<uint8_t>(velocity)}});
    events_.push_back({tick + length, 1, {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(pitch), 0}});
    end_ = std::max(end_, tick + length);
  }
  long End() const { return end_; }

  // The track chunk, closed by an End of Track event at `end`.
  std::vector<uint8_t> Chunk(long end) const {
    std::vector<Event> sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
      return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::vector<uint8_t> body;
    long last = 0;
    for (const Event& e : sorted) {
      PutVarLen(body, e.tick - last);
      last = e.tick;
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    PutVarLen(body, std::max(0L, end - last));
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> chunk = {'M', 'T', 'r', 'k'};
    Put32(chunk, static_cast<uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
  }

  static void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
  }

 private:
  static void PutVarLen(std::vector<uint8_t>& out, long value) {
    uint8_t buf[5];
    int n = 0;
    do {
      buf[n++] = static_cast<uint8_t>(value & 0x7F);
      value >>= 7;
    } while (value > 0);
    while (n > 0) {
      --n;
      out.push_back(static_cast<uint8_t>(buf[n] | (n > 0 ? 0x80 : 0)));
    }
  }

  std::vector<Event> events_;
  long end_ = 0;
};

// ---- composing ----

const std::vector<int> kMajor = {0, 2, 4, 5, 7, 9, 11};
const std::vector<int> kMinor = {0, 2, 3, 5, 7, 8, 10};
const std::vector<int> kDorian = {0, 2, 3, 5, 7, 9, 10};

enum class Accompaniment { Arpeggio, Pad, Waltz, Broken };

struct Piece {
  const char* mood;
  int bpm;
  int beatsPerBar;  // 3 or 4
  int root;         // MIDI note of the tonic around the middle of the keyboard
  const std::vector<int>* scale;
  int melodyProgram, harmonyProgram, bassProgram;
  Accompaniment accompaniment;
  std::vector<int> progressionA, progressionB;  // scale degrees from 0, one chord a bar
  int seconds;   // aimed length
  unsigned seed;
};

class Composer {
 public:
  explicit Composer(const Piece& piece) : p_(piece), rng_(piece.seed) {}

  // Pitch of scale step `step` (0 = tonic, 7 = the octave above) from `base`.
  int Pitch(int base, int step) const {
    const int n = static_cast<int>(p_.scale->size());
    int octave = step >= 0 ? step / n : -((-step + n - 1) / n);
    return base + 12 * octave + (*p_.scale)[step - octave * n];
  }
  int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::vector<uint8_t> Compose() {
    const long beat = kDivision;
    const long bar = beat * p_.beatsPerBar;
    const int totalBars = p_.seconds * p_.bpm / 60 / p_.beatsPerBar;
    // Sections of 8 bars: A A B A ..., then two bars of the tonic to close.
    const int sections = std::max(2, (totalBars - 2) / 8);

    TrackData conductor, melody, harmony, bass;
    const int usPerQuarter = 60000000 / p_.bpm;
    conductor.Meta(0, 0x03, {'T', 'u', 'm', 'b', 'o', 'l'});
    conductor.Meta(0, 0x51, {static_cast<uint8_t>(usPerQuarter >> 16), static_cast<uint8_t>(usPerQuarter >> 8),
                             static_cast<uint8_t>(usPerQuarter)});
    conductor.Meta(0, 0x58, {static_cast<uint8_t>(p_.beatsPerBar), 2, 24, 8});
    melody.Program(0, p_.melodyProgram);
    harmony.Program(1, p_.harmonyProgram);
    bass.Program(2, p_.bassProgram);
    melody.Control(0, 7, 100);
    harmony.Control(1, 7, 78);
    bass.Control(2, 7, 92);
    for (int ch = 0; ch < 3; ++ch) {
      TrackData& t = ch == 0 ? melody : ch == 1 ? harmony : bass;
      t.Control(ch, 91, 60);  // reverb: a soft room
      t.Control(ch, 10, ch == 0 ? 64 : ch == 1 ? 44 : 80);
    }

    const std::vector<Motif> motifs = {MakeMotif(), MakeMotif()};
    int melodyStep = 7;  // the tonic an octave above the chord register
    long tick = 0;
    for (int section = 0; section < sections; ++section) {
      const bool b = section % 4 == 2;
      const std::vector<int>& progression = b ? p_.progressionB : p_.progressionA;
      const Motif& motif = motifs[b ? 1 : 0];
      // The first half of the first section is accompaniment alone.
      for (int barInSection = 0; barInSection < 8; ++barInSection, tick += bar) {
        const int degree = progression[barInSection % progression.size()];
        const bool lastOfPhrase = barInSection % 4 == 3;
        const bool quiet = section == 0 && barInSection < 4;
        Accompany(harmony, tick, degree, barInSection);
        Bass(bass, tick, degree, barInSection);
        if (quiet) continue;
        if (lastOfPhrase) {
          // Resolve on a chord tone held through the bar.
          melodyStep = NearestChordTone(melodyStep, degree);
          melody.Note(0, tick, bar - beat / 4, Pitch(p_.root, melodyStep), 74);
          continue;
        }
        melodyStep = NearestChordTone(melodyStep, degree);
        const bool invert = barInSection % 4 == 2;
        long at = tick;
        for (size_t i = 0; i < motif.lengths.size(); ++i) {
          const int len = motif.lengths[i];
          if (motif.steps[i] != kRest) {
            melodyStep += invert ? -motif.steps[i] : motif.steps[i];
            melodyStep = std::clamp(melodyStep, 3, 13);
            const int velocity = 72 + (i == 0 ? 8 : 0) + Rand(-4, 4);
            melody.Note(0, at, len * beat / 2 - 20, Pitch(p_.root, melodyStep), velocity);
          }
          at += len * beat / 2;
        }
      }
    }
    // Close on the tonic: chord and bass held for two bars.
    for (int step : {0, 2, 4, 7}) harmony.Note(1, tick, 2 * bar, Pitch(p_.root, step), 56);
    bass.Note(2, tick, 2 * bar, Pitch(p_.root - 24, 0), 70);
    melody.Note(0, tick, 2 * bar, Pitch(p_.root, 7), 70);
    const long end = tick + 2 * bar + beat;

    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 4,
                                 static_cast<uint8_t>(kDivision >> 8), static_cast<uint8_t>(kDivision & 0xFF)};
    for (const TrackData* t : {&conductor, &melody, &harmony, &bass}) {
      const std::vector<uint8_t> chunk = t->Chunk(end);
      file.insert(file.end(), chunk.begin(), chunk.end());
    }
    return file;
  }

 private:
  static constexpr int kRest = 99;
  // One bar of melody: lengths in eighth notes, and scale steps from the last note.
  struct Motif {
    std::vector<int> lengths;
    std::vector<int> steps;
  };

  Motif MakeMotif() {
    static const std::vector<std::vector<int>> rhythms4 = {
        {2, 2, 2, 2}, {3, 1, 2, 2}, {2, 1, 1, 4}, {4, 2, 2}, {2, 2, 4}, {1, 1, 2, 4}, {3, 1, 4}};
    static const std::vector<std::vector<int>> rhythms3 = {{2, 2, 2}, {4, 2}, {3, 1, 2}, {2, 4}, {2, 1, 1, 2}};
    const auto& set = p_.beatsPerBar == 3 ? rhythms3 : rhythms4;
    Motif m;
    m.lengths = set[Rand(0, static_cast<int>(set.size()) - 1)];
    for (size_t i = 0; i < m.lengths.size(); ++i) {
      // Mostly steps, sometimes a leap of a third, now and then a breath.
      const int r = Rand(0, 9);
      m.steps.push_back(i > 0 && r == 0 ? kRest : r < 4 ? 1 : r < 7 ? -1 : r < 8 ? 2 : r < 9 ? -2 : 0);
    }
    if (m.steps[0] == kRest) m.steps[0] = 0;
    return m;
  }

  int NearestChordTone(int step, int degree) const {
    int best = step, bestDistance = 100;
    for (int candidate = step - 3; candidate <= step + 3; ++candidate) {
      const int rel = ((candidate - degree) % 7 + 7) % 7;
      if ((rel == 0 || rel == 2 || rel == 4) && std::abs(candidate - step) < bestDistance) {
        best = candidate;
        bestDistance = std::abs(candidate - step);
      }
    }
    return std::clamp(best, 3, 13);
  }

  void Accompany(TrackData& t, long tick, int degree, int barInSection) {
    const long beat = kDivision;
    const int chord[4] = {Pitch(p_.root, degree), Pitch(p_.root, degree + 2), Pitch(p_.root, degree + 4),
                          Pitch(p_.root, degree + 7)};
    const int accent = barInSection % 2 == 0 ? 4 : 0;
    switch (p_.accompaniment) {
      case Accompaniment::Arpeggio: {
        static const int order[8] = {0, 1, 2, 3, 2, 1, 2, 1};
        for (int i = 0; i < p_.beatsPerBar * 2; ++i)
          t.Note(1, tick + i * beat / 2, beat / 2, chord[order[i % 8]] - 12, 50 + (i == 0 ? accent : 0));
        break;
      }
      case Accompaniment::Pad:
        for (int i = 0; i < 3; ++i) t.Note(1, tick, beat * p_.beatsPerBar - 10, chord[i] - 12, 48 + accent);
        break;
      case Accompaniment::Waltz:
        for (int b = 1; b < p_.beatsPerBar; ++b)
          for (int i = 1; i < 4; ++i) t.Note(1, tick + b * beat, beat - 40, chord[i] - 12, 46);
        break;
      case Accompaniment::Broken: {
        static const int order[4] = {0, 2, 1, 3};
        for (int i = 0; i < p_.beatsPerBar; ++i)
          t.Note(1, tick + i * beat, beat * 2, chord[order[i % 4]] - 12, 48 + (i == 0 ? accent : 0));
        break;
      }
    }
  }

  void Bass(TrackData& t, long tick, int degree, int barInSection) {
    const long beat = kDivision;
    const int root = Pitch(p_.root - 24, degree);
    if (p_.beatsPerBar == 3) {
      t.Note(2, tick, beat - 30, root, 72);
      return;
    }
    t.Note(2, tick, 2 * beat - 30, root, 72);
    // Every other bar walks to the fifth on the third beat.
    t.Note(2, tick + 2 * beat, 2 * beat - 30, barInSection % 2 ? Pitch(p_.root - 24, degree + 4) : root, 64);
  }

  const Piece& p_;
  std::mt19937 rng_;
};

// Nine moods, each its own key, tempo and band (General MIDI programs from 0).
std::vector<Piece> Pieces() {
  return {
      {"morning, piano and strings", 84, 4, 60, &kMajor, 0, 48, 32, Accompaniment::Arpeggio,
       {0, 4, 5, 3}, {3, 0, 3, 4}, 130, 11},
      {"rain, flute and harp", 72, 4, 57, &kMinor, 73, 46, 35, Accompaniment::Arpeggio,
       {0, 5, 2, 6}, {3, 0, 5, 4}, 140, 23},
      {"music box waltz", 96, 3, 65, &kMajor, 10, 24, 43, Accompaniment::Waltz,
       {0, 3, 4, 0}, {5, 3, 1, 4}, 120, 37},
      {"evening, vibraphone", 88, 4, 62, &kDorian, 11, 4, 33, Accompaniment::Broken,
       {0, 3, 0, 6}, {2, 3, 4, 3}, 135, 41},
      {"garden, clarinet and marimba", 100, 4, 67, &kMajor, 71, 12, 32, Accompaniment::Arpeggio,
       {0, 5, 1, 4}, {3, 4, 2, 5}, 125, 53},
      {"dusk, oboe over a warm pad", 66, 4, 64, &kMinor, 68, 89, 42, Accompaniment::Pad,
       {0, 3, 6, 2}, {5, 6, 0, 4}, 150, 67},
      {"snow, celesta and strings", 80, 4, 58, &kMajor, 8, 49, 32, Accompaniment::Broken,
       {0, 2, 3, 4}, {5, 3, 0, 4}, 140, 71},
      {"mist, pan flute and choir", 76, 4, 62, &kMinor, 75, 91, 35, Accompaniment::Pad,
       {0, 6, 5, 6}, {3, 4, 0, 4}, 145, 83},
      {"lullaby, kalimba and harp", 88, 3, 63, &kMajor, 108, 46, 43, Accompaniment::Waltz,
       {0, 5, 3, 4}, {3, 0, 1, 4}, 125, 97},
  };
}

}  // namespace

int main(int argc, char** argv) {
  const std::string root = argc > 1 ? std::string(argv[1]) + "/" : std::string("./");
  const std::vector<Piece> pieces = Pieces();
  for (size_t i = 0; i < pieces.size(); ++i) {
    const std::vector<uint8_t> bytes = Composer(pieces[i]).Compose();
    const std::string path = root + "data/music" + std::to_string(i + 1) + ".mid";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "gen-music: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s: %s, %zu bytes\n", path.c_str(), pieces[i].mood, bytes.size());
  }
  return 0;
}
