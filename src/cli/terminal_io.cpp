// The terminal as status sink and prompt.
#include "cli/terminal_io.h"

#include <utility>

namespace quireon2 {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

std::string TerminalText(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

PrefixedLines::PrefixedLines(std::ostream& out, std::string prefix)
    : out_(out), prefix_(std::move(prefix)) {}

PrefixedLines::int_type PrefixedLines::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  if (line_start_ && ch != '\n' && ch != '\r') out_ << prefix_;
  out_.put(ch);
  line_start_ = ch == '\n' || ch == '\r';
  return out_ ? c : traits_type::eof();
}

int PrefixedLines::sync() { return out_.flush() ? 0 : -1; }

TerminalStatus::TerminalStatus(std::ostream& err, bool is_terminal, bool quiet)
    : err_(err), is_terminal_(is_terminal), quiet_(quiet) {}

void TerminalStatus::ShowStatus(const std::string& message) {
  messages_.push_back(message);
  if (quiet_) return;
  percent_ = -1;
  if (!is_terminal_) {
    err_ << message << '\n' << std::flush;
    return;
  }
  Redraw();
}

void TerminalStatus::SetProgress(long total, long current) {
  int percent = ProgressPercent(total, current);
  if (percent < 0) return;
  // A count past its total must not overfill the bar.
  if (percent > 100) percent = 100;
  current_ = current;
  total_ = total;
  // Redrawing only when the figure changes keeps a long job's output small and fast.
  if (quiet_ || !is_terminal_ || percent == percent_) return;
  percent_ = percent;
  Redraw();
}

void TerminalStatus::ShowCounts(const StatusCounts& counts) { counts_.push_back(counts); }

void TerminalStatus::EndLine() {
  if (line_open_) err_ << '\n' << std::flush;
  line_open_ = false;
}

void TerminalStatus::Redraw() {
  std::string line = "\r\033[K" + (messages_.empty() ? std::string() : messages_.back());
  if (percent_ >= 0) {
    int filled = percent_ * kBarWidth / 100;
    line += "  [" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + "] " +
            std::to_string(percent_) + "%";
    if (!unit_.empty()) {
      line += "  " + std::to_string(current_) + " of " + std::to_string(total_) + " " + unit_;
    }
  }
  err_ << line << std::flush;
  line_open_ = true;
}

TerminalPrompt::TerminalPrompt(std::ostream& err, TerminalStatus* status,
                               std::function<bool()> wait_for_enter, bool yes, bool quiet,
                               bool input_echoes)
    : err_(err),
      status_(status),
      wait_for_enter_(std::move(wait_for_enter)),
      yes_(yes),
      quiet_(quiet),
      input_echoes_(input_echoes) {}

Answer TerminalPrompt::Ask(const std::string& text, Buttons buttons) {
  if (status_ != nullptr) status_->EndLine();
  Answer answer = Answer::kOk;
  if (buttons == Buttons::kOkCancel) {
    if (yes_) {
      if (!quiet_) err_ << TerminalText(text) << '\n' << std::flush;
    } else {
      err_ << TerminalText(text) << "\n(Enter: go on, Ctrl-D or Ctrl-C: cancel) " << std::flush;
      answer = wait_for_enter_ && wait_for_enter_() ? Answer::kOk : Answer::kCancel;
      if (answer == Answer::kCancel) {
        err_ << "\ncancelled\n" << std::flush;
      } else if (!input_echoes_) {
        err_ << '\n' << std::flush;
      }
    }
  } else {
    err_ << TerminalText(text) << '\n' << std::flush;
    if (buttons == Buttons::kYesNo) answer = Answer::kNo;
  }
  return answer;
}

}  // namespace quireon2
