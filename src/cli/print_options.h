// The command line of quireon2-print: what each option asks for, before any of it is
// applied to the program's settings.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quireon2 {

// The three header/footer items a --header or --footer list can name.
struct HeaderFooterItems {
  bool page = false;
  bool file = false;
  bool date = false;
};

// Sheet or page numbers from 1, as ranges first to last ("3", "5-7", "1,4").
using NumberList = std::vector<std::pair<long, long>>;

// Every choice the command line makes; an empty optional keeps the saved setting.
struct PrintOptions {
  std::optional<int> layout;         // layout code 0..3
  std::optional<int> signatures;     // N >= 1: booklet in N signatures; 0: no signatures
  std::optional<int> printer_mode;   // paper-feed mode 0..3
  std::optional<std::string> printer;
  std::optional<std::string> output;  // where "Print to PDF" writes job 1; "-" standard output
  std::optional<int> copies;
  std::vector<std::pair<std::string, std::string>> job_options;  // --option KEY=VALUE, in order
  std::optional<NumberList> sheets;  // of a booklet
  std::optional<NumberList> pages;   // of 1, 2 and 4 up
  std::optional<std::string> title;  // the name headers, footers and the job give the text
  std::optional<std::string> paper;   // a paper name for this run ("A4", "letter")
  std::optional<std::string> font_name;
  std::optional<int> font_size;      // points
  std::optional<HeaderFooterItems> header;
  std::optional<HeaderFooterItems> footer;
  std::optional<bool> outlines;
  std::optional<int> tab_width;      // sets tab expansion on with this width
  bool no_expand_tabs = false;
  bool tab_stops = false;            // tabs to the next multiple of the tab width
  bool yes = false;
  bool count_only = false;
  std::optional<int> preview_sheet;  // write the picture of this sheet to `output` instead
  bool quiet = false;
  std::optional<std::string> settings_file;
  bool help = false;
  bool version = false;
  std::vector<std::string> files;  // "-" is standard input
  std::string file;                // the one the run prints, set by the caller
};

// The outcome of reading the command line: options, or the reason it is not usable.
struct ParsedCommandLine {
  PrintOptions options;
  std::string error;  // empty when the command line is usable
};

// Reads the arguments after the program name. Options may be given as "-l 2", "-l2",
// "--layout 2" or "--layout=2"; "--" ends the options. No FILE leaves `files` empty, for
// the caller to read standard input or refuse.
ParsedCommandLine ParsePrintOptions(const std::vector<std::string>& args);

// The text --help prints.
std::string UsageText();

}  // namespace quireon2
