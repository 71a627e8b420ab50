#include "shell/qt_audio.h"

#include <QThread>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <vector>

#include "shell/qt_mixer_library.h"
#include "shell/qt_music_switch.h"
#include "shell/sound_files.h"
#include "tests/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

// A General MIDI file of one piano note held for a second; the synthesiser
// lets it ring out, so the track ends about three seconds after it starts.
std::string ShortMidi() {
  const std::string track("\x00\xFF\x51\x03\x07\xA1\x20\x00\xC0\x00"  // 500000 us a quarter, piano
                          "\x00\x90\x3C\x60\x87\x40\x80\x3C\x00"      // C4 on, 960 ticks later off
                          "\x00\xB0\x78\x00\x00\xFF\x2F\x00",         // all sound off, end of track
                          27);
  return std::string("MThd\0\0\0\6\0\0\0\1\x01\xE0MTrk\0\0\0", 21) + char(track.size()) + track;
}

TEST(SdlMidiDevice, TrackThatRunsOutReportsOnTheUiThreadAndOwnStopDoesNot) {
  if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  ASSERT_TRUE(EnsureAudioOpen());
  TempFolder dir;
  WriteBytes(dir / "short.mid", ShortMidi());
  SdlMidiDevice midi;
  std::vector<int> reports;
  bool offThread = false;
  midi.onDone = [&](int code) { reports.push_back(code), offThread |= QThread::currentThread() != qApp->thread(); };
  midi.FileName = (dir / "short.mid").string();
  midi.SendCommand("Open");
  midi.SendCommand("Play");
  EXPECT_FALSE(Mixer()->PlayingMusic());  // loading on the worker; it plays once loaded
  ASSERT_TRUE(QTest::qWaitFor([&] { return Mixer()->PlayingMusic(); }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.empty(); }, 15000));
  EXPECT_EQ(reports, std::vector<int>{1});
  EXPECT_FALSE(offThread);
  // Our own stop and close, mid-track, are never reported; a stop before
  // the load is done keeps the track from starting at all.
  reports.clear();
  for (const char* command : {"Close", "Open", "Play"}) midi.SendCommand(command);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Mixer()->PlayingMusic(); }, 5000));
  for (const char* command : {"Stop", "Close", "Open", "Play", "Stop"}) midi.SendCommand(command);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !midi.Loading(); }, 5000));
  EXPECT_FALSE(Mixer()->PlayingMusic());
  midi.SendCommand("Close");
  std::string tick0 = ShortMidi();  // the note ends where it starts, and the track a byte sooner
  tick0.replace(tick0.find("\x87\x40"), 2, 1, '\0'), --tick0[21];
  WriteBytes(dir / "tick0.mid", tick0);
  // The folder alone, as an empty playlist entry gives, and a track that ends at once: silence.
  for (const std::string& name : {dir.Slash(), (dir / "tick0.mid").string()}) {
    midi.FileName = name;
    for (const char* command : {"Open", "Play"}) midi.SendCommand(command);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !midi.Loading(); }, 5000));
    EXPECT_FALSE(Mixer()->PlayingMusic()) << name;
  }
  // A report of the halts would be queued by now; nothing plays that could end later.
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(reports.empty());
}

long ResidentMiB() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE) >> 20;
}

TEST(SdlSoundCues, MissingBrokenOrLongFilesPlayTheChimeAtOnce) {
  TempFolder dir;
  // Six and a half minutes of 8-bit mono in 3 MiB: 66 MiB once mixed.
  const uint32_t frames = 3u << 20;
  std::string wave = "RIFF" + std::string(4, '\0') + "WAVEfmt " + std::string("\x10\0\0\0\1\0\1\0\x40\x1F\0\0\x40\x1F\0\0\1\0\x08\0", 20) +
                     "data" + std::string(reinterpret_cast<const char*>(&frames), 4);
  wave.resize(wave.size() + frames, '\x80');
  WriteBytes(dir / "m1.wav", wave);
  WriteBytes(dir / "m2.wav", "not a wave file");
  WriteBytes(dir / "m3.wav", "");
  SdlSoundCues cues(dir.Slash());
  ASSERT_TRUE(EnsureAudioOpen());
  Mixer()->HaltChannel(-1);
  const long before = ResidentMiB();
  int sounding = 0;  // the cut ones fade out on their channels
  for (int cue : {1, 2, 3, 3}) {
    cues.PlaySoundCue(cue);
    EXPECT_EQ(Mixer()->Playing(-1), ++sounding) << cue;
  }
  EXPECT_LT(ResidentMiB() - before, 20);
}

// A second of 16-bit mono at 22.05 kHz that swells in over 0.1 s to `level` and holds it.
std::string Hold(int16_t level) {
  std::string pcm;
  for (int i = 0; i < 22050; ++i) {
    const auto v = static_cast<int16_t>(level * std::min(1.0, i / 2205.0));
    pcm += char(v & 0xFF), pcm += char(v >> 8 & 0xFF);
  }
  auto le = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  return "RIFF" + le(36 + uint32_t(pcm.size())) + "WAVEfmt " + le(16) + std::string("\1\0\1\0", 4) + le(22050) +
         le(44100) + std::string("\2\0\x10\0", 4) + "data" + le(uint32_t(pcm.size())) + pcm;
}

std::mutex heardLock;
std::vector<int16_t> heard;  // the mixer's output, 16-bit stereo

TEST(SdlSoundCues, ANewCueCutsTheLastWithAFadeNotAClick) {
  ASSERT_TRUE(EnsureAudioOpen());
  TempFolder dir;
  WriteBytes(dir / "m1.wav", Hold(12000));
  WriteBytes(dir / "m2.wav", Hold(0));
  using PostMix = void (*)(void (*)(void*, Uint8*, int), void*);
  const auto setPostMix = reinterpret_cast<PostMix>(dlsym(dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_NOLOAD), "Mix_SetPostMix"));
  ASSERT_NE(setPostMix, nullptr);
  setPostMix([](void*, Uint8* stream, int bytes) {
    std::lock_guard<std::mutex> hold(heardLock);
    heard.insert(heard.end(), reinterpret_cast<int16_t*>(stream), reinterpret_cast<int16_t*>(stream + bytes));
  }, nullptr);
  SdlSoundCues cues(dir.Slash());
  cues.PlaySoundCue(1);
  QTest::qWait(400);
  cues.PlaySoundCue(2);
  QTest::qWait(300);
  setPostMix(nullptr, nullptr);
  std::lock_guard<std::mutex> hold(heardLock);
  int loudest = 0, steepest = 0, last = 0;
  for (size_t i = 2; i < heard.size(); ++i) {
    loudest = std::max(loudest, std::abs(int(heard[i])));
    steepest = std::max(steepest, std::abs(heard[i] - heard[i - 2]));  // the same side a frame before
  }
  for (size_t i = heard.size() - std::min<size_t>(heard.size(), 8820); i < heard.size(); ++i)
    last = std::max(last, std::abs(int(heard[i])));
  EXPECT_GT(loudest, 11000);
  EXPECT_LT(steepest, 400);  // a cut falls by 12000 at once, the fade by 27 a frame
  EXPECT_LT(last, 50);       // and the new cue did cut it
}

TEST(SdlSoundCues, ShippedCueAndMusicFilesLoad) {
  ASSERT_TRUE(EnsureAudioOpen());
  const std::string data = TUMBOL_SOURCE_DIR "/data/";
  for (const char* name : {"m1.wav", "m2.wav", "m3.wav"}) {
    EXPECT_TRUE(IsCueWave(ReadBytes(data + name))) << name;
    Mix_Chunk* chunk = Mixer()->LoadWAV(ReadBytes(data + name));
    ASSERT_NE(chunk, nullptr) << name;
    EXPECT_GT(chunk->alen, 1000u) << name;
    Mixer()->FreeChunk(chunk);
  }
  for (int i = 1; i <= 9; ++i) EXPECT_TRUE(IsMusicTrack(ReadBytes(data + "music" + std::to_string(i) + ".mid"))) << i;
}

TEST(MusicSwitch, APressOnEitherPictureSwapsThemAndTellsThePlayer) {
  SdlMidiDevice midi;
  ScriptedToolkit toolkit;
  MusicPlayer music(midi, toolkit, "/nonexistent/");
  QWidget window;
  const auto image3 = MakeMusicSwitch(music, &window);
  window.show();
  ASSERT_FALSE(image3[0]->pixmap().isNull() || image3[1]->pixmap().isNull());
  EXPECT_TRUE(image3[1]->isVisible() && !image3[0]->isVisible());
  QTest::mousePress(image3[1], Qt::RightButton);  // any button
  EXPECT_TRUE(image3[0]->isVisible() && !image3[1]->isVisible());
  QTest::mousePress(image3[0], Qt::LeftButton);
  EXPECT_TRUE(image3[1]->isVisible() && !image3[0]->isVisible());
}

}  // namespace
}  // namespace tumbol
