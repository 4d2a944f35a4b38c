#include "editors/ui/main_text_view.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QThread>
#include <QVBoxLayout>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "editors/memo_run_settings.h"
#include "editors/program_text_lines.h"
#include "graphics/picture.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/progress_bar.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"
#include "support/dialog_watchdog.h"

namespace {

const QChar kPicture = QChar::ObjectReplacementCharacter;
// A loop that only ends by the break.
const QString kEndlessLoop = QStringLiteral("i = 0; while (1) i = i + 1;");

class MemoRun : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    vkButtonDownSinceMs.store(0);
    pvSoundStatus = 1;
    graphOutPutMode.store(1);
    setGnuPlotPath("");
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    view = new mainTextView(window.get());
    layout->addWidget(view);
    view->setAlertPanel(
        [this](const QString& title, const QString& message) { alerts << title + "|" + message; });
    view->setConsoleOutput([this](const std::string& text) {
      std::lock_guard guard(consoleMutex);
      console += text;
    });
    view->awakeFromNib();
    window->resize(500, 400);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  void TearDown() override {
    vkButtonDownSinceMs.store(0);
    window.reset();
    vkButtonDownSinceMs.store(0);
  }

  // Waits (with the GUI working) until the view has no run; false after `ms`.
  bool waitIdle(int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (view->isRunning()) {
      if (clock.elapsed() > ms) return false;
      QTest::qWait(5);
    }
    QCoreApplication::processEvents();
    return true;
  }

  void setMemo(const QString& text, int caret) {
    view->setPlainText(text);
    QTextCursor c = view->textCursor();
    c.setPosition(caret);
    view->setTextCursor(c);
  }

  void select(int from, int to) {
    QTextCursor c = view->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    view->setTextCursor(c);
  }

  void pressEnter() { QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier); }

  // Runs the memo's caret line (or selection) with the key and gives the memo text after it.
  QString runWith(Qt::Key key) {
    if (key == Qt::Key_Enter)
      pressEnter();
    else
      QTest::keyClick(view, key);
    EXPECT_TRUE(waitIdle());
    return view->toPlainText();
  }

  std::string consoleText() {
    std::lock_guard guard(consoleMutex);
    return console;
  }

  void startEndlessRun() {
    setMemo(kEndlessLoop, 0);
    pressEnter();
    ASSERT_TRUE(view->isRunning());
    // The window keeps working while the program loops.
    QTest::qWait(50);
    ASSERT_TRUE(view->isRunning());
  }

  pravella::test::DialogWatchdog watchdog;
  std::unique_ptr<QWidget> window;
  mainTextView* view = nullptr;
  QStringList alerts;
  std::mutex consoleMutex;
  std::string console;
};

struct KeyCase {
  const char* name;
  const char* code;
  Qt::Key key;
  const char* result;  // what follows the code in the memo
};

TEST_F(MemoRun, KeyRunInsertsTheResultBehindTheCodeAndSelectsIt) {
  const KeyCase cases[] = {
      {"number", "1+2;", Qt::Key_Enter, "\n    3.0000\n.OK.\n"},
      {"matrix", "m = |1, 2| |3, 4|; m;", Qt::Key_Escape,
       "\n    1.0000     2.0000\n    3.0000     4.0000\n.OK.\n"},
      {"string", "\"hello\";", Qt::Key_Enter, "\nhello\n.OK.\n"},
      {"error", "zz + 1;", Qt::Key_Escape, "\n...<Error>...Undefined variable.\n.NO.\n"},
      {"tokenizer failure", "\"abc", Qt::Key_Enter, "\n\"abc\nstring error (need \")\n.NO.\n"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const QString code = QString::fromUtf8(c.code);
    setMemo(code, 1);
    EXPECT_EQ(runWith(c.key).toStdString(), std::string(c.code) + c.result);
    // The line feed, the result and the status line stand selected.
    QString selected = view->textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    EXPECT_EQ(selected.toStdString(), c.result);
  }
}

TEST_F(MemoRun, CaretLineOrSelectionIsWhatRuns) {
  // The caret's line among others: the result goes behind that line.
  setMemo(QStringLiteral("1+2;\n5;"), 0);
  EXPECT_EQ(runWith(Qt::Key_Enter).toStdString(), "1+2;\n    3.0000\n.OK.\n\n5;");

  // A selection inside a line: only it runs, and the result follows it.
  setMemo(QStringLiteral("a 2*3; b"), 0);
  select(2, 6);
  EXPECT_EQ(runWith(Qt::Key_Enter).toStdString(), "a 2*3;\n    6.0000\n.OK.\n b");

  // A selected code ending in a line feed gets no second one.
  setMemo(QStringLiteral("4;\n"), 0);
  select(0, 3);
  EXPECT_EQ(runWith(Qt::Key_Escape).toStdString(), "4;\n    4.0000\n.OK.\n");

  // An empty line runs nothing and the key is consumed.
  setMemo(QStringLiteral("1;\n\n2;"), 3);
  EXPECT_EQ(runWith(Qt::Key_Enter).toStdString(), "1;\n\n2;");

  // Return is a plain new line.
  setMemo(QStringLiteral("1;"), 2);
  EXPECT_EQ(runWith(Qt::Key_Return).toStdString(), "1;\n");
}

TEST_F(MemoRun, TooLongCaretLineDoesNotRunButTheSameTextSelectedDoes) {
  const QString line = QString(31996, QLatin1Char(' ')) + QStringLiteral("7;");
  ASSERT_EQ(line.size(), 31998);
  setMemo(line + QStringLiteral("  "), 0);  // 32,000 characters
  EXPECT_EQ(runWith(Qt::Key_Enter).size(), 32000);
  select(0, 32000);
  EXPECT_TRUE(runWith(Qt::Key_Enter).endsWith(QStringLiteral("  \n    7.0000\n.OK.\n")));
}

TEST_F(MemoRun, ResultIsOneUndoStepAndLandsAtTheCodeWhileTheUserEditsElsewhere) {
  setMemo(QStringLiteral("1+2;"), 4);
  runWith(Qt::Key_Enter);
  view->document()->undo();
  EXPECT_EQ(view->toPlainText().toStdString(), "1+2;");

  // Hold the run (the button is down, but not yet for 2 seconds) while the user types above
  // and below the code. The held run waits at its loop's jump back, before any output.
  const std::string code = "s = 0; for (i = 1; i <= 2; i++) s = s + i; 2*5;";
  setMemo(QStringLiteral("x\n") + QString::fromStdString(code) + QStringLiteral("\ny"), 3);
  vkButtonDownSinceMs.store(vkSteadyMillis() + 3'600'000);
  pressEnter();
  ASSERT_TRUE(view->isRunning());
  QTextCursor user(view->document());
  user.insertText(QStringLiteral("typed above "));
  user.movePosition(QTextCursor::End);
  user.insertText(QStringLiteral(" and below"));
  vkButtonDownSinceMs.store(0);
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(view->toPlainText().toStdString(),
            "typed above x\n" + code + "\n   10.0000\n.OK.\n\ny and below");
  // The line feed went in when the run started, before the user's edits: the result is the
  // last step, the line feed one of its own.
  view->document()->undo();
  EXPECT_EQ(view->toPlainText().toStdString(), "typed above x\n" + code + "\n\ny and below");
}

TEST_F(MemoRun, PictureIsPastedIntoTheMemo) {
  QImage red(6, 4, QImage::Format_ARGB32);
  red.fill(Qt::red);
  const QByteArray pict = pravella::Picture::fromImage(red).bytes();
  int index = 0;
  ASSERT_EQ(setNewVariable("p#", kVarPicture, &index), 1);
  ASSERT_EQ(PushToVariableTable(index, "p#", kVarPicture, pict.constData(), static_cast<int>(pict.size()), 1),
            1);

  setMemo(QStringLiteral("p#;"), 0);
  EXPECT_EQ(runWith(Qt::Key_Enter), QStringLiteral("p#;\n") + kPicture + QStringLiteral(".OK.\n"));
  // The character is a picture of the program's value.
  QTextCursor at(view->document());
  at.setPosition(5);
  const QTextImageFormat image = at.charFormat().toImageFormat();
  ASSERT_TRUE(image.isValid());
  const QImage shown =
      view->document()->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
  EXPECT_EQ(shown.size(), QSize(6, 4));
  EXPECT_EQ(QColor(shown.pixel(2, 2)), QColor(Qt::red));

  // With pictures going to files, the memo gets only the status and the picture folder a JPEG,
  // which the picture drawer is asked to show.
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  QStringList shownFolders;
  const pravella::ObserverId folderObserver =
      center.addObserver(QStringLiteral("openPictImageFolder2"), view,
                         [&](pravella::Notification& n) { shownFolders << n.text; });
  changeGraphInsertMode(0);
  setMemo(QStringLiteral("p#;"), 0);
  EXPECT_EQ(runWith(Qt::Key_Enter).toStdString(), "p#;\n.OK.\n");
  const QStringList files =
      QDir(pravella::paths::documents() + QStringLiteral("/PravellaImage")).entryList({"*.jpg"}, QDir::Files);
  ASSERT_EQ(files.size(), 1);
  EXPECT_EQ(files[0].size(), 20);  // 14 digits of date and time, 2 of the counter, ".jpg"
  const QImage jpeg(pravella::paths::documents() + QStringLiteral("/PravellaImage/") + files[0], "JPEG");
  EXPECT_EQ(jpeg.size(), QSize(6, 4));
  EXPECT_EQ(shownFolders, QStringList({pravella::paths::documents() + QStringLiteral("/PravellaImage")}));
  center.removeObserver(folderObserver);

  // A picture file posted by its path goes in at the caret.
  QImage blue(3, 5, QImage::Format_RGB32);
  blue.fill(Qt::blue);
  const QString file = pravella::paths::home() + QStringLiteral("/blue.png");
  ASSERT_TRUE(blue.save(file));
  setMemo(QStringLiteral("ab"), 1);
  center.post(QStringLiteral("pastePictureToDocument"), file);
  EXPECT_EQ(view->toPlainText(), QStringLiteral("a") + kPicture + QStringLiteral("b"));
}

TEST_F(MemoRun, LongLoopKeepsTheWindowWorkingAndTheHeldButtonBreaksIt) {
  ASSERT_NO_FATAL_FAILURE(startEndlessRun());
  // Enter and Escape are plain keys meanwhile; typing goes on.
  QTextCursor start = view->textCursor();
  start.setPosition(0);
  view->setTextCursor(start);
  QTest::keyClicks(view, QStringLiteral("ab"));
  QTest::keyClick(view, Qt::Key_Escape);
  EXPECT_TRUE(view->isRunning());
  EXPECT_TRUE(view->toPlainText().startsWith(QStringLiteral("ab") + kEndlessLoop));

  // Holding the mouse button over the window for two seconds breaks the run.
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  ASSERT_TRUE(waitIdle(15000));
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(vkButtonDownSinceMs.load(), 0);
  EXPECT_EQ(view->toPlainText(),
            QStringLiteral("ab") + kEndlessLoop + QStringLiteral("\n...<Error>...**** BREAK *****\n.NO.\n"));
}

// A built-in's own long loop (a cortex ray along the poles with a z scale of 0 never leaves
// the volume, and walks 2^31 radii) listens to the held button as the run's loop does; and
// closing the window (as Quit does) ends it instead of waiting for hours.
TEST_F(MemoRun, ABuiltinsLongLoopEndsWithTheHeldButtonAndWithTheWindow) {
  const QString code = QStringLiteral(
      "createVolumeData(|9, 9, 9|); vCortexDis(|50, 1, 1e+300|, |4, 4, 4|, |1, 90, 89, 1|, 0);");
  setMemo(code, 0);
  pressEnter();
  QTest::qWait(300);
  ASSERT_TRUE(view->isRunning());
  QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  ASSERT_TRUE(waitIdle(15000));
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(view->toPlainText(), code + QStringLiteral("\n...<Error>...**** BREAK *****\n.NO.\n"));

  setMemo(code, 0);
  pressEnter();
  QTest::qWait(300);
  ASSERT_TRUE(view->isRunning());
  window.reset();
  EXPECT_FALSE(pravella::vkRunInProgress());
}

TEST_F(MemoRun, DisplayedValuesAppearWhileTheRunGoesOn) {
  setMemo(QStringLiteral("\"first\"; ") + kEndlessLoop, 0);
  pressEnter();
  QElapsedTimer clock;
  clock.start();
  while (!view->toPlainText().contains(QStringLiteral("first\n")) && clock.elapsed() < 10000) QTest::qWait(5);
  EXPECT_TRUE(view->isRunning());
  EXPECT_TRUE(view->toPlainText().endsWith(QStringLiteral("while (1) i = i + 1;\nfirst\n")));
  vkButtonDownSinceMs.store(1);
  ASSERT_TRUE(waitIdle());
  vkButtonDownSinceMs.store(0);
  EXPECT_TRUE(view->toPlainText().endsWith(QStringLiteral("\nfirst\n...<Error>...**** BREAK *****\n.NO.\n")));
}

TEST_F(MemoRun, RequestsDuringARunAreRefusedAsTheirKindIs) {
  ASSERT_NO_FATAL_FAILURE(startEndlessRun());
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  center.post(QStringLiteral("calculationOnEditModule"), QStringLiteral("1;"));
  center.post(QStringLiteral("calculationOnMemoMenu"), QStringLiteral("1;"));
  const QString refusal = QStringLiteral("Now, vk is running !|Sorry, I can not accept your request");
  EXPECT_EQ(alerts, QStringList({refusal, refusal}));
  // The calculator button is refused without a word.
  center.post(QStringLiteral("calculationOfCalcButton"));
  EXPECT_EQ(alerts.size(), 2);
  vkButtonDownSinceMs.store(1);  // the break, set directly
  ASSERT_TRUE(waitIdle());
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(consoleText(), "");
}

TEST_F(MemoRun, EnterIsAPlainKeyWhileAnotherWindowsProgramRuns) {
  std::thread other([] { pravella::runVkProgram("i = 0; while (1) i = i + 1;"); });
  QElapsedTimer clock;
  clock.start();
  while (!pravella::vkRunInProgress() && clock.elapsed() < 10000) QThread::msleep(1);
  setMemo(QStringLiteral("1;"), 2);
  pressEnter();
  EXPECT_FALSE(view->isRunning());
  vkButtonDownSinceMs.store(1);
  other.join();
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(view->toPlainText().toStdString(), "1;\n");
}

TEST_F(MemoRun, MemoMenuRunGoesToTheConsoleAndRefusesTheNextRequests) {
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  center.post(QStringLiteral("calculationOnMemoMenu"), kEndlessLoop + QStringLiteral(" 1;"));
  EXPECT_TRUE(view->nowExecStatus());
  // Enter in the memo is a plain key; the memo's requests are refused.
  setMemo(QStringLiteral("1+2;"), 4);
  pressEnter();
  EXPECT_EQ(view->toPlainText().toStdString(), "1+2;\n");
  center.post(QStringLiteral("calculationOnEditModule"), QStringLiteral("1;"));
  EXPECT_EQ(alerts.size(), 1);
  vkButtonDownSinceMs.store(1);
  ASSERT_TRUE(waitIdle());
  vkButtonDownSinceMs.store(0);
  EXPECT_FALSE(view->nowExecStatus());
  EXPECT_EQ(consoleText(), "...<Error>...**** BREAK *****\n.NO.\n");
  EXPECT_EQ(view->toPlainText().toStdString(), "1+2;\n");
}

TEST_F(MemoRun, APostedProgramsTextStaysAtItsPlaceAndComesWholeInOrder) {
  // Longer than the longest line a program's text makes: it goes on on new lines, in order.
  const int n = 150000;
  setMemo(QStringLiteral("head\ntail"), 4);
  pravella::NotificationCenter::defaultCenter().post(
      QStringLiteral("calculationOnEditModule"),
      QStringLiteral("for (i = 1; i <= %1; i++) { cal_insertTextToDoc(\" q\"); } cal_insertTextToDoc(\"!\");")
          .arg(n));
  const int before = view->document()->characterCount();
  QElapsedTimer clock;
  clock.start();
  while (view->isRunning() && view->document()->characterCount() == before && clock.elapsed() < 20000)
    QTest::qWait(2);
  // The user goes elsewhere; the program's text stays where it began.
  QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(view, QStringLiteral(" typed"));
  ASSERT_TRUE(waitIdle());
  const QString output = QStringLiteral(" q").repeated(n) + "!";
  QString lines = "head" + output.left(pravella::kLongestProgramLine - 4);
  for (qsizetype at = pravella::kLongestProgramLine - 4; at < output.size();
       at += pravella::kLongestProgramLine)
    lines += "\n" + output.mid(at, pravella::kLongestProgramLine);
  EXPECT_EQ(view->toPlainText().toStdString(), (lines + "\ntail typed").toStdString());
}

TEST_F(MemoRun, PostedRunsRunOneLevelUpAndLoseTheirVariables) {
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  // As at launch: several module texts posted one after another all run, in order.
  center.post(QStringLiteral("calculationOnEditModule"), QStringLiteral("q = 5; q;"));
  center.post(QStringLiteral("calculationOnCommandScript"), QStringLiteral("q;"));
  center.post(QStringLiteral("calculationOnEditModule"), QStringLiteral("2;"));
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(consoleText(), "    5.0000\n...<Error>...Undefined variable.\n.NO.\n    2.0000\n");
  EXPECT_EQ(vk_level, 0);
  int index = 0;
  EXPECT_EQ(findVariable("q", &index), 0);
  EXPECT_EQ(view->toPlainText().toStdString(), "");

  // "calculationOnRunFunction" from a window runs in the memo, behind the selection.
  setMemo(QStringLiteral("text"), 4);
  center.post(QStringLiteral("calculationOnRunFunction"), QStringLiteral("3;"));
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(view->toPlainText().toStdString(), "text\n    3.0000\n.OK.\n");

  // The calculator button runs the caret's line; "cal_insertTextToDoc" types at the caret.
  setMemo(QStringLiteral("8;"), 0);
  center.post(QStringLiteral("calculationOfCalcButton"));
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(view->toPlainText().toStdString(), "8;\n    8.0000\n.OK.\n");
  setMemo(QStringLiteral("ac"), 1);
  center.post(QStringLiteral("cal_insertTextToDoc"), QStringLiteral("b"));
  EXPECT_EQ(view->toPlainText().toStdString(), "abc");
}

TEST_F(MemoRun, ColourPanelColoursTheSelection) {
  setMemo(QStringLiteral("abc"), 0);
  select(0, 2);
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("cal_useColorPanel"));
  auto* panel = window->findChild<QColorDialog*>();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->isVisible());
  panel->setCurrentColor(QColor(10, 20, 200));
  panel->hide();  // before the watchdog looks
  QTextCursor at(view->document());
  at.setPosition(1);
  EXPECT_EQ(at.charFormat().foreground().color(), QColor(10, 20, 200));
  at.setPosition(3);
  EXPECT_NE(at.charFormat().foreground().color(), QColor(10, 20, 200));
}

TEST_F(MemoRun, NestedRunInsertsItsOwnResultAtTheCallersCaret) {
  // As the built-in "run" does: the running program posts a text to run, once, on its own
  // thread, after its first display.
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  std::atomic<int> posts{0};
  const pravella::ObserverId id = center.addObserver(
      QStringLiteral("dispResultOfMatrixCalculator"), nullptr,
      [&](pravella::Notification&) {
        if (posts.fetch_add(1) == 0)
          center.post(QStringLiteral("calculationOnRunFunction"), QStringLiteral("7;"));
      },
      pravella::Delivery::PostingThread);
  setMemo(QStringLiteral("1; 2;"), 0);
  const std::string memo = runWith(Qt::Key_Enter).toStdString();
  center.removeObserver(id);
  EXPECT_EQ(memo, "1; 2;\n    1.0000\n\n    7.0000\n.OK.\n    2.0000\n.OK.\n");
  // The whole run, nested one included, is one undo step.
  view->document()->undo();
  EXPECT_EQ(view->toPlainText().toStdString(), "1; 2;");
}

TEST_F(MemoRun, SuccessfulRunEndsATemporaryFolderSwitch) {
  current_fullPath = "/tmp";  // as "useTempDirectory" leaves it
  backup_fullPath = "/home/someone/work";
  setMemo(QStringLiteral("1;"), 0);
  runWith(Qt::Key_Enter);
  EXPECT_EQ(current_fullPath, "/home/someone/work");
  EXPECT_EQ(backup_fullPath, "");
}

// ---- gnuplot blocks

TEST_F(MemoRun, ProgressBarChangesAtMostOnceASecond) {
  std::atomic<std::uint64_t> ticks{1000};
  view->setTickClock([&] { return ticks.load(); });  // the count starts here
  QProgressBar* bar = view->progressBar();
  const int steps = bar->maximum();
  ASSERT_EQ(bar->minimum(), 0);
  ASSERT_EQ(bar->value(), 0);

  ticks = 1059;  // 59 ticks after the start: nothing
  setProgressBar(0, 4, 1);
  EXPECT_EQ(bar->value(), 0);
  ticks = 1060;  // one second
  setProgressBar(0, 4, 1);
  EXPECT_EQ(bar->value(), steps / 4);
  ticks = 1119;
  setProgressBar(10, 20, 20);
  setProgressBar(0, 1, 0);
  EXPECT_EQ(bar->value(), steps / 4);
  ticks = 1120;
  setProgressBar(10, 20, 15);  // the range and the value are both new
  EXPECT_EQ(bar->value(), steps / 2);
  ticks = 1200;
  setProgressBar(0, 1, 7);  // out of the range: full
  EXPECT_EQ(bar->value(), steps);
  ticks = 1300;
  setProgressBar(1, 1, 1);  // an empty range: empty
  EXPECT_EQ(bar->value(), 0);

  // From a program on the run's worker, through the GUI thread.
  ticks = 2000;
  setMemo(QStringLiteral("progressBar(|0, 10, 7.5|);"), 0);
  runWith(Qt::Key_Enter);
  QTest::qWait(20);
  EXPECT_EQ(bar->value(), steps * 3 / 4);
}

class GnuplotBlock : public MemoRun {
 protected:
  void runBlock(const QString& block) {
    setMemo(block, 0);
    select(0, static_cast<int>(block.size()));
    pressEnter();
    ASSERT_TRUE(waitIdle());
  }
};

TEST_F(GnuplotBlock, PastesThePlotScaledAndKeepsItInAVariable) {
  if (QStandardPaths::findExecutable(QStringLiteral("gnuplot")).isEmpty()) GTEST_SKIP() << "no gnuplot";
  const QString block = QStringLiteral("#gnuplot\nset xrange [0:1]\nplot x");
  ASSERT_NO_FATAL_FAILURE(runBlock(block));
  EXPECT_EQ(view->toPlainText(), block + QStringLiteral("\n") + kPicture + QStringLiteral("\n.OK.\n"));
  QTextCursor at(view->document());
  at.setPosition(static_cast<int>(block.size()) + 2);
  const QTextImageFormat image = at.charFormat().toImageFormat();
  ASSERT_TRUE(image.isValid());
  const QImage shown =
      view->document()->resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
  EXPECT_EQ(shown.width(), 450);
  int index = 0;
  EXPECT_EQ(findVariable("gnuplot#", &index), 1);
  EXPECT_FALSE(QFileInfo::exists(pravella::paths::vkData() + QStringLiteral("/gnuplot.png")));
  EXPECT_FALSE(QFileInfo::exists(pravella::paths::vkData() + QStringLiteral("/gnuplot.plt")));
}

TEST_F(GnuplotBlock, ErrorsAndAMissingProgramAreShownWithoutStatus) {
  if (!QStandardPaths::findExecutable(QStringLiteral("gnuplot")).isEmpty()) {
    const QString bad = QStringLiteral("# gnuplot\nplot nosuchfunction(x)");
    ASSERT_NO_FATAL_FAILURE(runBlock(bad));
    const QString text = view->toPlainText();
    EXPECT_TRUE(text.startsWith(bad + QStringLiteral("\n"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n")));
    EXPECT_FALSE(text.contains(QStringLiteral(".OK.")));
    EXPECT_FALSE(text.contains(kPicture));
  }
  ASSERT_EQ(setGnuPlotPath("/nonexistent/gnuplot"), 1);
  const QString block = QStringLiteral("#\tgnuplot\nplot x");
  ASSERT_NO_FATAL_FAILURE(runBlock(block));
  EXPECT_EQ(view->toPlainText(), block + QStringLiteral("\n<errer> gnuplot : not found !\n"));
}

// A picture copied from one memo is pasted into the next document opened in the memo (another
// day's): the document that receives it keeps the picture and its file when it is saved.
TEST_F(MemoRun, PicturesCopiedFromOneDocumentArePastedIntoAnother) {
  QImage green(5, 3, QImage::Format_RGB32);
  green.fill(Qt::green);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  green.save(&buffer, "PNG");
  const QString source = pravella::paths::home() + QStringLiteral("/source.rtfd");
  {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("a"));
    pravella::rtf::insertAttachment(c, QStringLiteral("photo.png"), png);
    c.insertText(QStringLiteral("b"));
    ASSERT_TRUE(pravella::writeRtfdFile(source, doc));
  }
  ASSERT_TRUE(pravella::readRichTextFile(source, *view->document()));
  QTextCursor all(view->document());
  all.select(QTextCursor::Document);
  view->setTextCursor(all);
  view->copy();

  // The next document replaces the first in the memo, and the copy goes in there.
  QTextDocument next;
  QTextCursor(&next).insertText(QStringLiteral("next:"));
  const QString target = pravella::paths::home() + QStringLiteral("/target.rtfd");
  ASSERT_TRUE(pravella::writeRtfdFile(target, next));
  ASSERT_TRUE(pravella::readRichTextFile(target, *view->document()));
  view->moveCursor(QTextCursor::End);
  view->paste();
  EXPECT_EQ(view->toPlainText(), QStringLiteral("next:a") + kPicture + QStringLiteral("b"));
  ASSERT_TRUE(pravella::writeRtfdFile(target, *view->document()));

  EXPECT_EQ(QDir(target).entryList(QDir::Files, QDir::Name), (QStringList{"TXT.rtf", "photo.png"}));
  QFile saved(target + QStringLiteral("/photo.png"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), png);
  QTextDocument back;
  ASSERT_TRUE(pravella::readRichTextFile(target, back));
  EXPECT_EQ(back.toPlainText(), QStringLiteral("next:a") + kPicture + QStringLiteral("b"));

  // Pasted once more into the same document, the picture is saved as a second file of its name.
  view->moveCursor(QTextCursor::End);
  view->paste();
  ASSERT_TRUE(pravella::writeRtfdFile(target, *view->document()));
  EXPECT_EQ(QDir(target).entryList(QDir::Files, QDir::Name),
            (QStringList{"TXT.rtf", "photo 1.png", "photo.png"}));
}

TEST_F(MemoRun, ProgramThatRunsItselfStopsWithAMessage) {
  // Each "run" nests a run on the worker's stack; without a bound this ends in a crash.
  setMemo(QStringLiteral("s$ = \"run(s$);\"; run(s$);"), 0);
  const std::string memo = runWith(Qt::Key_Enter).toStdString();
  EXPECT_EQ(memo.rfind("s$ = \"run(s$);\"; run(s$);\n", 0), 0u);
  const std::string failure = "...<Error>...Too deep nested run.\n.NO.\n";
  ASSERT_NE(memo.find(failure), std::string::npos);
  EXPECT_EQ(memo.find(failure, memo.find(failure) + 1), std::string::npos);  // the innermost only
  EXPECT_TRUE(memo.ends_with(".OK.\n"));                                     // the runs further out go on
}

// A program that opens another document in the memo (as cal_new does) and then inserts text
// puts that text into the new document at its caret; its own result and status, which belong
// behind its code in the document it came from, are left out.
TEST_F(MemoRun, TextInsertedAfterTheProgramChangedTheDocumentGoesToTheCaret) {
  pravella::NotificationCenter& center = pravella::NotificationCenter::defaultCenter();
  const pravella::ObserverId opener =
      center.addObserver(QStringLiteral("cal_new"), view, [this](pravella::Notification&) {
        view->abandonPendingOutput();
        setMemo(QStringLiteral("new memo: "), 10);
      });
  setMemo(QStringLiteral("cal_new(0); cal_insertTextToDoc(\"from the program\"); 1 + 1;"), 0);
  EXPECT_EQ(runWith(Qt::Key_Enter).toStdString(), "new memo: from the program");
  center.removeObserver(opener);
}

}  // namespace

namespace {

// Holds a run started now until release(): the button is down, but not yet for 2 seconds.
void holdRuns() { vkButtonDownSinceMs.store(vkSteadyMillis() + 3'600'000); }
void releaseRuns() { vkButtonDownSinceMs.store(0); }

QString selectedPlain(const QTextEdit& view) {
  QString selected = view.textCursor().selectedText();
  selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return selected;
}

// The user types on while the program runs: the line feed behind the code is there at once,
// the result goes right behind the code, the typed text stays whole after it, and the caret
// stays where the user typed, with nothing selected (the next key must erase nothing).
TEST_F(MemoRun, TextTypedWhileTheProgramRunsStaysWholeBehindTheResult) {
  const QString code = QStringLiteral("s = 0; for (i = 1; i <= 3; i++) s = s + i; s;");
  setMemo(code, static_cast<int>(code.size()));
  holdRuns();
  pressEnter();
  ASSERT_TRUE(view->isRunning());
  EXPECT_EQ(view->toPlainText(), code + QStringLiteral("\n"));
  QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(view, QStringLiteral("next line"));
  releaseRuns();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(view->toPlainText().toStdString(), code.toStdString() + "\n    6.0000\n.OK.\nnext line");
  EXPECT_EQ(selectedPlain(*view).toStdString(), "");
  QTest::keyClicks(view, QStringLiteral("x"));
  EXPECT_EQ(view->toPlainText().toStdString(), code.toStdString() + "\n    6.0000\n.OK.\nnext linex");
}

// The caret moved away while the program ran (no typing): it stays where the user put it.
TEST_F(MemoRun, ACaretMovedDuringTheRunStaysWhereTheUserPutIt) {
  const QString code = QStringLiteral("s = 0; for (i = 1; i <= 3; i++) s = s + i; s;");
  setMemo(QStringLiteral("top\n") + code, 4 + static_cast<int>(code.size()));
  holdRuns();
  pressEnter();
  ASSERT_TRUE(view->isRunning());
  QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
  releaseRuns();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(view->toPlainText().toStdString(), "top\n" + code.toStdString() + "\n    6.0000\n.OK.\n");
  EXPECT_EQ(view->textCursor().position(), 0);
  EXPECT_FALSE(view->textCursor().hasSelection());
}

// The memo goes on to another document while a program runs: the result goes into the
// document the run came from, written into its file, and never into the one shown now.
TEST_F(MemoRun, ResultOfARunWhoseDocumentWasLeftIsWrittenIntoThatDocument) {
  const QString folder = QDir::homePath() + QStringLiteral("/late");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + QStringLiteral("/first.rtfd");
  // The loop's jump back is where the held run waits.
  const QString code = QStringLiteral("s = 0; for (i = 1; i <= 2; i++) s = s + i; 2*21;");
  setMemo(QStringLiteral("before\n") + code, 7);
  holdRuns();
  pressEnter();
  ASSERT_TRUE(view->isRunning());
  ASSERT_TRUE(pravella::writeRtfdFile(path, *view->document()).ok);  // the save before the switch
  view->abandonPendingOutput(path);
  setMemo(QStringLiteral("the next document"), 3);
  releaseRuns();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(view->toPlainText().toStdString(), "the next document");
  EXPECT_TRUE(alerts.isEmpty()) << alerts.join(QLatin1Char('\n')).toStdString();
  QTextDocument saved;
  ASSERT_TRUE(pravella::readRichTextFile(path, saved));
  EXPECT_EQ(pravella::plainTextOf(saved).toStdString(),
            "before\n" + code.toStdString() + "\n   42.0000\n.OK.\n");

  // Where it cannot go, the user is told.
  setMemo(code, 0);
  holdRuns();
  pressEnter();
  // A file stands where the document's folder should be.
  QFile blocker(QDir::homePath() + QStringLiteral("/blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  view->abandonPendingOutput(blocker.fileName() + QStringLiteral("/x.rtfd"));
  setMemo(QStringLiteral("another"), 0);
  releaseRuns();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(view->toPlainText().toStdString(), "another");
  ASSERT_EQ(alerts.size(), 1);
  EXPECT_TRUE(alerts[0].startsWith(QStringLiteral("Can't save the result !|"))) << alerts[0].toStdString();

  // The document was saved again meanwhile (opened, edited): its changes stay, the user is told.
  setMemo(code, 0);
  holdRuns();
  pressEnter();
  ASSERT_TRUE(pravella::writeRtfdFile(path, *view->document()).ok);
  view->abandonPendingOutput(path);
  QThread::msleep(20);
  QTextDocument later;
  later.setPlainText(QStringLiteral("edited later"));
  ASSERT_TRUE(pravella::writeRtfdFile(path, later).ok);
  releaseRuns();
  ASSERT_TRUE(waitIdle());
  ASSERT_EQ(alerts.size(), 2);
  EXPECT_TRUE(alerts[1].contains(QStringLiteral("changed while the program ran"))) << alerts[1].toStdString();
  QTextDocument kept;
  ASSERT_TRUE(pravella::readRichTextFile(path, kept));
  EXPECT_EQ(pravella::plainTextOf(kept).toStdString(), "edited later");
}

}  // namespace

namespace {

// Every change of the text's width lays the whole memo out again: a program's lines that make
// the memo outgrow the view must not change it (a scroll bar that comes and goes would).
TEST_F(MemoRun, TextKeepsItsWidthWhileTheProgramsLinesOutgrowTheView) {
  const QString code = QStringLiteral("for (i = 1; i <= 300; i++) { \" q\"; }");
  setMemo(code, 0);
  const int width = view->viewport()->width();
  const qreal textWidth = view->document()->textWidth();
  select(0, code.size());
  QTest::keyClick(view, Qt::Key_Escape);
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->document()->blockCount() > 300; }, 20000));
  ASSERT_GT(view->document()->size().height(), view->viewport()->height());
  EXPECT_EQ(view->viewport()->width(), width);
  EXPECT_EQ(view->document()->textWidth(), textWidth);
}

}  // namespace
