// The layouts' cells, line heights and characters per line, measured on the printer.
#include "textprep/layout_metrics.h"

#include "interfaces/printer_surface.h"
#include "settings/capability.h"
#include "interfaces/prompt.h"
#include "settings/runtime_failure.h"
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

}  // namespace

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
