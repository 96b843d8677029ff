// quireon2-print: prints a text file from a terminal or a script with the same preparation
// and print runs as the window, on the CUPS printers or "Print to PDF".
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/print_command.h"
#include "platform/cups_queues.h"
#include "platform/cups_surface.h"
#include "platform/image_surface.h"
#include "platform/interruption.h"
#include "platform/output_path.h"
#include "platform/pdf_job.h"
#include "platform/settings_path.h"

namespace {

volatile sig_atomic_t g_waiting_for_enter = 0;
volatile sig_atomic_t g_interrupted = 0;

// At the prompt an interrupt answers Cancel; anywhere else a signal ends the process
// without leaving the files it was making.
bool TakeInterruptAtPrompt(int signal_number) {
  if (signal_number != SIGINT || !g_waiting_for_enter) return false;
  g_interrupted = 1;
  return true;
}

bool WaitForEnter() {
  g_interrupted = 0;
  g_waiting_for_enter = 1;
  bool pressed = false;
  while (true) {
    char c = 0;
    ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n == 1) {
      if (c == '\n') {
        pressed = true;
        break;
      }
      continue;
    }
    if (n < 0 && errno == EINTR && !g_interrupted) continue;
    break;  // end of input, an interrupt, or a read failure
  }
  g_waiting_for_enter = 0;
  return pressed;
}

std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%m-%d-%Y", &local);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  quireon2::SetSignalFilter(TakeInterruptAtPrompt);
  quireon2::EndOnSignals();
  // A reader of standard output that goes away is a write failure, said as such.
  ::signal(SIGPIPE, SIG_IGN);
  quireon2::KeepHeapTopForPages();  // the allocator would otherwise churn at every page

  quireon2::CupsSurface surface;
  quireon2::CommandIo io;
  io.surface = &surface;
  io.out = &std::cout;
  io.err = &std::cerr;
  io.err_is_terminal = ::isatty(STDERR_FILENO) == 1;
  io.input_is_terminal = ::isatty(STDIN_FILENO) == 1;
  io.wait_for_enter = WaitForEnter;
  io.set_pdf_output = [&surface](const std::string& path) { surface.SetPdfOutputPath(path); };
  io.in = &std::cin;
  io.copy_to_output = [](const std::string& path) {
    std::cout.flush();
    return quireon2::CopyFileTo(path, STDOUT_FILENO, "standard output");
  };
  io.set_job_options = [&surface](const std::vector<std::pair<std::string, std::string>>& o) {
    surface.SetJobOptions(o);
  };
  io.write_picture = quireon2::WritePicturePng;
  io.pdf_printer_name = quireon2::kPrintToPdf;
  io.print_service_running = quireon2::PrintServiceRunning;
  io.settings_path =
      quireon2::SettingsFilePath(quireon2::ExecutableFolder(), quireon2::InstalledBinFolder());
  io.today = Today();
  return quireon2::RunPrintCommand(args, io);
}
