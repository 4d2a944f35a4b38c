#pragma once
// Edits that could not be written where they belong. A save no one watches (an auto-save, a
// quit, a signal or the session's end) that fails writes the view's text into the recovery
// folder (paths::recovered()) instead, named after the document and the time, with a note of
// where it belonged beside it. When that folder cannot take it either (it is on the disk that
// is full), a spare folder on another file system does (paths::spareRecoveredFolders()). The
// next start says what the folders hold and offers each edit.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/atomic_file.h"

namespace pravella {

struct RecoveredEdit {
  QString path;      // the copy in the recovery folder
  QString intended;  // where it belonged (empty when its note is gone)
  QDateTime kept;    // when it was written there
  // Older copies of the same document, left where they are (recoveredEditsToOffer).
  QStringList older;
};

// Writes a copy of a view's text with `write` into the first recovery folder that takes it,
// named after `intended` and `now`; this process's earlier copy of the same document goes once
// the new one is there. The path of the copy, or why no folder took it.
struct Recovery {
  bool ok = false;
  QString path;
  QString error;
};
Recovery keepInRecovery(const QString& intended, const std::function<WriteResult(const QString&)>& write,
                        const QDateTime& now = QDateTime::currentDateTime());

// `intended` was saved where it belongs: this process's copy of it is no longer needed.
void forgetRecovery(const QString& intended);

// A copy a view keeps of its own (editors/edit_journal.h), apart from the copies above: into
// the recovery folder alone, `copy` replaced whole when given (the view's earlier one), a new
// name otherwise. Any thread.
Recovery writeRecoveryCopy(const QString& intended, const QString& copy,
                           const std::function<WriteResult(const QString&)>& write,
                           const QDateTime& now = QDateTime::currentDateTime());
// Removes such a copy and its note.
void removeRecoveryCopy(const QString& copy);

// The name of the copy: "name (recovered yyyy-MM-dd hh.mm.ss).ext", shortened to fit with its
// note's name, with a number when that name is taken.
QString recoveryName(const QString& intended, const QDateTime& now, int number = 1);

// What the recovery folders hold, oldest first.
QList<RecoveredEdit> recoveredEdits();

// What the next start offers, oldest first: of the copies of one document (a view's copy of
// its unsaved edits and a failed save's, or copies from several sessions) only the newest,
// with the others named in `older`. Taking an older one after it would put older text where
// the newer went; the older files stay in the folder, offered once the newest is gone.
QList<RecoveredEdit> recoveredEditsToOffer();

// Moves a recovered edit to `destination` (never over something there) and drops its note.
WriteResult moveRecoveredEdit(const RecoveredEdit& edit, const QString& destination);

}  // namespace pravella
