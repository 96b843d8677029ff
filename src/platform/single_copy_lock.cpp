// The single-copy lock: a QLockFile in the user's runtime folder, named for the user, and a
// local socket beside it for the hand-over.
#include "platform/single_copy_lock.h"

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QString>
#include <QThread>
#include <memory>

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
  const std::string stem = base + "/Quireon2-" + std::to_string(static_cast<long>(::getuid()));
  path_ = stem + ".lock";
  channel_path_ = stem + ".socket";
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

bool SingleCopyLock::Listen(std::function<void(const std::string&)> received) {
  if (!held_) return false;
  // A socket left by a copy that died is ours to replace: we hold the lock.
  const QString name = QString::fromStdString(channel_path_);
  QLocalServer::removeServer(name);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    server_.reset();
    return false;
  }
  QLocalServer* server = server_.get();
  QObject::connect(server, &QLocalServer::newConnection, server, [server, received] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      // The message is everything the sender writes before it hangs up.
      // Held by the socket's two handlers, so it goes with the socket.
      auto bytes = std::make_shared<QByteArray>();
      QObject::connect(socket, &QLocalSocket::readyRead, socket,
                       [socket, bytes] { bytes->append(socket->readAll()); });
      QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, bytes, received] {
        bytes->append(socket->readAll());
        const std::string message = bytes->toStdString();
        socket->deleteLater();
        received(message);
      });
    }
  });
  return true;
}

bool SingleCopyLock::HandOver(const std::string& message) const {
  QLocalSocket socket;
  // The running copy may still be starting up: it listens once its window is ready.
  for (int attempt = 0; attempt < 20; ++attempt) {
    socket.connectToServer(QString::fromStdString(channel_path_));
    if (socket.waitForConnected(250)) break;
    QThread::msleep(100);
  }
  if (socket.state() != QLocalSocket::ConnectedState) return false;
  socket.write(message.data(), static_cast<qint64>(message.size()));
  const bool sent = socket.waitForBytesWritten(2000) || message.empty();
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(2000);
  return sent;
}

void SingleCopyLock::Release() {
  server_.reset();  // its socket goes with it
  if (held_) lock_->unlock();
  held_ = false;
}

}  // namespace quireon2
