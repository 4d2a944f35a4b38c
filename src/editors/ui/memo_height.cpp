#include "editors/ui/memo_height.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

#include "editors/ui/long_memo_layout.h"

namespace pravella {

namespace {

bool endsLine(QChar c) {
  return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
         c == QChar::LineSeparator;
}

// The lines a text of `characters` takes beyond its first when it wraps at `width`.
double wrappedLines(qsizetype characters, double charWidth, double width) {
  if (charWidth <= 0 || width <= 0 || characters <= 0) return 0;
  return std::floor(static_cast<double>(characters) * charWidth / width);
}

// The font of the document's first character: a memo's text is typed in its template's font,
// which may be larger than the document's default.
QFont firstTextFont(const QTextDocument& doc) {
  QTextCursor first(const_cast<QTextDocument*>(&doc));
  first.movePosition(QTextCursor::NextCharacter);
  return first.charFormat().font();
}

}  // namespace

double memoHeightLimit() {
  bool ok = false;
  const double set = qEnvironmentVariable(kMemoHeightLimitVariable).toDouble(&ok);
  if (ok && set > 0) return std::min(set, kScrollHeightLimit);
  return kScrollHeightLimit * 0.95;
}

double lineHeightOf(const QFont& font) {
  // The layout places lines at whole pixels: a line is its font's spacing, rounded up.
  return std::max(1.0, std::ceil(QFontMetricsF(font).lineSpacing()));
}

double estimatedHeight(const QTextDocument& doc, double lineHeight) {
  double lines = doc.blockCount();
  // Few long lines wrap into many.
  const double width = doc.textWidth();
  if (width > 0)
    lines =
        std::max(lines, doc.characterCount() * QFontMetricsF(doc.defaultFont()).averageCharWidth() / width);
  double height = lines * lineHeight;
  // A last line laid out already tells the real height (taller lines, pictures); one not laid
  // out is never laid out for the question.
  if (!layoutParked(doc)) {
    const QTextBlock last = doc.lastBlock();
    if (last.isValid() && last.layout() && last.layout()->lineCount() > 0) {
      const double bottom = doc.documentLayout()->blockBoundingRect(last).bottom();
      if (std::isfinite(bottom) && bottom > height) height = bottom;
    }
  }
  return height;
}

bool tooTallForMemo(const QTextDocument& doc) {
  const double lineHeight = std::max(lineHeightOf(doc.defaultFont()), lineHeightOf(firstTextFont(doc)));
  return estimatedHeight(doc, lineHeight) > memoHeightLimit();
}

qsizetype textThatFits(const QTextCursor& at, QStringView text, double* lineHeightUsed) {
  const QTextDocument& doc = *at.document();
  const QFont font = at.charFormat().font();
  const double lineHeight = std::max(lineHeightOf(font), lineHeightOf(doc.defaultFont()));
  if (lineHeightUsed) *lineHeightUsed = lineHeight;
  const double room = memoHeightLimit() - estimatedHeight(doc, lineHeight);
  // At most one line per character: a short text far below the limit is not looked at.
  if (static_cast<double>(text.size()) * lineHeight <= room) return text.size();
  const double width = doc.textWidth();
  const double charWidth = width > 0 ? QFontMetricsF(font).averageCharWidth() : 0;
  double used = 0;
  qsizetype lineStart = 0, fits = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (!endsLine(text[i])) continue;
    used += (1 + wrappedLines(i - lineStart, charWidth, width)) * lineHeight;
    if (used > room) return fits;
    fits = lineStart = i + 1;
  }
  used += wrappedLines(text.size() - lineStart, charWidth, width) * lineHeight;
  return used > room ? fits : text.size();
}

QString tooTallMessage(double lineHeight) {
  const double limit = memoHeightLimit();
  return QStringLiteral(
             "Output too tall: a memo can be at most %L1 pixels high (%L2 lines of %L3 pixels); the "
             "program's text stops here.")
      .arg(static_cast<qint64>(limit))
      .arg(static_cast<qint64>(limit / std::max(1.0, lineHeight)))
      .arg(static_cast<qint64>(lineHeight));
}

QString tooTallDocumentMessage(const QTextDocument& doc) {
  return QStringLiteral(
             "Too tall to show: %L1 lines pass the %L2 pixels a memo can be high; the document is "
             "kept as it is, not laid out, shown or edited here.")
      .arg(doc.blockCount())
      .arg(static_cast<qint64>(memoHeightLimit()));
}

}  // namespace pravella
