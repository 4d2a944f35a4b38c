#pragma once
// A program's text into a memo in lines of bounded length. The memo lays a whole line out again
// at every change to it, so a program that writes one line of millions of characters would
// hold the window (and the end, and a save) for seconds at each of its edits; past
// kLongestProgramLine characters its text goes on on a new line instead.

#include <QString>

class QTextCursor;

namespace pravella {

inline constexpr int kLongestProgramLine = 100000;

// Inserts `text` at `cursor` (which moves on behind it), starting a new line wherever the line
// would grow past `longestLine` characters of text before the cursor; line ends in the text
// start a new count. Never between the halves of a surrogate pair. True when it started one.
// A new line never splits text that stood there: right at the cursor it starts only when the
// cursor ends its line or `followsOwnText` (what stands before it is this program's text);
// otherwise a line already too long there is counted from the cursor.
bool insertInBoundedLines(QTextCursor& cursor, const QString& text, int longestLine = kLongestProgramLine,
                          bool followsOwnText = false);

}  // namespace pravella
