// The preparation run: the line file, its page index and the counts shown.
#include "textprep/prep_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "interfaces/printer_surface.h"
#include "interfaces/temp_files.h"
#include "settings/capability.h"
#include "interfaces/main_window_controls.h"
#include "settings/number_text.h"
#include "interfaces/prompt.h"
#include "settings/runtime_failure.h"
#include "settings/settings_file.h"
#include "textprep/byte_io.h"
#include "textprep/line_file.h"
#include "textprep/sheet_count.h"
#include "interfaces/status_sink.h"

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
bool RemoveLineFile(const std::string& line_file, const std::string& text_file) {
  if (line_file.empty() || (!text_file.empty() && SamePath(line_file, text_file))) return true;
  return RemoveFile(line_file);
}

// What may follow a closing form feed without making a page: line ends, blanks, and the
// end-of-file character 26 that the page drawing takes as a line end.
bool IsLineEndOrBlank(char byte) {
  return byte == '\r' || byte == '\n' || byte == ' ' || byte == '\t' || byte == '\x1a';
}

// A run that stops after making its line file leaves nothing behind.
bool Abandon(Program& p) {
  RemoveLineFile(p.prep.LineFilePath, p.settings().TextFile);
  p.prep.LineFilePath.clear();
  return false;
}

}  // namespace

int SetAll(Program& p) {
  try {
    GetOptions(p);
    const Integer layout = p.settings().Layout;
    if (layout < 0 || layout >= static_cast<Integer>(p.settings_state.layouts.size())) {
      RaiseFailure(9, "Subscript out of range");
    }
    const LayoutRecord& record = p.settings_state.layouts[static_cast<std::size_t>(layout)];
    PrinterSurface& surface = p.surface();
    surface.SetFontSize(record.font_size);
    surface.SetOrientation(record.orientation);
    p.window().SetFontPreview(surface.FontName(), surface.FontSize());
    return 0;
  } catch (const RuntimeError& error) {
    return ReportError(p, error.failure());
  }
}

bool PrePrint1(Program& p) {
  if (SetAll(p) != 0) return false;
  Settings& s = p.settings();
  PrepState& prep = p.prep;
  s.TextFile = TrimBlanks(p.window().Text(TextBox::kText1));
  if (s.TextFile.empty()) return false;
  try {
    p.surface().SetDocumentName(s.TextFile);
  } catch (const RuntimeError&) {
    // Only the job's title depends on it.
  }
  // Settings the run cannot work with stop it before any file is touched.
  if (!CheckMaxPages(p)) return false;
  if ((s.WordWrap != 0 || s.ExpandTab != 0) && !ReadTabWidth(p)) return false;

  p.status().ShowStatus("Creating Temp File");
  prep.PageStart.assign(static_cast<std::size_t>(s.MaxPages) + 2, 0);
  const std::string folder = p.temp_files().Folder();
  if (folder.empty()) {
    p.prompt().Show("sorry, you have no temp directory assigned");
    return false;
  }
  const std::string line_file = p.temp_files().MakeFile(folder, "QRN", nullptr);
  if (line_file.empty()) {
    p.prompt().Show("sorry, couldn't make temp file");
    return false;
  }
  // The previous run's line file is of no further use once a new one exists.
  if (prep.LineFilePath != line_file) RemoveLineFile(prep.LineFilePath, s.TextFile);
  prep.LineFilePath = line_file;

  bool written;
  if (s.WordWrap != 0) {
    written = WrapToLineFile(p, s.TextFile, prep.LineFilePath);
  } else if (s.ExpandTab != 0) {
    written = ExpandTabsToLineFile(p, s.TextFile);
  } else {
    written = CopyToLineFile(p, s.TextFile, prep.LineFilePath);
  }
  if (!written) return Abandon(p);

  p.status().ShowStatus("Indexing File");
  if (!IndexLineFile(p)) return Abandon(p);
  prep.SheetCount = static_cast<Integer>(CountSheets(s.Layout, prep.TotalPages));
  UpdateCounts(p);
  p.status().ShowStatus("Count Done");
  return true;
}

void IndexPages(Program& p) { IndexLineFile(p); }

bool IndexLineFile(Program& p) {
  if (!CheckMaxPages(p)) return false;
  PrepState& prep = p.prep;
  const Long max_pages = p.settings().MaxPages;
  const std::size_t table_size = static_cast<std::size_t>(max_pages) + 2;
  prep.PageStart.assign(table_size, 0);  // entries after the last page stay 0: blank cells

  const std::string& path = prep.LineFilePath;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  long long n = 0;
  int open_error = errno;
  if (file != nullptr) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
      open_error = S_ISDIR(info.st_mode) ? EISDIR : errno;
      std::fclose(file);
      file = nullptr;
    } else {
      n = static_cast<long long>(info.st_size);
    }
  }
  if (file == nullptr) {
    p.prompt().Show("Can't read the temporary file " + path + ": " + std::strerror(open_error));
    return false;
  }
  if (n > 0x7FFFFFFELL) {
    std::fclose(file);
    p.prompt().Show("Can't read the temporary file " + path + ": it is larger than 2 GB");
    return false;
  }

  if (prep.LinesPerPage != 0) {
    prep.PageLines = prep.LinesPerPage;
  } else if (prep.PageLines == 0) {
    prep.PageLines = kDefaultPageLines;
  }
  const long page_lines = prep.PageLines;

  std::vector<char> chunk(kIndexChunk);
  long long c = 1;  // 1-based position of the chunk in the file
  long long r = n;
  // The pages are counted to the end of the text even past the limit: only then is it
  // known whether the limit leaves anything out.
  long page = 1;
  long k = 0;
  long long page_begin = 1;  // the position of the current page's first byte
  // While nothing but line ends and blanks follows the latest form feed: the page it ended.
  // Such a closing form feed starts no page of its own.
  long closed_page = 0;
  prep.PageStart[1] = 1;
  while (true) {
    const std::size_t want =
        r > static_cast<long long>(kIndexChunk) ? kIndexChunk : static_cast<std::size_t>(r);
    const std::size_t got = want == 0 ? 0 : std::fread(chunk.data(), 1, want, file);
    if (got != want) {
      int error = std::ferror(file) ? errno : EIO;
      std::fclose(file);
      p.prompt().Show("Can't read the temporary file " + path + ": " + std::strerror(error));
      return false;
    }
    // Line feeds end lines, form feeds end pages; a form feed also ends its line.
    for (std::size_t s = 0; s < got; ++s) {
      const char byte = chunk[s];
      if (byte == '\f') {
        closed_page = page;
      } else if (!IsLineEndOrBlank(byte)) {
        closed_page = 0;
      }
      if (byte != '\n' && byte != '\f') continue;
      ++k;
      if (k == page_lines || byte == '\f') {
        ++page;
        k = 0;
        page_begin = c + static_cast<long long>(s) + 1;
        if (page <= max_pages + 1) prep.PageStart[static_cast<std::size_t>(page)] = page_begin;
      }
    }
    c += static_cast<long long>(got);
    r = n - c + 1;
    if (c > n) break;
    p.status().SetProgress(static_cast<long>(n), static_cast<long>(n - r));
  }
  // A text that ends exactly at a page break has no empty last page.
  long total = page_begin > n ? page - 1 : page;
  if (closed_page != 0) total = closed_page;
  if (total > max_pages) {
    // Entry MaxPages + 1 keeps the start of the first page left out.
    p.prompt().Show("Too many pages - printing only " + std::to_string(max_pages));
    total = max_pages;
  } else {
    prep.PageStart[static_cast<std::size_t>(total) + 1] = static_cast<Long>(n + 1);
    // Pages begun after a closing form feed are dropped again.
    const long last_set = std::min<long>(page, static_cast<long>(max_pages) + 1);
    for (long q = total + 2; q <= last_set; ++q) prep.PageStart[static_cast<std::size_t>(q)] = 0;
  }
  p.status().SetProgress(static_cast<long>(n), static_cast<long>(n));
  std::fclose(file);
  prep.TotalPages = total;
  return true;
}

void UpdateCounts(Program& p) {
  PrepState& prep = p.prep;
  const double sig = LeadingNumber(p.window().Text(TextBox::kSigNum));
  Integer sig_count = 0;
  try {
    sig_count = CheckedInteger(RoundHalfEven(sig));
  } catch (const RuntimeError&) {
    sig_count = 0;
  }
  p.print.SigCount = sig_count;

  StatusCounts counts;
  counts.total_pages = prep.TotalPages;
  counts.sheet_count = prep.SheetCount;
  counts.sheets_per_signature = static_cast<int>(CeilDiv(prep.SheetCount, sig_count));
  counts.printer = p.surface().DeviceName();
  const int layout = p.settings().Layout;
  if (layout >= 0 && layout < static_cast<int>(p.settings_state.layouts.size())) {
    const LayoutRecord& record = p.settings_state.layouts[static_cast<std::size_t>(layout)];
    counts.font_name = record.font_name;
    counts.font_size = record.font_size;
  }
  p.status().ShowCounts(counts);
}

bool DeleteLineFile(Program& p) {
  const bool removed = RemoveLineFile(p.prep.LineFilePath, p.settings().TextFile);
  p.prep.LineFilePath.clear();
  return removed;
}

}  // namespace quireon2
