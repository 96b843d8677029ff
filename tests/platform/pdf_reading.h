// Reading back PDF files in tests with the poppler command-line tools: the words and
// their boxes (pdftotext -bbox), the page count and size (pdfinfo), the fonts (pdffonts).
#pragma once

#include <string>
#include <vector>

namespace quireon2::testing {

// Runs a shell command; returns its standard output, or nothing useful and ok=false when
// it exits non-zero.
struct CommandResult {
  bool ok = false;
  std::string output;
};
CommandResult RunCommand(const std::string& command);

// True when pdftotext, pdfinfo and pdffonts can be run.
bool HavePdfTools();

struct PdfWord {
  int page = 0;  // from 1
  std::string text;
  double x_min = 0, y_min = 0, x_max = 0, y_max = 0;  // points from the page's top left
};

std::vector<PdfWord> PdfWords(const std::string& pdf_path);
// The first word with this text, or a word with an empty text when there is none.
PdfWord FindWord(const std::vector<PdfWord>& words, const std::string& text);

struct PdfPage {
  double width = 0, height = 0;  // points
};
// The pages' sizes in order; empty when pdfinfo cannot read the file.
std::vector<PdfPage> PdfPages(const std::string& pdf_path);

// The text of the file as pdftotext reads it (pages end with a form feed).
std::string PdfText(const std::string& pdf_path);

// pdffonts's table of the file's fonts (header lines included).
std::string PdfFonts(const std::string& pdf_path);

std::string ShellQuote(const std::string& text);

}  // namespace quireon2::testing
