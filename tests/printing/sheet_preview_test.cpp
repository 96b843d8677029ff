// The sheet preview against the print run: every side a print run feeds, in feed order, is the side
// the preview's plan puts there, and the preview's picture of it receives the very drawing the
// printer received.
#include "printing/sheet_preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "print_fixture.h"
#include "printing/constants.h"
#include "printing/print_runs.h"

namespace quireon2::testing {
namespace {

// The drawing of each side in a log: its texts, lines and boxes with their places.
std::vector<std::string> Sides(const std::vector<SurfaceCall>& calls, bool split_at_page_ends) {
  std::vector<std::string> sides(1);
  for (const SurfaceCall& c : calls) {
    if (c.op == "Print" || c.op == "Line" || c.op == "Box") {
      sides.back() += c.op + " " + c.text + " @" + std::to_string(c.x) + "," + std::to_string(c.y) +
                      "," + std::to_string(c.x2) + "," + std::to_string(c.y2) + "; ";
    } else if (split_at_page_ends && (c.op == "NewPage" || c.op == "EndDoc")) {
      sides.emplace_back();
    }
  }
  if (split_at_page_ends) sides.pop_back();  // after the last page end
  return sides;
}

TEST(SheetPreview, ShowsEverySideAsThePrintRunFeedsAndDrawsIt) {
  struct Case {
    int pages, layout, mode, signatures;
  };
  std::vector<Case> cases = {{3, kLayout1Up, 1, 0}, {5, kLayout2Up, 1, 0}, {6, kLayout4Up, 0, 0}};
  for (int mode = 0; mode < 4; ++mode) {
    cases.push_back({10, kLayoutBooklet, mode, 0});
    cases.push_back({20, kLayoutBooklet, mode, 2});  // 2 signatures of 3 sheets
  }
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.pages) + " pages, layout " +
                             std::to_string(c.layout) + ", mode " + std::to_string(c.mode) +
                             ", signatures " + std::to_string(c.signatures);
    PrintJob run;
    run.WritePages(NumberedPages(c.pages), c.layout);
    Settings& s = run.p.settings();
    s.PrinterMode = static_cast<Integer>(c.mode);
    s.DoSig = c.signatures != 0;
    run.p.print.SigCount = static_cast<Integer>(c.signatures);
    s.DoBox = s.DoHeader = s.HPgNumber = s.DoFooter = s.FCurDate = 1;

    // The preview first: it must leave nothing behind that changes the print run.
    const long sheets = PreviewSheetCount(run.p);
    struct Fed {
      int pass;
      long fed;
      std::string drawing;
    };
    std::vector<Fed> preview;
    for (long sheet = 1; sheet <= sheets; ++sheet) {
      const SheetPlan plan = PlanSheet(run.p, sheet);
      EXPECT_FALSE(DrawSheet(run.p, sheet, 96).failure) << name;
      for (int side = 0; side < 2; ++side) {
        if (!plan.sides[side].printed) continue;
        const std::vector<std::string> drawn =
            Sides(run.t.surface.pictures().at(preview.size()), false);
        ASSERT_EQ(drawn.size(), 1u) << name;
        // In one pass the sheets go through front then back; in two, all fronts first.
        const int pass = plan.sides[side].pass == 0 ? 1 : plan.sides[side].pass;
        const long order =
            plan.sides[side].pass == 0 ? 2 * plan.sides[side].fed + side : plan.sides[side].fed;
        preview.push_back({pass, order, drawn[0]});
      }
    }
    EXPECT_EQ(run.t.surface.jobs_started(), 0) << name;
    std::stable_sort(preview.begin(), preview.end(), [](const Fed& a, const Fed& b) {
      return a.pass != b.pass ? a.pass < b.pass : a.fed < b.fed;
    });
    std::vector<std::string> previewed;
    for (const Fed& side : preview) previewed.push_back(side.drawing);

    if (c.layout == kLayoutBooklet && c.mode != 2) run.t.prompt.Expect(PaperPrompt(c.mode));
    ASSERT_TRUE(PrintNow(run.p)) << name;
    EXPECT_EQ(previewed, Sides(run.t.surface.calls(), true)) << name;
  }
}

}  // namespace
}  // namespace quireon2::testing
