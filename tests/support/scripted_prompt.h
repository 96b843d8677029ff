// A prompt for tests: answers from a script and records every message shown. A message
// the script did not expect is recorded in unexpected(); the GoogleTest fixture helper
// ExpectNoUnexpectedMessages (and QtTest's checks) fail the test on it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "interfaces/prompt.h"

namespace quireon2::testing {

struct ShownMessage {
  std::string text;
  Buttons buttons;
  Answer answer;
};

class ScriptedPrompt : public Prompt {
 public:
  // The next message must be exactly `text`; it is answered with `answer`.
  void Expect(std::string text, Answer answer = Answer::kOk);
  // The next message must begin with `prefix`.
  void ExpectPrefix(std::string prefix, Answer answer = Answer::kOk);

  Answer Ask(const std::string& text, Buttons buttons) override;

  const std::vector<ShownMessage>& shown() const { return shown_; }
  // Messages that came though not expected (answered OK, Cancel or No: the safe answer).
  const std::vector<std::string>& unexpected() const { return unexpected_; }
  // Expected messages that never came.
  std::vector<std::string> pending() const;
  // Empty when every expected message came and nothing else; else a description.
  std::string Problems() const;

 private:
  struct Expected {
    std::string text;
    bool prefix;
    Answer answer;
  };
  std::deque<Expected> script_;
  std::vector<ShownMessage> shown_;
  std::vector<std::string> unexpected_;
};

}  // namespace quireon2::testing
