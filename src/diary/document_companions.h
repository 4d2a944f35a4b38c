#pragma once
// A memo keeps folders beside it under its own name: its tables ("Name.tbld") and the pages
// of its HTML export ("Name.htmld"). The day lists never show them, so whatever renames,
// moves or deletes the memo takes them along; a move they cannot follow does not happen.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

#include "diary/day_documents.h"

namespace pravella {

// True for the extension of a memo's companion folder ("htmld", "tbld"; case as written).
bool isCompanionExtension(QStringView extension);

// Where the companions of `documentPath` are (its path with the extension replaced), there
// or not. A companion has none of its own: for one, the list is empty.
QStringList companionPathsFor(const QString& documentPath);

// Moves one entry; true when it moved. It must never replace an entry that is there.
using EntryMover = std::function<bool(const QString& from, const QString& to)>;

// A rename within one file system that never replaces an entry.
bool renameEntry(const QString& from, const QString& to);

struct DocumentMove {
  bool ok = false;
  QString error;  // a sentence for the user when !ok
};

// Moves the document `from` to `to` with every companion it has, each to the companion name
// of `to`. When a companion's new name is taken nothing moves; when a companion cannot be
// moved, what moved already is moved back. The document's own new name is the caller's to
// check (each says that in its own words).
DocumentMove moveDocumentWithCompanions(const QString& from, const QString& to,
                                        const EntryMover& move = renameEntry);

// Links `to` to the document `from` (a symbolic link holding the path `from`), and each
// companion of `to` to the companion of `from`, with the same rules: nothing is linked when a
// companion's name is taken, and the links made are taken away when one cannot be made.
DocumentMove linkDocumentWithCompanions(const QString& from, const QString& to);

struct DocumentTrash {
  TrashResult document;  // the document's own
  QStringList errors;    // a sentence for each companion that stayed behind
};

// Moves the document at `path` into the Trash, then each companion it has: tables left behind
// would be taken up by the next memo of that name. When the document cannot go, nothing does.
DocumentTrash trashDocumentWithCompanions(const QString& path,
                                          const QDateTime& when = QDateTime::currentDateTime());

}  // namespace pravella
