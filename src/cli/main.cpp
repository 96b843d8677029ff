// quireon2-print: prints a text file from a terminal or a script with the same preparation
// and print runs as the window, on the CUPS printers or "Print to PDF".
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/print_command.h"
#include "platform/cups_queues.h"
#include "platform/cups_surface.h"
#include "platform/output_path.h"
#include "platform/pdf_job.h"
#include "platform/settings_path.h"

namespace {

volatile sig_atomic_t g_waiting_for_enter = 0;
volatile sig_atomic_t g_interrupted = 0;
// The temporary files to remove when a signal ends the process (the line file, standard
// input's copy, the PDF for standard output), the latest of them; each written before it
// can be used.
constexpr int kTempSlots = 4;
char g_temp_files[kTempSlots][4096] = {};
int g_next_slot = 0;

// At the prompt an interrupt answers Cancel; anywhere else it ends the process as usual,
// without leaving the line file behind.
void OnSignal(int signal_number) {
  if (signal_number == SIGINT && g_waiting_for_enter) {
    g_interrupted = 1;
    return;
  }
  for (const char* path : g_temp_files) {
    if (path[0] != '\0') ::unlink(path);
  }
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void InstallSignalHandlers() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: a read waiting for Enter returns on Ctrl-C
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
  // A reader of standard output that goes away is a write failure, said as such.
  ::signal(SIGPIPE, SIG_IGN);
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
  InstallSignalHandlers();
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
  io.temp_file_made = [](const std::string& path) {
    char* slot = g_temp_files[g_next_slot];
    if (path.size() >= sizeof g_temp_files[0]) return;
    slot[0] = '\0';  // never a half-written name
    std::memcpy(slot + 1, path.c_str() + 1, path.size());
    slot[0] = path[0];
    g_next_slot = (g_next_slot + 1) % kTempSlots;
  };
  io.pdf_printer_name = quireon2::kPrintToPdf;
  io.print_service_running = quireon2::PrintServiceRunning;
  io.settings_path =
      quireon2::SettingsFilePath(quireon2::ExecutableFolder(), quireon2::InstalledBinFolder());
  io.today = Today();
  int status = quireon2::RunPrintCommand(args, io);
  for (char* path : g_temp_files) path[0] = '\0';
  return status;
}
