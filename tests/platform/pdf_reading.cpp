// The poppler tools as the tests call them.
#include "platform/pdf_reading.h"

#include <cstdio>
#include <regex>
#include <sstream>

namespace quireon2::testing {

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  result.ok = pclose(pipe) == 0;
  return result;
}

bool HavePdfTools() {
  return RunCommand("command -v pdftotext && command -v pdfinfo && command -v pdffonts").ok;
}

std::vector<PdfWord> PdfWords(const std::string& pdf_path) {
  std::vector<PdfWord> words;
  CommandResult bbox = RunCommand("pdftotext -bbox " + ShellQuote(pdf_path) + " - 2>/dev/null");
  if (!bbox.ok) return words;
  static const std::regex kWord(
      R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
  std::istringstream lines(bbox.output);
  std::string line;
  int page = 0;
  while (std::getline(lines, line)) {
    if (line.find("<page ") != std::string::npos) ++page;
    std::smatch m;
    if (std::regex_search(line, m, kWord)) {
      PdfWord word;
      word.page = page;
      word.x_min = std::stod(m[1]);
      word.y_min = std::stod(m[2]);
      word.x_max = std::stod(m[3]);
      word.y_max = std::stod(m[4]);
      word.text = m[5];
      words.push_back(word);
    }
  }
  return words;
}

PdfWord FindWord(const std::vector<PdfWord>& words, const std::string& text) {
  for (const PdfWord& word : words) {
    if (word.text == text) return word;
  }
  return {};
}

std::vector<PdfPage> PdfPages(const std::string& pdf_path) {
  std::vector<PdfPage> pages;
  CommandResult info =
      RunCommand("pdfinfo -f 1 -l 9999 " + ShellQuote(pdf_path) + " 2>/dev/null");
  if (!info.ok) return pages;
  static const std::regex kSize(R"re(Page +\d+ size: +([0-9.]+) x ([0-9.]+) pts)re");
  for (auto it = std::sregex_iterator(info.output.begin(), info.output.end(), kSize);
       it != std::sregex_iterator(); ++it) {
    pages.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
  }
  return pages;
}

std::string PdfText(const std::string& pdf_path) {
  return RunCommand("pdftotext -enc UTF-8 " + ShellQuote(pdf_path) + " - 2>/dev/null").output;
}

std::string PdfFonts(const std::string& pdf_path) {
  return RunCommand("pdffonts " + ShellQuote(pdf_path) + " 2>/dev/null").output;
}

}  // namespace quireon2::testing
