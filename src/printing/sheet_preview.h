// The sheets of a prepared job before any paper is spent: which pages each side of a sheet holds,
// which pass of the print run prints it, and a picture of the sheet drawn by the page drawing that
// prints it, on a picture of the current printer's paper. Only the sheet asked for is drawn, so a
// long text shows a sheet as fast as a short one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interfaces/printer_surface.h"
#include "settings/program_state.h"
#include "settings/runtime_failure.h"

namespace quireon2 {

// One side of a sheet.
struct SidePlan {
  std::vector<long> cells;  // the page of cell 1, 2, ...; 0 or past the text: a blank cell
  bool printed = true;      // false for the back of a one-sided layout
  int pass = 0;             // 1 or 2 in a job printed in two passes; 0 in one pass
  long fed = 0;             // its sheet's place in the feed of that pass, from 1
};

struct SheetPlan {
  SidePlan sides[2];
};

// The sheets the print run feeds for the prepared text: the sheets of its layout, or every sheet of
// every signature. 0 when there is nothing to print or no signature to cut.
long PreviewSheetCount(const Program& p);

// Sheet `sheet` (from 1) as the print run for the current settings prints it.
SheetPlan PlanSheet(const Program& p, long sheet);

// One line on what sheet `sheet` holds: the pages of each side from left to right and, for a job
// printed in two passes, which pass prints each side and where its sheet is in that pass's feed.
std::string DescribeSheet(const Program& p, long sheet);

// The picture of a sheet, or why it could not be drawn.
struct SheetPicture {
  Picture picture;
  std::optional<RuntimeFailure> failure;
};

// The picture of sheet `sheet` at `dots_per_inch`: its front, and beside it on the right its back
// when the layout prints one; empty when the printer draws no pictures. A surface or line-file
// failure is given back as a print run would meet it. Nothing of it reaches the printer, and the
// program's values are as they were.
SheetPicture DrawSheet(Program& p, long sheet, double dots_per_inch);

}  // namespace quireon2
