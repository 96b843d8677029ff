// A fresh Program wired to the test fakes, so every test starts from the same state, and
// texts of marker pages to print with it.
#pragma once

#include <string>

#include "platform/temp_file.h"
#include "settings/memory_controls.h"
#include "settings/program_state.h"
#include "support/recording_status.h"
#include "support/recording_surface.h"
#include "support/scripted_prompt.h"

namespace quireon2::testing {

// A text of pages separated by form feeds whose only words are markers: "M1", "M2", ...
inline std::string MarkerPages(int pages) {
  std::string text;
  for (int i = 1; i <= pages; ++i) text += (i > 1 ? "\fM" : "M") + std::to_string(i) + "\r\n";
  return text;
}

struct TestProgram {
  RecordingSurface surface;
  ScriptedPrompt prompt;
  MemoryControls window;
  RecordingStatus status;
  SystemTempFiles temp_files;
  Program program;

  TestProgram() { Wire(); }
  explicit TestProgram(std::vector<RecordedPrinter> printers, std::size_t current = 0)
      : surface(std::move(printers), current) {
    Wire();
  }
  TestProgram(const TestProgram&) = delete;
  TestProgram& operator=(const TestProgram&) = delete;

  Program& operator*() { return program; }
  Program* operator->() { return &program; }

 private:
  void Wire() {
    program.io.surface = &surface;
    program.io.prompt = &prompt;
    program.io.window = &window;
    program.io.status = &status;
    program.io.temp_files = &temp_files;
  }
};

}  // namespace quireon2::testing
