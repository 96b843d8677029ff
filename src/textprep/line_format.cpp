// The word wrap, tab expansion and UTF-8 character boundaries.
#include "textprep/line_format.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "settings/text_helpers.h"
#include "textprep/line_file.h"

namespace quireon2 {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool EndsWithLineEnd(std::string_view text) {
  return text.size() >= 2 && text[text.size() - 2] == '\r' && text.back() == '\n';
}

// The character of the valid UTF-8 sequence of `length` bytes at text[i].
char32_t Decode(std::string_view text, std::size_t i, std::size_t length) {
  if (length == 1) return static_cast<unsigned char>(text[i]);
  char32_t cp = static_cast<unsigned char>(text[i]) & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
  return cp;
}

// The blocks of combining diacritical marks: drawn over the character before them, they
// take no column.
bool IsCombiningMark(char32_t c) {
  return (c >= 0x300 && c <= 0x36F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE20 && c <= 0xFE2F);
}

// Bytes beyond a piece that decide where it ends: the rest of a character cut by the
// piece's size (up to three bytes) and the LF after a CR.
constexpr std::size_t kLookAhead = 4;

// An open printed line longer than this is written out as it stands, so the text held back
// stays small even where the font gives characters no width; a word that does not fit can
// then move back only to a blank after that point.
constexpr std::size_t kMaxOpenLine = 1 << 16;

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t n = c >= 0xF0 && c <= 0xF4   ? 4
                  : c >= 0xE0 && c <= 0xEF ? 3
                  : c >= 0xC2 && c <= 0xDF ? 2
                                           : 1;
  if (n == 1 || i + n > text.size()) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(text[i + k]))) return 1;
  }
  return n;
}

bool IsCharBoundary(std::string_view text, std::size_t i) {
  if (i == 0 || i >= text.size()) return true;
  // A sequence is at most four bytes, so its lead byte lies at most three bytes back.
  for (std::size_t back = 1; back <= 3 && back <= i; ++back) {
    std::size_t k = i - back;
    if (IsContinuation(static_cast<unsigned char>(text[k]))) continue;
    return k + Utf8SequenceLength(text, k) <= i;
  }
  return true;
}

void AppendExpandedTabs(std::string_view text, int tab_width, std::string& out) {
  const std::size_t blanks = tab_width > 0 ? static_cast<std::size_t>(tab_width) : 0;
  std::size_t start = 0;
  for (std::size_t tab = text.find('\t'); tab != std::string_view::npos;
       tab = text.find('\t', start)) {
    out.append(text.substr(start, tab - start));
    out.append(blanks, ' ');
    start = tab + 1;
  }
  out.append(text.substr(start));
}

TabStops::TabStops(int tab_width)
    : tab_width_(tab_width > 0 ? static_cast<std::size_t>(tab_width) : 0) {}

void TabStops::Append(std::string_view text, std::string& out) {
  if (!held_.empty()) {
    joined_ = held_;
    joined_.append(text);
    held_.clear();
    text = joined_;
  }
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      if (byte == '\t') {
        const std::size_t blanks = tab_width_ == 0 ? 0 : tab_width_ - column_ % tab_width_;
        out.append(blanks, ' ');
        column_ += blanks;
      } else {
        out.push_back(static_cast<char>(byte));
        column_ = byte == '\n' ? 0 : column_ + 1;
      }
      ++i;
      continue;
    }
    // A lead byte whose sequence the chunk's end cuts waits for the rest of it.
    const std::size_t want = byte >= 0xF0 && byte <= 0xF4   ? 4
                             : byte >= 0xE0 && byte <= 0xEF ? 3
                             : byte >= 0xC2 && byte <= 0xDF ? 2
                                                            : 1;
    if (want > 1 && i + want > text.size()) {
      bool cut = true;
      for (std::size_t k = i + 1; k < text.size(); ++k) cut = cut && IsContinuation(text[k]);
      if (cut) {
        held_.assign(text.substr(i));
        return;
      }
    }
    const std::size_t length = Utf8SequenceLength(text, i);
    if (!IsCombiningMark(Decode(text, i, length))) ++column_;
    out.append(text.substr(i, length));
    i += length;
  }
}

void TabStops::Finish(std::string& out) {
  // A character cut short by the text's end is bytes of their own.
  out.append(held_);
  held_.clear();
}

LineWrap::LineWrap(long long chars_per_line, long long cell_width, WidthFunction width)
    // Fewer than one character a piece would write nothing and lose the text.
    : piece_chars_(chars_per_line < 1
                       ? 1
                       : static_cast<std::size_t>(std::min<long long>(
                             chars_per_line, std::numeric_limits<long long>::max() / 2))),
      cell_width_(cell_width),
      width_(std::move(width)) {}

void LineWrap::Add(std::string_view text, std::string& out) {
  text_.append(text);
  Wrap(false, out);
}

void LineWrap::Finish(std::string& out) {
  Wrap(true, out);
  // A full piece that fits at the very end stays as it is, without a line end.
  out.append(text_, line_start_, std::string::npos);
  text_.clear();
  line_start_ = p_ = 0;
  indent_ = 0;
}

void LineWrap::Wrap(bool at_end, std::string& out) {
  const std::string_view text = text_;
  const std::size_t size = text.size();
  // Until the end, a piece waits for the bytes that decide where it ends.
  while (p_ < size && (at_end || size - p_ >= piece_chars_ + kLookAhead)) {
    std::size_t first_len = std::min(piece_chars_, size - p_);
    while (p_ + first_len < size && !IsCharBoundary(text, p_ + first_len)) ++first_len;
    // A piece never ends between the CR and the LF of a line end: split, the pair would be
    // measured as text and end no line.
    if (p_ + first_len < size && text[p_ + first_len - 1] == '\r' && text[p_ + first_len] == '\n') {
      ++first_len;
    }
    // A full piece has all its characters; only one cut short by the text's end has not.
    const bool full = first_len >= piece_chars_;
    std::string_view piece = text.substr(p_, first_len);
    const std::size_t line_end = piece.find("\r\n");
    if (line_end != std::string_view::npos) piece = piece.substr(0, line_end + 2);
    long long avail = cell_width_ - indent_;
    // Blanks may have run past the cell's edge: nothing that shows may follow them there.
    if (avail < 0) avail = 0;

    std::size_t len = piece.size();
    if (width_(piece) > avail) {
      std::size_t last_tried = len;
      len = FitAtBlank(piece, avail, last_tried);
      if (len == 0) {
        // The piece's first word does not fit. On a line that full pieces have begun, the
        // line ends at its own last blank and the whole word starts the next line.
        const std::size_t blank = text.substr(line_start_, p_ - line_start_).rfind(' ');
        if (blank != std::string_view::npos) {
          EndLine(line_start_ + blank, out);
          p_ = line_start_ = line_start_ + blank + 1;
          continue;
        }
        len = FitByCharacters(last_tried, avail);
        // Not even the first character fits an empty line: it gets the line to itself.
        if (len == 0 && indent_ == 0 && line_start_ == p_) len = Utf8SequenceLength(text, p_);
      }
    }

    const std::string_view raw = text.substr(p_, len);
    p_ += len;
    if (!full || len != first_len || EndsWithLineEnd(raw)) {
      EndLine(p_, out);
      line_start_ = p_;
      continue;
    }
    // The printed line goes on with the next piece, after all that is printed on it so far:
    // a run of full pieces never grows wider than the cell.
    indent_ += width_(raw);
    if (p_ - line_start_ > kMaxOpenLine) {
      out.append(text.substr(line_start_, p_ - line_start_));
      line_start_ = p_;
    }
  }
  text_.erase(0, line_start_);
  p_ -= line_start_;
  line_start_ = 0;
}

std::size_t LineWrap::FitAtBlank(std::string_view piece, long long avail,
                                 std::size_t& last_tried) {
  // The blanks to break at, last first: the last blank of the piece, then the last blank
  // before the word in front of it, and so on. The text before a blank is measured without
  // its trailing blanks, and a longer text is never narrower, so the longest that fits is
  // found by halving.
  candidates_.clear();
  for (std::string_view rest = piece;;) {
    const std::size_t b = rest.rfind(' ');
    if (b == std::string_view::npos) break;
    candidates_.push_back(b + 1);
    rest = TrimTrailingBlanks(rest.substr(0, b));
  }
  if (candidates_.empty()) return 0;
  std::size_t lo = 0;
  std::size_t hi = candidates_.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (width_(TrimTrailingBlanks(piece.substr(0, candidates_[mid]))) <= avail) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (lo < candidates_.size()) return candidates_[lo];
  last_tried = candidates_.back();
  return 0;
}

std::size_t LineWrap::FitByCharacters(std::size_t upto, long long avail) {
  // The longest start of the piece shorter than `upto` bytes that fits, cut between
  // characters (trailing blanks kept while measuring).
  const std::string_view text = text_;
  candidates_.clear();
  for (std::size_t len = 0; len < upto; ++len) {
    if (IsCharBoundary(text, p_ + len)) candidates_.push_back(len);
  }
  // The empty start always fits (avail is never negative).
  std::size_t lo = 0;
  std::size_t hi = candidates_.size() - 1;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo + 1) / 2;
    if (width_(text.substr(p_, candidates_[mid])) <= avail) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return candidates_[lo];
}

void LineWrap::EndLine(std::size_t end, std::string& out) {
  const std::string_view line = std::string_view(text_).substr(line_start_, end - line_start_);
  if (EndsWithLineEnd(line)) {
    out.append(line);
  } else {
    out.append(TrimTrailingBlanks(line));
    out.append("\r\n");
  }
  indent_ = 0;
}

}  // namespace quireon2
