// One document in several views: what a save tells the other views of the file, the question
// when a file changed since a view read it, the close buttons of the drawers, the end by a
// signal, and what the memo shows when the day moves to a picture.

#include <QCheckBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QStatusBar>
#include <cctype>
#include <csignal>

#include "shared_documents_fixture.h"
#include "diary/diary_globals.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "editors/ui/cal_option.h"
#include "editors/ui/document_save.h"
#include "lang/builtins/startup.h"
#include "platform/end_signals.h"
#include "support/wait_for.h"
#include "tools/bookmarks/bookmark_store.h"
#include "tools/bookmarks/ui/cal_book_mark.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/finder/ui/fs_browser.h"

namespace {

using namespace day_documents_test;
using pravella::test::becomesTrue;

TEST_F(SharedDocuments, AFinderSaveMakesTheUneditedMemoReadTheFileAgain) {
  writeRtfd(day() + "/Shopping.rtfd", "list");
  writeRtfd(day() + "/Other.rtfd", "other");
  open();
  showInMemo("Shopping.rtfd");
  clickInFinder(day(), "Shopping.rtfd");
  typeInFinder("eggs ");
  clickInFinder(day(), "Other.rtfd");  // the finder saves on the way out
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "eggs list");
  EXPECT_EQ(memo()->toPlainText(), "eggs list");
  EXPECT_FALSE(window->isWindowModified());
  // Saving the memo now writes nothing and asks nothing.
  clickSave();
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "eggs list");
}

struct Answer {
  const char* button;
  const char* file;       // Shopping.rtfd afterwards
  const char* memoShows;  // the memo's document afterwards
  const char* memoText;
  const char* beside;   // "Shopping (2).rtfd" afterwards, "" when absent
  const char* inTrash;  // the Trash's entry and its text, "" when none
  const char* trashText;
};

class ChangedOnDisk : public SharedDocuments, public testing::WithParamInterface<Answer> {};

TEST_P(ChangedOnDisk, TheMemosSaveAsksWhichToKeep) {
  const Answer& a = GetParam();
  writeRtfd(day() + "/Shopping.rtfd", "list");
  writeRtfd(day() + "/Other.rtfd", "other");
  open();
  showInMemo("Shopping.rtfd");
  type("milk ");  // the memo's edit, not saved
  clickInFinder(day(), "Shopping.rtfd");
  typeInFinder("eggs ");
  clickInFinder(day(), "Other.rtfd");
  ASSERT_EQ(textOf(day() + "/Shopping.rtfd"), "eggs list");
  // The memo keeps its edit and says the file changed elsewhere.
  EXPECT_EQ(memo()->toPlainText(), "milk list");
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_TRUE(window->statusBar()->currentMessage().contains("Shopping"))
      << s(window->statusBar()->currentMessage());

  watchdog.answer(a.button);
  clickSave();
  EXPECT_EQ(watchdog.answered(), QStringList{"Document Changed"});
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), a.file);
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/" + a.memoShows);
  EXPECT_EQ(memo()->toPlainText(), a.memoText);
  EXPECT_FALSE(window->isWindowModified());
  if (*a.beside)
    EXPECT_EQ(textOf(day() + "/Shopping (2).rtfd"), a.beside);
  else
    EXPECT_FALSE(QFileInfo::exists(day() + "/Shopping (2).rtfd"));
  if (*a.inTrash) {
    EXPECT_EQ(textOf(trashed(a.inTrash)), a.trashText);
  }
  // The status line no longer says what the answer settled.
  EXPECT_FALSE(window->statusBar()->currentMessage().contains("was saved in another view"))
      << s(window->statusBar()->currentMessage());
  // Nothing is asked twice: the memo now holds what its file holds.
  clickSave();
  EXPECT_EQ(watchdog.answered().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Answers, ChangedOnDisk,
                         testing::Values(Answer{pravella::kKeepBoth, "eggs list", "Shopping (2).rtfd",
                                                "milk list", "milk list", "", ""},
                                         Answer{pravella::kKeepMine, "milk list", "Shopping.rtfd",
                                                "milk list", "", "Shopping.rtfd", "eggs list"},
                                         Answer{pravella::kKeepDisk, "eggs list", "Shopping.rtfd",
                                                "eggs list", "", "Shopping (2).rtfd", "milk list"}),
                         [](const testing::TestParamInfo<Answer>& info) {
                           std::string name;
                           for (const char* c = info.param.button; *c; ++c)
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           return name;
                         });

TEST_F(SharedDocuments, AnAutoSaveKeepsBothWithoutAsking) {
  writeRtfd(day() + "/Shopping.rtfd", "list");
  writeRtfd(day() + "/Other.rtfd", "other");
  open();
  showInMemo("Shopping.rtfd");
  type("milk ");
  clickInFinder(day(), "Shopping.rtfd");
  typeInFinder("eggs ");
  clickInFinder(day(), "Other.rtfd");
  timer->fire();  // no panel: the watchdog fails the test on any
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "eggs list");
  EXPECT_EQ(textOf(day() + "/Shopping (2).rtfd"), "milk list");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Shopping (2).rtfd");
  EXPECT_FALSE(window->isWindowModified());
}

TEST_F(SharedDocuments, TheRowMemoViewIsSavedByTheDrawersCloseButtonAndNeverLater) {
  writeRtfd(day() + "/Mine.rtfd", "start");
  open();
  pravella::NotificationCenter::defaultCenter().post("resultFromTextViewSearch", QString(),
                                                     QStringList{"x", day() + "/Mine.rtfd"});
  auto* table = list->drawer()->monthDiaryField();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                    table->visualItemRect(table->item(0, 1)).center());
  ASSERT_EQ(list->nowDisplayedDocPath(), day() + "/Mine.rtfd");
  QTextEdit* row = list->drawer()->subTextView();
  row->setFocus();
  QTest::keyClicks(row, "row ");
  ASSERT_TRUE(list->drawer()->durtyButton()->isChecked());

  clickCloseButton(list->drawer());
  EXPECT_FALSE(list->drawer()->isVisible());
  EXPECT_EQ(textOf(day() + "/Mine.rtfd"), "row start");
  EXPECT_FALSE(list->drawer()->durtyButton()->isChecked());

  // The main memo edits the same document and saves it; the hidden row view reads it again.
  showInMemo("Mine.rtfd");
  EXPECT_EQ(memo()->toPlainText(), "row start");
  type("main ");
  clickSave();
  EXPECT_EQ(textOf(day() + "/Mine.rtfd"), "main row start");
  EXPECT_EQ(row->toPlainText(), "main row start");

  // Opening the drawer again writes nothing old over it.
  window->findChild<QAction*>("showMonthDiaryAction")->trigger();
  EXPECT_TRUE(list->drawer()->isVisible());
  EXPECT_EQ(textOf(day() + "/Mine.rtfd"), "main row start");
  EXPECT_FALSE(window->isWindowModified());
}

TEST_F(SharedDocuments, TheMemoSheetAndTheFinderAreSavedByTheirCloseButtons) {
  writeRtfd(day() + "/Notes.rtfd", "notes");
  open();
  pravella::NotificationCenter::defaultCenter().post("cal_openMemoSheet");
  ASSERT_TRUE(calendar->memoSheet()->isVisible());
  QTextEdit* sheet = calendar->memoSheet()->toggleMemoField();
  sheet->setFocus();
  QTest::keyClicks(sheet, "scratch");
  clickCloseButton(calendar->memoSheet());
  EXPECT_FALSE(calendar->memoSheet()->isVisible());
  EXPECT_TRUE(textOf(CalOption::scratchMemoPath()).contains("scratch"));

  clickInFinder(day(), "Notes.rtfd");
  typeInFinder("more ");
  clickCloseButton(finder->finderDrawer());
  EXPECT_FALSE(finder->finderDrawer()->isVisible());
  EXPECT_EQ(textOf(day() + "/Notes.rtfd"), "more notes");
}

TEST_F(SharedDocuments, TheRowMemoViewAsksWhenTheMainMemoSavedTheFileMeanwhile) {
  writeRtfd(day() + "/Mine.rtfd", "start");
  open();
  showInMemo("Mine.rtfd");
  pravella::NotificationCenter::defaultCenter().post("resultFromTextViewSearch", QString(),
                                                     QStringList{"x", day() + "/Mine.rtfd"});
  auto* table = list->drawer()->monthDiaryField();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                    table->visualItemRect(table->item(0, 1)).center());
  QTextEdit* row = list->drawer()->subTextView();
  row->setFocus();
  QTest::keyClicks(row, "row ");
  type("main ");
  clickSave();
  ASSERT_EQ(textOf(day() + "/Mine.rtfd"), "main start");
  EXPECT_EQ(row->toPlainText(), "row start");  // its edit stays

  watchdog.answer(pravella::kKeepMine);
  clickCloseButton(list->drawer());
  EXPECT_EQ(watchdog.answered(), QStringList{"Document Changed"});
  EXPECT_EQ(textOf(day() + "/Mine.rtfd"), "row start");
  EXPECT_EQ(textOf(trashed("Mine.rtfd")), "main start");
  // The main memo held no edit: it shows what was kept.
  EXPECT_EQ(memo()->toPlainText(), "row start");
}

TEST_F(SharedDocuments, TheBookmarkMemoKeepsAMemoAnotherProgramWroteMeanwhile) {
  open();
  CalBookMark marks(deskToolHost());
  marks.awakeFromNib();
  marks.openBookMarkAction();
  const QString file = pravella::bookmarks::memoFile(0);
  QTextEdit* field = marks.bookMarkMemoField();
  field->selectAll();
  field->setFocus();
  QTest::keyClicks(field, "mine");
  writeRtfd(file, "theirs");

  watchdog.answer(pravella::kKeepBoth);
  clickCloseButton(marks.bookMarkDrawer());
  EXPECT_EQ(watchdog.answered(), QStringList{"Document Changed"});
  EXPECT_FALSE(marks.bookMarkDrawer()->isVisible());
  EXPECT_EQ(textOf(file), "theirs");
  EXPECT_EQ(textOf(pravella::withoutExtension(file) + " (2).rtfd"), "mine");
  EXPECT_EQ(field->toPlainText(), "theirs");  // the category's memo is that file
  EXPECT_FALSE(marks.bookMarkMemoDidChange());
}

// ---------------------------------------------------------------- the end by a signal

struct EndCase {
  int signal;
  const char* name;
};

class EndBySignal : public SharedDocuments, public testing::WithParamInterface<EndCase> {
 protected:
  void openWithSignals() {
    open();
    calendar->setTerminator([this] { ended = true; });
    endSignals = std::make_unique<pravella::EndSignals>([this](int) { calendar->terminateUnattended(); });
  }
  void TearDown() override {
    endSignals.reset();
    SharedDocuments::TearDown();
  }
  void endBy(int signal) {
    ASSERT_EQ(::raise(signal), 0);
    ASSERT_TRUE(becomesTrue([this] { return ended; }, 20000));
  }
  std::unique_ptr<pravella::EndSignals> endSignals;
  bool ended = false;
};

TEST_P(EndBySignal, SavesEveryEditedViewAsQuitDoes) {
  writeRtfd(day() + "/Shopping.rtfd", "old list");
  writeRtfd(day(27) + "/Row.rtfd", "row");
  openWithSignals();
  // A new memo named as a document of the day: no panel can be answered now.
  QTest::mouseClick(memoButton(0), Qt::LeftButton);  // "New"
  ASSERT_TRUE(calendar->nowDisplayedDocument().isEmpty());
  memo()->selectAll();
  type("Shopping");
  QTest::keyClick(memo(), Qt::Key_Return);
  type("milk");
  // The row memo view, open in its drawer, holds an edit of another day's document.
  pravella::NotificationCenter::defaultCenter().post("resultFromTextViewSearch", QString(),
                                                     QStringList{"x", day(27) + "/Row.rtfd"});
  auto* table = list->drawer()->monthDiaryField();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                    table->visualItemRect(table->item(0, 1)).center());
  QTextEdit* row = list->drawer()->subTextView();
  row->setFocus();
  QTest::keyClicks(row, "typed ");

  endBy(GetParam().signal);
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "old list");
  EXPECT_EQ(textOf(day() + "/Shopping (2).rtfd"), "Shopping\nmilk");
  EXPECT_EQ(textOf(day(27) + "/Row.rtfd"), "typed row");
  EXPECT_TRUE(panels.isEmpty());
  EXPECT_FALSE(window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Signals, EndBySignal,
                         testing::Values(EndCase{SIGTERM, "TERM"}, EndCase{SIGHUP, "HUP"},
                                         EndCase{SIGINT, "INT"}),
                         [](const testing::TestParamInfo<EndCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(EndBySignal, ARunningProgramIsStoppedAndItsMemoSaved) {
  openWithSignals();
  memo()->selectAll();
  type("loop");
  QTest::keyClick(memo(), Qt::Key_Return);
  type("i = 0; while (1) i = i + 1;");
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo()->isRunning());
  endBy(SIGTERM);
  EXPECT_FALSE(memo()->isRunning());
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/loop.rtfd");
  EXPECT_TRUE(textOf(day() + "/loop.rtfd").startsWith("loop\ni = 0; while (1) i = i + 1;"));
}

TEST_F(EndBySignal, ANewMemoThatAsksForANameIsSavedUnderTheTime) {
  openWithSignals();
  memo()->selectAll();
  memo()->textCursor().insertText(QString::fromUtf8("\u25A0 "));  // no key types the square
  QTest::keyClick(memo(), Qt::Key_Return);
  type("a thought");
  endBy(SIGTERM);
  EXPECT_TRUE(panels.isEmpty());
  EXPECT_EQ(textOf(day() + "/20080228-131415.rtfd"), QString::fromUtf8("\u25A0 \na thought"));
}

// ---------------------------------------------------------------- a picture of another day

TEST_F(SharedDocuments, ADayThatOpensOnAPictureNeverShowsTheDayBeforesMemo) {
  writeRtfd(day(5) + "/Plan.rtfd", "plan of the fifth");
  QDir().mkpath(day(6));
  QImage photo(8, 8, QImage::Format_RGB32);
  photo.fill(Qt::blue);
  ASSERT_TRUE(photo.save(day(6) + "/photo.png"));
  open();
  QTest::mouseClick(window->dayCell(5 + calendar->startOffset() - 1), Qt::LeftButton);
  ASSERT_EQ(calendar->nowDisplayedDocument(), day(5) + "/Plan.rtfd");

  QTest::mouseClick(window->dayCell(6 + calendar->startOffset() - 1), Qt::LeftButton);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 6));
  EXPECT_TRUE(calendar->pictureDrawer()->isVisible());
  EXPECT_TRUE(calendar->nowDisplayedDocument().isEmpty());
  EXPECT_FALSE(memo()->toPlainText().contains("plan"));
  EXPECT_TRUE(nameField()->text().isEmpty());

  // What is typed now is the sixth's new memo; the fifth's document stays as it was.
  type("Sixth");
  clickSave();
  EXPECT_EQ(textOf(day(5) + "/Plan.rtfd"), "plan of the fifth");
  EXPECT_TRUE(textOf(day(6) + "/Sixth.rtfd").startsWith("Sixth"));

  // A picture of the shown day leaves the day's memo where it is.
  clickRow(static_cast<int>(calendar->diaryFiles().indexOf("photo.png")));
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(6) + "/Sixth.rtfd");
}

}  // namespace
