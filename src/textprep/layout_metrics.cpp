// The layouts' cells, line heights and characters per line, measured on the printer.
#include "textprep/layout_metrics.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "settings/capability.h"
#include "settings/number_text.h"
#include "settings/runtime_failure.h"
#include "settings/settings_file.h"
#include "textprep/cell_geometry.h"

namespace quireon2 {
namespace {

constexpr char kHeightText[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr char kWidthText[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr long long kWidthTextLength = 62;

// The line height of the surface's current font: the capitals' height times LineMultiple,
// taken to a whole twip without rounding the product to single precision first.
Integer MeasureLineHeight(Program& p) {
  const double height = p.surface().TextHeight(kHeightText);
  return CheckedInteger(RoundHalfEven(height * static_cast<double>(p.settings().LineMultiple)));
}

// Fills one record from the surface's printable area in the orientation it holds now. The
// record changes only when all of it could be computed.
void FillRecord(Program& p, int layout) {
  LayoutRecord record = p.settings_state.layouts[static_cast<std::size_t>(layout)];
  ComputeCellGeometry(layout, p.surface().ScaleWidth(), p.surface().ScaleHeight(), p.settings(),
                      record);
  p.settings_state.layouts[static_cast<std::size_t>(layout)] = record;
}

using Keys = std::vector<std::pair<std::string, long long>>;

// The keys that place and size the layout's cells across the page (x) or down it (y).
Keys CellKeys(int layout, const Settings& s, bool across) {
  switch (layout) {
    case kLayout1Up:
      if (across) return {{"XEdgeBorder1", s.XEdgeBorder1}, {"OffsetLeft", s.OffsetLeft}};
      return {{"YEdgeBorder1", s.YEdgeBorder1}, {"OffsetTop", s.OffsetTop}};
    case kLayout4Up:
      if (across) {
        return {{"XEdgeBorder4", s.XEdgeBorder4}, {"FourUpGutter", s.FourUpGutter},
                {"OffsetLeft", s.OffsetLeft}, {"OffsetTop", s.OffsetTop},
                {"OffsetBottom", s.OffsetBottom}};
      }
      return {{"YEdgeBorder4", s.YEdgeBorder4}, {"FourUpGutter", s.FourUpGutter},
              {"OffsetTop", s.OffsetTop}, {"OffsetLeft", s.OffsetLeft},
              {"OffsetRight", s.OffsetRight}};
    default: {
      // The side-by-side layouts turn the portrait offsets a quarter turn.
      const bool booklet = layout == kLayoutBooklet;
      if (across) {
        return {{"XEdgeBorder2", s.XEdgeBorder2},
                {booklet ? "BookletGutter" : "TwoUpGutter",
                 booklet ? s.BookletGutter : s.TwoUpGutter},
                {"OffsetLeft", s.OffsetLeft}, {"OffsetRight", s.OffsetRight},
                {"OffsetTop", s.OffsetTop}};
      }
      return {{"YEdgeBorder2", s.YEdgeBorder2}, {"OffsetTop", s.OffsetTop},
              {"OffsetBottom", s.OffsetBottom}, {"OffsetRight", s.OffsetRight}};
    }
  }
}

// "Key= value" for each key that is not 0, as the settings file writes them, and the verb
// (given in the plural) in the form that agrees with them.
std::string Listed(const Keys& keys, const std::string& verb) {
  std::string text;
  int count = 0;
  for (const auto& [key, value] : keys) {
    if (value == 0) continue;
    text += (text.empty() ? "" : ", ") + key + "=" + DisplayForm(value);
    ++count;
  }
  if (count == 0) return "the paper's printable area " + verb + "s";
  return text + " " + (count == 1 ? verb + "s" : verb);
}

Outcome NoRoom(Program& p, const std::string& why) {
  const std::string message = "The settings leave no room for a line: " + why;
  p.prompt().Show(message);
  return Outcome::SourceFailed(RuntimeFailure{0, message});
}

// The length of [start, start + length) that lies within [0, page).
double OnPage(double start, double length, double page) {
  return std::min(start + length, page) - std::max(start, 0.0);
}

}  // namespace

Outcome CheckRoomForLines(Program& p) {
  const Settings& s = p.settings();
  const int layout = s.Layout;
  const LayoutRecord& record = CurrentLayout(p);
  const std::string size_key =
      LayoutSizeKey(layout) + "=" + DisplayForm(static_cast<long long>(record.font_size));
  const std::string multiple_key = "LineMultiple=" + DisplayForm(s.LineMultiple);
  if (record.font_size < 1) return NoRoom(p, size_key + " is no font size");
  if (!std::isfinite(s.LineMultiple) || s.LineMultiple <= 0) return NoRoom(p, multiple_key);
  try {
    PrinterSurface& surface = p.surface();
    surface.SetOrientation(record.orientation);
    const double page_width = surface.ScaleWidth();
    const double page_height = surface.ScaleHeight();
    LayoutRecord cell = record;
    try {
      ComputeCellGeometry(layout, page_width, page_height, s, cell);
    } catch (const RuntimeError& error) {
      if (error.number() != kOverflow) throw;
      Keys all = CellKeys(layout, s, true);
      for (auto& key : CellKeys(layout, s, false)) all.push_back(key);
      return NoRoom(p, Listed(all, "overflow") + " the cell's sums");
    }
    const Keys across = CellKeys(layout, s, true);
    const Keys down = CellKeys(layout, s, false);
    if (cell.cell_width <= 0) {
      return NoRoom(p, Listed(across, "leave") + " a cell " + std::to_string(cell.cell_width) +
                           " twips wide");
    }
    if (cell.cell_height <= 0) {
      return NoRoom(p, Listed(down, "leave") + " a cell " + std::to_string(cell.cell_height) +
                           " twips high");
    }
    surface.SetFontSize(record.font_size);
    Integer line_height = 0;
    try {
      line_height = MeasureLineHeight(p);
    } catch (const RuntimeError& error) {
      if (error.number() != kOverflow) throw;
      return NoRoom(p, multiple_key + " gives lines too high to count");
    }
    if (line_height <= 0) {
      return NoRoom(p, multiple_key + " gives lines " + std::to_string(line_height) +
                           " twips high");
    }
    for (int k = 1; k <= cell.cell_count; ++k) {
      const auto i = static_cast<std::size_t>(k);
      if (OnPage(static_cast<double>(cell.x[i]), static_cast<double>(cell.cell_width),
                 page_width) <= 0) {
        return NoRoom(p, Listed(across, "put") + " a cell off the page");
      }
      if (OnPage(static_cast<double>(cell.y[i]), static_cast<double>(cell.cell_height),
                 page_height) < line_height) {
        return NoRoom(p, Listed(down, "put") + " a cell off the page");
      }
    }
    if (cell.cell_height < line_height) {
      return NoRoom(p, multiple_key + " and " + size_key + " give lines " +
                           std::to_string(line_height) + " twips high in a cell " +
                           std::to_string(cell.cell_height) + " twips high");
    }
  } catch (const RuntimeError& error) {
    ReportError(p, error.failure());
    return Outcome::PrinterFailed(error.failure());
  }
  return Outcome::Succeeded();
}

Outcome ComputeLayoutMetrics(Program& p, Integer font_size) {
  try {
    PrinterSurface& surface = p.surface();
    surface.SetScaleMode(1);
    surface.SetOrientation(kPortrait);
    FillRecord(p, kLayout1Up);
    FillRecord(p, kLayout4Up);
    surface.SetOrientation(kLandscape);
    FillRecord(p, kLayout2Up);
    FillRecord(p, kLayoutBooklet);
    if (font_size != 0) SetLayoutFontSize(p, font_size);
  } catch (const RuntimeError& error) {
    ReportError(p, error.failure());
    return Outcome::PrinterFailed(error.failure());
  }
  return Outcome::Succeeded();
}

void SetLayoutFontSize(Program& p, Integer font_size) {
  if (font_size == 0) return;
  LayoutRecord& record = CurrentLayout(p);
  p.surface().SetFontSize(font_size);
  record.font_size = font_size;
  record.line_height = MeasureLineHeight(p);
}

Outcome SetTextMetrics(Program& p) {
  try {
    PrepState& prep = p.prep;
    const Settings& s = p.settings();
    LayoutRecord& record = CurrentLayout(p);
    PrinterSurface& surface = p.surface();
    surface.SetFontSize(record.font_size);
    surface.SetFontName(record.font_name);
    prep.PrintOrientation = record.orientation;
    if (prep.PrintOrientation != 0) {
      surface.SetOrientation(prep.PrintOrientation);
    } else {
      prep.PrintOrientation = CheckedInteger(surface.Orientation());
    }
    record.line_height = MeasureLineHeight(p);
    const long long width = RoundHalfEven(surface.TextWidth(kWidthText));
    prep.CharWidth = CheckedInteger(CheckedLong(width) / kWidthTextLength);
    if (prep.CharWidth == 0) RaiseFailure(kDivisionByZero);
    prep.CharsPerLine = CheckedInteger(record.cell_width / prep.CharWidth + s.WidthFudge);
    if (record.line_height == 0) RaiseFailure(kDivisionByZero);
    // A footer takes three lines of the page, a header two.
    prep.LinesPerPage = CheckedInteger(record.cell_height / record.line_height -
                                       (s.DoFooter != 0 ? 3 : 0) - (s.DoHeader != 0 ? 2 : 0));
    if (prep.LinesPerPage < 1) {
      return NoRoom(p, "LineMultiple=" + DisplayForm(s.LineMultiple) + " and " +
                           LayoutSizeKey(s.Layout) + "=" +
                           DisplayForm(static_cast<long long>(record.font_size)) +
                           " give lines " + std::to_string(record.line_height) +
                           " twips high in a cell " + std::to_string(record.cell_height) +
                           " twips high, less the header's and footer's lines");
    }
  } catch (const RuntimeError& error) {
    if (error.number() == kInvalidPropertyValue) {
      p.prompt().Show(
          "your printer does not support features that Quireon II needs\r\n"
          "please choose another printer");
      return Outcome::PrinterFailed(error.failure());
    }
    // A zero width or height or an overflow leaves the earlier metrics, which still cut
    // the text into lines; the window has always gone on with them.
  }
  return Outcome::Succeeded();
}

}  // namespace quireon2
