// Lists and tables in memos: written as RTF that other programs read as lists and tables, and
// read back as QTextDocument lists and tables, so that a pasted list or table survives a save.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

#include "platform/rich_text_file.h"
#include "platform/rtf.h"
#include "support/test_home.h"

namespace {

using pravella::rtf::AttachmentMode;

QTextList* listOf(const QTextDocument& doc, const QString& text) {
  const QTextCursor c = doc.find(text);
  EXPECT_FALSE(c.isNull()) << text.toStdString();
  return c.isNull() ? nullptr : c.block().textList();
}

QTextTable* firstTable(const QTextDocument& doc) {
  for (QTextFrame* f : doc.rootFrame()->childFrames())
    if (auto* t = qobject_cast<QTextTable*>(f)) return t;
  return nullptr;
}

QString cellText(QTextTable* table, int row, int column) {
  const QTextTableCell cell = table->cellAt(row, column);
  QTextCursor c = cell.firstCursorPosition();
  c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
  return c.selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

// A memo as a browser paste leaves it: a paragraph, a bulleted and a numbered list, a table
// of two rows with fixed widths and a cell of two paragraphs, and a closing paragraph.
void fillStructuredDocument(QTextDocument& doc) {
  QTextCursor c(&doc);
  c.insertText("Shopping");
  QTextListFormat bullets;
  bullets.setStyle(QTextListFormat::ListDisc);
  c.insertBlock();
  c.createList(bullets);
  c.insertText("milk");
  c.insertBlock();
  c.insertText("eggs");
  c.insertBlock();
  c.setBlockFormat(QTextBlockFormat());  // out of the list
  QTextListFormat numbers;
  numbers.setStyle(QTextListFormat::ListDecimal);
  c.createList(numbers);
  c.insertText("first");
  c.insertBlock();
  c.insertText("second");
  c.insertBlock();
  c.setBlockFormat(QTextBlockFormat());
  c.insertText("Prices");
  QTextTableFormat tf;
  tf.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 100), QTextLength(QTextLength::FixedLength, 60)});
  QTextTable* table = c.insertTable(2, 2, tf);
  table->cellAt(0, 0).firstCursorPosition().insertText("alpha");
  table->cellAt(0, 1).firstCursorPosition().insertText("beta");
  QTextCursor two = table->cellAt(1, 0).firstCursorPosition();
  two.insertText("gamma");
  two.insertBlock();
  two.insertText("more");
  table->cellAt(1, 1).firstCursorPosition().insertText("12.5");
  c = table->lastCursorPosition();
  c.movePosition(QTextCursor::NextBlock);
  c.insertText("after");
}

void expectStructure(const QTextDocument& doc) {
  QTextList* bullets = listOf(doc, "milk");
  ASSERT_TRUE(bullets);
  EXPECT_EQ(bullets->format().style(), QTextListFormat::ListDisc);
  EXPECT_EQ(listOf(doc, "eggs"), bullets);
  EXPECT_EQ(bullets->count(), 2);
  QTextList* numbers = listOf(doc, "second");
  ASSERT_TRUE(numbers);
  EXPECT_NE(numbers, bullets);
  EXPECT_EQ(numbers->format().style(), QTextListFormat::ListDecimal);
  EXPECT_EQ(numbers->itemText(doc.find("second").block()), "2.");
  EXPECT_FALSE(listOf(doc, "Shopping"));
  EXPECT_FALSE(listOf(doc, "Prices"));

  QTextTable* table = firstTable(doc);
  ASSERT_TRUE(table);
  ASSERT_EQ(table->rows(), 2);
  ASSERT_EQ(table->columns(), 2);
  EXPECT_EQ(cellText(table, 0, 0), "alpha");
  EXPECT_EQ(cellText(table, 0, 1), "beta");
  EXPECT_EQ(cellText(table, 1, 0), "gamma\nmore");
  EXPECT_EQ(cellText(table, 1, 1), "12.5");
  const QList<QTextLength> widths = table->format().columnWidthConstraints();
  ASSERT_EQ(widths.size(), 2);
  EXPECT_DOUBLE_EQ(widths[0].rawValue(), 100);
  EXPECT_DOUBLE_EQ(widths[1].rawValue(), 60);
  // The paragraphs around the table stay where they were.
  EXPECT_EQ(table->firstCursorPosition().block().previous().text(), "Prices");
  QTextCursor behind = table->lastCursorPosition();
  behind.movePosition(QTextCursor::NextBlock);
  EXPECT_EQ(behind.block().text(), "after");
  EXPECT_FALSE(doc.find("after").block().textList());
}

TEST(RtfStructure, ListsAndTablesSurviveASave) {
  QTextDocument original;
  fillStructuredDocument(original);
  ASSERT_NO_FATAL_FAILURE(expectStructure(original));

  const QByteArray rtf = pravella::rtf::write(original, AttachmentMode::Separate).rtf;
  for (const char* word : {"\\listtable", "\\listoverridetable", "\\ls1", "\\ls2", "{\\listtext ", "\\trowd",
                           "\\cellx2000", "\\cellx3200", "\\intbl", "\\cell ", "\\row"})
    EXPECT_TRUE(rtf.contains(word)) << word << "\n" << rtf.toStdString();

  QTextDocument once;
  ASSERT_TRUE(pravella::rtf::read(rtf, once).ok);
  ASSERT_NO_FATAL_FAILURE(expectStructure(once));
  EXPECT_EQ(pravella::plainTextOf(once), pravella::plainTextOf(original));
  // A second save writes the same file: nothing grows or drifts from save to save.
  EXPECT_EQ(pravella::rtf::write(once, AttachmentMode::Separate).rtf.toStdString(), rtf.toStdString());

  // Through an RTFD document on disk, as the memo saves.
  const QString path = pravella::test::home() + "/lists.rtfd";
  ASSERT_TRUE(pravella::writeRtfdFile(path, original).ok);
  QTextDocument fromDisk;
  ASSERT_TRUE(pravella::readRichTextFile(path, fromDisk));
  ASSERT_NO_FATAL_FAILURE(expectStructure(fromDisk));
}

// Another program reads the same structure from our file (pandoc's RTF reader, where it is
// installed, as an independent reader).
TEST(RtfStructure, AnotherReaderSeesTheListsAndTheTable) {
  const QString pandoc = QStandardPaths::findExecutable("pandoc");
  if (pandoc.isEmpty()) GTEST_SKIP() << "pandoc is not installed";
  QTextDocument original;
  fillStructuredDocument(original);
  const QString path = pravella::test::home() + "/lists.rtf";
  ASSERT_TRUE(pravella::writeRtfFile(path, original).ok);
  QProcess p;
  p.start(pandoc, {"-f", "rtf", "-t", "markdown", path});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString md = QString::fromUtf8(p.readAllStandardOutput());
  if (md.isEmpty() && p.readAllStandardError().contains("Unknown input format")) GTEST_SKIP() << "no RTF reader";
  EXPECT_TRUE(md.contains(QRegularExpression("\\n-\\s+milk\\s+-\\s+eggs\\s"))) << md.toStdString();
  EXPECT_TRUE(md.contains(QRegularExpression("\\n1\\.\\s+first\\s+2\\.\\s+second\\s"))) << md.toStdString();
  // One row of two cells, not a line each.
  EXPECT_TRUE(md.contains(QRegularExpression("\\|\\s*alpha\\s*\\|\\s*beta\\s*\\|"))) << md.toStdString();
  EXPECT_TRUE(md.contains(QRegularExpression("\\|\\s*gamma\\s*\\|\\s*12\\.5\\s*\\|"))) << md.toStdString();
  EXPECT_FALSE(md.contains("alphabeta")) << md.toStdString();
}

struct ForeignCase {
  const char* name;
  const char* rtf;
  const char* plain;  // the document's text, cells joined by "|" and rows by "/"
  int lists;          // list items read as such
};

// The text of the document with each table written as cells "|" and rows "/".
QString structuredText(const QTextDocument& doc) {
  QString out;
  for (QTextFrame::iterator it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
    if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
      for (int r = 0; r < table->rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columns(); ++c) cells << cellText(table, r, c);
        out += cells.join(u'|') + u'/';
      }
      continue;
    }
    out += it.currentBlock().text() + u'\n';
  }
  return out;
}

TEST(RtfStructure, ListsAndTablesOfOtherWriters) {
  const ForeignCase cases[] = {
      {"word list with symbol bullets",
       R"({\rtf1\ansi{\fonttbl{\f0 Times;}{\f3\fcharset2 Symbol;}}{\*\listtable{\list\listid7{\listlevel\levelnfc23}}}
{\*\listoverridetable{\listoverride\listid7\ls1}}
\pard\plain intro\par
\pard\fi-360\li720\ls1\ilvl0{\listtext\pard\plain\f3 \'b7\tab}one\par
{\listtext\pard\plain\f3 \'b7\tab}two\par
\pard after\par})",
       "intro\none\ntwo\nafter\n\n", 2},
      {"old numbered paragraphs", R"({\rtf1\ansi{\pntext 1.\tab}{\*\pn\pnlvlbody\pndec}a\par{\pntext 2.\tab}b\par\pard c})",
       "a\nb\nc\n", 2},
      {"table with the row defined at its end",
       R"({\rtf1\ansi x\par\pard\intbl a\cell b\cell c\cell\trowd\cellx1000\cellx2000\cellx3000\row\pard y})",
       "x\na|b|c/y\n", 0},
      {"empty cells", R"({\rtf1\ansi\trowd\cellx1000\cellx2000\cellx3000\pard\intbl\cell\cell z\cell\row\pard end})",
       "\n||z/end\n", 0},
      {"nested table cells are kept apart",
       R"({\rtf1\ansi\trowd\cellx5000\pard\intbl\itap1 outer\par
\pard\intbl\itap2 alpha\nestcell beta\nestcell{\*\nesttableprops\trowd\cellx2000\cellx4000\nestrow}{\nonesttables\par}
\pard\intbl\itap1\cell\row\pard done})",
       "\nouter\nalpha\tbeta\t/done\n", 0},
  };
  for (const ForeignCase& c : cases) {
    SCOPED_TRACE(c.name);
    QTextDocument doc;
    ASSERT_TRUE(pravella::rtf::read(c.rtf, doc).ok);
    EXPECT_EQ(structuredText(doc).toStdString(), c.plain);
    int items = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) items += b.textList() != nullptr;
    EXPECT_EQ(items, c.lists);
  }
}

// A character background goes out as \chcbpat as well as \cb: most readers know only the
// first, the old platform's text system only the second.
TEST(RtfStructure, CharacterBackgroundIsWrittenForEveryReader) {
  QTextDocument doc;
  QTextCharFormat marked;
  marked.setBackground(QColor(255, 255, 0));
  QTextCursor(&doc).insertText("marked", marked);
  const QByteArray rtf = pravella::rtf::write(doc, AttachmentMode::Embed).rtf;
  EXPECT_TRUE(rtf.contains("\\cb1\\chcbpat1 ")) << rtf.toStdString();
  QTextDocument back;
  ASSERT_TRUE(pravella::rtf::read(rtf, back).ok);
  QTextCursor at(&back);
  at.setPosition(1);
  EXPECT_EQ(at.charFormat().background().color(), QColor(255, 255, 0));
}

}  // namespace
