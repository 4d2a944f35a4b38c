// Replace-all and the searches on documents, compared in place and ignoring case.

#include <gtest/gtest.h>

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include "tools/text/find_replace.h"

using namespace pravella::findtext;

TEST(FindReplace, ReplaceAllCases) {
  struct Case {
    const char16_t* text;
    const char16_t* find;
    const char16_t* replacement;
    const char16_t* result;
    int count;
  };
  const Case cases[] = {
      // A shorter replacement is tried again against its neighbourhood: runs collapse.
      {u"a\n\n\n\nb", u"\n\n", u"\n", u"a\nb", 3},
      {u"a\n\n\n\n\nb", u"\n\n\n", u"\n\n", u"a\n\nb", 3},
      {u"aaaa", u"aa", u"b", u"bb", 2},
      {u"Foo foo FOO", u"foo", u"bar", u"bar bar bar", 3},
      {u"a.b.c", u".", u"--", u"a--b--c", 2},
      {u"abc", u"ABC", u"x", u"x", 1},  // a text as long as the find text proceeds
      {u"trailing \nblanks \n", u" \n", u"\n", u"trailing\nblanks\n", 2},
      // Case mappings that change length do not shift positions.
      {u"\u0130x \u0130x", u"x", u"y", u"\u0130y \u0130y", 2},
      {u"Stra\u00DFe STRASSE", u"strasse", u"road", u"Stra\u00DFe road", 1},
      {u"nothing here", u"zzz", u"y", u"nothing here", 0},
      // Refused: empty find text, a text shorter than it, a replacement holding it.
      {u"aaa", u"a", u"A", u"aaa", -1},
      {u"ab", u"abc", u"x", u"ab", -1},
      {u"abc", u"", u"x", u"abc", -1},
      {u"ab ab", u"ab", u"xABy", u"ab ab", -1},
  };
  for (const Case& c : cases) {
    QTextDocument doc;
    doc.setPlainText(QString::fromUtf16(c.text));
    const int count = replaceAll(doc, QString::fromUtf16(c.find), QString::fromUtf16(c.replacement));
    EXPECT_EQ(count, c.count) << QString::fromUtf16(c.text).toStdString();
    EXPECT_EQ(documentText(doc), QString::fromUtf16(c.result)) << QString::fromUtf16(c.text).toStdString();
  }
}

TEST(FindReplace, ReplaceAllKeepsFormatsAndIsOneUndoStep) {
  QTextDocument doc;
  QTextCursor c(&doc);
  c.insertText(QStringLiteral("one "));
  QTextCharFormat bold;
  bold.setFontWeight(QFont::Bold);
  c.insertText(QStringLiteral("two"), bold);
  c.insertText(QStringLiteral(" one\n"), QTextCharFormat());
  c.insertImage(QStringLiteral("picture.png"));
  c.insertText(QStringLiteral(" one"));
  const QString before = documentText(doc);

  EXPECT_EQ(replaceAll(doc, QStringLiteral("ONE"), QStringLiteral("1")), 3);
  EXPECT_EQ(documentText(doc), QStringLiteral("1 two 1\n\uFFFC 1"));
  QTextCursor at(&doc);
  at.setPosition(4);  // inside "two"
  EXPECT_EQ(at.charFormat().fontWeight(), QFont::Bold);
  EXPECT_TRUE(doc.find(QStringLiteral("\uFFFC")).charFormat().isImageFormat());

  doc.undo();
  EXPECT_EQ(documentText(doc), before);
}

TEST(FindReplace, ReplaceAllOfManyMatchesStaysLinear) {
  // 20,000 matches in a large text: rebuilding the text per replacement would take minutes.
  QString text;
  for (int i = 0; i < 20000; ++i) text += QStringLiteral("line %1 item\n").arg(i);
  QTextDocument doc;
  doc.setPlainText(text);
  EXPECT_EQ(replaceAll(doc, QStringLiteral("item"), QStringLiteral("entry")), 20000);
  EXPECT_TRUE(documentText(doc).startsWith(QStringLiteral("line 0 entry\nline 1 entry\n")));
}

TEST(FindReplace, SearchBounds) {
  const QString text = QStringLiteral("abc ABC abc");
  EXPECT_EQ(findForward(text, u"abc", 1), 4);
  EXPECT_EQ(findForward(text, u"abc", 9), -1);   // past text length minus find length
  EXPECT_EQ(findForward(text, u"", 0), -1);
  EXPECT_EQ(findBackward(text, u"abc", 7), 4);   // a match starting at `from` counts
  EXPECT_EQ(findBackward(text, u"abc", 3), 0);
  EXPECT_EQ(findBackward(text, u"abc", 100), 8);
  EXPECT_EQ(findBackward(text, u"abc", -1), -1);
  EXPECT_EQ(findBackward(u"ab", u"abc", 5), -1);
}
