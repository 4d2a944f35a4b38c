#include "diary/document_links.h"

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace {

using namespace pravella;

TEST(DocumentLinkTexts, TheBracketPairAroundTheCaretLiesOnOneLine) {
  const QString text = QStringLiteral("[x] a[b\nc] [d[e] f] [");
  struct Case {
    qsizetype caret;
    qsizetype open, close;  // -1: no pair
  } cases[] = {
      {0, -1, -1},   // on "[": the forward search meets it
      {1, 0, 2},     // the text's first character is the opening bracket
      {2, -1, -1},   // on "]"
      {6, -1, -1},   // the pair would span two lines
      {9, -1, -1},   // on the "]" whose "[" stands on the line before
      {14, 13, 15},  // the nearest "[" counts
      {12, -1, -1},  // "[" before "]" going forwards
      {17, -1, -1},  // behind a "]" going backwards
      {20, -1, -1},  // the last character, a "[" with nothing after it
      {21, -1, -1},  // a caret at the very end
  };
  for (const Case& c : cases) {
    const std::optional<BracketPair> pair = bracketPairAround(text, c.caret);
    EXPECT_EQ(pair ? pair->open : -1, c.open) << c.caret;
    EXPECT_EQ(pair ? pair->close : -1, c.close) << c.caret;
  }
  EXPECT_EQ(bracketPairAround(text, 14)->target(text), "e");
}

TEST(DocumentLinkTexts, ADiaryDocumentIsNamedBareOnItsOwnDayAndWithItsDayElsewhere) {
  const QString diary = paths::diary();
  const QDate shown(2008, 2, 28);
  struct Case {
    QString path;
    QString text;
  } cases[] = {
      {diary + "/2008/02/28/N.rtfd", " [N] "},
      {diary + "/2008/02/28/notes.txt", " [notes.txt] "},  // only a package loses its extension
      {diary + "/2008/05/01/N.rtfd", " [2008/05/01/N] "},
      {diary + "/2007/02/28/a b.rtfd", " [2007/02/28/a b] "},
      {diary + "/2008/02/30/N.rtfd", ""},  // no such day
      {diary + "/N.rtfd", ""},
      {"/elsewhere/2008/02/28/N.rtfd", ""},  // the day's parts, but outside the diary
  };
  for (const Case& c : cases) EXPECT_EQ(diaryDocumentLinkText(c.path, shown), c.text) << c.path.toStdString();
  EXPECT_EQ(diaryDocumentLinkText(diary + "/2008/02/28/N.rtfd", QDate()), " [2008/02/28/N] ");
}

TEST(DocumentLinkTexts, ADraggedDocumentIsNamedByItsPathBelowTheDiary) {
  const QString diary = paths::diary();
  EXPECT_EQ(diaryPathLinkText(diary + "/2008/05/01/N.rtfd"), " [2008/05/01/N] ");
  EXPECT_EQ(diaryPathLinkText(diary + "/2008/05/01/a.b.txt"), " [2008/05/01/a.b.txt] ");
  EXPECT_EQ(diaryPathLinkText(diary + "/top.rtfd"), " [top] ");
  EXPECT_EQ(diaryPathLinkText("/tmp/N.rtfd"), "");
  EXPECT_EQ(diaryPathLinkText(diary + "/"), "");
}

}  // namespace
