#pragma once
// The game window's background music: nine MIDI tracks played one after
// another, and the two-picture switch Image3 that turns them off and on.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/toolkit.h"
#include "shell/midi_device.h"

namespace tumbol {

class MusicPlayer {
 public:
  MusicPlayer(MidiDevice& device, Toolkit& toolkit, std::string pathWork = "");
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // The playlist music1.mid ... music9.mid, in this order.
  void FillPlaylist();

  // Stops and closes a playing track; unless the music is off, opens the
  // current one.
  void PrepareMusic();
  // PrepareMusic, then play unless the music is off.
  void StartMusic();
  // Inverts musicOff, then StartMusic.
  void ToggleMusic();

  // The one tick of Timer1 after loading; the caller's timer fires once.
  void Timer1_Timer();
  // Completion report of the device (code 1: the track ran out).
  void MMControl1_Done(int code);
  // Press on Image3(index): 0 is the off picture (switch on), 1 the on
  // picture (switch off).
  void Image3_MouseDown(int index);
  // The game window is closing.
  void Close();

  // True while Image3(1), the "music on" picture, is the one shown.
  bool SwitchShowsOn() const { return switchShowsOn_; }

  // Called when the shown Image3 picture changes (argument: SwitchShowsOn()).
  std::function<void(bool showsOn)> onSwitchChanged;
  // Repaints the game window.
  std::function<void()> onRepaint;

  std::string path_work;            // program folder, ending in '/'
  std::vector<std::string> List1;   // the playlist
  int16_t trackIndex = 0;           // position in List1 of the current track
  int16_t musicOff = 0;             // 0 on, -1 off; changes only by ~

 private:
  void AdvanceTrack();

  // A track that ends sooner than this after "Play" ended at once.
  static constexpr double kEndedAtOnceSeconds = 1.0;

  MidiDevice& MMControl1;
  Toolkit& toolkit_;
  bool switchShowsOn_ = true;
  double playStarted_ = 0;  // when the current track was played, in days
  size_t endedAtOnce_ = 0;  // tracks in a row that ended at once
};

}  // namespace tumbol
