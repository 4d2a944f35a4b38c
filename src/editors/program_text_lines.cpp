#include "editors/program_text_lines.h"

#include <QTextCursor>

namespace pravella {

namespace {

// What QTextCursor::insertText turns into a new block.
bool endsLine(QChar c) {
  return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator;
}

}  // namespace

bool insertInBoundedLines(QTextCursor& cursor, const QString& text, int longestLine, bool followsOwnText) {
  if (longestLine < 1) longestLine = 1;
  bool broke = false;
  qsizetype from = 0;
  // Only the text before the place counts: what stands behind it on the line is the user's.
  qsizetype column = cursor.positionInBlock();
  // A break at the place would cut the user's text around it in two.
  if (column >= longestLine && !followsOwnText && !cursor.atBlockEnd()) column = 0;
  for (qsizetype i = 0; i < text.size();) {
    const QChar c = text.at(i);
    if (endsLine(c)) {
      column = 0;
      ++i;
      continue;
    }
    if (column < longestLine) {
      ++column;
      ++i;
      continue;
    }
    qsizetype at = i;
    if (c.isLowSurrogate() && at > from && text.at(at - 1).isHighSurrogate()) --at;
    if (at > from) cursor.insertText(text.mid(from, at - from));
    cursor.insertText(QStringLiteral("\n"));
    broke = true;
    from = at;
    i = at;
    column = 0;
  }
  if (from < text.size()) cursor.insertText(from == 0 ? text : text.mid(from));
  return broke;
}

}  // namespace pravella
