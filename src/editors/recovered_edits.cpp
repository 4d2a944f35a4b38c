#include "editors/recovered_edits.h"
#include "platform/end_saves.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "diary/day_documents.h"
#include "editors/open_documents.h"
#include "platform/file_copy.h"
#include "platform/paths.h"

namespace pravella {

namespace {

const QString kNotePrefix = QStringLiteral(".");
const QString kNoteSuffix = QStringLiteral(".from");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd hh.mm.ss");

// This process's copy of each document, by the document's key.
std::map<QString, QString>& sessionCopies() {
  static std::map<QString, QString> copies;
  return copies;
}

QString noteOf(const QString& copy) {
  const QFileInfo info(copy);
  return info.absolutePath() + QLatin1Char('/') + kNotePrefix + info.fileName() + kNoteSuffix;
}

bool entryThere(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

void removeEntry(const QString& path) {
  if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
    QDir(path).removeRecursively();
  else
    QFile::remove(path);
}

WriteResult failure(const QString& error) {
  WriteResult result;
  result.error = error;
  return result;
}

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A spare folder's parent, pravella-<uid>, sits in a folder everyone may write to: it is ours
// only when it is a real folder (not a link someone else put there), owned by us and closed to
// others. `make` makes it when it is missing.
bool privateParentOf(const QString& folder, bool make, QString* why) {
  const QString parent = QFileInfo(folder).path();
  const QByteArray name = QFile::encodeName(parent);
  if (make && ::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
    *why = QStringLiteral("%1 could not be made: %2").arg(parent, systemError(errno));
    return false;
  }
  struct stat info {};
  if (::lstat(name.constData(), &info) != 0) {
    *why = QStringLiteral("%1: %2").arg(parent, systemError(errno));
    return false;
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    *why = QStringLiteral("%1 is not a folder of this user's alone.").arg(parent);
    return false;
  }
  return true;
}

// The recovery folder, then the spare ones.
QStringList recoveryFolders() {
  QStringList folders{paths::recovered()};
  for (const QString& spare : paths::spareRecoveredFolders())
    if (!folders.contains(spare)) folders << spare;
  return folders;
}

// Makes `folder` when it is missing; a spare one only inside a parent of this user's alone.
bool readyFolder(const QString& folder, QString* why) {
  if (folder != paths::recovered()) {
    if (!privateParentOf(folder, true, why)) return false;
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
      *why = QStringLiteral("%1 could not be made: %2").arg(folder, systemError(errno));
      return false;
    }
    return true;
  }
  if (QDir().mkpath(folder)) return true;
  *why = QStringLiteral("The recovery folder %1 could not be made.").arg(folder);
  return false;
}

// The note says where the copy belonged and when it was written.
void writeNote(const QString& copy, const QString& intended, const QDateTime& now) {
  writeFileAtomically(noteOf(copy), intended.toUtf8() + '\n' + now.toString(Qt::ISODate).toUtf8() + '\n');
}

// Writes the copy and its note into one folder.
Recovery keepIn(const QString& folder, const QString& intended,
                const std::function<WriteResult(const QString&)>& write, const QDateTime& now) {
  Recovery result;
  if (!readyFolder(folder, &result.error)) return result;
  // Views keep their copies from threads of their own: one name is never given twice.
  static std::mutex naming;
  std::lock_guard lock(naming);
  QString copy;
  for (int n = 1; copy.isEmpty() || entryThere(copy); ++n)
    copy = folder + QLatin1Char('/') + recoveryName(intended, now, n);
  // The note first: a process killed in between leaves a hidden note, never a copy that does
  // not say where it belonged. Without a note the copy still stands, under its own name.
  writeNote(copy, intended, now);
  const WriteResult written = write(copy);
  if (!written) {
    QFile::remove(noteOf(copy));
    result.error = written.error;
    return result;
  }
  result.ok = true;
  result.path = copy;
  return result;
}

}  // namespace

QString recoveryName(const QString& intended, const QDateTime& now, int number) {
  const QString name = QFileInfo(intended).fileName();
  const QString ext = fileExtension(name);
  QString stem = ext.isEmpty() ? name : withoutExtension(name);
  if (stem.isEmpty()) stem = QStringLiteral("Untitled");
  QString tail = QStringLiteral(" (recovered ") + now.toString(kTimeFormat);
  if (number > 1) tail += QStringLiteral(" %1").arg(number);
  tail += QLatin1Char(')');
  if (!ext.isEmpty()) tail += QLatin1Char('.') + ext;
  // The note's name adds its prefix and suffix to the copy's.
  const int room = kLongestFileName - static_cast<int>((kNotePrefix + kNoteSuffix).toUtf8().size());
  return fitFileName(stem, tail, room);
}

Recovery keepInRecovery(const QString& intended, const std::function<WriteResult(const QString&)>& write,
                        const QDateTime& now) {
  // The recovery folder may be on the disk that is full; a spare folder on another file system
  // takes the edit then.
  QStringList reasons;
  for (const QString& folder : recoveryFolders()) {
    Recovery kept = keepIn(folder, intended, write, now);
    if (!kept.ok) {
      reasons << kept.error;
      continue;
    }
    const QString key = documentKey(intended);
    auto& copies = sessionCopies();
    if (const auto it = copies.find(key); it != copies.end() && it->second != kept.path) {
      removeEntry(it->second);
      QFile::remove(noteOf(it->second));
    }
    copies[key] = kept.path;
    noteEditKept(key);
    return kept;
  }
  Recovery failed;
  failed.error = reasons.join(QStringLiteral("; "));
  noteLostEdit(documentKey(intended));
  return failed;
}

void forgetRecovery(const QString& intended) {
  noteEditKept(documentKey(intended));
  auto& copies = sessionCopies();
  const auto it = copies.find(documentKey(intended));
  if (it == copies.end()) return;
  removeEntry(it->second);
  QFile::remove(noteOf(it->second));
  copies.erase(it);
}

Recovery writeRecoveryCopy(const QString& intended, const QString& copy,
                           const std::function<WriteResult(const QString&)>& write, const QDateTime& now) {
  if (copy.isEmpty() || !entryThere(copy)) return keepIn(paths::recovered(), intended, write, now);
  writeNote(copy, intended, now);
  Recovery result;
  const WriteResult written = write(copy);
  result.ok = written.ok;
  result.error = written.error;
  if (written) result.path = copy;
  return result;
}

void removeRecoveryCopy(const QString& copy) {
  if (copy.isEmpty()) return;
  removeEntry(copy);
  QFile::remove(noteOf(copy));
}

QList<RecoveredEdit> recoveredEdits() {
  QList<RecoveredEdit> edits;
  for (const QString& path : recoveryFolders()) {
    QString why;
    // What lies in a spare folder someone else could have made is not offered.
    if (path != paths::recovered() && (!QFileInfo(path).isDir() || !privateParentOf(path, false, &why)))
      continue;
    const QDir folder(path);
    const QFileInfoList entries = folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                                                       QDir::Time | QDir::Reversed);
    for (const QFileInfo& entry : entries) {
      RecoveredEdit edit;
      edit.path = entry.absoluteFilePath();
      edit.kept = entry.lastModified();
      QFile note(noteOf(edit.path));
      if (note.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = note.read(64 * 1024).split('\n');
        edit.intended = QString::fromUtf8(lines.value(0));
        const QDateTime kept = QDateTime::fromString(QString::fromUtf8(lines.value(1)), Qt::ISODate);
        if (kept.isValid()) edit.kept = kept;
      }
      edits << edit;
    }
  }
  std::stable_sort(edits.begin(), edits.end(),
                   [](const RecoveredEdit& a, const RecoveredEdit& b) { return a.kept < b.kept; });
  return edits;
}

QList<RecoveredEdit> recoveredEditsToOffer() {
  QList<RecoveredEdit> offered;
  std::map<QString, qsizetype> newestOf;  // document key -> its entry in `offered`
  // Times in the notes are whole seconds: copies of one second are told apart by their files.
  const auto newer = [](const RecoveredEdit& a, const RecoveredEdit& b) {
    return a.kept != b.kept ? a.kept > b.kept
                            : QFileInfo(a.path).lastModified() > QFileInfo(b.path).lastModified();
  };
  for (const RecoveredEdit& edit : recoveredEdits()) {
    // A copy whose note is gone has no document to be told apart from.
    if (edit.intended.isEmpty()) {
      offered << edit;
      continue;
    }
    const QString key = documentKey(edit.intended);
    const auto it = newestOf.find(key);
    if (it == newestOf.end()) {
      newestOf[key] = offered.size();
      offered << edit;
      continue;
    }
    RecoveredEdit& kept = offered[it->second];
    if (newer(edit, kept)) {
      QStringList older = kept.older;
      older << kept.path;
      kept = edit;
      kept.older = older;
    } else {
      kept.older << edit.path;
    }
  }
  std::stable_sort(offered.begin(), offered.end(),
                   [](const RecoveredEdit& a, const RecoveredEdit& b) { return a.kept < b.kept; });
  return offered;
}

WriteResult moveRecoveredEdit(const RecoveredEdit& edit, const QString& destination) {
  if (entryThere(destination))
    return failure(QStringLiteral("\"%1\" already exists.").arg(QFileInfo(destination).fileName()));
  const QByteArray from = QFile::encodeName(edit.path), to = QFile::encodeName(destination);
  if (std::rename(from.constData(), to.constData()) != 0) {
    const int error = errno;
    if (error != EXDEV)
      return failure(
          QStringLiteral("%1 could not be moved to %2: %3").arg(edit.path, destination, systemError(error)));
    // Another file system: copied, and the copy in the recovery folder goes only once that worked.
    if (!copyRecursively(edit.path, destination)) {
      removeEntry(destination);
      return failure(QStringLiteral("%1 could not be copied to %2.").arg(edit.path, destination));
    }
    removeEntry(edit.path);
  }
  QFile::remove(noteOf(edit.path));
  for (auto it = sessionCopies().begin(); it != sessionCopies().end(); ++it) {
    if (it->second == edit.path) {
      sessionCopies().erase(it);
      break;
    }
  }
  WriteResult moved;
  moved.ok = true;
  return moved;
}

}  // namespace pravella
