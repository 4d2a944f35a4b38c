#include "tools/finder/ui/finder_text_view.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "editors/ui/main_text_view.h"
#include "editors/ui/paragraph_keys.h"
#include "tools/finder/ui/finder_text_actions.h"

namespace {

pravella::FinderTextContext contextOf(CalFinder* finder) {
  pravella::FinderTextContext context;
  if (!finder) return context;
  context.host = &finder->host();
  context.memo = qobject_cast<mainTextView*>(finder->host().documentView);
  context.shownPath = [finder] { return finder->nowDisplayedDocumentPath(); };
  context.textDidChange = [finder] { finder->textDidChange(); };
  return context;
}

}  // namespace

FinderTextView::FinderTextView(QWidget* parent) : MemoEdit(parent) {
  setObjectName(QStringLiteral("finderTextView"));
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
}

void FinderTextView::keyPressEvent(QKeyEvent* event) {
  if (pravella::finderTextKey(this, event, contextOf(calendarFinder_))) return event->accept();
  if (pravella::insertParagraphKeepingFormats(this, event)) return;
  QTextEdit::keyPressEvent(event);
}

void FinderTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The link is the one under the click, wherever the first click left the caret.
  setTextCursor(cursorForPosition(event->position().toPoint()));
  if (pravella::finderDocumentLink(this, contextOf(calendarFinder_))) return event->accept();
  QTextEdit::mouseDoubleClickEvent(event);
}
