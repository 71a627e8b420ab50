#include "shell/music.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/scripted_toolkit.h"

namespace tumbol {
namespace {

using Cmds = std::vector<std::string>;

// Records every command as "command file".
struct FakeMidi : MidiDevice {
  Cmds Take() { return std::move(sent); }  // what was sent since the last call
  void Report(int code) { onDone(code); }
  void Execute(const std::string& cmd) override { sent.push_back(cmd + " " + FileName); }
  Cmds sent;
};

class MusicTest : public ::testing::Test {
 protected:
  MusicTest() : music(midi, toolkit, "/g/") { music.FillPlaylist(); }
  FakeMidi midi;
  ScriptedToolkit toolkit;
  MusicPlayer music;
};

TEST_F(MusicTest, FirstTickPlaysTrackOneAndTracksCycleAfterTheNinth) {
  music.Timer1_Timer();
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music1.mid", "Play /g/music1.mid"}));
  EXPECT_EQ(toolkit.doEventsCalls, 1);  // pending events are let through once, before the open
  for (int track = 2; track <= 10; ++track) toolkit.Advance(150), midi.Report(1);
  EXPECT_EQ(midi.Take().back(), "Play /g/music1.mid");
  toolkit.Advance(150);
  midi.Report(1);
  EXPECT_EQ(midi.Take(), (Cmds{"Stop /g/music1.mid", "Close /g/music1.mid", "Open /g/music2.mid", "Play /g/music2.mid"}));
  // Any other report plays the same track again.
  for (int code : {0, 2, 4, 8}) {
    midi.Report(code);
    EXPECT_EQ(midi.Take().back(), "Play /g/music2.mid") << code;
  }
}

TEST_F(MusicTest, ARoundOfTracksThatEndAtOnceRestsUntilTheSwitch) {
  music.Timer1_Timer();
  midi.Report(1);  // one broken track among good ones: on to the next
  toolkit.Advance(150);
  midi.Report(1);
  EXPECT_EQ(midi.sent.back(), "Play /g/music3.mid");
  for (int i = 0; i < 8; ++i) midi.Report(1);
  EXPECT_EQ(midi.sent.back(), "Play /g/music2.mid");
  midi.Take();
  midi.Report(1);  // the ninth in a row: every file is broken
  EXPECT_TRUE(midi.sent.empty());
  music.Image3_MouseDown(1);
  music.Image3_MouseDown(0);
  EXPECT_EQ(midi.Take().back(), "Play /g/music3.mid");
  midi.Report(1);
  EXPECT_EQ(midi.Take().back(), "Play /g/music4.mid");
}

TEST_F(MusicTest, OffDuringTrackThreeThenOnStartsTrackFourTheNinthWrapsAndPressesMeanwhileAreIgnored) {
  music.Timer1_Timer();
  for (int i = 0; i < 2; ++i) midi.Report(1);  // on to track three
  int repaints = 0;
  music.onRepaint = [&] { ++repaints; };
  midi.Take();
  music.Image3_MouseDown(1);  // the on picture: switch off
  EXPECT_EQ(midi.Take(), (Cmds{"Stop /g/music3.mid", "Close /g/music3.mid"}));
  music.Image3_MouseDown(0);  // the off picture: switch on
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music4.mid", "Play /g/music4.mid"}));
  EXPECT_EQ(repaints, 2);
  music.trackIndex = 8;
  music.Image3_MouseDown(1);
  music.Image3_MouseDown(0);
  EXPECT_EQ(midi.Take().back(), "Play /g/music1.mid");
  // Presses arriving while a press is handled are ignored.
  music.Image3_MouseDown(1);
  toolkit.onDoEvents = [&] {  // while the open is prepared
    music.Image3_MouseDown(1);
    music.Image3_MouseDown(0);
  };
  midi.Take();
  music.Image3_MouseDown(0);
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music2.mid", "Play /g/music2.mid"}));
  toolkit.onDoEvents = nullptr;
  music.Image3_MouseDown(1);  // once handled, the switch answers again
  EXPECT_EQ(midi.Take(), (Cmds{"Stop /g/music2.mid", "Close /g/music2.mid"}));
}

TEST_F(MusicTest, StopAndCloseOnlyFollowAPlay) {
  music.StartMusic();  // nothing was played yet: no stop, no close
  music.ToggleMusic();  // off: stopped and closed, nothing more
  music.PrepareMusic();  // off again after a close
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music1.mid", "Play /g/music1.mid", "Stop /g/music1.mid", "Close /g/music1.mid"}));
  // A device last told "Open" (a file that failed to play) is opened again without a stop.
  music.musicOff = 0;
  midi.SendCommand("Open");
  midi.Take();
  music.StartMusic();
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music1.mid", "Play /g/music1.mid"}));
}

TEST_F(MusicTest, EmptyPlaylistOpensTheFolderAndReportsOutliveNoPlayer) {
  music.List1.clear();
  music.Timer1_Timer();
  EXPECT_EQ(midi.Take()[0], "Open /g/");
  midi.Report(1);
  EXPECT_EQ(music.trackIndex, 0);
  FakeMidi device;
  { MusicPlayer shortLived(device, toolkit, "/x/"); }
  EXPECT_FALSE(static_cast<bool>(device.onDone));
}

}  // namespace
}  // namespace tumbol
