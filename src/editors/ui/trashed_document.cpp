#include "editors/ui/trashed_document.h"

#include <QFileInfo>
#include <QMainWindow>
#include <QStatusBar>
#include <QWidget>

#include "diary/day_documents.h"
#include "editors/recovered_edits.h"
#include "platform/console_log.h"

namespace pravella {

TrashedDocumentEdits keepEditsOfTrashedDocument(QWidget* view, const QString& path, bool edited,
                                                const DocumentWriter& write) {
  TrashedDocumentEdits result;
  const QString name = documentDisplayName(QFileInfo(path).fileName());
  // Nothing held: nothing to say, and the line stays with what the view that showed it says.
  if (!edited) return result;
  if (const Recovery kept = keepInRecovery(path, write); kept.ok) {
    result.message = QStringLiteral("\"%1\" went to the Trash; your unsaved changes to it are kept in %2.")
                         .arg(name, kept.path);
    showErrMessageToConsole(
        QStringLiteral("Pravella: \"%1\" went to the Trash; the edit shown of it was kept in %2\n")
            .arg(path, kept.path)
            .toStdString());
  } else {
    result.kept = false;
    result.message =
        QStringLiteral(
            "\"%1\" went to the Trash; your unsaved changes to it stay shown here but could not be "
            "kept: %2")
            .arg(name, kept.error);
    showErrMessageToConsole(
        QStringLiteral("Pravella: the edit of \"%1\", which went to the Trash, is not kept: %2\n")
            .arg(path, kept.error)
            .toStdString());
  }
  auto* window = view ? qobject_cast<QMainWindow*>(view->window()) : nullptr;
  if (window && window->statusBar()) window->statusBar()->showMessage(result.message);
  return result;
}

}  // namespace pravella
