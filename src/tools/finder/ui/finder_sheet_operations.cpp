#include "tools/finder/ui/finder_sheet_operations.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>

#include "diary/day_documents.h"
#include "diary/document_companions.h"
#include "platform/console_log.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sound_player.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/finder/finder_file_operations.h"
#include "tools/finder/finder_files.h"

namespace pravella {

namespace {

QString parentOf(const QString& path) { return QFileInfo(path).path(); }

void reportToConsole(const QStringList& errors) {
  for (const QString& e : errors) showErrMessageToConsole((e + QLatin1Char('\n')).toStdString());
}

}  // namespace

bool isFinderFolder(const QString& path) {
  return QFileInfo(path).isDir() && fileExtension(path) != QLatin1String("rtfd");
}

// ---------------------------------------------------------------------------------------
// History

void FinderSheetOperations::addRireki(const QString& path) {
  if (isFinderFolder(browsed())) return;
  history_.add(path);
  adjustRireki();
}

void FinderSheetOperations::adjustRireki() {
  const FinderHistory::Buttons b = history_.buttons(isFinderFolder(browsed()));
  if (a_.backButton) a_.backButton->setEnabled(b.back);
  if (a_.forwardButton) a_.forwardButton->setEnabled(b.forward);
}

void FinderSheetOperations::deleteRirekiFile(const QString& path) { history_.remove(path); }

void FinderSheetOperations::checkRirekiFile() { history_.removeFirstFolder(isFinderFolder); }

void FinderSheetOperations::rirekiNextAction() {
  call(a_.saveDocument);
  checkRirekiFile();
  showHistoryEntry(history_.next());
}

void FinderSheetOperations::rirekiBeforeAction() {
  call(a_.saveDocument);
  checkRirekiFile();
  showHistoryEntry(history_.before());
}

void FinderSheetOperations::showHistoryEntry(const std::optional<QString>& entry) {
  if (!entry) return;
  if (a_.setBrowserPath) a_.setBrowserPath(*entry);
  call(a_.clearPreview);
  call(a_.previewBrowsed);
  adjustRireki();
}

// ---------------------------------------------------------------------------------------
// Marks

void FinderSheetOperations::setMark(bool on) {
  if (a_.markSwitch) a_.markSwitch->setChecked(on);
}

void FinderSheetOperations::addMarkWithPath(const QString& path) {
  marks_.add(path);
  setMark(true);
}

void FinderSheetOperations::deleteMarkWithPath(const QString& path) {
  if (!marks_.remove(path)) return;
  setMark(false);
}

bool FinderSheetOperations::checkMark(const QString& path) {
  const bool marked = marks_.contains(path);
  setMark(marked);
  return marked;
}

void FinderSheetOperations::MarkSwitchAction() {
  const QString path = shown();
  const QFileInfo info(path);
  if (path.isEmpty() || !(info.exists() || info.isSymLink())) {
    // Nothing shown, or a new document not written yet: nothing to mark, and never the folder
    // the browser was left on, which a Delete Marked would then take whole.
    setMark(false);
    playFeedbackSound(QStringLiteral("Basso"));
    return;
  }
  if (a_.markSwitch && a_.markSwitch->isChecked())
    addMarkWithPath(path);
  else
    deleteMarkWithPath(path);
}

void FinderSheetOperations::itemTrashed(const QString& path) {
  marks_.forget(path);
  checkMark(shown());
}

void FinderSheetOperations::itemMoved(const QString& oldPath, const QString& newPath) {
  marks_.follow(oldPath, newPath);
  checkMark(shown());
}

void FinderSheetOperations::deleteMarkAction() {
  marks_.clear();
  setMark(false);
}

namespace {

// The names of `items`, one a line, at most 15 of them and then how many more.
QString itemList(const QStringList& items) {
  constexpr int kShown = 15;
  QStringList lines;
  for (int i = 0; i < items.size() && i < kShown; ++i) lines << items[i];
  if (items.size() > kShown) lines << QStringLiteral("... and %1 more").arg(items.size() - kShown);
  return lines.join(u'\n');
}

// The entries in a folder.
qsizetype itemsIn(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size();
}

QString countOf(qsizetype items) {
  return items == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(items);
}

// What the Trash takes with `item`: a folder's content, counted, and a memo's tables and pages
// (unless another document of its name stays outside `going`).
QString goingAlong(const QString& item, const QStringList& going) {
  if (!isFinderFolder(item)) return companionsGoingNote(item, going);
  const qsizetype inside = itemsIn(item);
  return inside == 0 ? QStringLiteral(", an empty folder")
                     : QStringLiteral(", a folder with %1 in it").arg(countOf(inside));
}

// The items a Delete Marked takes, each with what goes along.
QStringList deletionLines(const QStringList& items) {
  QStringList lines;
  for (const QString& item : items) lines << item + goingAlong(item, items);
  return lines;
}

}  // namespace

bool FinderSheetOperations::refusedProtected(const QString& title, const QStringList& items) {
  QStringList refused;
  for (const QString& item : items)
    if (finder::isProtectedFolder(item)) refused << item;
  if (refused.isEmpty()) return false;
  playFeedbackSound(QStringLiteral("Basso"));
  dialogs::alert(a_.window, title,
                 QStringLiteral("The diary or the desktop needs these folders; nothing was done:\n") +
                     itemList(refused));
  return true;
}

void FinderSheetOperations::deleteMarkedFiles() {
  if (marks_.isEmpty()) return;
  if (refusedProtected(QStringLiteral("Delete"), marks_.entries())) return;
  if (dialogs::alert(a_.window, QStringLiteral("Delete"),
                     QStringLiteral("Do you want to delete All Marked Files?\n") +
                         itemList(deletionLines(marks_.entries())),
                     QStringLiteral("Cancel"), QString(), QStringLiteral("Delete")) != dialogs::kOther)
    return;
  const QString folder = parentOf(browsed());
  const MarkedItemsOutcome outcome = trashMarkedItems(marks_);
  afterMarkedItems(folder, outcome.errors);
  if (!outcome.failed.isEmpty()) {
    // Stopped halfway: what stayed, why, and what went.
    QString message = outcome.errors.join(u'\n');
    message += outcome.moved.isEmpty() ? QStringLiteral("\nNothing went to the Trash.")
                                       : QStringLiteral("\nMoved to the Trash:\n") + itemList(outcome.moved);
    dialogs::alert(a_.window, QStringLiteral("Delete Marked"), message);
  }
}

void FinderSheetOperations::moveMarkedFiles() {
  if (marks_.isEmpty()) return;
  if (refusedProtected(QStringLiteral("Move"), marks_.entries())) return;
  const QString start = parentOf(browsed());
  const QString target = dialogs::chooseFolder(a_.window, QStringLiteral("Select Folder !"), start);
  if (target.isEmpty()) return;
  const int count = static_cast<int>(marks_.size());
  if (a_.progress) a_.progress->setRange(0, count);
  const MarkedItemsOutcome outcome = moveMarkedItems(marks_, target, [this](int waiting) {
    if (!a_.progress) return;
    a_.progress->setValue(waiting);
    a_.progress->repaint();
  });
  if (a_.progress) a_.progress->setValue(0);
  afterMarkedItems(start, outcome.errors);
  // What stayed marked, and why (a memo's tables that could not follow it), where it is seen,
  // and what did move: the action stopped halfway.
  if (!outcome.errors.isEmpty()) {
    QString message = outcome.errors.join(u'\n');
    message += outcome.moved.isEmpty() ? QStringLiteral("\nNothing was moved.")
                                       : QStringLiteral("\nMoved:\n") + itemList(outcome.moved);
    dialogs::alert(a_.window, QStringLiteral("Move Marked"), message);
  }
}

void FinderSheetOperations::afterMarkedItems(const QString& folder, const QStringList& errors) {
  call(a_.reloadBrowser);
  if (a_.setBrowserPath) a_.setBrowserPath(folder);
  call(a_.setFinderTextScrollView);
  checkMark(shown());
  reportToConsole(errors);
  playFeedbackSound(errors.isEmpty() ? QStringLiteral("Tink") : QStringLiteral("Basso"));
}

// ---------------------------------------------------------------------------------------
// Files

void FinderSheetOperations::deleteFileAction() {
  const QString path = browsed();
  if (path.isEmpty()) return;
  const QString name = QFileInfo(path).fileName();
  if (refusedProtected(QStringLiteral("Delete : ") + name, {path})) return;
  // The question names what goes: a title bar is easily not read.
  QString question =
      QStringLiteral("Do you want to delete this document, \"%1\"%2?").arg(name, goingAlong(path, {}));
  if (isFinderFolder(path)) {
    const qsizetype inside = itemsIn(path);
    question = inside == 0 ? QStringLiteral("Do you want to delete this empty folder, \"%1\"?").arg(name)
                           : QStringLiteral("Do you want to delete this folder, \"%1\", with the %2 in it?")
                                 .arg(name, countOf(inside));
  }
  if (dialogs::alert(a_.window, QStringLiteral("Delete : ") + name, question, QStringLiteral("Cancel"),
                     QString(), QStringLiteral("Delete")) != dialogs::kOther)
    return;
  // A memo's tables and pages go with it.
  const DocumentTrash trashed = trashDocumentWithCompanions(path);
  playFeedbackSound(QStringLiteral("Basso"));
  if (!trashed.document.ok) {
    // The item is still there: say so instead of showing it gone.
    reportToConsole({trashed.document.error});
    dialogs::alert(a_.window, QStringLiteral("Delete : ") + name, trashed.document.error);
    return;
  }
  reportToConsole(trashed.errors);
  // What is gone is marked no more (a later Move Marked would miss it).
  marks_.forget(path);
  if (!trashed.document.trashedPath.isEmpty()) tellDocumentTrashed(path);
  deleteRirekiFile(path);
  adjustRireki();
  call(a_.reloadBrowser);
  if (a_.setBrowserPath) a_.setBrowserPath(parentOf(path));
  call(a_.clearPreview);
  // Nothing is shown now: the switch is off, whatever the folder's mark.
  checkMark(shown());
}

void FinderSheetOperations::dupulicateAction() {
  const QString path = browsed();
  if (path.isEmpty()) return;
  if (isFinderFolder(path) &&
      dialogs::alert(a_.window, QStringLiteral("Duplicate folder : ") + QFileInfo(path).fileName(),
                     QStringLiteral("Do you want to duplicate this folder ?"), QStringLiteral("Cancel"),
                     QString(), QStringLiteral("Duplicate")) != dialogs::kOther)
    return;
  call(a_.saveDocument);
  dupulicatFileAndFolder(path);
}

void FinderSheetOperations::dupulicatFileAndFolder(const QString& path) {
  QString copy;
  const bool copied = duplicateItem(path, &copy);
  if (!copied) reportToConsole({QStringLiteral("%1 cannot be copied to %2.").arg(path, copy)});
  playFeedbackSound(copied ? QStringLiteral("Ping") : QStringLiteral("Basso"));
  call(a_.reloadBrowser);
  if (a_.setBrowserPath) a_.setBrowserPath(path);
}

void FinderSheetOperations::makeNewFolder() {
  call(a_.saveDocument);
  const QString path = browsed();
  if (path.isEmpty()) return;
  const QString parent = isFinderFolder(path) ? path : parentOf(path);
  QString folder;
  switch (makeNewFolderIn(parent, &folder)) {
    case NewFolderOutcome::Exists:
      return;
    case NewFolderOutcome::Failed:
      reportToConsole({QStringLiteral("The folder %1 cannot be created.").arg(folder)});
      playFeedbackSound(QStringLiteral("Basso"));
      return;
    case NewFolderOutcome::Created:
      break;
  }
  playFeedbackSound(QStringLiteral("Pop"));
  call(a_.reloadBrowser);
  if (a_.setBrowserPath) a_.setBrowserPath(folder);
  call(a_.previewBrowsed);
}

}  // namespace pravella
