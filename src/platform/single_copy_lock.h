// The per-user lock that keeps a second copy of the window program from starting.
#pragma once

#include <memory>
#include <string>

class QLockFile;

namespace quireon2 {

class SingleCopyLock {
 public:
  // `folder` holds the lock file; empty means the user's runtime folder, else the temp
  // folder. The file name carries the user id, so two users never block each other.
  explicit SingleCopyLock(const std::string& folder = std::string());
  ~SingleCopyLock();
  SingleCopyLock(const SingleCopyLock&) = delete;
  SingleCopyLock& operator=(const SingleCopyLock&) = delete;

  // Takes the lock without waiting. False when another living copy holds it; a lock left
  // by a copy that died is taken over.
  bool Acquire();
  // Gives the lock up before the process ends some other way than through its destructor.
  void Release();
  bool held() const { return held_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<QLockFile> lock_;
  bool held_ = false;
};

}  // namespace quireon2
