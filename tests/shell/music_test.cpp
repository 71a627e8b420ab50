#include "shell/music.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

using Cmds = std::vector<std::string>;

// Records every command as "command file".
class FakeMidi : public MidiDevice {
 public:
  Cmds sent;
  // Takes what was sent since the last call.
  Cmds Take() { return std::move(sent); }
  void Report(int code) { onDone(code); }

 protected:
  void Execute(const std::string& cmd) override { sent.push_back(cmd + " " + FileName); }
};

class MusicTest : public ::testing::Test {
 protected:
  MusicTest() : music(midi, toolkit, "/g/") { music.FillPlaylist(); }
  FakeMidi midi;
  ScriptedToolkit toolkit;
  MusicPlayer music;
};

TEST_F(MusicTest, FirstTickPlaysTrackOneAndTracksCycleAfterTheNinth) {
  EXPECT_TRUE(music.SwitchShowsOn());
  music.Timer1_Timer();
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music1.mid", "Play /g/music1.mid"}));
  EXPECT_EQ(toolkit.doEventsCalls, 1);  // pending events are let through once, before the open
  for (int track = 2; track <= 10; ++track) {
    toolkit.Advance(150);
    midi.Report(1);
  }
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

TEST_F(MusicTest, OffDuringTrackThreeThenOnStartsTrackFourAndTheNinthWraps) {
  music.Timer1_Timer();
  midi.Report(1);
  midi.Report(1);
  std::vector<bool> shown;
  int repaints = 0;
  music.onSwitchChanged = [&](bool on) { shown.push_back(on); };
  music.onRepaint = [&] { ++repaints; };
  midi.Take();
  music.Image3_MouseDown(1);  // the on picture: switch off
  EXPECT_EQ(midi.Take(), (Cmds{"Stop /g/music3.mid", "Close /g/music3.mid"}));
  EXPECT_EQ(music.musicOff, -1);
  music.Image3_MouseDown(0);  // the off picture: switch on
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music4.mid", "Play /g/music4.mid"}));
  EXPECT_EQ(music.musicOff, 0);
  EXPECT_EQ(shown, (std::vector<bool>{false, true}));
  EXPECT_EQ(repaints, 2);
  music.trackIndex = 8;
  music.Image3_MouseDown(1);
  music.Image3_MouseDown(0);
  EXPECT_EQ(midi.Take().back(), "Play /g/music1.mid");
}

TEST_F(MusicTest, PressArrivingWhileTheSwitchIsHandledIsIgnored) {
  music.Timer1_Timer();
  music.Image3_MouseDown(1);  // off
  int nested = 0;
  toolkit.onDoEvents = [&] {  // pressed again while the open is prepared
    ++nested;
    music.Image3_MouseDown(1);
    music.Image3_MouseDown(0);
  };
  midi.Take();
  music.Image3_MouseDown(0);  // on
  EXPECT_EQ(nested, 1);
  EXPECT_TRUE(music.SwitchShowsOn());
  EXPECT_EQ(midi.Take(), (Cmds{"Open /g/music2.mid", "Play /g/music2.mid"}));
  toolkit.onDoEvents = nullptr;
  music.Image3_MouseDown(1);  // once handled, the switch answers again
  EXPECT_EQ(music.musicOff, -1);
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
