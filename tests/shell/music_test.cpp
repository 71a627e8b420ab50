#include "shell/music.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/scripted_toolkit.h"

namespace tumbol {
namespace {

// Records every command with the file name and flags in force when it was sent.
class FakeMidi : public MidiDevice {
 public:
  struct Sent {
    std::string cmd;
    std::string file;
    bool notify, wait, shareable;
  };
  std::vector<Sent> sent;
  std::vector<std::string> Commands() const {
    std::vector<std::string> out;
    for (const Sent& s : sent) out.push_back(s.cmd);
    return out;
  }
  // The file of the most recent "Play".
  std::string Playing() const {
    for (auto it = sent.rbegin(); it != sent.rend(); ++it)
      if (it->cmd == "Play") return it->file;
    return "";
  }
  void Report(int code) { onDone(code); }

 protected:
  void Execute(const std::string& cmd) override { sent.push_back({cmd, FileName, Notify, Wait, Shareable}); }
};

using Cmds = std::vector<std::string>;

class MusicTest : public ::testing::Test {
 protected:
  MusicTest() : music(midi, toolkit, "/game/") { music.FillPlaylist(); }
  FakeMidi midi;
  ScriptedToolkit toolkit;
  MusicPlayer music;
};

TEST_F(MusicTest, FirstTickPlaysTrackOneAndTracksCycle) {
  EXPECT_TRUE(music.SwitchShowsOn());
  music.Timer1_Timer();
  EXPECT_EQ(midi.Commands(), (Cmds{"Open", "Play"}));
  const FakeMidi::Sent& open = midi.sent[0];
  EXPECT_EQ(open.file, "/game/music1.mid");
  EXPECT_TRUE(!open.notify && open.wait && !open.shareable);
  EXPECT_EQ(toolkit.doEventsCalls, 1);  // pending events are let through once, before the open
  std::vector<std::string> played{midi.Playing()};
  for (int i = 0; i < 10; ++i) {
    toolkit.Advance(150);
    midi.Report(1);
    played.push_back(midi.Playing());
  }
  EXPECT_EQ(played[1], "/game/music2.mid");
  EXPECT_EQ(played[8], "/game/music9.mid");
  EXPECT_EQ(played[9], "/game/music1.mid");
  EXPECT_EQ(played[10], "/game/music2.mid");
  // Each change of track stops and closes the old one before opening the new.
  const Cmds all = midi.Commands();
  EXPECT_EQ(Cmds(all.end() - 4, all.end()), (Cmds{"Stop", "Close", "Open", "Play"}));
}

TEST_F(MusicTest, ARoundOfTracksThatEndAtOnceRestsUntilTheSwitch) {
  music.Timer1_Timer();
  midi.Report(1);  // one broken track among good ones: on to the next
  toolkit.Advance(150);
  midi.Report(1);
  EXPECT_EQ(midi.Playing(), "/game/music3.mid");
  for (int i = 0; i < 8; ++i) midi.Report(1);
  EXPECT_EQ(midi.Playing(), "/game/music2.mid");
  midi.sent.clear();
  midi.Report(1);  // the ninth in a row: every file is broken
  EXPECT_TRUE(midi.sent.empty());
  music.Image3_MouseDown(1);
  music.Image3_MouseDown(0);
  EXPECT_EQ(midi.Commands().back(), "Play");
  midi.sent.clear();
  midi.Report(1);
  EXPECT_EQ(midi.Commands().back(), "Play");
}

TEST_F(MusicTest, OtherReportCodesReplayTheSameTrack) {
  music.Timer1_Timer();
  midi.Report(1);
  for (int code : {0, 2, 4, 8}) {
    midi.sent.clear();
    midi.Report(code);
    EXPECT_EQ(midi.Commands(), (Cmds{"Stop", "Close", "Open", "Play"})) << code;
    EXPECT_EQ(midi.Playing(), "/game/music2.mid") << code;
  }
}

TEST_F(MusicTest, OffDuringTrackThreeThenOnStartsTrackFour) {
  music.Timer1_Timer();
  midi.Report(1);
  midi.Report(1);
  ASSERT_EQ(midi.Playing(), "/game/music3.mid");
  std::vector<bool> shown;
  int repaints = 0;
  music.onSwitchChanged = [&](bool on) { shown.push_back(on); };
  music.onRepaint = [&] { ++repaints; };
  midi.sent.clear();
  music.Image3_MouseDown(1);  // the on picture: switch off
  EXPECT_EQ(midi.Commands(), (Cmds{"Stop", "Close"}));
  EXPECT_EQ(music.musicOff, -1);
  midi.sent.clear();
  music.Image3_MouseDown(0);  // the off picture: switch on
  EXPECT_EQ(midi.Commands(), (Cmds{"Open", "Play"}));
  EXPECT_EQ(midi.sent[0].file, "/game/music4.mid");
  EXPECT_EQ(music.musicOff, 0);
  EXPECT_EQ(shown, (std::vector<bool>{false, true}));
  EXPECT_EQ(repaints, 2);
  // After the ninth track the next switch-on wraps to the first.
  music.trackIndex = 8;
  music.Image3_MouseDown(1);
  music.Image3_MouseDown(0);
  EXPECT_EQ(midi.Playing(), "/game/music1.mid");
}

TEST_F(MusicTest, PressArrivingWhileTheSwitchIsHandledIsIgnored) {
  music.Timer1_Timer();
  music.Image3_MouseDown(1);  // off
  int nested = 0;
  toolkit.onDoEvents = [&] {
    // The player presses the switch again while the open is prepared.
    ++nested;
    music.Image3_MouseDown(1);
    music.Image3_MouseDown(0);
  };
  midi.sent.clear();
  music.Image3_MouseDown(0);  // on
  EXPECT_EQ(nested, 1);
  EXPECT_TRUE(music.SwitchShowsOn());
  EXPECT_EQ(midi.Commands(), (Cmds{"Open", "Play"}));
  EXPECT_EQ(midi.Playing(), "/game/music2.mid");
  // Once handled, the switch answers again.
  toolkit.onDoEvents = nullptr;
  music.Image3_MouseDown(1);
  EXPECT_EQ(music.musicOff, -1);
}

TEST_F(MusicTest, StopAndCloseOnlyFollowAPlay) {
  music.StartMusic();  // nothing was played yet: no stop, no close
  EXPECT_EQ(midi.Commands(), (Cmds{"Open", "Play"}));
  midi.sent.clear();
  music.ToggleMusic();  // off: stopped and closed, nothing more
  EXPECT_EQ(midi.Commands(), (Cmds{"Stop", "Close"}));
  midi.sent.clear();
  music.PrepareMusic();  // off again after a close
  EXPECT_TRUE(midi.sent.empty());
  // A device last told "Open" (a file that failed to play) is opened again
  // without a stop.
  music.musicOff = 0;
  midi.SendCommand("Open");
  midi.sent.clear();
  music.StartMusic();
  EXPECT_EQ(midi.Commands(), (Cmds{"Open", "Play"}));
}

TEST_F(MusicTest, EmptyPlaylistOpensTheFolderAndReportsOutliveNoPlayer) {
  music.List1.clear();
  music.Timer1_Timer();
  EXPECT_EQ(midi.sent[0].file, "/game/");
  midi.Report(1);
  EXPECT_EQ(music.trackIndex, 0);
  FakeMidi device;
  { MusicPlayer shortLived(device, toolkit, "/x/"); }
  EXPECT_FALSE(static_cast<bool>(device.onDone));
}

}  // namespace
}  // namespace tumbol
