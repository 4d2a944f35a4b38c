#include "editors/recovered_edits.h"

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <map>

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
  Recovery result;
  const QString folder = paths::recovered();
  if (!QDir().mkpath(folder)) {
    result.error = QStringLiteral("The recovery folder %1 could not be made.").arg(folder);
    return result;
  }
  QString copy;
  for (int n = 1; copy.isEmpty() || entryThere(copy); ++n)
    copy = folder + QLatin1Char('/') + recoveryName(intended, now, n);
  const WriteResult written = write(copy);
  if (!written) {
    result.error = written.error;
    return result;
  }
  // The note says where it belonged; without it the copy still stands, under its own name.
  QFile note(noteOf(copy));
  if (note.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    note.write(intended.toUtf8() + '\n' + now.toString(Qt::ISODate).toUtf8() + '\n');
    note.close();
  }
  const QString key = documentKey(intended);
  auto& copies = sessionCopies();
  if (const auto it = copies.find(key); it != copies.end() && it->second != copy) {
    removeEntry(it->second);
    QFile::remove(noteOf(it->second));
  }
  copies[key] = copy;
  result.ok = true;
  result.path = copy;
  return result;
}

void forgetRecovery(const QString& intended) {
  auto& copies = sessionCopies();
  const auto it = copies.find(documentKey(intended));
  if (it == copies.end()) return;
  removeEntry(it->second);
  QFile::remove(noteOf(it->second));
  copies.erase(it);
}

QList<RecoveredEdit> recoveredEdits() {
  QList<RecoveredEdit> edits;
  const QDir folder(paths::recovered());
  const QFileInfoList entries =
      folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Time | QDir::Reversed);
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
  return edits;
}

WriteResult moveRecoveredEdit(const RecoveredEdit& edit, const QString& destination) {
  if (entryThere(destination))
    return failure(QStringLiteral("\"%1\" already exists.").arg(QFileInfo(destination).fileName()));
  const QByteArray from = QFile::encodeName(edit.path), to = QFile::encodeName(destination);
  if (std::rename(from.constData(), to.constData()) != 0) {
    const int error = errno;
    if (error != EXDEV)
      return failure(QStringLiteral("%1 could not be moved to %2: %3")
                         .arg(edit.path, destination, QString::fromLocal8Bit(std::strerror(error))));
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
