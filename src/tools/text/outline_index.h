#pragma once
// The outline of a document: a row for every line that begins with one of the index
// characters (or, in all-lines mode, for every non-empty line), with its level from the
// paragraph's indent, and the sections the rows stand for. A section runs from its row's line
// to the next row of the same or a lower level. Positions are character positions of the
// document, lines split at its line ends.

#include <QString>

#include <optional>
#include <vector>

class QTextDocument;

namespace pravella::outline {

struct Row {
  int line = 0;         // 1-based line number
  QString text;         // the line
  double indent = 0;    // first-line head indent of its paragraph, in points
  int start = 0;        // where the line starts
  int end = 0;          // start + line length + 1
  int level(double indentWidth) const;
};

std::vector<Row> build(const QTextDocument& document, const QString& indexChars, bool allLines);

// What the table shows for a row: three blanks per level, then the line without its leading
// blanks (space and U+3000); a line of blanks only keeps them, an empty one shows "|".
QString displayText(const Row& row, double indentWidth);

// The rows from `first` to the end of the section of row `last`: up to the first row after it
// whose level is not greater than its own (exclusive).
int sectionEnd(const std::vector<Row>& rows, int last, double indentWidth);

// Where the section of rows first..last ends in the text: the start of the row after `last`,
// or the text length after the last row.
int sectionEndPosition(const std::vector<Row>& rows, int last, int textLength);

// Moves the section of rows first..last so that it stands before row `to` (rows.size() for
// the end of the text). Refused (false, nothing changed) when `to` lies within the section or
// right after it. The copy keeps its formats and pictures; one undo step. `to` == first is a
// move to the same place: nothing changes and it answers true.
bool moveSection(QTextDocument& document, const std::vector<Row>& rows, int first, int last, int to);

// Puts a copy of row k's section right after it (the text up to the next row's line, or to the
// end). Answers the copied range's end, or nothing when k is no row.
std::optional<int> duplicateSection(QTextDocument& document, const std::vector<Row>& rows, int k);

}  // namespace pravella::outline
