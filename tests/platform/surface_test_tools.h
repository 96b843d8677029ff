// Helpers of the printer surface's tests: PDF files read back with the poppler command-line
// tools, and the failure a surface operation raises.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "settings/runtime_failure.h"

namespace quireon2::testing {

// The standard output of a shell command; nothing when it cannot run or exits non-zero.
inline std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return output;
}

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A word's box in points from the page's top left.
struct PdfWord {
  double x_min = 0, y_min = 0, x_max = 0, y_max = 0;
};

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
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), kItem); it != std::sregex_iterator();
       ++it) {
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

// The box of the first word `text` on the page; none when it is not there.
inline std::optional<PdfWord> FindWord(const PdfPageText& page, const std::string& text) {
  for (const auto& [word, box] : page.words) {
    if (word == text) return box;
  }
  return std::nullopt;
}

// Whether the word `text` has its box's top left at (x, y) points, within a quarter point.
inline ::testing::AssertionResult WordAt(const PdfPageText& page, const std::string& text,
                                         double x, double y) {
  const std::optional<PdfWord> w = FindWord(page, text);
  if (!w) return ::testing::AssertionFailure() << text << " is not on the page";
  if (std::abs(w->x_min - x) <= 0.25 && std::abs(w->y_min - y) <= 0.25) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << text << " is at " << w->x_min << ", " << w->y_min;
}

// Whether `action` raises RuntimeError `number` with a description holding `in_description`.
inline ::testing::AssertionResult Raises(const std::function<void()>& action, int number,
                                         const std::string& in_description = "") {
  try {
    action();
  } catch (const RuntimeError& e) {
    if (e.number() == number && e.failure().description.find(in_description) != std::string::npos) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "raised " << e.number() << ": " << e.what();
  }
  return ::testing::AssertionFailure() << "nothing was raised";
}

}  // namespace quireon2::testing
