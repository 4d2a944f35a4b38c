#pragma once
// The partial files that this client's own unfinished gets left in a local folder. Only such a
// file, unchanged since and for the same remote file, is resumed ("reget" appends to what the
// local file holds); any other local file of that name is replaced whole when a get completes.
// The record lives as long as the application.

#include <QString>

#include "net/ftp/ftp_scripts.h"

namespace pravella::ftp {

// Which remote file a get fetched: host word, user, remote directory and name.
struct RemoteFile {
  QString host;
  QString user;
  QString directory;
  QString name;
  bool operator==(const RemoteFile&) const = default;
};

RemoteFile remoteFile(const Connection& c, const QString& name);

// Records the file at `localPath`, as it is now (size and modification time), as the partial
// copy of `remote`.
void recordPartial(const QString& localPath, const RemoteFile& remote);
void forgetPartial(const QString& localPath);
// True when `localPath` is a recorded partial copy of `remote` and unchanged since.
bool isOwnPartial(const QString& localPath, const RemoteFile& remote);

}  // namespace pravella::ftp
