#include "net/web/saved_pages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "net/web/web_address.h"
#include "platform/paths.h"

namespace pravella::web {

namespace {

constexpr qint64 kPieceBytes = 1 << 20;
// Names tried past a first one taken by another file made at that very moment.
constexpr int kNameTries = 100;

// Copies the saved page into the writer's temporary, piece by piece so that a large archive
// is never whole in memory; any failure to read or write ends the save.
std::function<WriteResult(const QString&)> copyOf(const QString& saved) {
  return [saved](const QString& temp) {
    QFile from(saved);
    if (!from.open(QIODevice::ReadOnly))
      return WriteResult(
          false, QStringLiteral("Cannot read the saved page \"%1\": %2").arg(saved, from.errorString()));
    QFile to(temp);
    if (!to.open(QIODevice::WriteOnly | QIODevice::Truncate))
      return WriteResult(false, QStringLiteral("Cannot save \"%1\": %2").arg(temp, to.errorString()));
    for (;;) {
      const QByteArray piece = from.read(kPieceBytes);
      if (piece.isEmpty()) {
        if (from.atEnd()) break;
        return WriteResult(
            false, QStringLiteral("Cannot read the saved page \"%1\": %2").arg(saved, from.errorString()));
      }
      if (to.write(piece) != piece.size())
        return WriteResult(false, QStringLiteral("Cannot save \"%1\": %2").arg(temp, to.errorString()));
    }
    if (!to.flush())
      return WriteResult(false, QStringLiteral("Cannot save \"%1\": %2").arg(temp, to.errorString()));
    return WriteResult(true);
  };
}

}  // namespace

QString newPageSaveFolder() {
  const QString work = paths::vkData();
  if (!QDir().mkpath(work)) return {};
  QTemporaryDir folder(QDir(work).filePath(QStringLiteral(".page-save-XXXXXX")));
  if (!folder.isValid()) return {};
  folder.setAutoRemove(false);
  return folder.path();
}

WriteResult placeSavedPage(const QString& saved, const QString& target) {
  return writeFileAtomicallyThrough(target, copyOf(saved));
}

WriteResult placeSavedPageFree(const QString& saved, const QString& folder, const QString& name,
                               QString* placed) {
  if (!QDir().mkpath(folder))
    return WriteResult(false,
                       QStringLiteral("Cannot save in \"%1\": the folder cannot be made.").arg(folder));
  WriteResult result;
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    const QString path = freeDownloadPath(folder, name);
    result = writeNewFileAtomicallyThrough(path, copyOf(saved));
    if (result.ok) {
      if (placed) *placed = path;
      return result;
    }
    // Taken by a file made while this one was written: the next free name.
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return result;
  }
  return result;
}

}  // namespace pravella::web
