// A memo's tables and HTML pages move with it, or nothing moves.

#include "diary/document_companions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/paths.h"
#include "support/test_home.h"

namespace {

using namespace pravella;

std::string s(const QString& q) { return q.toStdString(); }

QString dir() { return test::home() + "/day"; }

void makeFolder(const QString& name, const QByteArray& content) {
  QDir().mkpath(dir() + "/" + name);
  QFile f(dir() + "/" + name + "/content");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
}

QByteArray contentOf(const QString& name) {
  QFile f(dir() + "/" + name + "/content");
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList entries() { return QDir(dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name); }

TEST(DocumentCompanions, AreTheFoldersOfTheSameNameAndHaveNoneOfTheirOwn) {
  EXPECT_EQ(companionPathsFor("/d/Tables.rtfd"), QStringList({"/d/Tables.htmld", "/d/Tables.tbld"}));
  EXPECT_EQ(companionPathsFor("/d/plain.rtf"), QStringList({"/d/plain.htmld", "/d/plain.tbld"}));
  EXPECT_EQ(companionPathsFor("/d/notes"), QStringList({"/d/notes.htmld", "/d/notes.tbld"}));
  EXPECT_TRUE(companionPathsFor("/d/Tables.tbld").isEmpty());
  EXPECT_TRUE(isCompanionExtension(u"tbld"));
  EXPECT_FALSE(isCompanionExtension(u"TBLD"));
}

TEST(DocumentCompanions, MoveWithTheDocumentOrNothingMoves) {
  makeFolder("Tables.rtfd", "memo");
  makeFolder("Tables.tbld", "prices");
  makeFolder("Tables.htmld", "page");
  DocumentMove moved = moveDocumentWithCompanions(dir() + "/Tables.rtfd", dir() + "/Tables2.rtfd");
  ASSERT_TRUE(moved.ok) << s(moved.error);
  EXPECT_EQ(entries(), QStringList({"Tables2.htmld", "Tables2.rtfd", "Tables2.tbld"}));
  EXPECT_EQ(contentOf("Tables2.tbld"), "prices");

  // A companion's new name taken: nothing moves, and the sentence says which.
  makeFolder("Other.tbld", "someone else's");
  moved = moveDocumentWithCompanions(dir() + "/Tables2.rtfd", dir() + "/Other.rtfd");
  EXPECT_FALSE(moved.ok);
  EXPECT_EQ(moved.error,
            "\"Tables2\" is not moved: its tables cannot follow it, because \"Other.tbld\" already exists.");
  EXPECT_EQ(entries(), QStringList({"Other.tbld", "Tables2.htmld", "Tables2.rtfd", "Tables2.tbld"}));
  EXPECT_EQ(contentOf("Other.tbld"), "someone else's");
}

TEST(DocumentCompanions, ACompanionThatCannotFollowBringsTheRestBack) {
  makeFolder("Tables.rtfd", "memo");
  makeFolder("Tables.tbld", "prices");
  makeFolder("Tables.htmld", "page");
  // The tables refuse to move (as a read-only folder refuses to leave its parent).
  const EntryMover refuseTables = [](const QString& from, const QString& to) {
    if (from.endsWith(".tbld")) {
      errno = EACCES;
      return false;
    }
    return renameEntry(from, to);
  };
  const DocumentMove moved =
      moveDocumentWithCompanions(dir() + "/Tables.rtfd", dir() + "/B.rtfd", refuseTables);
  EXPECT_FALSE(moved.ok);
  EXPECT_EQ(moved.error,
            "\"Tables\" is not moved: its tables (\"Tables.tbld\") could not follow it: Permission denied.");
  EXPECT_EQ(entries(), QStringList({"Tables.htmld", "Tables.rtfd", "Tables.tbld"}));
  EXPECT_EQ(contentOf("Tables.htmld"), "page");
}

TEST(DocumentCompanions, GoToTheTrashWithTheDocumentButNeverWithoutIt) {
  makeFolder("Tables.rtfd", "memo");
  makeFolder("Tables.tbld", "prices");
  makeFolder("Tabled.tbld", "another name's");
  // Where the Trash belongs, a file: nothing can go there.
  QDir().mkpath(QFileInfo(paths::trash()).path());
  QFile blocker(paths::trash());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  DocumentTrash trashed = trashDocumentWithCompanions(dir() + "/Tables.rtfd");
  EXPECT_FALSE(trashed.document.ok);
  EXPECT_FALSE(trashed.document.error.isEmpty());
  EXPECT_EQ(entries(), QStringList({"Tabled.tbld", "Tables.rtfd", "Tables.tbld"}));

  ASSERT_TRUE(QFile::remove(paths::trash()));
  trashed = trashDocumentWithCompanions(dir() + "/Tables.rtfd");
  ASSERT_TRUE(trashed.document.ok) << s(trashed.document.error);
  EXPECT_TRUE(trashed.errors.isEmpty());
  EXPECT_EQ(entries(), QStringList{"Tabled.tbld"});
  QFile kept(paths::trash() + "/files/Tables.tbld/content");
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "prices");
}

}  // namespace
