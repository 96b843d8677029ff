// Times the preparation run (wrap, line file, page index) on one source file with a
// fixed-width surface, and reports MB/s and the peak memory of the process.
// Usage: q2_prep_bench SOURCE [REPEATS]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/temp_file.h"
#include "settings/memory_controls.h"
#include "support/recording_status.h"
#include "support/recording_surface.h"
#include "support/scripted_prompt.h"
#include "textprep/layout_metrics.h"
#include "textprep/line_format.h"
#include "textprep/prep_run.h"

namespace {

// Every character (a UTF-8 sequence counts as one) 100 twips wide, measured without the
// recording surface's bookkeeping so the run itself is what is timed.
class FixedWidthSurface : public quireon2::testing::RecordingSurface {
 public:
  double TextWidth(std::string_view text) override {
    double widest = 0;
    double width = 0;
    for (std::size_t i = 0; i < text.size();) {
      if (text[i] == '\n') {
        widest = std::max(widest, width);
        width = 0;
        ++i;
        continue;
      }
      if (text[i] != '\r') width += 100;
      i += quireon2::Utf8SequenceLength(text, i);
    }
    return std::max(widest, width);
  }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace quireon2;
  if (argc < 2) {
    std::fprintf(stderr, "usage: q2_prep_bench SOURCE [REPEATS]\n");
    return 2;
  }
  const std::string source = argv[1];
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  FixedWidthSurface surface;
  testing::ScriptedPrompt prompt;
  MemoryControls window;
  testing::RecordingStatus status;
  Program p;
  p.io.surface = &surface;
  p.io.prompt = &prompt;
  p.io.window = &window;
  p.io.status = &status;
  quireon2::SystemTempFiles temp_files;
  p.io.temp_files = &temp_files;
  p.settings().MaxPages = 32766;
  window.SetText(TextBox::kText1, source);
  ComputeLayoutMetrics(p, 0);

  double best = 1e30;
  Long pages = 0;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!PrePrint1(p)) {
      std::fprintf(stderr, "preparation failed\n");
      return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
    pages = p.prep.TotalPages;
  }
  DeleteLineFile(p);
  const double mb = static_cast<double>(std::filesystem::file_size(source)) / 1e6;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%s: %.2f MB, %d pages, best of %d: %.3f s, %.1f MB/s, peak memory %ld KB\n",
              source.c_str(), mb, static_cast<int>(pages), repeats, best, mb / best,
              usage.ru_maxrss);
  return 0;
}
