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

// Stops a print run whose settings leave no room for a line in the current layout's cells:
// a font size below 1 point, a line height of 0 or below (LineMultiple not a positive finite
// number, or too small), a cell of no width or height, an overflowing sum, a cell off the
// page or a line higher than the cell. Shows a message naming the keys and their values and
// returns a source failure; a surface that refuses the size or orientation is a printer
// failure, shown. Leaves the surface in the layout's orientation and font size.
Outcome CheckRoomForLines(Program& p);

// Gives `font_size` (points) to the surface and the current layout record and measures that
// record's line height with the face the surface holds. Does nothing for 0. Raises
// RuntimeError on a refused size or an overflow.
void SetLayoutFontSize(Program& p, Integer font_size);

// Puts the current layout's font and orientation on the surface and computes its line
// height, CharWidth, CharsPerLine and LinesPerPage. A failure ends it; values not yet
// computed keep their previous ones. A refused setting (380) is shown and is a printer
// failure; fewer than one line a page after the header's and footer's lines is shown and is
// a source failure; a zero or oversized measurement passes unremarked.
Outcome SetTextMetrics(Program& p);

}  // namespace quireon2
