// The launcher's store on its own: filing, reordering, refiling and removing items, the files
// it keeps, and what opening and dragging an item hand on.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/paths.h"
#include "platform/property_list.h"
#include "support/test_home.h"
#include "tools/bookmarks/launcher_store.h"

namespace {

using pravella::launcher::Item;
using pravella::launcher::LauncherStore;

QStringList pathsOf(const QList<Item>& items) {
  QStringList paths;
  for (const Item& i : items) paths << i.path;
  return paths;
}

TEST(LauncherStore, FilesEachPathOncePerCategoryNewestFirst) {
  LauncherStore store;
  // a.txt dropped twice on category 3 is filed once; on category 4 it is a second item.
  EXPECT_TRUE(store.add("/d/a.txt", 3));
  EXPECT_TRUE(store.add("/d/b.txt", 3));
  EXPECT_FALSE(store.add("/d/a.txt", 3));
  EXPECT_TRUE(store.add("/d/a.txt", 4));
  EXPECT_EQ(pathsOf(store.view(3)), (QStringList{"/d/b.txt", "/d/a.txt"}));
  EXPECT_EQ(pathsOf(store.view(4)), QStringList{"/d/a.txt"});
  EXPECT_TRUE(store.view(0).isEmpty());

  // Saved and read back as two aligned arrays.
  ASSERT_TRUE(store.save());
  LauncherStore again;
  again.load();
  EXPECT_EQ(pathsOf(again.view(3)), (QStringList{"/d/b.txt", "/d/a.txt"}));
  EXPECT_EQ(*pravella::plist::readStringArray(pravella::launcher::categoriesFile()), (QStringList{"3", "3", "4"}));
}

TEST(LauncherStore, ListsOfUnequalLengthReadByThePaths) {
  QDir().mkpath(pravella::paths::preferences());
  ASSERT_TRUE(pravella::plist::writeStringArray(pravella::launcher::pathsFile(), {"/a", "/b", "/c"}));
  ASSERT_TRUE(pravella::plist::writeStringArray(pravella::launcher::categoriesFile(), {"2"}));
  LauncherStore store;
  store.load();
  EXPECT_EQ(pathsOf(store.view(2)), QStringList{"/a"});
  EXPECT_EQ(pathsOf(store.view(0)), (QStringList{"/c", "/b"}));
  ASSERT_TRUE(pravella::plist::writeStringArray(pravella::launcher::categoriesFile(), {"1", "1", "1", "1", "1"}));
  store.load();
  EXPECT_EQ(store.size(), 3);
  QFile::remove(pravella::launcher::pathsFile());
  store.load();
  EXPECT_EQ(store.size(), 0);
}

TEST(LauncherStore, ReordersRefilesAndRemoves) {
  LauncherStore store;
  for (const char* p : {"/1", "/2", "/3", "/4"}) store.add(p, 0);
  // The view is newest first: /4 /3 /2 /1. Moving /1 onto /3's place and back.
  EXPECT_TRUE(store.reorder({"/1", "0"}, {"/3", "0"}));
  EXPECT_EQ(pathsOf(store.view(0)), (QStringList{"/4", "/1", "/3", "/2"}));
  EXPECT_TRUE(store.reorder({"/1", "0"}, {"/2", "0"}));
  EXPECT_EQ(pathsOf(store.view(0)), (QStringList{"/4", "/3", "/2", "/1"}));
  EXPECT_FALSE(store.reorder({"/9", "0"}, {"/2", "0"}));

  store.add("/2", 5);
  EXPECT_EQ(store.moveToCategory({"/2", "0"}, 0), LauncherStore::Move::AlreadyThere);
  EXPECT_EQ(store.moveToCategory({"/2", "0"}, 5), LauncherStore::Move::AlreadyThere);
  EXPECT_EQ(store.moveToCategory({"/3", "0"}, 5), LauncherStore::Move::Moved);
  EXPECT_EQ(store.moveToCategory({"/9", "0"}, 5), LauncherStore::Move::Missing);
  EXPECT_EQ(pathsOf(store.view(5)), (QStringList{"/2", "/3"}));

  EXPECT_TRUE(store.remove({"/2", "5"}));
  EXPECT_FALSE(store.remove({"/2", "5"}));
  EXPECT_EQ(pathsOf(store.view(5)), QStringList{"/3"});
  // Memos are shared by file name within a category.
  EXPECT_TRUE(store.memoInUse("/elsewhere/3", 5));
  EXPECT_FALSE(store.memoInUse("/3", 6));
  EXPECT_EQ(pravella::launcher::memoFileFor("/x/report.txt", 3),
            pravella::paths::preferences() + "/launcherMemo/report.txt.03.rtfd");
}

TEST(LauncherStore, ItemsFollowAMovedFileOrFolder) {
  LauncherStore store;
  store.add("/d/a.txt", 3);
  store.add("/d/a.txt", 4);
  store.add("/d/sub/b.txt", 3);
  store.add("/d/subway/c.txt", 3);
  // Both items of a.txt follow; the old items come back with their new paths.
  const auto renamed = store.renamePath("/d/a.txt", "/e/a2.txt");
  ASSERT_EQ(renamed.size(), 2);
  EXPECT_EQ(renamed[1].first.category, "4");
  EXPECT_EQ(renamed[1].second, "/e/a2.txt");
  EXPECT_EQ(pathsOf(store.view(4)), QStringList{"/e/a2.txt"});
  // A folder takes what is inside along, and only that.
  EXPECT_EQ(store.renamePath("/d/sub", "/d/top").size(), 1);
  EXPECT_EQ(pathsOf(store.view(3)), (QStringList{"/d/subway/c.txt", "/d/top/b.txt", "/e/a2.txt"}));
  EXPECT_TRUE(store.renamePath("/d/none", "/d/x").isEmpty());
}

TEST(LauncherStore, WebShortcutsOpenTheirAddressAndDragsLeaveLinks) {
  const QString dir = pravella::test::home();
  auto write = [&](const QString& name, const QByteArray& text) {
    QFile f(dir + "/" + name);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return dir + "/" + name;
  };
  struct Case {
    QString path;
    QString target;
  } cases[] = {
      {write("site.url", "[InternetShortcut]\r\nURL=https://example.org/a b\r\nIconIndex=0\r\n"),
       "https://example.org/a b"},
      {write("key.url", "[x]\nBASEURL=http://x.test/\n"), "http://x.test/"},
      {write("none.url", "[InternetShortcut]\n"), dir + "/none.url"},
      {write("CAPS.URL", "URL=https://caps.test/\n"), dir + "/CAPS.URL"},
      {write("plain.txt", "URL=https://not.test/\n"), dir + "/plain.txt"},
      {dir + "/missing.url", dir + "/missing.url"},
  };
  for (const Case& c : cases) EXPECT_EQ(pravella::launcher::launchTargetFor(c.path), c.target) << c.path.toStdString();
  EXPECT_EQ(pravella::launcher::dragTextFor({"/docs/report.txt", "3"}), " [LNC:3:report.txt] ");
}

}  // namespace
