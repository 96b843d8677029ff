// A prompt for tests: answers from a script and records every message shown. Problems()
// names each message the script did not expect and each expected one that never came; the
// GoogleTest fixture (and QtTest's checks) fail the test on it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "interfaces/prompt.h"

namespace quireon2::testing {

struct ShownMessage { std::string text; Buttons buttons; Answer answer; };

class ScriptedPrompt : public Prompt {
 public:
  // The next message must be exactly `text`; it is answered with `answer`.
  void Expect(std::string text, Answer answer = Answer::kOk);
  // The next message must begin with `prefix`.
  void ExpectPrefix(std::string prefix, Answer answer = Answer::kOk);

  Answer Ask(const std::string& text, Buttons buttons) override;

  const std::vector<ShownMessage>& shown() const { return shown_; }
  // Empty when every expected message came and nothing else; else a description. A
  // message that came though not expected was answered OK, Cancel or No: the safe answer.
  std::string Problems() const;

 private:
  struct Expected { std::string text; bool prefix; Answer answer; };
  std::deque<Expected> script_;
  std::vector<ShownMessage> shown_;
  std::vector<std::string> unexpected_;
};

}  // namespace quireon2::testing
