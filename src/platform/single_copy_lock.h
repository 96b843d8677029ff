// The per-user lock that keeps a second copy of the window program from starting, and the
// channel over which a second start hands its file to the running copy.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QLocalServer;
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
  // Gives the lock and the hand-over socket up before the process ends some other way than
  // through its destructor.
  void Release();
  bool held() const { return held_; }
  const std::string& path() const { return path_; }

  // The copy holding the lock listens beside it; `received` gets each message handed
  // over (a file name, empty for none) in the event loop. False when it cannot listen.
  bool Listen(std::function<void(const std::string&)> received);
  // A second start hands `message` to the copy that listens; false when none took it.
  bool HandOver(const std::string& message) const;
  const std::string& channel_path() const { return channel_path_; }

 private:
  std::string path_;
  std::string channel_path_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
  bool held_ = false;
};

}  // namespace quireon2
