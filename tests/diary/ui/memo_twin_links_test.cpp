// Links and drops in the memo sheet's view: the main memo's rules with the sheet's own
// differences (its memo's day, its history notes, its way with dragged documents).

#include "day_documents_fixture.h"

#include <QDropEvent>
#include <QUrl>

#include <QElapsedTimer>
#include "diary/diary_globals.h"
#include "diary/document_links.h"
#include "editors/ui/memo_drop.h"
#include "editors/ui/memo_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/ui/sound_player.h"

namespace {

using namespace day_documents_test;

class MemoSheetLinks : public DayDocuments {
 protected:
  void SetUp() override {
    openDocumentOnMemoStatus = 0;
    pravella::setSoundRecorder([this](const QString& name) { heard << name; });
  }
  void TearDown() override {
    pravella::setSoundRecorder(nullptr);
    DayDocuments::TearDown();
    openDocumentOnMemoStatus = 1;
  }
  // The main memo shows A of the selected day; the sheet shows `memo` (none when empty).
  void open(const QString& memo) {
    writeRtfd(day() + "/A.rtfd", "main");
    start();
    calendar->selectDiaryFileFromNameAction("A.rtfd");
    calendar->openMemoView();
    if (!memo.isEmpty()) calendar->openDocumentOnMemo(memo);
    sheet()->setFocus();
    heard.clear();
  }
  QTextEdit* sheet() { return calendar->memoSheet()->toggleMemoField(); }
  void doubleClickAt(int position) {
    QTextCursor c(sheet()->document());
    c.setPosition(position);
    QTest::mouseDClick(sheet()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       sheet()->cursorRect(c).center() + QPoint(2, 0));
  }
  void drop(QMimeData* mime, int position) {
    QTextCursor c(sheet()->document());
    c.setPosition(position);
    const QPointF at = sheet()->cursorRect(c).center() + QPointF(1, 0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(sheet()->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent event(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(sheet()->viewport(), &event);
    delete mime;
  }
  QColor colourAt(int position) {
    QTextCursor c(sheet()->document());
    c.setPosition(position + 1);
    return c.charFormat().foreground().color();
  }
  QStringList heard;
};

TEST_F(MemoSheetLinks, TheSheetIsAMemoTextView) {
  open("");
  EXPECT_NE(qobject_cast<memoTextView*>(sheet()), nullptr);
}

TEST_F(MemoSheetLinks, ADatedLinkOpensThatDayAndTheHistoryNotesBothMemos) {
  const QString plan = paths::dayFolder(2009, 3, 4) + "/plan.rtfd";
  writeRtfd(plan, "the plan");
  const QString sheetMemo = paths::dayFolder(2008, 1, 2) + "/M.rtfd";
  writeRtfd(sheetMemo, "see [2009/03/04/plan] now");
  open(sheetMemo);
  ASSERT_EQ(sheet()->toPlainText(), "see [2009/03/04/plan] now");
  const int before = calendar->history().size();
  ASSERT_TRUE(sheet()->isVisible());
  doubleClickAt(8);
  EXPECT_EQ(calendar->selectedDay(), QDate(2009, 3, 4));
  EXPECT_EQ(calendar->nowDisplayedDocument(), plan);
  EXPECT_EQ(memo()->toPlainText(), "the plan");
  EXPECT_EQ(sheet()->textCursor().position(), 21);
  EXPECT_FALSE(sheet()->textCursor().hasSelection());
  const QStringList& notes = calendar->history().paths();
  ASSERT_GE(notes.size(), before + 1);
  EXPECT_TRUE(notes.contains(day() + "/A.rtfd"));
  EXPECT_EQ(notes.last(), sheetMemo);
  EXPECT_TRUE(heard.contains("Tink"));
}

// A new main memo is saved in its own day before the link's day is selected: it must not be
// filed under the day the link leads to. One that cannot be saved keeps its day.
TEST_F(MemoSheetLinks, ALinkSavesTheNewMainMemoInItsOwnDayFirst) {
  const QString target = paths::dayFolder(2026, 12, 5) + "/Target.rtfd";
  const QString sheetMemo = paths::dayFolder(2008, 1, 2) + "/M.rtfd";
  struct Case {
    QString typed;  // the new memo's first line; "A" is taken, and the save panel is cancelled
    bool goes;
  } cases[] = {{"ScratchB words", true}, {"A", false}};
  for (const Case& c : cases) {
    writeRtfd(target, "the target");
    writeRtfd(sheetMemo, "go [2026/12/05/Target] now");
    open(sheetMemo);
    QTest::mouseClick(memoButton(0), Qt::LeftButton);  // "New"
    type(c.typed);
    sheet()->setFocus();
    doubleClickAt(8);
    EXPECT_EQ(QDir(paths::dayFolder(2026, 12, 5)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"Target.rtfd"})
        << s(c.typed);
    if (c.goes) {
      EXPECT_EQ(textOf(day() + "/ScratchB words.rtfd"), "ScratchB words");
      EXPECT_EQ(calendar->selectedDay(), QDate(2026, 12, 5));
      EXPECT_EQ(calendar->nowDisplayedDocument(), target);
      EXPECT_EQ(memo()->toPlainText(), "the target");
      EXPECT_TRUE(heard.contains("Tink"));
    } else {
      EXPECT_EQ(panels, QStringList{"Diary New Document Save:A"});
      EXPECT_EQ(textOf(day() + "/A.rtfd"), "main");
      EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
      EXPECT_EQ(memo()->toPlainText(), "A");
      EXPECT_TRUE(window->isWindowModified());
      EXPECT_FALSE(heard.contains("Tink"));
      calendar->noDurtyAction();
    }
    TearDown();
    SetUp();
  }
}

TEST_F(MemoSheetLinks, ABareNameIsLookedForInTheDayOfTheSheetsMemo) {
  writeRtfd(paths::dayFolder(2008, 1, 2) + "/plan.rtfd", "january plan");
  const QString sheetMemo = paths::dayFolder(2008, 1, 2) + "/M.rtfd";
  writeRtfd(sheetMemo, "[plan] and [nothing]");
  open(sheetMemo);
  doubleClickAt(2);
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 1, 2));
  EXPECT_EQ(memo()->toPlainText(), "january plan");
  // A name that leads nowhere is selected for a memo search.
  doubleClickAt(14);
  EXPECT_EQ(sheet()->textCursor().selectedText(), "nothing");
  EXPECT_EQ(calendar->nowDisplayedDocument(), paths::dayFolder(2008, 1, 2) + "/plan.rtfd");
}

TEST_F(MemoSheetLinks, DraggedDocumentsAreNamedAsTheSheetsMemoNeedsThem) {
  const QString other = paths::dayFolder(2008, 5, 1) + "/N.rtfd";
  writeRtfd(other, "en");
  writeRtfd(day() + "/plan.rtfd", "plan");
  writeRtfd(paths::dayFolder(2008, 1, 5) + "/Trip.rtfd", "trip");
  QDir().mkpath(day());
  ASSERT_TRUE(QFile::link(paths::dayFolder(2008, 1, 5) + "/Trip.rtfd", day() + "/L.rtfd"));
  struct Case {
    QString memo;  // the sheet's memo; empty: none
    QString dragged, bookmark;
    QString text;
    bool coloured;
  } cases[] = {
      {day() + "/L.rtfd", " [N] ", other, " [2008/05/01/N] ", true},  // the memo is a link
      {day() + "/A.rtfd", " [N] ", other, " [N] ", true},
      {"", " [plan] ", "", " [2008/02/28/plan] ", true},  // no memo: the selected day's document
      {"", " [none] ", "", " [none] ", true},
      {"", "[x]", "", "[x]", false},  // four characters or fewer: as they are
  };
  for (const Case& c : cases) {
    open(c.memo);
    sheet()->setPlainText("0123");
    auto* mime = new QMimeData;
    mime->setText(c.dragged);
    if (!c.bookmark.isEmpty()) mime->setData(pravella::kBookmarkDragType, c.bookmark.toUtf8());
    drop(mime, 2);
    EXPECT_EQ(sheet()->toPlainText(), "01" + c.text + "23") << s(c.dragged);
    EXPECT_EQ(colourAt(4) == pravella::linkTargetColour(), c.coloured) << s(c.dragged);
    EXPECT_EQ(heard, c.coloured ? QStringList{"Tink"} : QStringList()) << s(c.dragged);
    calendar->noDurtyAction();
    sheet()->document()->setModified(false);
    TearDown();
    SetUp();
  }
}

}  // namespace

namespace {

using namespace day_documents_test;

class MemoSheetRun : public DayDocuments {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }
  QTextEdit* sheet() { return calendar->memoSheet()->toggleMemoField(); }
  void waitIdle() {
    QElapsedTimer clock;
    clock.start();
    while (memo()->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
    QCoreApplication::processEvents();
    ASSERT_FALSE(memo()->isRunning());
  }
};

TEST_F(MemoSheetRun, EnterRunsTheCodeIntoTheSheetWithItsDisplays) {
  writeRtfd(day() + "/A.rtfd", "main");
  start();
  memo()->awakeFromNib();  // the run observers, as the application's start-up registers them
  calendar->selectDiaryFileFromNameAction("A.rtfd");
  calendar->openMemoView();
  sheet()->setPlainText("\"first\"; 1 + 2;");
  sheet()->setFocus();
  QTest::keyClick(sheet(), Qt::Key_Enter, Qt::KeypadModifier);
  waitIdle();
  EXPECT_EQ(sheet()->toPlainText(), "\"first\"; 1 + 2;\nfirst\n    3.0000\n.OK.\n");
  EXPECT_EQ(memo()->toPlainText(), "main");
  // A program that runs another runs it inside, into the sheet too.
  sheet()->setPlainText("run(\"5;\"); 6;");
  QTextCursor end(sheet()->document());
  end.movePosition(QTextCursor::End);
  sheet()->setTextCursor(end);
  QTest::keyClick(sheet(), Qt::Key_Escape);
  waitIdle();
  EXPECT_TRUE(sheet()->toPlainText().contains("    5.0000\n")) << s(sheet()->toPlainText());
  EXPECT_TRUE(sheet()->toPlainText().endsWith("    6.0000\n.OK.\n")) << s(sheet()->toPlainText());
  EXPECT_EQ(memo()->toPlainText(), "main");
}

}  // namespace
