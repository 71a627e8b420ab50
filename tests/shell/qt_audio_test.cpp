#include "shell/qt_audio.h"

#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "shell/data_file.h"
#include "shell/qt_mixer_library.h"
#include "shell/qt_music_switch.h"
#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

// A General MIDI file of one short piano note; the synthesiser lets it ring
// out, so the track ends about two seconds after it starts.
std::string WriteShortMidi(const QTemporaryDir& dir) {
  const std::vector<unsigned char> track = {
      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500000 us a quarter
      0x00, 0xC0, 0x00,                          // piano
      0x00, 0x90, 0x3C, 0x60,                    // note on C4
      0x60, 0x80, 0x3C, 0x00,                    // 96 ticks later: note off
      0x00, 0xB0, 0x78, 0x00,                    // all sound off
      0x00, 0xFF, 0x2F, 0x00};                   // end of track
  std::vector<unsigned char> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
                                     'M', 'T', 'r', 'k', 0, 0, 0, static_cast<unsigned char>(track.size())};
  file.insert(file.end(), track.begin(), track.end());
  const std::string path = dir.filePath("short.mid").toStdString();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  return path;
}

struct Reports {
  std::vector<int> codes;
  bool offThread = false;
  void Attach(MidiDevice& device) {
    device.onDone = [this](int code) {
      codes.push_back(code);
      if (QThread::currentThread() != QCoreApplication::instance()->thread()) offThread = true;
    };
  }
};

TEST(SdlMidiDevice, TrackThatRunsOutReportsOnTheUiThreadAndOwnStopDoesNot) {
  if (FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI soundfont installed";
  ASSERT_TRUE(EnsureAudioOpen());
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  SdlMidiDevice midi;
  Reports reports;
  reports.Attach(midi);
  midi.FileName = WriteShortMidi(dir);

  midi.SendCommand("Open");
  midi.SendCommand("Play");
  EXPECT_TRUE(Mixer()->PlayingMusic());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.codes.empty(); }, 4000));
  EXPECT_EQ(reports.codes, std::vector<int>{1});
  EXPECT_FALSE(reports.offThread);

  // Our own stop and close, mid-track, are never reported.
  reports.codes.clear();
  midi.SendCommand("Close");
  midi.SendCommand("Open");
  midi.SendCommand("Play");
  QTest::qWait(150);
  midi.SendCommand("Stop");
  midi.SendCommand("Close");
  EXPECT_FALSE(Mixer()->PlayingMusic());
  QTest::qWait(900);
  EXPECT_TRUE(reports.codes.empty());
}

TEST(SdlMidiDevice, MissingFileStaysSilent) {
  QTemporaryDir dir;
  SdlMidiDevice midi;
  Reports reports;
  reports.Attach(midi);
  midi.FileName = dir.filePath("music1.mid").toStdString();
  midi.SendCommand("Open");
  midi.SendCommand("Play");
  EXPECT_FALSE(Mixer()->PlayingMusic());
  midi.SendCommand("Stop");
  midi.SendCommand("Close");
  // Nor does a folder name, what an empty playlist entry gives.
  midi.FileName = dir.path().toStdString() + "/";
  midi.SendCommand("Open");
  midi.SendCommand("Play");
  EXPECT_FALSE(Mixer()->PlayingMusic());
  QTest::qWait(100);
  EXPECT_TRUE(reports.codes.empty());
  EXPECT_EQ(midi.Command(), "Play");
}

TEST(SdlSoundCues, MissingOrBrokenFilesPlayTheChime) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString() + "/";
  std::ofstream(folder + "m2.wav") << "not a wave file";
  std::ofstream(folder + "m3.wav");  // empty
  SdlSoundCues cues(folder);
  for (int cue : {1, 2, 3, 3}) {
    cues.PlaySoundCue(cue);
    if (EnsureAudioOpen()) EXPECT_TRUE(Mixer()->Playing(0)) << cue;
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
