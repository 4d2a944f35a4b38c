#pragma once
// Temporary highlights of a text view: a background colour laid over ranges of its text as
// extra selections, never stored in the document (a save keeps none of it). Setting new ones
// clears the old over the whole text first.

#include <QColor>

#include <utility>
#include <vector>

class QTextEdit;

namespace pravella {

// Ranges as (start, end) character positions of the view's document.
void setTemporaryHighlights(QTextEdit* view, const std::vector<std::pair<int, int>>& ranges, const QColor& colour);
void clearTemporaryHighlights(QTextEdit* view);
// The ranges highlighted now (for tests and for tools that add to them).
std::vector<std::pair<int, int>> temporaryHighlights(const QTextEdit* view);

}  // namespace pravella
