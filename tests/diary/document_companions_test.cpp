// A memo's tables and HTML pages move with it, or nothing moves; while another document of its
// name stays, they stay with that one.

#include "diary/document_companions.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/paths.h"
#include "support/folder_snapshot.h"
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
  makeFolder("Tablesque.tbld", "another name's");
  const auto before = test::FolderSnapshot::of(dir());
  DocumentMove moved = moveDocumentWithCompanions(dir() + "/Tables.rtfd", dir() + "/Tables2.rtfd");
  ASSERT_TRUE(moved.ok) << s(moved.error);
  EXPECT_EQ(entries(), QStringList({"Tables2.htmld", "Tables2.rtfd", "Tables2.tbld", "Tablesque.tbld"}));
  EXPECT_EQ(contentOf("Tables2.tbld"), "prices");
  EXPECT_TRUE(before.changedOnly(
      {"Tables.htmld", "Tables.rtfd", "Tables.tbld", "Tables2.htmld", "Tables2.rtfd", "Tables2.tbld"}));
  EXPECT_EQ(contentOf("Tablesque.tbld"), "another name's");

  // A companion's new name taken: nothing moves, and the sentence says which.
  makeFolder("Other.tbld", "someone else's");
  const auto refused = test::FolderSnapshot::of(dir());
  moved = moveDocumentWithCompanions(dir() + "/Tables2.rtfd", dir() + "/Other.rtfd");
  EXPECT_FALSE(moved.ok);
  EXPECT_EQ(moved.error,
            "\"Tables2\" is not moved: its tables cannot follow it, because \"Other.tbld\" already exists.");
  EXPECT_EQ(entries(),
            QStringList({"Other.tbld", "Tables2.htmld", "Tables2.rtfd", "Tables2.tbld", "Tablesque.tbld"}));
  EXPECT_EQ(contentOf("Other.tbld"), "someone else's");
  EXPECT_TRUE(refused.unchanged());
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

TEST(DocumentCompanions, AreSharedByEveryDocumentOfTheName) {
  makeFolder("plain.rtfd", "saved edit");
  for (const char* name :
       {"plain.rtf", "plain", "plain.ROIData", "plain.tbld", "plainer.rtf", "plain.old.rtf"}) {
    QFile f(dir() + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  QStringList sharing = documentsSharingCompanions(dir() + "/plain.rtf");
  sharing.sort();
  EXPECT_EQ(sharing, QStringList({dir() + "/plain", dir() + "/plain.rtfd"}));
  EXPECT_EQ(documentsSharingCompanions(dir() + "/plain.rtf", {dir() + "/plain", dir() + "/plain.rtfd"}),
            QStringList());
  EXPECT_EQ(documentsSharingCompanions(dir() + "/plainer.rtf"), QStringList());
  EXPECT_EQ(documentsSharingCompanions(dir() + "/plain.tbld"), QStringList());
  QStringList users = documentsUsingCompanion(dir() + "/plain.tbld");
  users.sort();
  EXPECT_EQ(users, QStringList({dir() + "/plain", dir() + "/plain.rtf", dir() + "/plain.rtfd"}));
  EXPECT_EQ(documentsUsingCompanion(dir() + "/plain.rtf"), QStringList());
}

// "plain.rtf" and "plain.rtfd" (its edits saved) both use "plain.tbld": the one that goes
// leaves it to the one that stays, and a renamed or moved one takes a copy.
TEST(DocumentCompanions, StayWhileAnotherDocumentOfTheNameStays) {
  makeFolder("plain.rtfd", "saved edit");
  makeFolder("plain.tbld", "prices");
  makeFolder("plain.htmld", "page");
  QFile rtf(dir() + "/plain.rtf");
  ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
  rtf.write("{\\rtf1 words}");
  rtf.close();

  auto before = test::FolderSnapshot::of(dir());
  DocumentMove moved = moveDocumentWithCompanions(dir() + "/plain.rtf", dir() + "/notes.rtf");
  ASSERT_TRUE(moved.ok) << s(moved.error);
  EXPECT_TRUE(before.changedOnly({"plain.rtf", "notes.rtf", "notes.tbld", "notes.htmld"}));
  EXPECT_EQ(contentOf("plain.tbld"), "prices");
  EXPECT_EQ(contentOf("notes.tbld"), "prices");
  EXPECT_EQ(contentOf("notes.htmld"), "page");
  // The copy is whole, and nothing of its making is left.
  EXPECT_EQ(entries(), QStringList({"notes.htmld", "notes.rtf", "notes.tbld", "plain.htmld", "plain.rtfd",
                                    "plain.tbld"}));

  // Back beside its package, then deleted: the tables stay with the package.
  ASSERT_TRUE(renameEntry(dir() + "/notes.rtf", dir() + "/plain.rtf"));
  before = test::FolderSnapshot::of(dir());
  DocumentTrash trashed = trashDocumentWithCompanions(dir() + "/plain.rtf");
  ASSERT_TRUE(trashed.document.ok) << s(trashed.document.error);
  EXPECT_TRUE(before.changedOnly({"plain.rtf"}));
  EXPECT_EQ(QDir(paths::trash() + "/files").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList{"plain.rtf"});

  // The last document of the name takes them.
  trashed = trashDocumentWithCompanions(dir() + "/plain.rtfd");
  ASSERT_TRUE(trashed.document.ok) << s(trashed.document.error);
  EXPECT_EQ(entries(), QStringList({"notes.htmld", "notes.tbld"}));
  EXPECT_TRUE(QFileInfo(paths::trash() + "/files/plain.tbld/content").isFile());
}

// Documents of one name moved together: the companions stay while one of them stays (each
// moved one takes a copy) and go with the last, which takes the place of the copy; when the
// last cannot move, it keeps them.
TEST(DocumentCompanions, DocumentsOfTheNameMovedTogetherTakeThemWithTheLast) {
  const QString into = test::home() + "/into";
  for (const bool lastMoves : {true, false}) {
    SCOPED_TRACE(lastMoves ? "the last moves" : "the last cannot move");
    makeFolder("plain.rtfd", "saved edit");
    makeFolder("plain.tbld", "prices");
    QFile rtf(dir() + "/plain.rtf");
    ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
    rtf.close();
    QDir(into).removeRecursively();
    QDir().mkpath(into);
    const auto before = test::FolderSnapshot::of(dir());
    DocumentMoves moves([lastMoves](const QString& from, const QString& to) {
      return (lastMoves || !from.endsWith(".rtfd")) && renameEntry(from, to);
    });
    DocumentMove moved = moves.move(dir() + "/plain.rtf", into + "/plain.rtf");
    ASSERT_TRUE(moved.ok) << s(moved.error);
    EXPECT_EQ(moved.copied, QStringList{into + "/plain.tbld"});
    moved = moves.move(dir() + "/plain.rtfd", into + "/plain.rtfd");
    EXPECT_EQ(moved.ok, lastMoves) << s(moved.error);
    if (lastMoves) {
      EXPECT_EQ(moved.carried, QStringList{into + "/plain.tbld"});
      EXPECT_EQ(entries(), QStringList());
    } else {
      EXPECT_TRUE(before.changedOnly({"plain.rtf"}));
    }
    // Hidden entries too: the copy set aside is gone.
    EXPECT_EQ(QDir(into).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              lastMoves ? QStringList({"plain.rtf", "plain.rtfd", "plain.tbld"})
                        : QStringList({"plain.rtf", "plain.tbld"}));
    QFile prices(into + "/plain.tbld/content");
    ASSERT_TRUE(prices.open(QIODevice::ReadOnly));
    EXPECT_EQ(prices.readAll(), "prices");
    QDir(dir()).removeRecursively();
    QDir().mkpath(dir());
  }
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
