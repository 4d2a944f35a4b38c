#include "diary/day_documents.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "diary/classic_import.h"
#include "diary/document_history.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "support/test_home.h"

namespace {

using namespace pravella;

std::string s(const QString& q) { return q.toStdString(); }

void writeFile(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << s(path);
  f.write(data);
}

TEST(DayDocumentNames, NamesOfNewMemosAndCleanedNames) {
  const QDateTime now(QDate(2009, 3, 4), QTime(5, 6, 7));
  EXPECT_EQ(nameForNewMemo("Shopping", now), "Shopping");
  EXPECT_EQ(nameForNewMemo(QString(50, 'x'), now), QString(50, 'x'));
  EXPECT_EQ(nameForNewMemo(QString(51, 'x'), now), "20090304-050607");
  EXPECT_EQ(nameForNewMemo("", now), "20090304-050607");
  EXPECT_EQ(nameForNewMemo(QStringLiteral("\u25A0 "), now), "");

  EXPECT_EQ(cleanDocumentName("a/b:c"), "a_b;c");
  // A leading full stop would make a document no day list ever shows.
  EXPECT_EQ(cleanDocumentName(".plan"), "_plan");
  EXPECT_EQ(cleanDocumentName("..x.y"), "__x.y");

  EXPECT_EQ(documentDisplayName("a.rtfd"), "a");
  EXPECT_EQ(documentDisplayName("a.rtf"), "a.rtf");
  EXPECT_EQ(fileExtension("notes"), "");
  EXPECT_EQ(fileExtension(".profile"), "");
  EXPECT_EQ(withoutExtension("x.tar.gz"), "x.tar");
}

TEST(DayDocumentNames, RenameTargets) {
  struct Case {
    const char* old;
    const char* typed;
    const char* expected;
  } cases[] = {
      {"a.rtfd", "b", "b.rtfd"},     {"a.rtfd", "b.rtfd", "b.rtfd"}, {"a.txt", "b", "b"},
      {"a.rtfd", "x/b", "b.rtfd"},   {"a.rtf", "b.rtf", "b.rtf"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tableRenameTarget(c.old, c.typed), c.expected) << c.old << " " << c.typed;
  // The name field: the document keeps its kind and extension, whatever is typed.
  const Case fieldCases[] = {
      {"a.rtfd", "b", "b.rtfd"},
      {"a.rtfd", "b.rtf", "b.rtfd"},
      {"a.rtfd", "c.rtfd", "c.rtfd"},
      {"a.rtfd", "a.txt", "a.txt.rtfd"},
      {"a.rtf", "renamed one", "renamed one.rtf"},
      {"a.rtf", "b.rtfd", "b.rtf"},
      {"a.rtf", "b.rtf", "b.rtf"},
      {"a.rtf", "x/b", "b.rtf"},
      {"a.rtf", "v1.2", "v1.2.rtf"},
      {"notes", "b.rtfd", "b.rtfd"},
  };
  for (const Case& c : fieldCases)
    EXPECT_EQ(fieldRenameTarget(c.old, c.typed), c.expected) << c.old << " " << c.typed;
}

TEST(DayDocumentLinks, RelativeLinksResolveBesideTheLinkAndLoopsStop) {
  const QString dir = test::home() + "/links";
  writeFile(dir + "/real/target.rtf", "x");
  ASSERT_TRUE(QFile::link("real/target.rtf", dir + "/one"));  // relative to the link's folder
  ASSERT_TRUE(QFile::link(dir + "/one", dir + "/two"));
  QDir::setCurrent(test::home());  // somewhere else: the process's folder must not matter
  EXPECT_EQ(resolveSymbolicLink(dir + "/two"), dir + "/real/target.rtf");
  EXPECT_EQ(resolveSymbolicLink(dir + "/real/target.rtf"), dir + "/real/target.rtf");
  ASSERT_TRUE(QFile::link(dir + "/loopB", dir + "/loopA"));
  ASSERT_TRUE(QFile::link(dir + "/loopA", dir + "/loopB"));
  EXPECT_EQ(resolveSymbolicLink(dir + "/loopA"), std::nullopt);
  EXPECT_EQ(resolveSymbolicLink(dir + "/two", 1), std::nullopt);
}

TEST(DayDocumentTrash, TakenNamesAreNumberedAndEntriesRecordTheOrigin) {
  const QString day = paths::dayFolder(2008, 2, 28);
  const QString files = paths::trash() + "/files";
  const QDateTime when(QDate(2008, 2, 28), QTime(9, 8, 7));
  for (int i = 0; i < 3; ++i) {
    writeFile(day + "/notes.rtfd/TXT.rtf", QByteArray("v") + char('0' + i));
    const TrashResult r = moveToTrash(day + "/notes.rtfd", when);
    ASSERT_TRUE(r.ok) << s(r.error);
  }
  EXPECT_TRUE(QFileInfo(files + "/notes.rtfd").isDir());
  EXPECT_TRUE(QFileInfo(files + "/notes.001.rtfd").isDir());
  EXPECT_TRUE(QFileInfo(files + "/notes.002.rtfd").isDir());
  EXPECT_FALSE(QFileInfo::exists(day + "/notes.rtfd"));
  QFile info(paths::trash() + "/info/notes.001.rtfd.trashinfo");
  ASSERT_TRUE(info.open(QIODevice::ReadOnly));
  EXPECT_EQ(info.readAll(), "[Trash Info]\nPath=" + QUrl::toPercentEncoding(day + "/notes.rtfd", "/") +
                                "\nDeletionDate=2008-02-28T09:08:07\n");

  // A name without extension: notes, then notes.001. (ending in a full stop).
  writeFile(day + "/plain", "a");
  writeFile(day + "/plain2", "b");
  ASSERT_TRUE(moveToTrash(day + "/plain").ok);
  ASSERT_TRUE(QFile::rename(day + "/plain2", day + "/plain"));
  EXPECT_EQ(moveToTrash(day + "/plain").trashedPath, files + "/plain.001.");

  // Nothing there: nothing moved, no entry.
  const TrashResult none = moveToTrash(day + "/missing.rtfd");
  EXPECT_TRUE(none.ok);
  EXPECT_TRUE(none.trashedPath.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(paths::trash() + "/info/missing.rtfd.trashinfo"));
}

TEST(DayDocumentTrash, AFailedMoveLeavesTheFileAndNoEntry) {
  writeFile(paths::trash(), "a file where the Trash belongs");
  const QString doc = paths::dayFolder(2008, 2, 28) + "/a.rtf";
  writeFile(doc, "x");
  const TrashResult r = moveToTrash(doc);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.isEmpty());
  EXPECT_TRUE(QFileInfo::exists(doc));
}

TEST(DocumentHistoryList, MovesToTheEndAndKeepsMarks) {
  DocumentHistory h;
  h.add("/d/2008/02/01/A.rtfd", 1);
  h.add("/d/2008/02/01/B.rtf", 2);
  h.add("/d/2008/02/01/pic.png", 3);  // other kinds never enter
  h.add("/d/2008/02/01/A.rtfd", 7);
  EXPECT_EQ(h.paths(), QStringList({"/d/2008/02/01/B.rtf", "/d/2008/02/01/A.rtfd"}));
  EXPECT_EQ(h.now(), 2);
  EXPECT_EQ(h.currentMark(), "7 0");
  EXPECT_TRUE(h.canGoBack(false));
  EXPECT_FALSE(h.canGoForward(false));
  h.remove("/d/2008/02/01/A.rtfd");
  EXPECT_EQ(h.now(), 1);
  EXPECT_FALSE(h.canGoBack(false));
  EXPECT_TRUE(h.canGoBack(true));  // jump marks inside the shown document
}

TEST(RecentMemos, RejectCharactersLimitAndVanishedFiles) {
  const QString day = paths::dayFolder(2008, 2, 28);
  RecentMemoList list;
  QStringList made;
  for (int i = 0; i < 8; ++i) {
    const QString path = day + QString("/m%1.rtfd").arg(i);
    writeFile(path + "/TXT.rtf", "x");
    made << path;
    EXPECT_TRUE(list.add(path, 20));
  }
  EXPECT_EQ(list.paths(), made);
  EXPECT_TRUE(list.add(day + "/photo.png", 20));  // goes through the filter, not into the list
  EXPECT_EQ(list.paths().size(), 8);
  writeFile(day + "/_plan.rtfd/TXT.rtf", "x");
  list.setRejectCharacters("_.");
  EXPECT_FALSE(list.add(day + "/_plan.rtfd", 20));
  EXPECT_FALSE(list.paths().contains(day + "/_plan.rtfd"));
  QDir(made[7]).removeRecursively();
  EXPECT_TRUE(list.add(made[0], 5));
  EXPECT_EQ(list.paths(), QStringList({made[3], made[4], made[5], made[6], made[0]}));
  EXPECT_EQ(RecentMemoList::menuTitle(day + "/m1.rtfd"), "02/28/m1");
}

TEST(ClassicImport, FindsBothSpellingsAndNamesUntitledDocuments) {
  const QString base = test::home() + "/old";
  const QByteArray root = QFile::encodeName(base);
  auto put = [&](int y, int m, int d, int n, bool sjis, const QByteArray& text) {
    const QByteArray folder = root + '/' + classic::monthFolderName(y, m, sjis);
    QDir().mkpath(QFile::decodeName(root));
    ::mkdir(folder.constData(), 0755);
    FILE* f = ::fopen((folder + '/' + classic::documentName(y, m, d, n, sjis)).constData(), "wb");
    ASSERT_NE(f, nullptr);
    ::fwrite(text.constData(), 1, text.size(), f);
    ::fclose(f);
  };
  const QByteArray sjisTitle = encoding::encode(QStringLiteral("日記"), encoding::kShiftJIS);
  put(2003, 4, 5, 0, true, sjisTitle + "\rline two\r");
  put(2003, 4, 5, 1, true, "\rno title\r");
  put(2003, 5, 1, 0, false, "Trip\rby train");
  put(1989, 1, 1, 0, true, "too early");

  int missing = 0;
  const auto docs = classic::findOldDocuments(base, {nullptr, [&] { ++missing; }});
  ASSERT_EQ(docs.size(), 3u);
  EXPECT_EQ(missing, 21 * 12 - 2);
  EXPECT_EQ(docs[0].day, 5);
  EXPECT_EQ(docs[2].month, 5);

  long untitled = 0;
  QString text;
  ASSERT_TRUE(classic::readOldText(docs[0].path, text));
  EXPECT_EQ(text, QStringLiteral("日記\nline two\n"));
  EXPECT_EQ(classic::oldDocumentTitle(text, 2003, 4, 5, untitled), QStringLiteral("日記"));
  ASSERT_TRUE(classic::readOldText(docs[1].path, text));
  EXPECT_EQ(classic::oldDocumentTitle(text, 2003, 4, 5, untitled), "2003_04_05_00");
  EXPECT_EQ(classic::oldDocumentTitle(QString(129, 'x'), 2003, 5, 1, untitled), "2003_05_01_01");
  EXPECT_EQ(untitled, 2);
  // Names that are not UTF-8 are beyond the temporary home's own clean-up.
  std::filesystem::remove_all(root.toStdString());
}

TEST(FitFileName, CutsTheStemAtAWholeCharacterAndKeepsTheTail) {
  const QString euro(1, QChar(0x20AC));       // 3 bytes
  const QString clef = QString::fromUcs4(U"\U0001D11E");  // 4 bytes, a surrogate pair
  struct Case {
    QString stem, tail;
    int maxBytes;
    QString expected;
  } cases[] = {
      {"short", ".rtfd", 255, "short.rtfd"},
      {QString(300, 'a'), " (2).rtfd", 255, QString(246, 'a') + " (2).rtfd"},
      {euro.repeated(5), ".x", 10, euro.repeated(2) + ".x"},     // 8 of 10 bytes: no half character
      {"a" + clef + clef, ".x", 8, "a" + clef + ".x"},            // never half a pair
      {"abc", QString(20, 't'), 10, QString(20, 't')},            // a tail that alone is too long
  };
  for (const Case& c : cases) {
    const QString fitted = pravella::fitFileName(c.stem, c.tail, c.maxBytes);
    EXPECT_EQ(fitted, c.expected) << c.stem.toStdString();
  }
}

}  // namespace
