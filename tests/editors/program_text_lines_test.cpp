// A program's text goes into a memo in lines of bounded length: where a break goes, and what it
// never splits.

#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextDocument>

#include "editors/program_text_lines.h"

namespace {

struct Case {
  const char* name;
  QString before;  // the document, with "|" for the place
  QString text;
  int longest;
  QString after;  // the document, lines ended by "\n"
  bool broke;
  bool followsOwnText = false;
};

TEST(ProgramTextLines, BreaksOnlyWhereALineWouldGrowPastTheLongest) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // one character, two UTF-16 units
  const Case cases[] = {
      {"fits", "ab|", "cd", 10, "abcd", false},
      {"every three", "|", "abcdefgh", 3, "abc\ndef\ngh", true},
      {"the text before the place counts, not what stands behind it", "ab|XY", "cdef", 3, "abc\ndefXY", true},
      {"line ends in the text start a new count", "|", "ab\ncdef", 3, "ab\ncde\nf", true},
      {"a carriage return ends a line too", "|", "abc\r\ndef", 3, "abc\ndef", false},
      {"never inside a surrogate pair", "|", "ab" + smile + "c", 3, "ab\n" + smile + "c", true},
      {"a line already too long starts a new one", "abcd|", "e", 3, "abcd\ne", true},
      {"a longest line below one is one", "|", "abc", 0, "a\nb\nc", true},
      {"never at a place inside text already too long: counted from there", "abcd|XY", "efgh", 3,
       "abcdefg\nhXY", true},
      {"at a place behind its own text", "abcd|XY", "e", 3, "abcd\neXY", true, true},
  };
  for (const Case& c : cases) {
    QTextDocument doc;
    const qsizetype place = c.before.indexOf(QLatin1Char('|'));
    doc.setPlainText(QString(c.before).remove(QLatin1Char('|')));
    QTextCursor cursor(&doc);
    cursor.setPosition(static_cast<int>(place));
    EXPECT_EQ(pravella::insertInBoundedLines(cursor, c.text, c.longest, c.followsOwnText), c.broke) << c.name;
    EXPECT_EQ(doc.toPlainText().toStdString(), c.after.toStdString()) << c.name;
    // The cursor stands behind the text, before what stood behind the place.
    const QString tail = c.before.mid(place + 1);
    EXPECT_EQ(cursor.position(), doc.characterCount() - 1 - tail.size()) << c.name;
  }
}

}  // namespace
