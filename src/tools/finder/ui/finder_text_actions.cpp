#include "tools/finder/ui/finder_text_actions.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextLayout>
#include <QUrl>

#include "diary/document_links.h"
#include "diary/ui/calcndar.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/main_text_view.h"
#include "platform/desktop_open.h"
#include "platform/notification_center.h"
#include "platform/ui/sound_player.h"
#include "tools/finder/finder_link.h"
#include "tools/ui/desk_tool_host.h"

namespace pravella {

namespace {

bool composing(const QTextEdit* view) {
  const QTextLayout* layout = view->textCursor().block().layout();
  return layout && !layout->preeditAreaText().isEmpty();
}

mainTextView* engineOf(QTextEdit* view, const FinderTextContext& context) {
  if (context.memo) return context.memo;
  // Through the parents: a floating drawer is a window of its own.
  QWidget* top = view;
  while (top->parentWidget()) top = top->parentWidget();
  return top->findChild<mainTextView*>();
}

CalOption* optionOf(const FinderTextContext& context) {
  if (context.option) return context.option;
  return PravellaSelf ? PravellaSelf->calendarOption() : nullptr;
}

void selectRange(QTextEdit* view, qsizetype from, qsizetype to) {
  QTextCursor cursor = view->textCursor();
  cursor.setPosition(static_cast<int>(from));
  cursor.setPosition(static_cast<int>(to), QTextCursor::KeepAnchor);
  view->setTextCursor(cursor);
}

}  // namespace

bool finderTextKey(QTextEdit* view, QKeyEvent* event, const FinderTextContext& context) {
  if (composing(view)) return false;
  const int key = event->key();
  if (key == Qt::Key_Enter || key == Qt::Key_Escape) {
    mainTextView* memo = engineOf(view, context);
    if (!memo) return false;
    // One engine for every memo view, one run at a time; the window never waits for it.
    if (!memo->runKeyInView(view)) memo->vkCannotRunAlertPanel();
    return true;
  }
  const Qt::KeyboardModifiers mods = event->modifiers();
  // A preview that is no editable document (a dump, a plain text in a chosen code) is never
  // changed by the indent keys: marked changed, it would be saved over its file.
  if (mods.testFlag(Qt::ControlModifier) && mods.testFlag(Qt::AltModifier) &&
      (key == Qt::Key_Left || key == Qt::Key_Right) && !view->isReadOnly()) {
    if (CalOption* option = optionOf(context)) {
      if (key == Qt::Key_Left)
        option->decIndentForDocument_X(view);
      else
        option->incIndentForDocument_X(view);
    }
    if (context.textDidChange) context.textDidChange();
    return true;
  }
  return false;
}

bool finderDocumentLink(QTextEdit* view, const FinderTextContext& context) {
  const QString text = view->toPlainText();
  const std::optional<BracketPair> pair = bracketPairAround(text, view->textCursor().selectionStart());
  if (!pair) return false;
  const DeskToolHost* host = context.host;
  const QString link = pair->target(text);
  if (host && host->addDocumentToRireki && host->nowDisplayedDocument)
    host->addDocumentToRireki(host->nowDisplayedDocument());
  QTextCursor caret = view->textCursor();
  caret.setPosition(static_cast<int>(pair->close + 1));
  view->setTextCursor(caret);

  const QString shown = context.shownPath ? context.shownPath() : QString();
  const QString finderFolder = shown.isEmpty() ? QString() : QFileInfo(shown).path();
  const FinderLinkTarget target = resolveFinderLink(link, finderFolder);
  using Kind = FinderLinkTarget::Kind;
  switch (target.kind) {
    case Kind::WebArchive:
      if (!target.path.isEmpty())
        NotificationCenter::defaultCenter().post(
            QStringLiteral("openWebSheetAndConnectURL_X"),
            QUrl::fromLocalFile(target.path).toString(QUrl::FullyEncoded));
      return true;
    case Kind::Nowhere:
      // The month list searches the memos for the selection of the focused view.
      selectRange(view, pair->open + 1, pair->close);
      view->setFocus();
      NotificationCenter::defaultCenter().post(QStringLiteral("cal_toggleMonthListSheet"), link);
      return true;
    case Kind::OtherFile:
      openWithDesktop(target.path);
      return false;  // the double click selects the word as well
    case Kind::NoDay:
      return false;
    case Kind::Document:
      break;
  }
  // The shown memo is saved while its own day is still selected, as a click on a day saves it:
  // saved after the change of day, a new memo would be filed under the link's day. A memo that
  // cannot be saved keeps its day.
  if (host && host->save && !host->save()) return true;
  playFeedbackSound(QStringLiteral("Tink"));
  if (!host) return true;
  const QDate day(target.year, target.month, target.day);
  const QDate before = host->selectedDay ? host->selectedDay() : QDate();
  if (host->beforeDayToPlain) host->beforeDayToPlain();
  if (host->setSelectedDay) host->setSelectedDay(day);
  if ((before.year() != day.year() || before.month() != day.month()) && host->refreshCalendar) {
    if (host->setSelectedDay) host->setSelectedDay(day);
    host->refreshCalendar();
  }
  if (host->selectDayAction2) host->selectDayAction2(day.day());
  if (host->selectDiaryFileFromNameAction)
    host->selectDiaryFileFromNameAction(QFileInfo(target.path).fileName());
  if (host->addDocumentToRireki && !shown.isEmpty()) host->addDocumentToRireki(shown);
  return true;
}

}  // namespace pravella
