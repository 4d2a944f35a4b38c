#include "tools/finder/finder_file_operations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/paths.h"
#include "support/test_home.h"
#include "tools/finder/finder_history.h"

namespace {

using namespace pravella;

QString at(const QString& relative) { return test::home() + QLatin1Char('/') + relative; }

void writeFile(const QString& path, const QByteArray& data = "x") {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(data);
}

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(FinderFileOperations, DuplicatesTakeTheFirstFreeCopyName) {
  struct Case {
    const char* item;
    bool folder;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {"notes.txt", false, "notes.cpy001.txt", "notes.cpy002.txt"},
      {"README", false, "README.cpy001", "README.cpy002"},
      {"Photos", true, "Photos.cpy001", "Photos.cpy002"},
  };
  for (const Case& c : cases) {
    const QString item = at(QString::fromLatin1(c.item));
    if (c.folder)
      writeFile(item + "/inner/deep.txt", "deep");
    else
      writeFile(item, "text");
    QString copy;
    ASSERT_TRUE(duplicateItem(item, &copy)) << c.item;
    EXPECT_EQ(copy, at(QString::fromLatin1(c.first)));
    ASSERT_TRUE(duplicateItem(item, &copy)) << c.item;
    EXPECT_EQ(copy, at(QString::fromLatin1(c.second)));
    const QString inCopy = c.folder ? copy + "/inner/deep.txt" : copy;
    EXPECT_EQ(contents(inCopy), c.folder ? "deep" : "text") << c.item;
  }
  EXPECT_FALSE(duplicateItem(at("absent.txt")));
}

TEST(FinderFileOperations, MovedItemsOfOneNameAreNumberedAndLeaveTheMarks) {
  writeFile(at("one/name.ext"), "first");
  writeFile(at("two/name.ext"), "second");
  writeFile(at("three/plain"), "third");
  writeFile(at("target/plain"), "there before");
  FinderMarks marks;
  for (const char* p : {"one/name.ext", "two/name.ext", "three/plain"}) marks.add(at(QString::fromLatin1(p)));
  marks.add(at("one/name.ext"));  // marked twice: moved once, then gone from the marks
  QList<int> waiting;
  const MarkedItemsOutcome outcome = moveMarkedItems(marks, at("target"), [&](int n) { waiting << n; });
  EXPECT_EQ(outcome.done, 3);
  EXPECT_TRUE(outcome.failed.isEmpty());
  EXPECT_TRUE(marks.isEmpty());
  EXPECT_EQ(waiting, (QList<int>{4, 3, 2, 1}));
  EXPECT_EQ(contents(at("target/name.ext")), "first");
  EXPECT_EQ(contents(at("target/name.001.ext")), "second");
  EXPECT_EQ(contents(at("target/plain.001.")), "third");
  EXPECT_EQ(contents(at("target/plain")), "there before");
  EXPECT_FALSE(QFileInfo::exists(at("one/name.ext")));
}

TEST(FinderFileOperations, AnItemThatCannotMoveStaysMarked) {
  writeFile(at("box/inner.txt"));
  writeFile(at("loose.txt"), "loose");
  QDir().mkpath(at("box/sub"));
  FinderMarks marks;
  marks.add(at("box"));  // into itself: refused by the file system, even for root
  marks.add(at("loose.txt"));
  const MarkedItemsOutcome outcome = moveMarkedItems(marks, at("box/sub"));
  EXPECT_EQ(outcome.done, 1);
  EXPECT_EQ(outcome.failed, QStringList{at("box")});
  EXPECT_EQ(outcome.errors.size(), 1);
  EXPECT_EQ(marks.entries(), QStringList{at("box")});
  EXPECT_TRUE(QFileInfo::exists(at("box/inner.txt")));
  EXPECT_EQ(contents(at("box/sub/loose.txt")), "loose");

  if (geteuid() != 0) {  // root moves out of read-only folders
    writeFile(at("locked/held.txt"));
    QFile::setPermissions(at("locked"), QFile::ReadOwner | QFile::ExeOwner);
    FinderMarks held;
    held.add(at("locked/held.txt"));
    const MarkedItemsOutcome refused = moveMarkedItems(held, at("box/sub"));
    QFile::setPermissions(at("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(refused.failed.size(), 1);
    EXPECT_EQ(held.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(at("locked/held.txt")));
  }
}

TEST(FinderFileOperations, ItemsMovedOntoAnotherDiskAreCopiedThenRemoved) {
  QTemporaryDir other(QStringLiteral("/dev/shm/pravella-finder-XXXXXX"));
  struct stat here {};
  struct stat there {};
  if (!other.isValid() || ::stat(QFile::encodeName(test::home()).constData(), &here) != 0 ||
      ::stat(QFile::encodeName(other.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
    GTEST_SKIP() << "no second file system to move onto";
  writeFile(at("far/notes.txt"), "far");
  writeFile(at("far/folder/inner.txt"), "inner");
  FinderMarks marks;
  marks.add(at("far/notes.txt"));
  marks.add(at("far/folder"));
  const MarkedItemsOutcome outcome = moveMarkedItems(marks, other.path());
  EXPECT_EQ(outcome.done, 2);
  EXPECT_TRUE(marks.isEmpty());
  EXPECT_EQ(contents(other.path() + "/notes.txt"), "far");
  EXPECT_EQ(contents(other.path() + "/folder/inner.txt"), "inner");
  EXPECT_FALSE(QFileInfo::exists(at("far/notes.txt")));
  EXPECT_FALSE(QFileInfo::exists(at("far/folder")));
}

TEST(FinderFileOperations, MarkedItemsGoToTheTrashNumberedAndFailuresStayMarked) {
  writeFile(at("x/a.txt"), "1");
  writeFile(at("y/a.txt"), "2");
  FinderMarks marks;
  marks.add(at("x/a.txt"));
  marks.add(at("y/a.txt"));
  marks.add(at("never-there.txt"));  // nothing to trash: it just leaves the marks
  const MarkedItemsOutcome outcome = trashMarkedItems(marks);
  EXPECT_EQ(outcome.done, 2);
  EXPECT_TRUE(marks.isEmpty());
  EXPECT_EQ(contents(paths::trash() + "/files/a.txt"), "1");
  EXPECT_EQ(contents(paths::trash() + "/files/a.001.txt"), "2");

  // A Trash that cannot be made (a file stands where its folder belongs).
  writeFile(at("z/b.txt"), "3");
  QDir(paths::trash()).removeRecursively();
  writeFile(paths::trash(), "in the way");
  marks.add(at("z/b.txt"));
  const MarkedItemsOutcome failed = trashMarkedItems(marks);
  EXPECT_EQ(failed.done, 0);
  EXPECT_EQ(failed.failed, QStringList{at("z/b.txt")});
  EXPECT_FALSE(failed.errors.value(0).isEmpty());
  EXPECT_EQ(marks.entries(), QStringList{at("z/b.txt")});
  EXPECT_EQ(contents(at("z/b.txt")), "3");
}

TEST(FinderFileOperations, NewFolderIsMadeOnlyWhenAbsent) {
  QDir().mkpath(at("parent"));
  QString folder;
  EXPECT_EQ(makeNewFolderIn(at("parent"), &folder), NewFolderOutcome::Created);
  EXPECT_EQ(folder, at("parent/NewFolder"));
  writeFile(folder + "/kept.txt", "kept");
  EXPECT_EQ(makeNewFolderIn(at("parent")), NewFolderOutcome::Exists);
  EXPECT_EQ(contents(folder + "/kept.txt"), "kept");
  EXPECT_EQ(makeNewFolderIn(at("no/such/parent")), NewFolderOutcome::Failed);
}

}  // namespace
