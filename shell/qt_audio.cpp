#include "shell/qt_audio.h"

#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "base/data_file.h"
#include "base/file_exists.h"
#include "shell/qt_mixer_library.h"
#include "shell/sound_files.h"

namespace tumbol {

namespace {

// A new cue cuts the one sounding, but fades it out over 10 ms on its channel
// while the new one starts on another: a cut in mid-wave clicks. SDL_mixer's
// own fades step once per mixing buffer (46 ms here), so the fade is an effect
// on the channel's samples.
constexpr int kCueChannels = 4;
constexpr int kFadeFrames = 441;  // 10 ms at 44.1 kHz
struct CueChannel {
  std::atomic<int> fadeLeft{-1};  // frames of the fade still to play; -1: not fading, 0: faded out
  unsigned started = 0;           // when it was started, counted in cues
};
CueChannel cueChannels[kCueChannels];
unsigned cuesStarted = 0;

// Audio thread: the channel's next samples, 16-bit stereo, before they are mixed.
void FadeCue(int, void* stream, int bytes, void* data) {
  auto& channel = *static_cast<CueChannel*>(data);
  int left = channel.fadeLeft.load();
  if (left < 0) return;
  auto* samples = static_cast<int16_t*>(stream);
  for (int frame = 0; frame < bytes / 4; ++frame) {
    const double gain = double(left) / kFadeFrames;
    samples[2 * frame] = static_cast<int16_t>(samples[2 * frame] * gain);
    samples[2 * frame + 1] = static_cast<int16_t>(samples[2 * frame + 1] * gain);
    left = std::max(0, left - 1);
  }
  channel.fadeLeft = left;
}

// A soft two-note chime for a cue whose file is missing, made once.
Mix_Chunk* DefaultChime() {
  static Mix_Chunk* chime = [] {
    int freq = 0, channels = 0;
    Uint16 format = 0;
    if (!Mixer()->QuerySpec(&freq, &format, &channels) || format != AUDIO_S16SYS) return (Mix_Chunk*)nullptr;
    const int frames = freq * 22 / 100;
    static std::vector<int16_t> pcm;
    pcm.assign(static_cast<size_t>(frames) * channels, 0);
    for (int i = 0; i < frames; ++i) {
      const double t = double(i) / freq;
      const double second = t > 0.07 ? std::sin(2 * M_PI * 1318.5 * t) * std::exp(-(t - 0.07) * 18) : 0;
      const double first = std::sin(2 * M_PI * 987.8 * t) * std::exp(-t * 22);
      const double attack = std::min(1.0, t * 400);
      const auto v = static_cast<int16_t>(9000 * attack * (first + 0.8 * second));
      for (int c = 0; c < channels; ++c) pcm[size_t(i) * channels + c] = v;
    }
    return Mixer()->QuickLoad_RAW(reinterpret_cast<Uint8*>(pcm.data()),
                             static_cast<Uint32>(pcm.size() * sizeof(int16_t)));
  }();
  return chime;
}

// The audio worker: one thread that runs the slow audio work in the order
// it was posted, started at the first job; it finishes what was posted
// before the program ends.
class AudioWorker {
 public:
  static AudioWorker& Get() {
    static AudioWorker worker;
    return worker;
  }
  void Post(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    wake_.notify_one();
  }
  // Returns once every job posted before has run.
  void Drain() {
    std::promise<void> done;
    std::future<void> ran = done.get_future();
    Post([&done] { done.set_value(); });
    ran.wait();
  }
  ~AudioWorker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::thread thread_;
  bool stopping_ = false;
};

enum AudioState { kNotAsked, kOpening, kOpen, kNoDevice };
std::atomic<int> audioState{kNotAsked};

}  // namespace

bool AudioReady() {
  int state = kNotAsked;
  if (audioState.compare_exchange_strong(state, kOpening)) AudioWorker::Get().Post([] { EnsureAudioOpen(); });
  return audioState.load() == kOpen;
}

bool EnsureAudioOpen() {
  static const bool open = [] {
    if (Mixer() == nullptr) return false;
    // SDL would otherwise catch SIGTERM and SIGINT for an event queue nobody
    // reads, and the game could then only be killed with SIGKILL.
    Mixer()->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (Mixer()->InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    Mixer()->Init(MIX_INIT_MID);
    if (Mixer()->OpenAudio(44100, AUDIO_S16SYS, 2, 2048) != 0) {
      Mixer()->QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    Mixer()->AllocateChannels(kCueChannels);  // one sounds; the others fade out what it cut
    const std::string font = FindSoundFont();
    if (!font.empty()) Mixer()->SetSoundFonts(font.c_str());
    Mixer()->VolumeMusic(VoicingFor(font).musicVolume);
    return true;
  }();
  audioState = open ? kOpen : kNoDevice;
  return open;
}

std::string FindSoundFont() {
  // FluidR3's piano is the richer when it is installed; TimGM6mb is the one the game depends on.
  for (const char* path : {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                           "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2"}) {
    const QFileInfo file(QString::fromUtf8(path));
    if (file.isReadable()) return file.canonicalFilePath().toStdString();  // a link names the font it stands for
  }
  return "";
}

// ---- cues ----

SdlSoundCues::~SdlSoundCues() {
  if (chunks_.empty() || !AudioReady()) return;
  Mixer()->HaltChannel(-1);
  for (auto& entry : chunks_)
    if (entry.second) Mixer()->FreeChunk(entry.second);
}

Mix_Chunk* SdlSoundCues::ChunkFor(const std::string& path) {
  auto found = chunks_.find(path);
  if (found != chunks_.end()) return found->second;
  std::string bytes;
  const bool usable = FileExists(path) && ReadCueWave(path, bytes);
  Mix_Chunk* chunk = usable ? Mixer()->LoadWAV(bytes) : nullptr;
  if (chunk && chunk->alen == 0) {
    Mixer()->FreeChunk(chunk);
    chunk = nullptr;
  }
  chunks_[path] = chunk;
  return chunk;
}

void SdlSoundCues::PlaySoundCue(int cue) {
  // A cue while the device is still being opened is not heard.
  if (cue < 1 || cue > 3 || !AudioReady()) return;
  Mix_Chunk* chunk = ChunkFor(path_work + "m" + std::to_string(cue) + ".wav");
  if (!chunk) chunk = DefaultChime();
  // The channel that is free or, when none is, the one started longest ago.
  int next = 0;
  for (int c = 0; c < kCueChannels; ++c) {
    const bool busy = Mixer()->Playing(c);
    if (busy && cueChannels[c].fadeLeft.load() < 0) {
      cueChannels[c].fadeLeft = kFadeFrames;
      Mixer()->ExpireChannel(c, 100);  // silent by then: the fade ends within the next mixing buffer
    }
    if (!busy) cueChannels[c].started = 0;
    if (cueChannels[c].started < cueChannels[next].started) next = c;
  }
  Mixer()->HaltChannel(next);
  if (!chunk) return;
  cueChannels[next].fadeLeft = -1;
  cueChannels[next].started = ++cuesStarted;
  Mixer()->UnregisterAllEffects(next);
  Mixer()->RegisterEffect(next, &FadeCue, nullptr, &cueChannels[next]);
  Mixer()->PlayChannelTimed(next, chunk, 0, -1);
}

// ---- MIDI ----

std::atomic<SdlMidiDevice*> SdlMidiDevice::instance_{nullptr};

SdlMidiDevice::SdlMidiDevice() : receiver_(std::make_unique<QObject>()) {}

SdlMidiDevice::~SdlMidiDevice() {
  ++open_;
  Free();
  // Loads still running finish first (one may hook the device up); whatever
  // they loaded goes too.
  AudioWorker::Get().Drain();
  if (instance_.load() == this) {
    Mixer()->HookMusicFinished(nullptr);  // waits for a hook that is running
    instance_ = nullptr;
  }
  for (auto& entry : loaded_)
    if (entry.second.music) Mixer()->FreeMusic(entry.second.music);
}

void SdlMidiDevice::MusicFinished() {
  SdlMidiDevice* self = instance_.load();
  if (!self || self->halting_.load()) return;
  const unsigned play = self->play_.load();
  QMetaObject::invokeMethod(
      self->receiver_.get(), [self, play] { self->Deliver(play); }, Qt::QueuedConnection);
}

void SdlMidiDevice::Deliver(unsigned play) {
  // A report that crossed a later Stop, Close or Play belongs to nothing.
  if (play != play_.load() || !playing_) return;
  playing_ = false;
  if (onDone) onDone(1);
}

void SdlMidiDevice::Halt() {
  if (!track_.music) return;
  playing_ = false;
  halting_ = true;
  Mixer()->HaltMusic();
  halting_ = false;
}

void SdlMidiDevice::Free() {
  Halt();
  // Freeing a track (a synthesiser and its soundfont) takes a while too.
  if (track_.music) AudioWorker::Get().Post([track = track_] { Mixer()->FreeMusic(track.music); });
  track_ = Track();
}

void SdlMidiDevice::Play() {
  if (!track_.music) return;
  Halt();
  ++play_;
  playing_ = Mixer()->PlayMusic(track_.music, 0) == 0;
}

void SdlMidiDevice::Loaded() {
  std::map<unsigned, Track> done;
  {
    std::lock_guard<std::mutex> lock(loadedLock_);
    done.swap(loaded_);
  }
  for (auto& [open, track] : done) {
    if (open != open_ || open != loading_) {
      // Closed or opened anew while it loaded.
      if (track.music) AudioWorker::Get().Post([music = track.music, bytes = track.bytes] { Mixer()->FreeMusic(music); });
      continue;
    }
    loading_ = 0;
    track_ = track;
    if (playWanted_) Play();
    playWanted_ = false;
  }
}

void SdlMidiDevice::Execute(const std::string& cmd) {
  if (cmd == "Open") {
    Free();
    playWanted_ = false;
    loading_ = ++open_;
    AudioWorker::Get().Post([this, open = open_, name = FileName] {
      Track track;
      const std::string font = FindSoundFont();
      auto bytes = std::make_shared<std::string>();
      if (!font.empty() && EnsureAudioOpen() && FileExists(name) && ReadMusicTrack(name, *bytes)) {
        *bytes = VoiceTrack(std::move(*bytes), VoicingFor(font));
        if (instance_.load() != this) {
          instance_ = this;
          Mixer()->HookMusicFinished(&SdlMidiDevice::MusicFinished);
        }
        track = {Mixer()->LoadMUS(*bytes), bytes};
      }
      {
        std::lock_guard<std::mutex> lock(loadedLock_);
        loaded_[open] = track;
      }
      QMetaObject::invokeMethod(receiver_.get(), [this] { Loaded(); }, Qt::QueuedConnection);
    });
  } else if (cmd == "Play") {
    if (loading_ != 0)
      playWanted_ = true;
    else
      Play();
  } else if (cmd == "Stop") {
    playWanted_ = false;
    Halt();
  } else if (cmd == "Close") {
    playWanted_ = false;
    loading_ = 0;
    Free();
  }
}

}  // namespace tumbol
