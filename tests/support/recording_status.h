// A status sink for tests: records every status message, progress call and count display.
#pragma once

#include <string>
#include <vector>

#include "interfaces/status_sink.h"

namespace quireon2::testing {

class RecordingStatus : public StatusSink {
 public:
  void ShowStatus(const std::string& message) override { messages.push_back(message); }
  void SetProgress(long total, long current) override {
    progress_calls.push_back({total, current});
    const int percent = ProgressPercent(total, current);
    if (percent >= 0) bar_values.push_back(percent);
  }
  void ShowCounts(const StatusCounts& c) override { counts.push_back(c); }
  void DoEvents() override { ++events; }

  struct Progress { long total; long current; };
  std::vector<std::string> messages;
  std::vector<Progress> progress_calls;
  std::vector<int> bar_values;  // each value the bar was set to
  std::vector<StatusCounts> counts;
  int events = 0;
};

}  // namespace quireon2::testing
