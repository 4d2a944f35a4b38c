#include "editors/ui/paragraph_keys.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextLayout>

#include "platform/rtf.h"

namespace pravella {

namespace {

class ReturnKeeper : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress)
      if (auto* view = qobject_cast<QTextEdit*>(watched))
        if (insertParagraphKeepingFormats(view, static_cast<QKeyEvent*>(event))) return true;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

bool insertParagraphKeepingFormats(QTextEdit* view, QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
  if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || view->isReadOnly()) return false;
  QTextCursor cursor = view->textCursor();
  const QTextLayout* layout = cursor.block().layout();
  if (layout && !layout->preeditAreaText().isEmpty()) return false;
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  // The formats where the text goes on: those of the character before the caret, or of the
  // empty line itself; after a picture, its font without the picture.
  const QTextCharFormat text = rtf::textFormatOf(cursor.charFormat());
  cursor.insertBlock(cursor.blockFormat(), text);
  cursor.setCharFormat(text);
  cursor.endEditBlock();
  view->setTextCursor(cursor);
  view->ensureCursorVisible();
  event->accept();
  return true;
}

void keepFormatsOnReturn(QTextEdit* view) { view->installEventFilter(new ReturnKeeper(view)); }

}  // namespace pravella
