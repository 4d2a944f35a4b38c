#pragma once
// A memo keeps folders beside it under its own name: its tables ("Name.tbld") and the pages
// of its HTML export ("Name.htmld"). The day lists never show them, so whatever renames,
// moves or deletes the memo takes them along; a move they cannot follow does not happen.
//
// Every document of that name in the folder uses them: "plain.rtf" and "plain.rtfd", the
// package its edits are saved to, share "plain.tbld". While another of them stays, the
// companions stay with it: the one renamed or moved takes a copy, the one deleted nothing.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <utility>

#include "diary/day_documents.h"

namespace pravella {

// True for the extension of a memo's companion folder ("htmld", "tbld"; case as written).
bool isCompanionExtension(QStringView extension);

// Where the companions of `documentPath` are (its path with the extension replaced), there
// or not. A companion has none of its own: for one, the list is empty.
QStringList companionPathsFor(const QString& documentPath);

// The other documents of `documentPath`'s folder that bear its name without extension, and so
// share its companions: every entry of that name but companions and "ROIData" files (an
// image's regions, no document), except the document itself and those in `going`.
QStringList documentsSharingCompanions(const QString& documentPath, const QStringList& going = {});

// The documents whose companion `companionPath` is ("Name.tbld": every document "Name.*" beside
// it but companions); empty for a path that is no companion's.
QStringList documentsUsingCompanion(const QString& companionPath);

// Moves one entry; true when it moved. It must never replace an entry that is there.
using EntryMover = std::function<bool(const QString& from, const QString& to)>;

// A rename within one file system that never replaces an entry.
bool renameEntry(const QString& from, const QString& to);

struct DocumentMove {
  bool ok = false;
  QString error;        // a sentence for the user when !ok
  QStringList carried;  // when ok: the companions that moved along, at their new paths
  QStringList copied;   // and the copies made of those another document still uses
};

// Moves the document `from` to `to` with every companion it has, each to the companion name
// of `to`; a companion another document of that name still uses stays, and `to` gets a copy of
// it. When a companion's new name is taken nothing moves; when a companion cannot follow, what
// moved already is moved back and the copies made are taken away. The document's own new name
// is the caller's to check (each says that in its own words).
DocumentMove moveDocumentWithCompanions(const QString& from, const QString& to,
                                        const EntryMover& move = renameEntry);

// Several documents moved in turn (Move Marked): each as above, so the companions of a name
// stay while any document of it stays and go with the last; that one's companions take the
// place of the copies this batch made for the ones before. A failure halfway thus leaves every
// document that stayed with its companions.
class DocumentMoves {
 public:
  explicit DocumentMoves(EntryMover move = renameEntry) : move_(std::move(move)) {}
  DocumentMove move(const QString& from, const QString& to);

 private:
  EntryMover move_;
  QStringList copies_;  // made by this batch: the companion moved after them replaces them
};

// Links `to` to the document `from` (a symbolic link holding the path `from`), and each
// companion of `to` to the companion of `from`, with the same rules: nothing is linked when a
// companion's name is taken, and the links made are taken away when one cannot be made.
DocumentMove linkDocumentWithCompanions(const QString& from, const QString& to);

struct DocumentTrash {
  TrashResult document;  // the document's own
  QStringList errors;    // a sentence for each companion that stayed behind
};

// The companions a move of `documentPath` to the Trash takes along: those there, unless another
// document of its name stays (one not in `going`, the documents going with it).
QStringList companionsGoingWith(const QString& documentPath, const QStringList& going = {});

// What a question about deleting or replacing the document adds for those companions, as
// ", with its tables \"A.tbld\" and its HTML pages \"A.htmld\""; empty when none goes.
QString companionsGoingNote(const QString& documentPath, const QStringList& going = {});

// Moves the document at `path` into the Trash, then each companion it has: tables left behind
// would be taken up by the next memo of that name. Companions another document of that name
// still uses stay. When the document cannot go, nothing does.
DocumentTrash trashDocumentWithCompanions(const QString& path,
                                          const QDateTime& when = QDateTime::currentDateTime());

}  // namespace pravella
