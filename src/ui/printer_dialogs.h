// The font and printer dialogs as the main window opens them.
#pragma once

#include "settings/program_state.h"

class QWidget;

namespace quireon2::ui {

// The main window's two printer buttons: 0 "Pr&inter setup" (the printer dialog), 1 "&Font"
// (the font dialog, then the layout metrics and the preview). A refused printer setting
// says "please choose another printer" and the handler goes on.
void PrinterFontClick(Program& program, int index, QWidget* main_window);

// Shows the one printer dialog (or brings it forward). With `wait` it returns only when
// the dialog has closed (start-up); otherwise at once.
void ChoosePrinter(Program& program, QWidget* main_window, bool wait);

}  // namespace quireon2::ui
