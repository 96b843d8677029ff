// A text of pages separated by form feeds whose only words are markers: "M1", "M2", ...
#pragma once

#include <string>

namespace quireon2::testing {

inline std::string MarkerPages(int pages) {
  std::string text;
  for (int i = 1; i <= pages; ++i) text += (i > 1 ? "\fM" : "M") + std::to_string(i) + "\r\n";
  return text;
}

}  // namespace quireon2::testing
