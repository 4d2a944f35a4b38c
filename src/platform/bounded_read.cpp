#include "platform/bounded_read.h"

#include <QFile>

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

BoundedRead readRegularFile(const QString& path, qint64 maxBytes) {
  // Non-blocking, so that opening a named pipe with no writer returns at once.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return refused(errno == ENOENT ? ReadRefusal::Missing : ReadRefusal::Failed, path,
                   QString::fromLocal8Bit(std::strerror(errno)));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    return refused(ReadRefusal::Failed, path, QString::fromLocal8Bit(std::strerror(errno)));
  if (!S_ISREG(info.st_mode)) return refused(ReadRefusal::NotRegular, path, QStringLiteral("it is not a file."));
  if (info.st_size > maxBytes) return refused(ReadRefusal::TooLarge, path, QStringLiteral("it is too large."));
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  BoundedRead r;
  try {
    // The file may grow while it is read: never past the bound.
    r.data.resize(static_cast<qsizetype>(info.st_size));
    qint64 got = 0;
    for (;;) {
      if (got == r.data.size()) {
        if (got >= maxBytes + 1) break;
        r.data.resize(static_cast<qsizetype>(std::min<qint64>(maxBytes + 1, got + 65536)));
      }
      const ssize_t n = ::read(fd, r.data.data() + got, static_cast<size_t>(r.data.size() - got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return refused(ReadRefusal::Failed, path, QString::fromLocal8Bit(std::strerror(errno)));
      if (n == 0) break;
      got += n;
    }
    if (got > maxBytes) return refused(ReadRefusal::TooLarge, path, QStringLiteral("it is too large."));
    r.data.resize(static_cast<qsizetype>(got));
  } catch (const std::bad_alloc&) {
    return refused(ReadRefusal::NoMemory, path, QStringLiteral("Memory allocation error."));
  }
  return r;
}

}  // namespace pravella
