// The booklet, signature and n-up orders as pure arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "printing/page_order.h"
#include "settings/program_state.h"
#include "textprep/sheet_count.h"

namespace quireon2 {
namespace {

// Every side of a booklet as "left|right", sheet by sheet, front before back.
std::string BookletSides(long sheets) {
  std::string out;
  for (long s = 1; s <= sheets; ++s) {
    for (int k = 1; k <= 2; ++k) {
      SidePages side = BookletSide(sheets, s, k);
      out += std::to_string(side.left) + "|" + std::to_string(side.right) + " ";
    }
  }
  return out;
}

std::string SignatureSides(long per_sig, long signatures) {
  std::string out;
  for (long g = 1; g <= signatures; ++g) {
    for (long s = 1; s <= per_sig; ++s) {
      for (int k = 1; k <= 2; ++k) {
        SidePages side = SignatureSide(per_sig, g, s, k);
        out += std::to_string(side.left) + "|" + std::to_string(side.right) + " ";
      }
    }
    out += "/ ";
  }
  return out;
}

TEST(BookletOrder, WorkedExamples) {
  EXPECT_EQ(BookletSides(1), "4|1 2|3 ");
  EXPECT_EQ(BookletSides(2), "8|1 2|7 6|3 4|5 ");
  // 10 pages take 3 sheets, 12 places: 11 and 12 stay blank beside pages 1 and 2.
  EXPECT_EQ(BookletSides(3), "12|1 2|11 10|3 4|9 8|5 6|7 ");
}

TEST(SignatureOrder, WorkedExamples) {
  // 16 (or 10) pages in 2 signatures of 2 sheets.
  EXPECT_EQ(SignatureSides(2, 2), "8|1 2|7 6|3 4|5 / 16|9 10|15 14|11 12|13 / ");
  // 20 pages in 2 signatures of 3 sheets.
  EXPECT_EQ(SignatureSides(3, 2),
            "12|1 2|11 10|3 4|9 8|5 6|7 / 24|13 14|23 22|15 16|21 20|17 18|19 / ");
}

TEST(SignatureOrder, SheetsPerSignature) {
  EXPECT_EQ(SheetsPerSignature(4, 2), 2);
  EXPECT_EQ(SheetsPerSignature(5, 2), 3);
  EXPECT_EQ(SheetsPerSignature(3, 2), 2);
  // More signatures than sheets: one sheet each, the further ones blank.
  EXPECT_EQ(SheetsPerSignature(2, 5), 1);
  EXPECT_EQ(SheetsPerSignature(0, 3), 0);
  EXPECT_FALSE(SheetsPerSignature(4, 0).has_value());
  // A negative count leaves no sheet: 3 / -2 cuts to -1, plus one for the remainder.
  EXPECT_EQ(SheetsPerSignature(3, -2), 0);
}

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
            SidePages side = SignatureSide(per_sig, g, s, k);
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

TEST(NUpOrder, CellsAndSideEnds) {
  // 4 up, 6 pages: 1 2 / 3 4 on the first side; 5 6 on top of the second, which the last
  // page ends.
  const NUpPlace four_up[] = {{1, false}, {2, false}, {3, false}, {4, true}, {1, false},
                              {2, true}};
  for (long page = 1; page <= 6; ++page) {
    EXPECT_EQ(NUpPlacement(kLayout4Up, page, 6), four_up[page - 1]) << "page " << page;
  }
  // 2 up, 3 pages: the third page alone on the left, ending its side.
  EXPECT_EQ(NUpPlacement(kLayout2Up, 1, 3), (NUpPlace{1, false}));
  EXPECT_EQ(NUpPlacement(kLayout2Up, 2, 3), (NUpPlace{2, true}));
  EXPECT_EQ(NUpPlacement(kLayout2Up, 3, 3), (NUpPlace{1, true}));
  for (long page = 1; page <= 3; ++page) {
    EXPECT_EQ(NUpPlacement(kLayout1Up, page, 3), (NUpPlace{1, true}));
  }
}

}  // namespace
}  // namespace quireon2
