#include "support/scripted_prompt.h"

namespace quireon2::testing {

void ScriptedPrompt::Expect(std::string text, Answer answer) {
  script_.push_back({std::move(text), false, answer});
}

void ScriptedPrompt::ExpectPrefix(std::string prefix, Answer answer) {
  script_.push_back({std::move(prefix), true, answer});
}

Answer ScriptedPrompt::Ask(const std::string& text, Buttons buttons) {
  Answer safe = buttons == Buttons::kOk ? Answer::kOk
                : buttons == Buttons::kOkCancel ? Answer::kCancel
                                                : Answer::kNo;
  Answer answer = safe;
  bool matched = false;
  if (!script_.empty()) {
    const Expected& next = script_.front();
    matched = next.prefix ? text.compare(0, next.text.size(), next.text) == 0 : text == next.text;
    if (matched) {
      answer = next.answer;
      script_.pop_front();
    }
  }
  if (!matched) unexpected_.push_back(text);
  shown_.push_back({text, buttons, answer});
  return answer;
}

std::string ScriptedPrompt::Problems() const {
  std::string problems;
  for (const auto& t : unexpected_) problems += "unexpected message: \"" + t + "\"\n";
  for (const auto& e : script_) problems += "expected message never shown: \"" + e.text + "\"\n";
  return problems;
}

}  // namespace quireon2::testing
