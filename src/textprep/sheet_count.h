// Sheet counts: how many sheets a layout needs for a page count.
#pragma once

#include "settings/program_state.h"

namespace quireon2 {

// a \ b plus 1 when the division leaves a remainder (cut toward zero); 0 when b is 0.
// Works in wide arithmetic; callers keep 16-bit results where the counts are shown.
long CeilDiv(long a, long b);

// Sheets needed for `pages` pages in `layout`: 1 up one per page, 2 up pages rounded up to
// even then halved, 4 up and booklet rounded up to a multiple of 4 then quartered; any
// other layout 0.
long CountSheets(int layout, long pages);

}  // namespace quireon2
