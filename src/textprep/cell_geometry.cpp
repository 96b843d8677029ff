// Where the cells of each layout lie on a sheet side and how large they are.
#include "textprep/cell_geometry.h"

#include <string>

#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

// The border, gutter and offset sums are 16-bit in the settings, and stay so here; one
// that leaves the range names the settings it was made of, for the user to mend.
long long Named16(long long value, const std::string& settings) {
  try {
    return CheckedInteger(value);
  } catch (const RuntimeError&) {
    RaiseFailure(kOverflow, "Overflow (" + settings + " = " + std::to_string(value) +
                                " in the settings is out of range)");
  }
}

long long Sum16(long long a, long long b, const std::string& settings) {
  return Named16(a + b, settings);
}

long long Twice16(long long border, const std::string& setting) {
  return Named16(2LL * border, "2 x " + setting);
}

long long Half(double twips) { return CheckedLong(RoundHalfEven(twips)) / 2; }

// The two landscape layouts differ only in their gutter.
void SideBySide(int gutter, const char* gutter_name, double sw, double sh, const Settings& s,
                LayoutRecord& r) {
  r.cell_count = 2;
  r.orientation = 2;
  r.cell_height = CheckedLong(
      RoundHalfEven(sh - static_cast<double>(Twice16(s.YEdgeBorder2, "YEdgeBorder2")) -
                    static_cast<double>(Sum16(s.OffsetTop, s.OffsetBottom,
                                              "OffsetTop + OffsetBottom"))));
  const std::string gutter_sum = gutter_name + std::string(" / 2 + XEdgeBorder2");
  r.cell_width = CheckedLong(Half(sw) - Sum16(gutter / 2, s.XEdgeBorder2, gutter_sum) -
                             Sum16(s.OffsetLeft, s.OffsetRight, "OffsetLeft + OffsetRight"));
  // The offsets were measured on the portrait sheet: top moves the cells along x here.
  r.x[1] = static_cast<Long>(Sum16(s.XEdgeBorder2, s.OffsetTop, "XEdgeBorder2 + OffsetTop"));
  r.x[2] = CheckedLong(Half(sw) + gutter / 2 + s.OffsetTop);
  r.y[1] = r.y[2] =
      static_cast<Long>(Sum16(s.YEdgeBorder2, s.OffsetRight, "YEdgeBorder2 + OffsetRight"));
}

}  // namespace

void ComputeCellGeometry(int layout, double sw, double sh, const Settings& s, LayoutRecord& r) {
  switch (layout) {
    case kLayout1Up:
      r.cell_count = 1;
      r.orientation = 1;
      r.cell_height = CheckedLong(
          RoundHalfEven(sh - static_cast<double>(Twice16(s.YEdgeBorder1, "YEdgeBorder1"))));
      r.cell_width = CheckedLong(
          RoundHalfEven(sw - static_cast<double>(Twice16(s.XEdgeBorder1, "XEdgeBorder1"))));
      r.x[1] = static_cast<Long>(Sum16(s.XEdgeBorder1, s.OffsetLeft, "XEdgeBorder1 + OffsetLeft"));
      r.y[1] = static_cast<Long>(Sum16(s.YEdgeBorder1, s.OffsetTop, "YEdgeBorder1 + OffsetTop"));
      break;
    case kLayout4Up: {
      r.cell_count = 4;
      r.orientation = 1;
      const long long gutter_half = s.FourUpGutter / 2;
      r.cell_height = CheckedLong(
          Half(sh) - Sum16(gutter_half, s.YEdgeBorder4, "FourUpGutter / 2 + YEdgeBorder4") -
          Sum16(s.OffsetLeft, s.OffsetRight, "OffsetLeft + OffsetRight"));
      r.cell_width = CheckedLong(
          Half(sw) - Sum16(gutter_half, s.XEdgeBorder4, "FourUpGutter / 2 + XEdgeBorder4") -
          Sum16(s.OffsetTop, s.OffsetBottom, "OffsetTop + OffsetBottom"));
      r.x[1] = r.x[3] =
          static_cast<Long>(Sum16(s.XEdgeBorder4, s.OffsetLeft, "XEdgeBorder4 + OffsetLeft"));
      r.x[2] = r.x[4] = CheckedLong(Half(sw) + gutter_half + s.OffsetLeft);
      r.y[1] = r.y[2] =
          static_cast<Long>(Sum16(s.YEdgeBorder4, s.OffsetTop, "YEdgeBorder4 + OffsetTop"));
      r.y[3] = r.y[4] = CheckedLong(Half(sh) + gutter_half + s.OffsetTop);
      break;
    }
    case kLayout2Up:
      SideBySide(s.TwoUpGutter, "TwoUpGutter", sw, sh, s, r);
      break;
    case kLayoutBooklet:
      SideBySide(s.BookletGutter, "BookletGutter", sw, sh, s, r);
      break;
    default:
      RaiseFailure(kSubscriptOutOfRange);
  }
}

}  // namespace quireon2
