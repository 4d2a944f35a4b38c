#include "diary/memo_database.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/progress_bar.h"

namespace {

using namespace pravella;

void touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray record(int y, int m, int d, const char* name) {
  return "<path>" + paths::diary().toUtf8() + QString::asprintf("/%04d/%02d/%02d/", y, m, d).toLatin1() + name +
         "</path>\n<honbun></honbun>\n";
}

// Counts "loadMemoDatabase" and keeps the indicator's posts while it lives.
struct Observed {
  int loads = 0;
  QStringList indicator;
  ObserverId loadId, barId;
  Observed() {
    auto& c = NotificationCenter::defaultCenter();
    loadId = c.addObserver(QString::fromLatin1(kLoadMemoDatabase), nullptr, [this](Notification&) { ++loads; },
                           Delivery::PostingThread);
    barId = c.addObserver(QString::fromLatin1(kProcessIndicator), nullptr,
                          [this](Notification& n) { indicator << n.text; }, Delivery::PostingThread);
  }
  ~Observed() {
    NotificationCenter::defaultCenter().removeObserver(loadId);
    NotificationCenter::defaultCenter().removeObserver(barId);
  }
};

TEST(MemoDatabase, RecordsEveryEntryOfEveryDayInOrder) {
  touch(paths::dayFolder(2008, 1, 31) + "/b.txt");
  touch(paths::dayFolder(2008, 1, 2) + "/memo.rtfd/TXT.rtf");
  QDir().mkpath(paths::dayFolder(2008, 1, 2) + "/pictd");
  touch(paths::dayFolder(2008, 1, 2) + "/.hidden");
  touch(paths::dayFolder(2008, 2, 30) + "/odd.txt");  // a day the month lacks is still listed
  touch(paths::dayFolder(2008, 12, 1) + "/日記.rtfd/TXT.rtf");
  touch(paths::dayFolder(2009, 1, 1) + "/next.txt");
  ASSERT_EQ(QFile::link(paths::dayFolder(2008, 1, 31) + "/b.txt", paths::dayFolder(2008, 1, 31) + "/link"), true);

  Observed seen;
  const double years[2] = {2008, 2008};
  ASSERT_EQ(makeMemoFileDataBase(years), 1u);
  const QByteArray expected = record(2008, 1, 2, ".hidden") + record(2008, 1, 2, "memo.rtfd") +
                              record(2008, 1, 2, "pictd") + record(2008, 1, 31, "b.txt") +
                              record(2008, 1, 31, "link") + record(2008, 2, 30, "odd.txt") +
                              record(2008, 12, 1, "日記.rtfd");
  EXPECT_EQ(readAll(memoDatabasePath()), expected);
  EXPECT_EQ(seen.loads, 1);
  // A one-year range is the range 0 to 0; the last post is the reset.
  ASSERT_FALSE(seen.indicator.isEmpty());
  EXPECT_EQ(seen.indicator.first(), QStringLiteral("0\t0"));
  EXPECT_EQ(seen.indicator.last(), QStringLiteral("0\t0\t0"));

  // Fractional years are truncated: 2007.9 to 2008.2 covers 2007 and 2008.
  const double fractional[2] = {2007.9, 2009.2};
  ASSERT_EQ(makeMemoFileDataBase(fractional), 1u);
  EXPECT_EQ(readAll(memoDatabasePath()), expected + record(2009, 1, 1, "next.txt"));
}

TEST(MemoDatabase, AllYearsFromTheYearFoldersAbove1990) {
  touch(paths::dayFolder(1990, 5, 5) + "/old.txt");
  touch(paths::dayFolder(1991, 5, 5) + "/new.txt");
  touch(paths::dayFolder(2010, 1, 1) + "/later.txt");
  QDir().mkpath(paths::diary() + "/vkData");
  QDir().mkpath(paths::diary() + "/99999999999");  // far past any year: passed over
  Observed seen;
  ASSERT_EQ(makeAllMemoFileDataBase(), 1u);
  EXPECT_EQ(readAll(memoDatabasePath()), record(1991, 5, 5, "new.txt") + record(2010, 1, 1, "later.txt"));
  EXPECT_EQ(seen.loads, 1);
  EXPECT_EQ(seen.indicator.first(), QStringLiteral("0\t60"));  // 12 x the 5 entries of the diary folder
}

TEST(MemoDatabase, EmptyRangeGivesAnEmptyFile) {
  QDir().mkpath(paths::diary());
  const double years[2] = {1995, 1996};
  ASSERT_EQ(makeMemoFileDataBase(years), 1u);
  EXPECT_EQ(readAll(memoDatabasePath()), QByteArray());
}

TEST(MemoDatabase, BadRangesFailAndKeepTheOldFile) {
  touch(paths::dayFolder(2008, 1, 1) + "/a.txt");
  QFile old(memoDatabasePath());
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  Observed seen;
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double ranges[][2] = {{2009, 2008}, {2008.5, 2008.2}, {0, 2008}, {2008, 10000}, {2008, 1e300},
                              {-inf, 2008}, {2008, inf},      {nan, 2008}, {2008, nan}};
  for (const auto& r : ranges) EXPECT_EQ(makeMemoFileDataBase(r), 0u) << r[0] << ".." << r[1];
  EXPECT_EQ(readAll(memoDatabasePath()), QByteArray("old"));
  EXPECT_EQ(seen.loads, 0);
}

TEST(MemoDatabase, UnwritableFileFailsWithoutNotice) {
  touch(paths::dayFolder(2008, 1, 1) + "/a.txt");
  QDir().mkpath(memoDatabasePath());  // a folder where the file should go
  Observed seen;
  const double years[2] = {2008, 2008};
  EXPECT_EQ(makeMemoFileDataBase(years), 0u);
  EXPECT_EQ(makeAllMemoFileDataBase(), 0u);
  EXPECT_EQ(seen.loads, 0);
}

}  // namespace
