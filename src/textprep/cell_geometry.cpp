// Where the cells of each layout lie on a sheet side and how large they are.
#include "textprep/cell_geometry.h"

#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

// The border, gutter and offset sums are 16-bit in the settings, and stay so here.
long long Sum16(long long a, long long b) { return CheckedInteger(a + b); }

long long Half(double twips) { return CheckedLong(RoundHalfEven(twips)) / 2; }

// The two landscape layouts differ only in their gutter.
void SideBySide(int gutter, double sw, double sh, const Settings& s, LayoutRecord& r) {
  r.cell_count = 2;
  r.orientation = 2;
  r.cell_height =
      CheckedLong(RoundHalfEven(sh - static_cast<double>(CheckedInteger(2LL * s.YEdgeBorder2)) -
                                static_cast<double>(Sum16(s.OffsetTop, s.OffsetBottom))));
  r.cell_width = CheckedLong(Half(sw) - Sum16(gutter / 2, s.XEdgeBorder2) -
                             Sum16(s.OffsetLeft, s.OffsetRight));
  // The offsets were measured on the portrait sheet: top moves the cells along x here.
  r.x[1] = static_cast<Long>(Sum16(s.XEdgeBorder2, s.OffsetTop));
  r.x[2] = CheckedLong(Half(sw) + gutter / 2 + s.OffsetTop);
  r.y[1] = r.y[2] = static_cast<Long>(Sum16(s.YEdgeBorder2, s.OffsetRight));
}

}  // namespace

void ComputeCellGeometry(int layout, double sw, double sh, const Settings& s, LayoutRecord& r) {
  switch (layout) {
    case kLayout1Up:
      r.cell_count = 1;
      r.orientation = 1;
      r.cell_height = CheckedLong(
          RoundHalfEven(sh - static_cast<double>(CheckedInteger(2LL * s.YEdgeBorder1))));
      r.cell_width = CheckedLong(
          RoundHalfEven(sw - static_cast<double>(CheckedInteger(2LL * s.XEdgeBorder1))));
      r.x[1] = static_cast<Long>(Sum16(s.XEdgeBorder1, s.OffsetLeft));
      r.y[1] = static_cast<Long>(Sum16(s.YEdgeBorder1, s.OffsetTop));
      break;
    case kLayout4Up: {
      r.cell_count = 4;
      r.orientation = 1;
      const long long gutter_half = s.FourUpGutter / 2;
      r.cell_height = CheckedLong(Half(sh) - Sum16(gutter_half, s.YEdgeBorder4) -
                                  Sum16(s.OffsetLeft, s.OffsetRight));
      r.cell_width = CheckedLong(Half(sw) - Sum16(gutter_half, s.XEdgeBorder4) -
                                 Sum16(s.OffsetTop, s.OffsetBottom));
      r.x[1] = r.x[3] = static_cast<Long>(Sum16(s.XEdgeBorder4, s.OffsetLeft));
      r.x[2] = r.x[4] = CheckedLong(Half(sw) + gutter_half + s.OffsetLeft);
      r.y[1] = r.y[2] = static_cast<Long>(Sum16(s.YEdgeBorder4, s.OffsetTop));
      r.y[3] = r.y[4] = CheckedLong(Half(sh) + gutter_half + s.OffsetTop);
      break;
    }
    case kLayout2Up:
      SideBySide(s.TwoUpGutter, sw, sh, s, r);
      break;
    case kLayoutBooklet:
      SideBySide(s.BookletGutter, sw, sh, s, r);
      break;
    default:
      RaiseFailure(kSubscriptOutOfRange);
  }
}

}  // namespace quireon2
