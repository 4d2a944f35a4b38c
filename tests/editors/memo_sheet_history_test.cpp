// The memo sheet's history and title line.

#include <gtest/gtest.h>

#include <QSet>

#include "editors/memo_sheet_history.h"

namespace {

using pravella::MemoSheetHistory;

struct Disk {
  QSet<QString> files;
  MemoSheetHistory::Exists exists() const {
    return [this](const QString& p) { return files.contains(p); };
  }
};

TEST(MemoSheetHistory, AddingMovesAnEqualEntryToTheEnd) {
  MemoSheetHistory h;
  EXPECT_EQ(h.now(), -1);
  h.add("a");
  h.add("b");
  h.add("a");
  EXPECT_EQ(h.entries(), QStringList({"b", "a"}));
  EXPECT_EQ(h.now(), 1);
  EXPECT_EQ(h.nowPath(), "a");
  EXPECT_TRUE(h.canGoBack());
  EXPECT_FALSE(h.canGoForward());
}

TEST(MemoSheetHistory, SteppingForwardDropsVanishedFilesAndEndsOnTheLastThatExists) {
  Disk disk{{"a", "b"}};
  MemoSheetHistory h;
  for (const char* p : {"a", "b", "c", "d"}) h.add(p);
  h.before(disk.exists());  // c is gone: removed, one lower
  EXPECT_EQ(h.nowPath(), "b");
  EXPECT_EQ(h.entries(), QStringList({"a", "b", "d"}));
  EXPECT_EQ(h.next(disk.exists()), "b");  // d is gone too: back on b, the last one left
  EXPECT_EQ(h.entries(), QStringList({"a", "b"}));
  EXPECT_EQ(h.now(), 1);
  EXPECT_FALSE(h.canGoForward());
  EXPECT_EQ(h.before(disk.exists()), "a");
  EXPECT_EQ(h.before(disk.exists()), "a");  // held at the first
  EXPECT_FALSE(h.canGoBack());
}

TEST(MemoSheetHistory, NothingLeftEndsAtMinusOne) {
  Disk disk;
  MemoSheetHistory h;
  h.add("a");
  h.add("b");
  EXPECT_EQ(h.next(disk.exists()), "");
  EXPECT_EQ(h.now(), -1);
  EXPECT_EQ(h.count(), 0);
  EXPECT_EQ(h.before(disk.exists()), "");
  EXPECT_EQ(h.now(), -1);
  EXPECT_EQ(h.nowPath(), "");
}

TEST(MemoSheetHistory, LeavingShowsNoEntryAndForwardComesBack) {
  Disk disk{{"a"}};
  MemoSheetHistory h;
  h.add("a");
  h.leave();
  EXPECT_EQ(h.nowPath(), "");
  EXPECT_TRUE(h.canGoForward());
  EXPECT_EQ(h.next(disk.exists()), "a");
}

TEST(MemoSheetHistory, TitleLine) {
  EXPECT_EQ(pravella::memoTitleLine("/home/u/Documents/diary/2008/05/14/shopping.rtfd"),
            " [2008/05/14/shopping] \n\n");
  EXPECT_EQ(pravella::memoTitleLine("/d/2008/5/4/a.b.rtf"), " [2008/05/04/a.b] \n\n");
  EXPECT_EQ(pravella::memoTitleLine("x.rtfd"), " [0000/00/00/x] \n\n");
}

}  // namespace
