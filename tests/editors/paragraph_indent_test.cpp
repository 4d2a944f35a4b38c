// The paragraph operations of the memo views, on documents without a widget.

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <vector>

#include "editors/paragraph_indent.h"
#include "platform/rtf.h"

namespace {

using namespace pravella::indent;

const QString kSquare = QString::fromUtf8("\xE2\x96\xA0");   // ■
const QString kCircle = QString::fromUtf8("\xE2\x97\x8F");   // ●
const QString kDiamond = QString::fromUtf8("\xE2\x97\x86");  // ◆

std::vector<double> indents(const QTextDocument& doc) {
  std::vector<double> out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) out.push_back(firstLineHeadIndent(b));
  return out;
}

void setIndent(QTextDocument& doc, int block, double indent) {
  QTextCursor c(doc.findBlockByNumber(block));
  QTextBlockFormat f;
  f.setLeftMargin(indent);
  c.setBlockFormat(f);
}

TEST(ParagraphIndent, OneParagraphCoversWholeLines) {
  const QString text = "ab\ncd\n\nef";
  struct Case {
    int loc, len, start, length;
  } cases[] = {
      {0, 0, 0, 0},                 // at the very start: an empty range there
      {1, 0, 0, 2},                 // inside the first line
      {3, 0, 3, 0},                 // empty selection at a line start
      {4, 0, 3, 2},  {1, 3, 0, 5},  // over a line end: both lines
      {0, 3, 0, 2},                 // a selection ending just behind a line end keeps to its line
      {8, 0, 7, 2},                 // inside the last line without a line end, whole
      {9, 0, 7, 2},                 // at the very end
      {6, 0, 6, 0},                 // the empty line
      {50, 9, 7, 2},                // out of the text: clamped
  };
  for (const Case& c : cases) {
    const TextRange r = oneParagraph(text, c.loc, c.len);
    EXPECT_EQ(r.location, c.start) << c.loc << "," << c.len;
    EXPECT_EQ(r.length, c.length) << c.loc << "," << c.len;
  }
}

TEST(ParagraphIndent, StepsSnapToTheNextStep) {
  struct Case {
    double indent;
    bool right;
    double expected;
  } cases[] = {{45, true, 60}, {45, false, 0},           {0, false, 0}, {0, true, 30}, {60, false, 30},
               {60, true, 90}, {29.9999999999, true, 60}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(steppedIndent(c.indent, 30, c.right), c.expected) << c.indent;
}

TEST(ParagraphIndent, StepChangesTheSelectedLinesOnlyAndKeepsTheText) {
  QTextDocument doc;
  doc.setPlainText("one\ntwo\nthree\nfour");
  setIndent(doc, 1, 45);
  const QString before = doc.toPlainText();
  // Selection from inside "two" into "three".
  EXPECT_EQ(stepIndent(doc, 5, 5, 30, true), 2);
  EXPECT_EQ(indents(doc), std::vector<double>({0, 60, 30, 0}));
  EXPECT_EQ(doc.toPlainText(), before);
  EXPECT_EQ(stepIndent(doc, 5, 0, 30, false), 1);
  EXPECT_EQ(indents(doc), std::vector<double>({0, 30, 30, 0}));
  // The last line, which has no line end, takes its indent too; the text stays as it was.
  EXPECT_EQ(stepIndent(doc, 16, 0, 30, true), 1);
  EXPECT_EQ(indents(doc), std::vector<double>({0, 30, 30, 30}));
  EXPECT_EQ(doc.toPlainText(), before);
  // One undo step takes a whole step back.
  doc.undo();
  EXPECT_EQ(indents(doc), std::vector<double>({0, 30, 30, 0}));
  EXPECT_EQ(doc.toPlainText(), before);
}

TEST(ParagraphIndent, StepKeepsAlignmentAndFoldsAFirstLineIndent) {
  QTextDocument doc;
  doc.setPlainText("centred");
  QTextCursor c(&doc);
  QTextBlockFormat f;
  f.setAlignment(Qt::AlignHCenter);
  f.setLeftMargin(10);
  f.setTextIndent(20);  // a first line 30 points in
  c.setBlockFormat(f);
  stepIndent(doc, 0, 0, 30, true);
  const QTextBlockFormat now = doc.begin().blockFormat();
  EXPECT_DOUBLE_EQ(now.leftMargin(), 60);
  EXPECT_DOUBLE_EQ(now.textIndent(), 0);
  EXPECT_EQ(now.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST(ParagraphIndent, AutoIndentFollowsTheMarks) {
  QTextDocument doc;
  doc.setPlainText(kSquare + "a\nb\n" + kCircle + "c\nd\n" + kDiamond + "e\nf\n");
  autoIndent(doc, defaultAutoIndentString(), 30);
  // The seventh, empty line after the last line end keeps its paragraph.
  EXPECT_EQ(indents(doc), std::vector<double>({0, 30, 30, 60, 60, 90, 0}));

  // Lines before the first mark get one step; the last line without a line end is left alone.
  doc.setPlainText("x\n\n" + kCircle + "y\nz");
  setIndent(doc, 3, 15);
  autoIndent(doc, defaultAutoIndentString(), 30);
  EXPECT_EQ(indents(doc), std::vector<double>({30, 30, 30, 15}));
}

TEST(ParagraphIndent, CheckIndentStringTakesTheFirstCharacter) {
  const QString marks = defaultAutoIndentString();
  EXPECT_EQ(checkIndentString(kSquare + "x", marks), 0);
  EXPECT_EQ(checkIndentString(kDiamond, marks), 2);
  EXPECT_EQ(checkIndentString(" " + kSquare, marks), -1);
  EXPECT_EQ(checkIndentString("", marks), -1);
  // Marks outside the basic plane count as one character.
  EXPECT_EQ(checkIndentString(QString::fromUtf8("\xF0\x9F\x98\x80") + "x",
                              "a" + QString::fromUtf8("\xF0\x9F\x98\x80")),
            1);
}

TEST(ParagraphIndent, RecordsDescribeEachLine) {
  QTextDocument doc;
  doc.setPlainText("ab\ncd\nef");
  setIndent(doc, 1, 30);
  QTextCursor c(doc.findBlockByNumber(2));
  QTextBlockFormat right;
  right.setAlignment(Qt::AlignRight);
  c.setBlockFormat(right);
  std::vector<QString> texts;
  for (const ParagraphRecord& r : paragraphRecords(doc, 4, 4)) texts.push_back(r.toText());
  EXPECT_EQ(texts, std::vector<QString>({"30:3:6:4", "0:6:8:1"}));
}

TEST(ParagraphIndent, IndentsSurviveTheRtfCodec) {
  QTextDocument doc;
  doc.setPlainText("a\nb");
  stepIndent(doc, 2, 0, 30, true);
  stepIndent(doc, 2, 0, 30, true);
  const QByteArray rtf = pravella::rtf::write(doc, pravella::rtf::AttachmentMode::Embed).rtf;
  EXPECT_TRUE(rtf.contains("\\li1200"));
  QTextDocument back;
  ASSERT_TRUE(pravella::rtf::read(rtf, back).ok);
  EXPECT_EQ(indents(back), std::vector<double>({0, 60}));
}

TEST(ParagraphIndent, WidthPayloads) {
  EXPECT_FLOAT_EQ(indentWidthFromPayload("20", 30), 20);
  EXPECT_FLOAT_EQ(indentWidthFromPayload("0", 30), 30);
  EXPECT_FLOAT_EQ(indentWidthFromPayload("-5", 30), 30);
  EXPECT_FLOAT_EQ(indentWidthFromPayload("nan", 30), 30);
  EXPECT_FLOAT_EQ(indentWidthFromPayload("x", 30), 30);
}

}  // namespace
