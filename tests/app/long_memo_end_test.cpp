// A long memo (lines of 100,000 characters, millions in all) as the day's document: a click
// into it, Ctrl+End and a word typed. The move waits for the memo's layout, walked down in short
// steps, and the word follows it; the end (a signal) saves the word whether it has gone in
// already or still waits. Each case runs in a process of its own, so that its end can be seen;
// the saved memo is read here afterwards. Quit (Ctrl+Q) ends it the same way.

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include <QDate>
#include <QDir>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include "app/application.h"
#include "child_app.h"
#include "diary/ui/main_window.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/main_text_view.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

using namespace app_test;

// Long enough that laying it all out takes seconds.
const QString kLine = QStringLiteral(" q").repeated(50000);
constexpr int kLines = 60;
const QString kWord = QStringLiteral("typedword");

QString longText() {
  QStringList lines;
  for (int i = 0; i < kLines; ++i) lines << kLine;
  return lines.join(QLatin1Char('\n'));
}

QString longMemoPath() {
  const QDate today = QDate::currentDate();
  return pravella::paths::dayFolder(today.year(), today.month(), today.day()) + QStringLiteral("/Long.rtfd");
}

// The signal or Ctrl+Q once the word is in the memo, or while it waits for the layout.
enum class End { SignalWordShown, SignalKeysWaiting, QuitWordShown, QuitKeysWaiting };

bool byQuit(End end) { return end == End::QuitWordShown || end == End::QuitKeysWaiting; }

bool wordShown(mainTextView* memo) { return memo->document()->lastBlock().text().endsWith(kWord); }

[[noreturn]] void typeAtTheEndAndEnd(End end) {
  takeParentsHome();
  QDir().mkpath(QFileInfo(longMemoPath()).absolutePath());
  {
    QTextDocument text;
    text.setPlainText(longText());
    if (!pravella::writeRtfdFile(longMemoPath(), text)) std::_Exit(2);
  }
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  mainTextView* memo = application->window().documentView();
  // Generous: deadlines for a loaded machine, never a measure.
  if (!pravella::test::becomesTrue(
          [memo] { return memo->document()->characterCount() > kLines * kLine.size(); }, 120000))
    std::_Exit(4);
  application->window().activateWindow();
  if (!QTest::qWaitForWindowActive(&application->window())) std::_Exit(6);
  QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(memo, kWord);
  QStatusBar* status = application->window().statusBar();
  const bool waitsOrShown = pravella::test::becomesTrue(
      [&] {
        if (end == End::SignalWordShown || end == End::QuitWordShown) return wordShown(memo);
        // On a quick machine the layout may be done already: the word is in then.
        return status->currentMessage() == pravella::LongMemoMoves::walkingMessage() || wordShown(memo);
      },
      120000);
  if (!waitsOrShown) std::_Exit(5);
  // An end that hangs (a question no one answers, a layout of it all) fails the case.
  ::alarm(600);
  if (byQuit(end))
    // The key goes to the window from the event loop, as a user's would.
    QTimer::singleShot(0, memo, [memo] { QTest::keyClick(memo, Qt::Key_Q, Qt::ControlModifier); });
  else
    ::raise(SIGTERM);
  // The end quits the event loop with the application's status.
  std::_Exit(application->exec());
}

QString savedLongMemo() {
  QTextDocument saved;
  if (!pravella::readRichTextFile(longMemoPath(), saved)) return QStringLiteral("(not saved)");
  return saved.toPlainText();
}

void expectTheWordSavedAtTheEnd() {
  const QString saved = savedLongMemo();
  EXPECT_EQ(saved.right(40).toStdString(), (kLine.right(40 - kWord.size()) + kWord).toStdString());
  EXPECT_TRUE(saved == longText() + kWord) << "saved " << saved.size() << " characters";
}

class EndOfALongMemo : public testing::TestWithParam<End> {};

TEST_P(EndOfALongMemo, SavesTheWordTypedAtItsEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(typeAtTheEndAndEnd(GetParam()), testing::ExitedWithCode(0), "");
  forgetChildHome();
  expectTheWordSavedAtTheEnd();
}

INSTANTIATE_TEST_SUITE_P(Ends, EndOfALongMemo,
                         testing::Values(End::SignalWordShown, End::SignalKeysWaiting, End::QuitWordShown,
                                         End::QuitKeysWaiting),
                         [](const testing::TestParamInfo<End>& info) {
                           switch (info.param) {
                             case End::SignalWordShown:
                               return std::string("SignalAfterTheWordIsShown");
                             case End::SignalKeysWaiting:
                               return std::string("SignalWhileTheKeysWait");
                             case End::QuitWordShown:
                               return std::string("QuitAfterTheWordIsShown");
                             case End::QuitKeysWaiting:
                               return std::string("QuitWhileTheKeysWait");
                           }
                           return std::string();
                         });

}  // namespace
