#include "editors/ui/main_text_view.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QStatusBar>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>

#include "diary/day_documents.h"
#include "diary/document_links.h"
#include "diary/ui/calcndar.h"
#include "editors/edit_journal.h"
#include "editors/gnuplot_block.h"
#include "editors/link_brackets.h"
#include "editors/memo_run_settings.h"
#include "editors/program_text_lines.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/format_panels.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/memo_drop.h"
#include "editors/ui/memo_height.h"
#include "editors/ui/paragraph_keys.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/command_bridge.h"
#include "lang/executor.h"
#include "lang/report.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/console_log.h"
#include "platform/find_text.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/progress_bar.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"
#include "platform/ui/sound_player.h"
#include "tools/jpeg_file.h"

namespace pravella {

// The document a run started in, after the memo went on to show another one: the run's
// output goes into this copy, which is written back to the document's file.
struct DetachedDocument {
  std::unique_ptr<QTextDocument> doc;
  QString path;       // empty: the document has no file
  QDateTime written;  // when its text file was last written, as the memo left it
};

// The file that holds a rich text document's text: TXT.rtf inside an RTFD folder.
QString textFileOf(const QString& path) {
  return QFileInfo(path).isDir() ? path + QStringLiteral("/TXT.rtf") : path;
}

// Where a run's output goes in the memo. Touched on the GUI thread only; the worker merely
// carries it from one queued edit to the next. Both cursors keep their place when someone
// else types at them, so the output stays right behind the code and text the user types
// meanwhile stays after it; only the run's own edits move `end` on.
struct MemoInsertion {
  QTextCursor start;
  QTextCursor end;
  bool begun = false;
  bool newlineFirst = false;
  std::shared_ptr<MemoInsertion> parent;  // a nested run goes in at its caller's caret
  int revision = -1;                      // the document's revision after this run's last edit
  // Root only: the document's revision after the run's last edit of any kind, and whether
  // someone else (the user typing) changed the document between the run's edits.
  int lastRevision = -1;
  bool editedMeanwhile = false;
  std::shared_ptr<DetachedDocument> detached;  // root only: the memo shows another document now
  // Root only: the run belongs to another memo view (the memo sheet, the row memo view); its
  // output goes there, or nowhere once that view is gone.
  bool inOtherView = false;
  QPointer<QTextEdit> otherView;
  // A run with no place of its own (a launch module, a posted program): the place of the text
  // it inserts is the caret where its first text comes, and stays there.
  bool atCaret = false;
  // The window said that the program's text goes on on new lines (its line grew too long).
  bool toldLineBreaks = false;
  // Root only: the memo cannot grow taller (see memo_height.h). Set on the GUI thread when the
  // text that fitted and the reason went in; the worker reads it and fails the run's next
  // display or inserted text, and the GUI drops the run's text but its status line, ".NO.".
  std::atomic<bool> refused{false};

  MemoInsertion& root() { return parent ? parent->root() : *this; }
};

}  // namespace pravella

namespace {

using pravella::MemoInsertion;

constexpr int kLongestLine = 32000;  // a caret line this long is not run (a selection is)

// The text of a selection or document range with paragraph and line separators as "\n".
QString plainOf(QString text) {
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  return text;
}

// Cursors belong to their document's thread: the last reference may drop on the worker, so
// the object is deleted on the GUI thread.
std::shared_ptr<MemoInsertion> newInsertion() {
  return std::shared_ptr<MemoInsertion>(new MemoInsertion, [](MemoInsertion* p) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
      delete p;
    } else {
      QMetaObject::invokeMethod(
          app, [p] { delete p; }, Qt::QueuedConnection);
    }
  });
}

QTextCursor fixedCursor(QTextDocument* doc, int position) {
  QTextCursor cursor(doc);
  cursor.setPosition(std::clamp(position, 0, doc->characterCount() - 1));
  cursor.setKeepPositionOnInsert(true);
  return cursor;
}

// The run's own insertion at `ins.end`: the cursor moves on with it, and so do the callers'
// ends that stood at the same place (their output follows the nested one).
void insertAtEnd(MemoInsertion& ins, const std::function<void(QTextCursor&)>& edit) {
  // Text typed at the cursor left its position but carried its anchor along: no selection
  // of the user's text may be replaced.
  ins.end.clearSelection();
  const int before = ins.end.position();
  ins.end.setKeepPositionOnInsert(false);
  edit(ins.end);
  ins.end.setKeepPositionOnInsert(true);
  const int after = ins.end.position();
  for (MemoInsertion* p = ins.parent.get(); p; p = p->parent.get())
    if (p->end.position() == before) p->end.setPosition(after);
}

void beginInsertion(QTextDocument* doc, MemoInsertion& ins) {
  if (ins.begun) return;
  if (ins.parent) {
    beginInsertion(doc, *ins.parent);
    ins.start = fixedCursor(doc, ins.parent->end.position());
    ins.end = fixedCursor(doc, ins.parent->end.position());
  }
  ins.begun = true;
  if (ins.newlineFirst) insertAtEnd(ins, [](QTextCursor& c) { c.insertText(QStringLiteral("\n")); });
}

// Why the run key found nothing to run at the caret (no selection).
QString nothingToRun(const QTextEdit* view) {
  const QTextBlock line = view->textCursor().block();
  if (line.length() - 1 >= kLongestLine)
    return QStringLiteral("Nothing run: the line at the caret is too long; select the code to run it.");
  return QStringLiteral("Nothing to run: the line at the caret is empty.");
}

// A run key that does nothing says why in the status line of the window that holds the view.
void sayWhyNothingRuns(QWidget* view, const QString& why) {
  for (QWidget* w = view; w; w = w->parentWidget()) {
    if (auto* main = qobject_cast<QMainWindow*>(w)) {
      main->statusBar()->showMessage(why, 5000);
      return;
    }
  }
  pravella::playFeedbackSound(QStringLiteral("Basso"));
}

QString statusLine(bool ok) { return ok ? QStringLiteral(".OK.\n") : QStringLiteral(".NO.\n"); }

}  // namespace

struct mainTextView::InsertBatch {
  InsertionPtr insertion;
  QString text;
  bool toPlace = false;  // goes to the run's place even in a document no longer shown
  qsizetype cost = 0;    // of the text, in kBatchCostLimit's units
  bool taken = false;    // the GUI thread has it
  bool endsRun = false;  // the text ends with the run's status line
};

mainTextView::mainTextView(QWidget* parent) : MemoEdit(parent) {
  setObjectName(QStringLiteral("DocumentView"));
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
  // Hidden until its window places it.
  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName(QStringLiteral("progressBar"));
  progressBar_->setRange(0, kProgressSteps);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  progressBar_->hide();
  setTickClock(nullptr);
  new pravella::LongMemoMoves(this);
}

mainTextView::~mainTextView() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (awake_ && qApp) qApp->removeEventFilter(this);
  // Closing must not wait for a long loop.
  breakRuns();
}

void mainTextView::breakRuns() {
  if (worker_.busy()) {
    // Broken as the held mouse button breaks a run.
    vkButtonDownSinceMs.store(1);
    worker_.finish([] { QCoreApplication::processEvents(); });
    vkButtonDownSinceMs.store(0);
  }
  worker_.finish([] { QCoreApplication::processEvents(); });
}

bool mainTextView::stopRuns(int waitMs) {
  // Held until the process ends: a run that looks at the break later still stops.
  vkButtonDownSinceMs.store(1);
  std::vector<std::pair<std::shared_ptr<InsertBatch>, QString>> handedOver;
  {
    const std::lock_guard lock(batchMutex_);
    outputStopped_.store(true);
    openBatch_.reset();
    for (const std::shared_ptr<InsertBatch>& batch : postedBatches_) {
      batch->taken = true;
      handedOver.emplace_back(batch, std::exchange(batch->text, QString()));
    }
    postedBatches_.clear();
  }
  batchTaken_.notify_all();
  // The text the programs gave before the end goes in now, each batch one short edit, so that
  // the end's save keeps it; what they give from now on is dropped.
  for (const auto& [batch, text] : handedOver)
    deliverText(batch->insertion, text, batch->toPlace, batch->endsRun);
  // A run may wait for this thread (a save it asked for): it is served meanwhile, and what
  // it hands over now is dropped as well.
  QElapsedTimer waited;
  waited.start();
  while (worker_.busy() && waited.elapsed() < waitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  if (worker_.busy()) return false;
  worker_.finish();
  vkButtonDownSinceMs.store(0);
  return true;
}

void mainTextView::awakeFromNib() {
  if (awake_) return;
  awake_ = true;
  using pravella::Delivery;
  using pravella::Notification;
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  const auto observe = [&](const char* name, std::function<void(Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn), Delivery::PostingThread);
  };
  observe("calculationOfCalcButton", [this](Notification&) { calculationOfCalcButton(); });
  observe("calculationOnEditModule", [this](Notification& n) { calculationOnEditModule(n.text); });
  observe("dispResultOfMatrixCalculator", [this](Notification& n) { onDisplay(n); });
  observe("pastePictureToDocument", [this](Notification& n) { pastePictureToDocument(n.text); });
  observe("calculationOnRunFunction", [this](Notification& n) { calculationOnRunFunction(n.text); });
  observe("calculationOnCommandScript", [this](Notification& n) { calculationOnCommandScript(n.text); });
  observe("calculationOnMemoMenu", [this](Notification& n) { calculationOnMemoMenu(n.text); });
  observe("cal_insertTextToDoc", [this](Notification& n) { insertTextToDoc(n.text); });
  observe("cal_useColorPanel", [this](Notification&) { postToGui([this] { useColorPanel(); }); });
  observe("cal_useFontPanel", [this](Notification&) { postToGui([this] { useFontPanel(); }); });
  observe("setProgressBar", [this](Notification& n) {
    const QStringList parts = n.text.split(QLatin1Char('\t'));
    if (parts.size() != 3) return;
    setProgressBar(parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble());
  });
  qApp->installEventFilter(this);
}

// ---------------------------------------------------------------------------------------
// Keys and the code under the caret

void mainTextView::keyPressEvent(QKeyEvent* event) {
  const bool runKey = event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape;
  const bool composing = !textCursor().block().layout()->preeditAreaText().isEmpty();
  // While a run goes on (this view's or another window's), Enter and Escape are ordinary keys.
  if (runKey && !composing && (worker_.busy() || pravella::vkRunInProgress()) &&
      event->key() == Qt::Key_Escape) {
    // Enter goes on as a new line; Escape would do nothing at all.
    sayWhyNothingRuns(
        this, QStringLiteral("A program is running: hold the mouse button down in its window to break it."));
    event->accept();
    return;
  }
  if (runKey && !composing && !worker_.busy() && !pravella::vkRunInProgress()) {
    const QString selected = plainOf(textCursor().selectedText());
    if (pravella::isGnuplotBlock(selected)) {
      DoGnuPlotCommand(selected);
    } else {
      const QString code = findExpression();
      if (code.isEmpty())
        sayWhyNothingRuns(this, nothingToRun(this));
      else
        calculationUsingBC(code);
    }
    event->accept();
    return;
  }
  if (!composing && modifierKeyCommand(event)) {
    event->accept();
    return;
  }
  if (pravella::insertParagraphKeepingFormats(this, event)) return;
  QTextEdit::keyPressEvent(event);
}

bool mainTextView::modifierKeyCommand(QKeyEvent* event) {
  // Command is Ctrl, Option is Alt, Control is Meta.
  const Qt::KeyboardModifiers mods = event->modifiers();
  const int key = event->key();
  if (mods.testFlag(Qt::ControlModifier) && mods.testFlag(Qt::AltModifier) &&
      (key == Qt::Key_Left || key == Qt::Key_Right)) {
    if (calendarOption_) {
      if (key == Qt::Key_Left)
        calendarOption_->decIndentForDocument_X(this);
      else
        calendarOption_->incIndentForDocument_X(this);
    }
    // The calendar observes it and marks the memo changed.
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("mainTextViewDidChange"));
    return true;
  }
  if (!mods.testFlag(Qt::MetaModifier) || !windowDelegate_) return false;
  switch (key) {
    case Qt::Key_Left:
      windowDelegate_->calendarDecDay();
      return true;
    case Qt::Key_Right:
      windowDelegate_->calendarIncDay();
      return true;
    case Qt::Key_Up:
      windowDelegate_->fileListTableUp();
      return true;
    case Qt::Key_Down:
      windowDelegate_->fileListTableDown();
      return true;
    default:
      return false;
  }
}

void mainTextView::setWindowDelegate(Calcndar* calendar) { windowDelegate_ = calendar; }

void mainTextView::setCalendarOption(CalOption* option) { calendarOption_ = option; }

void mainTextView::mousePressEvent(QMouseEvent* event) {
  if (windowDelegate_) windowDelegate_->doubleClickOnTextView(false);
  QTextEdit::mousePressEvent(event);
}

void mainTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  const Qt::KeyboardModifiers keys = event->modifiers();
  const QPoint at = event->globalPosition().toPoint();
  auto lookUp = [&] {
    const QString selected = plainOf(textCursor().selectedText());
    if (!lookUpHandler_ || !keys.testFlag(Qt::ControlModifier) || selected.isEmpty()) return false;
    const int caret = textCursor().selectionStart();
    if (pravella::checkDocumentLinkKakko(pravella::plainTextOf(*document()), caret) != 0) return false;
    lookUpHandler_(selected, keys.testFlag(Qt::ShiftModifier), at);
    return true;
  };
  if (lookUp()) return;
  QTextEdit::mouseDoubleClickEvent(event);  // selects the word
  if (lookUp()) return;
  if (doubleClickHandler_) doubleClickHandler_(keys);
}

void mainTextView::performFindPanelAction() {
  const QString selected = plainOf(textCursor().selectedText());
  if (!selected.isEmpty()) pravella::setProgramFindText(selected);
}

QString mainTextView::findExpression() { return findExpressionIn(this); }

QString mainTextView::findExpressionIn(QTextEdit* view) {
  QTextCursor cursor = view->textCursor();
  if (cursor.hasSelection()) {
    const QString selected = plainOf(cursor.selectedText());
    cursor.setPosition(cursor.selectionEnd());
    view->setTextCursor(cursor);
    return selected;
  }
  const QString all = plainOf(view->document()->toPlainText());
  const int caret = cursor.position();
  const int start = caret == 0 ? 0 : all.lastIndexOf(QLatin1Char('\n'), caret - 1) + 1;
  int end = all.indexOf(QLatin1Char('\n'), caret);
  if (end < 0) end = static_cast<int>(all.size());
  const int length = end - start;
  if (length <= 0 || length >= kLongestLine) return {};
  cursor.setPosition(end);
  view->setTextCursor(cursor);
  return all.mid(start, length);
}

bool mainTextView::runKeyInView(QTextEdit* view) {
  if (!view || worker_.busy() || pravella::vkRunInProgress()) return false;
  const QString selected = plainOf(view->textCursor().selectedText());
  if (pravella::isGnuplotBlock(selected)) {
    DoGnuPlotCommand(selected, view);
    return true;
  }
  const QString code = findExpressionIn(view);
  if (code.isEmpty()) {
    sayWhyNothingRuns(view, nothingToRun(view));
    return true;
  }
  QTextCursor cursor = view->textCursor();
  const int at = cursor.selectionEnd();
  cursor.setPosition(at);
  view->setTextCursor(cursor);
  queueRun(code, RunMode::View, false, makeInsertion(at, !code.endsWith(QLatin1Char('\n')), view), true,
           view->window());
  return true;
}

// ---------------------------------------------------------------------------------------
// Starting runs

mainTextView::InsertionPtr mainTextView::makeInsertion(int position, bool newlineFirst,
                                                       QTextEdit* otherView) {
  InsertionPtr ins = newInsertion();
  QTextDocument* doc = otherView ? otherView->document() : document();
  ins->inOtherView = otherView != nullptr;
  ins->otherView = otherView;
  ins->start = fixedCursor(doc, position);
  ins->end = fixedCursor(doc, position);
  ins->newlineFirst = newlineFirst;
  // The line feed behind the code goes in now, so that what the user types meanwhile on the
  // next line stays behind the result.
  editAt(ins, [](QTextCursor&) {});
  return ins;
}

void mainTextView::calculationUsingBC(const QString& code) {
  if (code.isEmpty()) return;
  QTextCursor cursor = textCursor();
  const int at = cursor.selectionEnd();
  cursor.setPosition(at);
  setTextCursor(cursor);
  queueRun(code, RunMode::View, false, makeInsertion(at, !code.endsWith(QLatin1Char('\n'))), true);
}

void mainTextView::queueRun(const QString& text, RunMode mode, bool raiseLevel, InsertionPtr insertion,
                            bool interactive, const QWidget* runWindow) {
  const std::string code = text.toUtf8().toStdString();
  const void* window = runWindow ? runWindow : this->window();
  if (interactive) ++interactiveRuns_;
  // A program may end the process: what the views hold unsaved is on disk before it starts.
  std::function<void()> editsKept = pravella::EditJournal::keepAllNow();
  worker_.submit([this, code, mode, raiseLevel, insertion, window, interactive, editsKept] {
    editsKept();
    mainWindowRef.store(window);
    runOnWorker(code, mode, raiseLevel, insertion);
    if (interactive) --interactiveRuns_;
  });
}

mainTextView::RunContext* mainTextView::currentRun() {
  if (!worker_.onWorkerThread() || runs_.empty()) return nullptr;
  return &runs_.back();
}

bool mainTextView::runOnWorker(const std::string& code, RunMode mode, bool raiseLevel,
                               const InsertionPtr& insertion) {
  const bool nested = !runs_.empty();
  runs_.push_back({mode, insertion, {}});
  pravella::VkRunResult result;
  {
    std::lock_guard guard(pravella::vkRunLock());
    // A nested run shows its own output; the caller's text must not come back with it, nor
    // the nested output a second time in the caller's result.
    std::string callersText;
    if (nested) callersText.swap(ResultString);
    const int level = vk_level;
    if (raiseLevel) ++vk_level;
    result = pravella::runVkProgram(code, mainWindowRef.load());
    if (raiseLevel && vk_level != level) {
      // What the run made at its own level vanishes with it.
      const int held = vk_level;
      vk_level = held - 1;
      deleteHighLevelVariable(held);
    }
    if (nested) ResultString.swap(callersText);
  }
  runs_.pop_back();
  // Whatever the program left on the shared bar, it stands at 0 after every run.
  setProcessIndicator(0, 10.0);
  setProcessIndicatorValue(0.0);

  if (mode == RunMode::Console) {
    std::string out = result.text;
    if (result.tokenizerFailed || !result.ok) out += ".NO.\n";
    writeConsole(out);
    if (result.tokenizerFailed) pravella::playFeedbackSound(QStringLiteral("Basso"));
    return result.ok;
  }

  const QString text = QString::fromUtf8(result.text.data(), static_cast<qsizetype>(result.text.size()));
  const bool ok = result.ok;
  // A long result comes in batches, as the text a program inserts does.
  postInsert(insertion, text + statusLine(ok), true, true);
  postToGui([this, insertion, ok] {
    selectInsertion(*insertion);
    if (!insertion->parent) finishRun(*insertion);
    const bool shown = ok && !insertion->root().refused.load();
    pravella::playFeedbackSound(shown ? QStringLiteral("Tink") : QStringLiteral("Basso"));
  });
  return ok && !insertion->root().refused.load();
}

void mainTextView::runNestedOrQueue(const QString& text, bool console, bool raiseLevel) {
  if (text.isEmpty()) return;
  if (RunContext* outer = currentRun()) {
    // Posted by the running program itself: run at once, inside it, on this worker. A
    // program that runs itself would otherwise nest until the worker's stack overflows.
    if (runs_.size() >= kMaxNestedRuns) {
      error_disp("Too deep nested run.");
      pravella::failCommand();
      return;
    }
    const RunMode mode = console ? RunMode::Console : outer->mode;
    InsertionPtr ins;
    if (mode == RunMode::View && outer->insertion) {
      ins = newInsertion();
      ins->parent = outer->insertion;
      ins->newlineFirst = !text.endsWith(QLatin1Char('\n'));
    }
    runOnWorker(text.toUtf8().toStdString(), ins ? mode : RunMode::Console, raiseLevel, ins);
    return;
  }
  // From a window: queued behind the runs already going.
  postToGui([this, text, console, raiseLevel] {
    InsertionPtr ins;
    if (!console) ins = makeInsertion(textCursor().selectionEnd(), !text.endsWith(QLatin1Char('\n')));
    queueRun(text, console ? RunMode::Console : RunMode::View, raiseLevel, ins, false);
  });
}

// ---------------------------------------------------------------------------------------
// The notification entries

void mainTextView::calculationOfCalcButton() {
  postToGui([this] {
    if (worker_.busy() || pravella::vkRunInProgress()) return;  // refused silently
    const QString code = findExpression();
    if (!code.isEmpty()) calculationUsingBC(code);
  });
}

void mainTextView::calculationOnRunFunction(const QString& text) { runNestedOrQueue(text, false, false); }

void mainTextView::calculationOnCommandScript(const QString& text) { runNestedOrQueue(text, true, true); }

void mainTextView::calculationOnEditModule(const QString& text) {
  const bool fromOwnRun = currentRun() != nullptr;
  // A memo-menu run refuses it; so does a run the user started here, unless the request
  // comes from inside that very run.
  if (memoMenuRun_.load() || (!fromOwnRun && interactiveRuns_.load() > 0)) {
    refuse();
    return;
  }
  runNestedOrQueue(text, true, true);
}

void mainTextView::calculationOnMemoMenu(const QString& text) {
  const bool fromOwnRun = currentRun() != nullptr;
  if (memoMenuRun_.load() || (!fromOwnRun && interactiveRuns_.load() > 0)) {
    refuse();
    return;
  }
  if (text.isEmpty()) return;
  memoMenuRun_.store(true);
  const std::string code = text.toUtf8().toStdString();
  const void* window = mainWindowRef.load();
  worker_.submit([this, code, window] {
    mainWindowRef.store(window);
    runOnWorker(code, RunMode::Console, true, nullptr);
    memoMenuRun_.store(false);
  });
}

void mainTextView::runForOutput(const QString& text, RunOutput done) {
  const bool fromOwnRun = currentRun() != nullptr;
  if (memoMenuRun_.load() || (!fromOwnRun && interactiveRuns_.load() > 0)) {
    refuse();
    postToGui([done] { done(QString(), false); });
    return;
  }
  const std::string code = text.toUtf8().toStdString();
  const void* window = mainWindowRef.load();
  worker_.submit([this, code, window, done] {
    mainWindowRef.store(window);
    std::string captured;
    capturedOutput_ = &captured;
    const bool ok = runOnWorker(code, RunMode::Console, true, nullptr);
    capturedOutput_ = nullptr;
    const QString output = QString::fromUtf8(captured.data(), static_cast<qsizetype>(captured.size()));
    postToGui([done, output, ok] { done(output, ok); });
  });
}

void mainTextView::refuse() {
  postToGui([this] { vkCannotRunAlertPanel(); });
}

void mainTextView::vkCannotRunAlertPanel() {
  pravella::playFeedbackSound(QStringLiteral("Basso"));
  showAlert(QStringLiteral("Now, vk is running !"), QStringLiteral("Sorry, I can not accept your request"));
}

void mainTextView::showAlert(const QString& title, const QString& message) {
  if (alertPanel_) {
    alertPanel_(title, message);
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::NoButton, window());
  box->addButton(QStringLiteral("Ok"), QMessageBox::AcceptRole);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  box->open();  // a sheet: nothing waits for its answer
}

void mainTextView::waitForRuns() {
  while (worker_.busy()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  // The edits the runs handed over.
  QCoreApplication::processEvents();
}

// ---------------------------------------------------------------------------------------
// Output of a run

// ---------------------------------------------------------------------------------------
// Progress bar

void mainTextView::setTickClock(TickClock clock) {
  if (!clock) {
    clock = [] {
      const auto since = std::chrono::steady_clock::now().time_since_epoch();
      return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() *
                                        60 / 1000);
    };
  }
  tickClock_ = std::move(clock);
  beforeTick_.store(tickClock_());
}

void mainTextView::setProgressBar(double minimum, double maximum, double value) {
  // Called from the run's worker as often as a built-in likes: the tick test keeps the work
  // from waiting on redraws.
  const std::uint64_t nowTick = tickClock_();
  std::uint64_t before = beforeTick_.load();
  if (nowTick < before + 60 || !beforeTick_.compare_exchange_strong(before, nowTick)) return;
  double fraction = maximum > minimum ? (value - minimum) / (maximum - minimum) : 0.0;
  if (!(fraction >= 0.0)) fraction = 0.0;  // NaN too
  if (fraction > 1.0) fraction = 1.0;
  const int steps = static_cast<int>(fraction * kProgressSteps + 0.5);
  postToGui([this, steps] {
    if (!progressBar_) return;
    progressBar_->setValue(steps);
    progressBar_->repaint();
  });
}

void mainTextView::postToGui(std::function<void()> fn) {
  if (QThread::currentThread() == thread()) {
    fn();
    return;
  }
  {
    // Whatever comes after a program's texts goes in after them: their batch is closed.
    const std::lock_guard lock(batchMutex_);
    openBatch_.reset();
  }
  QMetaObject::invokeMethod(
      this,
      [this, fn = std::move(fn)] {
        if (!outputStopped_.load()) fn();
      },
      Qt::QueuedConnection);
}

namespace {

// What a text costs the memo to take (see kLineEndCost).
bool endsParagraph(QChar c) {
  return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
         c == QChar::LineSeparator;
}

// How many characters from the start of `text` cost at most `budget`, and what they cost. Never
// between the halves of a character or of a CR LF line end (that would make two lines of one).
std::pair<qsizetype, qsizetype> fittingPrefix(QStringView text, qsizetype budget, qsizetype lineEndCost) {
  qsizetype n = 0, cost = 0;
  for (; n < text.size(); ++n) {
    const qsizetype c = endsParagraph(text[n]) ? 1 + lineEndCost : 1;
    if (cost + c > budget) break;
    cost += c;
  }
  if (n > 0 && n < text.size() &&
      (text[n - 1].isHighSurrogate() || (text[n - 1] == QLatin1Char('\r') && text[n] == QLatin1Char('\n')))) {
    --n;
    cost -= text[n] == QLatin1Char('\r') ? 1 + lineEndCost : 1;
  }
  return {n, cost};
}

}  // namespace

void mainTextView::postInsert(const InsertionPtr& insertion, const QString& text, bool toPlace,
                              bool endsRun) {
  if (QThread::currentThread() == thread()) return deliverText(insertion, text, toPlace, endsRun);
  // A long text goes in several batches too: one edit of megabytes would hold the window.
  for (qsizetype from = 0; from < text.size();)
    from += postBatch(insertion, QStringView(text).mid(from), toPlace, endsRun);
}

qsizetype mainTextView::postBatch(const InsertionPtr& insertion, QStringView text, bool toPlace,
                                  bool endsRun) {
  std::shared_ptr<InsertBatch> batch;
  qsizetype taken = 0;
  {
    std::unique_lock lock(batchMutex_);
    if (outputStopped_.load()) return text.size();  // dropped: the end has come
    const qsizetype limit = batchCost_.load();
    const bool same = openBatch_ && openBatch_->insertion == insertion && openBatch_->toPlace == toPlace;
    if (same) {
      const auto [n, cost] = fittingPrefix(text, limit - openBatch_->cost, kLineEndCost);
      // A text that fits a batch of its own goes into one batch whole: a batch that ended
      // inside it would show half of it, and what the user types meanwhile would stand
      // between its halves. Only a text larger than a batch is cut.
      const bool whole = n == text.size() || fittingPrefix(text, limit, kLineEndCost).first < text.size();
      if (n > 0 && whole) {
        openBatch_->text += text.left(n);
        openBatch_->cost += cost;
        openBatch_->endsRun = endsRun && n == text.size();
        return n;
      }
      // A program that gives text faster than the memo takes it waits for the memo: each
      // batch is one short edit, and the keys, the menus and the end come between them. A
      // thread that does not serve its events (waiting for this run) gets it anyway, later.
      const std::shared_ptr<InsertBatch> full = openBatch_;
      batchTaken_.wait_for(lock, std::chrono::milliseconds(kBatchWaitMs),
                           [&] { return full->taken || outputStopped_.load(); });
      if (outputStopped_.load()) return text.size();
    }
    auto [n, cost] = fittingPrefix(text, batchCost_.load(), kLineEndCost);
    if (n == 0) {
      // Never less than one character.
      n = text.size() > 1 && text[0].isHighSurrogate() ? 2 : 1;
      cost = n + (endsParagraph(text[0]) ? kLineEndCost : 0);
    }
    openBatch_ = std::make_shared<InsertBatch>(
        InsertBatch{insertion, text.left(n).toString(), toPlace, cost, false, endsRun && n == text.size()});
    batch = openBatch_;
    postedBatches_.push_back(batch);
    taken = n;
  }
  QMetaObject::invokeMethod(
      this,
      [this, batch] {
        QString text;
        qsizetype cost = 0;
        {
          const std::lock_guard lock(batchMutex_);
          text.swap(batch->text);
          cost = batch->cost;
          batch->taken = true;
          if (openBatch_ == batch) openBatch_.reset();
          std::erase(postedBatches_, batch);
        }
        batchTaken_.notify_all();
        if (outputStopped_.load()) return;
        QElapsedTimer took;
        took.start();
        deliverText(batch->insertion, text, batch->toPlace, batch->endsRun);
        measureBatch(cost, took.nsecsElapsed());
      },
      Qt::QueuedConnection);
  return taken;
}

void mainTextView::measureBatch(qsizetype cost, qint64 nanoseconds) {
  // Small batches say little about the rate; a sudden slow one (a long line grown longer, a
  // busy machine) shrinks the next ones at once, and they grow back by halves.
  if (cost < kBatchCostFloor || nanoseconds <= 0) return;
  const double perUnit = static_cast<double>(nanoseconds) / static_cast<double>(cost);
  const double fits = kBatchStepMs * 1e6 / perUnit;
  const qsizetype before = batchCost_.load();
  const qsizetype next = static_cast<qsizetype>(std::clamp(std::min(fits, static_cast<double>(before) * 1.5),
                                                           double(kBatchCostFloor), double(kBatchCostLimit)));
  batchCost_.store(next);
}

void mainTextView::deliverText(const InsertionPtr& ins, const QString& text, bool toPlace, bool endsRun) {
  if (text.isEmpty()) return;
  if (!ins || (!toPlace && ins->root().detached)) {
    // In a document opened since the run began (by the program itself, say), or from a
    // program that does not run in the memo, the text goes in at the selection, as much of it
    // as the memo can hold.
    if (ins && ins->root().refused.load()) return;
    QTextCursor at = textCursor();
    at.beginEditBlock();
    at.removeSelectedText();
    double lineHeight = 0;
    const qsizetype fits = pravella::textThatFits(at, text, &lineHeight);
    pravella::insertInBoundedLines(at, text.left(fits));
    at.endEditBlock();
    if (fits < text.size()) {
      if (ins) ins->root().refused.store(true);
      sayWhyNothingRuns(this, pravella::tooTallMessage(lineHeight));
    }
    return;
  }
  if (ins->atCaret && !ins->begun) {
    const int at = textCursor().selectionEnd();
    ins->start = fixedCursor(document(), at);
    ins->end = fixedCursor(document(), at);
  }
  insertProgramText(ins, text, endsRun);
}

void mainTextView::insertProgramText(const InsertionPtr& ins, const QString& text, bool endsRun) {
  MemoInsertion& root = ins->root();
  // Once the memo holds no more of the run's text, only its status line goes in.
  const bool refusedBefore = root.refused.load();
  if (refusedBefore && !endsRun) return;
  // A place taken from the caret is the program's own: the caret stays where the user has it,
  // so that a word being typed there goes on whole before the program's text.
  const bool keepCaret = ins->atCaret && !root.detached && !root.inOtherView;
  // Positions, not a cursor: a copy of the caret would move with the edit.
  const int caretAnchor = textCursor().anchor();
  const int caretPosition = textCursor().position();
  const int at = keepCaret ? ins->end.position() : -1;
  bool newLines = false;
  // Text right behind the place is the run's own when its place already holds some.
  const bool followsOwnText = ins->begun && ins->end.position() > ins->start.position();
  double lineHeight = 0;
  bool refusedNow = false;
  editAt(ins, [&](QTextCursor& c) {
    if (refusedBefore) {
      c.insertText(statusLine(false));
      return;
    }
    const qsizetype fits = pravella::textThatFits(c, text, &lineHeight);
    newLines = pravella::insertInBoundedLines(c, fits == text.size() ? text : text.left(fits),
                                              pravella::kLongestProgramLine, followsOwnText);
    if (fits == text.size()) return;
    // The memo would grow taller than it can show: the text that fitted stays, the
    // reason follows on a line of its own, and nothing more of the run's text comes in.
    refusedNow = true;
    if (!c.atBlockStart()) c.insertText(QStringLiteral("\n"));
    c.insertText(QStringLiteral("...<Error>...") + pravella::tooTallMessage(lineHeight) + QLatin1Char('\n'));
    if (endsRun) c.insertText(statusLine(false));
  });
  if (refusedNow) {
    root.refused.store(true);
    sayWhyNothingRuns(root.inOtherView && root.otherView ? root.otherView.data() : this,
                      pravella::tooTallMessage(lineHeight));
  }
  if (keepCaret && std::max(caretPosition, caretAnchor) == at) {
    // The end of the caret or selection that stood at the place went on with the text.
    QTextCursor kept = textCursor();
    const int anchor = caretAnchor == at ? at : kept.anchor();
    const int position = caretPosition == at ? at : kept.position();
    if (kept.anchor() != anchor || kept.position() != position) {
      kept.setPosition(anchor);
      kept.setPosition(position, QTextCursor::KeepAnchor);
      setTextCursor(kept);
    }
  }
  if (newLines && !ins->toldLineBreaks) {
    ins->toldLineBreaks = true;
    sayWhyNothingRuns(
        root.inOtherView && root.otherView ? root.otherView.data() : this,
        QStringLiteral("The program's text goes on on a new line every %L1 characters: a longer "
                       "line would hold the window.")
            .arg(pravella::kLongestProgramLine));
  }
}

void mainTextView::abandonPendingOutput(const QString& documentPath) {
  std::vector<InsertionPtr> live;
  for (const std::weak_ptr<MemoInsertion>& w : insertions_)
    if (InsertionPtr ins = w.lock(); ins && !ins->root().detached && !ins->root().inOtherView)
      live.push_back(ins);
  insertions_.clear();
  if (live.empty()) return;
  // The runs go on in a copy of the document they started in; positions match the memo's.
  auto copy = std::make_shared<pravella::DetachedDocument>();
  copy->doc.reset(document()->clone());
  copy->path = documentPath;
  if (!documentPath.isEmpty()) copy->written = QFileInfo(pravella::textFileOf(documentPath)).lastModified();
  for (const InsertionPtr& ins : live) {
    ins->start = fixedCursor(copy->doc.get(), ins->start.position());
    ins->end = fixedCursor(copy->doc.get(), ins->end.position());
  }
  for (const InsertionPtr& ins : live)
    if (!ins->parent) ins->detached = copy;
}

void mainTextView::finishRun(MemoInsertion& root) {
  if (!root.detached) return;
  const pravella::DetachedDocument& copy = *root.detached;
  if (copy.path.isEmpty()) {
    showAlert(QStringLiteral("Can't save the result !"),
              QStringLiteral("The document the program ran in has no file any more; its result is lost."));
    return;
  }
  // Only into a rich text document, and only as the memo left it: changes made to the file
  // since (the document opened and saved again) are not overwritten.
  const QString suffix = QFileInfo(copy.path).suffix().toLower();
  if (suffix != QLatin1String("rtf") && suffix != QLatin1String("rtfd")) {
    showAlert(QStringLiteral("Can't save the result !"),
              QStringLiteral("%1 is no rich text document; the program's result was not written into it.")
                  .arg(copy.path));
    return;
  }
  if (QFileInfo(pravella::textFileOf(copy.path)).lastModified() != copy.written) {
    showAlert(QStringLiteral("Can't save the result !"),
              QStringLiteral("%1 changed while the program ran; its result was not written into it, so that "
                             "the changes are kept.")
                  .arg(copy.path));
    return;
  }
  // Written as a save writes it: through a link to its target, atomically.
  QString target = copy.path;
  if (QFileInfo(target).isSymLink()) {
    const std::optional<QString> resolved = pravella::resolveSymbolicLink(target);
    if (resolved && QFileInfo::exists(*resolved)) target = *resolved;
  }
  const bool plainRtf = target.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive);
  const pravella::WriteResult written =
      plainRtf ? pravella::writeRtfFile(target, *copy.doc) : pravella::writeRtfdFile(target, *copy.doc);
  if (!written) {
    showErrMessageToConsole((written.error + QLatin1Char('\n')).toStdString());
    showAlert(QStringLiteral("Can't save the result !"),
              QStringLiteral("The result of the program could not be written into %1: %2")
                  .arg(copy.path, written.error));
  }
}

void mainTextView::editAt(const InsertionPtr& ins, const std::function<void(QTextCursor&)>& edit) {
  MemoInsertion& insertion = *ins;
  MemoInsertion& root = insertion.root();
  QTextDocument* doc = document();
  if (root.detached) {
    doc = root.detached->doc.get();
  } else if (root.inOtherView) {
    if (!root.otherView) return;  // that view is gone, and its output with it
    doc = root.otherView->document();
  }
  if (!insertion.begun && !root.detached && !root.inOtherView) {
    // Tracked, so that a change of document carries the places over to the run's document.
    std::erase_if(insertions_, [](const std::weak_ptr<MemoInsertion>& w) { return w.expired(); });
    for (InsertionPtr p = ins; p && !p->begun; p = p->parent) insertions_.push_back(p);
  }
  if (root.lastRevision >= 0 && root.lastRevision != doc->revision()) root.editedMeanwhile = true;
  QTextCursor block(doc);
  // Nothing else changed the document since this run's last edit: the edits stay one step.
  if (root.revision >= 0 && root.revision == doc->revision()) {
    block.joinPreviousEditBlock();
  } else {
    block.beginEditBlock();
  }
  const int steps = doc->availableUndoSteps();
  beginInsertion(doc, insertion);
  insertAtEnd(insertion, edit);
  block.endEditBlock();
  // An edit that changed nothing must not make the next one join the user's last step.
  if (doc->availableUndoSteps() != steps) root.revision = doc->revision();
  root.lastRevision = doc->revision();
}

void mainTextView::selectInsertion(MemoInsertion& insertion) {
  MemoInsertion& root = insertion.root();
  if (!insertion.begun || root.detached) return;
  QTextEdit* view = root.inOtherView ? root.otherView.data() : this;
  if (!view) return;
  // A user who typed or moved the caret while the run went on keeps caret and selection: the
  // next key would otherwise replace the selected result.
  const QTextCursor caret = view->textCursor();
  if (root.editedMeanwhile || caret.hasSelection() || caret.position() != insertion.end.position()) return;
  QTextCursor selection(view->document());
  selection.setPosition(insertion.start.position());
  selection.setPosition(insertion.end.position(), QTextCursor::KeepAnchor);
  view->setTextCursor(selection);
}

void mainTextView::insertPictureAt(const InsertionPtr& insertion, const QByteArray& pictureBytes) {
  const QImage image = pravella::Picture(pictureBytes).toImage();
  if (image.isNull()) return;
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  editAt(insertion, [&](QTextCursor& c) {
    // Typing goes on in the style that stood at the insertion point.
    const QTextCharFormat format = pravella::rtf::textFormatOf(c.charFormat());
    pravella::rtf::insertAttachment(c, QStringLiteral("Pasted Graphic.png"), png);
    c.setCharFormat(format);
  });
}

void mainTextView::onDisplay(pravella::Notification& n) {
  RunContext* run = currentRun();
  if (!run) return;  // another view's run
  const int type = n.text.toInt();
  if (run->mode == RunMode::Console) {
    if (type == kValuePicture) return;
    if (!ResultString.empty()) writeConsole(ResultString);
    ResultString.clear();
    return;
  }
  InsertionPtr ins = run->insertion;
  if (ins && ins->root().refused.load()) {
    // The memo holds no more of this run's text (the reason is in it): the display fails.
    ResultString.clear();
    n.reply = QStringLiteral("refused");
    return;
  }
  if (type != kValuePicture) {
    const QString text = QString::fromUtf8(ResultString.data(), static_cast<qsizetype>(ResultString.size()));
    ResultString.clear();
    postInsert(ins, text, true);
    return;
  }
  // The display put the picture on the clipboard; take it now, before another one replaces it.
  const QByteArray picture = pravella::pictureFromClipboard();
  if (picture.isEmpty()) return;
  if (graphOutPutMode.load() == 0) {
    const QString folder = pravella::paths::documents() + QStringLiteral("/PravellaImage");
    QDir().mkpath(folder);
    const QString file = pravella::freshPictureFileName(folder, QDateTime::currentDateTime());
    pravella::saveAsJpeg(pravella::Picture(picture).toImage(), file, 0.95f);
    pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
    center.post(QStringLiteral("openPictViewAction2"));
    center.post(QStringLiteral("openPictImageFolder2"), folder);
    return;
  }
  postToGui([this, ins, picture] { insertPictureAt(ins, picture); });
}

void mainTextView::writeConsole(const std::string& text) {
  if (text.empty()) return;
  if (capturedOutput_) {
    *capturedOutput_ += text;
    return;
  }
  if (consoleOutput_) {
    consoleOutput_(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void mainTextView::pastePictureToDocument(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray data = file.readAll();
  const QString name = QFileInfo(path).fileName();
  const auto paste = [this, data, name](QTextCursor& c) {
    const QTextCharFormat format = pravella::rtf::textFormatOf(c.charFormat());
    pravella::rtf::insertAttachment(c, name, data);
    c.setCharFormat(format);
  };
  const auto atCaret = [this, paste] {
    QTextCursor cursor = textCursor();
    paste(cursor);
    setTextCursor(cursor);
  };
  if (RunContext* run = currentRun(); run && run->insertion) {
    InsertionPtr ins = run->insertion;
    // In a document opened since the run began, the picture goes in at the caret.
    postToGui([this, ins, paste, atCaret] { ins->root().detached ? atCaret() : editAt(ins, paste); });
    return;
  }
  postToGui(atCaret);
}

void mainTextView::insertTextToDoc(const QString& text) {
  const InsertionPtr place = textPlaceOfRun();
  if (place && place->root().refused.load()) {
    // The memo holds no more of this run's text (the reason is in it).
    pravella::failCommand();
    return;
  }
  // Delivered in batches: one queued edit per call would keep the GUI thread (and a signal to
  // end) waiting behind tens of thousands of them.
  postInsert(place, text);
}

mainTextView::InsertionPtr mainTextView::textPlaceOfRun() {
  if (!currentRun()) return {};
  // The innermost run with a place of its own; else one place for the whole outer run, which
  // stays where its first text went, whatever the user does with the caret meanwhile.
  for (auto run = runs_.rbegin(); run != runs_.rend(); ++run)
    if (run->insertion) return run->insertion;
  RunContext& outer = runs_.front();
  if (!outer.textPlace) {
    outer.textPlace = newInsertion();
    outer.textPlace->atCaret = true;
  }
  return outer.textPlace;
}

// The shared panels of the Format menu, aimed at this memo.
void mainTextView::useColorPanel() { pravella::showColorPanel(this); }

void mainTextView::useFontPanel() { pravella::showFontPanel(this); }

// ---------------------------------------------------------------------------------------
// Gnuplot blocks

void mainTextView::DoGnuPlotCommand(const QString& script, QTextEdit* otherView) {
  QTextEdit* view = otherView ? otherView : this;
  QTextCursor cursor = view->textCursor();
  const int at = cursor.selectionEnd();
  cursor.setPosition(at);
  view->setTextCursor(cursor);
  InsertionPtr ins = makeInsertion(at, false, otherView);
  ++interactiveRuns_;
  worker_.submit([this, script, ins] {
    const pravella::GnuplotOutcome outcome = pravella::runGnuplotBlock(script);
    postToGui([this, ins, outcome] {
      bool ok = true;
      editAt(ins, [&](QTextCursor& c) {
        if (!outcome.found) {
          c.insertText(QStringLiteral("\n<errer> gnuplot : not found !\n"));
          ok = false;
          return;
        }
        if (!outcome.errors.isEmpty()) {
          c.insertText(QStringLiteral("\n") + outcome.errors + QStringLiteral("\n"));
          ok = false;
          return;
        }
        if (!outcome.output.isEmpty())
          c.insertText(QStringLiteral("\n") + outcome.output + QStringLiteral("\n"));
        if (!outcome.picture.isNull()) {
          QByteArray png;
          QBuffer buffer(&png);
          buffer.open(QIODevice::WriteOnly);
          outcome.picture.save(&buffer, "PNG");
          c.insertText(QStringLiteral("\n"));
          const QTextCharFormat format = pravella::rtf::textFormatOf(c.charFormat());
          pravella::rtf::insertAttachment(c, QStringLiteral("gnuplot.png"), png);
          c.setCharFormat(format);
          c.insertText(QStringLiteral("\n.OK.\n"));
        }
      });
      if (ok && !outcome.picture.isNull()) {
        // The plot stays on the clipboard, as a pasted picture does.
        DoCopyPictureToScrap(pravella::Picture::fromImage(outcome.picture).bytes());
      }
      selectInsertion(*ins);
      finishRun(*ins);
      pravella::playFeedbackSound(ok ? QStringLiteral("Tink") : QStringLiteral("Basso"));
    });
    --interactiveRuns_;
  });
}

// ---------------------------------------------------------------------------------------
// The break: the mouse button held over the running program's window

bool mainTextView::canInsertFromMimeData(const QMimeData* source) const {
  return QTextEdit::canInsertFromMimeData(source) || (source && pravella::canDropIntoMemo(*source));
}

void mainTextView::dropEvent(QDropEvent* event) {
  pravella::MemoDropContext context;
  context.inheritedDrop = [this](QDropEvent* drop) { QTextEdit::dropEvent(drop); };
  if (windowDelegate_) {
    context.selectedDay = windowDelegate_->selectedDay();
    // A document shown through a link stands in another day's folder, where a bare name
    // would not lead: dragged documents are named by their day there.
    context.bookmarkLinkText = [this](const QString& bookmark) {
      if (!windowDelegate_ || !QFileInfo(windowDelegate_->nowDisplayedDocument()).isSymLink())
        return QString();
      return pravella::diaryPathLinkText(bookmark);
    };
  }
  pravella::memoDropEvent(this, event, context);
}

bool mainTextView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && worker_.busy() && mainWindowRef.load() == static_cast<const void*>(widget->window()) &&
        !buttonDownSet_) {
      buttonDownSet_ = true;
      vkSetButtonDown(true);
    }
  } else if (type == QEvent::MouseButtonRelease && buttonDownSet_) {
    buttonDownSet_ = false;
    vkSetButtonDown(false);
  }
  return QTextEdit::eventFilter(watched, event);
}
