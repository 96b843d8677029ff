// The temp folder and new unique temp files in it.
#include "platform/temp_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/interruption.h"

namespace quireon2 {

std::string TempFolder() {
  const char* env = std::getenv("TMPDIR");
  std::string folder = env != nullptr && env[0] != '\0' ? env : "/tmp";
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      access(folder.c_str(), W_OK | X_OK) != 0) {
    return std::string();
  }
  return folder;
}

std::string MakeTempFile(const std::string& folder, const std::string& prefix,
                         std::string* error) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += prefix + "XXXXXX.tmp";
  BlockedSignals blocked;  // named for removal before a signal can end the process
  int fd = mkstemps(path.data(), 4);
  if (fd < 0) {
    if (error != nullptr) *error = std::strerror(errno);
    return std::string();
  }
  close(fd);
  RemoveOnSignal(path);
  return path;
}

bool RemoveTempFile(const std::string& path) {
  if (path.empty()) return true;
  const bool removed = unlink(path.c_str()) == 0 || errno == ENOENT;
  if (removed) ForgetOnSignal(path);
  return removed;
}

}  // namespace quireon2
