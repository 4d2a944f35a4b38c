#pragma once
// Whether the caret of a memo stands inside a bracketed document link on one line, where a
// double click follows the link instead of looking the word up.

#include <QString>

namespace pravella {

// 1 when a "[" stands at or before `caret` and a "]" at or after it, with no line break and no
// other bracket between; 0 otherwise, and for a caret at the very end of the text.
int checkDocumentLinkKakko(const QString& text, qsizetype caret);

}  // namespace pravella
