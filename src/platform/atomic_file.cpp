#include "platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/file_copy.h"
#include "platform/save_steps.h"

namespace pravella {
namespace {

std::atomic<save_steps::Hook> stepHook{nullptr};
std::atomic<bool> exchangeRefused{false};
std::atomic<save_steps::FolderSyncHook> folderSyncHook{nullptr};

// Called before each system call that changes the file system.
void step() {
  if (save_steps::Hook hook = stepHook.load()) hook();
}

WriteResult failure(const QString& what) { return WriteResult{false, what}; }
WriteResult success() { return WriteResult{true, {}}; }

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

WriteResult failed(const QString& path, int error) {
  return failure(QStringLiteral("Cannot save \"%1\": %2").arg(path, systemReason(error)));
}

QByteArray native(const QString& path) { return QFile::encodeName(path); }

const QString kPrefix = QStringLiteral(".saving-");
const QString kTargetSuffix = QStringLiteral(".target");
const QString kOldSuffix = QStringLiteral(".old");

constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int kRandomLetters = 6;
constexpr int kCheckLetters = 3;

// The letters that follow the random part of a temporary's name: a check of the process number
// and the random letters, so that recovery takes for its own only what a save made, never a
// user's ".saving-…" file or folder.
QString checkLetters(const QString& pidAndRandom) {
  const QByteArray bytes = pidAndRandom.toLatin1();
  uint value = qChecksum(QByteArrayView(bytes), Qt::ChecksumItuV41);
  QString check;
  for (int i = 0; i < kCheckLetters; ++i, value /= 62) check += QLatin1Char(kLetters[value % 62]);
  return check;
}

// A fresh temporary name beside the target: short and fixed, so that a name near the file
// system's 255-byte limit does not fail only because its temporary name would be longer.
QString temporaryName(const QString& parent) {
  QString random;
  for (int i = 0; i < kRandomLetters; ++i)
    random += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
  return parent + u'/' + save_steps::temporaryName(::getpid(), random);
}

// The process number of a temporary a save made, from its name (without ".target" or ".old");
// nothing for any other name.
std::optional<qint64> saverOf(const QString& base) {
  const QStringView rest = QStringView(base).mid(kPrefix.size());
  const qsizetype dash = rest.indexOf(u'-');
  if (!base.startsWith(kPrefix) || dash <= 0 || rest.size() != dash + 1 + kRandomLetters + kCheckLetters)
    return std::nullopt;
  bool numeric = false;
  const qint64 pid = rest.left(dash).toLongLong(&numeric);
  if (!numeric || !rest.left(dash).front().isDigit()) return std::nullopt;
  const QStringView random = rest.mid(dash + 1, kRandomLetters);
  for (QChar c : random)
    if (c.unicode() > 127 || !std::isalnum(c.unicode())) return std::nullopt;
  if (rest.right(kCheckLetters) != checkLetters(rest.left(dash + 1 + kRandomLetters).toString()))
    return std::nullopt;
  return pid;
}

bool writeAll(int fd, const char* data, qint64 size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(std::min<qint64>(size, qint64{1} << 30)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

// fsync of a folder makes the renames and removals in it durable.
int syncFolder(const QString& folder) {
  if (save_steps::FolderSyncHook hook = folderSyncHook.load())
    if (const int injected = hook(folder)) return injected;
  const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // Some file systems cannot sync a folder; that is no failure of the save.
  return result == EINVAL || result == EROFS ? 0 : result;
}

// Makes a folder tree written by a fill durable before it replaces the document.
int syncTree(const QString& path) {
  struct stat info {};
  if (::lstat(native(path).constData(), &info) != 0) return errno;
  if (S_ISLNK(info.st_mode)) return 0;
  if (S_ISDIR(info.st_mode)) {
    const QStringList entries =
        QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
      if (const int e = syncTree(path + u'/' + entry)) return e;
    return syncFolder(path);
  }
  const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int result = ::fdatasync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return result;
}

bool removeTree(const QString& path) {
  QFileInfo info(path);
  step();
  if (info.isDir() && !info.isSymLink()) return QDir(path).removeRecursively();
  return ::unlink(native(path).constData()) == 0 || errno == ENOENT;
}

bool exists(const QString& path) {
  struct stat info {};
  return ::lstat(native(path).constData(), &info) == 0;
}

bool processAlive(qint64 pid) {
  if (pid <= 0 || pid > 0x7fffffff) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The temporaries this process is writing now: never taken for leftovers, even when a dead
// process of the same number left some.
std::mutex& inFlightMutex() {
  static std::mutex m;
  return m;
}
QSet<QString>& inFlightSet() {
  static QSet<QString> set;
  return set;
}
bool inFlight(const QString& path) {
  std::lock_guard lock(inFlightMutex());
  return inFlightSet().contains(path);
}
struct InFlight {
  QString path;
  explicit InFlight(QString p) : path(std::move(p)) {
    std::lock_guard lock(inFlightMutex());
    inFlightSet().insert(path);
  }
  ~InFlight() {
    std::lock_guard lock(inFlightMutex());
    inFlightSet().remove(path);
  }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;
};

// Recovery and saves in one folder take turns: a start-up sweep must not meet a save halfway.
std::mutex& recoveryMutex() {
  static std::mutex m;
  return m;
}

}  // namespace

// A save replaces a document by renaming a new one over it, which needs only the folder
// around it to be writable: a read-only document must be refused here. The superuser passes
// every access test, so it is held to the mode bits themselves.
bool writingForbidden(const QString& path) {
  const QByteArray name = native(path);
  struct stat info {};
  if (::stat(name.constData(), &info) != 0) return false;
  if (::geteuid() == 0) return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  return ::access(name.constData(), W_OK) != 0 && errno == EACCES;
}

WriteResult readOnly(const QString& path) { return failed(path, EACCES); }

// After the rename the new version is the document: a folder that cannot be synced only puts
// its durability in doubt.
static WriteResult savedUnsynced(const QString& path, int error) {
  WriteResult result = success();
  // The point first: a status line cuts a long message at its end.
  result.warning = QStringLiteral(
                       "The save may not survive a power cut: \"%1\" was saved, but its folder could "
                       "not be synced (%2).")
                       .arg(path, systemReason(error));
  return result;
}

void save_steps::setHook(Hook hook) { stepHook.store(hook); }
QString save_steps::temporaryName(qint64 pid, const QString& random) {
  const QString pidAndRandom = QString::number(pid) + u'-' + random;
  return kPrefix + pidAndRandom + checkLetters(pidAndRandom);
}
void save_steps::setExchangeRefused(bool refused) { exchangeRefused.store(refused); }
void save_steps::setFolderSyncHook(FolderSyncHook hook) { folderSyncHook.store(hook); }

void ignoreFileSizeSignal() {
  // Checked on every save, not once: a library or a child's set-up may have put it back. A
  // handler someone installed on purpose is left alone.
  struct sigaction current {};
  if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
    std::signal(SIGXFSZ, SIG_IGN);
}

WriteResult writeFileAtomically(const QString& given, const QByteArray& data, const QString& shownName) {
  return writeFileAtomicallyAt(given, 0, data, shownName);
}

namespace {

// The steps every file save shares: the target checked, a temporary made beside it with the
// target's mode (a new file's is 0666 less the umask), `fill` given the open temporary, then
// flushed and renamed over the target. `fill` returns its own failure; the temporary goes.
// Puts `temp` in place at `path` unless something is there already (EEXIST), in one step.
int renameWithoutReplacing(const QByteArray& temp, const QByteArray& path) {
  if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  // A file system without it: a second name made for the file fails just as well when taken.
  if (::link(temp.constData(), path.constData()) != 0) return errno;
  ::unlink(temp.constData());
  return 0;
}

WriteResult saveThroughTemporary(
    const QString& given, const QString& shownName,
    const std::function<WriteResult(int fd, const QString& temp, const QString& shown)>& fill,
    bool replace = true) {
  ignoreFileSizeSignal();
  if (given.isEmpty()) return failure(QStringLiteral("Cannot save: no file name was given."));
  const QString shown = shownName.isEmpty() ? given : shownName;
  if (!replace && exists(given)) return failed(shown, EEXIST);
  // A save through a link writes the file it points to and keeps the link.
  QString path = given;
  if (const QFileInfo info(given); info.isSymLink() && info.exists()) path = info.canonicalFilePath();
  const QFileInfo target(path);
  if (target.isDir())
    return failure(QStringLiteral("Cannot save \"%1\": a folder of that name is in the way.").arg(shown));
  const QString parent = target.absolutePath();
  if (writingForbidden(path) || writingForbidden(parent)) return readOnly(given);

  QString temp;
  std::optional<InFlight> writing;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = temporaryName(parent);
    writing.emplace(temp);
    step();
    fd = ::open(native(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return failed(shown, errno);
  }
  if (fd < 0) return failed(shown, EEXIST);
  auto abandon = [&](const WriteResult& why) {
    ::close(fd);
    ::unlink(native(temp).constData());
    return why;
  };
  // The file keeps its permissions; a new one takes the usual ones (0666 less the umask).
  if (struct stat old{}; ::stat(native(path).constData(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  step();
  if (WriteResult filled = fill(fd, temp, shown); !filled) return abandon(filled);
  step();
  if (::fdatasync(fd) != 0) return abandon(failed(shown, errno));
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(native(temp).constData());
    return failed(shown, error);
  }
  step();
  if (const int error = replace
                            ? (::rename(native(temp).constData(), native(path).constData()) == 0 ? 0 : errno)
                            : renameWithoutReplacing(native(temp), native(path))) {
    ::unlink(native(temp).constData());
    return failed(shown, error);
  }
  if (const int error = syncFolder(parent)) return savedUnsynced(shown, error);
  return success();
}

}  // namespace

WriteResult writeFileAtomicallyAt(const QString& given, qint64 zeros, const QByteArray& data,
                                  const QString& shownName) {
  if (zeros < 0) return failure(QStringLiteral("Cannot save \"%1\": a negative position.").arg(given));
  return saveThroughTemporary(given, shownName, [&](int fd, const QString&, const QString& shown) {
    // The leading zeros are a hole: the file's length is set past them and the data written there.
    if (zeros > 0 && (::ftruncate(fd, zeros) != 0 || ::lseek(fd, zeros, SEEK_SET) != zeros))
      return failed(shown, errno);
    if (!writeAll(fd, data.constData(), data.size())) return failed(shown, errno);
    return success();
  });
}

WriteResult writeFileAtomicallyInPieces(const QString& path, const PieceSource& next,
                                        const QString& shownName) {
  return saveThroughTemporary(path, shownName, [&](int fd, const QString&, const QString& shown) {
    for (QByteArrayView piece = next(); !piece.isEmpty(); piece = next())
      if (!writeAll(fd, piece.data(), piece.size())) return failed(shown, errno);
    return success();
  });
}

WriteResult writeFileAtomicallyThrough(const QString& path,
                                       const std::function<WriteResult(const QString&)>& fill,
                                       const QString& shownName) {
  return saveThroughTemporary(path, shownName,
                              [&](int, const QString& temp, const QString&) { return fill(temp); });
}

WriteResult writeNewFileAtomicallyThrough(const QString& path,
                                          const std::function<WriteResult(const QString& temp)>& fill,
                                          const QString& shownName) {
  return saveThroughTemporary(
      path, shownName, [&](int, const QString& temp, const QString&) { return fill(temp); }, false);
}

WriteResult replaceFolderAtomically(const QString& folder,
                                    const std::function<WriteResult(const QString&)>& fill) {
  ignoreFileSizeSignal();
  const QFileInfo target(folder);
  const QString parent = target.absolutePath();
  const QString finalPath = target.absoluteFilePath();
  if (!QDir().mkpath(parent))
    return failure(QStringLiteral("Cannot save \"%1\": its folder cannot be created.").arg(folder));
  if (writingForbidden(finalPath) || writingForbidden(parent)) return readOnly(folder);
  recoverInterruptedSaves(parent);

  QString temp;
  std::optional<InFlight> writing;
  bool made = false;
  for (int attempt = 0; attempt < 100 && !made; ++attempt) {
    temp = temporaryName(parent);
    writing.emplace(temp);
    step();
    made = ::mkdir(native(temp).constData(), 0777) == 0;
    if (!made && errno != EEXIST) return failed(folder, errno);
  }
  if (!made) return failed(folder, EEXIST);
  // Made as any new folder is (0777 less the umask), which is the mode a new document takes;
  // private while it is being filled.
  mode_t usualMode = 0700;
  if (struct stat info{}; ::stat(native(temp).constData(), &info) == 0) usualMode = info.st_mode & 07777;
  ::chmod(native(temp).constData(), 0700);
  const QString sidecar = temp + kTargetSuffix;
  const QString old = temp + kOldSuffix;
  auto cleanUp = [&] {
    removeTree(temp);
    removeTree(old);
    step();
    ::unlink(native(sidecar).constData());
  };

  if (WriteResult filled = fill(temp); !filled) {
    cleanUp();
    return filled;
  }
  // The document keeps the old folder's permissions; a new one takes the usual ones, never
  // those of the folder it is saved in (a shared folder's sticky bit and write for all).
  {
    struct stat info {};
    ::chmod(native(temp).constData(),
            ::stat(native(finalPath).constData(), &info) == 0 ? info.st_mode & 07777 : usualMode);
  }
  if (const int error = syncTree(temp)) {
    cleanUp();
    return failed(folder, error);
  }
  // The note of which document the temporary folder is for: from here on it is a whole
  // document, and recovery may put it in place should the save be killed.
  if (WriteResult noted = writeFileAtomically(sidecar, target.fileName().toUtf8(), folder); !noted) {
    cleanUp();
    return failure(noted.error);
  }

  const QByteArray tempName = native(temp), finalName = native(finalPath), oldName = native(old);
  if (exists(finalPath)) {
    step();
    int exchanged = exchangeRefused.load() ? -1
                                           : ::renameat2(AT_FDCWD, tempName.constData(), AT_FDCWD,
                                                         finalName.constData(), RENAME_EXCHANGE);
    if (exchanged != 0 && !exchangeRefused.load() && errno != EINVAL && errno != ENOSYS &&
        errno != EOPNOTSUPP) {
      const int error = errno;
      cleanUp();
      return failed(folder, error);
    }
    if (exchanged != 0) {
      // A file system without exchange: the old document steps aside, then the new one
      // moves in; recovery finishes this should the save be killed in between.
      step();
      if (::rename(finalName.constData(), oldName.constData()) != 0) {
        const int error = errno;
        cleanUp();
        return failed(folder, error);
      }
      step();
      if (::rename(tempName.constData(), finalName.constData()) != 0) {
        const int error = errno;
        step();
        ::rename(oldName.constData(), finalName.constData());
        cleanUp();
        return failed(folder, error);
      }
    }
  } else {
    step();
    if (::rename(tempName.constData(), finalName.constData()) != 0) {
      const int error = errno;
      cleanUp();
      return failed(folder, error);
    }
  }
  const int synced = syncFolder(parent);
  cleanUp();  // the old document, under the temporary name now
  if (synced) return savedUnsynced(folder, synced);
  return success();
}

WriteResult copyAtomically(const QString& from, const QString& to) {
  const QFileInfo target(to);
  const QString parent = target.absolutePath();
  const QString finalPath = target.absoluteFilePath();
  const auto refused = [&](int error) {
    return failure(QStringLiteral("Cannot copy \"%1\" to \"%2\": %3")
                       .arg(QFileInfo(from).fileName(), target.fileName(), systemReason(error)));
  };
  if (exists(finalPath)) return refused(EEXIST);
  QString temp;
  std::optional<InFlight> writing;
  // A name no entry has: copyRecursively makes the top entry itself.
  for (int attempt = 0; attempt < 100 && (temp.isEmpty() || exists(temp)); ++attempt) {
    temp = temporaryName(parent);
    writing.emplace(temp);
  }
  if (exists(temp)) return refused(EEXIST);
  step();
  errno = 0;
  if (!copyRecursively(from, temp)) {
    const int error = errno ? errno : EIO;
    removeTree(temp);
    return refused(error);
  }
  if (const int error = syncTree(temp)) {
    removeTree(temp);
    return refused(error);
  }
  // Only a whole copy takes the name, and never from an entry that took it meanwhile.
  step();
  const QByteArray tempName = native(temp), finalName = native(finalPath);
  int renamed =
      ::renameat2(AT_FDCWD, tempName.constData(), AT_FDCWD, finalName.constData(), RENAME_NOREPLACE);
  if (renamed != 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
    renamed =
        exists(finalPath) ? (errno = EEXIST, -1) : ::rename(tempName.constData(), finalName.constData());
  if (renamed != 0) {
    const int error = errno;
    removeTree(temp);
    return refused(error);
  }
  if (const int error = syncFolder(parent)) return savedUnsynced(to, error);
  return success();
}

void recoverInterruptedSaves(const QString& folder) {
  std::lock_guard lock(recoveryMutex());
  const QStringList names =
      QDir(folder).entryList(QStringList{kPrefix + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::System);
  if (names.isEmpty()) return;
  for (const QString& name : names) {
    // ".saving-<pid>-XXXXXX", with ".target" and ".old" beside it for a folder save.
    const QString base = name.section(u'.', 0, 1);
    if (name != base && name != base + kTargetSuffix && name != base + kOldSuffix) continue;
    if (name != base && names.contains(base)) continue;  // handled with its base
    // Anything not named by a save is the user's, whatever it is called.
    const std::optional<qint64> saver = saverOf(base);
    if (!saver) continue;
    const qint64 pid = *saver;
    const QString path = folder + u'/' + base;
    // Saves of this process or of another running one are under way, not interrupted.
    if (pid == ::getpid() ? inFlight(path) : processAlive(pid)) continue;

    const QString sidecar = path + kTargetSuffix;
    QString document;
    if (QFile note(sidecar); note.open(QIODevice::ReadOnly)) document = QString::fromUtf8(note.read(1024));
    if (document.isEmpty() || document.contains(u'/') || document == QLatin1String(".") ||
        document == QLatin1String("..")) {
      // No note: the temporary never became a whole document and the target was not touched.
      // An old document set aside always has its note; without one it is left alone.
      if (name == base)
        removeTree(path);
      else if (name == base + kTargetSuffix)
        removeTree(sidecar);
      continue;
    }
    // With a note the save was killed somewhere between its renames. Where the document is
    // missing, the whole new one (else the old one set aside) goes back in its place.
    const QString documentPath = folder + u'/' + document;
    for (const QString& candidate : {path, path + kOldSuffix}) {
      if (exists(documentPath) || !exists(candidate)) continue;
      step();
      ::rename(native(candidate).constData(), native(documentPath).constData());
    }
    removeTree(path);
    removeTree(path + kOldSuffix);
    removeTree(sidecar);
  }
  syncFolder(folder);
}

}  // namespace pravella
