// Times the printer surface on a whole text: every line measured (as the word wrap does),
// then every line drawn to "Print to PDF" and the file written (as a print run does).
// Usage: q2_surface_bench TEXT [RUNS]; prints one line per run.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/cups_surface.h"
#include "platform/pdf_job.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// The text's lines as the page rendering hands them over: line ends gone, tabs expanded
// to the next multiple of 8, a form feed ending the page.
struct Line {
  std::string text;
  bool page_end = false;
};

std::vector<Line> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<Line> lines;
  Line line;
  for (char c : bytes) {
    if (c == '\n') {
      if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
      lines.push_back(std::move(line));
      line = Line{};
    } else if (c == '\t') {
      line.text.append(8 - line.text.size() % 8, ' ');
    } else if (c == '\f') {
      line.page_end = true;
    } else {
      line.text += c;
    }
  }
  if (!line.text.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: q2_surface_bench TEXT [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
  quireon2::KeepHeapTopForPages();  // as the programs do
  const std::vector<Line> lines = ReadLines(argv[1]);
  const std::string out =
      (std::filesystem::temp_directory_path() / "q2_surface_bench.pdf").string();

  for (int run = 0; run < runs; ++run) {
    const Clock::time_point start = Clock::now();
    quireon2::CupsSurface surface;
    surface.SelectPrinter(surface.Printers().size() - 1);
    surface.SetPdfOutputPath(out);
    surface.SetPaperSize(quireon2::kPaperLetter);
    surface.SetFontName("Times New Roman");
    surface.SetFontSize(10);
    const double setup = Seconds(start);

    Clock::time_point phase = Clock::now();
    double widest = 0;
    for (const Line& line : lines) widest = std::max(widest, surface.TextWidth(line.text));
    const double measure = Seconds(phase);

    phase = Clock::now();
    const std::clock_t cpu_start = std::clock();
    const double bottom = surface.ScaleHeight() - 2 * surface.TextHeight("X");
    int pages = 1;
    for (const Line& line : lines) {
      surface.SetCurrentX(720);
      surface.Print(line.text, true);
      if (line.page_end || surface.CurrentY() > bottom) {
        surface.NewPage();
        surface.SetCurrentY(0);
        ++pages;
      }
    }
    surface.EndDoc();
    const double draw = Seconds(phase);
    const double draw_cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    std::printf(
        "run %d: %zu lines, %d pages: set-up %.3f s, measure %.3f s, draw and write %.3f s "
        "(%.3f s of processor time; PDF %ju bytes, widest line %.0f twips)\n",
        run + 1, lines.size(), pages, setup, measure, draw, draw_cpu,
        static_cast<std::uintmax_t>(std::filesystem::file_size(out)), widest);
  }
  std::filesystem::remove(out);
  return 0;
}
