// The finder sheet's text: code runs there on the main memo's engine without the window
// waiting, the indent keys step its paragraphs, and its "[...]" links lead to diary days.

#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QUrl>

#include "diary/ui/day_documents_fixture.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "editors/memo_run_settings.h"
#include "graphics/picture.h"
#include "lang/builtins/startup.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/ui/sound_player.h"
#include "support/recording_opener.h"
#include "support/wait_for.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/finder/ui/fs_browser.h"

namespace {

using namespace day_documents_test;

class FinderTextRun : public DayDocuments {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    vkButtonDownSinceMs.store(0);
    pvSoundStatus = 1;
    pravella::setSoundRecorder([this](const QString& name) { heard << name; });
  }
  // The main window with the finder sheet open beside the memo; the sheet shows `shown`.
  void open(const QString& shown = QString()) {
    start();
    Calcndar* c = calendar.get();
    pravella::DeskToolHost host;
    host.save = [c] { return c->save(); };
    host.nowDisplayedDocument = [c] { return c->nowDisplayedDocument(); };
    host.selectedDay = [c] { return c->selectedDay(); };
    host.setSelectedDay = [c](const QDate& d) { c->setSelectedDay(d); };
    host.beforeDayToPlain = [c] { c->beforeDayToPlain(); };
    host.refreshCalendar = [c] { c->refreshCalendar(); };
    host.selectDayAction2 = [c](int d) { c->selectDayAction2(d); };
    host.selectDiaryFileFromNameAction = [c](const QString& n) { c->selectDiaryFileFromNameAction(n); };
    host.addDocumentToRireki = [c](const QString& p) { c->addDocumentToRireki(p); };
    host.addSideView = [this](QDockWidget* d) { window->addDockWidget(Qt::RightDockWidgetArea, d); };
    host.mainWindow = window.get();
    host.documentView = memo();
    memo()->awakeFromNib();  // what the run displays comes back through its observers
    sheet = std::make_unique<CalFinder>(host);
    sheet->awakeFromNib();
    dock = sheet->finderDrawer();
    dock->show();
    dock->setMinimumWidth(300);
    QCoreApplication::processEvents();
    finder = sheet->finderTextView();
    if (!shown.isEmpty()) {
      ASSERT_TRUE(sheet->fsBrowser()->setPath(shown));
      sheet->browserSingleClick();
      ASSERT_EQ(sheet->nowDisplayedDocumentPath(), shown);
    }
    finder->setReadOnly(false);  // a document to edit
    memo()->setAlertPanel(
        [this](const QString& title, const QString& message) { refusals << title + "|" + message; });
    finder->setFocus();
    heard.clear();
  }
  void TearDown() override {
    vkButtonDownSinceMs.store(1);  // a run still going ends
    if (window) memo()->waitForRuns();
    vkButtonDownSinceMs.store(0);
    pravella::setSoundRecorder(nullptr);
    sheet.reset();
    DayDocuments::TearDown();
  }

  void setText(const QString& text, int caret) {
    finder->setPlainText(text);
    QTextCursor c = finder->textCursor();
    c.setPosition(caret);
    finder->setTextCursor(c);
  }
  void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(finder, k, k == Qt::Key_Enter ? mods | Qt::KeypadModifier : mods);
  }
  void waitIdle() {
    QElapsedTimer clock;
    clock.start();
    while (memo()->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
    QCoreApplication::processEvents();
    ASSERT_FALSE(memo()->isRunning());
  }
  QString selected() {
    QString text = finder->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
  }
  void doubleClickAt(int position) {
    QTextCursor c(finder->document());
    c.setPosition(position);
    QTest::mouseDClick(finder->viewport(), Qt::LeftButton, Qt::NoModifier,
                       finder->cursorRect(c).center() + QPoint(2, 0));
  }

  std::unique_ptr<CalFinder> sheet;
  FinderTextView* finder = nullptr;
  QDockWidget* dock = nullptr;
  QStringList heard, refusals;
};

TEST_F(FinderTextRun, TheRunKeysRunTheCaretLineOrSelectionInTheFinderText) {
  open();
  dock->setFloating(true);  // a window of its own
  ASSERT_NE(finder->window(), window.get());
  finder->setFocus();
  const QString memoBefore = memo()->toPlainText();
  struct Case {
    const char* name;
    QString text;
    int from, to;  // the caret, or a selection
    Qt::Key key;
    QString after, selected;
  };
  const Case cases[] = {
      {"caret line", "1+2;", 1, 1, Qt::Key_Enter, "1+2;\n    3.0000\n.OK.\n", "\n    3.0000\n.OK.\n"},
      {"selection", "a 2*3; b", 2, 6, Qt::Key_Escape, "a 2*3;\n    6.0000\n.OK.\n b", "\n    6.0000\n.OK.\n"},
      {"error", "zz;", 0, 0, Qt::Key_Enter, "zz;\n...<Error>...Undefined variable.\n.NO.\n",
       "\n...<Error>...Undefined variable.\n.NO.\n"},
      {"empty line", "1;\n\n2;", 3, 3, Qt::Key_Enter, "1;\n\n2;", ""},
      {"line of 32,000 characters", QString(31998, ' ') + "7;", 0, 0, Qt::Key_Enter,
       QString(31998, ' ') + "7;", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setText(c.text, c.from);
    if (c.to != c.from) {
      QTextCursor s = finder->textCursor();
      s.setPosition(c.to, QTextCursor::KeepAnchor);
      finder->setTextCursor(s);
    }
    key(c.key);
    ASSERT_NO_FATAL_FAILURE(waitIdle());
    EXPECT_EQ(s(finder->toPlainText()), s(c.after));
    EXPECT_EQ(s(selected()), s(c.selected));
  }
  EXPECT_EQ(memo()->toPlainText(), memoBefore);
  EXPECT_TRUE(refusals.isEmpty());
  // Holding the mouse button breaks a run in the window it was started from.
  EXPECT_EQ(mainWindowRef.load(), static_cast<const void*>(finder->window()));
  EXPECT_EQ(heard, QStringList({"Tink", "Tink", "Basso"}));
}

TEST_F(FinderTextRun, PicturesOfTheRunGoIntoTheFinderTextAndTheWorkingFolderIsPutBack) {
  open();
  QImage red(6, 4, QImage::Format_ARGB32);
  red.fill(Qt::red);
  const QByteArray pict = pravella::Picture::fromImage(red).bytes();
  int index = 0;
  ASSERT_EQ(setNewVariable("p#", kVarPicture, &index), 1);
  ASSERT_EQ(PushToVariableTable(index, "p#", kVarPicture, pict.constData(), static_cast<int>(pict.size()), 1),
            1);
  graphOutPutMode.store(1);
  const QString memoBefore = memo()->toPlainText();
  setText("p#;", 0);
  key(Qt::Key_Enter);
  ASSERT_NO_FATAL_FAILURE(waitIdle());
  EXPECT_EQ(finder->toPlainText(), QStringLiteral("p#;\n") + QChar::ObjectReplacementCharacter + ".OK.\n");
  EXPECT_EQ(memo()->toPlainText(), memoBefore);

  struct Case {
    const char* code;
    const char* status;
  };
  const Case cases[] = {
      {"useTempDirectory(1); zz;", ".NO."},  // failed on the way
      {"useTempDirectory(1); 1;", ".OK."},   // never switched back
  };
  for (const Case& c : cases) {
    current_fullPath = "/var";
    setText(QString::fromLatin1(c.code), 0);
    key(Qt::Key_Enter);
    ASSERT_NO_FATAL_FAILURE(waitIdle());
    EXPECT_TRUE(finder->toPlainText().endsWith(QString::fromLatin1(c.status) + "\n")) << c.code;
    EXPECT_EQ(current_fullPath, "/var") << c.code;
  }
}

TEST_F(FinderTextRun, ARunIsRefusedWhileTheMemoRunsAndTheWindowKeepsWorking) {
  open();
  memo()->setPlainText("i = 0; while (1) i = i + 1;");
  memo()->setFocus();
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo()->isRunning());
  finder->setFocus();
  setText("1+2", 3);
  key(Qt::Key_Enter);
  EXPECT_EQ(refusals, QStringList{"Now, vk is running !|Sorry, I can not accept your request"});
  EXPECT_EQ(finder->toPlainText(), "1+2");
  vkButtonDownSinceMs.store(1);
  ASSERT_NO_FATAL_FAILURE(waitIdle());
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(finder->toPlainText(), "1+2");
}

TEST_F(FinderTextRun, EscapeWhileAnInputMethodComposesIsLeftToTheTextView) {
  open();
  setText("1+2", 3);
  QInputMethodEvent composing(QStringLiteral("\u304b"), {});
  QCoreApplication::sendEvent(finder, &composing);
  ASSERT_FALSE(finder->textCursor().block().layout()->preeditAreaText().isEmpty());
  key(Qt::Key_Escape);
  EXPECT_FALSE(memo()->isRunning());
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("\u304b"));
  QCoreApplication::sendEvent(finder, &commit);
  EXPECT_EQ(finder->toPlainText(), QStringLiteral("1+2\u304b"));
}

TEST_F(FinderTextRun, TheIndentKeysStepTheParagraphAndMarkTheTextChanged) {
  open();
  setText("line", 2);
  const auto margin = [this] { return finder->textCursor().blockFormat().leftMargin(); };
  key(Qt::Key_Right, Qt::AltModifier | Qt::ControlModifier);
  const double stepped = margin();
  EXPECT_GT(stepped, 0.0);
  key(Qt::Key_Left, Qt::AltModifier | Qt::ControlModifier);
  EXPECT_LT(margin(), stepped);
  EXPECT_TRUE(sheet->saveButton()->isEnabled());  // marked changed
  EXPECT_EQ(finder->toPlainText(), "line");
  finder->setReadOnly(true);  // a preview, no document: never changed
  const double before = margin();
  key(Qt::Key_Right, Qt::AltModifier | Qt::ControlModifier);
  EXPECT_EQ(margin(), before);
}

TEST_F(FinderTextRun, ALinkToAMemoOfAnotherMonthShowsItsDay) {
  const QString plan = paths::dayFolder(2009, 3, 4) + "/plan.rtfd";
  writeRtfd(plan, "the plan");
  writeRtfd(day() + "/A.rtfd", "main");
  writeRtfd(paths::dayFolder(2007, 6, 1) + "/shown.rtfd", "shown in the sheet");
  open(paths::dayFolder(2007, 6, 1) + "/shown.rtfd");
  calendar->selectDiaryFileFromNameAction("A.rtfd");
  setText("see [2009/03/04/plan] now", 0);
  doubleClickAt(8);
  EXPECT_EQ(calendar->selectedDay(), QDate(2009, 3, 4));
  EXPECT_EQ(calendar->nowDisplayedDocument(), plan);
  EXPECT_EQ(memo()->toPlainText(), "the plan");
  EXPECT_EQ(finder->textCursor().position(), 21);
  const QStringList& notes = calendar->history().paths();
  EXPECT_TRUE(notes.contains(day() + "/A.rtfd"));
  EXPECT_EQ(notes.last(), sheet->nowDisplayedDocumentPath());
  EXPECT_TRUE(heard.contains("Tink"));
}

// The shown memo is saved in its own day before the link's day is selected, as a click on a
// day saves it: a new memo must not be filed under the day the link leads to.
TEST_F(FinderTextRun, ALinkSavesTheNewMemoInItsOwnDayFirst) {
  const QString target = paths::dayFolder(2026, 12, 5) + "/Target.rtfd";
  writeRtfd(target, "the target");
  open();
  QTest::mouseClick(memoButton(0), Qt::LeftButton);  // "New"
  type("ScratchB words");
  setText("go [2026/12/05/Target] now", 0);
  doubleClickAt(8);
  EXPECT_EQ(textOf(day() + "/ScratchB words.rtfd"), "ScratchB words");
  EXPECT_EQ(QDir(paths::dayFolder(2026, 12, 5)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList{"Target.rtfd"});
  EXPECT_EQ(calendar->selectedDay(), QDate(2026, 12, 5));
  EXPECT_EQ(calendar->nowDisplayedDocument(), target);
  EXPECT_EQ(memo()->toPlainText(), "the target");
}

// A link that names no document searches every memo for its text in the month diary drawer.
TEST_F(FinderTextRun, ALinkToNoDocumentSearchesTheMemosForItsText) {
  writeRtfd(paths::dayFolder(2007, 6, 1) + "/Shopping.rtfd", "eggs at the old prices");
  writeRtfd(day(27) + "/Other.rtfd", "nothing of the kind");
  open();
  Pravella list(calendar.get(), window.get());
  list.awakeFromNib();
  setText("see [prices] now", 0);
  doubleClickAt(7);
  pravella::MonthDiaryDrawer* drawer = list.drawer();
  EXPECT_TRUE(drawer->isVisible());
  EXPECT_EQ(drawer->searchTextField()->currentText(), "prices");
  auto found = [drawer] {
    QStringList rows;
    QTableWidget* t = drawer->monthDiaryField();
    for (int r = 0; r < t->rowCount(); ++r) rows << t->item(r, 0)->text() + "|" + t->item(r, 1)->text();
    return rows;
  };
  EXPECT_TRUE(pravella::test::becomesEqual(found, QStringList{"2007/06/01|Shopping"}));
}

TEST_F(FinderTextRun, OtherLinksPostOpenOrSearch) {
  writeFile(paths::dayFolder(2007, 6, 1) + "/page.webarchive", "w");
  writeFile(paths::dayFolder(2007, 6, 1) + "/photo.jpg", "j");
  writeFile(paths::dayFolder(2007, 6, 1) + "/shown.txt", "shown");
  open(paths::dayFolder(2007, 6, 1) + "/shown.txt");
  pravella::test::RecordingOpener opener;
  QStringList posted;
  auto& center = pravella::NotificationCenter::defaultCenter();
  QObject token;
  for (const char* name : {"openWebSheetAndConnectURL_X", "cal_toggleMonthListSheet"})
    center.addObserver(QString::fromLatin1(name), &token, [this, &posted, name](pravella::Notification& n) {
      posted << QString::fromLatin1(name) + " " + n.text + " selected:" + selected();
    });
  setText("[page.webarchive] [photo.jpg] [no such memo] [x", 0);
  doubleClickAt(3);
  doubleClickAt(21);
  doubleClickAt(35);
  doubleClickAt(48);  // no closing bracket: no link
  center.removeObservers(&token);
  const QString archive =
      QUrl::fromLocalFile(paths::dayFolder(2007, 6, 1) + "/page.webarchive").toString(QUrl::FullyEncoded);
  EXPECT_EQ(posted, QStringList({"openWebSheetAndConnectURL_X " + archive + " selected:",
                                 "cal_toggleMonthListSheet no such memo selected:no such memo"}));
  EXPECT_EQ(opener.recorded(), "1\n" + paths::dayFolder(2007, 6, 1) + "/photo.jpg\n");
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 28));
}

}  // namespace
