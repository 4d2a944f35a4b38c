// The outline of a document: its rows, levels, sections, and moving and duplicating sections.

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "tools/text/find_replace.h"
#include "tools/text/outline_index.h"

using namespace pravella;

namespace {

QString textOf(const QTextDocument& doc) { return findtext::documentText(doc); }

void indentLine(QTextDocument& doc, int line, double indent) {
  QTextBlockFormat f = doc.findBlockByNumber(line).blockFormat();
  f.setLeftMargin(indent);
  f.setTextIndent(0);
  QTextCursor(doc.findBlockByNumber(line)).setBlockFormat(f);
}

const QString kMarks = QStringLiteral("\u25A0\u25C6");  // ■ ◆

}  // namespace

TEST(Outline, RowsOfHeadingsAndOfAllLines) {
  QTextDocument doc;
  doc.setPlainText(QStringLiteral("\u25A0A\nB\n\u25C6C\n"));
  auto rows = outline::build(doc, kMarks, false);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].line, 1);
  EXPECT_EQ(rows[0].start, 0);
  EXPECT_EQ(rows[0].end, 3);
  EXPECT_EQ(rows[1].line, 3);
  EXPECT_EQ(rows[1].start, 5);
  EXPECT_EQ(rows[1].text, QStringLiteral("\u25C6C"));
  EXPECT_EQ(outline::build(doc, kMarks, true).size(), 3u);  // the empty last line has no row
}

TEST(Outline, LevelsAndShownText) {
  QTextDocument doc;
  doc.setPlainText(QStringLiteral("\u25A0a\n\u25A0b\n\u25A0c\n"));
  indentLine(doc, 1, 45);
  indentLine(doc, 2, 44);
  const auto rows = outline::build(doc, kMarks, false);
  EXPECT_EQ(outline::displayText(rows[0], 30), QStringLiteral("\u25A0a"));
  EXPECT_EQ(outline::displayText(rows[1], 30), QStringLiteral("      \u25A0b"));
  EXPECT_EQ(outline::displayText(rows[2], 30), QStringLiteral("   \u25A0c"));
  outline::Row blanks{1, QStringLiteral(" \u3000x"), 0, 0, 4};
  EXPECT_EQ(outline::displayText(blanks, 30), QStringLiteral("x"));
  blanks.text = QStringLiteral("  ");
  EXPECT_EQ(outline::displayText(blanks, 30), QStringLiteral("  "));
  blanks.text.clear();
  EXPECT_EQ(outline::displayText(blanks, 30), QStringLiteral("|"));
}

TEST(Outline, SectionsRunToTheNextRowOfTheirLevel) {
  QTextDocument doc;
  doc.setPlainText(QStringLiteral("\u25A0A\n\u25A0a1\n\u25A0a2\n\u25A0B\n"));
  indentLine(doc, 1, 30);
  indentLine(doc, 2, 60);
  const auto rows = outline::build(doc, kMarks, false);
  EXPECT_EQ(outline::sectionEnd(rows, 0, 30), 3);
  EXPECT_EQ(outline::sectionEnd(rows, 1, 30), 3);
  EXPECT_EQ(outline::sectionEnd(rows, 3, 30), 4);
  EXPECT_EQ(outline::sectionEndPosition(rows, 0, 99), rows[1].start);
  EXPECT_EQ(outline::sectionEndPosition(rows, 3, 99), 99);
}

TEST(Outline, MovingSections) {
  const QString text = QStringLiteral("\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n");
  const struct {
    int first, last, to;
    bool moved;
    const char16_t* result;
  } cases[] = {
      {0, 0, 2, true, u"\u25A0B\ny\n\u25A0A\nx\n\u25A0C\nz\n"},
      {0, 0, 3, true, u"\u25A0B\ny\n\u25A0C\nz\n\u25A0A\nx\n"},
      {2, 2, 0, true, u"\u25A0C\nz\n\u25A0A\nx\n\u25A0B\ny\n"},
      {0, 1, 3, true, u"\u25A0C\nz\n\u25A0A\nx\n\u25A0B\ny\n"},
      {0, 0, 0, true, u"\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n"},   // onto itself: nothing
      {0, 0, 1, false, u"\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n"},  // right behind itself
      {2, 2, 3, false, u"\u25A0A\nx\n\u25A0B\ny\n\u25A0C\nz\n"},
  };
  for (const auto& c : cases) {
    QTextDocument doc;
    doc.setPlainText(text);
    const auto rows = outline::build(doc, kMarks, false);
    EXPECT_EQ(outline::moveSection(doc, rows, c.first, c.last, c.to), c.moved) << c.first << "->" << c.to;
    EXPECT_EQ(textOf(doc), QString::fromUtf16(c.result)) << c.first << "->" << c.to;
  }
}

TEST(Outline, AMovedSectionKeepsItsPictureAndIsOneUndoStep) {
  QTextDocument doc;
  doc.setPlainText(QStringLiteral("\u25A0A\n\n\u25A0B\n"));
  QTextCursor c(doc.findBlockByNumber(1));
  c.insertImage(QStringLiteral("picture.png"));
  const QString before = textOf(doc);
  const auto rows = outline::build(doc, kMarks, false);
  ASSERT_TRUE(outline::moveSection(doc, rows, 0, 0, 2));
  EXPECT_EQ(textOf(doc), QStringLiteral("\u25A0B\n\u25A0A\n\uFFFC\n"));
  EXPECT_TRUE(doc.find(QStringLiteral("\uFFFC")).charFormat().isImageFormat());
  doc.undo();
  EXPECT_EQ(textOf(doc), before);
}

TEST(Outline, DuplicatingPutsTheCopyBehindTheSection) {
  QTextDocument doc;
  doc.setPlainText(QStringLiteral("\u25A0A\nx\n\u25A0B\ny\n"));
  const auto rows = outline::build(doc, kMarks, false);
  EXPECT_EQ(outline::duplicateSection(doc, rows, 0), 10);
  EXPECT_EQ(textOf(doc), QStringLiteral("\u25A0A\nx\n\u25A0A\nx\n\u25A0B\ny\n"));
  EXPECT_FALSE(outline::duplicateSection(doc, rows, 5));
}
