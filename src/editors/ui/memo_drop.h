#pragma once
// What a drop into a memo view makes: pictures become attachments, a diary document a bracketed
// link, any other file a link to it, a dictionary hit a link to its entry, and a document
// dragged from the application's lists a bracketed link. One piece for every memo view; each
// view says what differs through the context.

#include <QDate>
#include <QString>
#include <functional>

class QDropEvent;
class QMimeData;
class QTextEdit;

namespace pravella {

struct MemoDropContext {
  // The view's inherited drop: inserts the event's data at its position.
  std::function<void(QDropEvent*)> inheritedDrop;
  // The day whose documents a link names without their day.
  QDate selectedDay;
  // The text that stands for a document dragged from the application's lists (its full
  // path); empty keeps the dragged text.
  std::function<QString(const QString& bookmarkPath)> bookmarkLinkText;
};

// Where a dropped picture is written before it goes into the memo.
QString droppedPicturePath();

// Handles the drop by the first rule that matches (see memo_drop.cpp); the view has the focus
// afterwards.
void memoDropEvent(QTextEdit* view, QDropEvent* event, const MemoDropContext& context);

// Files and pictures, which the text editor alone would refuse.
bool canDropIntoMemo(const QMimeData& mime);

}  // namespace pravella
