// The search document of the month list: each row's bracketed day and name, and the opening of
// package documents.

#include "diary/search_document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextBlock>
#include <QTextDocument>

#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace {

using namespace pravella;

void writeRtfd(const QString& path, const QString& text) {
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(writeRtfdFile(path, doc).ok);
}

TEST(SearchDocument, OpeningIsAtMost201CharactersAfterTheFirstLine) {
  const QString long300 = QString(300, QLatin1Char('x'));
  struct Case {
    QString text;
    QString opening;
  };
  const Case cases[] = {
      {"title\nbody", "body"},
      {"title\r\nline one\nline two", "line oneline two"},  // line breaks left out
      {"one line only", ""},
      {"\n" + long300, long300.left(201)},
      {"t\n" + QString(200, 'a') + "\n\nb" + long300, QString(200, 'a') + "b"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(memoOpening(c.text), c.opening) << c.text.left(20).toStdString();
}

TEST(SearchDocument, ListsEveryRowWithTheOpeningOfItsPackage) {
  const QString day = paths::dayFolder(2008, 2, 3);
  writeRtfd(day + "/Trip.rtfd", "Trip\n" + QString(250, QLatin1Char('y')));
  writeRtfd(day + "/Empty.rtfd", "");
  QDir().mkpath(day);
  QFile rtf(day + "/plain.rtf");
  ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
  rtf.write("{\\rtf1 first\\par second}");
  rtf.close();
  writeRtfd(paths::diary() + "/Manual/Cat/Help.rtfd", "Help\nmanual body");

  QTextDocument doc;
  QList<int> progress;
  buildSearchDocument(doc,
                      {{"2008/02/03", "Trip.rtfd"},
                       {"2008/02/03", "Empty.rtfd"},
                       {"2008/02/03", "plain.rtf"},
                       {"2008/02/03", "note.txt"},
                       {"0/0/0", paths::diary() + "/Manual/Cat/Help.rtfd"}},
                      QFont("DejaVu Sans", 10), [&](int row) { progress << row; });
  EXPECT_EQ(progress, (QList<int>{0, 1, 2, 3, 4}));
  const QString expected = " [2008/02/03/Trip] \n" + QString(201, QLatin1Char('y')) + "\n\n" +
                           " [2008/02/03/Empty] \n\n" + " [2008/02/03/plain] \n" +
                           " [2008/02/03/note.txt] \n" + " [   0/00/00/Help] \nmanual body\n\n ";
  EXPECT_EQ(doc.toPlainText(), expected);
  EXPECT_FALSE(doc.isModified());

  // The row line is red, the opening black and indented.
  const QTextBlock first = doc.begin();
  EXPECT_EQ(first.begin().fragment().charFormat().foreground().color(), QColor(Qt::red));
  EXPECT_EQ(first.next().blockFormat().leftMargin(), 30);
  EXPECT_EQ(first.next().begin().fragment().charFormat().foreground().color(), QColor(Qt::black));
  EXPECT_EQ(first.blockFormat().leftMargin(), 0);
}

}  // namespace
