#pragma once
// Paragraph operations every memo view offers: the lines around a selection, one indent step
// right or left for those lines, re-indenting a whole text from marks at its line starts
// (auto-indent), and the paragraph records programs read. They work on a QTextDocument and a
// selection, without a widget, so the views, the keys and the language share them.
//
// An indent is the block's left margin with a text indent of 0 (first line and the following
// lines of a paragraph start at the same place), which the RTF codec stores as \li and \fi.
// A line is a block of the document: a line end inside a paragraph (U+2028) does not end one.

#include <QString>
#include <vector>

class QTextBlock;
class QTextDocument;

// The indent width in points of the step and auto-indent operations; 30 at start. Only the
// command "cal_indentWidth" changes it (setIndentWidth), on the GUI thread.
extern float indentNumber;

namespace pravella::indent {

inline constexpr float kDefaultIndentWidth = 30.0f;
// The indent marks at start, one per level: "■" level 0, "●" level 1, "◆" level 2.
QString defaultAutoIndentString();

struct TextRange {
  int location = 0;
  int length = 0;
  int end() const { return location + length; }
};

// The whole lines around the selection (loc, len) of `text`, without the last line's line
// end; an empty selection at the very start of a line gives an empty range at that line start.
TextRange oneParagraph(const QString& text, int location, int length);
TextRange oneParagraph(const QTextDocument& document, int location, int length);

// One line's paragraph: its first-line indent in points, where it starts and ends (one past
// its line end), and its alignment (0 left, 1 right, 2 centre, 3 justified, 4 natural).
struct ParagraphRecord {
  double firstLineHeadIndent = 0;
  int start = 0;
  int end = 0;
  int alignment = 4;
  // "%g:%d:%d:%d", as programs read it.
  QString toText() const;
};
std::vector<ParagraphRecord> paragraphRecords(const QTextDocument& document, int location, int length);

// The indent of a block's first line in points.
double firstLineHeadIndent(const QTextBlock& block);

// Indent after one step: to the next multiple of `width` in the chosen direction, never below
// 0, so an indent between two steps snaps (width 30: 45 goes to 60 right, 0 left).
double steppedIndent(double indent, double width, bool right);

// One indent step right or left for every line of the lines around the selection. The text's
// characters do not change, and the last line (without a line end) takes its format directly.
// All of it is one undo step. Returns the number of lines changed.
int stepIndent(QTextDocument& document, int location, int length, double width, bool right);

// The level of a line's first character among `marks`, or -1 (also for an empty line).
int checkIndentString(const QString& line, const QString& marks);

// Re-indents the whole text: a line that begins with the k-th mark gets indent k x width and
// makes k the current level; every other line (empty ones too) gets (current level + 1) x
// width; the level starts at 0. The last line, which has no line end, keeps its paragraph.
// One undo step.
void autoIndent(QTextDocument& document, const QString& marks, double width);

// A payload's width for "cal_indentWidth": the new width when above 0, else `old`.
float indentWidthFromPayload(const QString& payload, float old);

}  // namespace pravella::indent
