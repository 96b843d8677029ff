// Shared set-up for the printing tests: fixed cell geometry, a line file written page by
// page, and a transcript of what the recording surface received, side by side.
#pragma once

#include <string>
#include <vector>

#include "support/gtest_support.h"

namespace quireon2::testing {

// Letter paper, 720-twip borders, 1440-twip gutters, 200-twip lines:
//   1 up     cell (720, 720) 10800 x 14400
//   2 up and booklet (landscape) cells x 720 and 8640, y 720, 6480 x 10800
//   4 up     cells x 720 / 6840, y 720 / 8640, 4680 x 6480
void SetTestGeometry(Program& p);

// Writes `pages` (each page's bytes as they stand in the line file) to a line file in
// `dir`, and fills LineFilePath, PageStart, TotalPages and SheetCount for `layout`.
void WritePages(Program& p, const ScratchDir& dir, const std::vector<std::string>& pages,
                int layout);

// n pages whose text is "page 1\r\n", "page 2\r\n", ...
std::vector<std::string> NumberedPages(int n);

// One line per sheet side the surface received: "job J side S: cell C TEXT, ..." with
// "blank" for a side without text; a dropped job ends with "job J side S: ... aborted".
// The cell of a text is found from where it was printed.
std::string Transcript(const RecordingSurface& surface, const Program& p);

}  // namespace quireon2::testing
