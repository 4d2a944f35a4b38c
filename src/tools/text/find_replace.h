#pragma once
// Find and replace on a document's text, case-insensitively in place: at each position the
// text is compared with the find text over the find text's length, character by character
// folded. Lower-casing a copy of the whole text instead would shift every later position where
// a mapping changes length (İ, ß), and edit the wrong text.

#include <QString>
#include <QStringView>

#include <functional>

class QTextDocument;

namespace pravella::findtext {

// The document's characters as positions count them: one character per position, paragraph and
// line separators as "\n", pictures as U+FFFC.
QString documentText(const QTextDocument& document);

// The first position at or after `from` (and at most text length minus find length) where the
// find text stands, or -1. An empty find text is never found.
qsizetype findForward(QStringView text, QStringView find, qsizetype from);

// The first match found going down from `from` to 0 (a match starting at `from` counts), or -1.
qsizetype findBackward(QStringView text, QStringView find, qsizetype from);

// A replace-all is refused when the find text is empty, the text is shorter than it, or the
// replacement holds the find text (ignoring case), since it could be found again.
bool replaceAllRefused(QStringView text, QStringView find, QStringView replacement);

// Progress of a replace-all: the largest position so far and the position reached. Reported at
// most once a second.
using Progress = std::function<void(qsizetype maximum, qsizetype value)>;

// Replaces every occurrence, left to right. After each replacement the search goes on one find
// length before the end of the inserted text, so a replacement shorter than the find text is
// tried again against its neighbourhood: "\n\n" -> "\n" collapses any run of line ends. The
// document is edited once at the end, as one undo step, keeping the formats of the text around
// each replacement. Returns the number of replacements, or -1 when refused (nothing changed).
int replaceAll(QTextDocument& document, const QString& find, const QString& replacement,
               const Progress& progress = {});

}  // namespace pravella::findtext
