// Where the core makes its temporary files. The program hands in the system's temp folder;
// the core never reaches the file system's temp machinery itself.
#pragma once

#include <string>

namespace quireon2 {

class TempFiles {
 public:
  virtual ~TempFiles() = default;

  // The folder for temporary files; empty when there is no usable one.
  virtual std::string Folder() = 0;
  // A new empty file "<prefix>XXXXXX.tmp" with a unique name in `folder`, made atomically.
  // Its full path, or empty on failure with the system's reason in `error`.
  virtual std::string MakeFile(const std::string& folder, const std::string& prefix,
                               std::string* error) = 0;
  // Deletes a file (one MakeFile made, or one an earlier run left); true when it no longer
  // exists.
  virtual bool Remove(const std::string& path) = 0;
};

}  // namespace quireon2
