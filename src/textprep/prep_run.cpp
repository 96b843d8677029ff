// The preparation run: the line file, its page index and the counts shown.
#include "textprep/prep_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "interfaces/main_window_controls.h"
#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "interfaces/status_sink.h"
#include "interfaces/temp_files.h"
#include "settings/capability.h"
#include "settings/number_text.h"
#include "settings/runtime_failure.h"
#include "settings/settings_file.h"
#include "settings/text_helpers.h"
#include "textprep/byte_io.h"
#include "textprep/line_file.h"
#include "textprep/page_scanner.h"
#include "textprep/sheet_count.h"

namespace quireon2 {
namespace {

constexpr std::size_t kIndexChunk = 32766;
constexpr Integer kDefaultPageLines = 55;
// The page table has MaxPages + 2 entries and the page counter reaches MaxPages + 1.
constexpr Long kMaxPagesLimit = 32766;

bool SamePath(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

bool CheckMaxPages(Program& p) {
  const Long max_pages = p.settings().MaxPages;
  if (max_pages >= 1 && max_pages <= kMaxPagesLimit) return true;
  p.prompt().Show("The page limit MaxPages must lie from 1 to 32766, not " +
                  std::to_string(max_pages));
  return false;
}

// Removes a line file that is not the source file. False when it stays on disk.
bool RemoveLineFile(Program& p, const std::string& line_file) {
  const std::string& text_file = p.settings().TextFile;
  if (line_file.empty() || (!text_file.empty() && SamePath(line_file, text_file))) return true;
  return p.temp_files().Remove(line_file);
}

// A run that stops after making its line file leaves nothing behind.
Outcome Abandon(Program& p, Outcome outcome) {
  RemoveLineFile(p, p.prep.LineFilePath);
  p.prep.LineFilePath.clear();
  return outcome;
}

}  // namespace

Outcome SetAll(Program& p) {
  try {
    GetOptions(p);
    const LayoutRecord& record = CurrentLayout(p);
    PrinterSurface& surface = p.surface();
    surface.SetFontSize(record.font_size);
    surface.SetOrientation(record.orientation);
    p.window().SetFontPreview(surface.FontName(), surface.FontSize());
    return Outcome::Succeeded();
  } catch (const RuntimeError& error) {
    ReportError(p, error.failure());
    return Outcome::PrinterFailed(error.failure());
  }
}

Outcome PrePrint1(Program& p) {
  if (Outcome set = SetAll(p); !set.ok()) return set;
  Settings& s = p.settings();
  PrepState& prep = p.prep;
  s.TextFile = TrimBlanks(p.window().Text(TextBox::kText1));
  if (s.TextFile.empty()) return Outcome::SourceFailed();
  try {
    p.surface().SetDocumentName(prep.ShownName.empty() ? s.TextFile : prep.ShownName);
  } catch (const RuntimeError&) {
    // Only the job's title depends on it.
  }
  // Settings the run cannot work with stop it before any file is touched.
  if (!CheckMaxPages(p)) return Outcome::SourceFailed();
  if ((s.WordWrap != 0 || s.ExpandTab != 0) && !ReadTabWidth(p)) return Outcome::SourceFailed();

  p.status().ShowStatus("Creating Temp File");
  prep.PageStart.assign(static_cast<std::size_t>(s.MaxPages) + 2, 0);
  const std::string folder = p.temp_files().Folder();
  if (folder.empty()) {
    p.prompt().Show("sorry, you have no temp directory assigned");
    return Outcome::SourceFailed();
  }
  const std::string line_file = p.temp_files().MakeFile(folder, "QRN", nullptr);
  if (line_file.empty()) {
    p.prompt().Show("sorry, couldn't make temp file");
    return Outcome::SourceFailed();
  }
  // The previous run's line file is of no further use once a new one exists.
  if (prep.LineFilePath != line_file) RemoveLineFile(p, prep.LineFilePath);
  prep.LineFilePath = line_file;

  Outcome written;
  if (s.WordWrap != 0) {
    written = WrapToLineFile(p, s.TextFile, prep.LineFilePath);
  } else if (s.ExpandTab != 0) {
    written = ExpandTabsToLineFile(p, s.TextFile);
  } else {
    written = CopyToLineFile(p, s.TextFile, prep.LineFilePath);
  }
  if (!written.ok()) return Abandon(p, written);

  p.status().ShowStatus("Indexing File");
  if (!IndexLineFile(p)) return Abandon(p, Outcome::SourceFailed());
  prep.SheetCount = static_cast<Integer>(CountSheets(s.Layout, prep.TotalPages));
  UpdateCounts(p);
  p.status().ShowStatus("Count Done");
  return written;
}

bool IndexLineFile(Program& p) {
  if (!CheckMaxPages(p)) return false;
  PrepState& prep = p.prep;
  const Long max_pages = p.settings().MaxPages;
  // Entries after the last page stay 0: blank cells.
  prep.PageStart.assign(static_cast<std::size_t>(max_pages) + 2, 0);

  const std::string& path = prep.LineFilePath;
  const auto cannot_read = [&](const std::string& reason) {
    p.prompt().Show("Can't read the temporary file " + path + ": " + reason);
    return false;
  };
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  if (!file) return cannot_read(std::strerror(errno));
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0) return cannot_read(std::strerror(errno));
  if (S_ISDIR(info.st_mode)) return cannot_read(std::strerror(EISDIR));
  const long long n = static_cast<long long>(info.st_size);
  if (n > 0x7FFFFFFELL) return cannot_read("it is larger than 2 GB");

  if (prep.LinesPerPage != 0) {
    prep.PageLines = prep.LinesPerPage;
  } else if (prep.PageLines == 0) {
    prep.PageLines = kDefaultPageLines;
  }
  PageScanner scanner(prep.PageLines, static_cast<long>(max_pages));
  std::vector<char> chunk(kIndexChunk);
  long long done = 0;
  while (true) {
    const std::size_t want = static_cast<std::size_t>(std::min<long long>(kIndexChunk, n - done));
    if (want > 0 && std::fread(chunk.data(), 1, want, file.get()) != want) {
      return cannot_read(std::strerror(std::ferror(file.get()) ? errno : EIO));
    }
    scanner.Feed(std::string_view(chunk.data(), want));
    done += static_cast<long long>(want);
    if (done >= n) break;
    p.status().SetProgress(static_cast<long>(n), static_cast<long>(done));
  }
  const PageScanner::Pages pages = scanner.Finish();
  // When the limit cuts the text, the entry after the last page keeps the start of the
  // first page left out.
  if (pages.cut) p.prompt().Show("Too many pages - printing only " + std::to_string(max_pages));
  std::copy(pages.starts.begin(), pages.starts.end(), prep.PageStart.begin() + 1);
  p.status().SetProgress(static_cast<long>(n), static_cast<long>(n));
  prep.TotalPages = pages.total;
  return true;
}

void UpdateCounts(Program& p) {
  PrepState& prep = p.prep;
  const double sig = LeadingNumber(p.window().Text(TextBox::kSigNum));
  Integer sig_count = 0;
  try {
    sig_count = CheckedInteger(RoundHalfEven(sig));
  } catch (const RuntimeError&) {
    sig_count = 0;  // a number past the Integer range counts as no signatures, like an empty box
  }
  p.print.SigCount = sig_count;

  StatusCounts counts;
  counts.total_pages = prep.TotalPages;
  counts.sheet_count = prep.SheetCount;
  counts.sheets_per_signature = static_cast<int>(CeilDiv(prep.SheetCount, sig_count));
  counts.printer = p.surface().DeviceName();
  counts.font_name = CurrentLayout(p).font_name;
  counts.font_size = CurrentLayout(p).font_size;
  counts.tab_rule = TabRule(p.settings());
  p.status().ShowCounts(counts);
}

std::string TabRule(const Settings& s) {
  if (s.ExpandTab == 0) return "printed as they are";
  const std::string width = std::to_string(s.TCount);
  if (s.TabStops != 0) return "stops every " + width + (s.TCount == 1 ? " column" : " columns");
  return width + (s.TCount == 1 ? " blank each" : " blanks each");
}

bool DeleteLineFile(Program& p) {
  const bool removed = RemoveLineFile(p, p.prep.LineFilePath);
  p.prep.LineFilePath.clear();
  return removed;
}

}  // namespace quireon2
