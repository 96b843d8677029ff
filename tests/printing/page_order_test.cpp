// Page orders checked against models built the other way round: the booklet by reading a
// folded stack of sheets page after page, the n-up layouts by filling cells in turn.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "printing/page_order.h"
#include "settings/program_state.h"
#include "textprep/sheet_count.h"

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
    for (long signatures = 1; signatures <= 4; ++signatures) {
      for (long g = 1; g <= signatures; ++g) {
        const auto want = ReadFoldedStack(per_sig, 4 * per_sig * (g - 1) + 1);
        for (long s = 1; s <= per_sig; ++s) {
          for (int k = 1; k <= 2; ++k) {
            const SidePages got = SignatureSide(per_sig, g, s, k);
            const SidePages expected{want.at({s, k, 1}), want.at({s, k, 2})};
            ASSERT_EQ(got, expected) << per_sig << " sheets, signature " << g << " sheet " << s
                                     << " side " << k;
            if (g == 1) {
              ASSERT_EQ(BookletSide(per_sig, s, k), expected);
            }
          }
        }
      }
    }
  }
}

TEST(PageOrderProperty, SheetCountsHoldEveryPageWithNoSpareSheet) {
  const int per_sheet[4] = {1, 2, 4, 4};  // 1 up, 2 up, 4 up, booklet
  for (long pages = 1; pages <= 70; ++pages) {
    for (int layout = 0; layout < 4; ++layout) {
      const long sheets = CountSheets(layout, pages);
      ASSERT_GE(sheets * per_sheet[layout], pages) << layout << " " << pages;
      ASSERT_LT((sheets - 1) * per_sheet[layout], pages) << layout << " " << pages;
    }
    for (long sigs = 1; sigs <= 7; ++sigs) {
      const long per_sig = *SheetsPerSignature(pages, sigs);
      ASSERT_GE(per_sig * sigs, pages) << pages << " sheets in " << sigs;
      ASSERT_LT((per_sig - 1) * sigs, pages) << pages << " sheets in " << sigs;
    }
  }
  EXPECT_EQ(SheetsPerSignature(5, 0), std::nullopt);
  for (int no_layout : {-1, 4}) EXPECT_EQ(CountSheets(no_layout, 9), 0);
}

TEST(PageOrderProperty, NUpPagesFillTheCellsInTurn) {
  const int cells[3] = {1, 2, 4};
  for (int layout = 0; layout < 3; ++layout) {
    for (long total = 1; total <= 11; ++total) {
      int cell = 0;
      for (long page = 1; page <= total; ++page) {
        cell = cell % cells[layout] + 1;
        const NUpPlace want{cell, cell == cells[layout] || page == total};
        ASSERT_EQ(NUpPlacement(layout, page, total), want)
            << "layout " << layout << " page " << page << " of " << total;
      }
    }
  }
}

}  // namespace
}  // namespace quireon2
