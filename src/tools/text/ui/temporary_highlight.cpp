#include "tools/text/ui/temporary_highlight.h"

#include <QTextCursor>
#include <QTextEdit>

namespace pravella {

void setTemporaryHighlights(QTextEdit* view, const std::vector<std::pair<int, int>>& ranges, const QColor& colour) {
  if (!view) return;
  QList<QTextEdit::ExtraSelection> selections;
  selections.reserve(static_cast<qsizetype>(ranges.size()));
  for (const auto& [start, end] : ranges) {
    QTextEdit::ExtraSelection s;
    s.cursor = QTextCursor(view->document());
    s.cursor.setPosition(start);
    s.cursor.setPosition(end, QTextCursor::KeepAnchor);
    s.format.setBackground(colour);
    selections.push_back(s);
  }
  view->setExtraSelections(selections);
}

void clearTemporaryHighlights(QTextEdit* view) {
  if (view) view->setExtraSelections({});
}

std::vector<std::pair<int, int>> temporaryHighlights(const QTextEdit* view) {
  std::vector<std::pair<int, int>> out;
  if (!view) return out;
  for (const QTextEdit::ExtraSelection& s : view->extraSelections())
    out.emplace_back(s.cursor.selectionStart(), s.cursor.selectionEnd());
  return out;
}

}  // namespace pravella
