// Where the user has been: back and forward through the opened documents with their cursor
// marks, the recent-memo menus and the remembered string.

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QMenu>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <algorithm>
#include <functional>

#include "diary/day_folders.h"
#include "diary/diary_globals.h"
#include "diary/program_settings.h"
#include "diary/startup_files.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/pravella.h"
#include "editors/ui/main_text_view.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"

namespace {

QString fileNameOf(const QString& path) { return path.section(QLatin1Char('/'), -1); }

}  // namespace

// The history changes in one place, on the GUI thread, one change after another: a request from
// another thread waits there for its turn.
void Calcndar::changeHistory(const std::function<void()>& change) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(this, [&change] { change(); }, Qt::BlockingQueuedConnection);
    return;
  }
  change();
}

void Calcndar::addDocumentToRireki(const QString& path) {
  if (fileNameOf(path).isEmpty()) return;
  changeHistory([&] {
    rireki_.add(path, window_->documentView()->textCursor().selectionStart());
    adjustRirekiButton();
    makeRecentMemo(path);
  });
}

void Calcndar::deleteDocumentToRireki(const QString& path) {
  if (fileNameOf(path).isEmpty()) return;
  changeHistory([&] {
    rireki_.remove(path);
    adjustRirekiButton();
  });
}

void Calcndar::clearHistoryAction() {
  changeHistory([&] {
    rireki_.clear();
    adjustRirekiButton();
  });
}

void Calcndar::beforeDocumentAction() {
  changeHistory([this] { stepHistory(-1); });
}

void Calcndar::afterDocumentAction() {
  changeHistory([this] { stepHistory(+1); });
}

void Calcndar::stepHistory(int step) {
  // A step asked for while another is under way (from an event loop that a save's alert runs,
  // from a program) comes after it, never inside it: two steps interleaved would each move the
  // position and open what the other one chose.
  if (steppingHistory_) {
    pendingHistorySteps_.push_back(step);
    return;
  }
  steppingHistory_ = true;
  if (step < 0)
    stepBack();
  else
    stepForward();
  steppingHistory_ = false;
  if (!pendingHistorySteps_.empty()) {
    const int next = pendingHistorySteps_.front();
    pendingHistorySteps_.pop_front();
    stepHistory(next);
  }
}

// The position of the shown document in the history (1-based), which is where Back and Next
// count from; the stored position when the shown document is no entry.
int Calcndar::shownHistoryPosition() const {
  const qsizetype at = rireki_.paths().indexOf(nowDisplayedDocument_);
  return at >= 0 ? static_cast<int>(at) + 1 : rireki_.now();
}

void Calcndar::openHistoryEntry(int position, int selectionStart) {
  if (const int shown = static_cast<int>(rireki_.paths().indexOf(nowDisplayedDocument_)) + 1; shown > 0) {
    rireki_.setNow(shown);
    rireki_.setCurrentMark(selectionStart);
  }
  rireki_.setNow(position);
  const QString target = rireki_.current();
  openRirekiDocument();
  // Whatever the opening saved on its way, the position is the entry now shown.
  if (const qsizetype at = rireki_.paths().indexOf(target); at >= 0 && nowDisplayedDocument_ == target)
    rireki_.setNow(static_cast<int>(at) + 1);
  adjustRirekiButton();
}

void Calcndar::stepBack() {
  mainTextView* memo = window_->documentView();
  const int start = memo->textCursor().selectionStart();
  if (!docJumpInDoc_.isEmpty()) {
    const int position = docJumpInDoc_.takeLast().toInt();
    QTextCursor cursor(memo->document());
    cursor.setPosition(std::clamp(position, 0, memo->document()->characterCount() - 1));
    memo->setTextCursor(cursor);
    memo->ensureCursorVisible();
    sound("Tink");
    adjustRirekiButton();
    return;
  }
  if (!save()) return;
  if (nowDisplayedDocument_.isEmpty() && rireki_.now() == rireki_.size()) {
    openRirekiDocument();
    return;
  }
  const int from = shownHistoryPosition();
  if (from < 2) return;
  openHistoryEntry(from - 1, start);
}

void Calcndar::stepForward() {
  const int start = window_->documentView()->textCursor().selectionStart();
  if (!save()) return;
  const int from = shownHistoryPosition();
  if (from >= rireki_.size()) return;
  openHistoryEntry(from + 1, start);
}

void Calcndar::openDocumentOfPath(const QString& path) {
  // The shown memo is saved while its own day is still selected: saved after the change of
  // day, a new memo would land in the other day's folder.
  if (!save()) return;
  const std::optional<pravella::DayOfPath> day = pravella::dayOfDocumentPath(path);
  if (!day) return;
  const QDate date(day->year, day->month, day->day);
  if (!date.isValid()) return;
  beforeDayToPlain();
  setSelectedDay(date);
  refreshCalendar();
  selectDayAction2(day->day);
  selectDiaryFileFromNameAction(fileNameOf(path));
}

void Calcndar::openRirekiDocument() {
  if (rireki_.now() < 1 || rireki_.current() == nowDisplayedDocument_) return;
  const QString mark = rireki_.currentMark();
  openDocumentOfPath(rireki_.current());
  if (nowDisplayedDocument_ != rireki_.current()) return;
  const QStringList parts = mark.split(QLatin1Char(' '));
  mainTextView* memo = window_->documentView();
  const int last = memo->document()->characterCount() - 1;
  const int start = std::clamp(parts.value(0).toInt(), 0, last);
  const int length = std::clamp(parts.value(1).toInt(), 0, last - start);
  QTextCursor cursor(memo->document());
  cursor.setPosition(start);
  cursor.setPosition(start + length, QTextCursor::KeepAnchor);
  memo->setTextCursor(cursor);
  memo->ensureCursorVisible();
}

void Calcndar::adjustRirekiButton() {
  const bool jumps = !docJumpInDoc_.isEmpty();
  auto button = [this](int number) -> QAbstractButton* {
    return number > 0 ? window_->memoMenuButtons()->button(number - 1) : nullptr;
  };
  if (QAbstractButton* b = button(beforeButtonNumber_)) b->setEnabled(rireki_.canGoBack(jumps));
  if (QAbstractButton* b = button(afterButtonNumber_)) b->setEnabled(rireki_.canGoForward(jumps));
}

void Calcndar::setDocJumpInDoc() {
  docJumpInDoc_.append(QString::number(window_->documentView()->textCursor().selectionStart()));
  adjustRirekiButton();
}

void Calcndar::clearDocJumpInDoc() { docJumpInDoc_.clear(); }

// ---------------------------------------------------------------- recent memos

void Calcndar::makeRecentMemo(const QString& path) {
  // Programs set the reject characters from their own thread; take the current ones.
  recentMemo_.setRejectCharacters(QString::fromStdString(recentMemoRejectString()));
  if (recentMemo_.add(path, maxRecentMemo.load())) addRecentMemoToMenu();
}

void Calcndar::addRecentMemoToMenu() {
  const QStringList& paths = recentMemo_.paths();
  for (QMenu* menu : {recentMemoMenu_, recentMemoMenu2_}) {
    if (!menu) continue;
    menu->clear();
    for (qsizetype i = paths.size() - 1; i >= 0; --i) {
      QAction* item = menu->addAction(pravella::RecentMemoList::menuTitle(paths[i]));
      const int tag = static_cast<int>(i);
      item->setData(tag);
      connect(item, &QAction::triggered, this, [this, tag] { recentMemoMenuAction(tag); });
    }
    menu->addSeparator();
    QAction* all = menu->addAction(QStringLiteral("list_up all"));
    const int tag = static_cast<int>(paths.size()) + 1;
    all->setData(tag);
    connect(all, &QAction::triggered, this, [this, tag] { recentMemoMenuAction(tag); });
  }
}

void Calcndar::recentMemoMenuAction(int tag) {
  const QStringList paths = recentMemo_.paths();
  if (tag >= 0 && tag < paths.size()) {
    const QString path = paths[tag];
    if (path == nowDisplayedDocument_) return;
    openDocumentOfPath(path);
    if (nowDisplayedDocument_ == path) addDocumentToRireki(path);
    return;
  }
  if (tag == paths.size() + 1) {
    QStringList newestFirst(paths.rbegin(), paths.rend());
    newestFirst.prepend(QStringLiteral("Recent Memo"));
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("resultFromTextViewSearch"), QString(),
                                                       newestFirst);
  }
}

void Calcndar::setRecentMemoRejectString(const QString& reject) {
  setRenentMemoRejectString(reject.toStdString());
  recentMemo_.setRejectCharacters(reject);
}

// ---------------------------------------------------------------- the remembered string

void Calcndar::DoSetRememberString(const QString& text) {
  rememberString_ = text;
  if (pravella::WriteResult written = pravella::storeRememberString(text); !written)
    showErrMessageToConsole((written.error + QLatin1Char('\n')).toStdString());
}

void Calcndar::DoInsertRememberString() {
  // The memos that take it: the main memo, the memo sheet, the finder's text, the month list's
  // row memo and the tools' text views that take the date stamps (the manual's).
  QWidget* focus = window_->focusWidget();
  QTextEdit* view = focusedTextView();
  if (!view && focus) {
    if (focus == finderTextView_ || (Pravella_X && focus == Pravella_X->subTextView()))
      view = qobject_cast<QTextEdit*>(focus);
    for (const auto& [stamped, paste] : dateStampViews_)
      if (!view && stamped && focus == stamped) view = qobject_cast<QTextEdit*>(focus);
  }
  if (!view || view->isReadOnly()) {
    sound("Basso");
    return;
  }
  view->textCursor().insertText(rememberString_);
  sound("Tink");
}

void Calcndar::DoRemember() {
  if (Pravella_X) Pravella_X->DoSearchMemoInSearchSheet(rememberString_);
}

// ---------------------------------------------------------------- entries for the language

namespace {

// The language runs on a worker thread; the calendar's lists belong to the GUI thread.
void onCalendarThread(const std::function<void(Calcndar&)>& work) {
  Calcndar* calendar = PravellaSelf;
  if (!calendar) return;
  if (QThread::currentThread() == calendar->thread()) {
    work(*calendar);
    return;
  }
  QMetaObject::invokeMethod(calendar, [calendar, &work] { work(*calendar); }, Qt::BlockingQueuedConnection);
}

}  // namespace

void setRememberString(const char* utf8) {
  const QString text = QString::fromUtf8(utf8 ? utf8 : "");
  onCalendarThread([&text](Calcndar& c) { c.DoSetRememberString(text); });
}
