// The memo's document renamed, moved, deleted or saved in the finder, through the finder's own
// widgets: the memo follows it (its next save goes where the document is now), or, when it went
// to the Trash, keeps its text as a new memo that says so; the day's list and the finder's
// column show what is there, and the status line says only what still holds.

#include <QCheckBox>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

#include "editors/ui/document_save.h"
#include "shared_documents_fixture.h"
#include "support/folder_panel.h"
#include "support/wait_for.h"

namespace {

using namespace day_documents_test;

class FinderMovesShownMemo : public SharedDocuments {
 protected:
  // "Doc A" shown in the memo and clicked in the finder.
  void showDocAInBoth() {
    writeRtfd(day() + "/Doc A.rtfd", "first");
    writeRtfd(day() + "/Other.rtfd", "other");
    realPanels = true;  // the finder's own questions, answered by their buttons
    open();
    showInMemo("Doc A.rtfd");
    clickInFinder(day(), "Doc A.rtfd");
  }
  void typeNameInFinder(const QString& name) {
    QLineEdit* field = finder->fileNameField();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, name);
    QTest::keyClick(field, Qt::Key_Return);
  }
  QPushButton* finderButton(const QString& text) {
    for (QPushButton* b : finder->finderDrawer()->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    ADD_FAILURE() << "no button " << s(text);
    return nullptr;
  }
  // Back in the main window after a finder panel, as a click on the memo brings it back.
  void backInTheMemo() {
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window.get(), 2000);
    memo()->setFocus();
  }
  void pressSave() {
    backInTheMemo();
    QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
  }
  // Typed in the main memo, then Ctrl+S.
  void editAndSave(const QString& text) {
    backInTheMemo();
    type(text);
    ASSERT_TRUE(window->isWindowModified());
    pressSave();
  }
  QStringList dayEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  }
  // Every message box from now on: its title and text kept, its first button clicked.
  void recordMessageBoxes() {
    auto said = std::make_shared<QStringList>();
    said_ = said;
    watchdog.answerDialog(QStringLiteral("QMessageBox"), [said](QDialog* dialog) {
      auto* box = static_cast<QMessageBox*>(dialog);
      *said << box->windowTitle() + ": " + box->text();
      box->buttons().first()->click();
      return true;
    });
  }
  QStringList boxes() const { return said_ ? *said_ : QStringList(); }
  std::shared_ptr<QStringList> said_;
};

TEST_F(FinderMovesShownMemo, ARenameInTheFinderIsFollowedByTheMemo) {
  showDocAInBoth();
  typeNameInFinder("Doc B");
  ASSERT_TRUE(QFileInfo(day() + "/Doc B.rtfd").isDir());
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Doc B.rtfd");
  EXPECT_EQ(nameField()->text(), "Doc B");
  EXPECT_EQ(rows(), (QStringList{"Doc B", "Other"}));

  editAndSave("edit ");
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(textOf(day() + "/Doc B.rtfd"), "edit first");
  EXPECT_EQ(dayEntries(day()), (QStringList{"Doc B.rtfd", "Other.rtfd"}));
}

TEST_F(FinderMovesShownMemo, AMoveToAnotherDayIsFollowedByTheMemo) {
  showDocAInBoth();
  const QString otherDay = day(29);
  QDir().mkpath(otherDay);
  QTest::mouseClick(finder->markSwitch(), Qt::LeftButton);
  ASSERT_TRUE(finder->markSwitch()->isChecked());
  // The folder panel, answered with the other day's folder typed in full and Choose.
  pravella::test::chooseFolderInPanels(watchdog, otherDay);
  QTest::mouseClick(finderButton(QStringLiteral("Move Marked")), Qt::LeftButton);
  ASSERT_TRUE(QFileInfo(otherDay + "/Doc A.rtfd").isDir());
  EXPECT_EQ(calendar->nowDisplayedDocument(), otherDay + "/Doc A.rtfd");
  EXPECT_EQ(rows(), QStringList{"Other"});

  editAndSave("edit ");
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_EQ(textOf(otherDay + "/Doc A.rtfd"), "edit first");
  EXPECT_EQ(dayEntries(day()), QStringList{"Other.rtfd"});
}

TEST_F(FinderMovesShownMemo, ADeleteInTheFinderLeavesTheMemoAsAnUnsavedNewMemo) {
  showDocAInBoth();
  type("edit ");
  watchdog.answer(QStringLiteral("Delete"));
  QTest::mouseClick(finderButton(QStringLiteral("Delete")), Qt::LeftButton);
  EXPECT_EQ(watchdog.pending(), 0u);
  ASSERT_TRUE(QFileInfo(pravella::paths::trash() + "/files/Doc A.rtfd").isDir());
  // The text is all there, counted as not saved, and the status line says why.
  EXPECT_EQ(memo()->toPlainText(), "edit first");
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_TRUE(calendar->nowDisplayedDocument().isEmpty());
  EXPECT_EQ(nameField()->text(), "");
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "\"Doc A\" went to the Trash; its text stays here as a new memo, not saved.");
  EXPECT_EQ(rows(), QStringList{"Other"});

  // Saved, it is a new memo: the document in the Trash stays there as it was.
  backInTheMemo();
  type("more ");
  pressSave();
  EXPECT_FALSE(window->isWindowModified());
  EXPECT_FALSE(QFileInfo::exists(day() + "/Doc A.rtfd"));
  EXPECT_EQ(textOf(pravella::paths::trash() + "/files/Doc A.rtfd"), "first");
  EXPECT_EQ(textOf(calendar->nowDisplayedDocument()), "edit more first");
  // Saved under a name of its own, the memo is no longer the one that went.
  EXPECT_EQ(window->statusBar()->currentMessage(), "");
}

TEST_F(FinderMovesShownMemo, TheCalendarUnmarksADayWhoseLastMemoTheFinderDeleted) {
  writeRtfd(day(29) + "/Only.rtfd", "the one memo");
  showDocAInBoth();
  QToolButton* cell29 = window->dayCell(29 + calendar->startOffset() - 1);
  ASSERT_EQ(cell29->text(), "*29");
  clickInFinder(day(29), "Only.rtfd");
  watchdog.answer(QStringLiteral("Delete"));
  QTest::mouseClick(finderButton(QStringLiteral("Delete")), Qt::LeftButton);
  EXPECT_EQ(watchdog.pending(), 0u);
  ASSERT_FALSE(QFileInfo::exists(day(29) + "/Only.rtfd"));
  EXPECT_EQ(cell29->text(), "29");
  EXPECT_EQ(window->dayCell(28 + calendar->startOffset() - 1)->text(), "*28");
}

// The memo's tables go with it when the finder renames it or moves it to another day; where
// they cannot follow, nothing moves and a message says why.
TEST_F(FinderMovesShownMemo, TheMemosTablesGoWithItOrNothingMoves) {
  writeFile(day() + "/Doc A.tbld/prices.dat", "prices");
  writeFile(day() + "/Doc C.tbld/other.dat", "another memo's");
  showDocAInBoth();
  recordMessageBoxes();
  typeNameInFinder("Doc B");
  EXPECT_EQ(dayEntries(day()), (QStringList{"Doc B.rtfd", "Doc B.tbld", "Doc C.tbld", "Other.rtfd"}));
  EXPECT_TRUE(QFileInfo(day() + "/Doc B.tbld/prices.dat").isFile());
  ASSERT_EQ(calendar->nowDisplayedDocument(), day() + "/Doc B.rtfd");

  typeNameInFinder("Doc C");
  EXPECT_EQ(boxes(),
            QStringList{"Can't rename !: \"Doc B\" is not moved: its tables cannot follow it, because "
                        "\"Doc C.tbld\" already exists."});
  EXPECT_EQ(dayEntries(day()), (QStringList{"Doc B.rtfd", "Doc B.tbld", "Doc C.tbld", "Other.rtfd"}));
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Doc B.rtfd");
  EXPECT_EQ(finder->nowDisplayedDocumentPath(), day() + "/Doc B.rtfd");

  // Move Marked into a day that holds a tables folder of that name: refused, still marked.
  const QString otherDay = day(29);
  writeFile(otherDay + "/Doc B.tbld/theirs.dat", "theirs");
  QTest::mouseClick(finder->markSwitch(), Qt::LeftButton);
  ASSERT_TRUE(finder->markSwitch()->isChecked());
  pravella::test::chooseFolderInPanels(watchdog, otherDay);
  QTest::mouseClick(finderButton(QStringLiteral("Move Marked")), Qt::LeftButton);
  ASSERT_EQ(boxes().size(), 2);
  EXPECT_EQ(boxes()[1], "Move Marked: " + day() + "/Doc B.rtfd cannot be moved into " + otherDay +
                            ". \"Doc B\" is not moved: its tables cannot follow it, because \"Doc B.tbld\" "
                            "already exists.\nNothing was moved.");
  EXPECT_EQ(dayEntries(day()), (QStringList{"Doc B.rtfd", "Doc B.tbld", "Doc C.tbld", "Other.rtfd"}));
  EXPECT_EQ(finder->operations().marks().entries(), QStringList{day() + "/Doc B.rtfd"});

  // Once the name is free there, both go, and the memo follows.
  QDir(otherDay + "/Doc B.tbld").removeRecursively();
  QTest::mouseClick(finderButton(QStringLiteral("Move Marked")), Qt::LeftButton);
  EXPECT_EQ(dayEntries(otherDay), (QStringList{"Doc B.rtfd", "Doc B.tbld"}));
  EXPECT_TRUE(QFileInfo(otherDay + "/Doc B.tbld/prices.dat").isFile());
  EXPECT_EQ(dayEntries(day()), (QStringList{"Doc C.tbld", "Other.rtfd"}));
  EXPECT_EQ(calendar->nowDisplayedDocument(), otherDay + "/Doc B.rtfd");
  EXPECT_EQ(boxes().size(), 2);
}

// The line that says another view saved the file goes once the memo's save settles it, and
// with the day; the copy Keep Both makes shows in the finder's open column at once.
TEST_F(FinderMovesShownMemo, TheChangedElsewhereLineGoesWhenItNoLongerHolds) {
  const QString changed = "\"Doc A\" was saved in another view; your changes here are kept, and saving them "
                          "asks which to keep.";
  for (const bool bySave : {true, false}) {
    SCOPED_TRACE(bySave ? "saved" : "another day");
    showDocAInBoth();
    type("memo ");
    typeInFinder("finder ");
    clickInFinder(day(), "Other.rtfd");  // the finder saves on the way out
    ASSERT_EQ(window->statusBar()->currentMessage(), changed);
    watchdog.answer(QString::fromLatin1(pravella::kKeepBoth));
    if (bySave)
      pressSave();
    else
      QTest::mouseClick(window->dayCell(29 + calendar->startOffset() - 1), Qt::LeftButton);
    EXPECT_EQ(watchdog.pending(), 0u);
    EXPECT_EQ(textOf(day() + "/Doc A (2).rtfd"), "memo first");
    EXPECT_NE(window->statusBar()->currentMessage(), changed);
    FSColumnModel* column = finder->fsBrowser()->columnModel(finder->fsBrowser()->columnCount() - 1);
    ASSERT_EQ(column->folder(), day());
    EXPECT_TRUE(pravella::test::becomesTrue([&] { return column->rowOf("Doc A (2).rtfd") >= 0; }));
    EXPECT_EQ(finder->fsBrowser()->path(), day() + "/Other.rtfd");  // still chosen
    TearDown();
    QDir(day()).removeRecursively();
  }
}

}  // namespace
