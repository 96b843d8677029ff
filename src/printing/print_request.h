// The first steps of a print request, before the status window opens: the layout's font,
// metrics, size and orientation go to the printer and the preview shows them.
#pragma once

#include "settings/outcome.h"
#include "settings/program_state.h"

namespace quireon2 {

// Gives the printer the current layout's font name, recomputes the layout metrics for its
// size, sets the printer's font size and orientation and refreshes the font preview.
// A printer failure when the printer refused the font, size or orientation; the reason has
// been shown once. A failure of the layout metrics alone is gone on past, as the window does.
Outcome PrepareForPrint(Program& p);

}  // namespace quireon2
