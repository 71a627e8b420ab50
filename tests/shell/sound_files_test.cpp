// What passes for a sound cue and a music track, before any decoder sees it.
#include "shell/sound_files.h"

#include <gtest/gtest.h>

#include "tests/temp_folder.h"

namespace tumbol {
namespace {

std::string Le(uint32_t v, int n) { return n ? char(v & 0xFF) + Le(v >> 8, n - 1) : ""; }
std::string Be(uint32_t v, int n) { return n ? Be(v >> 8, n - 1) + char(v & 0xFF) : ""; }

// `frames` frames of silence, 8-bit mono at 8 kHz.
std::string Wave(uint32_t frames) {
  return "RIFF" + Le(36 + frames, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(8000, 4) +
         Le(1, 2) + Le(8, 2) + "data" + Le(frames, 4) + std::string(frames, '\x80');
}

// A one-track MIDI file at 480 ticks a quarter: `chord` notes struck at tick 0,
// all released `ticks` later, at the given tempo (microseconds a quarter).
std::string Midi(int chord, uint32_t ticks, uint32_t tempo = 500000) {
  std::string track = std::string("\x00\xFF\x51\x03", 4) + Be(tempo, 3) + std::string("\x00\xC0\x00", 3);  // piano
  for (int i = 0; i < chord; ++i) track += std::string("\x00\x90", 2) + char(i % 128) + '\x60';
  for (int shift = 21; shift > 0; shift -= 7) track += char(0x80 | (ticks >> shift & 0x7F));  // a long delta
  track += char(ticks & 0x7F) + std::string("\x80\x3C\x00\x00\xFF\x2F\x00", 7);
  return "MThd" + Be(6, 4) + Be(0, 2) + Be(1, 2) + Be(480, 2) + "XFIR" + Be(2, 4) + "ok" + "MTrk" +
         Be(uint32_t(track.size()), 4) + track;  // a chunk of another kind to skip on the way
}

TEST(SoundFiles, ACueIsAShortWaveAndATrackLastsASecondOrMoreWithoutPackingItsNotes) {
  const std::string tenSeconds = Wave(80000);
  const struct {
    const char* what;
    bool (*test)(const std::string&, std::string*);
    std::string bytes;
    bool passes;
  } cases[] = {
      {"10 s of 8-bit mono", IsCueWave, tenSeconds, true},
      {"11 s of 8-bit mono", IsCueWave, Wave(88000), false},
      {"a header promising more than is there", IsCueWave, tenSeconds.substr(0, 40) + Le(200000000, 4), true},
      {"cut before its data", IsCueWave, tenSeconds.substr(0, 36), false},
      {"not a wave", IsCueWave, "OggS" + std::string(100, '\0'), false},
      {"one note for a second", IsMusicTrack, Midi(1, 960), true},
      {"a second at half the tempo", IsMusicTrack, Midi(1, 480, 1000000), true},
      {"everything at tick 0", IsMusicTrack, Midi(50, 0), false},
      {"2001 events in a second", IsMusicTrack, Midi(1997, 960), false},  // with tempo, program, release, end
      {"as many events as may be", IsMusicTrack, Midi(int(kMaxTrackEvents) - 4, 960 * 100), true},
      {"one more", IsMusicTrack, Midi(int(kMaxTrackEvents) - 3, 960 * 100), false},
      {"cut short", IsMusicTrack, Midi(1, 960).substr(0, 40), false},
      {"cut after a note's delta", IsMusicTrack, Midi(1, 960).substr(0, 50), false},  // running status, no event
      {"an hour", IsMusicTrack, Midi(1, 960 * 3600), true},
      {"an hour and a tick", IsMusicTrack, Midi(1, 960 * 3600 + 1), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.test(c.bytes, nullptr), c.passes) << c.what;
}

// A file refused for a limit says which on standard error; one that is no
// sound file at all is simply missing.
TEST(SoundFiles, AFileOverALimitSaysWhichOnStandardError) {
  TempFolder dir;
  const struct {
    const char* name;
    std::string bytes;
    bool (*read)(const std::string&, std::string&);
    const char* says;
  } cases[] = {
      {"m1.wav", Wave(80032), ReadCueWave, "a cue lasts at most 10 s"},  // 10.004 s
      {"m2.wav", Wave((4 << 20) - 43), ReadCueWave, "a cue file holds at most 4 MiB"},  // 4 MiB and a byte
      {"music1.mid", Midi(int(kMaxTrackEvents) - 3, 960 * 100), ReadMusicTrack, "a track holds at most 100000 events"},
      {"m3.wav", "OggS" + std::string(100, '\0'), ReadCueWave, ""},
      {"music2.mid", Midi(1, 960), ReadMusicTrack, nullptr},  // plays
  };
  for (const auto& c : cases) {
    const std::string path = (dir / c.name).string();
    WriteBytes(path, c.bytes);
    std::string bytes;
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.read(path, bytes), c.says == nullptr) << c.name;
    const std::string line = c.says && *c.says ? "tumbol: " + path + " is not played: " + c.says + "\n" : "";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line);
  }
}

}  // namespace
}  // namespace tumbol
