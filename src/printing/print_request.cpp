#include "printing/print_request.h"

#include "interfaces/printer_surface.h"
#include "settings/capability.h"
#include "interfaces/main_window_controls.h"
#include "settings/runtime_failure.h"
#include "textprep/layout_metrics.h"

namespace quireon2 {

bool PrepareForPrint(Program& p) {
  int layout = p.settings().Layout;
  // The settings loader keeps Layout within the records; the spare record 4 is the
  // fallback should anything else slip through.
  if (layout < 0 || layout >= static_cast<int>(p.settings_state.layouts.size())) layout = 4;
  const LayoutRecord& record = p.settings_state.layouts[static_cast<std::size_t>(layout)];
  PrinterSurface& surface = p.surface();
  try {
    surface.SetFontName(record.font_name);
  } catch (const RuntimeError& error) {
    ReportError(p, error.failure());
    return false;
  }
  p.settings_state.print_font_size = record.font_size;
  ComputeLayoutMetrics(p, p.settings_state.print_font_size);
  try {
    surface.SetFontSize(record.font_size);
    surface.SetOrientation(record.orientation);
    p.window().SetFontPreview(surface.FontName(), p.settings_state.print_font_size);
  } catch (const RuntimeError&) {
    // The layout metrics have just asked the printer for the same size and orientations
    // and shown why it refused.
    return false;
  }
  return true;
}

}  // namespace quireon2
