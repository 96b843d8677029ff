// The booklet's page order checked against a model built the other way round: reading a
// folded stack of sheets page after page. (The n-up layouts fill their cells in reading
// order, which the end-to-end table on "Print to PDF" checks page by page.)
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "printing/page_order.h"
#include "settings/program_state.h"

namespace quireon2 {
namespace {

// (sheet, side, cell) -> page for one folded signature of `sheets` sheets. Reading it, the
// first half turns over the right half of each sheet from the outside in (front, then
// back), the second half comes back out over the left halves (back, then front).
std::map<std::tuple<long, int, int>, long> ReadFoldedStack(long sheets, long first_page) {
  std::map<std::tuple<long, int, int>, long> at;
  long page = first_page;
  for (long s = 1; s <= sheets; ++s) {
    at[{s, 1, 2}] = page++;
    at[{s, 2, 1}] = page++;
  }
  for (long s = sheets; s >= 1; --s) {
    at[{s, 2, 2}] = page++;
    at[{s, 1, 1}] = page++;
  }
  return at;
}

TEST(PageOrderProperty, BookletsAndSignaturesFollowTheFoldedStack) {
  for (long per_sig = 1; per_sig <= 9; ++per_sig) {
    for (long g = 1; g <= 4; ++g) {
      const auto want = ReadFoldedStack(per_sig, 4 * per_sig * (g - 1) + 1);
      for (long s = 1; s <= per_sig; ++s) {
        for (int k = 1; k <= 2; ++k) {
          const SidePages expected{want.at({s, k, 1}), want.at({s, k, 2})};
          ASSERT_EQ(SignatureSide(per_sig, g, s, k), expected)
              << per_sig << " sheets, signature " << g << " sheet " << s << " side " << k;
          // A booklet is one signature of all its sheets.
          if (g == 1) {
            ASSERT_EQ(BookletSide(per_sig, s, k), expected);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace quireon2
