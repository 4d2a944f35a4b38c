// What the user types and the keys they press stay theirs, in the whole application driven
// through real key events: typing on while a program runs, the run key on a line with nothing
// to run, Save from a drawer's field, a pasted picture, a remembered string a program sets, the
// sun and moon panel after importing an old diary, and the day's first document at start-up.

#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>

#include <sys/stat.h>
#include <cstdio>

#include "app/desk_tools.h"
#include "app_fixture.h"
#include "diary/classic_import.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "diary/ui/side_view_drawers.h"
#include "diary/ui/sun_moon_panel.h"
#include "editors/ui/memo_drop.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "lang/run_state.h"
#include "tools/text/ui/cal_doc_search.h"

namespace {

using namespace app_test;

const QChar kAttachment = QChar::ObjectReplacementCharacter;

class TypedText : public App {
 protected:
  // A named, saved memo: what Save writes goes to this file.
  QString savedMemo(const QString& name, const QString& text) {
    memo()->setFocus();
    QTest::keyClicks(memo(), text);
    window().editingDiaryFileName()->setText(name);
    typeShortcut(QKeySequence::Save);
    return calendar().nowDisplayedDocument();
  }
  static QString savedText(const QString& path) {
    QTextDocument doc;
    if (!pravella::readRichTextFile(path, doc)) return QStringLiteral("(unreadable)");
    return doc.toPlainText();
  }
  QString statusLine() { return window().statusBar()->currentMessage(); }
  // Waits until the memo shows `n` status lines of finished runs.
  bool waitResults(int n = 1) {
    return waitIdle() && waitFor([&] {
             const QString text = memo()->toPlainText();
             return text.count(QStringLiteral(".OK.\n")) + text.count(QStringLiteral(".NO.\n")) >= n;
           });
  }
};

// The run lasts while the user types: it is held at its loop (as a held button holds it, not
// yet long enough to break it) and goes on when the typing is done.
void holdRuns() { vkButtonDownSinceMs.store(vkSteadyMillis() + 3'600'000); }
void releaseRuns() { vkButtonDownSinceMs.store(0); }

TEST_F(TypedText, TypingWhileAProgramRunsKeepsTheResultAndTheWordsInOrder) {
  const QString code = QStringLiteral("d=0; for(i=0; i<3000; i++){ d = d + 1; } d;");
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("Runs"));
  QTest::keyClick(memo(), Qt::Key_Return);
  QTest::keyClicks(memo(), code);
  holdRuns();
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo()->isRunning());
  const QString words = QStringLiteral(" one two three four five six");
  for (const QChar c : words) {
    QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QTest::qWait(3);
  }
  ASSERT_TRUE(memo()->isRunning());
  releaseRuns();
  ASSERT_TRUE(waitResults());
  // Keys after the result go on behind the typed words.
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" seven"));
  const QString expected = QStringLiteral("Runs\n") + code + QStringLiteral("\n 3000.0000\n.OK.\n") + words +
                           QStringLiteral(" seven");
  EXPECT_EQ(s(memo()->toPlainText()), s(expected));
  EXPECT_FALSE(memo()->textCursor().hasSelection());
  window().editingDiaryFileName()->setText("Runs");
  typeShortcut(QKeySequence::Save);
  EXPECT_EQ(s(savedText(calendar().nowDisplayedDocument())), s(expected));
}

TEST_F(TypedText, ARunLeftAloneStandsSelected) {
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("1+2;"));
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(waitResults());
  EXPECT_EQ(s(memo()->textCursor().selectedText()), "\u2029    3.0000\u2029.OK.\u2029");
}

TEST_F(TypedText, TheRunKeyWithNothingToRunSaysSoInTheStatusLine) {
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("1+2;"));
  QTest::keyClick(memo(), Qt::Key_Return);
  ASSERT_EQ(statusLine(), "");
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_TRUE(statusLine().startsWith("Nothing to run")) << s(statusLine());
  EXPECT_EQ(s(memo()->toPlainText()), "1+2;\n");

  // Escape while a program runs is no new line: it says why nothing runs.
  window().statusBar()->clearMessage();
  QTest::keyClicks(memo(), QStringLiteral("2+2;"));
  holdRuns();
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo()->isRunning());
  QTest::keyClick(memo(), Qt::Key_Escape);
  EXPECT_TRUE(statusLine().startsWith("A program is running")) << s(statusLine());
  releaseRuns();
  ASSERT_TRUE(waitIdle());
}

TEST_F(TypedText, AfterTheLaunchTheKeysStillGoToTheMemo) {
  // Whatever is made after the first frame takes no focus from the memo the user clicked.
  QTest::mouseClick(memo()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  waitLaunched();
  EXPECT_EQ(QApplication::focusWidget(), memo());
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3*3;"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(waitResults());
  EXPECT_EQ(s(memo()->toPlainText()), "3*3;\n    9.0000\n.OK.\n");
}

TEST_F(TypedText, SaveWorksFromTheSearchSheetsFieldAndTheMemoSheet) {
  const QString path = savedMemo("plan", "first");
  ASSERT_FALSE(path.isEmpty());
  QTest::keyClick(memo(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(memo(), Qt::Key_Return);
  QTest::keyClicks(memo(), QStringLiteral("cal_openToolSheet(0);"));
  QTest::keyClick(memo(), Qt::Key_Escape);
  ASSERT_TRUE(waitResults());
  QLineEdit* find = app->deskTools().docSearch()->findStringField();
  ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == find; }, 3000));
  ASSERT_TRUE(window().isWindowModified());
  typeShortcut(QKeySequence::Save);
  EXPECT_FALSE(window().isWindowModified());
  EXPECT_TRUE(savedText(path).contains(".OK.")) << s(savedText(path));

  // The memo sheet saves its own text with the memo.
  clickMenuItem(action("toggleMemoSheetAction"));
  QTextEdit* sheet = calendar().memoSheet()->toggleMemoField();
  ASSERT_TRUE(shown(sheet));
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral(" more"));
  sheet->setFocus();
  QTest::keyClicks(sheet, QStringLiteral("sheet words"));
  ASSERT_TRUE(window().isWindowModified());
  typeShortcut(QKeySequence::Save);
  EXPECT_FALSE(window().isWindowModified());
  EXPECT_TRUE(savedText(path).contains(" more")) << s(savedText(path));
  EXPECT_FALSE(sheet->document()->isModified());
}

TEST_F(TypedText, APictureOnTheClipboardIsPastedAsAnAttachment) {
  QImage red(8, 6, QImage::Format_RGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(red.save(&buffer, "PNG"));
  auto* mime = new QMimeData;
  mime->setData(QStringLiteral("image/png"), png);
  QGuiApplication::clipboard()->setMimeData(mime);

  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("ab"));
  QTest::keyClick(memo(), Qt::Key_Left);
  QTest::keySequence(memo(), QKeySequence::Paste);
  EXPECT_EQ(s(memo()->toPlainText()), s(QString("a") + kAttachment + "b"));
  window().editingDiaryFileName()->setText("pasted");
  typeShortcut(QKeySequence::Save);
  const QString path = calendar().nowDisplayedDocument();
  EXPECT_TRUE(QFileInfo::exists(path + "/" + QFileInfo(pravella::droppedPicturePath()).fileName()))
      << s(path);

  // The picture the application leaves on the clipboard (its own bytes beside the PNG, as
  // Picture Size leaves it) goes in too.
  ASSERT_EQ(DoCopyPictureToScrap(pravella::Picture::fromImage(red).bytes()), 1);
  QTest::keyClick(memo(), Qt::Key_End, Qt::ControlModifier);
  QTest::keySequence(memo(), QKeySequence::Paste);
  EXPECT_EQ(memo()->toPlainText().count(kAttachment), 2) << s(memo()->toPlainText());
}

TEST_F(TypedText, ARememberedStringAProgramSetsIsUsedAtOnce) {
  calendar().DoSetRememberString("old");
  memo()->setFocus();
  QTest::keyClicks(memo(), QStringLiteral("setRememberString(\"REMEMBERED\");"));
  QTest::keyClick(memo(), Qt::Key_Escape);
  ASSERT_TRUE(waitResults());
  ASSERT_TRUE(memo()->toPlainText().contains(".OK.")) << s(memo()->toPlainText());
  QTest::keyClick(memo(), Qt::Key_End, Qt::ControlModifier);
  typeShortcut(action("DoInsertRememberStringAction")->shortcut());
  EXPECT_TRUE(memo()->toPlainText().endsWith("REMEMBERED")) << s(memo()->toPlainText());
  clickMenuItem(action("DoRememberAction"));
  EXPECT_EQ(s(Pravella_X->drawer()->searchTextField()->currentText()), "REMEMBERED");
}

TEST_F(TypedText, AfterImportingAnOldDiaryThePanelAndNewFollowTheShownDay) {
  const QByteArray root = QFile::encodeName(pravella::test::home() + "/old");
  ::mkdir(root.constData(), 0755);
  const QByteArray month = root + '/' + pravella::classic::monthFolderName(2003, 4, true);
  ::mkdir(month.constData(), 0755);
  FILE* f = ::fopen((month + '/' + pravella::classic::documentName(2003, 4, 6, 0, true)).constData(), "wb");
  ASSERT_NE(f, nullptr);
  ::fputs("Trip\rby train", f);
  ::fclose(f);

  watchdog->answerDialog("QFileDialog", [](QDialog* dialog) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (!name || !name->isVisible()) return false;
    name->setText(pravella::test::home() + "/old");
    QTest::keyClick(name, Qt::Key_Return);
    return true;
  });
  clickMenuItem(action("importOldDiaryAction"));
  ASSERT_TRUE(
      waitFor([] { return QFileInfo::exists(pravella::paths::dayFolder(2003, 4, 6) + "/Trip.rtfd"); }));
  // The folder panel goes (it is deleted after it closes), and the keys go to the window again.
  const auto panelGone = [] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (qobject_cast<QFileDialog*>(top)) return false;
    return true;
  };
  EXPECT_TRUE(pravella::test::becomesTrue(panelGone));
  EXPECT_EQ(calendar().selectedDay(), QDate(2003, 4, 6));
  EXPECT_EQ(s(window().sunMoonPanel()->date()->text()), "2003/04/06");

  // The closed folder panel gives the window back its activation, as the window manager does.
  window().activateWindow();
  (void)QTest::qWaitForWindowActive(&window(), 2000);
  memo()->setFocus();
  typeShortcut(QKeySequence::New);
  QTest::keyClicks(memo(), QStringLiteral("after the import"));
  window().editingDiaryFileName()->setText("After");
  typeShortcut(QKeySequence::Save);
  EXPECT_EQ(s(calendar().nowDisplayedDocument()), s(pravella::paths::dayFolder(2003, 4, 6) + "/After.rtfd"));
}

// The day's first document opens in its own side view at start-up, as a click opens it, and
// never through the desktop's opener.
class StartUpDocument : public TypedText {
 protected:
  void SetUp() override {
    opener = std::make_unique<RecordingPrograms>(QStringList{"xdg-open"});
    const QDate today = QDate::currentDate();
    const QString day = pravella::paths::dayFolder(today.year(), today.month(), today.day());
    QDir().mkpath(day + "/0 pix.pictd");
    QImage blue(4, 4, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    blue.save(day + "/0 pix.pictd/blue.png");
    TypedText::SetUp();
  }
  std::unique_ptr<RecordingPrograms> opener;
};

TEST_F(StartUpDocument, ThePictureDocumentOpensInItsView) {
  // The picture drawer (the calendar's own picture drawer bears the same name).
  const auto drawerShown = [this] {
    for (QDockWidget* d : window().findChildren<QDockWidget*>("pictDrawer"))
      if (shown(d)) return true;
    return false;
  };
  EXPECT_TRUE(calendar().nowDisplayedFileOnMemoSheet().endsWith("0 pix.pictd"))
      << s(calendar().nowDisplayedFileOnMemoSheet());
  EXPECT_TRUE(waitFor(drawerShown, 3000));
  EXPECT_EQ(s(RecordingPrograms::recorded("xdg-open", 300)), "");
}

}  // namespace
