// Reading the command line of quireon2-print into PrintOptions, and its --help text.
#include "cli/print_options.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

#include "settings/text_helpers.h"

namespace quireon2 {
namespace {

// A whole decimal number from lo to hi, nothing else in the text.
std::optional<int> WholeNumberIn(const std::string& text, int lo, int hi) {
  int value = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin == end) return std::nullopt;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || value < lo || value > hi) return std::nullopt;
  return value;
}

std::optional<HeaderFooterItems> ItemList(const std::string& text) {
  HeaderFooterItems items;
  std::string list = Lower(text);
  if (list == "none") return items;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = list.find(',', start);
    std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
    if (item == "page") {
      items.page = true;
    } else if (item == "file") {
      items.file = true;
    } else if (item == "date") {
      items.date = true;
    } else {
      return std::nullopt;
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

// "3", "5-7", "1,4": whole numbers from 1, each range in order.
std::optional<NumberList> ListOfNumbers(const std::string& text) {
  constexpr int kMost = 99999;
  NumberList list;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? comma : comma - start);
    const std::size_t dash = item.find('-');
    const auto first = WholeNumberIn(item.substr(0, dash), 1, kMost);
    const auto last =
        dash == std::string::npos ? first : WholeNumberIn(item.substr(dash + 1), 1, kMost);
    if (!first || !last || *last < *first) return std::nullopt;
    list.emplace_back(*first, *last);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return list;
}

struct KnownOption {
  char short_name;  // 0 when there is none
  const char* long_name;
  bool takes_value;
};

constexpr KnownOption kOptions[] = {
    {'l', "layout", true},       {'s', "signatures", true},   {'m', "feed", true},
    {'P', "printer", true},      {'o', "output", true},       {'f', "font", true},
    {'z', "size", true},         {0, "header", true},         {0, "footer", true},
    {0, "outlines", false},      {0, "no-outlines", false},   {0, "tab", true},
    {0, "no-expand-tabs", false}, {'y', "yes", false},        {'n', "count", false},
    {'q', "quiet", false},       {0, "settings", true},       {'h', "help", false},
    {'V', "version", false},     {0, "no-signatures", false}, {0, "paper", true},
    {0, "tab-stops", false},     {0, "copies", true},         {0, "option", true},
    {0, "sheets", true},         {0, "pages", true},          {0, "title", true},
    {0, "preview", true},
};

// Applies one recognised option; returns an error text or empty.
std::string Apply(const std::string& name, const std::string& value, PrintOptions& o) {
  if (name == "layout") {
    std::string v = Lower(value);
    if (v == "1") {
      o.layout = 0;
    } else if (v == "2") {
      o.layout = 1;
    } else if (v == "4") {
      o.layout = 2;
    } else if (v == "booklet") {
      o.layout = 3;
    } else {
      return "--layout takes 1, 2, 4 or booklet, not \"" + value + "\"";
    }
  } else if (name == "signatures") {
    o.signatures = WholeNumberIn(value, 1, 99);
    if (!o.signatures) return "--signatures takes a whole number from 1 to 99, not \"" + value + "\"";
  } else if (name == "no-signatures") {
    o.signatures = 0;
  } else if (name == "feed") {
    static const char* const kModes[] = {"straight", "flipped", "duplex", "inkjet"};
    std::string v = Lower(value);
    o.printer_mode.reset();
    for (int i = 0; i < 4; ++i) {
      if (v == kModes[i]) o.printer_mode = i;
    }
    if (!o.printer_mode) {
      return "--feed takes straight, flipped, duplex or inkjet, not \"" + value + "\"";
    }
  } else if (name == "printer") {
    if (value.empty()) return "--printer needs a printer name";
    o.printer = value;
  } else if (name == "output") {
    if (value.empty()) return "--output needs a file name";
    o.output = value;
  } else if (name == "copies") {
    o.copies = WholeNumberIn(value, 1, 9999);
    if (!o.copies) return "--copies takes a whole number from 1 to 9999, not \"" + value + "\"";
  } else if (name == "option") {
    const std::size_t eq = value.find('=');
    if (eq == 0 || eq == std::string::npos) {
      return "--option takes KEY=VALUE, not \"" + value + "\"";
    }
    const std::string key = Lower(value.substr(0, eq));
    // The layout is drawn for the sides and paper the program asks for.
    if (key == "sides") return "--option sides: the paper-feed mode (--feed) sets the sides";
    if (key == "media") return "--option media: --paper sets the paper";
    o.job_options.emplace_back(value.substr(0, eq), value.substr(eq + 1));
  } else if (name == "sheets" || name == "pages") {
    auto list = ListOfNumbers(value);
    if (!list) {
      return "--" + name + " takes numbers and ranges from 1 separated by commas (3,5-7), not \"" +
             value + "\"";
    }
    (name == "sheets" ? o.sheets : o.pages) = list;
  } else if (name == "title") {
    o.title = value;
  } else if (name == "paper") {
    if (value.empty()) return "--paper needs a paper name";
    o.paper = value;
  } else if (name == "font") {
    if (value.empty()) return "--font needs a font name";
    o.font_name = value;
  } else if (name == "size") {
    o.font_size = WholeNumberIn(value, 1, 999);
    if (!o.font_size) return "--size takes a whole number of points from 1 to 999, not \"" + value + "\"";
  } else if (name == "header" || name == "footer") {
    auto items = ItemList(value);
    if (!items) {
      return "--" + name + " takes page, file and date separated by commas, or none, not \"" +
             value + "\"";
    }
    (name == "header" ? o.header : o.footer) = items;
  } else if (name == "outlines") {
    o.outlines = true;
  } else if (name == "no-outlines") {
    o.outlines = false;
  } else if (name == "tab") {
    o.tab_width = WholeNumberIn(value, 0, 99);
    if (!o.tab_width) return "--tab takes a whole number from 0 to 99, not \"" + value + "\"";
  } else if (name == "no-expand-tabs") {
    o.no_expand_tabs = true;
  } else if (name == "tab-stops") {
    o.tab_stops = true;
  } else if (name == "yes") {
    o.yes = true;
  } else if (name == "preview") {
    o.preview_sheet = WholeNumberIn(value, 1, 32767);
    if (!o.preview_sheet) return "--preview takes a sheet number from 1, not \"" + value + "\"";
  } else if (name == "count") {
    o.count_only = true;
  } else if (name == "quiet") {
    o.quiet = true;
  } else if (name == "settings") {
    if (value.empty()) return "--settings needs a file name";
    o.settings_file = value;
  } else if (name == "help") {
    o.help = true;
  } else if (name == "version") {
    o.version = true;
  }
  return std::string();
}

const KnownOption* FindLong(const std::string& name) {
  for (const KnownOption& known : kOptions) {
    if (name == known.long_name) return &known;
  }
  return nullptr;
}

const KnownOption* FindShort(char name) {
  for (const KnownOption& known : kOptions) {
    if (known.short_name != 0 && known.short_name == name) return &known;
  }
  return nullptr;
}

}  // namespace

ParsedCommandLine ParsePrintOptions(const std::vector<std::string>& args) {
  ParsedCommandLine result;
  PrintOptions& o = result.options;
  std::vector<std::string>& files = o.files;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    // Short options may be bundled ("-yq") and may carry their value ("-l2").
    std::vector<std::pair<const KnownOption*, std::string>> found;
    if (arg[1] == '-') {
      std::string name = arg.substr(2);
      std::optional<std::string> inline_value;
      std::size_t eq = name.find('=');
      if (eq != std::string::npos) {
        inline_value = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
      const KnownOption* known = FindLong(name);
      if (known == nullptr) {
        result.error = "unknown option " + arg;
        return result;
      }
      if (!known->takes_value && inline_value) {
        result.error = "--" + name + " takes no value";
        return result;
      }
      if (known->takes_value && !inline_value) {
        if (i + 1 >= args.size()) {
          result.error = "--" + name + " needs a value";
          return result;
        }
        inline_value = args[++i];
      }
      found.emplace_back(known, inline_value.value_or(std::string()));
    } else {
      for (std::size_t k = 1; k < arg.size(); ++k) {
        const KnownOption* known = FindShort(arg[k]);
        if (known == nullptr) {
          result.error = std::string("unknown option -") + arg[k];
          return result;
        }
        if (!known->takes_value) {
          found.emplace_back(known, std::string());
          continue;
        }
        std::string value;
        if (k + 1 < arg.size()) {
          value = arg.substr(k + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          result.error = std::string("-") + arg[k] + " needs a value";
          return result;
        }
        found.emplace_back(known, value);
        break;
      }
    }
    for (const auto& [known, value] : found) {
      std::string error = Apply(known->long_name, value, o);
      if (!error.empty()) {
        result.error = error;
        return result;
      }
    }
  }
  if (o.help || o.version) return result;

  if (o.tab_width && o.no_expand_tabs) {
    result.error = "--tab and --no-expand-tabs contradict each other";
  } else if (o.tab_stops && o.no_expand_tabs) {
    result.error = "--tab-stops and --no-expand-tabs contradict each other";
  } else if (o.preview_sheet && !o.output) {
    result.error = "--preview needs --output FILE.png";
  } else if (o.preview_sheet && o.count_only) {
    result.error = "--preview and --count contradict each other";
  } else if (o.preview_sheet && files.size() > 1) {
    result.error = "--preview draws a sheet of one FILE, not of " + std::to_string(files.size());
  } else if (o.signatures && *o.signatures > 0 && o.layout && *o.layout != 3) {
    result.error = "--signatures needs the booklet layout";
  } else if (std::count(files.begin(), files.end(), "-") > 1) {
    result.error = "standard input (-) can be printed only once";
  } else if (o.output == "-" && files.size() > 1) {
    result.error = "--output - writes the PDF of one FILE, not of " + std::to_string(files.size());
  } else if (o.sheets && o.pages) {
    result.error = "--sheets is for the booklet and --pages for 1, 2 and 4 up: not both";
  }
  return result;
}

std::string UsageText() {
  return "Usage: quireon2-print [OPTIONS] [FILE...]\n"
         "Prints plain text files as folded booklets or 1, 2 or 4 pages per sheet side,\n"
         "with the settings of the Quireon2 window unless an option says otherwise.\n"
         "Each FILE is printed on its own, one after another. With no FILE, or when FILE\n"
         "is -, the text is read from standard input.\n"
         "\n"
         "  -l, --layout 1|2|4|booklet     layout (default: the saved layout)\n"
         "  -s, --signatures N             booklet in N signatures (N from 1 to 99)\n"
         "      --no-signatures            booklet without signatures\n"
         "  -m, --feed straight|flipped|duplex|inkjet\n"
         "                                 paper-feed mode (default: the saved one)\n"
         "  -P, --printer NAME             a CUPS queue or \"Print to PDF\"\n"
         "                                 (default: the program's printer)\n"
         "  -o, --output FILE.pdf          where \"Print to PDF\" writes the job; a second job\n"
         "                                 of the run gets -2 before the extension; - is\n"
         "                                 standard output; with several FILEs a folder\n"
         "                                 (default there: NAME.pdf beside each FILE)\n"
         "      --copies N                 copies of each job (printer queues only)\n"
         "      --option KEY=VALUE         a CUPS job option, over the queue's lpoptions;\n"
         "                                 may be repeated (printer queues only)\n"
         "      --sheets LIST              print only these sheets of the booklet, both\n"
         "                                 sides (LIST: 3 or 5-7 or 1,4)\n"
         "      --pages LIST               print only these pages of 1, 2 or 4 up\n"
         "      --title TEXT               the file name headers, footers and the job show\n"
         "                                 (default: the file's; \"stdin\" for standard input)\n"
         "      --paper NAME               paper for this run only: A4, Letter, Legal, A5, ...\n"
         "                                 (default: the printer's own)\n"
         "  -f, --font NAME                font of the chosen layout\n"
         "  -z, --size N                   font size of the chosen layout, points\n"
         "      --header LIST              LIST: page,file,date separated by commas, or none\n"
         "      --footer LIST\n"
         "      --outlines, --no-outlines  page outlines on or off\n"
         "      --tab N                    print each tab as N blanks\n"
         "      --tab-stops                a tab goes to the next multiple of the tab width,\n"
         "                                 counted from the start of its line\n"
         "      --no-expand-tabs           print tabs as they are\n"
         "  -y, --yes                      do not wait for Enter between the two sides\n"
         "                                 (a booklet printed in two passes needs it when\n"
         "                                 standard input is not a terminal)\n"
         "  -n, --count                    prepare only and print the page and sheet counts\n"
         "                                 (and sheets per signature, when in signatures)\n"
         "      --preview SHEET            print nothing; write the picture of sheet SHEET\n"
         "                                 (its front, its back beside it) to the --output\n"
         "                                 FILE.png, as the printer would print it\n"
         "  -q, --quiet                    no progress output\n"
         "      --settings FILE            read the settings from FILE (never written)\n"
         "  -h, --help                     this text\n"
         "  -V, --version                  the program's version\n"
         "\n"
         "Printer names are matched without regard to case.\n"
         "\n"
         "Exit status: 0 printed or counted, 1 bad usage, 2 a file (or a setting it needs)\n"
         "could not be used (the other FILEs are still printed), 3 the printer failed or\n"
         "refused a setting, or the output could not be written, 4 cancelled at the prompt.\n"
         "Ended by a signal (SIGINT, SIGTERM, SIGHUP), it leaves no file behind, cancels a\n"
         "job it was sending and ends with 128 + the signal's number.\n";
}

}  // namespace quireon2
