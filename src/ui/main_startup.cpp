// The main window's start-up and shutdown.
// The core's start-up with the window's question and printer dialog, then the source file,
// the date and the font preview; the settings saved when the window closes.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFrame>
#include <QPushButton>
#include <QTabBar>

#include "interfaces/printer_surface.h"
#include "interfaces/prompt.h"
#include "printing/startup.h"
#include "settings/capability.h"
#include "settings/settings_file.h"
#include "textprep/prep_run.h"
#include "ui/frm_main.h"
#include "ui/printer_dialogs.h"
#include "ui/source_file.h"

namespace quireon2::ui {

FrmMain::LoadResult FrmMain::Form_Load() {
  // One copy per user.
  if (environment_.another_copy_running && environment_.another_copy_running()) {
    return LoadResult::kEndProcess;
  }
  Settings& s = program_.settings();
  SettingsState& state = program_.settings_state;
  PrinterSurface& surface = program_.surface();
  state.ini_path = environment_.ini_path;
  state.help_path = environment_.help_path;

  // An unsuitable printer: the user may choose another in the printer dialog, waited for.
  StartupSteps steps;
  steps.check_printer_before_settings = true;
  steps.show_failures = false;
  steps.replace_unsuitable_printer = [this] {
    if (environment_.choose_printer) {
      environment_.choose_printer(program_, this);
    } else {
      ChoosePrinter(program_, this, /*wait=*/true);
    }
    return true;
  };
  const StartupResult started = StartUp(program_, steps);
  if (started == StartupResult::kNoPrinter || started == StartupResult::kUnsuitablePrinter) {
    return LoadResult::kEndProcess;
  }
  setWindowTitle(kProgramName);
  // A failure ends start-up where it happened; the window shows what was set up so far.
  if (started == StartupResult::kPrinterFailed) return LoadResult::kShow;
  try {
    SetAll(program_);
    CheckDoubleSideMode();
    // DefTab is kept for the settings file only: the first page always shows at start.
    TabStrip1_->setCurrentIndex(0);
    Frame10_[0]->show();
    Frame10_[1]->hide();
    shown_page_ = 1;

    // The current layout's face on the printer; no job before a source file is chosen.
    surface.SetFontName(CurrentLayout(program_).font_name);
    P_->setEnabled(false);

    // The file named on the command line wins over the one used last.
    const std::string command_line = environment_.command_line;
    if (!command_line.empty()) {
      if (!source_file_->OpenSourceFile(command_line)) {
        const std::string stored = s.TextFile;
        source_file_->OpenSourceFile(stored);
      }
    } else if (!s.TextFile.empty()) {
      const std::string stored = s.TextFile;
      source_file_->OpenSourceFile(stored);
    }

    // Colour, today's date for headers and footers, the font preview.
    surface.SetColorMode(1);
    state.today = environment_.today.empty()
                      ? QDate::currentDate().toString("MM-dd-yyyy").toStdString()
                      : environment_.today;
    SetFontPreview(surface.FontName(), CurrentLayout(program_).font_size);
  } catch (const RuntimeError&) {
    // As above: the window shows what was set up so far.
  }
  return LoadResult::kShow;
}

void FrmMain::CheckDoubleSideMode() {
  // The printer was checked before the settings chose the saved one: check the one in force.
  PrinterUnsuitable(program_);
  if (GetPrinterMode() != 2 || IsPrinterModeEnabled(2)) return;
  SetPrinterMode(1);
  program_.settings().PrinterMode = 1;
  program_.prompt().Show("The printer " + program_.surface().DeviceName() +
                         " cannot print both sides, so \"Double Side printer only\" is not "
                         "available; \"Flipped\" is used instead.");
}

void FrmMain::cleanup() { ShutDown(program_, /*save_settings=*/true); }

void FrmMain::ShutDownForSignal() {
  try {
    program_.surface().AbortDoc();
  } catch (const RuntimeError&) {
    // Nothing of a job that cannot be dropped has reached the printer yet.
  }
  if (!ended_) cleanup();
  ended_ = true;
}

void FrmMain::EndProcess() {
  ended_ = true;
  if (about_) about_->close();
  if (environment_.end_process) {
    environment_.end_process();
  } else {
    QCoreApplication::quit();
  }
}

void FrmMain::closeEvent(QCloseEvent* event) {
  // Form_Unload: the same shutdown as "E&xit".
  if (!ended_) {
    cleanup();
    EndProcess();
  }
  event->accept();
}

}  // namespace quireon2::ui
