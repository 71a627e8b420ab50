#pragma once
// A Toolkit for tests: message boxes and input boxes answer from a script and
// are recorded; the clock is fake and advances only by Advance.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/toolkit.h"

namespace tumbol {

class ScriptedToolkit : public Toolkit {
 public:
  struct Message {
    std::string text;
    int style;
    std::string title;
  };

  int MsgBox(const std::string& text, int style, const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& defaultText) override;
  double Now() override { return now; }
  double Rnd() override;

  void Advance(double seconds);

  // Answers for the next question boxes (style 292); when empty, "No".
  std::deque<int> answers;
  // Answers for the next input boxes; when empty, "" (Cancel).
  std::deque<std::string> inputs;
  std::deque<double> randoms;
  std::vector<Message> messages;
  std::vector<std::string> prompts;
  // The current moment in days; starts on an ordinary afternoon.
  double now = 46000.5;
  // Runs when a message box is shown (the box is open while it runs).
  std::function<void(const Message&)> onMessage;
};

}  // namespace tumbol
