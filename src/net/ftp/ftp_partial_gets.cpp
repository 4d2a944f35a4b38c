#include "net/ftp/ftp_partial_gets.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>

#include <mutex>

namespace pravella::ftp {

namespace {

struct Partial {
  RemoteFile remote;
  qint64 size = 0;
  QDateTime modified;
};

std::mutex partialsLock;
QHash<QString, Partial>& partials() {
  static QHash<QString, Partial> byPath;
  return byPath;
}

QString key(const QString& localPath) { return QFileInfo(localPath).absoluteFilePath(); }

}  // namespace

RemoteFile remoteFile(const Connection& c, const QString& name) {
  return {hostWord(c.host), c.user, c.directory, name};
}

void recordPartial(const QString& localPath, const RemoteFile& remote) {
  const QFileInfo info(localPath);
  const std::lock_guard lock(partialsLock);
  if (!info.isFile() || info.isSymLink()) {
    partials().remove(key(localPath));
    return;
  }
  partials().insert(key(localPath), {remote, info.size(), info.lastModified()});
}

void forgetPartial(const QString& localPath) {
  const std::lock_guard lock(partialsLock);
  partials().remove(key(localPath));
}

bool isOwnPartial(const QString& localPath, const RemoteFile& remote) {
  const QFileInfo info(localPath);
  const std::lock_guard lock(partialsLock);
  const auto it = partials().constFind(key(localPath));
  if (it == partials().constEnd()) return false;
  return it->remote == remote && info.isFile() && !info.isSymLink() && info.size() == it->size &&
         info.lastModified() == it->modified;
}

}  // namespace pravella::ftp
