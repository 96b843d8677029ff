// The page index: whatever the text and wherever its pieces end, page starts rise strictly
// and lie inside the text, and the pieces do not change them.
#include <cstdint>
#include <string_view>

#include "fuzz_input.h"
#include "textprep/page_scanner.h"

using quireon2::PageScanner;
using quireon2::fuzz::Input;
using quireon2::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  // Page lengths from -8 to 247 lines (below 1: form feeds only) and limits from 1 page.
  const long page_lines = static_cast<long>(in.Byte()) - 8;
  const long max_pages = static_cast<long>(in.Byte() % 64) + 1;
  const unsigned piece = in.Byte() % 16 + 1;
  const std::string_view text = in.Rest();

  PageScanner whole(page_lines, max_pages);
  whole.Feed(text);
  const PageScanner::Pages pages = whole.Finish();

  PageScanner pieces(page_lines, max_pages);
  for (std::size_t i = 0; i < text.size(); i += piece) pieces.Feed(text.substr(i, piece));
  const PageScanner::Pages fed = pieces.Finish();
  Require(fed.total == pages.total && fed.cut == pages.cut && fed.starts == pages.starts,
          "the pieces the text is fed in change its pages");

  const long long length = static_cast<long long>(text.size());
  Require(pages.total >= 0 && pages.total <= max_pages, "page count out of its limits");
  Require(pages.starts.size() == static_cast<std::size_t>(pages.total) + 1,
          "one start for each page and one after the last");
  Require(pages.starts.front() == 1, "the first page starts at the text's first byte");
  Require(pages.total > 0 || length == 0 || text.find_first_not_of("\f\r\n \t\x1a") ==
                                                std::string_view::npos,
          "a text with something printable has a page");
  for (long k = 0; k < pages.total; ++k) {
    Require(pages.starts[k] >= 1 && pages.starts[k] <= length, "a page starts outside the text");
    Require(pages.starts[k] < pages.starts[k + 1], "page starts do not rise");
  }
  Require(pages.starts.back() <= length + 1, "the end lies past the text");
  Require(pages.cut || pages.starts.back() == length + 1, "an uncut index ends at the text's end");
  return 0;
}
