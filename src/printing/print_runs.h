// The print runs behind "Print Now": plain 1-up, 2-up and 4-up jobs, the booklet, and the
// booklet in signatures, each for every paper-feed mode (PrinterMode), with the prompt
// between the two passes of a manual two-sided job and the run's status and progress.
#pragma once

#include "printing/page_order.h"
#include "printing/page_render.h"
#include "settings/outcome.h"
#include "settings/program_state.h"
#include "settings/runtime_failure.h"

namespace quireon2 {

// Each run shows its own failures and returns how it ended: succeeded; cancelled at the
// prompt with the first sides printed; a printer failure, its job dropped and the old
// duplex value back; or, when a booklet's line file cannot be opened, a source failure
// before any job.

// One pass per sheet side in reading order, single-sided; Layout 0, 1 or 2. Reads
// TotalPages, PrintOrientation, the layout record and the line file.
Outcome PrintNUp(Program& p);

// The booklet of SheetCount sheets in the sheet order PrinterMode needs: one two-sided job
// (mode 2, duplex 3 for the job, the old duplex value afterwards) or two jobs with the
// paper-handling prompt between them.
Outcome PrintBooklet(Program& p);

// The booklet cut into SigCount signatures of SheetsPerSig sheets (set here); the same
// modes as PrintBooklet. 0 signatures fail as a division by zero.
Outcome PrintSignatures(Program& p);

// Draws the two pages of a booklet side into its cells, the right page first, without
// ending the side. Sets LeftPage, RightPage and CellIndex.
void RenderBookletSide(Program& p, LineFileReader& file, SidePages pages);

// Draws side `side` of booklet sheet `sheet` (right page first, then left) and ends it:
// with EndDoc when `last`, else NewPage. Sets LeftPage, RightPage and CellIndex. Raises
// RuntimeError on a surface or line-file failure.
void PrintBookletSide(Program& p, LineFileReader& file, int side, long sheet, bool last);

// The same for sheet `sheet` of signature `signature`, by SheetsPerSig.
void PrintSignatureSide(Program& p, LineFileReader& file, int side, long sheet, long signature,
                        bool last);

// "Print Now": the run for Layout (0-2 n-up; 3 signatures when DoSig is set, else the
// booklet), and how it ended. Every run shows its own failures.
Outcome PrintNow(Program& p);

}  // namespace quireon2
