#include "shell/qt_audio.h"

#include <QThread>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <vector>

#include "shell/qt_mixer_library.h"
#include "shell/qt_music_switch.h"
#include "shell/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

// A General MIDI file of one short piano note; the synthesiser lets it ring
// out, so the track ends about two seconds after it starts.
std::string ShortMidi() {
  const std::string track("\x00\xFF\x51\x03\x07\xA1\x20\x00\xC0\x00"  // 500000 us a quarter, piano
                          "\x00\x90\x3C\x60\x60\x80\x3C\x00"          // C4 on, 96 ticks later off
                          "\x00\xB0\x78\x00\x00\xFF\x2F\x00",         // all sound off, end of track
                          26);
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
  EXPECT_TRUE(Mixer()->PlayingMusic());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.empty(); }, 15000));
  EXPECT_EQ(reports, std::vector<int>{1});
  EXPECT_FALSE(offThread);
  // Our own stop and close, mid-track, are never reported.
  reports.clear();
  for (const char* command : {"Close", "Open", "Play"}) midi.SendCommand(command);
  EXPECT_TRUE(Mixer()->PlayingMusic());
  midi.SendCommand("Stop");
  midi.SendCommand("Close");
  midi.FileName = dir.Slash();  // the folder alone, as an empty playlist entry gives: silence
  for (const char* command : {"Open", "Play"}) midi.SendCommand(command);
  EXPECT_FALSE(Mixer()->PlayingMusic());
  // A report of the halts would be queued by now; nothing plays that could end later.
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(reports.empty());
}

TEST(SdlSoundCues, MissingOrBrokenFilesPlayTheChime) {
  TempFolder dir;
  WriteBytes(dir / "m2.wav", "not a wave file");
  WriteBytes(dir / "m3.wav", "");
  SdlSoundCues cues(dir.Slash());
  for (int cue : {1, 2, 3, 3}) {
    cues.PlaySoundCue(cue);
    EXPECT_TRUE(EnsureAudioOpen() && Mixer()->Playing(0)) << cue;
  }
}

TEST(SdlSoundCues, ShippedCueFilesLoad) {
  ASSERT_TRUE(EnsureAudioOpen());
  for (const char* name : {"m1.wav", "m2.wav", "m3.wav"}) {
    Mix_Chunk* chunk = Mixer()->LoadWAV(ReadBytes(std::string(TUMBOL_SOURCE_DIR "/data/") + name));
    ASSERT_NE(chunk, nullptr) << name;
    EXPECT_GT(chunk->alen, 1000u) << name;
    Mixer()->FreeChunk(chunk);
  }
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
