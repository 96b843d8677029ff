// The sheet orders: the booklet, every way of splitting it into signatures and the n-up
// layouts place each page of the text exactly once, fill the other places with blank page
// numbers, and use the sheets the sheet count promises.
#include <cstdint>
#include <vector>

#include "fuzz_input.h"
#include "printing/page_order.h"
#include "settings/program_state.h"
#include "textprep/sheet_count.h"

using namespace quireon2;
using quireon2::fuzz::Input;
using quireon2::fuzz::Require;

namespace {

// Counts the places of each page from 1 to `pages` and checks the others are blanks past
// the text's end.
class Places {
 public:
  explicit Places(long pages) : seen_(static_cast<std::size_t>(pages) + 1, 0), pages_(pages) {}
  void Put(long page) {
    Require(page >= 1, "a place holds a page number below 1");
    if (page <= pages_) ++seen_[static_cast<std::size_t>(page)];
  }
  void RequireEachOnce() const {
    for (long page = 1; page <= pages_; ++page) {
      Require(seen_[static_cast<std::size_t>(page)] == 1, "a page is left out or placed twice");
    }
  }

 private:
  std::vector<int> seen_;
  long pages_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const long pages = static_cast<long>(in.Word() % 4096) + 1;
  const long sigs = static_cast<long>(in.Byte() % 99) + 1;

  const long sheets = CountSheets(kLayoutBooklet, pages);
  Require(4 * sheets >= pages && 4 * (sheets - 1) < pages, "booklet sheet count");
  Places booklet(pages);
  std::vector<int> seen(static_cast<std::size_t>(4 * sheets) + 1, 0);
  for (long s = 1; s <= sheets; ++s) {
    for (int side = 1; side <= 2; ++side) {
      const SidePages p = BookletSide(sheets, s, side);
      booklet.Put(p.left);
      booklet.Put(p.right);
      // The booklet is one signature: every place of it is a different page number.
      for (long page : {p.left, p.right}) {
        Require(page <= 4 * sheets, "a booklet page past its last place");
        Require(++seen[static_cast<std::size_t>(page)] == 1, "two places with one page number");
      }
      // The two pages of a side face each other across the fold: they add up alike.
      Require(p.left + p.right == 4 * sheets + 1, "a side's pages are not partners");
    }
  }
  booklet.RequireEachOnce();

  const std::optional<long> per_sig = SheetsPerSignature(sheets, sigs);
  Require(per_sig && *per_sig >= 1 && *per_sig * sigs >= sheets, "signatures too small");
  Places signed_pages(pages);
  for (long g = 1; g <= sigs; ++g) {
    for (long s = 1; s <= *per_sig; ++s) {
      for (int side = 1; side <= 2; ++side) {
        const SidePages p = SignatureSide(*per_sig, g, s, side);
        signed_pages.Put(p.left);
        signed_pages.Put(p.right);
        const long first = 4 * *per_sig * (g - 1);
        Require(p.left > first && p.right > first && p.left <= first + 4 * *per_sig &&
                    p.right <= first + 4 * *per_sig,
                "a page outside its signature");
      }
    }
  }
  signed_pages.RequireEachOnce();

  // The n-up layouts: cells 1..n in turn, a side ended after its last cell and after the
  // last page, and as many sides as the sheet count says.
  for (int layout : {kLayout1Up, kLayout2Up, kLayout4Up}) {
    const int cells = layout == kLayout1Up ? 1 : layout == kLayout2Up ? 2 : 4;
    long sides = 0;
    int next_cell = 1;
    for (long page = 1; page <= pages; ++page) {
      const NUpPlace place = NUpPlacement(layout, page, pages);
      Require(place.cell == next_cell, "n-up cells out of turn");
      Require(place.ends_side == (place.cell == cells || page == pages), "side ended wrongly");
      next_cell = place.ends_side ? 1 : next_cell + 1;
      if (place.ends_side) ++sides;
    }
    Require(sides == CountSheets(layout, pages), "sides printed differ from the sheet count");
  }
  return 0;
}
