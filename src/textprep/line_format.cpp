// The word wrap of one chunk, tab expansion and UTF-8 character boundaries.
#include "textprep/line_format.h"

#include <algorithm>
#include <limits>

#include "textprep/line_file.h"

namespace quireon2 {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::string_view TrimTrailingBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return text.substr(0, end);
}

bool EndsWithLineEnd(std::string_view text) {
  return text.size() >= 2 && text[text.size() - 2] == '\r' && text.back() == '\n';
}

}  // namespace

long FindLast(std::string_view text, std::string_view sought) {
  // Every position from the end is tried, so an empty sought text matches at the last one.
  if (sought.empty()) return static_cast<long>(text.size());
  std::size_t at = text.rfind(sought);
  return at == std::string_view::npos ? 0 : static_cast<long>(at + 1);
}

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

void WrapChunk(std::string_view chunk, long long chars_per_line, long long cell_width,
               const WidthFunction& width, std::string& out) {
  const std::size_t size = chunk.size();
  // Fewer than one character a line would write nothing and lose the text.
  const std::size_t piece_chars =
      chars_per_line < 1 ? 1
                         : static_cast<std::size_t>(std::min<long long>(
                               chars_per_line, std::numeric_limits<long long>::max() / 2));
  const std::size_t kNotFull = std::numeric_limits<std::size_t>::max();
  std::size_t p = 0;
  long long indent = 0;
  while (p < size) {
    std::size_t first_len = std::min(piece_chars, size - p);
    while (p + first_len < size && !IsCharBoundary(chunk, p + first_len)) ++first_len;
    // A piece never ends between the CR and the LF of a line end: split, the pair would be
    // measured as text and end no line.
    if (p + first_len < size && chunk[p + first_len - 1] == '\r' && chunk[p + first_len] == '\n') {
      ++first_len;
    }
    // A full piece has all its characters; only one cut short by the chunk's end has not.
    const std::size_t full_len = first_len >= piece_chars ? first_len : kNotFull;

    std::string_view piece = chunk.substr(p, first_len);
    std::size_t line_end = piece.find("\r\n");
    if (line_end != std::string_view::npos) piece = piece.substr(0, line_end + 2);
    std::size_t len = piece.size();
    long long tw = width(piece);
    long long avail = cell_width - indent;
    if (avail < 0) avail = 1;

    bool blank_search = true;
    while (tw > avail) {
      long b = 0;
      if (blank_search) {
        b = FindLast(piece, " ");
        if (b == 0) blank_search = false;
      }
      if (b > 0) {
        len = static_cast<std::size_t>(b);
        piece = TrimTrailingBlanks(chunk.substr(p, len));
      } else {
        if (len == 0) break;
        --len;
        while (len > 0 && !IsCharBoundary(chunk, p + len)) --len;
        piece = chunk.substr(p, len);
      }
      tw = width(piece);
    }
    if (len == 0 && indent == 0) {
      // Not even the first character fits an empty line: it gets the line to itself.
      len = Utf8SequenceLength(chunk, p);
      piece = chunk.substr(p, len);
    }

    const long long used = indent;
    indent = 0;
    if (len == full_len) {
      std::string_view raw = chunk.substr(p, len);
      long q = FindLast(raw, "\r\n");
      out.append(raw);
      if (!EndsWithLineEnd(raw)) {
        // The printed line goes on with the next piece, after all that is printed on it so
        // far: a run of full pieces never grows wider than the cell.
        indent = q == 0 ? used + width(raw) : width(raw.substr(static_cast<std::size_t>(q) + 1));
      }
    } else if (EndsWithLineEnd(piece)) {
      out.append(piece);
    } else {
      out.append(TrimTrailingBlanks(piece));
      out.append("\r\n");
    }
    p += len;
  }
}

}  // namespace quireon2
