// The page scanner: page starts from line counts and form feeds.
#include "textprep/page_scanner.h"

#include <algorithm>

namespace quireon2 {
namespace {

// What may follow a closing form feed without making a page: line ends, blanks, and the
// end-of-file character 26 that the page drawing takes as a line end.
bool IsLineEndOrBlank(char byte) {
  return byte == '\r' || byte == '\n' || byte == ' ' || byte == '\t' || byte == '\x1a';
}

}  // namespace

PageScanner::PageScanner(long page_lines, long max_pages)
    : page_lines_(page_lines), max_pages_(max_pages) {}

void PageScanner::Feed(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char byte = bytes[i];
    if (byte == '\f') {
      closed_page_ = page_;
    } else if (!IsLineEndOrBlank(byte)) {
      closed_page_ = 0;
    }
    if (byte != '\n' && byte != '\f') continue;
    ++line_;
    if (line_ == page_lines_ || byte == '\f') {
      ++page_;
      line_ = 0;
      page_begin_ = length_ + static_cast<long long>(i) + 2;
      if (page_ <= max_pages_ + 1) starts_.push_back(page_begin_);
    }
  }
  length_ += static_cast<long long>(bytes.size());
}

PageScanner::Pages PageScanner::Finish() const {
  Pages pages;
  // A text that ends exactly at a page break has no empty last page; pages begun after a
  // closing form feed are dropped again.
  long total = page_begin_ > length_ ? page_ - 1 : page_;
  if (closed_page_ != 0) total = closed_page_;
  pages.cut = total > max_pages_;
  pages.total = std::min(total, max_pages_);
  pages.starts.assign(starts_.begin(), starts_.begin() + pages.total);
  // The entry after the last page: where the first page left out starts, else the end.
  pages.starts.push_back(pages.cut ? starts_[static_cast<std::size_t>(pages.total)]
                                   : length_ + 1);
  return pages;
}

}  // namespace quireon2
