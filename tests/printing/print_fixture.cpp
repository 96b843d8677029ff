// The printing tests' shared job set-up and the readable forms of the surface's log.
#include "print_fixture.h"

#include <fstream>
#include <sstream>

#include "textprep/sheet_count.h"

namespace quireon2::testing {
PrintJob::PrintJob() {
  // Font size, line height, cell count, cell origins x and y, orientation, cell height
  // and width, font name.
  auto& l = p.settings_state.layouts;
  const char* font = "Courier New";
  l[kLayout1Up] = {10, 200, 1, {0, 720}, {0, 720}, kPortrait, 14400, 10800, font};
  l[kLayout2Up] = {10, 200, 2, {0, 720, 8640}, {0, 720, 720}, kLandscape, 10800, 6480, font};
  l[kLayout4Up] = {10, 200, 4, {0, 720, 6840, 720, 6840}, {0, 720, 720, 8640, 8640},
                   kPortrait, 6480, 4680, font};
  l[kLayoutBooklet] = l[kLayout2Up];
  p.settings_state.today = "03-14-2024";
}

PrintJob::~PrintJob() { EXPECT_EQ(t.prompt.Problems(), ""); }

void PrintJob::WritePages(const std::vector<std::string>& pages, int layout) {
  const std::string path = dir.File("QRNtest.tmp");
  std::ofstream out(path, std::ios::binary);
  std::vector<Long> starts(pages.size() + 2, 0);
  Long position = 1;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    starts[i + 1] = position;
    out << pages[i];
    position += static_cast<Long>(pages[i].size());
  }
  if (!pages.empty()) starts[pages.size() + 1] = position;
  p.prep.LineFilePath = path;
  p.prep.PageStart = starts;
  p.prep.TotalPages = static_cast<Long>(pages.size());
  p.prep.SheetCount = static_cast<Integer>(CountSheets(layout, p.prep.TotalPages));
  p.settings().Layout = static_cast<Integer>(layout);
  p.prep.PrintOrientation = p.settings_state.layouts[layout].orientation;
}

std::vector<std::string> NumberedPages(int n) {
  std::vector<std::string> pages;
  for (int i = 1; i <= n; ++i) pages.push_back(std::to_string(i) + "\r\n");
  return pages;
}

std::string Drawing(const SurfaceCall& c) {
  std::ostringstream out;
  if (c.op == "Print") out << "Print \"" << c.text << "\" at " << c.x << ',' << c.y << '\n';
  if (c.op != "Line" && c.op != "Box") return out.str();
  out << c.op << ' ' << c.x << ',' << c.y << " to " << c.x2 << ',' << c.y2;
  if (c.op == "Box") out << " weight " << c.value;
  if (!(c.colour == Rgb{})) {
    out << " colour " << +c.colour.red << ',' << +c.colour.green << ',' << +c.colour.blue;
  }
  out << '\n';
  return out.str();
}

std::string PrintJob::Transcript() const {
  std::string out, job, side;
  for (const SurfaceCall& c : t.surface.calls()) {
    if (c.op == "Print") {
      side += (side.empty() ? "" : " ") + c.text;
    } else if (c.op == "NewPage" || c.op == "EndDoc" || c.op == "AbortDoc") {
      job += (job.empty() ? "" : ", ") + (side.empty() ? "blank" : side);
      side.clear();
      if (c.op == "NewPage") continue;
      out += "job " + std::to_string(c.job) + ": " + job + (c.op == "AbortDoc" ? " aborted\n" : "\n");
      job.clear();
    }
  }
  if (!job.empty() || !side.empty()) out += "undelivered: " + job + side + "\n";
  return out;
}

}  // namespace quireon2::testing
