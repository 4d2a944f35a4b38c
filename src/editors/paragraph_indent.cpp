#include "editors/paragraph_indent.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

float indentNumber = pravella::indent::kDefaultIndentWidth;

namespace pravella::indent {

QString defaultAutoIndentString() { return QString::fromUtf8("\xE2\x96\xA0\xE2\x97\x8F\xE2\x97\x86"); }

TextRange oneParagraph(const QString& text, int location, int length) {
  const int size = static_cast<int>(text.size());
  location = std::clamp(location, 0, size);
  length = std::clamp(length, 0, size - location);
  const int start =
      location == 0 ? 0 : static_cast<int>(text.lastIndexOf(QLatin1Char('\n'), location - 1)) + 1;
  // An empty selection at a line start (the text's start included) is an empty range there.
  if (length == 0 && start == location) return {start, 0};
  // The end is searched from the selection's last character, so a selection that ends just
  // behind a line end does not take the next line in.
  const int from = std::max(location + length - 1, 0);
  const int e = static_cast<int>(text.indexOf(QLatin1Char('\n'), from));
  if (e < 0) return {start, size - start};
  return {start, std::max(e - start, 0)};
}

TextRange oneParagraph(const QTextDocument& document, int location, int length) {
  // toPlainText keeps every position: paragraph ends become "\n" one for one.
  return oneParagraph(document.toPlainText(), location, length);
}

namespace {

int alignmentCode(const QTextBlockFormat& format) {
  if (!format.hasProperty(QTextFormat::BlockAlignment)) return 4;
  const Qt::Alignment a = format.alignment() & Qt::AlignHorizontal_Mask;
  if (a & Qt::AlignRight) return 1;
  if (a & Qt::AlignHCenter) return 2;
  if (a & Qt::AlignJustify) return 3;
  return 0;
}

// The blocks that the lines around the selection touch.
std::vector<QTextBlock> blocksOf(const QTextDocument& document, int location, int length) {
  const TextRange range = oneParagraph(document, location, length);
  std::vector<QTextBlock> blocks;
  for (QTextBlock b = document.findBlock(range.location); b.isValid(); b = b.next()) {
    blocks.push_back(b);
    if (b.position() + b.length() - 1 >= range.end()) break;
  }
  return blocks;
}

QTextBlockFormat indentFormat(double indent) {
  QTextBlockFormat format;
  format.setLeftMargin(indent);
  format.setTextIndent(0);
  return format;
}

}  // namespace

QString ParagraphRecord::toText() const {
  return QString::asprintf("%g:%d:%d:%d", firstLineHeadIndent, start, end, alignment);
}

double firstLineHeadIndent(const QTextBlock& block) {
  const QTextBlockFormat f = block.blockFormat();
  return f.leftMargin() + f.textIndent();
}

std::vector<ParagraphRecord> paragraphRecords(const QTextDocument& document, int location, int length) {
  std::vector<ParagraphRecord> records;
  const int textLength = document.characterCount() - 1;
  for (const QTextBlock& b : blocksOf(document, location, length)) {
    ParagraphRecord r;
    r.firstLineHeadIndent = firstLineHeadIndent(b);
    r.start = b.position();
    // One past the line end; the last line has none.
    r.end = std::min(b.position() + b.length(), textLength);
    r.alignment = alignmentCode(b.blockFormat());
    records.push_back(r);
  }
  return records;
}

double steppedIndent(double indent, double width, bool right) {
  if (!(width > 0)) return std::max(indent, 0.0);
  // A little slack, so that an indent that is a step apart from rounding is taken as on it.
  const double steps = std::floor(indent / width + 1e-9);
  return std::max((right ? steps + 1 : steps - 1) * width, 0.0);
}

int stepIndent(QTextDocument& document, int location, int length, double width, bool right) {
  const std::vector<QTextBlock> blocks = blocksOf(document, location, length);
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  for (const QTextBlock& b : blocks) {
    QTextBlockFormat format = b.blockFormat();
    const double indent = steppedIndent(firstLineHeadIndent(b), width, right);
    format.setLeftMargin(indent);
    format.setTextIndent(0);
    cursor.setPosition(b.position());
    cursor.setBlockFormat(format);
  }
  cursor.endEditBlock();
  return static_cast<int>(blocks.size());
}

int checkIndentString(const QString& line, const QString& marks) {
  if (line.isEmpty()) return -1;
  const char32_t first = line.toUcs4().value(0);
  const QList<uint> codes = marks.toUcs4();
  for (int k = 0; k < codes.size(); ++k)
    if (codes[k] == first) return k;
  return -1;
}

void autoIndent(QTextDocument& document, const QString& marks, double width) {
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  int level = 0;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
    const int k = checkIndentString(b.text(), marks);
    if (k >= 0) level = k;
    // The last line has no line end and keeps its paragraph as it is.
    if (!b.next().isValid()) break;
    cursor.setPosition(b.position());
    cursor.setBlockFormat(indentFormat((k >= 0 ? k : level + 1) * width));
  }
  cursor.endEditBlock();
}

float indentWidthFromPayload(const QString& payload, float old) {
  bool ok = false;
  const double w = payload.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(w) || w <= 0 || w > 1e6) return old;
  return static_cast<float>(w);
}

}  // namespace pravella::indent
