// The memo-database look-up: records counted once, hits last-first, the path of a hit, and
// nothing read past the text.

#include "diary/memo_database_search.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "diary/memo_database.h"
#include "platform/paths.h"

namespace {

using namespace pravella;

QString record(const QString& path) { return "<path>" + path + "</path>\n<honbun></honbun>\n"; }

const QString kDatabase = record("/h/2008/02/03/Comet.rtfd") + record("/h/2008/02/04/comet comet.txt") +
                          record("/h/2008/03/01/Moon.rtfd") + record("/h/2009/01/01/Comet and Moon");

TEST(MemoDatabaseSearch, CountsARecordOnceAndListsTheLastHitFirst) {
  struct Case {
    const char* find;
    int count;
    QStringList paths;
  };
  const Case cases[] = {
      {"Comet", 2, {"/h/2009/01/01/Comet and Moon", "/h/2008/02/03/Comet.rtfd"}},  // case-sensitive
      {"comet", 1, {"/h/2008/02/04/comet comet.txt"}},  // twice in one record: once
      {"2008", 3, {"/h/2008/03/01/Moon.rtfd", "/h/2008/02/04/comet comet.txt", "/h/2008/02/03/Comet.rtfd"}},
      {"<path>",
       4,
       {"/h/2009/01/01/Comet and Moon", "/h/2008/03/01/Moon.rtfd", "/h/2008/02/04/comet comet.txt",
        "/h/2008/02/03/Comet.rtfd"}},
      {"</honbun>",
       4,
       {"/h/2009/01/01/Comet and Moon", "/h/2008/03/01/Moon.rtfd", "/h/2008/02/04/comet comet.txt",
        "/h/2008/02/03/Comet.rtfd"}},
      {"Sun", 0, {}},
      {"", 0, {}},
  };
  for (const Case& c : cases) {
    const MemoDatabaseHits hits = searchMemoDatabase(kDatabase, c.find);
    EXPECT_EQ(hits.count, c.count) << c.find;
    EXPECT_EQ(hits.paths, c.paths) << c.find;
  }
}

TEST(MemoDatabaseSearch, ReportsEachHitWithItsLocation) {
  QList<std::pair<int, qsizetype>> seen;
  searchMemoDatabase(kDatabase, "Moon", [&](int count, qsizetype at) { seen.append({count, at}); });
  ASSERT_EQ(seen.size(), 2);
  EXPECT_EQ(seen[0].first, 1);
  EXPECT_EQ(kDatabase.mid(seen[0].second, 4), "Moon");
  EXPECT_EQ(seen[1].first, 2);
  EXPECT_GT(seen[1].second, seen[0].second);
}

TEST(MemoDatabaseSearch, PathOfAHitIsTheNearestPathTagBeforeIt) {
  const QString text = "loose text <path>/a/b</path>\n<honbun>x</honbun>\n<path>/c/d</path><honbun>y";
  struct Case {
    qsizetype location;
    QString path;
  };
  const Case cases[] = {
      {0, ""},                            // no tag before: no path, opens nothing
      {text.indexOf(">x<") + 1, "/a/b"},  // in the body
      {text.indexOf("<path>"), "/a/b"},   // the tag itself counts
      {text.indexOf("y"), "/c/d"},        // a record without its end tag
      {text.size() + 100, "/c/d"},        // past the end: the last character
      {-1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(getFilePathOnMemoDatabese(text, c.location), c.path) << c.location;
  EXPECT_EQ(getFilePathOnMemoDatabese("<path>/no/end", 8), "");  // no "</path>": nothing read past the text
  EXPECT_EQ(getFilePathOnMemoDatabese("", 0), "");
}

TEST(MemoDatabaseSearch, LoadingReadsTheFileAndAMissingOneGivesAnEmptyText) {
  loadMemoDatabase();
  EXPECT_TRUE(memoDataBaseString.isEmpty());
  QDir().mkpath(paths::diary());
  QFile f(memoDatabasePath());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(record(QStringLiteral("/h/2008/02/03/日記.rtfd")).toUtf8());
  f.close();
  loadMemoDatabase();
  EXPECT_EQ(searchMemoDatabase(memoDataBaseString, QStringLiteral("日記")).paths,
            QStringList{QStringLiteral("/h/2008/02/03/日記.rtfd")});
  QFile::remove(memoDatabasePath());
  loadMemoDatabase();
  EXPECT_TRUE(memoDataBaseString.isEmpty());
}

}  // namespace
