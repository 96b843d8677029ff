// GoogleTest glue for the fakes: a fixture base that fails a test on any message the
// script did not expect, and a scratch folder removed after the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_program.h"

namespace quireon2::testing {

// A new empty folder under the system's temp folder, removed with the object.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes `bytes` to `name` in the folder and returns its full path.
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::string& path);

class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(t.prompt.Problems(), ""); }
  TestProgram t;
  Program& p = t.program;
};

}  // namespace quireon2::testing
