// The main window's "Pr&inter setup" and "&Font" buttons, and the one printer dialog.
#include "ui/printer_dialogs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <exception>
#include <functional>
#include <initializer_list>

#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "settings/capability.h"
#include "settings/runtime_failure.h"
#include "textprep/layout_metrics.h"
#include "ui/font_dlg.h"
#include "ui/prt_dlg.h"

namespace quireon2::ui {

namespace {

QPointer<PrtDlg>& PrinterDialog() {
  static QPointer<PrtDlg> instance;
  return instance;
}

// Shows the printer dialog, or brings the open one forward without refilling it. Raises
// RuntimeError when the printer list cannot be read.
PrtDlg* ShowPrinterDialog(Program& program, QWidget* main_window, bool modal) {
  QPointer<PrtDlg>& instance = PrinterDialog();
  if (instance) {
    instance->show();
    instance->raise();
    instance->activateWindow();
    return instance;
  }
  auto* dialog = new PrtDlg(program, main_window);
  try {
    dialog->FormLoad();
  } catch (...) {
    delete dialog;
    throw;
  }
  if (modal) dialog->setWindowModality(Qt::ApplicationModal);
  instance = dialog;
  dialog->show();
  QCoreApplication::processEvents();
  return instance;
}

// Runs the steps of a printer button in order. A refused printer setting (380) says
// "please choose another printer" and goes on; any other failure ends the handler.
void RunSteps(Program& program, std::initializer_list<std::function<void()>> steps) {
  for (const std::function<void()>& step : steps) {
    try {
      step();
    } catch (const RuntimeError& error) {
      if (error.number() != kInvalidPropertyValue) return;
      program.prompt().Show("please choose another printer");
    } catch (const std::exception&) {
      return;
    }
  }
}

void FontClick(Program& program, QWidget* main_window) {
  RunSteps(program, {
      [&] {
        FontDlg dialog(program, main_window);
        dialog.FormLoad();
        dialog.exec();
      },
      [&] { program.surface().SetFontName(CurrentLayout(program).font_name); },
      [&] { program.settings_state.print_font_size = CurrentLayout(program).font_size; },
      [&] { ComputeLayoutMetrics(program, program.settings_state.print_font_size); },
      [&] {
        SetFontPreview(program, program.surface().FontName(),
                       program.settings_state.print_font_size);
      },
  });
}

}  // namespace

void PrinterFontClick(Program& program, int index, QWidget* main_window) {
  if (index == 0) {
    RunSteps(program, {[&] { ShowPrinterDialog(program, main_window, false); }});
  } else if (index == 1) {
    FontClick(program, main_window);
  }
}

void ChoosePrinter(Program& program, QWidget* main_window, bool wait) {
  try {
    QPointer<PrtDlg> dialog = ShowPrinterDialog(program, main_window, wait);
    if (!wait || !dialog) return;
    QEventLoop loop;
    QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
  } catch (const RuntimeError& error) {
    ReportError(program, error.failure());
  } catch (const std::exception& error) {
    ReportError(program, RuntimeFailure{0, error.what()});
  }
}

}  // namespace quireon2::ui
