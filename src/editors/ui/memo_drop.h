#pragma once
// What a drop into a memo view makes: pictures become attachments, a diary document a bracketed
// link, any other file a link to it, a dictionary hit a link to its entry, and a document
// dragged from the application's lists a bracketed link. One piece for every memo view; each
// view says what differs through the context.

#include <QDate>
#include <QString>
#include <functional>

class QColor;
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
  // A view's own handling of a dropped text (the rule for plain strings); empty: the main
  // memo's.
  std::function<void(QDropEvent* event)> stringDrop;
};

// The link target colours: a document's, and a document that is itself a link.
QColor linkTargetColour();
QColor linkedLinkTargetColour();

// The inherited drop of `text` (in place of the dragged data when `replace`): the inserted
// range, start -1 when the text did not go in as it is.
struct InsertedRange {
  int start = -1;
  int end = -1;
};
InsertedRange dropText(QTextEdit* view, QDropEvent* event, const QString& text,
                       const MemoDropContext& context, bool replace);
void colourRange(QTextEdit* view, int from, int to, const QColor& colour);

// Where a dropped picture is written before it goes into the memo.
QString droppedPicturePath();

// Handles the drop by the first rule that matches (see memo_drop.cpp); the view has the focus
// afterwards.
void memoDropEvent(QTextEdit* view, QDropEvent* event, const MemoDropContext& context);

// A pasted picture (the clipboard's image/png, say) goes in at the caret, in place of the
// selection, as a dropped picture does. False (nothing done) when `mime` carries no picture
// that reads, or it could not be written.
bool pastePicture(QTextEdit* view, const QMimeData& mime);

// A picture: ours, any image, or an image format's bytes.
bool carriesPicture(const QMimeData& mime);

// Files and pictures, which the text editor alone would refuse.
bool canDropIntoMemo(const QMimeData& mime);

}  // namespace pravella
