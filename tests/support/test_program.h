// A fresh Program wired to the test fakes, so every test starts from the same state.
#pragma once

#include <memory>

#include "platform/temp_file.h"
#include "settings/memory_controls.h"
#include "settings/program_state.h"
#include "support/recording_status.h"
#include "support/recording_surface.h"
#include "support/scripted_prompt.h"

namespace quireon2::testing {

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
