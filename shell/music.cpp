#include "shell/music.h"

#include <utility>

#include "base/duration.h"

namespace tumbol {

MusicPlayer::MusicPlayer(MidiDevice& device, Toolkit& toolkit, std::string pathWork)
    : path_work(std::move(pathWork)), MMControl1(device), toolkit_(toolkit) {
  MMControl1.onDone = [this](int code) { MMControl1_Done(code); };
}

MusicPlayer::~MusicPlayer() { MMControl1.onDone = nullptr; }

void MusicPlayer::FillPlaylist() {
  List1.clear();
  for (int i = 1; i <= 9; ++i) List1.push_back("music" + std::to_string(i) + ".mid");
}

void MusicPlayer::PrepareMusic() {
  if (MMControl1.Command() == "Play") {
    MMControl1.SendCommand("Stop");
    MMControl1.SendCommand("Close");
  }
  if (musicOff != -1) {
    MMControl1.Notify = false;
    MMControl1.Wait = true;
    MMControl1.Shareable = false;
    // A list entry that does not exist names no file: the folder alone.
    const bool inList = trackIndex >= 0 && static_cast<size_t>(trackIndex) < List1.size();
    MMControl1.FileName = path_work + (inList ? List1[trackIndex] : std::string());
    MMControl1.SendCommand("Open");
  }
}

void MusicPlayer::StartMusic() {
  PrepareMusic();
  if (musicOff != 0) return;
  playStarted_ = toolkit_.Now();
  MMControl1.SendCommand("Play");
}

void MusicPlayer::ToggleMusic() {
  musicOff = static_cast<int16_t>(~musicOff);
  StartMusic();
}

void MusicPlayer::Timer1_Timer() { StartMusic(); }

void MusicPlayer::AdvanceTrack() {
  if (trackIndex < static_cast<int>(List1.size()) - 1)
    ++trackIndex;
  else
    trackIndex = 0;
}

void MusicPlayer::MMControl1_Done(int code) {
  if (code == 1) {
    // A track that ends the moment it starts cannot be played. When a whole
    // round of them did, every file is broken: going round again would only
    // spin; the music rests until the switch is turned off and on.
    const bool atOnce = (toolkit_.Now() - playStarted_) * kSecondsPerDay < kEndedAtOnceSeconds;
    endedAtOnce_ = atOnce ? endedAtOnce_ + 1 : 0;
    if (endedAtOnce_ >= List1.size()) return;
    AdvanceTrack();
  }
  // Any other report plays the current track again from its beginning.
  StartMusic();
}

void MusicPlayer::Image3_MouseDown(int index) {
  endedAtOnce_ = 0;
  if (index == 0) {
    switchShowsOn_ = true;
  } else {
    // The next switch-on starts the following track.
    AdvanceTrack();
    switchShowsOn_ = false;
  }
  if (onSwitchChanged) onSwitchChanged(switchShowsOn_);
  if (onRepaint) onRepaint();
  ToggleMusic();
}

void MusicPlayer::Close() { MMControl1.SendCommand("Close"); }

}  // namespace tumbol
