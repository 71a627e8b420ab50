#pragma once
// The game window's MIDI player: opened, played, stopped and closed by
// command strings, like a multimedia control. The SDL side implements it
// (qt_audio.h); tests record the commands.
#include <functional>
#include <string>

namespace tumbol {

class MidiDevice {
 public:
  virtual ~MidiDevice() = default;

  // Properties read by the next "Open".
  std::string FileName;
  bool Notify = false;    // ask for a report when the command completes
  bool Wait = true;       // the command finishes before SendCommand returns
  bool Shareable = false;

  // "Open", "Play", "Stop" or "Close". Results are never examined: a file
  // that cannot be opened simply leaves the device silent.
  void SendCommand(const std::string& cmd) {
    command_ = cmd;
    Execute(cmd);
  }
  // The last command sent.
  const std::string& Command() const { return command_; }

  // Completion report, delivered on the UI thread. Code 1: the track played
  // to its end. The device's own "Stop" and "Close" never report.
  std::function<void(int code)> onDone;

 protected:
  virtual void Execute(const std::string& cmd) = 0;

 private:
  std::string command_;
};

}  // namespace tumbol
