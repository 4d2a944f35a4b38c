#include "platform/atomic_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>

namespace pravella {
namespace {

WriteResult failure(const QString& what) { return WriteResult{false, what}; }
WriteResult success() { return WriteResult{true, {}}; }

}  // namespace

WriteResult writeFileAtomically(const QString& path, const QByteArray& data) {
  if (path.isEmpty()) return failure(QStringLiteral("Cannot save: no file name was given."));
  if (QFileInfo(path).isDir())
    return failure(QStringLiteral("Cannot save \"%1\": a folder of that name is in the way.").arg(path));
  // QSaveFile writes to a temporary file in the same folder, flushes it to disk on commit
  // and only then renames it over the target.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return failure(QStringLiteral("Cannot save \"%1\": %2").arg(path, file.errorString()));
  // The write only fills Qt's buffer; a full disk shows in the flush, which commit() would
  // pass over and then rename a truncated file into place.
  if (file.write(data) != data.size() || !file.flush()) {
    const QString why = file.errorString();
    file.cancelWriting();
    return failure(QStringLiteral("Cannot save \"%1\": %2").arg(path, why));
  }
  if (!file.commit())
    return failure(QStringLiteral("Cannot save \"%1\": %2").arg(path, file.errorString()));
  return success();
}

WriteResult replaceFolderAtomically(const QString& folder,
                                    const std::function<WriteResult(const QString&)>& fill) {
  const QFileInfo target(folder);
  const QString parent = target.absolutePath();
  if (!QDir().mkpath(parent))
    return failure(QStringLiteral("Cannot save \"%1\": its folder cannot be created.").arg(folder));

  // Short fixed names beside the document: a name near the file system's 255-byte limit must
  // not fail only because its temporary name would be longer.
  QTemporaryDir temp(parent + QStringLiteral("/.saving-XXXXXX"));
  if (!temp.isValid())
    return failure(QStringLiteral("Cannot save \"%1\": %2").arg(folder, temp.errorString()));
  if (WriteResult filled = fill(temp.path()); !filled) return filled;
  // A temporary folder is private; the document keeps the old folder's permissions, or takes
  // those of the folder it is saved in.
  {
    struct stat info {};
    const QByteArray old = QFile::encodeName(target.absoluteFilePath());
    const QByteArray home = QFile::encodeName(parent);
    if (::stat(old.constData(), &info) == 0 || ::stat(home.constData(), &info) == 0)
      ::chmod(QFile::encodeName(temp.path()).constData(), info.st_mode & 07777);
  }

  const QString finalPath = target.absoluteFilePath();
  QString oldMoved;
  if (target.exists()) {
    QTemporaryDir placeholder(parent + QStringLiteral("/.replaced-XXXXXX"));
    if (!placeholder.isValid())
      return failure(QStringLiteral("Cannot save \"%1\": %2").arg(folder, placeholder.errorString()));
    placeholder.setAutoRemove(false);
    oldMoved = placeholder.path();
    QDir().rmdir(oldMoved);  // only its unique name was wanted
    if (std::rename(QFile::encodeName(finalPath).constData(), QFile::encodeName(oldMoved).constData()) != 0)
      return failure(QStringLiteral("Cannot save \"%1\": the old document cannot be moved aside.").arg(folder));
  }
  if (std::rename(QFile::encodeName(temp.path()).constData(), QFile::encodeName(finalPath).constData()) != 0) {
    if (!oldMoved.isEmpty())
      std::rename(QFile::encodeName(oldMoved).constData(), QFile::encodeName(finalPath).constData());
    return failure(QStringLiteral("Cannot save \"%1\": the new document cannot be put in place.").arg(folder));
  }
  temp.setAutoRemove(false);  // it is the document now
  if (!oldMoved.isEmpty()) QDir(oldMoved).removeRecursively();
  return success();
}

}  // namespace pravella
