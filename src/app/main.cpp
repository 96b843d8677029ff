// The window program: builds the real printer surface, message boxes and start-up
// services, then hands everything to the main window.
#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QString>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "platform/cups_surface.h"
#include "platform/help_opener.h"
#include "platform/interruption.h"
#include "platform/pdf_job.h"
#include "platform/settings_path.h"
#include "platform/single_copy_lock.h"
#include "platform/temp_file.h"
#include "settings/program_state.h"
#include "ui/frm_main.h"
#include "ui/pdf_save.h"
#include "ui/qt_prompt.h"

#ifndef QUIREON2_VERSION
#define QUIREON2_VERSION "unknown"
#endif

namespace {

// --help and --version answer on the terminal, before Qt needs a display. Only as the one
// argument: anything else names a file.
bool AnsweredOnTerminal(int argc, char* argv[]) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--version") == 0) {
    std::cout << "quireon2 " << QUIREON2_VERSION << '\n';
    return true;
  }
  if (std::strcmp(argv[1], "--help") == 0) {
    std::cout << "Usage: quireon2 [FILE]\n"
                 "Opens the window that prints a plain text file as a folded booklet or 1, 2\n"
                 "or 4 pages per sheet side; FILE (everything after the program name, blanks\n"
                 "included) is the text file to start with.\n"
                 "\n"
                 "      --help     this text\n"
                 "      --version  the program's version\n"
                 "\n"
                 "To print from a terminal or a script without the window: quireon2-print.\n";
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (AnsweredOnTerminal(argc, argv)) return 0;
  // The whole text after the program name names one file. It is taken before Qt removes
  // the arguments it knows, so the path reaches the window exactly as typed.
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    command_line += argv[i];
  }

  quireon2::KeepHeapTopForPages();  // the allocator would otherwise churn at every page
  // A logout's SIGTERM (or a hang-up, or Ctrl-C in the terminal that started it) reaches the
  // event loop through a socket; until the window is shown it only removes the files made.
  const int signal_socket = quireon2::SignalsToDescriptor();
  QApplication app(argc, argv);
  QApplication::setApplicationName(quireon2::kProgramName);
  std::optional<QSocketNotifier> signal_notifier;
  if (signal_socket >= 0) {
    signal_notifier.emplace(signal_socket, QSocketNotifier::Read);
    QObject::connect(&*signal_notifier, &QSocketNotifier::activated,
                     [] { quireon2::EndIfSignalled(); });
  }

  quireon2::SingleCopyLock lock;
  quireon2::SetSignalEnd([&lock](int) { lock.Release(); });
  quireon2::CupsSurface surface;
  quireon2::ui::QtPrompt prompt;
  quireon2::Program program;
  program.io.surface = &surface;
  program.io.prompt = &prompt;
  quireon2::SystemTempFiles temp_files;
  program.io.temp_files = &temp_files;

  const std::string exe_dir = quireon2::ExecutableFolder();
  quireon2::ui::StartupEnvironment environment;
  environment.command_line = command_line;
  environment.ini_path = quireon2::SettingsFilePath(exe_dir, quireon2::InstalledBinFolder());
  environment.help_path = quireon2::HelpFilePath(exe_dir, quireon2::InstalledBinFolder(),
                                                 quireon2::InstalledHelpFolder());
  // A second start hands its file (made absolute: the running copy has its own working
  // folder) to the running copy, which comes to the front; then it ends.
  environment.another_copy_running = [&lock, &command_line] {
    if (lock.Acquire()) return false;
    const QFileInfo file(QString::fromLocal8Bit(command_line.c_str()));
    lock.HandOver(!command_line.empty() && file.exists()
                      ? file.absoluteFilePath().toLocal8Bit().toStdString()
                      : command_line);
    return true;
  };
  environment.open_help = [](const std::string& path) { return quireon2::OpenHelp(path); };

  quireon2::ui::FrmMain window(program, environment);
  prompt.SetParent(&window);
  // "Print to PDF" asks where each job goes; Cancel drops that job.
  surface.SetPdfPathCallback([&](const std::string& suggested) {
    return quireon2::ui::AskPdfPath(&window, suggested,
                                    quireon2::ui::PdfSaveTitle(program, surface.job_number()));
  });

  if (window.Form_Load() == quireon2::ui::FrmMain::LoadResult::kEndProcess) return 0;
  lock.Listen([&window](const std::string& file) { window.OpenHandedFile(file); });
  quireon2::SetSignalEnd([&window, &lock](int) {
    window.ShutDownForSignal();
    lock.Release();
  });
  window.show();
  return app.exec();
}
