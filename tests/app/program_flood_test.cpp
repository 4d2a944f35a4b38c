// A launch module that floods the memo with text (cal_insertTextToDoc in a long loop): what the
// user types meanwhile stays whole and in order, the program's text goes on on new lines once a
// line grows long (so that no edit holds the window long), and a signal to end saves all of it
// at once, during the flood or right after it. The signal cases run in a process of their own,
// so that their end can be seen; the saved memo is read here afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>

#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "app/application.h"
#include "app_fixture.h"
#include "child_app.h"
#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/program_text_lines.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "lang/run_state.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

using namespace app_test;

// A flood of `inserts` texts " q".
QString flood(int inserts) {
  return QStringLiteral("for (i = 1; i <= %1; i++) { cal_insertTextToDoc(\" q\"); }").arg(inserts);
}
const QString kFlood = flood(6000000);
const QString kWord = QStringLiteral("typedword");

// The module that runs at every start.
void writeFloodModule(const QString& program = kFlood) {
  QDir().mkpath(pravella::paths::modules());
  QTextDocument doc;
  doc.setPlainText(program);
  ASSERT_TRUE(pravella::writeRtfFile(pravella::paths::modules() + QStringLiteral("/flood.vk.rtf"), doc));
}

// Types `word` one key at a time, as a person does: after each key the flood's next output has
// come in before the next key (or the flood is over).
bool typeDuringTheFlood(mainTextView* memo, const QString& word) {
  for (const QChar c : word) {
    QTest::keyClick(memo, c.toLatin1());
    const int after = memo->document()->characterCount();
    if (!pravella::test::becomesTrue(
            [&] { return memo->document()->characterCount() > after || !memo->isRunning(); }, 60000))
      return false;
  }
  return true;
}

qsizetype longestLine(const QString& text) {
  qsizetype longest = 0;
  for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
    longest = std::max(longest, line.size());
  return longest;
}

// The memo as the flood leaves it: the program's text on lines of bounded length among the lines
// of `others`, and the word typed behind it, whole. Nothing of the program's text is lost or
// doubled when `inserts` is given.
void expectFloodThenWord(QString text, const QString& others, int inserts = -1) {
  EXPECT_TRUE(text.endsWith(kWord)) << s(text.right(80));
  EXPECT_LE(longestLine(text), pravella::kLongestProgramLine + kWord.size());
  if (inserts >= 0) {
    EXPECT_EQ(text.count(QStringLiteral(" q")), inserts);
  }
  const QString rest = text.remove(QStringLiteral(" q")).remove(QLatin1Char('\n'));
  EXPECT_EQ(s(rest.left(200)), s(others + kWord));
}

class ProgramFlood : public App {
 protected:
  void SetUp() override {
    writeFloodModule();
    App::SetUp();
  }
};

TEST_F(ProgramFlood, TypedTextStaysWholeAndInOrderBehindTheOutput) {
  ASSERT_TRUE(
      pravella::test::becomesTrue([this] { return memo()->document()->characterCount() > 200; }, 60000));
  memo()->setFocus();
  QTest::keyClick(memo(), Qt::Key_End, Qt::ControlModifier);
  ASSERT_TRUE(typeDuringTheFlood(memo(), kWord));
  // The output went in at its own place, in one piece before the word.
  expectFloodThenWord(memo()->toPlainText(), QString());
  // The window answers its menus meanwhile.
  clickMenuItem(action("toggleMemoSheetAction"));
  EXPECT_TRUE(shown(calendar().memoSheet()->toggleMemoField()));
}

// Texts of many characters each, as lines: every step of the memo shows whole ones, however
// the steps are sized (a step that ended inside one would show part of it, and a word typed
// then would stand between its parts).
class LongTextsFlood : public App {
 protected:
  void SetUp() override {
    writeFloodModule(
        QStringLiteral("b$ = \"x\"; for (k = 1; k <= 6; k++) { b$ = b$ + b$; } a$ = \"<\" + b$ + "
                       "\">\\n\"; for (i = 1; i <= %1; i++) { cal_insertTextToDoc(a$); }")
            .arg(kTexts));
    // Held at its first loop until the test watches the memo.
    vkButtonDownSinceMs.store(vkSteadyMillis() + 3'600'000);
    App::SetUp();
  }
  void TearDown() override {
    vkButtonDownSinceMs.store(0);
    App::TearDown();
  }
  static constexpr int kTexts = 4000;
};

TEST_F(LongTextsFlood, EveryStepOfTheMemoShowsWholeTexts) {
  QTextDocument* doc = memo()->document();
  int steps = 0;
  QStringList cut;
  QObject counting;  // the count ends with the test, not with the memo
  QObject::connect(doc, &QTextDocument::contentsChanged, &counting, [&] {
    ++steps;
    if (!doc->lastBlock().text().isEmpty())
      cut << QStringLiteral("step %1 ends in \"%2\"").arg(steps).arg(doc->lastBlock().text().right(8));
  });
  vkButtonDownSinceMs.store(0);
  ASSERT_TRUE(pravella::test::becomesTrue([this] { return !memo()->isRunning(); }, 60000));
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  EXPECT_TRUE(cut.isEmpty()) << s(cut.join(QStringLiteral("; ")));
  const QString line = QStringLiteral("<") + QString(64, QLatin1Char('x')) + QStringLiteral(">\n");
  EXPECT_EQ(memo()->toPlainText(), line.repeated(kTexts));
  EXPECT_GT(steps, 2);
}

// The child's part: the day's memo "Flood" open, the flood running from the launch, a word typed
// while its output comes in, then the signal.
QString floodMemoPath() {
  const QDate today = QDate::currentDate();
  return pravella::paths::dayFolder(today.year(), today.month(), today.day()) + QStringLiteral("/Flood.rtfd");
}

// The signal comes while the flood goes on, or right after its run ended.
enum class SignalAt { DuringTheFlood, AfterTheRun };

[[noreturn]] void floodTypeAndSignal(int signal, int inserts, SignalAt when) {
  takeParentsHome();
  writeFloodModule(flood(inserts));
  QDir().mkpath(QFileInfo(floodMemoPath()).absolutePath());
  QTextDocument memoText;
  memoText.setPlainText(QStringLiteral("Flood\n"));
  if (!pravella::writeRtfdFile(floodMemoPath(), memoText)) std::_Exit(2);
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  mainTextView* memo = application->window().documentView();
  if (!pravella::test::becomesTrue([memo] { return memo->toPlainText().contains(QStringLiteral(" q q")); },
                                   60000))
    std::_Exit(4);
  memo->setFocus();
  QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
  if (!typeDuringTheFlood(memo, kWord)) std::_Exit(5);
  if (when == SignalAt::AfterTheRun &&
      !pravella::test::becomesTrue([memo] { return !memo->isRunning(); }, 120000))
    std::_Exit(6);
  ::raise(signal);
  // The end quits the event loop with the application's status (1 when its last limit ends it).
  std::_Exit(application->exec());
}

QString savedFloodMemo() {
  QTextDocument saved;
  if (!pravella::readRichTextFile(floodMemoPath(), saved)) return QStringLiteral("(not saved)");
  return saved.toPlainText();
}

TEST(EndDuringAFlood, SavesTheTypedWordAndEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(floodTypeAndSignal(SIGTERM, 6000000, SignalAt::DuringTheFlood), testing::ExitedWithCode(0), "");
  forgetChildHome();
  expectFloodThenWord(savedFloodMemo(), QStringLiteral("Flood"));
}

// Right after the loop: the program's last texts are still on their way to the memo. The end
// takes them in short steps and saves them with the word, each once.
TEST(EndRightAfterAFlood, SavesAllOfItsTextAndTheTypedWord) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  const int inserts = 1000000;
  EXPECT_EXIT(floodTypeAndSignal(SIGTERM, inserts, SignalAt::AfterTheRun), testing::ExitedWithCode(0), "");
  forgetChildHome();
  expectFloodThenWord(savedFloodMemo(), QStringLiteral("Flood"), inserts);
}

// A launch module whose first text comes while the user is in the middle of a word.
class FirstTextWhileTyping : public App {
 protected:
  void SetUp() override {
    writeFloodModule(QStringLiteral("s = 0; for (j = 0; j < 10; j++) { s = s + 1; } ") + flood(kInserts));
    // Held at its first loop, as a held button holds it (not yet long enough to break it),
    // until the user has begun the word.
    vkButtonDownSinceMs.store(vkSteadyMillis() + 3'600'000);
    App::SetUp();
  }
  void TearDown() override {
    vkButtonDownSinceMs.store(0);
    App::TearDown();
  }
  static constexpr int kInserts = 20000;
};

TEST_F(FirstTextWhileTyping, TheWordGoesOnWholeBeforeTheProgramsText) {
  const QString word = QStringLiteral("abcdefghijklmnopqrstuvwxyz").repeated(3).left(63);
  memo()->setFocus();
  QTest::keyClicks(memo(), word.left(3));
  ASSERT_TRUE(memo()->isRunning());
  vkButtonDownSinceMs.store(0);
  ASSERT_TRUE(
      pravella::test::becomesTrue([this] { return memo()->document()->characterCount() - 1 > 3; }, 60000));
  // The caret stayed where the user typed: the word goes on there.
  EXPECT_EQ(memo()->textCursor().position(), 3);
  for (const QChar c : word.mid(3)) QTest::keyClick(memo(), c.toLatin1());
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  // The word whole, then all of the program's text (shown short when it is not so).
  const auto shortened = [](const QString& text) {
    return s(QString(text).replace(QStringLiteral(" q").repeated(100), QStringLiteral("<100 q>")));
  };
  const QString expected = word + QStringLiteral(" q").repeated(kInserts);
  EXPECT_EQ(shortened(memo()->toPlainText()), shortened(expected));
  window().editingDiaryFileName()->setText(QStringLiteral("Word"));
  typeShortcut(QKeySequence::Save);
  QTextDocument saved;
  ASSERT_TRUE(pravella::readRichTextFile(calendar().nowDisplayedDocument(), saved));
  EXPECT_EQ(shortened(saved.toPlainText()), shortened(expected));
}

// The user's line already holds the longest a program's line may hold when its first text comes
// in the middle of the word the user types: the word stays whole, the program's text goes on
// behind it.
TEST_F(FirstTextWhileTyping, AWordOnALineAtTheLongestStaysWhole) {
  const QString line(pravella::kLongestProgramLine, QLatin1Char('A'));
  QGuiApplication::clipboard()->setText(line);
  memo()->setFocus();
  QTest::keySequence(memo(), QKeySequence::Paste);
  QTest::keyClicks(memo(), QStringLiteral("USER"));
  ASSERT_TRUE(memo()->isRunning());
  vkButtonDownSinceMs.store(0);
  const int typed = static_cast<int>(line.size()) + 4;
  ASSERT_TRUE(
      pravella::test::becomesTrue([&] { return memo()->document()->characterCount() - 1 > typed; }, 60000));
  QTest::keyClicks(memo(), QStringLiteral("WORD"));
  ASSERT_TRUE(waitIdle());
  ASSERT_TRUE(pravella::test::queuedWorkDone());
  const QString text = memo()->toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("AUSERWORD"))) << s(text.mid(line.size() - 5, 30));
  EXPECT_EQ(QString(text).remove(QLatin1Char('\n')),
            line + QStringLiteral("USERWORD") + QStringLiteral(" q").repeated(kInserts));
}

}  // namespace
