#pragma once
// Real file systems for the tests of full and read-only disks: a small tmpfs, or a folder made
// read-only by a bind mount. The mounts are made in a mount namespace of the test's own
// (unshare), private from the machine's: no other process sees them, and none outlives the
// test process. Mounting needs root, which the tests have here and in CI; elsewhere `why()`
// says what was refused, for the test to skip with.
//
// The namespace belongs to the thread that makes the first object and to the threads it starts
// later; the test's GUI thread is the one that writes.

#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace pravella::test {

class PrivateMounts {
 public:
  PrivateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) {
      why_ = QStringLiteral("no mount namespace of its own: ") + QString::fromLocal8Bit(std::strerror(errno));
      return;
    }
    // Nothing mounted here reaches the machine's namespace.
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      why_ = QStringLiteral("mounts not made private: ") + QString::fromLocal8Bit(std::strerror(errno));
  }
  ~PrivateMounts() {
    for (auto it = mounted_.crbegin(); it != mounted_.crend(); ++it)
      ::umount2(QFile::encodeName(*it).constData(), MNT_DETACH);
  }
  PrivateMounts(const PrivateMounts&) = delete;
  PrivateMounts& operator=(const PrivateMounts&) = delete;

  bool ok() const { return why_.isEmpty(); }
  const QString& why() const { return why_; }

  // An empty tmpfs of `bytes` over the folder `at` (made when missing).
  bool tmpfs(const QString& at, qint64 bytes) {
    if (!ok()) return false;
    QDir().mkpath(at);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    return done(::mount("tmpfs", QFile::encodeName(at).constData(), "tmpfs", 0, options.constData()), at);
  }

  // `folder` becomes read-only for everyone, root included.
  bool readOnly(const QString& folder) {
    if (!ok()) return false;
    const QByteArray path = QFile::encodeName(folder);
    if (!done(::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr), folder)) return false;
    return done(::mount("none", path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), QString());
  }

 private:
  bool done(int result, const QString& mountedAt) {
    if (result != 0) {
      why_ = QStringLiteral("mount refused: ") + QString::fromLocal8Bit(std::strerror(errno));
      return false;
    }
    if (!mountedAt.isEmpty()) mounted_ << mountedAt;
    return true;
  }

  QString why_;
  QStringList mounted_;
};

// The bytes still free on the file system of `folder`.
inline qint64 freeBytes(const QString& folder) {
  struct statvfs info {};
  if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0) return -1;
  return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

// Fills the file system of `folder` with a file there until at most `leave` bytes are free.
inline bool fillDisk(const QString& folder, qint64 leave) {
  QFile filler(folder + QStringLiteral("/filler"));
  if (!filler.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const QByteArray block(4096, 'f');
  while (freeBytes(folder) > leave) {
    if (filler.write(block) != block.size() || !filler.flush()) break;
  }
  return freeBytes(folder) <= leave;
}

}  // namespace pravella::test
