// The sheets of a prepared job, described and drawn one at a time.
#include "printing/sheet_preview.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "interfaces/status_sink.h"
#include "printing/page_order.h"
#include "printing/print_runs.h"
#include "textprep/sheet_count.h"

namespace quireon2 {
namespace {

bool IsBooklet(const Program& p) { return p.settings().Layout == kLayoutBooklet; }
bool InSignatures(const Program& p) { return IsBooklet(p) && p.settings().DoSig != 0; }

int CellsPerSide(int layout) {
  switch (layout) {
    case kLayout2Up:
      return 2;
    case kLayout4Up:
      return 4;
    case kLayoutBooklet:
      return 2;
    default:
      return 1;
  }
}

// Sheets in each signature; 0 when there is no signature to cut.
long SheetsPerSig(const Program& p) {
  return SheetsPerSignature(p.prep.SheetCount, p.print.SigCount).value_or(0);
}

// A status sink that shows nothing and runs no window events, so nothing can start while a picture
// is drawn.
class QuietStatus : public StatusSink {
 public:
  void ShowStatus(const std::string&) override {}
  void SetProgress(long, long) override {}
  void ShowCounts(const StatusCounts&) override {}
};

// The program drawing on a picture for as long as it lives: the surface and status sink swapped,
// and the run's page records put back afterwards.
class DrawingOnPicture {
 public:
  DrawingOnPicture(Program& p, PrinterSurface& picture)
      : p_(p), surface_(p.io.surface), status_(p.io.status), print_(p.print) {
    p.io.surface = &picture;
    p.io.status = &quiet_;
  }
  ~DrawingOnPicture() {
    p_.io.surface = surface_;
    p_.io.status = status_;
    p_.print = print_;
  }
  DrawingOnPicture(const DrawingOnPicture&) = delete;
  DrawingOnPicture& operator=(const DrawingOnPicture&) = delete;

 private:
  Program& p_;
  PrinterSurface* surface_;
  StatusSink* status_;
  PrintState print_;
  QuietStatus quiet_;
};

Picture DrawSide(Program& p, LineFileReader& file, const SidePlan& side, double dots_per_inch) {
  std::unique_ptr<PictureSurface> picture = p.surface().OpenPicture(dots_per_inch);
  if (!picture) return {};
  {
    DrawingOnPicture drawing(p, *picture);
    // The side is set up as the print run sets up its job.
    picture->SetScaleMode(1);
    picture->SetOrientation(p.prep.PrintOrientation);
    if (IsBooklet(p)) {
      RenderBookletSide(p, file, {side.cells[0], side.cells[1]});
    } else {
      const LayoutRecord& record = CurrentLayout(p);
      picture->SetFontName(record.font_name);
      picture->SetFontSize(record.font_size);
      for (std::size_t cell = 0; cell < side.cells.size(); ++cell) {
        if (side.cells[cell] == 0) continue;
        p.print.CellIndex = static_cast<Integer>(cell + 1);
        RenderPage(p, file, side.cells[cell]);
      }
    }
  }
  return picture->TakePicture();
}

// Two pictures beside each other on a grey ground, a quarter inch apart.
Picture SideBySide(const Picture& left, const Picture& right, int gap) {
  Picture both;
  both.width = left.width + gap + right.width;
  both.height = std::max(left.height, right.height);
  both.pixels.assign(static_cast<std::size_t>(both.width) * both.height, 0x808080u);
  const auto place = [&both](const Picture& picture, int x0) {
    for (int row = 0; row < picture.height; ++row) {
      std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(row) * picture.width,
                  picture.width,
                  both.pixels.begin() + static_cast<std::ptrdiff_t>(row) * both.width + x0);
    }
  };
  place(left, 0);
  place(right, left.width + gap);
  return both;
}

std::string Ordinal(long n) {
  const long tens = n % 100;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    if (n % 10 == 1) suffix = "st";
    if (n % 10 == 2) suffix = "nd";
    if (n % 10 == 3) suffix = "rd";
  }
  return std::to_string(n) + suffix;
}

std::string DescribeSide(const Program& p, const SidePlan& side) {
  std::string text;
  for (long page : side.cells) {
    if (!text.empty()) text += " | ";
    text += page > 0 && page <= p.prep.TotalPages ? std::to_string(page) : "blank";
  }
  if (side.pass != 0) {
    text += std::string(side.pass == 1 ? " (first pass" : " (second pass") + ", " +
            Ordinal(side.fed) + " sheet fed)";
  }
  return text;
}

}  // namespace

long PreviewSheetCount(const Program& p) {
  if (p.prep.TotalPages <= 0) return 0;
  if (InSignatures(p)) return p.print.SigCount * SheetsPerSig(p);
  return CountSheets(p.settings().Layout, p.prep.TotalPages);
}

SheetPlan PlanSheet(const Program& p, long sheet) {
  SheetPlan plan;
  const int layout = p.settings().Layout;
  if (layout != kLayoutBooklet) {
    const int cells = CellsPerSide(layout);
    SidePlan& front = plan.sides[0];
    for (int cell = 1; cell <= cells; ++cell) {
      const long page = (sheet - 1) * cells + cell;
      front.cells.push_back(page <= p.prep.TotalPages ? page : 0);
    }
    front.fed = sheet;
    plan.sides[1].printed = false;
    return plan;
  }

  const long count = PreviewSheetCount(p);
  const int mode = p.settings().PrinterMode;
  for (int side = 1; side <= 2; ++side) {
    SidePages pages;
    if (InSignatures(p)) {
      const long per_sig = std::max(SheetsPerSig(p), 1L);
      pages = SignatureSide(per_sig, (sheet - 1) / per_sig + 1, (sheet - 1) % per_sig + 1, side);
    } else {
      pages = BookletSide(p.prep.SheetCount, sheet, side);
    }
    SidePlan& plan_side = plan.sides[side - 1];
    plan_side.cells = {pages.left, pages.right};
    plan_side.pass = mode == 2 ? 0 : side;
    // The second pass of a flipped stack (and of every signature mode but the plain one) feeds the
    // last sheet first.
    const bool backwards = side == 2 && (mode == 1 || (InSignatures(p) && mode == 3));
    plan_side.fed = backwards ? count + 1 - sheet : sheet;
  }
  return plan;
}

std::string DescribeSheet(const Program& p, long sheet) {
  const SheetPlan plan = PlanSheet(p, sheet);
  std::string text =
      "Sheet " + std::to_string(sheet) + " of " + std::to_string(PreviewSheetCount(p)) + ": ";
  if (!plan.sides[1].printed) return text + "pages " + DescribeSide(p, plan.sides[0]);
  return text + "side 1 pages " + DescribeSide(p, plan.sides[0]) + "; side 2 pages " +
         DescribeSide(p, plan.sides[1]);
}

SheetPicture DrawSheet(Program& p, long sheet, double dots_per_inch) {
  const SheetPlan plan = PlanSheet(p, sheet);
  SheetPicture result;
  try {
    LineFileReader file(p.prep.LineFilePath);
    result.picture = DrawSide(p, file, plan.sides[0], dots_per_inch);
    if (plan.sides[1].printed && !result.picture.pixels.empty()) {
      const Picture back = DrawSide(p, file, plan.sides[1], dots_per_inch);
      result.picture = SideBySide(result.picture, back, static_cast<int>(dots_per_inch / 4));
    }
  } catch (const RuntimeError& e) {
    result.picture = {};
    result.failure = e.failure();
  }
  return result;
}

}  // namespace quireon2
