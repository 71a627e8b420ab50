#pragma once
// Sound through SDL2_mixer: the three wave cues on the mixer's channels and the
// MIDI device behind the background music (FluidSynth with a GM soundfont, its
// tracks voiced and their level set for the font).
// The audio device is opened at the first cue or the first "Open", never
// while the game window is being set up, and on the audio worker: opening
// it, loading a track (the soundfont with it) and freeing one each take far
// longer than a frame, so none of them runs on the interface thread.
#include <QObject>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "base/seams.h"
#include "shell/midi_device.h"

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace tumbol {

// Opens SDL audio and the mixer once per program; false when there is no
// audio device (then every sound stays silent). Later calls are free. Waits
// for the opening: the interface thread asks AudioReady instead.
bool EnsureAudioOpen();
// True once the device is open; the first call has the audio worker open
// it, and until it is open every call says false at once.
bool AudioReady();

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
// Commands take effect in the order sent. "Open" returns at once and the
// track loads on the audio worker; a "Play" sent meanwhile starts it the
// moment it is loaded, unless a "Stop" or "Close" came first. Only starting
// and halting a loaded track happen on the interface thread.
class SdlMidiDevice : public MidiDevice {
 public:
  SdlMidiDevice();
  ~SdlMidiDevice() override;

  // A track is loading on the worker.
  bool Loading() const { return loading_ != 0; }

 protected:
  void Execute(const std::string& cmd) override;

 private:
  // A loaded track and the file it plays from, which must outlive it.
  struct Track {
    Mix_Music* music = nullptr;
    std::shared_ptr<std::string> bytes;
  };
  static void MusicFinished();  // audio thread
  void Halt();
  void Free();
  void Play();
  void Deliver(unsigned play);
  void Loaded();  // a load's result is in loaded_

  std::unique_ptr<QObject> receiver_;  // lives on the UI thread
  Track track_;                        // the open track
  unsigned open_ = 0;                  // number of the current "Open"; a load for another is dropped
  unsigned loading_ = 0;               // the "Open" whose track is loading, 0 for none
  bool playWanted_ = false;            // "Play" came while its track was loading
  std::mutex loadedLock_;
  std::map<unsigned, Track> loaded_;   // loads done on the worker, by "Open" number, not yet taken
  bool playing_ = false;
  std::atomic<unsigned> play_{0};      // number of the current "Play"
  std::atomic<bool> halting_{false};   // our own halt: swallow its report
  static std::atomic<SdlMidiDevice*> instance_;
};

// The installed General MIDI soundfont (FluidR3 before TimGM6mb), or "" when there is none.
std::string FindSoundFont();

}  // namespace tumbol
