// Documents renamed or moved in the finder sheet, by its name field and by moving its marked
// items: the bookmarks and the launcher's items (with their memos) follow them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>
#include <utility>

#include "diary/diary_globals.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/rich_text_file.h"
#include "platform/ui/sound_player.h"
#include "support/dialog_watchdog.h"
#include "support/folder_panel.h"
#include "support/folder_snapshot.h"
#include "support/private_mounts.h"
#include "tools/bookmarks/launcher_store.h"
#include "tools/bookmarks/ui/cal_book_mark.h"
#include "tools/bookmarks/ui/cal_launcher.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/fs_browser.h"

namespace {

namespace paths = pravella::paths;

class FinderDocumentMoves : public testing::Test {
 protected:
  void SetUp() override {
    for (const QString& path : {a, b}) {
      QTextDocument doc;
      doc.setPlainText(QFileInfo(path).completeBaseName());
      ASSERT_TRUE(pravella::writeRtfdFile(path, doc).ok);
    }
    pravella::DeskToolHost host;
    host.documentView = &memo;
    host.nowDisplayedDocument = [] { return QString(); };
    host.selectedDay = [] { return QDate(2008, 3, 5); };
    host.save = [] { return true; };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.toggleStatus = [this] { return toggle; };
    marks = std::make_unique<CalBookMark>(host);
    marks->awakeFromNib();
    marks->addBookMarkFromDiaryFileAction(a);
    marks->addBookMarkFromDiaryFileAction(b);

    CalLauncher::Host launcherHost;
    launcherHost.setToggleStatus = [](int) { return 0; };
    launcher = std::make_unique<CalLauncher>(launcherHost);
    launcher->awakeFromNib();
    launcher->openLauncherAction();
    launcher->addByDrop({a, b});

    sheet = std::make_unique<CalFinder>(host);
    sheet->setAlert([](const QString& title, const QString&) { ADD_FAILURE() << title.toStdString(); });
    sheet->awakeFromNib();
    sheet->finderDrawer()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet->finderDrawer()));
  }

  QStringList bookmarkPaths() const {
    QStringList out;
    for (int i = 0; i < marks->store().size(); ++i) out << marks->store().at(i).path;
    return out;
  }
  QStringList launcherPaths() const {
    QStringList out;
    for (int i = 0; i < launcher->store().size(); ++i) out << launcher->store().at(i).path;
    return out;
  }
  static QStringList storedBookmarkPaths() {
    return pravella::plist::readStringArray(pravella::bookmarks::bmFile(2)).value_or(QStringList());
  }
  static QStringList storedLauncherPaths() {
    return pravella::plist::readStringArray(pravella::launcher::pathsFile()).value_or(QStringList());
  }
  void browse(const QString& path) {
    ASSERT_TRUE(sheet->fsBrowser()->setPath(path)) << path.toStdString();
    sheet->browserSingleClick();
  }
  // A new name typed into the finder's name field, as the user renames what is browsed.
  void typeName(const QString& name) {
    QLineEdit* field = sheet->fileNameField();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, name);
    QTest::keyClick(field, Qt::Key_Return);
  }
  QPushButton* button(const QString& text) const {
    for (QPushButton* b : sheet->finderDrawer()->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
  }

  const QString a = paths::dayFolder(2008, 3, 5) + "/a.rtfd";
  const QString b = paths::dayFolder(2008, 3, 6) + "/b.rtfd";
  pravella::test::DialogWatchdog watchdog;
  QTextEdit memo;
  int toggle = 0;
  std::unique_ptr<CalBookMark> marks;
  std::unique_ptr<CalLauncher> launcher;
  std::unique_ptr<CalFinder> sheet;
};

TEST_F(FinderDocumentMoves, ANameTypedInTheFinderMovesTheBookmarkAndTheLauncherItem) {
  const int category = launcher->store().at(0).category.toInt();
  const QString memoFile = pravella::launcher::memoFileFor(a, category);
  QTextDocument note;
  note.setPlainText("about a");
  ASSERT_TRUE(pravella::writeRtfdFile(memoFile, note).ok);

  browse(a);
  typeName("renamed");

  const QString renamed = paths::dayFolder(2008, 3, 5) + "/renamed.rtfd";
  ASSERT_TRUE(QFileInfo(renamed).isDir());
  EXPECT_EQ(bookmarkPaths(), (QStringList{renamed, b}));
  EXPECT_EQ(storedBookmarkPaths(), (QStringList{renamed, b}));
  EXPECT_EQ(launcherPaths(), (QStringList{renamed, b}));
  EXPECT_EQ(storedLauncherPaths(), (QStringList{renamed, b}));
  // The item's memo goes with it.
  EXPECT_FALSE(QFileInfo::exists(memoFile));
  EXPECT_EQ(pravella::plainTextOfRichTextFile(pravella::launcher::memoFileFor(renamed, category)), "about a");
}

TEST_F(FinderDocumentMoves, MarkedDocumentsMovedIntoAFolderTakeTheirBookmarksAlong) {
  // A folder beside the marked document, where the panel opens.
  const QString into = QFileInfo(b).path() + "/kept";
  QDir().mkpath(into);
  browse(b);
  QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
  ASSERT_TRUE(sheet->markSwitch()->isChecked());
  // The folder panel, answered with the folder's name typed into it and Choose.
  pravella::test::chooseFolderInPanels(watchdog, QStringLiteral("kept"));
  QTest::mouseClick(button(QStringLiteral("Move Marked")), Qt::LeftButton);

  ASSERT_TRUE(QFileInfo(into + "/b.rtfd").isDir());
  EXPECT_EQ(bookmarkPaths(), (QStringList{a, into + "/b.rtfd"}));
  EXPECT_EQ(storedBookmarkPaths(), (QStringList{a, into + "/b.rtfd"}));
  EXPECT_EQ(launcherPaths(), (QStringList{a, into + "/b.rtfd"}));
}

TEST_F(FinderDocumentMoves, ARenamedFolderTakesTheItemsInsideAlong) {
  const QString day = paths::dayFolder(2008, 3, 6);
  browse(day);
  typeName("16");

  const QString moved = paths::dayFolder(2008, 3, 16) + "/b.rtfd";
  ASSERT_TRUE(QFileInfo(moved).isDir());
  EXPECT_EQ(bookmarkPaths(), (QStringList{a, moved}));
  EXPECT_EQ(launcherPaths(), (QStringList{a, moved}));
}

// A memo deleted in the finder takes its tables and HTML pages to the Trash with it: left
// behind, they would be taken up by the next memo of that name.
TEST_F(FinderDocumentMoves, DeletedMemosTakeTheirTablesAndPagesAlong) {
  const QString day = paths::dayFolder(2008, 3, 5);
  const QString other = paths::dayFolder(2008, 3, 6);
  for (const QString& companion : {day + "/a.tbld", day + "/a.htmld", other + "/b.tbld"})
    ASSERT_TRUE(QDir().mkpath(companion + "/inside"));
  QFile kept(other + "/bb.tbld");  // another name's tables stay
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
  kept.close();
  const QString trash = paths::trash() + "/files/";

  browse(a);
  const auto before = pravella::test::FolderSnapshot::of(day);
  watchdog.answer(QStringLiteral("Delete"));
  QTest::mouseClick(button(QStringLiteral("Delete")), Qt::LeftButton);
  EXPECT_EQ(QDir(day).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
  EXPECT_TRUE(before.changedOnly({"a.rtfd", "a.tbld", "a.htmld"}));
  for (const char* name : {"a.rtfd", "a.tbld/inside", "a.htmld/inside"})
    EXPECT_TRUE(QFileInfo::exists(trash + name)) << name;

  browse(b);
  QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
  ASSERT_TRUE(sheet->markSwitch()->isChecked());
  watchdog.answer(QStringLiteral("Delete"));
  QTest::mouseClick(button(QStringLiteral("Delete Marked")), Qt::LeftButton);
  EXPECT_EQ(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"bb.tbld"});
  for (const char* name : {"b.rtfd", "b.tbld/inside"}) EXPECT_TRUE(QFileInfo::exists(trash + name)) << name;
  EXPECT_EQ(watchdog.answered(), (QStringList{"Delete : a.rtfd", "Delete"}));
  EXPECT_EQ(watchdog.pending(), 0u);
}

// "Notes.txt", "Notes.rtf" and "Notes.rtfd" all use the tables "Notes.tbld": they stay while
// one of them stays. The one renamed takes a copy, the one deleted nothing, and documents of
// the name moved together take them once.
TEST_F(FinderDocumentMoves, TablesStayWhileAnotherDocumentOfTheNameStays) {
  const QString day = paths::dayFolder(2008, 3, 5);
  const auto write = [](const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
  };
  write(day + "/Notes.txt", "plain words");
  write(day + "/Notes.rtf", "{\\rtf1 words}");
  QTextDocument edit;
  edit.setPlainText("saved edit");
  ASSERT_TRUE(pravella::writeRtfdFile(day + "/Notes.rtfd", edit).ok);
  write(day + "/Notes.tbld/prices.dat", "the prices");
  const QString trash = paths::trash() + "/files";

  auto before = pravella::test::FolderSnapshot::of(day);
  browse(day + "/Notes.txt");
  typeName("Renamed.txt");
  EXPECT_TRUE(before.changedOnly({"Notes.txt", "Renamed.txt", "Renamed.tbld"}));
  EXPECT_TRUE(QFileInfo(day + "/Renamed.txt").isFile());
  EXPECT_TRUE(QFileInfo(day + "/Renamed.tbld/prices.dat").isFile());

  before = pravella::test::FolderSnapshot::of(day);
  browse(day + "/Notes.rtf");
  watchdog.answer(QStringLiteral("Delete"));
  QTest::mouseClick(button(QStringLiteral("Delete")), Qt::LeftButton);
  EXPECT_TRUE(before.changedOnly({"Notes.rtf"}));
  EXPECT_EQ(QDir(trash).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Notes.rtf"});

  write(day + "/Notes.rtf", "{\\rtf1 words}");
  QDir().mkpath(day + "/kept");
  before = pravella::test::FolderSnapshot::of(day);
  for (const char* name : {"Notes.rtf", "Notes.rtfd"}) {
    browse(day + "/" + name);
    QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
    ASSERT_TRUE(sheet->markSwitch()->isChecked());
  }
  pravella::test::chooseFolderInPanels(watchdog, QStringLiteral("kept"));
  QTest::mouseClick(button(QStringLiteral("Move Marked")), Qt::LeftButton);
  EXPECT_TRUE(before.changedOnly({"Notes.rtf", "Notes.rtfd", "Notes.tbld", "kept"}));
  EXPECT_EQ(QDir(day + "/kept").entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
            QStringList({"Notes.rtf", "Notes.rtfd", "Notes.tbld"}));
  EXPECT_FALSE(QFileInfo::exists(day + "/Notes.tbld"));
  EXPECT_EQ(watchdog.pending(), 0u);
}

// After a delete the name field is empty and the browser is left on the day's folder: Mark then
// marks nothing ("Basso"), so Delete Marked has nothing to take. A folder is marked only once
// the user showed it, and every question about deleting names what goes, and what goes along.
TEST_F(FinderDocumentMoves, MarkWithNothingShownMarksNothingAndQuestionsNameWhatGoes) {
  const QString day = paths::dayFolder(2008, 3, 5);
  QDir().mkpath(day + "/a.tbld");
  QFile loose(day + "/x.txt");
  ASSERT_TRUE(loose.open(QIODevice::WriteOnly));
  loose.close();
  QStringList sounds;
  pravella::setSoundRecorder([&sounds](const QString& name) { sounds << name; });

  browse(day + "/x.txt");
  watchdog.answer(QStringLiteral("Delete"));
  QTest::mouseClick(button(QStringLiteral("Delete")), Qt::LeftButton);
  ASSERT_FALSE(QFileInfo::exists(day + "/x.txt"));
  ASSERT_EQ(sheet->fileNameField()->text(), QString());
  EXPECT_EQ(watchdog.answeredTexts().value(0), "Do you want to delete this document, \"x.txt\"?");

  const auto before = pravella::test::FolderSnapshot::of(day);
  sounds.clear();
  QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
  EXPECT_FALSE(sheet->markSwitch()->isChecked());
  EXPECT_TRUE(sheet->operations().marks().isEmpty());
  EXPECT_EQ(sounds, QStringList{"Basso"});
  QTest::mouseClick(button(QStringLiteral("Delete Marked")), Qt::LeftButton);  // no question: no marks
  EXPECT_EQ(watchdog.answered().size(), 1);

  // A memo with its tables: the question names both; Escape keeps them.
  browse(a);
  watchdog.escape();
  QTest::mouseClick(button(QStringLiteral("Delete")), Qt::LeftButton);
  EXPECT_EQ(watchdog.answeredTexts().value(1),
            "Do you want to delete this document, \"a.rtfd\", with its tables \"a.tbld\"?");

  // The day's folder, shown by the user, is marked; the question says it is a folder and what
  // it holds, and Escape keeps it.
  browse(day);
  QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
  ASSERT_EQ(sheet->operations().marks().entries(), QStringList{day});
  watchdog.escape();
  QTest::mouseClick(button(QStringLiteral("Delete Marked")), Qt::LeftButton);
  EXPECT_EQ(watchdog.answeredTexts().value(2),
            "Do you want to delete All Marked Files?\n" + day + ", a folder with 2 items in it");
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(sheet->operations().marks().entries(), QStringList{day});
  EXPECT_EQ(watchdog.pending(), 0u);
  pravella::setSoundRecorder(nullptr);
}

// A Move Marked that stops halfway: "A.rtf" moves, "A.rtfd" cannot (it is a mount point here),
// and the tables stay with "A.rtfd", which still uses them; "A.rtf" took a copy. The alert says
// what failed and what moved.
TEST_F(FinderDocumentMoves, AMoveStoppedHalfwayLeavesTheTablesWithTheDocumentThatStayed) {
  const QString day = paths::dayFolder(2008, 3, 5);
  const QString other = paths::dayFolder(2008, 3, 7);
  QDir().mkpath(other);
  QFile rtf(day + "/A.rtf");
  ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
  rtf.write("{\\rtf1 words}");
  rtf.close();
  QTextDocument memo;
  memo.setPlainText("memo");
  ASSERT_TRUE(pravella::writeRtfdFile(day + "/A.rtfd", memo).ok);
  QDir().mkpath(day + "/A.tbld");
  QFile prices(day + "/A.tbld/prices.dat");
  ASSERT_TRUE(prices.open(QIODevice::WriteOnly));
  prices.write("the prices");
  prices.close();
  pravella::test::PrivateMounts mounts;
  if (!mounts.readOnly(day + "/A.rtfd")) GTEST_SKIP() << mounts.why().toStdString();

  const auto before = pravella::test::FolderSnapshot::of(day);
  const auto into = pravella::test::FolderSnapshot::of(other);
  for (const char* name : {"A.rtf", "A.rtfd"}) {
    browse(day + "/" + name);
    QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
    ASSERT_TRUE(sheet->markSwitch()->isChecked());
  }
  pravella::test::chooseFolderInPanels(watchdog, other);
  watchdog.answer(QStringLiteral("OK"));
  QTest::mouseClick(button(QStringLiteral("Move Marked")), Qt::LeftButton);

  EXPECT_TRUE(before.changedOnly({"A.rtf"}));
  EXPECT_TRUE(into.changedOnly({"A.rtf", "A.tbld"}));
  QFile copy(other + "/A.tbld/prices.dat");
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), "the prices");
  EXPECT_EQ(sheet->operations().marks().entries(), QStringList{day + "/A.rtfd"});
  ASSERT_EQ(watchdog.answered(), QStringList{"Move Marked"});
  const QString said = watchdog.answeredTexts().value(0);
  EXPECT_TRUE(said.contains(day + "/A.rtfd cannot be moved")) << said.toStdString();
  EXPECT_TRUE(said.endsWith("Moved:\n" + other + "/A.rtf, with a copy of " + other + "/A.tbld"))
      << said.toStdString();

  // Delete Marked stopped halfway the same way: "A.rtfd" stays with its tables; the moved
  // "A.rtf" goes with its copy, the last of its name there; the alert says what went.
  browse(other + "/A.rtf");
  QTest::mouseClick(sheet->markSwitch(), Qt::LeftButton);
  ASSERT_EQ(sheet->operations().marks().entries(), QStringList({day + "/A.rtfd", other + "/A.rtf"}));
  watchdog.answer(QStringLiteral("Delete"));
  watchdog.answer(QStringLiteral("OK"));
  QTest::mouseClick(button(QStringLiteral("Delete Marked")), Qt::LeftButton);
  EXPECT_EQ(watchdog.answeredTexts().value(1), "Do you want to delete All Marked Files?\n" + day +
                                                   "/A.rtfd, with its tables \"A.tbld\"\n" + other +
                                                   "/A.rtf, with its tables \"A.tbld\"");
  EXPECT_TRUE(before.changedOnly({"A.rtf"}));
  EXPECT_TRUE(into.unchanged());
  ASSERT_EQ(watchdog.answered(), QStringList({"Move Marked", "Delete", "Delete Marked"}));
  EXPECT_TRUE(watchdog.answeredTexts().value(2).endsWith("Moved to the Trash:\n" + other + "/A.rtf"))
      << watchdog.answeredTexts().value(2).toStdString();
  EXPECT_EQ(sheet->operations().marks().entries(), QStringList{day + "/A.rtfd"});
  EXPECT_EQ(watchdog.pending(), 0u);
}

}  // namespace
