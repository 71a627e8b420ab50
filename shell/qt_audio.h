#pragma once
// Sound through SDL2_mixer: the three wave cues on the mixer's channels and the
// MIDI device behind the background music (FluidSynth with a GM soundfont, its
// tracks voiced and their level set for the font).
// The audio device is opened at the first cue or the first "Open", never
// while the game window is being set up.
#include <QObject>
#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "base/seams.h"
#include "shell/midi_device.h"

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace tumbol {

// Opens SDL audio and the mixer once per program; false when there is no
// audio device (then every sound stays silent). Later calls are free.
bool EnsureAudioOpen();

// m1.wav, m2.wav and m3.wav of path_work; a new cue cuts off the last one,
// which fades out over 10 ms.
// A missing or unreadable file, or one that is no short wave, plays a short
// built-in chime instead.
class SdlSoundCues : public SoundCues {
 public:
  explicit SdlSoundCues(std::string pathWork = "") : path_work(std::move(pathWork)) {}
  ~SdlSoundCues() override;
  void PlaySoundCue(int cue) override;

  std::string path_work;  // program folder, ending in '/'

 private:
  Mix_Chunk* ChunkFor(const std::string& path);
  std::map<std::string, Mix_Chunk*> chunks_;  // nullptr: the file failed, use the chime
};

// The MIDI device. Only a track that runs out reports (code 1), on the thread
// that created the device; its own "Stop" and "Close" never report.
class SdlMidiDevice : public MidiDevice {
 public:
  SdlMidiDevice();
  ~SdlMidiDevice() override;

 protected:
  void Execute(const std::string& cmd) override;

 private:
  static void MusicFinished();  // audio thread
  void Halt();
  void Free();
  void Deliver(unsigned play);

  std::unique_ptr<QObject> receiver_;  // lives on the UI thread
  Mix_Music* music_ = nullptr;
  std::string musicBytes_;             // the open track's file, read by the mixer as it plays
  bool playing_ = false;
  std::atomic<unsigned> play_{0};      // number of the current "Play"
  std::atomic<bool> halting_{false};   // our own halt: swallow its report
  static std::atomic<SdlMidiDevice*> instance_;
};

// The installed General MIDI soundfont (FluidR3 before TimGM6mb), or "" when there is none.
std::string FindSoundFont();

}  // namespace tumbol
