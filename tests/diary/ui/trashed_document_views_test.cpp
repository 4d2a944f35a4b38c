// A document shown in the row memo view, the memo sheet or the finder's text, with edits
// there, sent to the Trash from the day's list: the view writes nothing under its old name
// again (its Save, its close button, Quit), keeps its edits in the recovery folder, and says
// so on the status line.

#include <QCheckBox>
#include <QStatusBar>

#include "diary/ui/month_diary_drawer.h"
#include "editors/recovered_edits.h"
#include "shared_documents_fixture.h"
#include "support/folder_snapshot.h"

namespace {

using namespace day_documents_test;
using pravella::test::FolderSnapshot;

class TrashedDocumentViews : public SharedDocuments {
 protected:
  void showInRowMemoView(const QString& path) {
    pravella::NotificationCenter::defaultCenter().post("resultFromTextViewSearch", QString(),
                                                       QStringList{"x", path});
    auto* rows = list->drawer()->monthDiaryField();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, Qt::NoModifier,
                      rows->visualItemRect(rows->item(0, 1)).center());
    ASSERT_EQ(list->nowDisplayedDocPath(), path);
  }
  void typeInto(QTextEdit* view, const QString& text) {
    view->setFocus();
    QTest::keyClicks(view, text);
  }
  // The day list's Delete key on the row of `name`, its question answered Delete.
  void deleteFromDayList(const QString& name) {
    const qsizetype row = calendar->diaryFiles().indexOf(name);
    ASSERT_GE(row, 0);
    window->activateWindow();
    table()->selectRow(static_cast<int>(row));
    table()->setFocus();
    watchdog.answer(QStringLiteral("Delete"));
    QTest::keyClick(table(), Qt::Key_Delete);
    ASSERT_EQ(watchdog.pending(), 0u);
    ASSERT_TRUE(QFileInfo(trashed(name)).isDir());
  }
};

enum class View { RowMemo, MemoSheet, Finder };

class TrashedDocumentView : public TrashedDocumentViews, public testing::WithParamInterface<View> {
 protected:
  // "Doc A" shown in the main memo and in the view of the parameter; `save` is that view's own
  // way of saving.
  void showDocA() {
    writeRtfd(day() + "/Doc A.rtfd", "first");
    writeRtfd(day() + "/Other.rtfd", "other");
    realPanels = true;  // the day list's own question, answered by its button
    open();
    showInMemo("Doc A.rtfd");
    switch (GetParam()) {
      case View::RowMemo:
        showInRowMemoView(doc());
        view = list->drawer()->subTextView();
        save = [this] { QTest::mouseClick(list->drawer()->commandButton("saveDocAction"), Qt::LeftButton); };
        break;
      case View::MemoSheet:
        pravella::NotificationCenter::defaultCenter().post("openDocumentOnMemo", doc());
        ASSERT_EQ(option->nowMemoPath(), doc());
        view = calendar->memoSheet()->toggleMemoField();
        save = [this] { clickCloseButton(calendar->memoSheet()); };
        break;
      case View::Finder:
        clickInFinder(day(), "Doc A.rtfd");
        view = finder->finderTextView();
        save = [this] { clickCloseButton(finder->finderDrawer()); };
        break;
    }
    ASSERT_TRUE(view->isVisible());
  }
  QString doc() { return day() + "/Doc A.rtfd"; }
  QTextEdit* view = nullptr;
  std::function<void()> save;
};

TEST_P(TrashedDocumentView, ItsSaveAndQuitWriteNothingBackAndItsEditsAreKept) {
  showDocA();
  const QString doc = this->doc();
  typeInto(view, "edit ");

  deleteFromDayList("Doc A.rtfd");
  EXPECT_EQ(textOf(trashed("Doc A.rtfd")), "first");
  // The edit is in the recovery folder, meant for the document that went.
  const QList<pravella::RecoveredEdit> kept = pravella::recoveredEdits();
  EXPECT_EQ(kept.size(), 1);
  const pravella::RecoveredEdit edit = kept.value(0);
  EXPECT_EQ(edit.intended, doc);
  EXPECT_EQ(textOf(edit.path), "edit first");
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "\"Doc A\" went to the Trash; your unsaved changes to it are kept in " + edit.path + ".");

  const FolderSnapshot before = FolderSnapshot::of(day());
  typeInto(view, "more ");
  save();
  window->quitAction()->trigger();
  EXPECT_TRUE(before.unchanged());
  EXPECT_FALSE(QFileInfo::exists(doc));
  EXPECT_EQ(textOf(trashed("Doc A.rtfd")), "first");
  EXPECT_EQ(textOf(edit.path), "edit first");
}

TEST_P(TrashedDocumentView, WithoutEditsWhatIsTypedAfterwardsDoesNotBringItBack) {
  showDocA();
  deleteFromDayList("Doc A.rtfd");
  const FolderSnapshot before = FolderSnapshot::of(day());
  typeInto(view, "more ");
  save();
  window->quitAction()->trigger();
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(textOf(trashed("Doc A.rtfd")), "first");
  EXPECT_TRUE(pravella::recoveredEdits().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Views, TrashedDocumentView,
                         testing::Values(View::RowMemo, View::MemoSheet, View::Finder),
                         [](const testing::TestParamInfo<View>& info) {
                           switch (info.param) {
                             case View::RowMemo:
                               return std::string("RowMemoView");
                             case View::MemoSheet:
                               return std::string("MemoSheet");
                             case View::Finder:
                               return std::string("FinderText");
                           }
                           return std::string();
                         });

// The finder's Delete Marked takes the document its own text shows, with an edit there: the
// edit is kept, as for a delete from another view, and closing the finder writes nothing back.
TEST_F(TrashedDocumentViews, TheFindersDeleteMarkedKeepsTheEditOfItsShownDocument) {
  writeRtfd(day() + "/Doc A.rtfd", "first");
  writeRtfd(day() + "/Other.rtfd", "other");
  realPanels = true;
  open();
  showInMemo("Other.rtfd");
  clickInFinder(day(), "Doc A.rtfd");
  typeInto(finder->finderTextView(), "edit ");
  QTest::mouseClick(finder->markSwitch(), Qt::LeftButton);
  ASSERT_TRUE(finder->markSwitch()->isChecked());
  QPushButton* deleteMarked = nullptr;
  for (QPushButton* b : finder->finderDrawer()->findChildren<QPushButton*>())
    if (b->text() == "Delete Marked") deleteMarked = b;
  ASSERT_NE(deleteMarked, nullptr);
  watchdog.answer(QStringLiteral("Delete"));
  QTest::mouseClick(deleteMarked, Qt::LeftButton);
  ASSERT_EQ(watchdog.pending(), 0u);
  ASSERT_TRUE(QFileInfo(trashed("Doc A.rtfd")).isDir());

  const FolderSnapshot before = FolderSnapshot::of(day());
  clickCloseButton(finder->finderDrawer());
  window->quitAction()->trigger();
  EXPECT_TRUE(before.unchanged());
  const QList<pravella::RecoveredEdit> kept = pravella::recoveredEdits();
  ASSERT_EQ(kept.size(), 1);
  EXPECT_EQ(kept.first().intended, day() + "/Doc A.rtfd");
  EXPECT_EQ(textOf(kept.first().path), "edit first");
}

}  // namespace
