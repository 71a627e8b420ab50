// What passes for a sound cue and a music track, before any decoder sees it.
#include "shell/sound_files.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/temp_folder.h"

namespace tumbol {
namespace {

std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i) & 0xFF);
  return s;
}
std::string Be(uint32_t v, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s += char(v >> (8 * i) & 0xFF);
  return s;
}

// A PCM wave of `frames` frames of silence.
std::string Wave(uint32_t channels, uint32_t rate, uint32_t bits, size_t frames, bool fmtFirst = true) {
  const std::string fmt = "fmt " + Le(16, 4) + Le(1, 2) + Le(channels, 2) + Le(rate, 4) +
                          Le(rate * channels * bits / 8, 4) + Le(channels * bits / 8, 2) + Le(bits, 2);
  const size_t bytes = frames * channels * bits / 8;
  const std::string data = "data" + Le(uint32_t(bytes), 4) + std::string(bytes + (bytes & 1), '\x80');
  const std::string body = fmtFirst ? fmt + data : data + fmt;
  return "RIFF" + Le(uint32_t(4 + body.size()), 4) + "WAVE" + body;
}

// A one-track MIDI file at 480 ticks a quarter: `chord` notes struck at tick 0,
// all released `ticks` later, at the given tempo (microseconds a quarter).
std::string Midi(int chord, uint32_t ticks, uint32_t tempo = 500000) {
  std::string track = std::string("\x00\xFF\x51\x03", 4) + Be(tempo, 3);
  for (int i = 0; i < chord; ++i) track += std::string("\x00\x90", 2) + char(i % 128) + '\x60';
  const auto varLen = [](uint32_t v) {
    std::string s(1, char(v & 0x7F));
    while (v >>= 7) s.insert(s.begin(), char(0x80 | (v & 0x7F)));
    return s;
  };
  track += varLen(ticks) + std::string("\x80\x3C\x00", 3) + std::string("\x00\xFF\x2F\x00", 4);
  return "MThd" + Be(6, 4) + Be(0, 2) + Be(1, 2) + Be(480, 2) + "MTrk" + Be(uint32_t(track.size()), 4) + track;
}

TEST(SoundFiles, ShippedCuesAndTracksPass) {
  const std::string data = TUMBOL_SOURCE_DIR "/data/";
  for (const char* cue : {"m1.wav", "m2.wav", "m3.wav"}) EXPECT_TRUE(IsCueWave(ReadBytes(data + cue))) << cue;
  for (int i = 1; i <= 9; ++i) {
    const std::string name = "music" + std::to_string(i) + ".mid";
    EXPECT_TRUE(IsMusicTrack(ReadBytes(data + name))) << name;
  }
}

TEST(SoundFiles, ACueIsAShortWave) {
  const std::string tenSeconds = Wave(1, 8000, 8, 80000);
  const struct {
    const char* what;
    std::string bytes;
    bool cue;
  } cases[] = {
      {"10 s of 8-bit mono", tenSeconds, true},
      {"chunks in another order", Wave(2, 44100, 16, 100, false), false},
      {"11 s of 8-bit mono", Wave(1, 8000, 8, 88000), false},
      {"a header promising more than is there", tenSeconds.substr(0, 40) + Le(200000000, 4), true},
      {"cut before its data", tenSeconds.substr(0, 36), false},
      {"no rate", Wave(1, 0, 8, 10), false},
      {"no bits", Wave(1, 8000, 0, 10), false},
      {"not a wave", "OggS" + std::string(100, '\0'), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsCueWave(c.bytes), c.cue) << c.what;
}

TEST(SoundFiles, ATrackLastsAtLeastASecondWithoutPackingItsNotes) {
  std::string noStatus = Midi(1, 960);
  noStatus[noStatus.find('\x90')] = 0x10;
  const struct {
    const char* what;
    std::string bytes;
    bool track;
  } cases[] = {
      {"one note for a second", Midi(1, 960), true},
      {"one note for half a second", Midi(1, 480), false},
      {"a second at half the tempo", Midi(1, 480, 1000000), true},
      {"everything at tick 0", Midi(50, 0), false},
      {"2000 events in a second", Midi(1997, 960), true},  // with the tempo, a release and the end
      {"2001 events in a second", Midi(1998, 960), false},
      {"too many events for any length", Midi(int(kMaxTrackEvents), 960 * 100000), false},
      {"data with no status", noStatus, false},
      {"cut short", Midi(1, 960).substr(0, 30), false},
      {"not MIDI", "RIFF" + std::string(100, '\0'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsMusicTrack(c.bytes), c.track) << c.what;
}

}  // namespace
}  // namespace tumbol
