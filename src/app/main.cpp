// The window program: builds the real printer surface, message boxes and start-up
// services, then hands everything to the main window.
#include <QApplication>
#include <QFileDialog>
#include <QSocketNotifier>
#include <QString>
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
#include "ui/qt_prompt.h"

int main(int argc, char* argv[]) {
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
  environment.another_copy_running = [&lock] { return !lock.Acquire(); };
  environment.open_help = [](const std::string& path) { quireon2::OpenHelp(path); };

  quireon2::ui::FrmMain window(program, environment);
  prompt.SetParent(&window);
  // "Print to PDF" asks where each job goes; Cancel drops that job.
  surface.SetPdfPathCallback([&window](const std::string& suggested) -> std::optional<std::string> {
    QString chosen = QFileDialog::getSaveFileName(&window, quireon2::kProgramName,
                                                  QString::fromStdString(suggested),
                                                  "PDF files (*.pdf)");
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
  });

  if (window.Form_Load() == quireon2::ui::FrmMain::LoadResult::kEndProcess) return 0;
  quireon2::SetSignalEnd([&window, &lock](int) {
    window.ShutDownForSignal();
    lock.Release();
  });
  window.show();
  return app.exec();
}
