// Which page goes into which cell of which sheet side.
#include "printing/page_order.h"

#include "settings/program_state.h"
#include "textprep/sheet_count.h"

namespace quireon2 {

SidePages BookletSide(long sheet_count, long sheet, int side) {
  // A booklet is one signature holding every sheet.
  return SignatureSide(sheet_count, 1, sheet, side);
}

SidePages SignatureSide(long sheets_per_sig, long signature, long sheet, int side) {
  const long pages = 4 * sheets_per_sig;
  const long base = pages * (signature - 1);
  // The front of sheet s carries the s-th odd page on the right and its partner across the
  // fold on the left; the back carries the next even page on the left.
  if (side == 1) return {base + pages - 2 * sheet + 2, base + 2 * sheet - 1};
  return {base + 2 * sheet, base + pages - 2 * sheet + 1};
}

std::optional<long> SheetsPerSignature(long sheet_count, long sig_count) {
  if (sig_count <= 0) return std::nullopt;
  return CeilDiv(sheet_count, sig_count);
}

NUpPlace NUpPlacement(int layout, long page, long total_pages) {
  const bool last = page >= total_pages;
  switch (layout) {
    case kLayout2Up: {
      const int cell = page % 2 == 1 ? 1 : 2;
      return {cell, cell == 2 || last};
    }
    case kLayout4Up: {
      const int cell = static_cast<int>((page - 1) % 4) + 1;
      return {cell, cell == 4 || last};
    }
    default:
      return {1, true};
  }
}

}  // namespace quireon2
