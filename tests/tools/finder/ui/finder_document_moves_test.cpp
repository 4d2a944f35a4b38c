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
#include "support/dialog_watchdog.h"
#include "support/folder_panel.h"
#include "support/folder_snapshot.h"
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

}  // namespace
