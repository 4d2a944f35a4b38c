#include "net/web/table_downloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "net/web/url_lists.h"
#include "platform/atomic_file.h"
#include "platform/free_names.h"

namespace pravella::web {

namespace {

// A file as this application last put it in place: its size and modification time.
struct Stamp {
  qint64 size = -1;
  qint64 mtimeNs = -1;
  bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const QString& path) {
  struct stat st;
  if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QString recordsFile() { return downloadRecords() + QStringLiteral("/placed.txt"); }

// One line a file: its path, size and time, tab apart.
QHash<QString, Stamp> readRecords() {
  QHash<QString, Stamp> records;
  QFile f(recordsFile());
  if (!f.open(QIODevice::ReadOnly)) return records;
  for (const QByteArray& line : f.readAll().split('\n')) {
    const QList<QByteArray> parts = line.split('\t');
    if (parts.size() != 3) continue;
    records.insert(QString::fromUtf8(parts[0]), {parts[1].toLongLong(), parts[2].toLongLong()});
  }
  return records;
}

void record(const QString& path) {
  QHash<QString, Stamp> records = readRecords();
  // Records of files gone or changed since are of no use.
  for (auto it = records.begin(); it != records.end();)
    it = stampOf(it.key()) == it.value() ? std::next(it) : records.erase(it);
  records.insert(path, stampOf(path));
  QByteArray text;
  for (auto it = records.cbegin(); it != records.cend(); ++it)
    text += it.key().toUtf8() + '\t' + QByteArray::number(it->size) + '\t' + QByteArray::number(it->mtimeNs) +
            '\n';
  QDir().mkpath(downloadRecords());
  writeFileAtomically(recordsFile(), text);
}

bool placedByUs(const QString& path) {
  const Stamp now = stampOf(path);
  return now.size >= 0 && readRecords().value(path) == now;
}

bool moveWithoutReplacing(const QString& from, const QString& to) {
  return ::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                     QFile::encodeName(to).constData(), RENAME_NOREPLACE) == 0;
}

}  // namespace

QString downloadRecords() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
         QStringLiteral("/Pravella/downloads");
}

TableDownload::TableDownload(const QString& folder, const QString& url) : folder_(folder) {
  QByteArray pattern = QFile::encodeName(folder + QStringLiteral("/.download-XXXXXX"));
  if (::mkdtemp(pattern.data()) == nullptr) return;
  const QString staging = QFile::decodeName(pattern);
  held_ = std::make_unique<HeldPath>(heldRecordsFolder(QStringLiteral("downloads")), staging);
  if (!held_->ok()) {
    QDir(staging).removeRecursively();
    return;
  }
  ::chmod(pattern.constData(), 0755);
  staging_ = staging;
  // The local file of that name goes along as a copy with its time, for -N to compare with.
  const QString local = downloadedFile(folder, url);
  if (local.isEmpty() || !QFileInfo(local).isFile() || QFileInfo(local).isSymLink()) return;
  name_ = QFileInfo(local).fileName();
  const QString copy = staging_ + QLatin1Char('/') + name_;
  if (!QFile::copy(local, copy)) return;
  QFile c(copy);
  if (c.open(QIODevice::ReadWrite))
    c.setFileTime(QFileInfo(local).lastModified(), QFileDevice::FileModificationTime);
  c.close();
  const Stamp s = stampOf(copy);
  copySize_ = s.size;
  copyTime_ = s.mtimeNs;
}

TableDownload::~TableDownload() {
  if (!staging_.isEmpty()) QDir(staging_).removeRecursively();
}

TableDownload::Outcome TableDownload::place() {
  Outcome out{true, {}, {}};
  const QStringList names =
      QDir(staging_).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
  for (const QString& name : names) {
    const QString staged = staging_ + QLatin1Char('/') + name;
    const Stamp s = stampOf(staged);
    if (name == name_ && s.size == copySize_ && s.mtimeNs == copyTime_) {
      out.path = folder_ + QLatin1Char('/') + name;  // not newer: the local file stays
      continue;
    }
    const QString target = folder_ + QLatin1Char('/') + name;
    QString placed = target;
    bool moved = false;
    if (placedByUs(target)) {
      // The file as this application put it there: the newer one replaces it in one step.
      QFile::setPermissions(staged, QFileInfo(target).permissions());
      moved = std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) == 0;
    } else if (moveWithoutReplacing(staged, target)) {
      moved = true;
    } else if (errno == EEXIST) {
      // A file the user changed (or put there): kept, and the download goes beside it.
      for (int tries = 0; tries < 100 && !moved; ++tries) {
        placed = freePathIn(folder_, name);
        moved = moveWithoutReplacing(staged, placed);
        if (!moved && errno != EEXIST) break;
      }
      if (moved)
        out.status = QStringLiteral("%1 was changed since it was downloaded: kept; the download is %2")
                         .arg(name, QFileInfo(placed).fileName());
    }
    if (!moved) {
      out.ok = false;
      out.status = QStringLiteral("The download of %1 could not be put in place: %2")
                       .arg(name, QString::fromLocal8Bit(std::strerror(errno)));
      return out;
    }
    record(placed);
    out.path = placed;
  }
  return out;
}

}  // namespace pravella::web
