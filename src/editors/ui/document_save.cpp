#include "editors/ui/document_save.h"

#include <QEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QVariant>
#include <QWidget>

#include "diary/day_documents.h"
#include "editors/edit_journal.h"
#include "editors/recovered_edits.h"
#include "platform/console_log.h"

namespace pravella {

namespace {

enum class Choice { KeepBoth, KeepMine, KeepDisk };

QString shownName(const QString& path) { return documentDisplayName(QFileInfo(path).fileName()); }

Choice ask(QWidget* parent, const QString& target) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Document Changed"),
                  QStringLiteral("\"%1\" was changed in another view or by another program since it was "
                                 "shown here.")
                      .arg(shownName(target)),
                  QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("documentChangedPanel"));
  box.setTextFormat(Qt::PlainText);
  box.setInformativeText(QStringLiteral("Keep Both saves your text beside it as \"%1\". Keep Mine moves the "
                                        "other version to the Trash; keeping the disk's version moves yours "
                                        "there.")
                             .arg(shownName(keepBothPath(target))));
  QPushButton* both = box.addButton(QString::fromLatin1(kKeepBoth), QMessageBox::AcceptRole);
  QPushButton* mine = box.addButton(QString::fromLatin1(kKeepMine), QMessageBox::DestructiveRole);
  QPushButton* disk = box.addButton(QString::fromLatin1(kKeepDisk), QMessageBox::DestructiveRole);
  // Return and Escape both lose nothing.
  box.setDefaultButton(both);
  box.setEscapeButton(both);
  box.exec();
  if (box.clickedButton() == mine) return Choice::KeepMine;
  if (box.clickedButton() == disk) return Choice::KeepDisk;
  return Choice::KeepBoth;
}

class CloseSaver : public QObject {
 public:
  CloseSaver(QWidget* drawer, QObject* owner, std::function<bool()> save)
      : QObject(drawer), owner_(owner), save_(std::move(save)) {
    drawer->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close && watched == parent() && owner_ && !save_()) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QPointer<QObject> owner_;
  std::function<bool()> save_;
};

// The writers say on the console why a write failed; the Trash's refusal is said here.
DocumentSave failed(const QString& error) {
  DocumentSave result;
  result.error = error;
  return result;
}

}  // namespace

namespace {

DocumentSave writeOrAsk(DocumentSlot& slot, const QString& target, const DocumentWriter& write, QWidget* parent) {
  DocumentSave result;
  const auto writeTarget = [&]() -> DocumentSave {
    const WriteResult written = write(target);
    if (!written) return failed(written.error);
    slot.wrote(target);
    result.outcome = SaveOutcome::Written;
    result.path = target;
    return result;
  };
  const bool conflict = slot.shows(target) && slot.changedOnDisk();
  if (!conflict) return writeTarget();

  const Choice choice = UnattendedSaves::active() ? Choice::KeepBoth : ask(parent, target);
  if (choice == Choice::KeepMine) {
    const TrashResult trashed = moveToTrash(target);
    if (!trashed.ok) {
      showErrMessageToConsole((trashed.error + QLatin1Char('\n')).toStdString());
      return failed(trashed.error);
    }
    return writeTarget();
  }

  // Both other answers keep the file as it is; the view's text goes beside it.
  const QString copy = keepBothPath(target);
  const WriteResult written = write(copy);
  if (!written) return failed(written.error);
  if (choice == Choice::KeepDisk) {
    // Given up, yet not lost: it waits in the Trash, named to go back beside the file.
    const TrashResult trashed = moveToTrash(copy);
    if (!trashed.ok) showErrMessageToConsole((trashed.error + QLatin1Char('\n')).toStdString());
    result.outcome = SaveOutcome::KeptDisk;
    result.path = trashed.ok ? trashed.trashedPath : copy;
  } else {
    result.outcome = SaveOutcome::KeptBoth;
    result.path = copy;
  }
  const DocumentSlot::Hooks& hooks = slot.hooks();
  if (result.outcome == SaveOutcome::KeptBoth && hooks.follow) {
    slot.wrote(copy);
    hooks.follow(copy);
  } else {
    const QString shown = slot.path();
    if (hooks.reload) hooks.reload();
    slot.shown(shown);
  }
  return result;
}

QString changedElsewhereMessage(const QString& path);
QStatusBar* statusBarOf(QWidget* view);

}  // namespace

DocumentSave saveDocumentGuarded(DocumentSlot& slot, const QString& target, const DocumentWriter& write,
                                 QWidget* parent) {
  const bool wasChangedElsewhere = slot.changedElsewhere();
  DocumentSave saved = writeOrAsk(slot, target, write, parent);
  // Whichever version was kept, the other view's save is no longer pending in this one.
  if (saved.ok() && wasChangedElsewhere)
    if (QStatusBar* bar = statusBarOf(parent); bar && bar->currentMessage() == changedElsewhereMessage(target))
      bar->clearMessage();
  if (saved.outcome == SaveOutcome::Written) forgetRecovery(target);
  // The view's whole text is in a file now: its copy kept against a crash goes.
  if (saved.ok()) EditJournal::covered(slot);
  if (saved.ok() || !UnattendedSaves::active()) return saved;
  // No one is there to try again: the text goes where it can be found at the next start.
  const Recovery kept = keepInRecovery(target, write);
  if (kept.ok) {
    saved.recovered = kept.path;
    EditJournal::covered(slot);
    showErrMessageToConsole(QStringLiteral("Pravella: \"%1\" could not be saved (%2); the edit was kept in %3\n")
                                .arg(target, saved.error, kept.path)
                                .toStdString());
  } else {
    showErrMessageToConsole(QStringLiteral("Pravella: the edit of \"%1\" is not saved: %2; nor in any recovery "
                                           "folder: %3\n")
                                .arg(target, saved.error, kept.error)
                                .toStdString());
  }
  return saved;
}

void saveBeforeClosing(QWidget* drawer, QObject* owner, std::function<bool()> save) {
  if (drawer && save) new CloseSaver(drawer, owner, std::move(save));
}

namespace {

QString changedElsewhereMessage(const QString& path) {
  return QStringLiteral(
             "\"%1\" was saved in another view; your changes here are kept, and saving them asks which "
             "to keep.")
      .arg(shownName(path));
}

QStatusBar* statusBarOf(QWidget* view) {
  auto* window = view ? qobject_cast<QMainWindow*>(view->window()) : nullptr;
  return window ? window->statusBar() : nullptr;
}

}  // namespace

// The view whose edits the status line speaks of: another view of the same file that saves or
// moves on must not take the line back.
constexpr char kChangedElsewhereView[] = "changedElsewhereView";

void markChangedElsewhere(QWidget* view, const QString& path) {
  QStatusBar* bar = statusBarOf(view);
  if (!bar) return;
  bar->showMessage(changedElsewhereMessage(path));
  bar->setProperty(kChangedElsewhereView, QVariant::fromValue<QObject*>(view));
}

void clearChangedElsewhere(QWidget* view, const QString& path) {
  QStatusBar* bar = statusBarOf(view);
  if (!bar || path.isEmpty() || bar->property(kChangedElsewhereView).value<QObject*>() != view) return;
  if (bar->currentMessage() == changedElsewhereMessage(path)) bar->clearMessage();
}

}  // namespace pravella
