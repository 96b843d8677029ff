// The command line of quireon2-print: what each option asks for, before any of it is
// applied to the program's settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quireon2 {

// The three header/footer items a --header or --footer list can name.
struct HeaderFooterItems {
  bool page = false;
  bool file = false;
  bool date = false;
};

// Every choice the command line makes; an empty optional keeps the saved setting.
struct PrintOptions {
  std::optional<int> layout;         // layout code 0..3
  std::optional<int> signatures;     // N >= 1: booklet in N signatures; 0: no signatures
  std::optional<int> printer_mode;   // paper-feed mode 0..3
  std::optional<std::string> printer;
  std::optional<std::string> output;  // where "Print to PDF" writes job 1
  std::optional<std::string> paper;   // a paper name for this run ("A4", "letter")
  std::optional<std::string> font_name;
  std::optional<int> font_size;      // points
  std::optional<HeaderFooterItems> header;
  std::optional<HeaderFooterItems> footer;
  std::optional<bool> outlines;
  std::optional<int> tab_width;      // sets tab expansion on with this width
  bool no_expand_tabs = false;
  bool yes = false;
  bool count_only = false;
  std::optional<int> preview_sheet;  // write the picture of this sheet to `output` instead
  bool quiet = false;
  std::optional<std::string> settings_file;
  bool help = false;
  bool version = false;
  std::string file;
};

// The outcome of reading the command line: options, or the reason it is not usable.
struct ParsedCommandLine {
  PrintOptions options;
  std::string error;  // empty when the command line is usable
};

// Reads the arguments after the program name. Options may be given as "-l 2", "-l2",
// "--layout 2" or "--layout=2"; "--" ends the options. Exactly one FILE is needed unless
// --help or --version is given.
ParsedCommandLine ParsePrintOptions(const std::vector<std::string>& args);

// The text --help prints.
std::string UsageText();

}  // namespace quireon2
