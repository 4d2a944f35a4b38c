// Jumps far down a long memo (lines of 100,000 characters, millions in all) not yet laid out:
// a find whose match is at the end, and the scroll bar's handle dragged to the bottom. The
// window keeps answering (a timer ticks while the status line says the memo is being laid out),
// and a word typed meanwhile goes where the jump put the caret. Each case runs in a process of
// its own, ended by a signal; the saved memo is read here afterwards.

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include <QDate>
#include <QDir>
#include <QLineEdit>
#include <QScrollBar>
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

const QString kLine = QStringLiteral(" q").repeated(50000);
constexpr int kLines = 60;
const QString kMark = QStringLiteral("MARK");
const QString kWord = QStringLiteral("typedword");

QString linesOfText() {
  QStringList lines;
  for (int i = 0; i < kLines; ++i) lines << kLine;
  return lines.join(QLatin1Char('\n'));
}

QString longMemoPath() {
  const QDate today = QDate::currentDate();
  return pravella::paths::dayFolder(today.year(), today.month(), today.day()) + QStringLiteral("/Long.rtfd");
}

enum class Jump { FindAtTheEnd, ScrollBarToTheBottom };

// Ticks of a short timer while the status line says a walk is on: the GUI thread answers.
class TicksWhileWalking {
 public:
  explicit TicksWhileWalking(QStatusBar* status) {
    QObject::connect(&timer_, &QTimer::timeout, [this, status] {
      const QString shown = status->currentMessage();
      if (shown == pravella::LongMemoMoves::walkingMessage() ||
          shown == pravella::LongMemoMoves::walkingToPlaceMessage())
        ++ticks_;
    });
    timer_.start(5);
  }
  int ticks() const { return ticks_; }

 private:
  QTimer timer_;
  int ticks_ = 0;
};

[[noreturn]] void jumpTypeAndEnd(Jump jump) {
  takeParentsHome();
  QDir().mkpath(QFileInfo(longMemoPath()).absolutePath());
  {
    QTextDocument text;
    text.setPlainText(linesOfText() + kMark);
    if (!pravella::writeRtfdFile(longMemoPath(), text)) std::_Exit(2);
  }
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  mainTextView* memo = application->window().documentView();
  QStatusBar* status = application->window().statusBar();
  // Generous: deadlines for a loaded machine, never a measure.
  if (!pravella::test::becomesTrue(
          [memo] { return memo->document()->characterCount() > kLines * kLine.size(); }, 120000))
    std::_Exit(4);
  application->window().activateWindow();
  if (!QTest::qWaitForWindowActive(&application->window())) std::_Exit(6);
  const TicksWhileWalking ticks(status);
  bool walked = false;
  if (jump == Jump::FindAtTheEnd) {
    QTest::keyClick(memo, Qt::Key_F, Qt::ControlModifier);
    auto* field = application->window().findChild<QLineEdit*>(QStringLiteral("findStringField"));
    if (!field || !pravella::test::becomesTrue([field] { return field->isVisible(); }, 60000)) std::_Exit(7);
    QTest::keyClicks(field, kMark);
    QTest::keyClick(field, Qt::Key_Return);
    walked = status->currentMessage() == pravella::LongMemoMoves::walkingToPlaceMessage();
    // The word replaces the match once it is selected.
    memo->setFocus();
    QTest::keyClicks(memo, kWord);
  } else {
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QScrollBar* bar = memo->verticalScrollBar();
    const QPoint handle(bar->width() / 2, bar->width() + 4);
    QTest::mousePress(bar, Qt::LeftButton, {}, handle);
    for (int y = handle.y(); y <= bar->height() + 20; y += 40) QTest::mouseMove(bar, QPoint(handle.x(), y));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(handle.x(), bar->height() + 20));
    walked = status->currentMessage() == pravella::LongMemoMoves::walkingToPlaceMessage();
    // The view shows the end once laid out: Ctrl+End and the word go there.
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    for (int i = 0; i < kMark.size(); ++i) QTest::keyClick(memo, Qt::Key_Backspace);
    QTest::keyClicks(memo, kWord);
  }
  const QString expectedEnd = kLine.right(10) + kWord;
  if (!pravella::test::becomesTrue([&] { return memo->document()->lastBlock().text().endsWith(expectedEnd); },
                                   120000))
    std::_Exit(8);
  // A walk of several steps lets the timer in between them.
  if (walked && ticks.ticks() < 2) std::_Exit(9);
  ::alarm(600);
  ::raise(SIGTERM);
  std::_Exit(application->exec());
}

class FarJumpInALongMemo : public testing::TestWithParam<Jump> {};

TEST_P(FarJumpInALongMemo, KeepsTheWindowAnsweringAndTheWordTypedGoesThere) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(jumpTypeAndEnd(GetParam()), testing::ExitedWithCode(0), "");
  forgetChildHome();
  QTextDocument saved;
  ASSERT_TRUE(pravella::readRichTextFile(longMemoPath(), saved));
  const QString text = saved.toPlainText();
  EXPECT_EQ(text.right(30).toStdString(), (kLine.right(30 - kWord.size()) + kWord).toStdString());
  EXPECT_TRUE(text == linesOfText() + kWord) << "saved " << text.size() << " characters";
}

INSTANTIATE_TEST_SUITE_P(Jumps, FarJumpInALongMemo,
                         testing::Values(Jump::FindAtTheEnd, Jump::ScrollBarToTheBottom),
                         [](const testing::TestParamInfo<Jump>& info) {
                           return std::string(info.param == Jump::FindAtTheEnd ? "FindAtTheEnd"
                                                                               : "ScrollBarToTheBottom");
                         });

}  // namespace
