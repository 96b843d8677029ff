// The booklet and signature orders as pure arithmetic; where each page lands on paper is
// checked end to end, for every paper-feed mode, on "Print to PDF".
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "printing/page_order.h"
#include "settings/program_state.h"
#include "textprep/sheet_count.h"

namespace quireon2 {
namespace {

// Every page place of a booklet or a signature set holds each page exactly once, the
// places beyond the text being the blanks.
TEST(PageOrderProperty, EveryOrderIsAPermutationOfPagesPlusBlanks) {
  for (long pages = 1; pages <= 60; ++pages) {
    const long sheets = CountSheets(kLayoutBooklet, pages);
    for (long signatures = 1; signatures <= 7; ++signatures) {
      const long per_sig = *SheetsPerSignature(sheets, signatures);
      std::vector<long> seen;
      for (long g = 1; g <= signatures; ++g) {
        for (long s = 1; s <= per_sig; ++s) {
          for (int k = 1; k <= 2; ++k) {
            const SidePages side = SignatureSide(per_sig, g, s, k);
            seen.push_back(side.left);
            seen.push_back(side.right);
          }
        }
      }
      std::sort(seen.begin(), seen.end());
      const long places = signatures * per_sig * 4;
      ASSERT_EQ(static_cast<long>(seen.size()), places) << pages << " pages";
      ASSERT_GE(places, pages);
      for (long i = 0; i < places; ++i) {
        ASSERT_EQ(seen[i], i + 1) << pages << " pages in " << signatures << " signatures";
      }
    }
  }
}

}  // namespace
}  // namespace quireon2
