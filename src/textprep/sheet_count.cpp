// Sheet counts: how many sheets a layout needs for a page count.
#include "textprep/sheet_count.h"

namespace quireon2 {

long CeilDiv(long a, long b) {
  if (b == 0) return 0;
  return a / b + (a % b != 0 ? 1 : 0);
}

long CountSheets(int layout, long pages) {
  switch (layout) {
    case kLayout1Up: return pages;
    case kLayout2Up: return (pages + pages % 2) / 2;
    case kLayout4Up:
    case kLayoutBooklet: return (pages % 4 == 0 ? pages : pages + 4 - pages % 4) / 4;
    default: return 0;
  }
}

}  // namespace quireon2
