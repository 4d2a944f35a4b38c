#pragma once
// Temporary background colours of a text view (search hits, marked words): drawn over the
// text as the view's extra selections, so they are never part of the document and never
// saved. Every feature that marks text goes through these two functions.

#include <QColor>
#include <QList>
#include <QTextCursor>

class QTextEdit;

namespace pravella {

// Adds a highlight of `colour` over each cursor's selection.
void addTemporaryHighlights(QTextEdit* view, const QList<QTextCursor>& ranges, const QColor& colour);
// Removes every temporary highlight of the view.
void clearTemporaryHighlights(QTextEdit* view);
bool hasTemporaryHighlights(const QTextEdit* view);

}  // namespace pravella
