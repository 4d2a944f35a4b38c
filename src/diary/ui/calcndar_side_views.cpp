// The side views of the main window (which one is open, closing them all after saving their
// memos), the memo menu buttons with their functions and scripts, and the memo commands the
// language sends to the memo sheet.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/document_commands.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/menu_script.h"
#include "editors/ui/temporary_highlights.h"
#include "lang/builtins/command_bridge.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "tools/bookmarks/document_moves.h"
#include "tools/pictures/memo_picture.h"

namespace {

// The functions of memo menu buttons 0-9 when no script is set.
const char* const kButtonFunctions[10] = {
    "cal_new",        "cal_saveDocument",    "cal_beforeMemo",   "cal_nextMemo",
    "cal_calculate",  "cal_openToDoWindow",  "cal_openURLSheet", "cal_noDurty",
    "cal_openFolder", "cal_toggleToolSheet",
};
const char* const kButtonTitles[10] = {"New",  "Save", "Back",  "Next",   "Calc",
                                       "ToDo", "URL",  "Clean", "Folder", "Tool"};

// A command's fields; nullopt unless there are at least `count`.
std::optional<QStringList> fields(const QString& payload, int count) {
  const QStringList parts = payload.split(QLatin1Char('\t'));
  if (parts.size() < count) return std::nullopt;
  return parts;
}

// The leading integer of a text, as the commands read their number fields.
int intValue(const QString& text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (ok) return n;
  return static_cast<int>(text.trimmed().toDouble());
}

}  // namespace

void Calcndar::buildSideViews() {
  memoSheet_ = new pravella::MemoSheetDrawer(window_);
  // The view owns the sheet's document: it still reads it while the window goes down.
  memoSheetDocument_->setParent(memoSheet_->toggleMemoField());
  memoSheet_->toggleMemoField()->setDocument(memoSheetDocument_);
  window_->addSideView(memoSheet_);
  memoSheet_->hide();
  pictureDrawer_ = new pravella::PictureDrawer(window_);
  window_->addSideView(pictureDrawer_);
  pictureDrawer_->hide();

  if (QMenu* file = window_->findChild<QMenu*>(QStringLiteral("fileMenu"))) {
    QAction* first = file->actions().value(0);
    auto* newDoc = new QAction(tr("&New Memo"), file);
    newDoc->setObjectName(QStringLiteral("newFileAction"));
    newDoc->setShortcut(QKeySequence::New);
    connect(newDoc, &QAction::triggered, this, [this] { newFileAction(); });
    auto* saveDoc = new QAction(tr("&Save"), file);
    saveDoc->setObjectName(QStringLiteral("saveDocAction"));
    saveDoc->setShortcut(QKeySequence::Save);
    connect(saveDoc, &QAction::triggered, this, [this] { saveDocAction(); });
    auto* deleteDoc = new QAction(tr("Move to Trash"), file);
    deleteDoc->setObjectName(QStringLiteral("deleteFileAction"));
    connect(deleteDoc, &QAction::triggered, this, [this] {
      if (!redirectToFinder("deletetOnFinderSheet")) deleteFileAction();
    });
    // The shown memo in the application the desktop gives its type; the finder's item while
    // the finder text has the focus.
    auto* openWith = new QAction(tr("Open With Application"), file);
    openWith->setObjectName(QStringLiteral("openWithAction"));
    connect(openWith, &QAction::triggered, this, [this] {
      if (redirectToFinder("openWithDocumentOfBrowser") || nowDisplayedDocument_.isEmpty()) return;
      const QFileInfo info(nowDisplayedDocument_);
      openWithDesktop(info.absolutePath(), info.fileName());
    });
    file->insertActions(first, {newDoc, saveDoc, deleteDoc, openWith});
    file->insertSeparator(first);
  }
  // The memo's length and the selection's length.
  numOfTextSizeField_ = new QLabel(QStringLiteral("0"), window_);
  numOfTextSizeField_->setObjectName(QStringLiteral("numOfTextSizeField"));
  numOfSelectedTextSizeField_ = new QLabel(QStringLiteral("0"), window_);
  numOfSelectedTextSizeField_->setObjectName(QStringLiteral("numOfSelectedTextSizeField"));
  window_->statusBar()->addPermanentWidget(numOfSelectedTextSizeField_);
  window_->statusBar()->addPermanentWidget(numOfTextSizeField_);
  connect(window_->documentView(), &QTextEdit::selectionChanged, this,
          [this] { textViewDidChangeSelection(); });

  buildMemoMenuItems();

  QMenu* recent = window_->menuBar()->addMenu(tr("&Recent Memo"));
  recent->setObjectName(QStringLiteral("recentMemoMenu"));
  recentMemoMenu_ = recent;
  recentMemoMenu2_ = new QMenu(window_);
  recentMemoMenu2_->setObjectName(QStringLiteral("recentMemoMenu2"));

  for (int tag = 0; tag < pravella::MainWindow::kMemoMenuButtons; ++tag) {
    QAbstractButton* b = window_->memoMenuButtons()->button(tag);
    if (!b) continue;
    if (tag >= 10) continue;
    if (b->text().isEmpty()) b->setText(QString::fromLatin1(kButtonTitles[tag]));
    b->setVisible(true);
  }
  connect(window_->memoMenuButtons(), &QButtonGroup::idClicked, this,
          [this](int tag) { memoMenuButtonsAction(tag); });
}

void Calcndar::buildMemoMenuItems() {
  // The memo sheet, checked while it is open.
  if (QMenu* view = window_->findChild<QMenu*>(QStringLiteral("viewMenu"))) {
    auto* sheet = view->addAction(tr("Memo &Sheet"));
    sheet->setObjectName(QStringLiteral("toggleMemoSheetAction"));
    sheet->setCheckable(true);
    sheet->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    connect(sheet, &QAction::triggered, this, [this, sheet] {
      openMemoView();
      sheet->setChecked(!memoSheet_->isHidden());
    });
    connect(memoSheet_, &QDockWidget::visibilityChanged, sheet,
            [this, sheet] { sheet->setChecked(!memoSheet_->isHidden()); });
  }
  QMenu* edit = window_->editMenu();
  if (!edit) return;
  auto* table = edit->addAction(tr("Open &Table at Caret"));
  table->setObjectName(QStringLiteral("checkSheetTableAction"));
  table->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
  connect(table, &QAction::triggered, this, [this] {
    if (!checkSheetTable()) refuse(tr("No table name between \"<\" and \">\" at the caret."));
  });
  edit->addSeparator();
  auto* insert = edit->addAction(tr("Insert &Remembered String"));
  insert->setObjectName(QStringLiteral("DoInsertRememberStringAction"));
  insert->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
  connect(insert, &QAction::triggered, this, [this] { DoInsertRememberString(); });
  auto* search = edit->addAction(tr("Search Memos for Remembered String"));
  search->setObjectName(QStringLiteral("DoRememberAction"));
  connect(search, &QAction::triggered, this, [this] { DoRemember(); });
}

void Calcndar::refuse(const QString& why) {
  window_->statusBar()->showMessage(why, 10000);
  sound("Basso");
}

QTextEdit* Calcndar::memoSheetField() const { return memoSheet_ ? memoSheet_->toggleMemoField() : nullptr; }

QTextEdit* Calcndar::focusedTextView() const {
  QWidget* focus = QApplication::focusWidget();
  if (focus == window_->documentView()) return window_->documentView();
  if (focus && focus == memoSheetField()) return memoSheetField();
  return nullptr;
}

// ---------------------------------------------------------------- which view is open

int Calcndar::setToggleStatus(int status) {
  const int old = toggleStatus_;
  if (beforeSheet_ == old && old != 0) {
    toggleStatus_ = status;
    return old;
  }
  if (old != status) beforeSheet_ = old;
  toggleStatus_ = status;
  return old;
}

bool Calcndar::saveSideViewTexts() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  if (toggleStatus_ == 14) center.post(QStringLiteral("saveLauncherMemo"));
  if (toggleStatus_ == 10) center.post(QStringLiteral("saveBookMarkMemo"));
  if (toggleStatus_ == 15) center.post(QStringLiteral("sheetTableSaveAction"));
  const bool sheetSaved = saveMemoSheetDocument();
  if (Pravella_X) Pravella_X->saveDocAction();  // the row memo view under the month list
  center.post(QStringLiteral("saveTextOnFinderSheet"));
  return sheetSaved;
}

void Calcndar::closeAllToggleView() {
  auto& center = pravella::NotificationCenter::defaultCenter();
  // The open view's memo is saved before it closes.
  saveSideViewTexts();
  if (memoSheet_) memoSheet_->hide();
  if (pictureDrawer_) pictureDrawer_->hide();
  for (const QPointer<QDockWidget>& view : toolSideViews_)
    if (view) view->hide();
  center.post(QStringLiteral("stopSlideShow"));
  pravella::clearTemporaryHighlights(window_->documentView());
}

void Calcndar::addSideView(QDockWidget* view) {
  if (!view) return;
  window_->addSideView(view);
  view->hide();
  toolSideViews_.emplace_back(view);
}

void Calcndar::openBeforeSheet() {
  closeAllToggleView();
  if (beforeSheet_ == toggleStatus_) return;
  const int status = beforeSheet_;
  if (status == 1 && SheetCanOpen.load() != 0 && memoSheet_) memoSheet_->show();
  if (status == 5 && SheetCanOpen.load() != 0 && pictureDrawer_) pictureDrawer_->show();
  setToggleStatus(status);
}

void Calcndar::openMemoView() {
  if (SheetCanOpen.load() == 0) return;
  if (memoSheet_->isVisible()) {
    closeAllToggleView();
    setToggleStatus(0);
    return;
  }
  openMemoViewOpen();
}

void Calcndar::openMemoViewOpen() {
  if (SheetCanOpen.load() == 0) return;
  closeAllToggleView();
  memoSheetField()->setReadOnly(false);
  memoSheet_->show();
  setToggleStatus(1);
}

void Calcndar::openDocumentOnMemo(const QString& path) {
  if (SheetCanOpen.load() == 0 || !calendarOption_) return;
  closeAllToggleView();
  if (!QFileInfo::exists(path)) return;
  // The options controller saves the sheet's text, records the file in its history and reads
  // it; when the sheet cannot be saved the sheet keeps its text and stays closed.
  if (!calendarOption_->openDocumentOnMemoSheet(path)) return;
  memoSheet_->show();
  setToggleStatus(1);
}

bool Calcndar::redirectToFinder(const char* name) {
  QWidget* focus = window_->focusWidget();
  if (!finderTextView_ || focus != finderTextView_) return false;
  pravella::NotificationCenter::defaultCenter().post(QString::fromLatin1(name));
  return true;
}

void Calcndar::pasteDateAction() {
  if (redirectToFinder("pasteDateInFinderText")) return;
  QWidget* focus = window_->focusWidget();
  if (focus == window_->documentView())
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("pasteDateInMainDoc"));
  else if (calendarOption_ && focus && focus == memoSheetField())
    calendarOption_->pasteDateAction_X();
  else if (Pravella_X && focus && focus == Pravella_X->subTextView())
    Pravella_X->pasteDateAction();
  else
    for (const auto& [view, paste] : dateStampViews_)
      if (view && focus == view) paste(false);
}

void Calcndar::pasteDateTimeAction() {
  if (redirectToFinder("pasteDateTimeInFinderText")) return;
  QWidget* focus = window_->focusWidget();
  if (focus == window_->documentView())
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("pasteDateTimeInMainDoct"));
  else if (calendarOption_ && focus && focus == memoSheetField())
    calendarOption_->pasteDateTimeAction_X();
  else if (Pravella_X && focus && focus == Pravella_X->subTextView())
    Pravella_X->pasteDateTimeAction();
  else
    for (const auto& [view, paste] : dateStampViews_)
      if (view && focus == view) paste(true);
}

void Calcndar::addDateStampView(QWidget* view, std::function<void(bool)> paste) {
  dateStampViews_.emplace_back(view, std::move(paste));
}

void Calcndar::autoIndent() {
  QTextEdit* view = calendarOption_ ? calendarOption_->focusedTextView() : nullptr;
  if (!view) {
    sound("Basso");
    return;
  }
  calendarOption_->DoAutoIndent(view);
  sound("Tink");
}

void Calcndar::showPictureView(const QImage& image) {
  if (SheetCanOpen.load() == 0) return;
  pictureDrawer_->showImage(image);
  pictureDrawer_->show();
  setToggleStatus(5);
}

// ---------------------------------------------------------------- memo menu buttons

void Calcndar::memoMenuButtonsAction(int tag) {
  if (tag < 0 || tag >= static_cast<int>(menuScriptFileName_.size())) return;
  const QString script = menuScriptFileName_[tag];
  auto& center = pravella::NotificationCenter::defaultCenter();
  if (script.size() < 2) {
    if (tag < 10) center.post(QString::fromLatin1(kButtonFunctions[tag]));
    return;
  }
  // A button may carry a one-line program instead of a file name.
  pravella::runMenuScript(script, window_);
}

void Calcndar::executeCommandScript(const QString& name) {
  auto& center = pravella::NotificationCenter::defaultCenter();
  const QString path = pravella::paths::commandScripts() + QLatin1Char('/') + name;
  if (QFileInfo::exists(path)) {
    bool ok = false;
    const QString text = pravella::plainTextOfRichTextFile(path, &ok);
    if (ok) center.post(QStringLiteral("calculationOnCommandScript"), text);
    return;
  }
  center.post(QStringLiteral("calculationOnCommandScript"), name);
}

// ---------------------------------------------------------------- small actions

int Calcndar::calcDocLines() const {
  return static_cast<int>(window_->documentView()->toPlainText().split(QLatin1Char('\n')).size());
}

void Calcndar::showNumOfTextSize() {
  const int length = window_->documentView()->document()->characterCount() - 1;
  numOfTextSizeField_->setText(QString::number(length));
}

void Calcndar::textViewDidChangeSelection() {
  const QTextCursor c = window_->documentView()->textCursor();
  numOfSelectedTextSizeField_->setText(QString::number(c.selectionEnd() - c.selectionStart()));
}

void Calcndar::dispDocumentView() {
  setDocBackGroundColor(compSelectedDocumentDate(
      nowDisplayedDocument_.isEmpty() ? dayFolder() + QStringLiteral("/x") : nowDisplayedDocument_));
  window_->documentView()->viewport()->update();
}

bool Calcndar::checkSheetTable() {
  mainTextView* memo = window_->documentView();
  const QString text = memo->toPlainText();
  // The start of the selection: a double click has selected the name's word, and a name that
  // ends the text is still found.
  const int cursor = memo->textCursor().selectionStart();
  const int length = static_cast<int>(text.size());
  int open = -1;
  for (int i = cursor; i >= 0 && i <= length - 3; --i) {
    const QChar c = text[i];
    if (c == QLatin1Char('<')) {
      open = i;
      break;
    }
    if (c == QLatin1Char('\n') || c == QLatin1Char(' ') || c == QLatin1Char('\t')) break;
  }
  int close = -1;
  for (int i = cursor; i < length; ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char('>')) {
      close = i;
      break;
    }
    if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char(' ') || c == QLatin1Char('\t'))
      break;
  }
  if (open < 0 || close < 0 || close <= open) return false;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("sheetTableOpenAction"),
                                                     text.mid(open + 1, close - open - 1));
  return true;
}

// ---------------------------------------------------------------- observers

void Calcndar::registerDocumentObservers() {
  using pravella::Notification;
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  // Documents and history.
  on("cal_new", [this](Notification&) { newDocument(); });
  on("mainTextViewDidChange", [this](Notification&) { textDidChange(); });
  on("adjustSaveDurtyButton", [this](Notification&) { adjustSaveDurtyButton(); });
  on("cal_adjustSaveDurtyButton", [this](Notification&) { adjustSaveDurtyButton(); });
  on("cal_noDurty", [this](Notification&) { noDurtyAction(); });
  on("cal_changeFileTableForeColor", [this](Notification& n) { changeTableFontForeColor(intValue(n.text)); });
  on("cal_toggleTableFontForeColor", [this](Notification&) { toggleTableFontForeColor(); });
  on("cal_clickNumberOnDiaryFileTable",
     [this](Notification& n) { clickNumberOnDiaryFileTable_ = intValue(n.text); });
  on("cal_clearHistory", [this](Notification&) { clearHistoryAction(); });
  on("cal_beforeMemo", [this](Notification&) { beforeDocumentAction(); });
  on("cal_nextMemo", [this](Notification&) { afterDocumentAction(); });
  on("cal_adjustRirekiButton", [this](Notification&) { adjustRirekiButton(); });
  on("showNumOfTextSize", [this](Notification&) { showNumOfTextSize(); });
  // Documents moved, renamed or trashed in another view (the finder): the day's list follows.
  on(pravella::kDocumentMovedNotification, [this](Notification&) { refreshDiaryFilesAfterMove(); });
  on(pravella::kDocumentTrashedNotification, [this](Notification&) { refreshDiaryFilesAfterMove(); });
  // A picture window's resized picture goes into the main memo, over a selected picture.
  on("pasteImageToDocument", [this](Notification& n) {
    QTextCursor cursor = window_->documentView()->textCursor();
    if (!pravella::pastePictureFile(cursor, n.text)) return;
    window_->documentView()->setTextCursor(cursor);
    sound("Tink");
  });
  on("cal_openWithTextEdit", [this](Notification&) {
    if (nowDisplayedDocument_.isEmpty()) return;
    const QFileInfo info(nowDisplayedDocument_);
    openWithDesktop(info.absolutePath(), info.fileName());
  });
  on("cal_openFolder", [this](Notification&) {
    if (!nowDisplayedDocument_.isEmpty() && QFileInfo::exists(nowDisplayedDocument_)) {
      const QFileInfo info(nowDisplayedDocument_);
      openWithDesktop(info.absolutePath(), info.absolutePath());
      sound("Tink");
    } else {
      openWithDesktop(dayFolder(), dayFolder());
    }
  });

  // Side views.
  on("cal_getOpenedSheet", [this](Notification&) { pravella::answerNumber(toggleStatus_); });
  for (const char* name : {"cal_closeMemoSheet", "cal_closeSheet", "cal_closeToolSheet"})
    on(name, [this](Notification&) { closeAllToggleView(); });
  on("cal_toggleMemoSheet", [this](Notification&) { openMemoView(); });
  on("cal_openMemoSheet", [this](Notification&) { openMemoViewOpen(); });
  on("openDocumentOnMemo", [this](Notification& n) { openDocumentOnMemo(n.text); });

  // Memo menu buttons.
  on("cal_setDocMenuSctipt", [this](Notification& n) {
    const auto f = fields(n.text, 2);
    if (!f) return;
    const int k = intValue(f->at(0));
    if (k >= 1 && k <= 10) menuScriptFileName_[k - 1] = f->at(1);
  });
  on("cal_setDocMenuTitle", [this](Notification& n) {
    const auto f = fields(n.text, 2);
    if (!f) return;
    const int k = intValue(f->at(0));
    if (k >= 1 && k <= 10)
      if (QAbstractButton* b = window_->memoMenuButtons()->button(k - 1)) {
        b->setText(f->at(1));
        b->setVisible(true);
      }
  });
  on("cal_setDocMenuButton", [this](Notification& n) {
    const auto f = fields(n.text, 3);
    if (!f) return;
    const int k = intValue(f->at(0));
    if (k < 1 || k > 20) return;
    if (QAbstractButton* b = window_->memoMenuButtons()->button(k - 1)) {
      b->setText(f->at(1));
      b->setVisible(true);
    }
    menuScriptFileName_[k - 1] = f->at(2);
  });
  on("cal_getDocMenuTitle", [this](Notification& n) {
    const int k = intValue(n.text);
    QString title;
    if (k >= 1 && k <= 10)
      if (QAbstractButton* b = window_->memoMenuButtons()->button(k - 1)) title = b->text();
    pravella::answerString(title);
  });
  on("cal_setSaveButtonNumber", [this](Notification& n) { saveButtonNumber_ = intValue(n.text); });
  on("cal_setNoDurtyButtonNumber", [this](Notification& n) { mihensyuButtonNumber_ = intValue(n.text); });
  on("cal_setBeforeyButtonNumber", [this](Notification& n) { beforeButtonNumber_ = intValue(n.text); });
  on("cal_setNextButtonNumber", [this](Notification& n) { afterButtonNumber_ = intValue(n.text); });
  on("cal_setAllMemoButtonEnable", [this](Notification&) {
    for (int tag = 0; tag < 10; ++tag)
      if (QAbstractButton* b = window_->memoMenuButtons()->button(tag)) b->setEnabled(true);
  });
  on("cal_executeCommandScript", [this](Notification& n) { executeCommandScript(n.text); });

  // Memo commands: they act on the memo sheet, not on the main memo. Answers go onto the
  // running program's stack.
  namespace dc = pravella::doc_commands;
  on("cal_getAllMemo", [this](Notification&) { dc::answerAllText(memoSheetField()); });
  on("cal_getSelectedMemo", [this](Notification&) { dc::answerSelectedText(memoSheetField()); });
  on("cal_getMemoSelectedRange", [this](Notification&) { dc::answerSelectedRange(memoSheetField()); });
  on("cal_getMemoLength", [this](Notification&) { dc::answerLength(memoSheetField()); });
  on("cal_setMemoSelectedAll", [this](Notification&) { dc::selectAll(memoSheetField()); });
  on("cal_setMemoSelectedRange", [this](Notification& n) { dc::selectRange(memoSheetField(), n.text); });
  on("cal_memoCopy", [this](Notification&) { memoSheetField()->copy(); });
  on("cal_memoCut", [this](Notification&) { memoSheetField()->cut(); });
  on("cal_memoPaste", [this](Notification&) { memoSheetField()->paste(); });
  on("cal_insertTextToMemo", [this](Notification& n) { dc::insertText(memoSheetField(), n.text); });
  on("cal_pasteToMemoFromDoc", [this](Notification&) {
    mainTextView* memo = window_->documentView();
    const QTextCursor kept = memo->textCursor();
    QTextCursor source = kept;
    if (!source.hasSelection()) source.select(QTextCursor::Document);
    memoSheetField()->textCursor().insertFragment(source.selection());
    memo->setTextCursor(kept);
  });
  on("cal_getDocumentPath", [this](Notification&) { pravella::answerString(nowDisplayedDocument_); });
  on("cal_dispDocumentView", [this](Notification&) { dispDocumentView(); });
  on("cal_buildAmModeObject", [this](Notification& n) {
    const QString text = n.text.size() < 8 ? window_->documentView()->toPlainText() : n.text;
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("buildAmModeObject"), text);
  });
}
