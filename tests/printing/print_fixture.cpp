#include "print_fixture.h"

#include <fstream>

#include "textprep/sheet_count.h"

namespace quireon2::testing {

void SetTestGeometry(Program& p) {
  auto& l = p.settings_state.layouts;
  l[kLayout1Up].cell_count = 1;
  l[kLayout1Up].orientation = kPortrait;
  l[kLayout1Up].x[1] = 720;
  l[kLayout1Up].y[1] = 720;
  l[kLayout1Up].cell_width = 10800;
  l[kLayout1Up].cell_height = 14400;
  for (int layout : {kLayout2Up, kLayoutBooklet}) {
    l[layout].cell_count = 2;
    l[layout].orientation = kLandscape;
    l[layout].x[1] = 720;
    l[layout].x[2] = 8640;
    l[layout].y[1] = l[layout].y[2] = 720;
    l[layout].cell_width = 6480;
    l[layout].cell_height = 10800;
  }
  l[kLayout4Up].cell_count = 4;
  l[kLayout4Up].orientation = kPortrait;
  l[kLayout4Up].x = {0, 720, 6840, 720, 6840};
  l[kLayout4Up].y = {0, 720, 720, 8640, 8640};
  l[kLayout4Up].cell_width = 4680;
  l[kLayout4Up].cell_height = 6480;
  for (auto& record : l) record.line_height = 200;
  p.settings().Layout = kLayoutBooklet;
  p.prep.PrintOrientation = kLandscape;
  p.settings_state.today = "03-14-2024";
}

void WritePages(Program& p, const ScratchDir& dir, const std::vector<std::string>& pages,
                int layout) {
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
}

std::vector<std::string> NumberedPages(int n) {
  std::vector<std::string> pages;
  for (int i = 1; i <= n; ++i) pages.push_back("page " + std::to_string(i) + "\r\n");
  return pages;
}

namespace {

// The cell whose origin lies nearest above and left of (x, y).
int CellAt(const Program& p, double x, double y) {
  const LayoutRecord& record = p.settings_state.layouts[p.settings().Layout];
  int best = 0;
  double best_sum = -1;
  for (int c = 1; c <= record.cell_count; ++c) {
    if (x >= record.x[c] && y >= record.y[c] && record.x[c] + record.y[c] > best_sum) {
      best = c;
      best_sum = record.x[c] + record.y[c];
    }
  }
  return best;
}

}  // namespace

std::string Transcript(const RecordingSurface& surface, const Program& p) {
  std::string out;
  std::string items;
  auto flush = [&](const SurfaceCall& c, const std::string& suffix) {
    out += "job " + std::to_string(c.job) + " side " + std::to_string(c.page) + ": " +
           (items.empty() ? "blank" : items) + suffix + "\n";
    items.clear();
  };
  for (const SurfaceCall& c : surface.calls()) {
    if (c.op == "Print") {
      if (!items.empty()) items += ", ";
      items += "cell " + std::to_string(CellAt(p, c.x, c.y)) + " " + c.text;
    } else if (c.op == "NewPage" || c.op == "EndDoc") {
      flush(c, "");
    } else if (c.op == "AbortDoc") {
      flush(c, " aborted");
    }
  }
  if (!items.empty()) out += "undelivered: " + items + "\n";
  return out;
}

}  // namespace quireon2::testing
