#include "diary/memo_scanner.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextDocument>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <future>

#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace {

using namespace pravella;

void writeMemo(const QString& path, const QString& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(writeRtfdFile(path, doc).ok) << path.toStdString();
}

MonthList sorted(MonthList rows) {
  std::sort(rows.begin(), rows.end(), [](const MonthListEntry& a, const MonthListEntry& b) {
    return a.day + a.diaryFiles < b.day + b.diaryFiles;
  });
  return rows;
}

class MemoScan : public ::testing::Test {
 protected:
  void SetUp() override {
    writeMemo(paths::dayFolder(2009, 3, 4) + "/Both.rtfd", QStringLiteral("The SUN rose over the Ｍｏｏｎ."));
    writeMemo(paths::dayFolder(2009, 3, 4) + "/Sun only.rtfd", QStringLiteral("sun and rain"));
    writeMemo(paths::dayFolder(2010, 1, 2) + "/日記.rtfd", QStringLiteral("今日はがっこう。 moon sun"));
    writeMemo(paths::diary() + "/Manual/Cat/Page.rtfd", QStringLiteral("sun moon in the manual"));
    // Not packages: never listed, whatever they hold.
    QFile plain(paths::dayFolder(2009, 3, 4) + "/plain.txt");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("sun moon");
    plain.close();
    writeMemo(paths::dayFolder(2009, 3, 4) + "/pictd/inner.rtfd", QStringLiteral("sun moon"));
  }
  QStringList years() const { return allMemoScopes(false); }
};

TEST_F(MemoScan, ContentSearchListsPackagesHoldingEveryWord) {
  const MonthList rows = MemoScanner::scanNow(years(), {"moon", "ＳＵＮ"}, MemoSearchKind::Content);
  // A package inside an ordinary folder of a day is still a memo of that folder's path; its
  // row comes from the path, which here is no day: it is passed over.
  EXPECT_EQ(sorted(rows), (MonthList{{"2009/03/04", "Both.rtfd"}, {"2010/01/02", "日記.rtfd"}}));

  const MonthList withManual =
      MemoScanner::scanNow(allMemoScopes(true), {"moon", "sun"}, MemoSearchKind::Content);
  EXPECT_EQ(withManual.back(), (MonthListEntry{"0/0/0", paths::diary() + "/Manual/Cat/Page.rtfd"}));
  EXPECT_EQ(withManual.size(), 3u);

  EXPECT_EQ(MemoScanner::scanNow(years(), {"がっこう"}, MemoSearchKind::Content).size(), 1u);
  EXPECT_TRUE(MemoScanner::scanNow(years(), {"かっこう"}, MemoSearchKind::Content).empty());
  EXPECT_TRUE(MemoScanner::scanNow(years(), {"'sun'"}, MemoSearchKind::Content).empty());
  EXPECT_TRUE(MemoScanner::scanNow(years(), {}, MemoSearchKind::Content).empty());
}

TEST_F(MemoScan, NameSearchTestsTheFileName) {
  EXPECT_EQ(MemoScanner::scanNow(years(), {"sun", "ONLY"}, MemoSearchKind::Name),
            (MonthList{{"2009/03/04", "Sun only.rtfd"}}));
  EXPECT_EQ(MemoScanner::scanNow(years(), {"日記"}, MemoSearchKind::Name),
            (MonthList{{"2010/01/02", "日記.rtfd"}}));
  EXPECT_TRUE(MemoScanner::scanNow(years(), {"rain"}, MemoSearchKind::Name).empty());
}

TEST_F(MemoScan, LinkedPackagesAreReadLinkedFoldersNotDescended) {
  const QString day = paths::dayFolder(2011, 5, 6);
  QDir().mkpath(day);
  ASSERT_TRUE(QFile::link(paths::dayFolder(2009, 3, 4) + "/Both.rtfd", day + "/Linked.rtfd"));
  // A link back up the tree would loop for ever if it were followed.
  ASSERT_TRUE(QFile::link(paths::diary(), day + "/loop"));
  const MonthList rows = MemoScanner::scanNow(years(), {"moon", "sun"}, MemoSearchKind::Content);
  EXPECT_EQ(
      sorted(rows),
      (MonthList{{"2009/03/04", "Both.rtfd"}, {"2010/01/02", "日記.rtfd"}, {"2011/05/06", "Linked.rtfd"}}));
}

TEST_F(MemoScan, UnreadablePackagesArePassedOver) {
  QDir().mkpath(paths::dayFolder(2009, 3, 5) + "/Empty.rtfd");  // no TXT.rtf
  QFile junk(paths::dayFolder(2009, 3, 5) + "/Junk.rtfd/TXT.rtf");
  QDir().mkpath(QFileInfo(junk).absolutePath());
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("sun moon, but no rich text");
  junk.close();
  EXPECT_EQ(MemoScanner::scanNow(years(), {"moon", "sun"}, MemoSearchKind::Content).size(), 2u);
}

// A named pipe in the place of a package's text has no end: the search passes it over instead
// of waiting for a writer that never comes.
TEST_F(MemoScan, APipeInPlaceOfTheTextIsPassedOver) {
  const QString pipe = paths::dayFolder(2009, 3, 5) + "/Pipe.rtfd/TXT.rtf";
  ASSERT_TRUE(QDir().mkpath(QFileInfo(pipe).absolutePath()));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  auto scan = std::async(std::launch::async, [&] {
    return MemoScanner::scanNow(years(), {"moon", "sun"}, MemoSearchKind::Content).size();
  });
  if (scan.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    // Let the stuck read end, so that the test fails instead of hanging.
    const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    ADD_FAILURE() << "the search waited on the pipe";
  }
  EXPECT_EQ(scan.get(), 2u);
}

TEST_F(MemoScan, HitsArriveOnTheOwnersThreadAndASecondSearchStopsTheFirst) {
  QObject owner;
  MonthList got;
  int done = 0;
  MemoScanner scanner(
      &owner,
      [&](const MemoSearchBatch& b) {
        EXPECT_EQ(QThread::currentThread(), owner.thread());
        got.insert(got.end(), b.rows.begin(), b.rows.end());
      },
      [&] { ++done; });
  ASSERT_TRUE(scanner.start(years(), {"sun"}, MemoSearchKind::Content));
  ASSERT_TRUE(scanner.start(years(), {"rain"}, MemoSearchKind::Content));  // before any hit is delivered
  ASSERT_TRUE(QTest::qWaitFor([&] { return done > 0; }, 10000));
  QTest::qWait(50);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(got, (MonthList{{"2009/03/04", "Sun only.rtfd"}}));
  EXPECT_FALSE(scanner.isRunning());

  EXPECT_FALSE(scanner.start(years(), {"", ""}, MemoSearchKind::Content));  // no words: nothing starts
  got.clear();
  ASSERT_TRUE(scanner.start(years(), {"sun"}, MemoSearchKind::Content));
  scanner.stop();
  QTest::qWait(100);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(done, 1);
}

}  // namespace
