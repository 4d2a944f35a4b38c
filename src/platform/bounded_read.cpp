#include "platform/bounded_read.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace pravella {
namespace {

BoundedRead refused(ReadRefusal why, const QString& path, const QString& what) {
  BoundedRead r;
  r.refusal = why;
  r.error = QStringLiteral("Cannot read \"%1\": %2").arg(path, what);
  return r;
}

}  // namespace

bool isRegularFile(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

QString specialFileKind(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return {};
  if (S_ISFIFO(info.st_mode)) return QStringLiteral("named pipe");
  if (S_ISCHR(info.st_mode)) return QStringLiteral("character device");
  if (S_ISBLK(info.st_mode)) return QStringLiteral("block device");
  if (S_ISSOCK(info.st_mode)) return QStringLiteral("socket");
  return {};
}

QString specialFileRefusal(const QString& name, const QString& kind) {
  return QStringLiteral("%1 is a %2, which is not opened.").arg(name, kind);
}

namespace {

// Opens `path` for reading when it is a regular file: non-blocking, so that opening a named
// pipe with no writer returns at once. -1 with `refusal` set otherwise.
int openRegular(const QString& path, struct stat& info, BoundedRead& refusal) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    refusal = refused(error == ENOENT ? ReadRefusal::Missing : ReadRefusal::Failed, path,
                      QString::fromLocal8Bit(std::strerror(error)));
    return -1;
  }
  if (::fstat(fd, &info) != 0) {
    refusal = refused(ReadRefusal::Failed, path, QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    const QString kind = specialFileKind(path);
    refusal = refused(ReadRefusal::NotRegular, path,
                      kind.isEmpty() ? QStringLiteral("it is not a file.") : QStringLiteral("it is a %1.").arg(kind));
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

struct Closer {
  int fd;
  ~Closer() { ::close(fd); }
};

// Reads into `data` from `got` on until it is full or the file ends: 0, or errno's value.
int fill(int fd, QByteArray& data, qint64& got) {
  while (got < data.size()) {
    const ssize_t n = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    got += n;
  }
  return 0;
}

}  // namespace

namespace {

// A whole file of at most `maxBytes`, or (whole false) its first `maxBytes` bytes.
BoundedRead readBounded(const QString& path, qint64 maxBytes, bool whole) {
  struct stat info {};
  BoundedRead r;
  const int fd = openRegular(path, info, r);
  if (fd < 0) return r;
  const Closer closer{fd};
  if (whole && info.st_size > maxBytes) return refused(ReadRefusal::TooLarge, path, QStringLiteral("it is too large."));
  try {
    r.data.resize(static_cast<qsizetype>(std::clamp<qint64>(info.st_size, 0, maxBytes)));
    qint64 got = 0;
    for (;;) {
      if (const int error = fill(fd, r.data, got))
        return refused(ReadRefusal::Failed, path, QString::fromLocal8Bit(std::strerror(error)));
      // Short of full, the file ended. A whole file may have grown since it was measured: one
      // more piece then, never more than a byte past the bound.
      if (!whole || got < r.data.size() || got > maxBytes) break;
      r.data.resize(static_cast<qsizetype>(std::min<qint64>(maxBytes + 1, got + 65536)));
    }
    if (got > maxBytes) return refused(ReadRefusal::TooLarge, path, QStringLiteral("it is too large."));
    r.data.resize(static_cast<qsizetype>(got));
  } catch (const std::bad_alloc&) {
    return refused(ReadRefusal::NoMemory, path, QStringLiteral("Memory allocation error."));
  }
  return r;
}

}  // namespace

BoundedRead readRegularFile(const QString& path, qint64 maxBytes) { return readBounded(path, maxBytes, true); }

BoundedRead readRegularFileHead(const QString& path, qint64 maxBytes) { return readBounded(path, maxBytes, false); }

}  // namespace pravella
