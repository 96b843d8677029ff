// The numbers each layout derives from its cells and its printer font: the cell geometry
// of all four layouts, the line height, the average character width, characters per line
// and lines per page.
#pragma once

#include "settings/outcome.h"
#include "settings/program_state.h"

namespace quireon2 {

// Recomputes the cell geometry of every layout and, when `font_size` is not 0, the current
// layout's font size and line height. A failure is shown through ReportError and ends the
// computation, a printer failure; records already done keep their new values. Leaves the
// surface in landscape.
Outcome ComputeLayoutMetrics(Program& p, Integer font_size);

// Gives `font_size` (points) to the surface and the current layout record and measures that
// record's line height with the face the surface holds. Does nothing for 0. Raises
// RuntimeError on a refused size or an overflow.
void SetLayoutFontSize(Program& p, Integer font_size);

// Puts the current layout's font and orientation on the surface and computes its line
// height, CharWidth, CharsPerLine and LinesPerPage. A failure ends it; values not yet
// computed keep their previous ones. A refused setting (380) is shown and is a printer
// failure; a zero or oversized measurement passes unremarked.
Outcome SetTextMetrics(Program& p);

}  // namespace quireon2
