// Small helpers shared by the text preparation tests.
#pragma once

#include <string>

#include "settings/program_state.h"

namespace quireon2::testing {

inline std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

// Makes the booklet the current layout with a landscape cell of the given size.
inline LayoutRecord& UseBookletCell(Program& p, Long width, Long height, Integer font_size) {
  p.settings().Layout = kLayoutBooklet;
  LayoutRecord& r = p.settings_state.layouts[kLayoutBooklet];
  r.cell_width = width;
  r.cell_height = height;
  r.orientation = 2;
  r.font_size = font_size;
  return r;
}

}  // namespace quireon2::testing
