// The bookmark store alone: marking, the categories' views, deletes, moves, renamed documents,
// lists of unequal length and the drag texts.

#include <gtest/gtest.h>

#include <QDir>

#include "platform/paths.h"
#include "platform/property_list.h"
#include "support/test_home.h"
#include "tools/bookmarks/bookmark_store.h"

namespace {

using pravella::bookmarks::Bookmark;
using pravella::bookmarks::BookmarkStore;

QStringList pathsOf(const QList<Bookmark>& items) {
  QStringList out;
  for (const Bookmark& b : items) out << b.path;
  return out;
}

const QDate kToday(2026, 12, 9);

TEST(BookmarkStore, MarkingTwiceKeepsOneEntryInPlaceAndCategoryZeroFilesUnder19) {
  BookmarkStore store;
  EXPECT_TRUE(store.add("/h/diary/2008/03/05/a.rtfd", "3 4", 0, kToday));
  EXPECT_TRUE(store.add("/h/diary/2008/03/06/b.rtfd", "0 0", 2, kToday));
  EXPECT_FALSE(store.add("/h/diary/2008/03/05/a.rtfd", "7 1", 5, kToday.addDays(1)));
  ASSERT_EQ(store.size(), 2);
  EXPECT_EQ(store.at(0).path, "/h/diary/2008/03/05/a.rtfd");
  EXPECT_EQ(store.at(0).position, "7 1");
  EXPECT_EQ(store.at(0).category, "5");
  EXPECT_EQ(store.at(0).markDate, "2026/12/10");
  store.add("/h/diary/2008/03/07/c.rtfd", "0 0", 0, kToday);
  EXPECT_EQ(store.at(2).category, "19");
  EXPECT_EQ(pathsOf(store.view(0)).first(), "/h/diary/2008/03/07/c.rtfd");
  EXPECT_EQ(pathsOf(store.view(19)), QStringList{"/h/diary/2008/03/07/c.rtfd"});
  // Adding compares whole paths: 2008/3/5 is another bookmark.
  EXPECT_TRUE(store.add("/h/diary/2008/3/5/a.rtfd", "0 0", 5, kToday));
}

TEST(BookmarkStore, DeletesMovesAndRenames) {
  BookmarkStore store;
  for (const char* p : {"/d/2008/03/01/1.rtfd", "/d/2008/03/02/2.rtfd", "/d/2008/03/03/3.rtfd"})
    store.add(p, "0 0", 4, kToday);
  // The bottom row of the view (the oldest) dropped on the top row goes to the end.
  EXPECT_TRUE(store.move("/d/2008/03/01/1.rtfd", "/d/2008/03/03/3.rtfd"));
  EXPECT_EQ(pathsOf(store.view(4)), (QStringList{"/d/2008/03/01/1.rtfd", "/d/2008/03/03/3.rtfd", "/d/2008/03/02/2.rtfd"}));
  // The same entry goes whichever view it was deleted from.
  const Bookmark fromAll = store.view(0).at(1);
  EXPECT_TRUE(store.remove(fromAll));
  EXPECT_FALSE(store.remove(fromAll));
  EXPECT_EQ(store.size(), 2);
  // A renamed document is followed, its day written either way.
  EXPECT_TRUE(store.rename("/d/2008/3/2/2.rtfd", "/d/2008/03/02/two.rtfd"));
  EXPECT_EQ(pravella::bookmarks::rowOf(store.view(4), "/d/2008/3/2/two.rtfd"), 1);
  EXPECT_FALSE(store.rename("/d/2008/03/02/nobody.rtfd", "/x"));
  // A moved folder takes the bookmarks of its documents along; another path is compared whole.
  store.add("/notes/in/n.rtfd", "0 0", 4, kToday);
  EXPECT_TRUE(store.rename("/notes/in", "/kept/in"));
  EXPECT_EQ(store.view(4).at(0).path, "/kept/in/n.rtfd");
  EXPECT_FALSE(store.rename("/kept/i", "/other"));
  EXPECT_TRUE(store.rename("/kept/in/n.rtfd", "/kept/n.rtfd"));
  EXPECT_EQ(store.view(4).at(0).path, "/kept/n.rtfd");
}

TEST(BookmarkStore, FilesOfUnequalLengthReadByThePaths) {
  QDir().mkpath(pravella::paths::preferences());
  const auto put = [](int n, const QStringList& list) {
    pravella::plist::writeStringArray(pravella::bookmarks::bmFile(n), list);
  };
  put(1, {"2008/03/05"});
  put(2, {"/d/2008/03/05/a.rtfd", "/d/2008/03/06/b.rtfd"});
  put(3, {"1 2", "3 4", "5 6"});
  BookmarkStore store;
  store.load();  // no BM4.dat: everything in 19
  ASSERT_EQ(store.size(), 2);
  EXPECT_EQ(store.at(1).markDate, "");
  EXPECT_EQ(store.at(1).position, "3 4");
  EXPECT_EQ(store.at(1).category, "19");
  put(4, {"3"});
  store.load();
  EXPECT_EQ(store.at(0).category, "3");
  EXPECT_EQ(store.at(1).category, "19");
  ASSERT_TRUE(store.save());
  EXPECT_EQ(pravella::plist::readStringArray(pravella::bookmarks::bmFile(3))->size(), 2);
}

TEST(BookmarkStore, DragTextsNameTheDayOnlyForOtherDays) {
  const Bookmark b{"2026/12/09", "/d/2008/03/05/memo.rtfd", "0 0", "1"};
  EXPECT_EQ(pravella::bookmarks::dragText(b, QDate(2008, 3, 6)), " [2008/03/05/memo] ");
  EXPECT_EQ(pravella::bookmarks::dragText(b, QDate(2008, 3, 5)), " [memo] ");
}

}  // namespace
