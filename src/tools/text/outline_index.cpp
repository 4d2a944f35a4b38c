#include "tools/text/outline_index.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include "editors/paragraph_indent.h"
#include "tools/text/find_replace.h"

namespace pravella::outline {

int Row::level(double indentWidth) const {
  return indentWidth > 0 ? static_cast<int>(indent / indentWidth + 0.5) : 0;
}

std::vector<Row> build(const QTextDocument& document, const QString& indexChars, bool allLines) {
  std::vector<Row> rows;
  const QString text = findtext::documentText(document);
  const QStringList lines = text.split(u'\n');
  int start = 0;
  for (int n = 0; n < lines.size(); ++n) {
    const QString& line = lines[n];
    const auto row = [&] {
      const double indent = indent::firstLineHeadIndent(document.findBlock(start));
      rows.push_back({n + 1, line, indent, start, start + static_cast<int>(line.size()) + 1});
    };
    if (allLines) {
      if (!line.isEmpty()) row();
    } else {
      // A line gets a row for each index character it begins with.
      for (QChar mark : indexChars)
        if (line.startsWith(mark)) row();
    }
    start += static_cast<int>(line.size()) + 1;
  }
  return rows;
}

QString displayText(const Row& row, double indentWidth) {
  qsizetype blanks = 0;
  while (blanks < row.text.size() && (row.text[blanks] == u' ' || row.text[blanks] == QChar(0x3000))) ++blanks;
  QString shown = blanks == row.text.size() ? row.text : row.text.mid(blanks);
  if (shown.isEmpty()) shown = QStringLiteral("|");
  return QString(row.level(indentWidth) * 3, u' ') + shown;
}

int sectionEnd(const std::vector<Row>& rows, int last, double indentWidth) {
  const int level = rows[static_cast<std::size_t>(last)].level(indentWidth);
  int end = last + 1;
  while (end < static_cast<int>(rows.size()) && rows[static_cast<std::size_t>(end)].level(indentWidth) > level) ++end;
  return end;
}

int sectionEndPosition(const std::vector<Row>& rows, int last, int textLength) {
  return last + 1 < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(last) + 1].start : textLength;
}

namespace {

QTextDocumentFragment cut(QTextDocument& document, int start, int end, bool remove) {
  QTextCursor c(&document);
  c.setPosition(start);
  c.setPosition(end, QTextCursor::KeepAnchor);
  const QTextDocumentFragment fragment = c.selection();
  if (remove) c.removeSelectedText();
  return fragment;
}

void insertAt(QTextDocument& document, int at, const QTextDocumentFragment& fragment) {
  QTextCursor c(&document);
  c.setPosition(at);
  c.insertFragment(fragment);
}

int textLength(const QTextDocument& document) { return document.characterCount() - 1; }

// A section goes before another only with its line end: a last line without one gets it when a
// section moves or is copied, never when the outline is only looked at.
bool lacksLastLineEnd(const QTextDocument& document) {
  const QString text = findtext::documentText(document);
  return !text.isEmpty() && !text.endsWith(u'\n');
}

void endLastLine(QTextDocument& document) {
  QTextCursor end(&document);
  end.movePosition(QTextCursor::End);
  end.insertText(QStringLiteral("\n"));
}

}  // namespace

bool moveSection(QTextDocument& document, const std::vector<Row>& rows, int first, int last, int to) {
  const int count = static_cast<int>(rows.size());
  if (first < 0 || last < first || last >= count || to < 0 || to > count) return false;
  if (to == first) return true;
  // The line end a last line gets comes after every row's start: the positions hold.
  const bool lineEnd = lacksLastLineEnd(document);
  const int length = textLength(document) + (lineEnd ? 1 : 0);
  const int start = rows[static_cast<std::size_t>(first)].start;
  const int end = std::min(sectionEndPosition(rows, last, length), length);
  const int target = to < count ? rows[static_cast<std::size_t>(to)].start : length;
  // Into its own section or right behind it: that would be no move at all.
  if (first < to && target >= start && target <= end + 1) return false;
  QTextCursor block(&document);
  block.beginEditBlock();
  if (lineEnd) endLastLine(document);
  if (first < to) {
    // The copy goes in first; the section before it keeps its positions.
    insertAt(document, target, cut(document, start, end, false));
    cut(document, start, end, true);
  } else {
    const QTextDocumentFragment section = cut(document, start, end, true);
    insertAt(document, rows[static_cast<std::size_t>(to)].start, section);
  }
  block.endEditBlock();
  return true;
}

std::optional<int> duplicateSection(QTextDocument& document, const std::vector<Row>& rows, int k) {
  if (k < 0 || k >= static_cast<int>(rows.size())) return std::nullopt;
  const int start = rows[static_cast<std::size_t>(k)].start;
  const bool lineEnd = lacksLastLineEnd(document);
  const int end = sectionEndPosition(rows, k, textLength(document) + (lineEnd ? 1 : 0));
  QTextCursor block(&document);
  block.beginEditBlock();
  if (lineEnd) endLastLine(document);
  insertAt(document, end, cut(document, start, end, false));
  block.endEditBlock();
  return end + (end - start);
}

}  // namespace pravella::outline
