// Writes a deterministic English-like text for the benchmarks: long and short lines, tabs,
// form feeds now and then, and a few UTF-8 words. Usage: q2_make_text SIZE_BYTES OUTPUT,
// or q2_make_text pages:N OUTPUT for exactly N pages: 40 short lines each, a form feed
// before each page after the first, so no layout of the usual sizes breaks them elsewhere.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kWords[] = {
    "the",    "printer", "folds",   "a",      "booklet", "of",     "pages",  "and",
    "every",  "sheet",   "carries", "four",   "text",    "lines",  "which",  "wrap",
    "at",     "blanks",  "when",    "they",   "grow",    "too",    "wide",   "for",
    "cell",   "signature", "gathering", "stack", "tray",  "paper",  "side",   "order",
    "café",   "naïve",   "résumé",  "Zürich", "straße",  "€uro",   "quick",  "brown"};
constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::uint32_t state = 20240601u;
std::uint32_t Next(std::uint32_t range) {
  state = state * 1664525u + 1013904223u;
  return (state >> 8) % range;
}

// One line: mostly 40-100 characters, every fifth one over 120, sometimes with a tab.
std::string Line(bool short_lines) {
  std::string line;
  const std::uint32_t kind = Next(10);
  const std::size_t target = short_lines ? 10 + Next(20)
                             : kind < 2  ? 120 + Next(200)
                             : kind < 3  ? Next(10)
                                         : 40 + Next(60);
  if (!short_lines && Next(8) == 0) line += '\t';
  while (line.size() < target) {
    if (!line.empty() && line.back() != '\t') line += !short_lines && Next(12) == 0 ? "\t" : " ";
    line += kWords[Next(Next(15) == 0 ? kWordCount : kWordCount - 8)];
  }
  if (!short_lines && Next(40) == 0) line += "\f";
  return line + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: q2_make_text SIZE_BYTES|pages:N OUTPUT\n");
    return 2;
  }
  const std::string size_arg = argv[1];
  long long size = 0;
  long long pages = 0;
  if (size_arg.rfind("pages:", 0) == 0) {
    pages = std::atoll(size_arg.c_str() + 6);
  } else {
    size = std::atoll(size_arg.c_str());
  }
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  long long written = 0;
  long long lines = 0;
  constexpr long long kLinesPerPage = 40;
  while (pages > 0 ? lines < pages * kLinesPerPage : written < size) {
    std::string line = Line(pages > 0);
    if (pages > 0 && lines > 0 && lines % kLinesPerPage == 0) line.insert(0, "\f");
    if (pages == 0 && written + static_cast<long long>(line.size()) > size) {
      line.resize(static_cast<std::size_t>(size - written));
    }
    if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
      std::perror(argv[2]);
      return 1;
    }
    written += static_cast<long long>(line.size());
    ++lines;
  }
  if (std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
