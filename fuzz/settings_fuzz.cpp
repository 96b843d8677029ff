// The settings reader: any bytes load without harm, and what a load gives survives a save
// and a second load unchanged: saving again writes the very same file.
#include <stdlib.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz_input.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"
#include "support/test_program.h"

using namespace quireon2;
using quireon2::fuzz::Require;
using quireon2::testing::TestProgram;

namespace {

std::string Folder() {
  static const std::string folder = [] {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/q2-settings-fuzz-XXXXXX";
    Require(mkdtemp(pattern.data()) != nullptr, "no scratch folder");
    return pattern;
  }();
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the settings file at `path` into a fresh program and saves them to `saved`.
std::string LoadAndSave(const std::string& path, const std::string& saved) {
  TestProgram t;
  t.program.settings_state.ini_path = path;
  LoadSettings(t.program);
  t.program.settings_state.ini_path = saved;
  Require(SaveSettings(t.program), "the settings could not be saved");
  return ReadAll(saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string dir = Folder();
  const std::string fuzzed = dir + "/in.ini";
  std::string error;
  Require(WriteFileAtomically(fuzzed, std::string(reinterpret_cast<const char*>(data), size),
                              &error),
          "the input could not be written");
  const std::string first = LoadAndSave(fuzzed, dir + "/first.ini");
  const std::string second = LoadAndSave(dir + "/first.ini", dir + "/second.ini");
  Require(first == second, "a saved value reads back differently");
  return 0;
}
