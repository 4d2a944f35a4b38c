#include "tools/finder/ui/finder_text_view.h"

FinderTextView::FinderTextView(QWidget* parent) : QTextEdit(parent) {
  setObjectName(QStringLiteral("finderTextView"));
  setAcceptRichText(true);
  setUndoRedoEnabled(true);
}
