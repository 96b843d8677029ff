// The terminal as the program's status line and message box: status messages and a
// progress bar on stderr, messages with the window's words, and the paper-handling
// prompt answered with Enter.
#pragma once

#include <functional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "interfaces/prompt.h"
#include "interfaces/status_sink.h"

namespace quireon2 {

// Status output on stderr: on a terminal one line that is redrawn with a progress bar,
// otherwise one line per status message; nothing at all when quiet.
class TerminalStatus : public StatusSink {
 public:
  TerminalStatus(std::ostream& err, bool is_terminal, bool quiet);

  void ShowStatus(const std::string& message) override;
  void SetProgress(long total, long current) override;
  void ShowCounts(const StatusCounts& counts) override;

  // What the progress counts while printing ("pages", "sheets"); empty shows percent only.
  void SetUnit(const std::string& unit) { unit_ = unit; }
  // Ends a redrawn line, so that whatever is written next starts on a line of its own.
  void EndLine();

  const std::vector<StatusCounts>& counts() const { return counts_; }

 private:
  void Redraw();

  std::ostream& err_;
  bool is_terminal_;
  bool quiet_;
  bool line_open_ = false;
  int percent_ = -1;
  long current_ = 0;
  long total_ = 0;
  std::string unit_;
  std::vector<std::string> messages_;
  std::vector<StatusCounts> counts_;
};

// Message boxes on stderr. An OK/Cancel question (the paper-handling prompt between the
// two sides) waits for Enter: Enter is OK, end of input or an interrupt is Cancel; with
// `yes` it is answered OK at once. A Yes/No question is answered No, the safe answer.
class TerminalPrompt : public Prompt {
 public:
  // `wait_for_enter` returns true when the user pressed Enter, false at end of input or on
  // an interrupt.
  // `input_echoes` says whether the user's Enter shows on the terminal; when it does not
  // (input from a pipe) the prompt ends its own line.
  TerminalPrompt(std::ostream& err, TerminalStatus* status, std::function<bool()> wait_for_enter,
                 bool yes, bool quiet, bool input_echoes);

  Answer Ask(const std::string& text, Buttons buttons) override;

 private:
  std::ostream& err_;
  TerminalStatus* status_;
  std::function<bool()> wait_for_enter_;
  bool yes_;
  bool quiet_;
  bool input_echoes_;
};

// Writes through to `out` with `prefix` at the start of every line, so that each line of
// standard error says which program wrote it. A carriage return (a status line drawn again)
// starts a line too.
class PrefixedLines : public std::streambuf {
 public:
  PrefixedLines(std::ostream& out, std::string prefix);

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  std::ostream& out_;
  std::string prefix_;
  bool line_start_ = true;
};

// A message box text as terminal lines: the CR LF between its lines becomes LF.
std::string TerminalText(const std::string& text);

}  // namespace quireon2
