#include "base/scripted_toolkit.h"

namespace tumbol {

int ScriptedToolkit::MsgBox(const std::string& text, int style, const std::string& title) {
  messages.push_back({text, style, title});
  if (onMessage) onMessage(messages.back());
  if (style != kStyleQuestion) return kResultOk;
  if (answers.empty()) return kResultNo;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

std::string ScriptedToolkit::InputBox(const std::string& prompt, const std::string& /*title*/,
                                      const std::string& /*defaultText*/) {
  prompts.push_back(prompt);
  if (inputs.empty()) return {};
  std::string answer = inputs.front();
  inputs.pop_front();
  return answer;
}

void ScriptedToolkit::Pause(double seconds) {
  pauses.push_back(seconds);
  Advance(seconds);
  if (onPause) onPause();
}

void ScriptedToolkit::DoEvents() {
  ++doEventsCalls;
  if (onDoEvents) onDoEvents();
}

double ScriptedToolkit::Rnd() {
  if (randoms.empty()) return 0.0;
  const double r = randoms.front();
  randoms.pop_front();
  return r;
}

void ScriptedToolkit::Advance(double seconds) { now += seconds / 86400.0; }

}  // namespace tumbol
