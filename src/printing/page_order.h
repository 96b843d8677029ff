// Which page goes into which cell of which sheet side: the booklet order, the signature
// order and the plain 1-up, 2-up and 4-up order. Pure arithmetic on page and sheet numbers;
// a page number beyond the text's last page names a blank cell.
#pragma once

#include <optional>

namespace quireon2 {

// The pages of one sheet side: `left` goes into cell 1, `right` into cell 2.
struct SidePages {
  long left = 0;
  long right = 0;
  bool operator==(const SidePages& o) const { return left == o.left && right == o.right; }
};

// Side `side` (1 front, 2 back) of sheet `sheet` (1 = the outermost sheet of the fold) of a
// booklet of `sheet_count` sheets, that is 4 x sheet_count page places.
SidePages BookletSide(long sheet_count, long sheet, int side);

// Side `side` of sheet `sheet` of signature `signature` (all from 1), each signature a small
// booklet of `sheets_per_sig` sheets holding the next 4 x sheets_per_sig pages.
SidePages SignatureSide(long sheets_per_sig, long signature, long sheet, int side);

// Sheets in each signature: sheet_count / sig_count rounded up. Nothing for no signatures
// or fewer, which hold no sheet at all.
std::optional<long> SheetsPerSignature(long sheet_count, long sig_count);

// Where page `page` of `total_pages` goes in the n-up layouts (0 1 up, 1 2 up, 2 4 up):
// its cell, and whether the sheet side is full (or the text over) after it.
struct NUpPlace {
  int cell = 1;
  bool ends_side = true;
  bool operator==(const NUpPlace& o) const { return cell == o.cell && ends_side == o.ends_side; }
};
NUpPlace NUpPlacement(int layout, long page, long total_pages);

}  // namespace quireon2
