// The one way the program shows a message box: text, buttons, answer. The title is always
// the program name; the window shows a real box, tests answer from a script, and the
// terminal command writes to stderr.
#pragma once

#include <string>

namespace quireon2 {

enum class Buttons { kOk, kOkCancel, kYesNo };
enum class Answer { kOk, kCancel, kYes, kNo };

class Prompt {
 public:
  virtual ~Prompt() = default;
  // Shows `text` (lines joined by CR LF) with `buttons` and waits for the answer.
  virtual Answer Ask(const std::string& text, Buttons buttons) = 0;
  // A message with an OK button only.
  void Show(const std::string& text) { Ask(text, Buttons::kOk); }
};

}  // namespace quireon2
