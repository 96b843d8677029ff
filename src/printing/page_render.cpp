// Drawing one page of the line file into one cell of the sheet side being printed.
#include "printing/page_render.h"

#include <cerrno>
#include <cstring>

#include "interfaces/status_sink.h"
#include "printing/constants.h"
#include "settings/number_text.h"
#include "settings/runtime_failure.h"

namespace quireon2 {
namespace {

int CurrentCell(const Program& p) {
  const int cell = p.print.CellIndex;
  if (cell < 1 || cell > 4) RaiseFailure(kSubscriptOutOfRange);
  return cell;
}

double Round(double value) { return static_cast<double>(RoundHalfEven(value)); }

}  // namespace

LineFileReader::LineFileReader(const std::string& path) {
  if (path.empty()) RaiseFailure(kBadFileNameOrNumber);
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    const int error = errno;
    if (error == ENOENT) RaiseFailure(kFileNotFound);
    RaiseFailure(kPathFileAccessError,
                 FailureDescription(kPathFileAccessError) + ": " + std::strerror(error));
  }
}

LineFileReader::~LineFileReader() { Close(); }

void LineFileReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

std::string LineFileReader::Read(long position, long length) {
  if (file_ == nullptr) RaiseFailure(kBadFileNameOrNumber);
  if (position < 1 || length <= 0) return {};
  if (std::fseek(file_, position - 1, SEEK_SET) != 0) RaiseFailure(kDeviceIoError);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file_);
  if (got < bytes.size() && std::ferror(file_)) RaiseFailure(kDeviceIoError);
  bytes.resize(got);
  return bytes;
}

std::string FileTitle(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string_view> SplitPageLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\x1A' || c == '\n') {
      // A CR right before the LF belongs to the break.
      std::size_t end = (c == '\n' && i > start && text[i - 1] == '\r') ? i - 1 : i;
      lines.push_back(text.substr(start, end - start));
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view CutAtFormFeed(std::string_view text) {
  const std::size_t ff = text.find('\f');
  return ff == std::string_view::npos ? text : text.substr(0, ff);
}

Rgb OutlineColour(long linecolor) {
  return linecolor >= 0 && linecolor < 16 ? kPalette[linecolor] : kPalette[0];
}

long HeaderOffset(const Program& p) {
  if (p.settings().DoHeader == 0) return 0;
  return 2L * CurrentLayout(p).line_height;
}

void RenderPage(Program& p, LineFileReader& file, long page) {
  const std::vector<Long>& starts = p.prep.PageStart;
  if (page < 0 || static_cast<std::size_t>(page) + 1 >= starts.size()) return;
  const long start = starts[page];
  const long next = starts[page + 1];
  if (next == 0) return;

  const Settings& s = p.settings();
  if (s.DoBox != 0) DrawOutline(p, s.Lineweight);
  if (s.DoHeader != 0) PrintHeaderFooter(p, page, 0);

  const std::string text = file.Read(start, next - start);
  const LayoutRecord& record = CurrentLayout(p);
  const int cell = CurrentCell(p);
  long y = record.y[cell] + HeaderOffset(p);
  PrintPageText(p, record.x[cell], y, CutAtFormFeed(text));

  if (s.DoFooter != 0) PrintHeaderFooter(p, page, 1);
}

void PrintPageText(Program& p, long x, long& y, std::string_view text) {
  PrinterSurface& surface = p.surface();
  const long line_height = CurrentLayout(p).line_height;
  surface.SetCurrentX(x);
  surface.SetCurrentY(y);
  for (std::string_view line : SplitPageLines(text)) {
    if (!line.empty()) surface.Print(line, true);
    surface.SetCurrentX(x);
    y += line_height;
    surface.SetCurrentY(y);
    p.status().DoEvents();
  }
}

void PrintHeaderFooter(Program& p, long page, int which) {
  PrinterSurface& surface = p.surface();
  const Settings& s = p.settings();
  const LayoutRecord& record = CurrentLayout(p);
  const int cell = CurrentCell(p);
  const double x0 = record.x[cell];
  const double y0 = record.y[cell];
  const double width = record.cell_width;
  const double height = record.cell_height;
  const long line_height = record.line_height;
  const bool header = which == 0;
  const bool booklet = s.Layout == kLayoutBooklet;
  const Rgb black = kPalette[0];

  surface.SetCurrentY(header ? y0 : y0 + height - line_height);

  // Without outlines a rule separates the footer from the text, and the footer moves down
  // half a line to make room for it.
  if (!header && s.DoBox == 0) {
    const double rule_y = Round(surface.CurrentY());
    surface.Line(x0, rule_y, x0 + width, rule_y, black, false);
    surface.SetCurrentY(surface.CurrentY() + line_height / 2);
  }

  if ((header ? s.HFileTitle : s.FFileTitle) != 0) {
    const std::string name = !p.prep.ShownName.empty() ? p.prep.ShownName
                             : s.DoPath != 0              ? FileTitle(s.TextFile)
                                                          : s.TextFile;
    surface.SetCurrentX(static_cast<double>(RoundHalfEven(width - surface.TextWidth(name)) / 2) +
                        x0);
    surface.Print(name, false);
  }

  // In a booklet the page label sits on the outer edge and the date on the inner one, so
  // both mirror across the fold.
  const bool even = page % 2 == 0;
  if ((header ? s.HPgNumber : s.FPgNumber) != 0) {
    const std::string label = "Page" + DisplayForm(static_cast<long long>(page));
    const bool left = booklet && even;
    surface.SetCurrentX(left ? x0 : width - surface.TextWidth(label) + x0);
    surface.Print(label, false);
  }
  if ((header ? s.HCurDate : s.FCurDate) != 0) {
    const std::string& date = p.settings_state.today;
    const bool right = booklet && even;
    surface.SetCurrentX(right ? width - surface.TextWidth(date) + x0 : x0);
    surface.Print(date, false);
  }

  if (header) {
    const double rule_y = Round(surface.CurrentY() + line_height);
    surface.Line(x0, rule_y, x0 + width, rule_y, black, false);
  }
}

void DrawOutline(Program& p, int weight) {
  PrinterSurface& surface = p.surface();
  const Settings& s = p.settings();
  const LayoutRecord& record = CurrentLayout(p);
  const int cell = CurrentCell(p);
  const double b = s.BoxToText;
  const double x = record.x[cell] - b;
  const double y = record.y[cell] - b;
  surface.SetDrawWidth(weight < 1 ? 1 : weight);
  surface.Line(x, y, x + record.cell_width + 2 * b, y + record.cell_height + 2 * b,
               OutlineColour(s.Linecolor), true);
}

}  // namespace quireon2
