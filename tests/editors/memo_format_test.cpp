// Fonts, the standard document look, the colour cycle and date stamps on plain documents.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

#include "editors/memo_format.h"
#include "platform/paths.h"

namespace {

using namespace pravella::memo_format;

QString familyAt(QTextDocument& doc, int position) {
  QTextCursor c(&doc);
  c.setPosition(position + 1);
  const QStringList f = c.charFormat().fontFamilies().toStringList();
  return f.isEmpty() ? QString() : f.first();
}

QColor colourAt(QTextDocument& doc, int position) {
  QTextCursor c(&doc);
  c.setPosition(position + 1);
  return c.charFormat().foreground().color();
}

TEST(MemoFormat, ColourCycleWrapsAfterEleven) {
  EXPECT_EQ(colourCycle(0), QColor(Qt::black));
  EXPECT_EQ(colourCycle(1), QColor::fromRgbF(1, 0, 0));
  EXPECT_EQ(colourCycle(11), colourCycle(0));
  EXPECT_EQ(colourCycle(10), QColor::fromRgbF(0.8f, 0.8f, 0.8f));
}

TEST(MemoFormat, DateStampReplacesTheSelectionAndColoursTheDate) {
  QTextDocument doc;
  doc.setPlainText("abXXcd");
  QTextCursor c(&doc);
  c.setPosition(2);
  c.setPosition(4, QTextCursor::KeepAnchor);
  const QDateTime when(QDate(2008, 5, 4), QTime(9, 5, 1));
  insertDateStamp(c, when, true, Qt::red);
  EXPECT_EQ(doc.toPlainText(), "ab [2008/05/04 09:05:01] cd");
  EXPECT_NE(colourAt(doc, 3), QColor(Qt::red));  // the "["
  EXPECT_EQ(colourAt(doc, 4), QColor(Qt::red));
  EXPECT_EQ(colourAt(doc, 4 + 18), QColor(Qt::red));
  EXPECT_NE(colourAt(doc, 4 + 19), QColor(Qt::red));  // the "]"
  EXPECT_EQ(dateStampText(when, false), " [2008/05/04] ");
}

TEST(MemoFormat, FontRangeIsTheSelectionOnlyWhenItIsPartOfTheText) {
  EXPECT_EQ(fontCommandRange(2, 3, 10).start, 2);
  EXPECT_EQ(fontCommandRange(2, 3, 10).length, 3);
  EXPECT_EQ(fontCommandRange(0, 10, 10).length, 10);
  EXPECT_EQ(fontCommandRange(4, 0, 10).start, 0);
  EXPECT_EQ(fontCommandRange(4, 0, 10).length, 10);
}

TEST(MemoFormat, AnUnknownFontOrSizeChangesNothing) {
  QTextDocument doc;
  doc.setPlainText("text");
  EXPECT_FALSE(applyFont(doc, {0, 4}, "No Such Font Anywhere", 12));
  EXPECT_FALSE(applyFont(doc, {0, 4}, "Monaco", 0));
  EXPECT_FALSE(applyFont(doc, {0, 4}, "Monaco", std::nan("")));
  EXPECT_EQ(familyAt(doc, 0), QString());
  if (!fontInstalled("Monaco")) GTEST_SKIP() << "the alias of Monaco is not installed";
  ASSERT_TRUE(applyFont(doc, {1, 2}, "Monaco", 14, QColor(Qt::black)));
  EXPECT_EQ(familyAt(doc, 1), "Monaco");  // the document keeps the old name
  EXPECT_EQ(familyAt(doc, 3), QString());
}

TEST(MemoFormat, StandardDocumentHonoursIndexCharacters) {
  if (!fontInstalled(kHeadingFont)) GTEST_SKIP() << "the Japanese fonts are not installed";
  const QString reference = QString::fromUtf8("\xE2\x80\xBB");  // ※
  const QString box = QString::fromUtf8("\xE2\x96\xA1");        // □
  QTextDocument doc;
  doc.setPlainText(reference + "one\nplain\n" + box + "two\n#three");
  ASSERT_TRUE(standardDocument(doc, indexCharacters(), 12));
  EXPECT_EQ(familyAt(doc, 0), kHeadingFont);
  EXPECT_EQ(colourAt(doc, 0), headingColour());
  EXPECT_EQ(familyAt(doc, 6), kBodyFont);
  EXPECT_EQ(familyAt(doc, 12), kHeadingFont);
  EXPECT_EQ(familyAt(doc, 17), kBodyFont);

  // The user's own index characters replace the built-in ones.
  QDir().mkpath(pravella::paths::preferences());
  QFile file(pravella::paths::preferences() + "/indexChar.dat");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("#");
  file.close();
  EXPECT_EQ(indexCharacters(), "#");
  doc.setPlainText(reference + "one\n#three");
  ASSERT_TRUE(standardDocument(doc, indexCharacters(), 12));
  EXPECT_EQ(familyAt(doc, 0), kBodyFont);
  EXPECT_EQ(familyAt(doc, 5), kHeadingFont);
}

}  // namespace
