#pragma once
// What the game takes as a sound cue or a music track. The decoders turn a
// small file into something far larger (a few bytes a second of 8-bit wave
// become 176 kB a second of mixer output; a MIDI event becomes a voice to
// render), so a file is looked at before it is handed to them: a cue must be
// a short wave, a track a MIDI file of sane length and density. Anything else
// is treated as a missing file.
#include <cstddef>
#include <string>
#include <vector>

namespace tumbol {

// The shipped cues are under 71 kB and the tracks under 6 kB.
constexpr size_t kMaxCueFileBytes = size_t{4} << 20;
constexpr size_t kMaxMusicFileBytes = size_t{2} << 20;
// A cue marks a push or a vanishing cube: ten seconds is long for one.
constexpr double kMaxCueSeconds = 10;
// A track is played whole and the next follows at its end: one that ends at
// once would have the playlist spin, one that packs thousands of notes into
// a second would have the synthesiser take a core.
constexpr double kMinTrackSeconds = 1;
constexpr double kMaxTrackSeconds = 3600;
constexpr size_t kMaxTrackEvents = 100000;
constexpr double kMaxTrackEventsPerSecond = 2000;

// A RIFF WAVE file whose sound lasts at most kMaxCueSeconds. A wave that
// lasts longer sets overCap to the limit it breaks, in words.
bool IsCueWave(const std::string& bytes, std::string* overCap = nullptr);

// A standard MIDI file, lasting kMinTrackSeconds to kMaxTrackSeconds at its
// tempos, with at most kMaxTrackEvents events and kMaxTrackEventsPerSecond
// on average; overCap as for IsCueWave.
bool IsMusicTrack(const std::string& bytes, std::string* overCap = nullptr);

// Reads the cue or the track at path into bytes and checks it as above.
// False when it is no use, and then the game plays on without it (a cue
// plays the default chime); a file refused for one of the limits says so in
// one line on standard error, naming the file and the limit, since the
// player would otherwise never learn why.
bool ReadCueWave(const std::string& path, std::string& bytes);
bool ReadMusicTrack(const std::string& path, std::string& bytes);

// How the game plays the tracks through a soundfont. The music's volume
// (SDL_mixer's 0-128; FluidSynth's gain is 1.2 at 128) sets the music's level
// for the font, and per General MIDI program the notes' velocities are
// weighed by a change of loudness in dB at middle C, less by
// `dbPerOctaveDown` for each octave below it: the note texts are balanced on
// TimGM6mb, another font sounds its instruments louder or softer than it.
constexpr int kTimGM6mbMusicVolume = 69;
constexpr int kFluidR3MusicVolume = 64;
struct FontVoicing {
  const char* font;  // the file name it is for
  int musicVolume;
  struct Programs {
    int first, last;
    double db, dbPerOctaveDown;
  };
  std::vector<Programs> programs;
};

// By the font's file name; TimGM6mb's for any other.
const FontVoicing& VoicingFor(const std::string& fontPath);

// The track with its velocities weighed for the font.
std::string VoiceTrack(std::string midi, const FontVoicing& voicing);

}  // namespace tumbol
