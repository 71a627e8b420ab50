#include "shell/qt_audio.h"

#include <QThread>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <vector>

#include "shell/data_file.h"
#include "shell/qt_mixer_library.h"
#include "shell/qt_music_switch.h"
#include "shell/scripted_toolkit.h"
#include "tests/temp_folder.h"

namespace tumbol {
namespace {

// A General MIDI file of one short piano note; the synthesiser lets it ring
// out, so the track ends about two seconds after it starts.
std::string ShortMidi() {
  const std::string track("\x00\xFF\x51\x03\x07\xA1\x20"  // 500000 us a quarter
                          "\x00\xC0\x00"                  // piano
                          "\x00\x90\x3C\x60"              // note on C4
                          "\x60\x80\x3C\x00"              // 96 ticks later: note off
                          "\x00\xB0\x78\x00"              // all sound off
                          "\x00\xFF\x2F\x00",             // end of track
                          26);
  return std::string("MThd\0\0\0\6\0\0\0\1\x01\xE0MTrk\0\0\0", 21) + char(track.size()) + track;
}

// Records the device's reports, and whether one came off the UI thread.
struct Reports {
  explicit Reports(MidiDevice& device) {
    device.onDone = [this](int code) {
      codes.push_back(code);
      offThread |= QThread::currentThread() != qApp->thread();
    };
  }
  std::vector<int> codes;
  bool offThread = false;
};

TEST(SdlMidiDevice, TrackThatRunsOutReportsOnTheUiThreadAndOwnStopDoesNot) {
  if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  ASSERT_TRUE(EnsureAudioOpen());
  TempFolder dir;
  WriteBytes(dir / "short.mid", ShortMidi());
  SdlMidiDevice midi;
  Reports reports(midi);
  midi.FileName = (dir / "short.mid").string();
  midi.SendCommand("Open");
  midi.SendCommand("Play");
  EXPECT_TRUE(Mixer()->PlayingMusic());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.codes.empty(); }, 4000));
  EXPECT_EQ(reports.codes, std::vector<int>{1});
  EXPECT_FALSE(reports.offThread);
  // Our own stop and close, mid-track, are never reported.
  reports.codes.clear();
  for (const char* command : {"Close", "Open", "Play"}) midi.SendCommand(command);
  QTest::qWait(150);
  midi.SendCommand("Stop");
  midi.SendCommand("Close");
  EXPECT_FALSE(Mixer()->PlayingMusic());
  QTest::qWait(900);
  EXPECT_TRUE(reports.codes.empty());
}

TEST(SdlMidiDevice, AMissingFileOrAFolderStaysSilent) {
  TempFolder dir;
  SdlMidiDevice midi;
  Reports reports(midi);
  // The folder alone is what an empty playlist entry gives.
  for (const std::string& name : {(dir / "music1.mid").string(), dir.Slash()}) {
    midi.FileName = name;
    midi.SendCommand("Open");
    midi.SendCommand("Play");
    EXPECT_FALSE(Mixer()->PlayingMusic()) << name;
    EXPECT_EQ(midi.Command(), "Play");
  }
  QTest::qWait(100);
  EXPECT_TRUE(reports.codes.empty());
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
  cues.PlaySoundCue(0);  // not a cue: ignored
  cues.PlaySoundCue(7);
}

TEST(SdlSoundCues, ShippedCueFilesLoad) {
  const std::string data = std::string(TUMBOL_SOURCE_DIR) + "/data/";
  ASSERT_TRUE(EnsureAudioOpen());
  for (int cue : {1, 2, 3}) {
    std::string bytes;
    ASSERT_TRUE(ReadDataFile(data + "m" + std::to_string(cue) + ".wav", bytes)) << cue;
    Mix_Chunk* chunk = Mixer()->LoadWAV(bytes);
    ASSERT_NE(chunk, nullptr) << cue;
    EXPECT_GT(chunk->alen, 1000u);
    Mixer()->FreeChunk(chunk);
  }
}

// Records the device's commands; nothing sounds.
class QuietMidi : public MidiDevice {
 public:
  std::vector<std::string> sent;

 protected:
  void Execute(const std::string& cmd) override { sent.push_back(cmd + " " + FileName); }
};

TEST(MusicSwitch, APressOnEitherPictureSwapsThemAndTellsThePlayer) {
  QuietMidi midi;
  ScriptedToolkit toolkit;
  MusicPlayer music(midi, toolkit, "/game/");
  music.FillPlaylist();
  QWidget window;
  const auto image3 = MakeMusicSwitch(music, &window);
  window.show();
  ASSERT_FALSE(image3[0]->pixmap().isNull() || image3[1]->pixmap().isNull());
  EXPECT_TRUE(image3[1]->isVisible() && !image3[0]->isVisible());
  QTest::mousePress(image3[1], Qt::RightButton);  // any button
  EXPECT_EQ(music.musicOff, -1);
  EXPECT_TRUE(image3[0]->isVisible() && !image3[1]->isVisible());
  QTest::mousePress(image3[0], Qt::LeftButton);
  EXPECT_TRUE(image3[1]->isVisible() && !image3[0]->isVisible());
  EXPECT_EQ(midi.sent.back(), "Play /game/music2.mid");
}

}  // namespace
}  // namespace tumbol
