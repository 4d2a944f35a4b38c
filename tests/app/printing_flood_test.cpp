// A program that prints a million short lines, run with Escape on the line below a word the user
// typed: the window goes on answering while the text comes in (no step of it adds more than a
// short batch of lines), and a signal soon after the text began saves the word with the text
// handed over so far and ends the process with status 0, in the memo and in the memo sheet.
// The ends run in a process of their own; the saved file is read here afterwards.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include <QDirIterator>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "app_fixture.h"
#include "child_app.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/main_text_view.h"
#include "platform/rich_text_file.h"

namespace {

using namespace app_test;

const QString kWord = QStringLiteral("typedword");
const QString kLoop = QStringLiteral("for (i = 1; i <= 1000000; i++) { \" q\"; }");
const QString kLine = QStringLiteral(" q\n");

bool textBegan(const QTextEdit* view) { return view->toPlainText().contains(kLine + kLine); }

// The word, then the loop on the next line, run with Escape.
void typeWordAndRun(QTextEdit* view) {
  QTest::keyClicks(view, kWord);
  QTest::keyClick(view, Qt::Key_Return);
  QTest::keyClicks(view, kLoop);
  QTest::keyClick(view, Qt::Key_Escape);
}

enum class View { Memo, Sheet };

// The child's part: the word and the run in the view, then the signal once the program's text
// has begun to come in.
[[noreturn]] void printAndSignal(View where) {
  takeParentsHome();
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  application->window().activateWindow();
  (void)QTest::qWaitForWindowActive(&application->window(), 2000);
  mainTextView* memo = application->window().documentView();
  memo->setFocus();
  QTextEdit* view = memo;
  if (where == View::Sheet) {
    QTest::keySequence(memo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    view = application->calendar().memoSheet()->toggleMemoField();
    if (!pravella::test::becomesTrue([view] { return view->isVisible(); })) std::_Exit(4);
    view->setFocus();
  }
  typeWordAndRun(view);
  if (!pravella::test::becomesTrue([view] { return textBegan(view); }, 120000)) std::_Exit(5);
  if (!memo->isRunning()) std::_Exit(6);
  ::raise(SIGTERM);
  // The end quits the event loop with the application's status.
  std::_Exit(application->exec());
}

QString savedText(const QString& folder, const QString& name) {
  QDirIterator it(folder, {name}, QDir::Dirs, QDirIterator::Subdirectories);
  if (!it.hasNext()) return QStringLiteral("<not saved>");
  QTextDocument doc;
  if (!pravella::readRichTextFile(it.next(), doc)) return QStringLiteral("<unreadable>");
  return doc.toPlainText();
}

// The word, the loop, and then the program's lines as it printed them, up to where the end
// came (the text began before the signal: two lines at least).
void expectWordAndPrintedText(const QString& saved) {
  const QString head = kWord + QLatin1Char('\n') + kLoop + QLatin1Char('\n');
  ASSERT_TRUE(saved.startsWith(head)) << s(saved.left(200));
  const QString printed = saved.mid(head.size());
  EXPECT_GE(printed.size(), 2 * kLine.size());
  EXPECT_TRUE(printed == kLine.repeated(printed.size() / kLine.size() + 1).left(printed.size()))
      << s(printed.left(100)) << " ... " << s(printed.right(100));
}

TEST(EndWhileAProgramPrints, SavesTheWordAndTheTextSoFarInTheMemo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(printAndSignal(View::Memo), testing::ExitedWithCode(0), "");
  forgetChildHome();
  expectWordAndPrintedText(savedText(pravella::test::home() + "/Documents/diary", kWord + ".rtfd"));
}

TEST(EndWhileAProgramPrints, SavesTheWordAndTheTextSoFarInTheMemoSheet) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(printAndSignal(View::Sheet), testing::ExitedWithCode(0), "");
  forgetChildHome();
  expectWordAndPrintedText(savedText(pravella::paths::preferences(), "tempMemo.rtfd"));
}

class ProgramPrints : public App {};

// Each of the memo's steps takes a short batch of the program's lines, however many it prints,
// and what else waits for the window (a timer, a key) comes between two of them.
TEST_F(ProgramPrints, TheWindowAnswersBetweenShortSteps) {
  QTextDocument* doc = memo()->document();
  int lines = doc->blockCount();
  int mostLinesInAStep = 0;
  int steps = 0;
  QObject counting;  // the count ends with the test, not with the memo
  QObject::connect(doc, &QTextDocument::contentsChanged, &counting, [&] {
    mostLinesInAStep = std::max(mostLinesInAStep, doc->blockCount() - lines);
    lines = doc->blockCount();
    ++steps;
  });
  memo()->setFocus();
  typeWordAndRun(memo());
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return textBegan(memo()); }, 60000));
  // A timer started now fires after the steps already handed to the window, a few at most.
  for (int round = 0; round < 3; ++round) {
    const int before = steps;
    int stepsUntilServed = -1;
    QTimer::singleShot(0, memo(), [&] { stepsUntilServed = steps - before; });
    ASSERT_TRUE(pravella::test::becomesTrue([&] { return stepsUntilServed >= 0; }, 60000));
    EXPECT_LE(stepsUntilServed, 3);
  }
  // A key typed meanwhile goes in at once, behind the program's text so far.
  QTest::keyClick(memo(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(memo(), Qt::Key_Z);
  EXPECT_TRUE(memo()->toPlainText().endsWith(QLatin1Char('z')));
  // A step holds at most one full batch of one-character lines.
  EXPECT_LE(mostLinesInAStep, 65536 / 33 + 1);
  EXPECT_GT(mostLinesInAStep, 1);
}

// The whole of it comes out, each line once and in order, and the run ends .OK.: the result
// text is not held to a million characters.
TEST_F(ProgramPrints, AMillionLinesComeOutWholeAndTheRunEndsOK) {
  memo()->setFocus();
  typeWordAndRun(memo());
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return !memo()->isRunning(); }, 280000));
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  const QString text = memo()->toPlainText();
  const QString head = kWord + QLatin1Char('\n') + kLoop + QLatin1Char('\n');
  ASSERT_TRUE(text.startsWith(head)) << s(text.left(200));
  EXPECT_EQ(text.size(), head.size() + 1000000 * kLine.size() + 5);
  EXPECT_TRUE(text.mid(head.size()) == kLine.repeated(1000000) + QStringLiteral(".OK.\n"))
      << s(text.right(100));
  EXPECT_EQ(sounds().value(sounds().size() - 1), QStringLiteral("Tink"));
}

}  // namespace
