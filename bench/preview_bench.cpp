// Times the sheet preview on the real printer surface ("Print to PDF"): the text is counted as the
// status window counts it, then the preview window is opened (it draws sheet 1) and moved to the
// middle and the last sheet. The preview draws only the sheet it shows, so its times do not grow
// with the text. Usage: q2_preview_bench TEXT [RUNS]; exits 1 when the window takes a second or
// more to open.
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/cups_surface.h"
#include "platform/temp_file.h"
#include "settings/memory_controls.h"
#include "support/recording_status.h"
#include "support/scripted_prompt.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"
#include "ui/frm_preview.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quireon2;
  if (argc < 2) {
    std::fprintf(stderr, "usage: q2_preview_bench TEXT [RUNS]\n");
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string source = argv[1];
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;

  CupsSurface surface;
  testing::ScriptedPrompt prompt;
  MemoryControls window;
  testing::RecordingStatus status;
  SystemTempFiles temp_files;
  Program p;
  p.io.surface = &surface;
  p.io.prompt = &prompt;
  p.io.window = &window;
  p.io.status = &status;
  p.io.temp_files = &temp_files;
  const std::vector<PrinterInfo> printers = surface.Printers();
  surface.SelectPrinter(printers.size() - 1);  // "Print to PDF"
  p.settings().MaxPages = 32766;
  window.SetText(TextBox::kText1, source);
  window.SelectLayoutOption(1);
  window.SetCheckValue(CheckBox::kDoBooklet, 1);
  ComputeLayoutMetrics(p, 0);

  double slowest_open = 0;
  for (int run = 1; run <= runs; ++run) {
    Clock::time_point start = Clock::now();
    if (!PrePrint1(p)) {
      std::fprintf(stderr, "the text could not be prepared\n");
      return 2;
    }
    const double counted = Seconds(start);
    start = Clock::now();
    ui::FrmPreview preview(p);
    const double opened = Seconds(start);
    start = Clock::now();
    preview.ShowSheet(preview.sheet_count() / 2);
    const double middle = Seconds(start);
    start = Clock::now();
    preview.ShowSheet(preview.sheet_count());
    const double last = Seconds(start);
    slowest_open = std::max(slowest_open, opened);
    std::printf(
        "%s: %ld pages, %ld sheet(s): counted in %.3f s; preview opened in %.3f s, "
        "middle sheet %.3f s, last sheet %.3f s\n",
        source.c_str(), static_cast<long>(p.prep.TotalPages), preview.sheet_count(), counted,
        opened, middle, last);
  }
  DeleteLineFile(p);
  std::printf("slowest opening: %.3f s (%s a second)\n", slowest_open,
              slowest_open < 1 ? "under" : "NOT under");
  return slowest_open < 1 ? 0 : 1;
}
