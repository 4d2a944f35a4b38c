#include "editors/ui/memo_text_view.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QUrl>

#include "diary/day_documents.h"
#include "diary/day_folders.h"
#include "diary/document_links.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/pravella.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/main_text_view.h"
#include "editors/ui/memo_drop.h"
#include "editors/ui/paragraph_keys.h"
#include "platform/cformat.h"
#include "platform/desktop_open.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/sound_player.h"

namespace {

// Something is there at the end of the path's link chain.
bool existsAtEnd(const QString& path) {
  const std::optional<QString> end = pravella::resolveSymbolicLink(path);
  return end && QFileInfo::exists(*end);
}

QString dayText(const QDate& day) {
  return QString::fromStdString(pravella::cformat("%4d/%02d/%02d", day.year(), day.month(), day.day()));
}

// The memo sheet's current memo; empty when it shows none.
QString memoSheetPath() {
  CalOption* option = PravellaSelf ? PravellaSelf->calendarOption() : nullptr;
  return option ? option->nowMemoPath() : QString();
}

}  // namespace

QString memoTextView::memoFolder() const {
  const QString path = memoSheetPath();
  return path.isEmpty() ? QString() : QFileInfo(path).path();
}

QString subMemoTextView::memoFolder() const {
  const QString path = Pravella_X ? Pravella_X->nowDisplayedDocPath() : QString();
  return path.isEmpty() ? QString() : QFileInfo(path).path();
}

bool MemoTwinView::checkDocumentLink() {
  const QString text = toPlainText();
  const std::optional<pravella::BracketPair> pair =
      pravella::bracketPairAround(text, textCursor().selectionStart());
  if (!pair || !PravellaSelf) return false;
  Calcndar* calendar = PravellaSelf;
  const QString name = pair->target(text);
  if (isMemoSheet()) calendar->addDocumentToRireki(calendar->nowDisplayedDocument());
  QTextCursor caret = textCursor();
  caret.setPosition(static_cast<int>(pair->close + 1));
  setTextCursor(caret);

  const QString diary = pravella::paths::diary() + QLatin1Char('/');
  const QString folder = memoFolder();
  const bool hasDay = folder.size() > 10;
  const QString inDay = hasDay ? diary + folder.right(10) + QLatin1Char('/') + name : QString();
  QString path = diary + name;
  if (!existsAtEnd(path) && hasDay) path = inDay;

  if (pravella::fileExtension(name) == QLatin1String("webarchive")) {
    QString archive;
    if (existsAtEnd(diary + name))
      archive = diary + name;
    else if (hasDay)
      archive = inDay;
    if (archive.isEmpty()) return true;
    auto& center = pravella::NotificationCenter::defaultCenter();
    const QString sheet = QStringLiteral("openWebSheetAndConnectURL_X");
    // Without the web sheet the browser shows it.
    if (center.hasObservers(sheet))
      center.post(sheet, QUrl::fromLocalFile(archive).toString(QUrl::FullyEncoded));
    else
      calendar->openWebarchiveOnWebBrowserFromName(archive);
    return true;
  }

  if (!existsAtEnd(path)) {
    path = diary + name + QStringLiteral(".rtfd");
    if (!existsAtEnd(path) && hasDay) path = inDay + QStringLiteral(".rtfd");
  }
  if (!existsAtEnd(path)) {
    QTextCursor selection = textCursor();
    selection.setPosition(static_cast<int>(pair->open + 1));
    selection.setPosition(static_cast<int>(pair->close), QTextCursor::KeepAnchor);
    setTextCursor(selection);
    if (Pravella_X) Pravella_X->showMonthDiaryAction();
    return true;
  }
  const QString ext = pravella::fileExtension(path);
  if (ext != QLatin1String("rtf") && ext != QLatin1String("rtfd")) {
    pravella::openWithDesktop(path);
    return false;  // the double click selects the word as well
  }
  const std::optional<pravella::DayOfPath> day = pravella::dayOfDiaryDocument(path);
  if (!day) return false;
  const QString sheetMemo = memoSheetPath();
  // A main memo that cannot be saved keeps its day: the link is not followed.
  if (!calendar->goToDocumentOfDay(path, QDate(day->year, day->month, day->day))) return true;
  if (isMemoSheet()) pravella::playFeedbackSound(QStringLiteral("Tink"));
  if (!isMemoSheet())
    calendar->addDocumentToRireki(calendar->nowDisplayedDocument());
  else if (!sheetMemo.isEmpty())
    calendar->addDocumentToRireki(sheetMemo);
  return true;
}

void MemoTwinView::keyPressEvent(QKeyEvent* event) {
  const bool runKey = event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape;
  const QTextLayout* layout = textCursor().block().layout();
  const bool composing = layout && !layout->preeditAreaText().isEmpty();
  if (runKey && !composing) {
    // One engine for the memo views: the main memo's worker runs the code.
    // (Through the parents: a floating drawer is a window of its own.)
    QWidget* top = this;
    while (top->parentWidget()) top = top->parentWidget();
    auto* memo = top->findChild<mainTextView*>();
    if (memo && memo->runKeyInView(this)) {
      event->accept();
      return;
    }
  }
  if (pravella::insertParagraphKeepingFormats(this, event)) return;
  QTextEdit::keyPressEvent(event);
}

void MemoTwinView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The link is the one under the click, wherever the first click left the caret.
  setTextCursor(cursorForPosition(event->position().toPoint()));
  if (checkDocumentLink()) {
    event->accept();
    return;
  }
  QTextEdit::mouseDoubleClickEvent(event);
}

bool MemoTwinView::canInsertFromMimeData(const QMimeData* source) const {
  return QTextEdit::canInsertFromMimeData(source) || (source && pravella::canDropIntoMemo(*source));
}

void MemoTwinView::dropEvent(QDropEvent* event) {
  pravella::MemoDropContext context;
  context.inheritedDrop = [this](QDropEvent* drop) { QTextEdit::dropEvent(drop); };
  if (PravellaSelf) context.selectedDay = PravellaSelf->selectedDay();
  context.stringDrop = [this](QDropEvent* drop) { dropString(drop); };
  pravella::memoDropEvent(this, event, context);
}

// A dropped text. S is the text, B the document dragged from a list, M the memo sheet's memo:
// with M a link, B is named by its day; with no M, a name of the selected day gets its day; a
// bracketed text gets its target coloured.
void MemoTwinView::dropString(QDropEvent* event) {
  pravella::MemoDropContext context;
  context.inheritedDrop = [this](QDropEvent* drop) { QTextEdit::dropEvent(drop); };
  const QMimeData& mime = *event->mimeData();
  const QString bookmark = QString::fromUtf8(mime.data(QLatin1String(pravella::kBookmarkDragType)));
  const QString memo = memoSheetPath();
  QString text = mime.text();
  bool replace = false;
  if (text.size() > 4 && !memo.isEmpty() && QFileInfo::exists(memo)) {
    if (QFileInfo(memo).isSymLink() && !bookmark.isEmpty()) {
      const QString link = pravella::diaryPathLinkText(bookmark);
      if (!link.isEmpty()) {
        text = link;
        replace = true;
      }
    }
  } else if (text.size() > 4 && memo.isEmpty() && PravellaSelf) {
    const QDate day = PravellaSelf->selectedDay();
    const QString name = text.mid(2, text.size() - 4);
    if (QFileInfo::exists(pravella::paths::diary() + QLatin1Char('/') + dayText(day) + QLatin1Char('/') +
                          name + QStringLiteral(".rtfd"))) {
      text = QStringLiteral(" [") + dayText(day) + QLatin1Char('/') + name + QStringLiteral("] ");
      pravella::playFeedbackSound(QStringLiteral("Tink"));
      const pravella::InsertedRange in = pravella::dropText(this, event, text, context, true);
      if (in.start >= 0) pravella::colourRange(this, in.start + 2, in.end - 2, pravella::linkTargetColour());
      return;
    }
  }
  const pravella::InsertedRange in = pravella::dropText(this, event, text, context, replace);
  if (in.start < 0 || text.size() <= 4 || !text.startsWith(QLatin1String(" [")) ||
      !text.endsWith(QLatin1String("] ")))
    return;
  const bool linked = !bookmark.isEmpty() && QFileInfo(bookmark).isSymLink();
  pravella::colourRange(this, in.start + 2, in.end - 2,
                        linked ? pravella::linkedLinkTargetColour() : pravella::linkTargetColour());
  pravella::playFeedbackSound(QStringLiteral("Tink"));
}
