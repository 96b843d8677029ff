// The temp folder and new unique temp files in it.
#pragma once

#include <string>

#include "interfaces/temp_files.h"

namespace quireon2 {

// The folder for temporary files: TMPDIR when set and not empty, else /tmp. Empty when
// that is not an existing, writable folder.
std::string TempFolder();

// Creates a new empty file "<prefix>XXXXXX.tmp" with a unique name in `folder`, atomically
// (it never reuses an existing file). Returns its full path, or empty on failure with the
// system's reason in `error`. A signal that ends the process removes the file until
// RemoveTempFile does.
std::string MakeTempFile(const std::string& folder, const std::string& prefix,
                         std::string* error = nullptr);

// Deletes a file; true when it no longer exists.
bool RemoveTempFile(const std::string& path);

// The system's temp folder as the core sees it.
class SystemTempFiles : public TempFiles {
 public:
  std::string Folder() override { return TempFolder(); }
  std::string MakeFile(const std::string& folder, const std::string& prefix,
                       std::string* error) override {
    return MakeTempFile(folder, prefix, error);
  }
  bool Remove(const std::string& path) override { return RemoveTempFile(path); }
};

}  // namespace quireon2
