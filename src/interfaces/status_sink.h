// Where the preparation and print runs report what they are doing: the status window in
// the program, a terminal line in the batch command, a recorder in tests.
#pragma once

#include <string>

namespace quireon2 {

// The totals a finished preparation shows.
struct StatusCounts {
  long total_pages = 0;
  int sheet_count = 0;
  int sheets_per_signature = 0;
  std::string printer;
  std::string font_name;
  int font_size = 0;
  std::string tab_rule;  // how tabs print, e.g. "stops every 8 columns"
};

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // The status line shows `message`; pending window events run.
  virtual void ShowStatus(const std::string& message) = 0;
  // Moves the progress to current * 100 / total when current > 0 (see ProgressPercent).
  virtual void SetProgress(long total, long current) = 0;
  virtual void ShowCounts(const StatusCounts& counts) = 0;
  // Lets pending window events run (after every printed line).
  virtual void DoEvents() {}
};

// The progress bar value for SetProgress, or -1 when the bar stays as it is.
inline int ProgressPercent(long total, long current) {
  if (current <= 0 || total <= 0) return -1;
  return static_cast<int>(static_cast<long long>(current) * 100 / total);
}

}  // namespace quireon2
