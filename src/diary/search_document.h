#pragma once
// The search document of the month list: every listed row as a red bracketed "day/name" line,
// and under it, indented, the opening of the document's text. It is built into a text document
// here, without a window, so that its cost can be measured apart from the view that shows it.

#include <QString>
#include <QTextDocument>
#include <functional>

#include "diary/month_list.h"

namespace pravella {

// The most characters of a document's text the search document shows.
inline constexpr int kSearchDocumentOpening = 201;

// What follows the first line of a memo's plain text: its characters after the first line
// break, carriage returns and line feeds left out, at most 201 of them. Empty when the text
// has no line break.
QString memoOpening(const QString& plainText);

// Replaces `doc`'s text (the start's paragraph style stays) with the search document of
// `rows` in `font`. `progress` is called
// with the row index before each row. Package ("rtfd") documents are read from the diary's
// day folder (manual rows from their own path); other kinds show their name only.
void buildSearchDocument(QTextDocument& doc, const MonthList& rows, const QFont& font,
                         const std::function<void(int row)>& progress = {});

}  // namespace pravella
