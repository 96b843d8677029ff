// Finds where the pages of the line file begin, fed its bytes a piece at a time.
#pragma once

#include <string_view>
#include <vector>

namespace quireon2 {

// Line feeds end lines and form feeds end pages (a form feed also ends its line); a page
// ends after `page_lines` lines (never, when page_lines < 1). A form feed followed by
// nothing but line ends, blanks and the end-of-file character 26 closes the last page and
// starts none. Pages are counted to the end of the text even past `max_pages`: only then
// is it known whether the limit leaves anything out.
class PageScanner {
 public:
  struct Pages {
    long total = 0;        // pages to print, at most max_pages
    bool cut = false;      // the text has more pages than max_pages
    // 1-based byte positions: each page's first byte, then one past the text's end (or,
    // when cut, the first byte of the first page left out). total + 1 entries.
    std::vector<long long> starts;
  };

  PageScanner(long page_lines, long max_pages);
  void Feed(std::string_view bytes);
  // The pages of everything fed.
  Pages Finish() const;

 private:
  long page_lines_;
  long max_pages_;
  long long length_ = 0;
  long page_ = 1;
  long line_ = 0;
  long long page_begin_ = 1;
  // While nothing but line ends and blanks follows the latest form feed: the page it ended.
  long closed_page_ = 0;
  std::vector<long long> starts_{1};  // for pages 1 .. max_pages + 1
};

}  // namespace quireon2
