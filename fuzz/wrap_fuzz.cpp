// The word wrap and the tab expansion of the line-file writer, fed the text in chunks cut
// anywhere: the printed lines do not depend on the cuts, keep every non-blank byte in its
// order, and fit the cell whenever one character does.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "textprep/line_format.h"

using namespace quireon2;
using quireon2::fuzz::Input;
using quireon2::fuzz::Require;

namespace {

// Each character (a valid UTF-8 sequence is one) is `narrow` twips wide, 'W' and every
// character of more than one byte `wide`; CR LF ends a measured line and a text measures as
// its widest line, as the printer's measure does.
struct Measure {
  long long narrow;
  long long wide;
  long long operator()(std::string_view text) const {
    long long widest = 0;
    long long line = 0;
    for (std::size_t i = 0; i < text.size();) {
      if (text.compare(i, 2, "\r\n") == 0) {
        widest = std::max(widest, line);
        line = 0;
        i += 2;
        continue;
      }
      const std::size_t n = Utf8SequenceLength(text, i);
      line += text[i] == 'W' || n > 1 ? wide : narrow;
      i += n;
    }
    return std::max(widest, line);
  }
};

std::string NonBlank(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (c != ' ' && c != '\r' && c != '\n') kept += c;
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const long long chars_per_line = static_cast<long long>(in.Byte()) - 2;  // -2 .. 253
  const long long cell_width = static_cast<long long>(in.Word() % 3000);
  const Measure measure{static_cast<long long>(in.Byte() % 200), static_cast<long long>(in.Byte())};
  const int tab_width = static_cast<int>(in.Byte() % 12);
  // Chunk lengths come from one seed, so the cuts fall in many places.
  unsigned seed = in.Byte() | 1u;
  const std::string_view source = in.Rest();

  std::string expanded;
  AppendExpandedTabs(source, tab_width, expanded);
  std::string whole;
  LineWrap one(chars_per_line, cell_width, measure);
  one.Add(expanded, whole);
  one.Finish(whole);

  // The writer expands tabs chunk by chunk and feeds each expanded chunk to the wrap.
  std::string chunked;
  LineWrap many(chars_per_line, cell_width, measure);
  std::string piece;
  for (std::size_t i = 0; i < source.size();) {
    seed = seed * 1103515245u + 12345u;
    const std::size_t n = std::min<std::size_t>(source.size() - i, (seed >> 16) % 97 + 1);
    piece.clear();
    AppendExpandedTabs(source.substr(i, n), tab_width, piece);
    many.Add(piece, chunked);
    i += n;
  }
  many.Finish(chunked);
  Require(chunked == whole, "where the chunks end changes the printed lines");

  std::string want = NonBlank(source);
  want.erase(std::remove(want.begin(), want.end(), '\t'), want.end());
  Require(NonBlank(whole) == want, "a non-blank byte is lost, added or moved");

  // When the widest character fits the cell, so does every printed line's text.
  if (std::max(measure.narrow, measure.wide) <= cell_width) {
    for (std::size_t start = 0; start < whole.size();) {
      std::size_t end = whole.find("\r\n", start);
      if (end == std::string::npos) end = whole.size();
      // Blanks, and characters of no width after them, print nothing and may run past
      // the cell's edge; the line is measured to its last character that shows.
      const std::string_view line = std::string_view(whole).substr(start, end - start);
      std::size_t shown = 0;
      for (std::size_t i = 0; i < line.size();) {
        const std::size_t n = Utf8SequenceLength(line, i);
        i += n;
        if (line[i - n] != ' ' && measure(line.substr(i - n, n)) > 0) shown = i;
      }
      Require(measure(line.substr(0, shown)) <= cell_width, "a printed line is wider than the cell");
      start = end + 2;
    }
  }
  return 0;
}
