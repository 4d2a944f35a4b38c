#include "editors/link_brackets.h"

namespace pravella {

namespace {

bool isLineBreak(QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator; }

}  // namespace

int checkDocumentLinkKakko(const QString& text, qsizetype caret) {
  if (caret < 0 || caret >= text.size()) return 0;
  bool open = false;
  for (qsizetype i = caret; i >= 0; --i) {
    const QChar c = text[i];
    if (c == QLatin1Char('[')) {
      open = true;
      break;
    }
    if (isLineBreak(c) || c == QLatin1Char(']')) break;
  }
  if (!open) return 0;
  for (qsizetype i = caret; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char(']')) return 1;
    if (isLineBreak(c) || c == QLatin1Char('[')) return 0;
  }
  return 0;
}

}  // namespace pravella
