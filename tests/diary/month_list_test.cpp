#include "diary/month_list.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "diary/memo_search_text.h"
#include "platform/paths.h"

namespace {

using namespace pravella;

void touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(SearchText, FoldsWidthCaseAndAccentsButKeepsVoicing) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"ＡＢＣ１２３", "abc123", true},
      {"Café", "CAFE", true},
      {"ÉCOLE", "école", true},
      {"ｶﾞｷﾞ", "ガギ", true},      // half-width katakana with its voicing mark
      {"が", "か", false},          // the voicing mark is part of the letter
      {"ぱ", "は", false},
      {"日本語", "日本語", true},
      {"€", "?", false},            // no lossy code-page bytes: unmappable characters stay apart
      {"㈱", "(株)", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(foldForSearch(QString::fromUtf8(c.a)) == foldForSearch(QString::fromUtf8(c.b)), c.same)
        << c.a << " / " << c.b;
}

TEST(SearchText, WordsAndNameFilter) {
  EXPECT_EQ(searchWords(QStringLiteral("  sun\u3000moon  ")), (QStringList{"sun", "moon"}));
  EXPECT_TRUE(searchWords(QStringLiteral(" \u3000 ")).isEmpty());
  EXPECT_FALSE(hasSearchText(QStringLiteral("\u3000")));
  EXPECT_TRUE(containsAllWords(QStringLiteral("it's a sunny day"), {"it's", "sun"}));
  EXPECT_FALSE(containsAllWords(QStringLiteral("sunny"), {"sun", "moon"}));
  EXPECT_FALSE(containsAllWords(QStringLiteral("sunny"), {}));

  struct Case {
    const char* name;
    const char* text;
    bool taken;
  } cases[] = {
      {"Trip.rtfd", "trip", true},
      {"Trip.rtfd", "ｔｒｉｐ", true},
      {"Trip.rtfd", "zoo trip", true},  // any word
      {"Trip.rtfd", "zoo", false},
      {"Trip.rtfd", "zoo ", true},      // a trailing blank is an empty word: every name
      {"Trip.rtfd", "zoo  bar", true},
      {"Trip.rtfd", "zoo\u3000", true},
      {"\"quoted\".rtfd", "\"quoted\"", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(findCheckFileName(QString::fromUtf8(c.name), QString::fromUtf8(c.text)), c.taken)
        << c.name << " / " << c.text;
}

TEST(MonthList, WalkVisitsTheDaysOfTheMonthInNameOrder) {
  for (int d : {1, 28, 29, 30}) touch(paths::dayFolder(2000, 2, d) + QStringLiteral("/a.rtfd/TXT.rtf"));
  touch(paths::dayFolder(2000, 2, 1) + QStringLiteral("/B.txt"));
  touch(paths::dayFolder(2000, 2, 1) + QStringLiteral("/.hidden.txt"));
  QDir().mkpath(paths::dayFolder(2000, 2, 1) + QStringLiteral("/pictd"));
  const MonthList all = walkMonthFolders(2000, 2, QString());
  const MonthList expected = {{"2000/02/01", ".hidden.txt"}, {"2000/02/01", "B.txt"}, {"2000/02/01", "a.rtfd"},
                              {"2000/02/28", "a.rtfd"},      {"2000/02/29", "a.rtfd"}};
  EXPECT_EQ(all, expected);

  for (int d : {28, 29}) touch(paths::dayFolder(1900, 2, d) + QStringLiteral("/x.txt"));
  EXPECT_EQ(walkMonthFolders(1900, 2, QString()), (MonthList{{"1900/02/28", "x.txt"}}));

  EXPECT_EQ(walkMonthFolders(2000, 2, QStringLiteral("b")), (MonthList{{"2000/02/01", "B.txt"}}));
  EXPECT_EQ(walkMonthFolders(2000, 2, QStringLiteral("pict")), (MonthList{{"2000/02/01", "pictd"}}));
  EXPECT_EQ(walkMonthFolders(2000, 2, QStringLiteral("\u3000 ")), expected);  // blanks only: no filter
  EXPECT_TRUE(walkMonthFolders(2000, 3, QString()).empty());
}

TEST(MonthList, RowsOfFoundPaths) {
  struct Case {
    const char* path;
    std::optional<MonthListEntry> row;
  } cases[] = {
      {"/h/Documents/diary/2009/03/04/memo.rtfd", MonthListEntry{"2009/03/04", "memo.rtfd"}},
      {"/h/Documents/diary/Manual/cal/page.rtfd", MonthListEntry{"0/0/0", "/h/Documents/diary/Manual/cal/page.rtfd"}},
      {"/h/Documents/diary/2009/03/00/memo.rtfd", std::nullopt},
      {"/h/Documents/diary/2009/x/04/memo.rtfd", std::nullopt},
      {"/h/Documents/diary/Other/a/memo.rtfd", std::nullopt},
      {"a/b.rtfd", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(entryForFoundPath(QString::fromUtf8(c.path)), c.row) << c.path;
}

TEST(MonthList, ScopesOfAllMemos) {
  for (const char* name : {"1899", "1900", "2009", "vkData", "Manual"}) QDir().mkpath(paths::diary() + "/" + name);
  const QString d = paths::diary() + "/";
  EXPECT_EQ(allMemoScopes(false), (QStringList{d + "1900", d + "2009"}));
  EXPECT_EQ(allMemoScopes(true), (QStringList{d + "1900", d + "2009", d + "Manual"}));
}

TEST(MonthList, DatabaseHitsCategoriesHistoryAndAnswer) {
  const MonthList rows = entriesFromDatabaseHits(
      {"/h/Documents/diary/2009/03/04/Diet day.rtfd", "/h/Documents/diary/2009/3/5/Work.txt"});
  EXPECT_EQ(rows, (MonthList{{"2009/03/04", "Diet day.rtfd"}, {"2009/3/5", "Work.txt"}}));
  EXPECT_EQ(filterByCategory(rows, QStringLiteral("Diet")), (MonthList{rows[0]}));
  EXPECT_EQ(filterByCategory(rows, QString()), rows);
  EXPECT_TRUE(filterByCategory(rows, QStringLiteral("diet")).empty());

  QStringList history;
  for (const char* s : {"a", "b", "a", "c", "b"}) addStringToSearchList(history, QString::fromLatin1(s));
  EXPECT_EQ(history, (QStringList{"b", "c", "a"}));

  EXPECT_EQ(monthListText(rows), QStringLiteral(" [2009/03/04/Diet day.rtfd] \n [2009/3/5/Work.txt] \n"));
  EXPECT_EQ(monthListText({}), QString());
}

TEST(MonthList, LeadingIntegerReadsLikeIntValue) {
  EXPECT_EQ(leadingInteger(QStringLiteral("2009")), 2009);
  EXPECT_EQ(leadingInteger(QStringLiteral("2009.bak")), 2009);
  EXPECT_EQ(leadingInteger(QStringLiteral("vkData")), 0);
  EXPECT_EQ(leadingInteger(QStringLiteral("-5")), -5);
  EXPECT_GT(leadingInteger(QStringLiteral("99999999999999999999999999")), 9999);
}

}  // namespace
