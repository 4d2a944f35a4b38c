// A launch module that floods the memo with text (cal_insertTextToDoc in a long loop): what the
// user types meanwhile stays whole and in order, and a signal to end saves it at once. The
// signal case runs in a process of its own, so that its end can be seen; the saved memo is read
// here afterwards.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>

#include "app/application.h"
#include "app_fixture.h"
#include "child_app.h"
#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

using namespace app_test;

const QString kFlood = QStringLiteral("for (i = 1; i <= 6000000; i++) { cal_insertTextToDoc(\" q\"); }");
const QString kWord = QStringLiteral("typedword");

// The module that runs at every start.
void writeFloodModule() {
  QDir().mkpath(pravella::paths::modules());
  QTextDocument doc;
  doc.setPlainText(kFlood);
  ASSERT_TRUE(pravella::writeRtfFile(pravella::paths::modules() + QStringLiteral("/flood.vk.rtf"), doc));
}

// Types `word` one key at a time, as a person does: after each key the flood's next output has
// come in before the next key (until the output's line grows too long to show as it grows and
// the window says that the rest comes with the program's end).
bool typeDuringTheFlood(QTextEdit* memo, const QString& word) {
  const QStatusBar* status = memo->window()->findChild<QStatusBar*>();
  bool saidHeld = false;  // the status line's message goes after a while; the state stays
  const auto held = [status, &saidHeld] {
    saidHeld = saidHeld || (status && status->currentMessage().contains(QStringLiteral("too long")));
    return saidHeld;
  };
  for (const QChar c : word) {
    QTest::keyClick(memo, c.toLatin1());
    const int after = memo->document()->characterCount();
    if (!pravella::test::becomesTrue([&] { return held() || memo->document()->characterCount() > after; },
                                     60000))
      return false;
  }
  return true;
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
  QString text = memo()->toPlainText();
  EXPECT_TRUE(text.contains(kWord)) << s(text.right(200));
  // The output went in at its own place, in one piece.
  EXPECT_EQ(s(text.remove(QStringLiteral(" q"))), s(kWord));
  // The window answers its menus meanwhile.
  clickMenuItem(action("toggleMemoSheetAction"));
  EXPECT_TRUE(shown(calendar().memoSheet()->toggleMemoField()));
}

// The child's part: the day's memo "Flood" open, the flood running from the launch, a word typed
// while its output comes in, then the signal.
QString floodMemoPath() {
  const QDate today = QDate::currentDate();
  return pravella::paths::dayFolder(today.year(), today.month(), today.day()) + QStringLiteral("/Flood.rtfd");
}

[[noreturn]] void floodTypeAndSignal(int signal) {
  takeParentsHome();
  writeFloodModule();
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
  ::raise(signal);
  // The end quits the event loop with the application's status (1 when its last limit ends it).
  std::_Exit(application->exec());
}

TEST(EndDuringAFlood, SavesTheTypedWordAndEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(floodTypeAndSignal(SIGTERM), testing::ExitedWithCode(0), "");
  forgetChildHome();
  QTextDocument saved;
  ASSERT_TRUE(pravella::readRichTextFile(floodMemoPath(), saved));
  QString text = saved.toPlainText();
  EXPECT_TRUE(text.contains(kWord)) << s(text.right(200));
  EXPECT_EQ(s(text.remove(QStringLiteral(" q"))), s("Flood\n" + kWord));
}

}  // namespace
