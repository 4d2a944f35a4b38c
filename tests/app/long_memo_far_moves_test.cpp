// Jumps far down a long memo (lines of 100,000 characters, millions in all) not yet laid out:
// a find whose match is at the end, and the scroll bar's handle dragged to the bottom. The
// window keeps answering (a timer ticks while the status line says the memo is being laid out),
// and a word typed meanwhile goes where the jump put the caret. A memo just under the length
// of a long one stays a plain memo: it wraps to the view and Ctrl+End goes there at once. Each case runs in a
// process of its own, ended by a signal; the saved memo is read here afterwards.

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
#include <QTextEdit>
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

enum class Jump { FindAtTheEnd, ScrollBarToTheBottom, CtrlEndInAShorterMemo };

constexpr int kLines = 60;
// The shorter memo has lines of 4,000 characters: 240,000 in all.
QString lineOf(Jump jump) {
  return QStringLiteral(" q").repeated(jump == Jump::CtrlEndInAShorterMemo ? 2000 : 50000);
}
const QString kMark = QStringLiteral("MARK");
const QString kWord = QStringLiteral("typedword");

QString linesOfText(Jump jump) {
  QStringList lines;
  for (int i = 0; i < kLines; ++i) lines << lineOf(jump);
  return lines.join(QLatin1Char('\n'));
}

QString longMemoPath() {
  const QDate today = QDate::currentDate();
  return pravella::paths::dayFolder(today.year(), today.month(), today.day()) + QStringLiteral("/Long.rtfd");
}

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
    text.setPlainText(linesOfText(jump) + kMark);
    if (!pravella::writeRtfdFile(longMemoPath(), text)) std::_Exit(2);
  }
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  mainTextView* memo = application->window().documentView();
  QStatusBar* status = application->window().statusBar();
  // Generous: deadlines for a loaded machine, never a measure.
  if (!pravella::test::becomesTrue(
          [memo, jump] { return memo->document()->characterCount() > kLines * lineOf(jump).size(); }, 120000))
    std::_Exit(4);
  application->window().activateWindow();
  if (!QTest::qWaitForWindowActive(&application->window())) std::_Exit(6);
  // A long memo keeps the line width it opened with.
  if (jump != Jump::CtrlEndInAShorterMemo && memo->lineWrapMode() != QTextEdit::FixedPixelWidth)
    std::_Exit(12);
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
  } else if (jump == Jump::CtrlEndInAShorterMemo) {
    if (memo->lineWrapMode() != QTextEdit::WidgetWidth) std::_Exit(10);
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    const QString said = status->currentMessage();
    if (!memo->textCursor().atEnd() || said == pravella::LongMemoMoves::walkingMessage() ||
        said == pravella::LongMemoMoves::fixedWidthMessage())
      std::_Exit(11);
    for (int i = 0; i < kMark.size(); ++i) QTest::keyClick(memo, Qt::Key_Backspace);
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
  const QString expectedEnd = lineOf(jump).right(10) + kWord;
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
  EXPECT_EQ(text.right(30).toStdString(),
            (lineOf(GetParam()).right(30 - kWord.size()) + kWord).toStdString());
  EXPECT_TRUE(text == linesOfText(GetParam()) + kWord) << "saved " << text.size() << " characters";
}

INSTANTIATE_TEST_SUITE_P(Jumps, FarJumpInALongMemo,
                         testing::Values(Jump::FindAtTheEnd, Jump::ScrollBarToTheBottom,
                                         Jump::CtrlEndInAShorterMemo),
                         [](const testing::TestParamInfo<Jump>& info) {
                           switch (info.param) {
                             case Jump::FindAtTheEnd:
                               return std::string("FindAtTheEnd");
                             case Jump::ScrollBarToTheBottom:
                               return std::string("ScrollBarToTheBottom");
                             case Jump::CtrlEndInAShorterMemo:
                               return std::string("CtrlEndInAShorterMemo");
                           }
                           return std::string();
                         });

}  // namespace
