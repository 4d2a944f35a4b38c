// The edits a failed save left in the recovery folder, offered at the start: each is opened
// in the memo sheet, moved where the user chooses, or left there for later. Of several copies of
// one document only the newest is offered.

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "diary/day_documents.h"
#include "diary/ui/calcndar.h"
#include "editors/recovered_edits.h"

namespace {

QString kept(const pravella::RecoveredEdit& edit) {
  return QLocale::system().toString(edit.kept, QLocale::ShortFormat);
}

}  // namespace

void Calcndar::offerRecoveredEdits() { offerRecoveredEdits(pravella::recoveredEditsToOffer()); }

void Calcndar::offerRecoveredEdits(const QList<pravella::RecoveredEdit>& edits) {
  for (const pravella::RecoveredEdit& edit : edits) {
    if (endingUnattended_) return;
    if (!QFileInfo::exists(edit.path)) continue;  // saved or moved since the start
    const QString belonged =
        edit.intended.isEmpty() ? QStringLiteral("(its place is not known)") : edit.intended;
    const QString name = pravella::documentDisplayName(
        QFileInfo(edit.intended.isEmpty() ? edit.path : edit.intended).fileName());
    // Only the newest copy of a document is offered; the older ones stay where they are.
    const QString older = edit.older.isEmpty()
                              ? QString()
                              : QStringLiteral("\nOlder copies of it stay in the recovery folder: %1.")
                                    .arg(edit.older.join(QStringLiteral(", ")));
    // Return opens it; Escape and closing leave it for later, the answer that changes nothing.
    const int answer =
        alert(QStringLiteral("Recovered Edit"),
              QStringLiteral(
                  "An edit of \"%1\" could not be saved where it belongs (%2) on %3. It was kept in %4.%5\n"
                  "Open it in the memo sheet, move it where you choose, or leave it there for later.")
                  .arg(name, belonged, kept(edit), edit.path, older),
              {QStringLiteral("Open"), QStringLiteral("Later"), QStringLiteral("Move\u2026")}, 1);
    if (answer == 0) {
      // One at a time: the others are offered at the next start.
      openDocumentOnMemo(edit.path);
      return;
    }
    if (answer == 2) moveRecoveredEdit(edit);
  }
}

void Calcndar::moveRecoveredEdit(const pravella::RecoveredEdit& edit) {
  const QString ext = pravella::fileExtension(QFileInfo(edit.path).fileName());
  const QFileInfo intended(edit.intended);
  const QString folder =
      !edit.intended.isEmpty() && intended.absoluteDir().exists() ? intended.absolutePath() : dayFolder();
  const QString proposed = pravella::withoutExtension(
      edit.intended.isEmpty() ? QFileInfo(edit.path).fileName() : intended.fileName());
  for (;;) {
    QString chosen = savePanel_(QStringLiteral("Move Recovered Edit"), folder, proposed);
    if (chosen.isEmpty()) return;  // it stays for later
    if (!ext.isEmpty() && pravella::fileExtension(QFileInfo(chosen).fileName()) != ext)
      chosen += QLatin1Char('.') + ext;
    const pravella::WriteResult moved = pravella::moveRecoveredEdit(edit, chosen);
    if (moved) {
      showDiaryFiles();
      return;
    }
    alert(QStringLiteral("Can't move the recovered edit !"), moved.error, {QStringLiteral("OK")});
  }
}
