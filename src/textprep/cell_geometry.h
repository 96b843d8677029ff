// Where the cells of each layout lie on a sheet side and how large they are.
#pragma once

#include "settings/program_state.h"

namespace quireon2 {

// The cell geometry of `layout` (0..3) on a printable area of `scale_width` x
// `scale_height` twips in the layout's orientation, with borders, gutters and offsets from
// `s`. Cell count and orientation are filled in too; the font fields are left alone.
// Raises RuntimeError 6 when the 16-bit border and gutter arithmetic or a 32-bit result
// overflows.
void ComputeCellGeometry(int layout, double scale_width, double scale_height,
                         const Settings& s, LayoutRecord& record);

}  // namespace quireon2
