// The single-copy lock: a QLockFile in the user's runtime folder, named for the user.
#include "platform/single_copy_lock.h"

#include <unistd.h>

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QString>

namespace quireon2 {
namespace {

std::string DefaultLockFolder() {
  // Without XDG_RUNTIME_DIR Qt would invent a folder and warn about it; the temp folder
  // serves as well, the file name carrying the user.
  QString folder;
  if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  }
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
  return folder.toStdString();
}

}  // namespace

SingleCopyLock::SingleCopyLock(const std::string& folder) {
  std::string base = folder.empty() ? DefaultLockFolder() : folder;
  path_ = base + "/Quireon2-" + std::to_string(static_cast<long>(::getuid())) + ".lock";
  lock_ = std::make_unique<QLockFile>(QString::fromStdString(path_));
  // A lock is stale only when its process is gone, never because it is old: a copy may
  // run for days.
  lock_->setStaleLockTime(0);
}

SingleCopyLock::~SingleCopyLock() = default;

bool SingleCopyLock::Acquire() {
  if (!held_) held_ = lock_->tryLock(0);
  return held_;
}

void SingleCopyLock::Release() {
  if (held_) lock_->unlock();
  held_ = false;
}

}  // namespace quireon2
