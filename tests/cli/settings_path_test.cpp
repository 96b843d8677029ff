// Where the window and the terminal command find the settings file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/settings_path.h"
#include "support/gtest_support.h"

namespace quireon2::testing {
namespace {

// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SettingsFilePath, BesideAPortableProgramElseInTheUsersConfigFolder) {
  ScratchDir dir;
  std::string exe = dir.File("portable");
  std::filesystem::create_directory(exe);
  ScopedEnv home("HOME", "/home/someone");
  ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/config");

  // A build tree or copied folder keeps its settings beside the program.
  EXPECT_EQ(SettingsFilePath(exe, "/usr/local/bin"), exe + "/Quireon2.ini");
  // The install prefix's bin folder, however it is spelled, uses the user's folder.
  EXPECT_EQ(SettingsFilePath(exe, exe), "/xdg/config/Quireon2/Quireon2.ini");
  EXPECT_EQ(SettingsFilePath(exe, exe + "/../portable/"), "/xdg/config/Quireon2/Quireon2.ini");
  // A folder that cannot be written (here: one that is gone) uses the user's folder too.
  EXPECT_EQ(SettingsFilePath(dir.File("gone"), "/usr/bin"), "/xdg/config/Quireon2/Quireon2.ini");
  EXPECT_EQ(SettingsFilePath("", "/usr/bin"), "/xdg/config/Quireon2/Quireon2.ini");
}

TEST(SettingsFilePath, UserFolderFollowsXdgConfigHomeOnlyWhenAbsolute) {
  ScopedEnv home("HOME", "/home/someone");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/elsewhere");
    EXPECT_EQ(UserSettingsFolder(), "/elsewhere/Quireon2");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(UserSettingsFolder(), "/home/someone/.config/Quireon2");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(UserSettingsFolder(), "/home/someone/.config/Quireon2");
  }
}

}  // namespace
}  // namespace quireon2::testing
