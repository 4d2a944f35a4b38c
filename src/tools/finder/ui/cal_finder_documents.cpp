// The finder sheet's documents: saving on every way out, renaming through the name field, new
// documents from the template, date stamps and copying to and from the main memo.

#include <QCheckBox>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

#include "diary/document_companions.h"
#include "editors/open_documents.h"
#include "editors/text_services.h"
#include "editors/ui/document_save.h"
#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/finder/finder_files.h"
#include "tools/finder/fs_node_info.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/finder/ui/fs_browser.h"

namespace finder = pravella::finder;

namespace {

const QString kRefusal = QStringLiteral("Sorry, I can not accept your request");

bool entryExists(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

}  // namespace

QString CalFinder::fieldNameOf(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  return name.endsWith(QLatin1String(".rtfd")) ? name.left(name.size() - 5) : name;
}

void CalFinder::setUnsaved(bool unsaved) {
  durtySwitch_->setChecked(unsaved);
  saveButton_->setEnabled(unsaved);
}

void CalFinder::textDidChange() { setUnsaved(true); }

// ---------------------------------------------------------------- saving and renaming

void CalFinder::saveDocument() {
  const QString field = fileNameField_->text();
  if (field.isEmpty() || nowOpendFilePath_.isEmpty()) return;
  const QFileInfo info(nowOpendFilePath_);
  const QString ext = info.suffix();
  const QString oldName = info.fileName();
  const QString folder = info.absolutePath();
  const bool unsaved = durtySwitch_->isChecked();
  // A name is one component: "a/b" would move the item elsewhere.
  if (field.contains(QLatin1Char('/'))) {
    alert(QStringLiteral("Particular Name !"), kRefusal);
    fileNameField_->setText(fieldNameOf(nowOpendFilePath_));
    return;
  }

  if (ext == QLatin1String("rtfd")) {
    const QString newName = field.endsWith(QLatin1String(".rtfd")) ? field : field + QStringLiteral(".rtfd");
    // Written first; an edited name is applied by the next save.
    if (unsaved) {
      saveAction(nowOpendFilePath_);
      return;
    }
    if (newName != oldName) renameShown(folder + QLatin1Char('/') + newName, true);
    return;
  }
  if (ext == QLatin1String("rtf")) {
    const QString newName = field.endsWith(QLatin1String(".rtf")) ? field : field + QStringLiteral(".rtf");
    // A text that is not written stays marked unsaved, so another save can still write it.
    if (unsaved && writeShown(nowOpendFilePath_, true)) {
      addRireki(nowOpendFilePath_);
      setUnsaved(false);
      sound("Pop");
    }
    if (newName != oldName) renameShown(folder + QLatin1Char('/') + newName, true);
    return;
  }

  // Anything else, folders included: the field's text is the whole new name.
  if (field == oldName) return;
  const QString newPath = folder + QLatin1Char('/') + field;
  if (entryExists(newPath)) {
    alert(QStringLiteral("Same Name !"), kRefusal);
    fileNameField_->setText(oldName);
    return;
  }
  if (finder::isProtectedFolder(nowOpendFilePath_) ||
      nowOpendFilePath_.compare(newPath, Qt::CaseInsensitive) == 0) {
    alert(QStringLiteral("Particular Name !"), kRefusal);
    fileNameField_->setText(oldName);
    return;
  }
  renameShown(newPath, false);
}

void CalFinder::renameShown(const QString& newPath, bool addToHistory) {
  if (entryExists(newPath)) {
    alert(QStringLiteral("Same Name !"), kRefusal);
    fileNameField_->setText(fieldNameOf(nowOpendFilePath_));
    return;
  }
  const bool textShown = textSlot_->shows(nowOpendFilePath_);
  // A memo's tables and pages go with it, or nothing moves.
  const pravella::DocumentMove moved = pravella::moveDocumentWithCompanions(nowOpendFilePath_, newPath);
  if (!moved.ok) {
    sound("Basso");
    showErrMessageToConsole(
        ("Can not rename " + nowOpendFilePath_ + " to " + newPath + ": " + moved.error + "\n").toStdString());
    alert(QStringLiteral("Can't rename !"), moved.error);
    fileNameField_->setText(fieldNameOf(nowOpendFilePath_));
    return;
  }
  pravella::tellDocumentMoved(nowOpendFilePath_, newPath);
  nowOpendFilePath_ = newPath;
  if (textShown) textSlot_->shown(newPath);
  if (addToHistory) addRireki(newPath);
  sound("Pop");
  fsBrowser_->loadColumnZero();
  fsBrowser_->setPath(nowOpendFilePath_);
  checkMark(nowOpendFilePath_);  // a marked item stays marked under its new name
}

bool CalFinder::writeShown(const QString& path, bool rtf) {
  const pravella::DocumentSave saved = pravella::saveDocumentGuarded(
      *textSlot_, path,
      [this, rtf](const QString& target) {
        const QTextDocument& doc = *finderTextView_->document();
        return rtf ? pravella::writeRtfFile(target, doc) : pravella::writeRtfdFile(target, doc);
      },
      host_.mainWindow);
  if (!saved.ok()) {
    sound("Basso");
    showErrMessageToConsole(("Can not save " + path + ": " + saved.error + "\n").toStdString());
  }
  return saved.ok();
}

bool CalFinder::saveAction(const QString& path) {
  if (!writeShown(path, false)) return false;
  // The text may have gone beside the file ("keep both"): that is the document shown now.
  const QString shown = textSlot_->path().isEmpty() ? path : textSlot_->path();
  addRireki(shown);
  if (fsBrowser_->path() != shown) fsBrowser_->setPath(shown);
  sound("Pop");
  setUnsaved(false);
  finderTextView_->document()->setModified(false);
  return true;
}

// ---------------------------------------------------------------- new documents

void CalFinder::loadTemplateDocument() {
  const QString browsed = fsBrowser_->path();
  const QString folder = pravella::isBrowsableFolder(browsed) ? browsed : QFileInfo(browsed).absolutePath();
  nowOpendFilePath_ = finder::newDocumentPath(folder);
  textSlot_->shown(nowOpendFilePath_);
  finderTextView_->setReadOnly(false);
  fileNameField_->setReadOnly(false);
  QString tpl = pravella::paths::preferences() + QStringLiteral("/template.rtf");
  if (!QFileInfo::exists(tpl)) tpl = pravella::paths::resource(QStringLiteral("template.rtf"));
  const QSignalBlocker quiet(finderTextView_);
  finderTextView_->setAcceptRichText(true);
  if (!pravella::readRichTextFile(tpl, *finderTextView_->document())) finderTextView_->clear();
  finderTextView_->document()->setModified(false);
  finderTextView_->viewport()->update();
}

void CalFinder::newAction() {
  saveDocument();
  if (dispStatus_ != kDispText) setFinderTextScrollView();
  loadTemplateDocument();
  fileNameField_->setText(QFileInfo(nowOpendFilePath_).completeBaseName());
  if (!saveAction(nowOpendFilePath_)) {
    setUnsaved(true);
    return;
  }
  fsBrowser_->loadColumnZero();
  fsBrowser_->setPath(nowOpendFilePath_);
  finderTextView_->setFocus();
}

// ---------------------------------------------------------------- date stamps

void CalFinder::pasteStamp(bool withTime) {
  if (finderTextView_->isReadOnly()) return;
  QTextCursor cursor = finderTextView_->textCursor();
  const int start = cursor.selectionStart();
  cursor.insertText(finder::dateStamp(QDateTime::currentDateTime(), withTime));
  // The date itself, behind the blank and the bracket, in the stamp colour.
  QTextCursor date(finderTextView_->document());
  date.setPosition(start + 2);
  date.setPosition(start + 2 + (withTime ? 19 : 10), QTextCursor::KeepAnchor);
  QTextCharFormat format;
  format.setForeground(QColor::fromRgbF(dateFontColor[0], dateFontColor[1], dateFontColor[2], 1.0f));
  date.mergeCharFormat(format);
  finderTextView_->setTextCursor(cursor);
  sound("Tink");
}

void CalFinder::pasteDateAction() { pasteStamp(false); }

void CalFinder::pasteDateTimeAction() { pasteStamp(true); }

// ---------------------------------------------------------------- the main memo

namespace {

// Copies the view's selection, or all its text, to the clipboard and keeps its selection.
void copyFrom(QTextEdit* view) {
  const QTextCursor kept = view->textCursor();
  if (!kept.hasSelection()) view->selectAll();
  view->copy();
  view->setTextCursor(kept);
}

}  // namespace

void CalFinder::toMemoAction() {
  QTextEdit* memo = host_.documentView;
  if (!memo || memo->isReadOnly()) return;
  copyFrom(finderTextView_);
  memo->paste();
}

void CalFinder::fromMemoAction() {
  QTextEdit* memo = host_.documentView;
  if (!memo || finderTextView_->isReadOnly()) return;
  copyFrom(memo);
  finderTextView_->paste();
}
