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

// midi with its one track's stated length `bytes` short of what follows it.
std::string TrackCut(std::string midi, int bytes) {
  midi[31] = char(midi[31] - bytes);
  return midi;
}

// midi with the header's two-byte field at `at` (10 tracks, 12 division) set to value.
std::string Header(std::string midi, size_t at, uint32_t value) { return midi.replace(at, 2, Be(value, 2)); }

// After a system exclusive message, a note held 480 ticks at 120 a minute
// (said again halfway), then `ticks` < 16384 more at 60 a minute.
std::string SlowingDown(uint32_t ticks) {
  const std::string tempo = std::string("\x81\x70\xFF\x51\x03", 5);  // 240 ticks on
  const std::string track = std::string("\x00\xF0\x05\x7E\x7F\x09\x01\xF7\x00\x90\x3C\x60", 12) + tempo +
                            Be(500000, 3) + tempo + Be(1000000, 3) + char(0x80 | ticks >> 7) + char(ticks & 0x7F) +
                            std::string("\x80\x3C\x00\x00\xFF\x2F\x00", 7);
  return "MThd" + Be(6, 4) + Be(0, 2) + Be(1, 2) + Be(480, 2) + "MTrk" + Be(uint32_t(track.size()), 4) + track;
}

TEST(SoundFiles, ACueIsAShortWaveAndATrackLastsASecondOrMoreWithoutPackingItsNotes) {
  const std::string tenSeconds = Wave(80000);
  const char* const passes = nullptr;
  const struct {
    const char* what;
    bool (*test)(const std::string&, std::string*);
    std::string bytes;
    const char* refused;  // and the limit it breaks
  } cases[] = {
      {"10 s of 8-bit mono", IsCueWave, tenSeconds, passes},
      {"10.004 s of 8-bit mono", IsCueWave, Wave(80032), "a cue lasts at most 10 s"},
      {"a header promising more than is there", IsCueWave, tenSeconds.substr(0, 40) + Le(200000000, 4), passes},
      {"cut before its data", IsCueWave, tenSeconds.substr(0, 36), ""},
      {"not a wave", IsCueWave, "OggS" + std::string(100, '\0'), ""},
      {"one note for a second", IsMusicTrack, Midi(1, 960), passes},
      {"a second at half the tempo", IsMusicTrack, Midi(1, 480, 1000000), passes},
      {"everything at tick 0", IsMusicTrack, Midi(50, 0), "a track lasts at least 1 s"},
      {"2001 events in a second", IsMusicTrack, Midi(1997, 960),  // with tempo, program, release, end
       "a track holds at most 2000 events a second"},
      {"as many events as may be", IsMusicTrack, Midi(int(kMaxTrackEvents) - 4, 960 * 100), passes},
      {"one more", IsMusicTrack, Midi(int(kMaxTrackEvents) - 3, 960 * 100), "a track holds at most 100000 events"},
      {"cut short", IsMusicTrack, Midi(1, 960).substr(0, 40), ""},
      {"cut after a note's delta", IsMusicTrack, Midi(1, 960).substr(0, 50), ""},  // running status, no event
      {"a track chunk ending after a delta", IsMusicTrack, TrackCut(Midi(1, 960), 7), ""},  // the note-off beyond
      {"an end of track cut before its length", IsMusicTrack, TrackCut(Midi(1, 960).substr(0, 56), 1), ""},
      {"no tracks", IsMusicTrack, Header(Midi(1, 960), 10, 0), ""},
      {"no ticks a quarter", IsMusicTrack, Header(Midi(1, 960), 12, 0), ""},
      {"25 frames a second of 40 ticks, 1000 ticks", IsMusicTrack, Header(Midi(1, 1000), 12, 0xE728), passes},
      {"and 999 ticks", IsMusicTrack, Header(Midi(1, 999), 12, 0xE728), "a track lasts at least 1 s"},
      {"half a second, then half at half the tempo", IsMusicTrack, SlowingDown(240), passes},
      {"a tick less", IsMusicTrack, SlowingDown(239), "a track lasts at least 1 s"},
      {"an hour", IsMusicTrack, Midi(1, 960 * 3600), passes},
      {"an hour and a tick", IsMusicTrack, Midi(1, 960 * 3600 + 1), "a track lasts at most 3600 s"},
  };
  for (const auto& c : cases) {
    std::string limit;
    EXPECT_EQ(c.test(c.bytes, &limit), c.refused == passes) << c.what;
    EXPECT_EQ(limit, c.refused ? c.refused : "") << c.what;
  }
}

// A file refused for a limit, its size too, says which on standard error.
TEST(SoundFiles, AFileOverALimitSaysWhichOnStandardError) {
  TempFolder dir;
  const std::string path = (dir / "m1.wav").string();
  WriteBytes(path, Wave((4 << 20) - 43));  // 4 MiB and a byte
  std::string bytes;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadCueWave(path, bytes));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tumbol: " + path + " is not played: a cue file holds at most 4 MiB\n");
}

// The velocity the game gives a note of `program` and `pitch` struck at 96, through `font`.
int Voiced(const char* font, int program, int pitch) {
  const std::string track = std::string("\x00\xC3", 2) + char(program) + std::string("\x00\x93", 2) + char(pitch) +
                            "\x60" + std::string("\x83\x60\x93", 3) + char(pitch) + std::string("\x00\x00\xFF\x2F\x00", 5);
  const std::string midi = "MThd" + Be(6, 4) + Be(0, 2) + Be(1, 2) + Be(480, 2) + "MTrk" + Be(uint32_t(track.size()), 4);
  const std::string voiced = VoiceTrack(midi + track, VoicingFor(font));
  EXPECT_EQ(voiced.size(), midi.size() + track.size());
  EXPECT_EQ(voiced[voiced.size() - 5], 0) << "a note-on at velocity 0 ends the note";
  return static_cast<unsigned char>(voiced[midi.size() + 6]);
}

TEST(SoundFiles, TheTracksAreVoicedForTheFontInUse) {
  const char* fr3 = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
  const struct {
    const char* font;
    int program, pitch, velocity;
  } cases[] = {
      {"/usr/share/sounds/sf2/TimGM6mb.sf2", 0, 36, 96},  // the note texts are balanced on it
      {"/somewhere/else.sf2", 46, 60, 96},                // as TimGM6mb
      {fr3, 0, 60, 76},                                   // its piano 4 dB softer at middle C
      {fr3, 0, 36, 57},                                   // and 2.5 dB more an octave down
      {fr3, 46, 60, 108},                                 // its harp 2 dB louder
      {fr3, 40, 60, 96},                                  // its violin as it is
  };
  for (const auto& c : cases) EXPECT_EQ(Voiced(c.font, c.program, c.pitch), c.velocity) << c.font << " " << c.program;
}

}  // namespace
}  // namespace tumbol
