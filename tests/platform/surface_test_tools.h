// Helpers of the tests that read printed PDF files back with the poppler command-line tools.
#pragma once

#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace quireon2::testing {

// The standard output of a shell command; nothing when it cannot run or exits non-zero.
inline std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  return pclose(pipe) == 0 ? std::make_optional(output) : std::nullopt;
}

// `text` as one word of a shell command.
inline std::string ShellQuote(const std::string& text) {
  return "'" + std::regex_replace(text, std::regex("'"), "'\\''") + "'";
}

// A word's box in points from the page's top left.
struct PdfWord { double x_min = 0, y_min = 0, x_max = 0, y_max = 0; };

// One page of a PDF file: its size in points and its words in reading order.
struct PdfPageText {
  double width = 0, height = 0;
  std::vector<std::pair<std::string, PdfWord>> words;
};

// The pages of a PDF file with their words, as one run of pdftotext -bbox reads them;
// none when the file cannot be read.
inline std::vector<PdfPageText> ReadPdfPages(const std::string& pdf_path) {
  static const std::regex kItem(
      R"re(<page width="([0-9.]+)" height="([0-9.]+)"|<word xMin="([-0-9.]+)" )re"
      R"re(yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
  const std::string xml =
      RunCommand("pdftotext -bbox " + ShellQuote(pdf_path) + " - 2>/dev/null").value_or("");
  std::vector<PdfPageText> pages;
  for (std::sregex_iterator it(xml.begin(), xml.end(), kItem), end; it != end; ++it) {
    const std::smatch& m = *it;
    if (m[1].matched) {
      pages.push_back({std::stod(m[1]), std::stod(m[2]), {}});
    } else if (!pages.empty()) {
      pages.back().words.emplace_back(
          m[7], PdfWord{std::stod(m[3]), std::stod(m[4]), std::stod(m[5]), std::stod(m[6])});
    }
  }
  return pages;
}

// Each page of a PDF file as its words in reading order, after one another ("M8 M1"); none
// when the file cannot be read.
inline std::vector<std::string> PdfPages(const std::string& pdf_path) {
  std::vector<std::string> pages;
  for (const PdfPageText& page : ReadPdfPages(pdf_path)) {
    std::string& words = pages.emplace_back();
    for (const auto& word : page.words) words += (words.empty() ? "" : " ") + word.first;
  }
  return pages;
}

}  // namespace quireon2::testing
