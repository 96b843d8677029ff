// The first steps of a print request, before the status window opens.
#include "printing/print_request.h"

#include "interfaces/main_window_controls.h"
#include "interfaces/printer_surface.h"
#include "settings/capability.h"
#include "settings/runtime_failure.h"
#include "textprep/layout_metrics.h"

namespace quireon2 {

Outcome PrepareForPrint(Program& p) {
  const LayoutRecord& record = CurrentLayout(p);
  PrinterSurface& surface = p.surface();
  try {
    surface.SetFontName(record.font_name);
  } catch (const RuntimeError& error) {
    ReportError(p, error.failure());
    return Outcome::PrinterFailed(error.failure());
  }
  // Settings that leave no room for a line stop the request before anything is printed.
  if (Outcome room = CheckRoomForLines(p); !room.ok()) return room;
  p.settings_state.print_font_size = record.font_size;
  const Outcome metrics = ComputeLayoutMetrics(p, p.settings_state.print_font_size);
  try {
    surface.SetFontSize(record.font_size);
    surface.SetOrientation(record.orientation);
    p.window().SetFontPreview(surface.FontName(), p.settings_state.print_font_size);
  } catch (const RuntimeError& error) {
    // The layout metrics have just asked the printer for the same size and orientations
    // and shown why it refused.
    return Outcome::PrinterFailed(error.failure());
  }
  return metrics.ok() ? metrics : Outcome::WentOnPast(*metrics.failure);
}

}  // namespace quireon2
