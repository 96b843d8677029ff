// The command line: any arguments give options or a message, never both silently; a usable
// command line said again in long options, values joined by '=', gives the same options.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/print_options.h"
#include "fuzz_input.h"

using namespace quireon2;
using quireon2::fuzz::Input;
using quireon2::fuzz::Require;

namespace {

std::string Items(const HeaderFooterItems& items) {
  std::string list;
  if (items.page) list += ",page";
  if (items.file) list += ",file";
  if (items.date) list += ",date";
  return list.empty() ? "none" : list.substr(1);
}

std::string Numbers(const NumberList& list) {
  std::string text;
  for (const auto& [first, last] : list) {
    text += (text.empty() ? "" : ",") + std::to_string(first);
    if (last != first) text += "-" + std::to_string(last);
  }
  return text;
}

// The options in long form, each value joined by '=' so no value is taken for an option.
std::vector<std::string> LongForm(const PrintOptions& o) {
  static const char* const kLayouts[] = {"1", "2", "4", "booklet"};
  static const char* const kFeeds[] = {"straight", "flipped", "duplex", "inkjet"};
  std::vector<std::string> args;
  if (o.layout) args.push_back(std::string("--layout=") + kLayouts[*o.layout]);
  if (o.signatures) {
    args.push_back(*o.signatures == 0 ? "--no-signatures"
                                      : "--signatures=" + std::to_string(*o.signatures));
  }
  if (o.printer_mode) args.push_back(std::string("--feed=") + kFeeds[*o.printer_mode]);
  if (o.printer) args.push_back("--printer=" + *o.printer);
  if (o.output) args.push_back("--output=" + *o.output);
  if (o.copies) args.push_back("--copies=" + std::to_string(*o.copies));
  for (const auto& [key, value] : o.job_options) args.push_back("--option=" + key + "=" + value);
  if (o.sheets) args.push_back("--sheets=" + Numbers(*o.sheets));
  if (o.pages) args.push_back("--pages=" + Numbers(*o.pages));
  if (o.title) args.push_back("--title=" + *o.title);
  if (o.paper) args.push_back("--paper=" + *o.paper);
  if (o.font_name) args.push_back("--font=" + *o.font_name);
  if (o.font_size) args.push_back("--size=" + std::to_string(*o.font_size));
  if (o.header) args.push_back("--header=" + Items(*o.header));
  if (o.footer) args.push_back("--footer=" + Items(*o.footer));
  if (o.outlines) args.push_back(*o.outlines ? "--outlines" : "--no-outlines");
  if (o.tab_width) args.push_back("--tab=" + std::to_string(*o.tab_width));
  if (o.no_expand_tabs) args.push_back("--no-expand-tabs");
  if (o.tab_stops) args.push_back("--tab-stops");
  if (o.preview_sheet) args.push_back("--preview=" + std::to_string(*o.preview_sheet));
  if (o.yes) args.push_back("--yes");
  if (o.count_only) args.push_back("--count");
  if (o.quiet) args.push_back("--quiet");
  if (o.settings_file) args.push_back("--settings=" + *o.settings_file);
  args.push_back("--");
  args.insert(args.end(), o.files.begin(), o.files.end());
  return args;
}

bool Same(const HeaderFooterItems& a, const HeaderFooterItems& b) {
  return a.page == b.page && a.file == b.file && a.date == b.date;
}

bool Same(const PrintOptions& a, const PrintOptions& b) {
  const auto same_items = [](const auto& x, const auto& y) {
    return x.has_value() == y.has_value() && (!x || Same(*x, *y));
  };
  return a.layout == b.layout && a.signatures == b.signatures &&
         a.printer_mode == b.printer_mode && a.printer == b.printer && a.output == b.output &&
         a.copies == b.copies && a.job_options == b.job_options && a.sheets == b.sheets &&
         a.pages == b.pages && a.title == b.title && a.tab_stops == b.tab_stops &&
         a.preview_sheet == b.preview_sheet &&
         a.paper == b.paper && a.font_name == b.font_name && a.font_size == b.font_size &&
         same_items(a.header, b.header) && same_items(a.footer, b.footer) &&
         a.outlines == b.outlines && a.tab_width == b.tab_width &&
         a.no_expand_tabs == b.no_expand_tabs && a.yes == b.yes &&
         a.count_only == b.count_only && a.quiet == b.quiet &&
         a.settings_file == b.settings_file && a.files == b.files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Arguments are separated by NUL bytes, as they reach the program.
  Input in(data, size);
  std::vector<std::string> args(1);
  for (char c : in.Rest()) {
    if (c == '\0') {
      args.emplace_back();
    } else {
      args.back() += c;
    }
  }
  const ParsedCommandLine parsed = ParsePrintOptions(args);
  const PrintOptions& o = parsed.options;
  if (!parsed.error.empty() || o.help || o.version) return 0;

  Require(std::count(o.files.begin(), o.files.end(), "-") <= 1, "standard input taken twice");
  Require(!o.layout || (*o.layout >= 0 && *o.layout <= 3), "layout out of range");
  Require(!o.signatures || (*o.signatures >= 0 && *o.signatures <= 99), "signatures out of range");
  Require(!o.font_size || (*o.font_size >= 1 && *o.font_size <= 999), "size out of range");
  Require(!o.tab_width || (*o.tab_width >= 0 && *o.tab_width <= 99), "tab out of range");
  Require(!(o.tab_width && o.no_expand_tabs), "contradicting tab options accepted");
  Require(!(o.tab_stops && o.no_expand_tabs), "contradicting tab options accepted");
  Require(!(o.sheets && o.pages), "both sheets and pages accepted");
  Require(!o.copies || (*o.copies >= 1 && *o.copies <= 9999), "copies out of range");

  const ParsedCommandLine again = ParsePrintOptions(LongForm(o));
  Require(again.error.empty(), "the long form of usable options is refused");
  Require(Same(again.options, o), "the long form gives other options");
  return 0;
}
