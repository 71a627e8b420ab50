#include "shell/qt_audio.h"

#include <QtTest/QTest>
#include <QWidget>

#include "shell/data_file.h"
#include "shell/qt_music_switch.h"
#include "shell/scripted_toolkit.h"

#include "shell/qt_mixer_library.h"
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <fstream>
#include <vector>

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

// Runs the event loop until `done` holds or `ms` pass; returns `done`.
template <typename Pred>
bool SpinUntil(Pred done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
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
  ASSERT_TRUE(SpinUntil([&] { return !reports.codes.empty(); }, 4000));
  EXPECT_EQ(reports.codes, std::vector<int>{1});
  EXPECT_FALSE(reports.offThread);

  // Our own stop and close, mid-track, are never reported.
  reports.codes.clear();
  midi.SendCommand("Close");
  midi.SendCommand("Open");
  midi.SendCommand("Play");
  SpinUntil([] { return false; }, 150);
  midi.SendCommand("Stop");
  midi.SendCommand("Close");
  EXPECT_FALSE(Mixer()->PlayingMusic());
  SpinUntil([] { return false; }, 900);
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
  SpinUntil([] { return false; }, 100);
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

TEST(SdlSoundCues, ShippedCueFilesLoadAndPlay) {
  const std::string data = std::string(TUMBOL_SOURCE_DIR) + "/data/";
  if (!std::ifstream(data + "m1.wav")) GTEST_SKIP() << "sound files not generated";
  ASSERT_TRUE(EnsureAudioOpen());
  for (int cue : {1, 2, 3}) {
    std::string bytes;
    ASSERT_TRUE(ReadDataFile(data + "m" + std::to_string(cue) + ".wav", bytes)) << cue;
    Mix_Chunk* chunk = Mixer()->LoadWAV(bytes);
    ASSERT_NE(chunk, nullptr) << cue;
    EXPECT_GT(chunk->alen, 1000u);
    Mixer()->FreeChunk(chunk);
  }
  SdlSoundCues cues(data);
  cues.PlaySoundCue(2);
  EXPECT_TRUE(Mixer()->Playing(0));
}

// Records the device's commands; nothing sounds.
class QuietMidi : public MidiDevice {
 public:
  std::vector<std::string> sent;

 protected:
  void Execute(const std::string& cmd) override { sent.push_back(cmd + " " + FileName); }
};

TEST(MusicSwitch, PressesOnThePicturesTurnTheMusicOffAndOn) {
  QuietMidi midi;
  ScriptedToolkit toolkit;
  MusicPlayer music(midi, toolkit, "/game/");
  music.FillPlaylist();
  QWidget window;
  window.resize(760, 614);
  const auto image3 = MakeMusicSwitch(music, &window);
  window.show();
  ASSERT_FALSE(image3[0]->pixmap().isNull());
  ASSERT_FALSE(image3[1]->pixmap().isNull());
  EXPECT_EQ(image3[1]->geometry(), QRect(458, 551, 21, 21));
  EXPECT_EQ(image3[0]->geometry(), image3[1]->geometry());
  EXPECT_EQ(image3[1]->toolTip(), QStringLiteral("Музыка"));
  EXPECT_TRUE(image3[1]->isVisible());
  EXPECT_FALSE(image3[0]->isVisible());

  music.Timer1_Timer();
  QTest::mousePress(image3[1], Qt::RightButton);  // any button
  EXPECT_EQ(music.musicOff, -1);
  EXPECT_FALSE(image3[1]->isVisible());
  EXPECT_TRUE(image3[0]->isVisible());
  QTest::mousePress(image3[0], Qt::LeftButton);
  EXPECT_EQ(music.musicOff, 0);
  EXPECT_TRUE(image3[1]->isVisible());
  EXPECT_FALSE(image3[0]->isVisible());
  EXPECT_EQ(midi.sent.back(), "Play /game/music2.mid");
}

}  // namespace
}  // namespace tumbol
