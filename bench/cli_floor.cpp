// The printer surface's floor for the terminal command's benchmark: the very lines a job
// prints, drawn into the same cells of "Print to PDF" with no layout work (no wrapping,
// measuring, page finding, imposition, headers or outlines).
//   q2_cli_floor prepare SOURCE LAYOUT SETTINGS LINES PAGES   untimed: the core prepares
//                                                         SOURCE; its line file -> LINES,
//                                                         its fonts, cells and pages -> PAGES
//   q2_cli_floor draw LINES PAGES OUT.pdf                 timed: draws every page
// LAYOUT is 2 (2 up) or booklet.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/print_command.h"
#include "interfaces/prompt.h"
#include "interfaces/status_sink.h"
#include "platform/cups_surface.h"
#include "platform/pdf_job.h"
#include "platform/temp_file.h"
#include "printing/page_render.h"
#include "printing/print_request.h"
#include "settings/memory_controls.h"
#include "settings/settings_file.h"
#include "textprep/layout_metrics.h"
#include "textprep/prep_run.h"

namespace quireon2 {
namespace {

class SilentPrompt : public Prompt {
 public:
  Answer Ask(const std::string& text, Buttons) override {
    std::cerr << text << '\n';
    return Answer::kOk;
  }
};

class SilentStatus : public StatusSink {
 public:
  void ShowStatus(const std::string&) override {}
  void SetProgress(long, long) override {}
  void ShowCounts(const StatusCounts&) override {}
};

int Prepare(const std::string& source, const std::string& layout_word,
            const std::string& settings, const std::string& lines_out,
            const std::string& pages_out) {
  CupsSurface surface;
  SilentPrompt prompt;
  SilentStatus status;
  MemoryControls window;
  Program p;
  SystemTempFiles temp_files;
  p.io = {&surface, &prompt, &window, &status, &temp_files};
  p.settings_state.ini_path = settings;
  surface.SetScaleMode(1);
  LoadSettings(p);
  if (!SelectPrinterByName(surface, kPrintToPdf)) return 3;
  ComputeLayoutMetrics(p, 0);
  SetOptions(p);
  int layout = layout_word == "booklet" ? kLayoutBooklet : kLayout2Up;
  window.SelectLayoutOption(1);
  window.SetCheckValue(CheckBox::kDoBooklet, layout == kLayoutBooklet ? 1 : 0);
  p.settings().Layout = static_cast<Integer>(layout);
  p.prep.PrintOrientation = kLandscape;
  window.SetText(TextBox::kText1, source);
  if (!PrepareForPrint(p)) return 3;
  if (!PrePrint1(p)) return 2;
  const LayoutRecord& record = p.settings_state.layouts[layout];
  std::filesystem::copy_file(p.prep.LineFilePath, lines_out,
                             std::filesystem::copy_options::overwrite_existing);
  std::ofstream pages(pages_out);
  pages << record.font_name << '\n'
        << record.font_size << ' ' << record.orientation << ' ' << record.line_height << ' '
        << record.x[1] << ' ' << record.x[2] << ' ' << record.y[1] << '\n';
  for (long page = 1; page <= p.prep.TotalPages + 1; ++page) pages << p.prep.PageStart[page] << '\n';
  DeleteLineFile(p);
  return 0;
}

int Draw(const std::string& lines, const std::string& pages_path, const std::string& out) {
  std::ifstream pages(pages_path);
  std::string font_name;
  std::getline(pages, font_name);
  double size = 0;
  int orientation = 0;
  long line_height = 0, x1 = 0, x2 = 0, y1 = 0;
  pages >> size >> orientation >> line_height >> x1 >> x2 >> y1;
  std::vector<long> starts;
  for (long start = 0; pages >> start;) starts.push_back(start);

  CupsSurface surface;
  if (!SelectPrinterByName(surface, kPrintToPdf)) return 3;
  surface.SetPdfOutputPath(out);
  surface.SetScaleMode(1);
  surface.SetOrientation(orientation);
  surface.SetFontName(font_name);
  surface.SetFontSize(size);
  LineFileReader file(lines);
  const long total = static_cast<long>(starts.size()) - 1;
  for (long page = 1; page <= total; ++page) {
    std::string text = file.Read(starts[page - 1], starts[page] - starts[page - 1]);
    long y = y1;
    long x = page % 2 == 1 ? x1 : x2;
    for (std::string_view line : SplitPageLines(CutAtFormFeed(text))) {
      surface.SetCurrentX(x);
      surface.SetCurrentY(y);
      surface.Print(line, false);
      y += line_height;
    }
    if (page == total) {
      surface.EndDoc();
    } else if (page % 2 == 0) {
      surface.NewPage();
    }
  }
  return 0;
}

}  // namespace
}  // namespace quireon2

int main(int argc, char** argv) {
  std::vector<std::string> a(argv + 1, argv + argc);
  quireon2::KeepHeapTopForPages();  // as the programs do
  try {
    if (a.size() == 6 && a[0] == "prepare") return quireon2::Prepare(a[1], a[2], a[3], a[4], a[5]);
    if (a.size() == 4 && a[0] == "draw") return quireon2::Draw(a[1], a[2], a[3]);
  } catch (const std::exception& e) {
    std::cerr << "q2_cli_floor: " << e.what() << '\n';
    return 3;
  }
  std::cerr << "usage: q2_cli_floor prepare SOURCE 2|booklet SETTINGS LINES PAGES\n"
               "       q2_cli_floor draw LINES PAGES OUT.pdf\n";
  return 1;
}
