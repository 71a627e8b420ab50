#include "shell/sound_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>

#include "base/data_file.h"

namespace tumbol {

namespace {

uint32_t Byte(const std::string& b, size_t at) { return static_cast<unsigned char>(b[at]); }
uint32_t Le16(const std::string& b, size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
uint32_t Le32(const std::string& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
uint32_t Be16(const std::string& b, size_t at) { return Byte(b, at) << 8 | Byte(b, at + 1); }
uint32_t Be32(const std::string& b, size_t at) { return Be16(b, at) << 16 | Be16(b, at + 2); }

// A MIDI variable-length number of at most four bytes; false past `end`.
bool ReadVarLen(const std::string& b, size_t& at, size_t end, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= end) return false;
    const uint32_t c = Byte(b, at++);
    value = value << 7 | (c & 0x7F);
    if (!(c & 0x80)) return true;
  }
  return false;
}

// A limit in words, for the line that says why a file is not played.
std::string Limit(const char* what, double value, const char* unit) {
  char text[100];
  std::snprintf(text, sizeof text, "%s %g %s", what, value, unit);
  return text;
}

}  // namespace

bool IsCueWave(const std::string& b, std::string* overCap) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
  uint32_t channels = 0, rate = 0, bits = 0;
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = Le32(b, at + 4);
    const size_t body = at + 8;
    const size_t present = std::min<size_t>(size, b.size() - body);
    if (b.compare(at, 4, "fmt ") == 0) {
      if (present < 16) return false;
      channels = Le16(b, body + 2);
      rate = Le32(b, body + 4);
      bits = Le16(b, body + 14);
    } else if (b.compare(at, 4, "data") == 0) {
      // The decoder reads what is there of the data. Every wave format it
      // knows spends at least `bits` bits on a sample, so this many frames
      // at most come out.
      if (channels == 0 || bits == 0 || rate < 1000 || rate > 384000) return false;
      const double frames = present * 8.0 / (double(bits) * channels);
      if (frames / rate <= kMaxCueSeconds) return true;
      if (overCap) *overCap = Limit("a cue lasts at most", kMaxCueSeconds, "s");
      return false;
    }
    at = body + size + (size & 1);  // chunks are padded to even lengths
    if (at < body) break;           // a size that wraps
  }
  return false;
}

namespace {

// Walks every event of every track of a standard MIDI file, calling `visit`
// with the event's tick, its status byte (0xFF for a meta event, with its
// type) and where its data start; `visit` returns false to stop. False when
// the file is not a readable MIDI file or `visit` stopped it.
template <typename Visit>
bool WalkMidi(const std::string& b, uint32_t& division, uint64_t& lastTick, Visit visit) {
  if (b.size() < 14 || b.compare(0, 4, "MThd") != 0) return false;
  const uint32_t headerSize = Be32(b, 4);
  const uint32_t tracks = Be16(b, 10);
  division = Be16(b, 12);
  if (headerSize < 6 || headerSize > b.size() - 8 || tracks == 0 || division == 0) return false;
  lastTick = 0;
  size_t at = 8 + headerSize;
  for (uint32_t t = 0; t < tracks; ++t) {
    // Chunks of other kinds are skipped, as players do.
    for (;;) {
      if (at + 8 > b.size()) return false;
      if (b.compare(at, 4, "MTrk") == 0) break;
      at += 8 + size_t{Be32(b, at + 4)};
    }
    const size_t end = std::min(b.size(), at + 8 + size_t{Be32(b, at + 4)});
    size_t p = at + 8;
    at = end;
    uint64_t tick = 0;
    uint32_t status = 0;
    while (p < end) {
      uint32_t delta = 0;
      if (!ReadVarLen(b, p, end, delta) || p >= end) return false;
      tick += delta;
      const uint32_t c = Byte(b, p);
      if (c == 0xFF || c == 0xF0 || c == 0xF7) {
        const uint32_t type = c == 0xFF ? Byte(b, ++p) : 0;
        ++p;
        uint32_t length = 0;
        if (!ReadVarLen(b, p, end, length) || length > end - p) return false;
        if (!visit(tick, c, type, p, length)) return false;
        p += length;
        if (c == 0xFF && type == 0x2F) break;  // end of track
        status = 0;
        continue;
      }
      if (c & 0x80) {
        status = c;
        ++p;
      } else if (status == 0) {
        return false;  // data with no status to run on
      }
      const uint32_t length = (status & 0xE0) == 0xC0 ? 1 : 2;  // program and pressure changes take one byte
      if (length > end - p || !visit(tick, status, 0u, p, length)) return false;
      p += length;
    }
    lastTick = std::max(lastTick, tick);
  }
  return true;
}

}  // namespace

bool IsMusicTrack(const std::string& b, std::string* overCap) {
  const auto over = [overCap](const std::string& cap) {
    if (overCap) *overCap = cap;
    return false;
  };
  std::map<uint64_t, uint32_t> tempos;  // tick → microseconds a quarter note, from any track
  size_t events = 0;
  uint32_t division = 0;
  uint64_t lastTick = 0;
  const bool read = WalkMidi(b, division, lastTick, [&](uint64_t tick, uint32_t status, uint32_t type, size_t p,
                                                        uint32_t length) {
    if (status == 0xFF && type == 0x51 && length == 3)
      tempos[tick] = Byte(b, p) << 16 | Byte(b, p + 1) << 8 | Byte(b, p + 2);
    return ++events <= kMaxTrackEvents;
  });
  if (events > kMaxTrackEvents) return over(Limit("a track holds at most", kMaxTrackEvents, "events"));
  if (!read) return false;
  // The length in seconds at the file's tempos (120 a minute until one is set).
  double seconds = 0;
  if (division & 0x8000) {
    const double framesPerSecond = 256 - (division >> 8);  // SMPTE: a negative frame rate
    seconds = lastTick / (framesPerSecond * (division & 0xFF));
  } else {
    uint64_t from = 0;
    double tempo = 500000;
    for (const auto& [tick, microseconds] : tempos) {
      if (tick >= lastTick) break;
      seconds += (tick - from) * tempo / 1e6 / division;
      from = tick;
      tempo = microseconds;
    }
    seconds += (lastTick - from) * tempo / 1e6 / division;
  }
  if (seconds < kMinTrackSeconds) return over(Limit("a track lasts at least", kMinTrackSeconds, "s"));
  if (seconds > kMaxTrackSeconds) return over(Limit("a track lasts at most", kMaxTrackSeconds, "s"));
  if (events > kMaxTrackEventsPerSecond * seconds)
    return over(Limit("a track holds at most", kMaxTrackEventsPerSecond, "events a second"));
  return true;
}

namespace {

bool ReadSoundFile(const std::string& path, std::string& bytes, size_t maxBytes, const char* what,
                   bool (*check)(const std::string&, std::string*)) {
  std::string overCap;
  struct stat st {};
  if (ReadDataFile(path, bytes, maxBytes)) {
    if (check(bytes, &overCap)) return true;
  } else if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) > maxBytes) {
    overCap = Limit(what, static_cast<double>(maxBytes >> 20), "MiB");
  }
  if (!overCap.empty()) std::fprintf(stderr, "tumbol: %s is not played: %s\n", path.c_str(), overCap.c_str());
  bytes.clear();
  return false;
}

}  // namespace

bool ReadCueWave(const std::string& path, std::string& bytes) {
  return ReadSoundFile(path, bytes, kMaxCueFileBytes, "a cue file holds at most", IsCueWave);
}

bool ReadMusicTrack(const std::string& path, std::string& bytes) {
  return ReadSoundFile(path, bytes, kMaxMusicFileBytes, "a track file holds at most", IsMusicTrack);
}

const FontVoicing& VoicingFor(const std::string& fontPath) {
  // The note texts are balanced on TimGM6mb. FluidR3's piano is far fuller,
  // most of all low down, its harp and cello thinner, and the whole font louder.
  static const FontVoicing kTimGM6mb{"TimGM6mb.sf2", kTimGM6mbMusicVolume, {}};
  static const FontVoicing kFluidR3{"FluidR3_GM.sf2", kFluidR3MusicVolume, {
      {0, 5, -4.0, 2.5},   // pianos: softer, the bass most
      {6, 7, -6.0, 1.0},   // harpsichord, clavinet
      {42, 42, 4.0, 0},    // cello
      {46, 46, 2.0, 0},    // harp
      {69, 69, -2.0, 0},   // English horn
      {71, 71, -4.0, 0},   // clarinet
      {73, 73, -2.5, 0},   // flute
  }};
  const size_t slash = fontPath.find_last_of('/');
  const std::string name = fontPath.substr(slash == std::string::npos ? 0 : slash + 1);
  return name == kFluidR3.font ? kFluidR3 : kTimGM6mb;
}

std::string VoiceTrack(std::string midi, const FontVoicing& voicing) {
  if (voicing.programs.empty()) return midi;
  uint32_t division = 0;
  uint64_t lastTick = 0;
  // The program of each channel at each tick, from every track, then each note-on re-weighed.
  std::map<std::pair<uint32_t, uint64_t>, uint32_t> programs;  // (channel, tick) -> program
  WalkMidi(midi, division, lastTick, [&](uint64_t tick, uint32_t status, uint32_t, size_t p, uint32_t) {
    if ((status & 0xF0) == 0xC0) programs[{status & 0x0F, tick}] = Byte(midi, p);
    return true;
  });
  WalkMidi(midi, division, lastTick, [&](uint64_t tick, uint32_t status, uint32_t, size_t p, uint32_t) {
    if ((status & 0xF0) != 0x90 || Byte(midi, p + 1) == 0) return true;
    const uint32_t channel = status & 0x0F;
    auto in = programs.upper_bound({channel, tick});
    const uint32_t program = in != programs.begin() && (--in)->first.first == channel ? in->second : 0;
    for (const FontVoicing::Programs& r : voicing.programs) {
      if (program < uint32_t(r.first) || program > uint32_t(r.last)) continue;
      const double db = r.db - r.dbPerOctaveDown * (60.0 - Byte(midi, p)) / 12.0;
      // Velocity works on loudness as about 40 log10(v / 127) dB does.
      const long v = std::lround(Byte(midi, p + 1) * std::pow(10.0, db / 40.0));
      midi[p + 1] = static_cast<char>(std::clamp(v, 1L, 127L));
      break;
    }
    return true;
  });
  return midi;
}

}  // namespace tumbol
