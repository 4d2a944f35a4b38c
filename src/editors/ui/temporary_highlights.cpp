#include "editors/ui/temporary_highlights.h"

#include <QTextEdit>

namespace pravella {

void addTemporaryHighlights(QTextEdit* view, const QList<QTextCursor>& ranges, const QColor& colour) {
  if (!view) return;
  QList<QTextEdit::ExtraSelection> selections = view->extraSelections();
  for (const QTextCursor& range : ranges) {
    QTextEdit::ExtraSelection s;
    s.cursor = range;
    s.format.setBackground(colour);
    selections.append(s);
  }
  view->setExtraSelections(selections);
}

void clearTemporaryHighlights(QTextEdit* view) {
  if (view && !view->extraSelections().isEmpty()) view->setExtraSelections({});
}

bool hasTemporaryHighlights(const QTextEdit* view) { return view && !view->extraSelections().isEmpty(); }

}  // namespace pravella
