#pragma once
// The few services of the windowing toolkit that the game's procedures rely
// on. The core calls only this interface; the Qt side implements it for the
// real program (qt_toolkit.h) and ScriptedToolkit answers from a script in tests.
#include <string>

namespace tumbol {

// Message box styles and results, as the game's messages use them.
constexpr int kStylePlain = 0;          // OK, no icon (the About message)
constexpr int kStyleExclamation = 48;   // OK, warning icon: a missing file
constexpr int kStyleInformation = 64;   // OK, information icon: notices
constexpr int kStyleQuestion = 292;     // Yes/No, question icon, No is default
constexpr int kResultOk = 1;
constexpr int kResultYes = 6;
constexpr int kResultNo = 7;

// A single CR in a message text is a line break on screen.
constexpr char kCR[] = "\r";
constexpr char kCRLF[] = "\r\n";

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // Modal message box; returns kResultOk, kResultYes or kResultNo.
  virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
  // Modal input box with OK and Cancel; Cancel gives "".
  virtual std::string InputBox(const std::string& prompt, const std::string& title,
                               const std::string& defaultText) = 0;
  // Local date and time as a number of days (1 is 24 hours), comparable by subtraction.
  virtual double Now() = 0;
  // Uniform random number in [0, 1).
  virtual double Rnd() = 0;
};

}  // namespace tumbol
