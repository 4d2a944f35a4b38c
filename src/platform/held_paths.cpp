#include "platform/held_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace pravella {

namespace {

const QString kRecordPrefix = QStringLiteral("held-");

bool writeAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

HeldPath::HeldPath(const QString& records, const QString& path) {
  if (!QDir().mkpath(records)) return;
  // Written and locked under another name first, so that a sweep never sees a record before
  // its owner holds it.
  QByteArray pattern = QFile::encodeName(records + QStringLiteral("/new-XXXXXX"));
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return;
  const QString fresh = QFile::decodeName(pattern);
  const QString record = records + QLatin1Char('/') + kRecordPrefix + QFileInfo(fresh).fileName().mid(4);
  if (::flock(fd, LOCK_EX) != 0 || !writeAll(fd, QFile::encodeName(path)) ||
      ::rename(pattern.constData(), QFile::encodeName(record).constData()) != 0) {
    ::unlink(pattern.constData());
    ::close(fd);
    return;
  }
  fd_ = fd;
  record_ = record;
}

HeldPath::~HeldPath() {
  if (fd_ < 0) return;
  ::unlink(QFile::encodeName(record_).constData());
  ::close(fd_);
}

QString heldRecordsFolder(const QString& kind) {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
         QStringLiteral("/Pravella/held/") + kind;
}

int sweepLeftovers(const QString& records, const QStringList& prefixes) {
  int removed = 0;
  const QStringList names =
      QDir(records).entryList({kRecordPrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
  for (const QString& name : names) {
    const QByteArray record = QFile::encodeName(records + QLatin1Char('/') + name);
    const int fd = ::open(record.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // its owner is alive
      ::close(fd);
      continue;
    }
    QByteArray bytes(4096, '\0');
    const ssize_t n = ::read(fd, bytes.data(), size_t(bytes.size()));
    const QString folder = QFile::decodeName(bytes.left(n > 0 ? n : 0));
    const QString base = QFileInfo(folder).fileName();
    struct stat st;
    const bool named = std::any_of(prefixes.cbegin(), prefixes.cend(), [&](const QString& p) {
      return base.startsWith(p) && base.size() > p.size();
    });
    const QByteArray native = QFile::encodeName(folder);
    if (named && QFileInfo(folder).isAbsolute() && ::lstat(native.constData(), &st) == 0) {
      if (S_ISDIR(st.st_mode) ? QDir(folder).removeRecursively()
                              : S_ISREG(st.st_mode) && ::unlink(native.constData()) == 0)
        ++removed;
    }
    ::unlink(record.constData());
    ::close(fd);
  }
  return removed;
}

}  // namespace pravella
