#include "tools/finder/finder_file_operations.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "diary/day_documents.h"
#include "diary/document_companions.h"
#include "platform/cformat.h"
#include "platform/file_copy.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/finder/finder_history.h"

namespace pravella {

namespace {

// A dangling symbolic link is an entry too: nothing may be written over it.
bool entryExists(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

// The entry and the folder lie on one file system, where a rename moves.
bool sameFileSystem(const QString& entry, const QString& folder) {
  struct stat a {};
  struct stat b {};
  return ::lstat(QFile::encodeName(entry).constData(), &a) == 0 &&
         ::stat(QFile::encodeName(folder).constData(), &b) == 0 && a.st_dev == b.st_dev;
}

void removeEntry(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir() && !info.isSymLink())
    QDir(path).removeRecursively();
  else
    QFile::remove(path);
}

// Moves `from` to the free name `to`. Onto another disk the item is copied and the original
// removed; whatever goes wrong, one whole copy stays: a failed copy is taken away again, and
// the copy of a file whose original cannot be removed as well.
bool moveItem(const QString& from, const QString& to) {
  // The rename never replaces an entry, so a name taken meanwhile fails instead of losing it.
  if (QDir().rename(from, to)) return true;
  const QString folder = QFileInfo(to).path();
  if (sameFileSystem(from, folder) || !QFileInfo(QFileInfo(from).path()).isWritable()) return false;
  if (!copyRecursively(from, to)) {
    removeEntry(to);
    return false;
  }
  const QFileInfo info(from);
  if (info.isDir() && !info.isSymLink()) return QDir(from).removeRecursively();
  if (QFile::remove(from)) return true;
  QFile::remove(to);
  return false;
}

// Counters past this are not tried: a folder holding that many copies is no place to look
// further, and the loop must end.
constexpr int kMaxNumber = 99999;

}  // namespace

QString duplicateTarget(const QString& path) {
  const QFileInfo info(path);
  const QString name = info.fileName();
  const QString ext = fileExtension(name);
  const QString stem = info.path() + QLatin1Char('/') + withoutExtension(name);
  for (int n = 1; n <= kMaxNumber; ++n) {
    QString candidate = stem + QString::fromStdString(cformat(".cpy%03d", n));
    if (!ext.isEmpty()) candidate += QLatin1Char('.') + ext;
    if (!entryExists(candidate)) return candidate;
  }
  return QString();
}

QString moveTarget(const QString& folder, const QString& name) {
  const QString plain = folder + QLatin1Char('/') + name;
  if (!entryExists(plain)) return plain;
  const QString stem = folder + QLatin1Char('/') + withoutExtension(name);
  const QString ext = fileExtension(name);
  for (int n = 1; n <= kMaxNumber; ++n) {
    const QString candidate = stem + QString::fromStdString(cformat(".%03d.", n)) + ext;
    if (!entryExists(candidate)) return candidate;
  }
  return QString();
}

bool duplicateItem(const QString& path, QString* copy) {
  const QString target = duplicateTarget(path);
  if (copy) *copy = target;
  return !target.isEmpty() && entryExists(path) && copyRecursively(path, target);
}

MarkedItemsOutcome moveMarkedItems(FinderMarks& marks, const QString& folder,
                                   const std::function<void(int)>& waiting) {
  MarkedItemsOutcome outcome;
  const QStringList items = marks.entries();
  // A memo's tables and pages go with it, or nothing moves; while another document of its name
  // stays they stay too, and the moved one takes a copy: they go with the last of the name to
  // move, so a failure halfway leaves every document that stayed with them.
  DocumentMoves moves(moveItem);
  for (qsizetype i = 0; i < items.size(); ++i) {
    const QString& item = items.at(i);
    if (waiting) waiting(static_cast<int>(items.size() - i));
    if (!entryExists(item)) {
      // Moved already (marked twice) or gone meanwhile: there is nothing left to move.
      marks.remove(item);
      continue;
    }
    const QString target = moveTarget(folder, QFileInfo(item).fileName());
    const DocumentMove moved = target.isEmpty() ? DocumentMove{} : moves.move(item, target);
    if (moved.ok) {
      QString line = target;
      if (!moved.carried.isEmpty())
        line += QStringLiteral(", with ") + moved.carried.join(QStringLiteral(", "));
      if (!moved.copied.isEmpty())
        line += QStringLiteral(", with a copy of ") + moved.copied.join(QStringLiteral(", "));
      outcome.moved.append(line);
      // Unmarked first, with what went along inside it: the views told of the move would
      // otherwise carry the marks along.
      marks.forget(item);
      tellDocumentMoved(item, target);
      ++outcome.done;
    } else {
      outcome.failed.append(item);
      outcome.errors.append(QStringLiteral("%1 cannot be moved into %2.").arg(item, folder) +
                            (moved.error.isEmpty() ? QString() : QLatin1Char(' ') + moved.error));
    }
  }
  return outcome;
}

MarkedItemsOutcome trashMarkedItems(FinderMarks& marks) {
  MarkedItemsOutcome outcome;
  const QStringList items = marks.entries();
  for (const QString& item : items) {
    // A memo's tables and pages go with it (a companion also marked is gone by its turn), but
    // not while another document of its name stays: the last of them to go takes them.
    const DocumentTrash trashed = trashDocumentWithCompanions(item);
    if (trashed.document.ok) {
      if (!trashed.document.trashedPath.isEmpty()) tellDocumentTrashed(item);
      marks.remove(item);
      if (!trashed.document.trashedPath.isEmpty()) {
        ++outcome.done;
        outcome.moved.append(item);
      }
      outcome.errors.append(trashed.errors);
    } else {
      outcome.failed.append(item);
      outcome.errors.append(trashed.document.error);
    }
  }
  return outcome;
}

NewFolderOutcome makeNewFolderIn(const QString& parent, QString* folder) {
  const QString path = parent + QStringLiteral("/NewFolder");
  if (folder) *folder = path;
  if (entryExists(path)) return NewFolderOutcome::Exists;
  return QDir().mkdir(path) ? NewFolderOutcome::Created : NewFolderOutcome::Failed;
}

}  // namespace pravella
