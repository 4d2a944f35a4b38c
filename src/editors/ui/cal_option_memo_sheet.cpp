// The memo sheet: which file it shows, its history, its title line and changed mark, and its
// saving. Nothing replaces the sheet's content before that content is saved where it belongs
// (the document it shows, or the scratch memo); when that save fails, nothing replaces it.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

#include "diary/day_documents.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/attachment_name.h"
#include "editors/memo_format.h"
#include "editors/open_documents.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/document_save.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/trashed_document.h"
#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"

namespace {

void logLine(const QString& text) { showErrMessageToConsole((text + QLatin1Char('\n')).toStdString()); }

bool fileExists(const QString& path) { return QFileInfo::exists(path); }

}  // namespace

QString CalOption::scratchMemoPath() {
  return pravella::paths::preferences() + QStringLiteral("/tempMemo.rtfd");
}

QString CalOption::memoSheetFile() const {
  const QString shown = nowMemoPath();
  return shown.isEmpty() ? scratchMemoPath() : shown;
}

void CalOption::loadScratchMemo() {
  QTextDocument* doc = memoField()->document();
  loading_ = true;
  doc->clear();
  scratchUnreadable_ = false;
  const QString path = scratchMemoPath();
  {
    const pravella::ParkedWhileLoading parked(memoField());
    if (fileExists(path)) {
      if (!pravella::readRichTextFile(path, *doc)) {
        scratchUnreadable_ = true;
        logLine(QStringLiteral("The memo sheet %1 does not read as rich text.").arg(path));
      }
    } else if (const QString tpl = pravella::paths::resource(QStringLiteral("template.rtf"));
               fileExists(tpl)) {
      // A first memo sheet starts from the template (with its fonts), empty.
      pravella::readRichTextFile(tpl, *doc);
    }
  }
  doc->setModified(false);
  loading_ = false;
  memoField()->setReadOnly(false);
  sheetSlot_->shown(path);
  rireki_.leave();
  titleLine_.clear();
  sheet_->currentFileName()->clear();
  setDurty(false);
  adjustRireki();
}

void CalOption::showsScratchText() { sheetSlot_->shown(scratchMemoPath()); }

void CalOption::letGoOfTrashedDocument() {
  const QString gone = nowMemoPath();
  if (gone.isEmpty()) return;
  const pravella::TrashedDocumentEdits edits =
      pravella::keepEditsOfTrashedDocument(memoField(), gone, memoField()->document()->isModified(),
                                           [this](const QString& path) { return writeSheet(path); });
  rireki_.leave();
  adjustRireki();
  if (edits.kept) return loadScratchMemo();
  // Kept nowhere else: the text stays to be copied, but it belongs to no file and takes no
  // typing (typed, it would be saved over the scratch memo).
  setFileNameToTitle({});
  showsScratchText();
  memoField()->document()->setModified(false);
  memoField()->setReadOnly(true);
  setDurty(false);
}

void CalOption::setDurty(bool on) { sheet_->durtyButton()->setChecked(on); }

void CalOption::toggleDurtyButton() { setDurty(!sheet_->durtyButton()->isChecked()); }

void CalOption::textDidChange() {
  if (loading_) return;
  if (!titleLine_.isEmpty()) setDurty(true);
}

void CalOption::adjustRireki() {
  sheet_->beforeRirekiButton()->setEnabled(rireki_.canGoBack());
  sheet_->nextRirekiButton()->setEnabled(rireki_.canGoForward());
}

void CalOption::setFileNameToTitle(const QString& path) {
  titleLine_ = path.isEmpty() ? QString() : pravella::memoTitleLine(path);
  sheet_->currentFileName()->setText(titleLine_.trimmed());
}

bool CalOption::saveDocAction() {
  QTextDocument* doc = memoField()->document();
  // The sheet's content is written when it holds changes, the scratch text included (it has
  // no title line, but it is the user's text all the same).
  if (!doc->isModified()) {
    setDurty(false);
    return true;
  }
  const QString path = memoSheetFile();
  if (nowMemoPath().isEmpty()) {
    if (!QDir().mkpath(pravella::paths::preferences())) {
      logLine(QStringLiteral("Can not save the memo sheet: %1 cannot be created.")
                  .arg(pravella::paths::preferences()));
      sound("Basso");
      return false;
    }
    if (scratchUnreadable_) {
      // The old file did not read, so the sheet did not show it: it is kept beside the new one.
      const QString aside = path + QStringLiteral(".unreadable");
      if (!fileExists(aside) && QFile::rename(path, aside)) scratchUnreadable_ = false;
      if (scratchUnreadable_) {
        logLine(QStringLiteral("Can not save the memo sheet: the unreadable %1 cannot be moved aside.")
                    .arg(path));
        sound("Basso");
        return false;
      }
    }
  }
  if (!saveWithSymbolicLink(path)) {
    sound("Basso");
    return false;
  }
  doc->setModified(false);
  if (!nowMemoPath().isEmpty()) sound("Tink");
  setDurty(false);
  return true;
}

bool CalOption::saveWithSymbolicLink(const QString& path) {
  const pravella::DocumentSave saved = pravella::saveDocumentGuarded(
      *sheetSlot_, path, [this](const QString& target) { return writeSheet(target); }, window_);
  return saved.ok();
}

pravella::WriteResult CalOption::writeSheet(const QString& path) {
  QString target = path;
  if (QFileInfo(path).isSymLink()) {
    const std::optional<QString> resolved = pravella::resolveSymbolicLink(path);
    if (!resolved) {
      const QString error = QStringLiteral("%1 is a chain of links that does not end.").arg(path);
      logLine(QStringLiteral("Can not save the memo sheet: ") + error);
      return {false, error};
    }
    target = *resolved;
  }
  // A plain .rtf document stays a single file.
  const bool singleFile =
      target.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive) && !QFileInfo(target).isDir();
  const pravella::WriteResult written = singleFile
                                            ? pravella::writeRtfFile(target, *memoField()->document())
                                            : pravella::writeRtfdFile(target, *memoField()->document());
  if (!written) logLine(QStringLiteral("Can not save the memo sheet: %1").arg(written.error));
  return written;
}

bool CalOption::readsAsRichText(const QString& path) const {
  QTextDocument probe;
  return pravella::readRichTextFile(pravella::resolveSymbolicLink(path).value_or(path), probe);
}

bool CalOption::loadIntoSheet(const QString& path) {
  if (!fileExists(path) || !readsAsRichText(path)) return false;
  QTextDocument* doc = memoField()->document();
  loading_ = true;
  {
    const pravella::ParkedWhileLoading parked(memoField());
    pravella::readRichTextFile(pravella::resolveSymbolicLink(path).value_or(path), *doc);
  }
  doc->setModified(false);
  loading_ = false;
  sheetSlot_->shown(path);
  memoField()->setReadOnly(false);
  memoField()->setTextCursor(QTextCursor(doc));
  memoField()->ensureCursorVisible();
  return true;
}

void CalOption::addRireki(const QString& path) {
  saveDocAction();
  setFileNameToTitle(path);
  rireki_.add(path);
  setDurty(false);
  adjustRireki();
}

bool CalOption::openDocumentOnMemoSheet(const QString& path) {
  if (!fileExists(path) || !readsAsRichText(path)) return false;
  // The sheet's own text goes where it belongs first; if it cannot, it stays on the sheet.
  if (!saveDocAction()) return false;
  addRireki(path);
  if (!loadIntoSheet(path)) return false;
  sound("Tink");
  return true;
}

void CalOption::nextRireki() {
  if (!saveDocAction()) return;
  // An entry that no longer reads is dropped like a vanished one: the sheet must never save
  // its other text over it.
  const QString path = rireki_.next([this](const QString& p) { return fileExists(p) && readsAsRichText(p); });
  showSteppedEntry(path);
  setDurty(false);
  adjustRireki();
}

void CalOption::beforeRireki() {
  if (!saveDocAction()) return;
  // An entry that no longer reads is dropped like a vanished one: the sheet must never save
  // its other text over it.
  const QString path =
      rireki_.before([this](const QString& p) { return fileExists(p) && readsAsRichText(p); });
  showSteppedEntry(path);
  setDurty(false);
  adjustRireki();
}

void CalOption::showSteppedEntry(const QString& path) {
  if (!path.isEmpty() && loadIntoSheet(path)) {
    setFileNameToTitle(path);
    sound("Tink");
  } else if (path.isEmpty()) {
    // Nothing left to show: the text on the sheet is scratch text from now on.
    setFileNameToTitle({});
    showsScratchText();
  }
}

void CalOption::memoAllClearAction() {
  if (!saveDocAction()) return;
  const bool wasScratch = nowMemoPath().isEmpty();
  QTextDocument* doc = memoField()->document();
  loading_ = true;
  doc->clear();
  if (const QString tpl = pravella::paths::resource(QStringLiteral("template.rtf")); fileExists(tpl))
    pravella::readRichTextFile(tpl, *doc);
  loading_ = false;
  // From now on the sheet holds scratch text: its next save goes to the scratch memo. Clearing
  // the scratch text is a change of it; clearing a document leaves the scratch memo on disk
  // alone until something is typed.
  doc->setModified(wasScratch);
  setFileNameToTitle({});
  showsScratchText();
  rireki_.leave();
  setDurty(false);
  adjustRireki();
}

void CalOption::clearMemoSheet() {
  if (!saveDocAction()) return;
  const bool wasScratch = nowMemoPath().isEmpty();
  setDurty(false);
  setFileNameToTitle({});
  showsScratchText();
  // An emptied sheet holds scratch text: what is typed next must not go over the document.
  rireki_.leave();
  adjustRireki();
  QTextDocument* doc = memoField()->document();
  memoField()->setReadOnly(false);
  memoField()->setFocus();
  loading_ = true;
  doc->clear();
  loading_ = false;
  doc->setModified(wasScratch);
  memoField()->setTextCursor(QTextCursor(doc));
  sound("Tink");
}

bool CalOption::openAttachmentAt(int position) {
  const QString folder = nowMemoPath();
  if (folder.isEmpty()) return false;
  const QString name = pravella::attachmentFileNameAt(*memoField()->document(), position);
  if (name.isEmpty()) return false;
  const QString path = folder + QLatin1Char('/') + name;
  return fileExists(path) && opener_ && opener_(path);
}

void CalOption::closeMemoSheet() { calendar_->closeAllToggleView(); }
