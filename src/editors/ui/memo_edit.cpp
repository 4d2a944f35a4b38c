#include "editors/ui/memo_edit.h"

#include <QMimeData>
#include <QTextCursor>

#include "editors/ui/memo_clipboard.h"
#include "editors/ui/memo_drop.h"
#include "platform/rtf.h"

namespace pravella {

MemoEdit::MemoEdit(QWidget* parent) : QTextEdit(parent) { setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn); }

MemoEdit::MemoEdit(const QString& text, QWidget* parent) : QTextEdit(text, parent) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QMimeData* MemoEdit::createMimeDataFromSelection() const {
  QMimeData* mime = QTextEdit::createMimeDataFromSelection();
  const QTextCursor selection = textCursor();
  if (mime && selection.hasSelection())
    addCopiedAttachments(*document(), selection.selectionStart(), selection.selectionEnd(), *mime);
  return mime;
}

void MemoEdit::insertFromMimeData(const QMimeData* source) {
  QTextCursor cursor = textCursor();
  if (source && acceptRichText() && insertWithCopiedAttachments(cursor, *source)) {
    setTextCursor(cursor);
    ensureCursorVisible();
    return;
  }
  // A picture alone (another program's, or the one Picture Size left) goes in as a dropped
  // picture does; the editor would paste nothing.
  if (source && acceptRichText() && !source->hasText() && pastePicture(this, *source)) {
    ensureCursorVisible();
    return;
  }
  // Text pasted or dropped behind a picture takes the picture's font, never the picture.
  QTextCursor before = cursor;
  before.setPosition(cursor.selectionStart());
  const bool behindPicture =
      cursor.hasSelection() ? before.charFormat().isImageFormat() : cursor.charFormat().isImageFormat();
  if (!behindPicture) {
    QTextEdit::insertFromMimeData(source);
    return;
  }
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  cursor.setCharFormat(rtf::textFormatOf(cursor.charFormat()));
  setTextCursor(cursor);
  QTextEdit::insertFromMimeData(source);
  cursor.endEditBlock();
}

bool MemoEdit::canInsertFromMimeData(const QMimeData* source) const {
  return QTextEdit::canInsertFromMimeData(source) || (source && acceptRichText() && carriesPicture(*source));
}

}  // namespace pravella
