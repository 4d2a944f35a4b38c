// A memo of 30 million characters (300 lines of 100,000) as the day's document, on a real X
// display as large as a desk's screen, with or without a framing window manager: the memo is
// clicked, Ctrl+End pressed and a word typed through the X server, as a user's keyboard and
// mouse give them, then the application is ended by a signal or by Ctrl+Q. The window keeps
// answering throughout (the child process waits for each state on its own event loop, and a
// layout that held it would let its alarm end it), it exits with 0 and the memo is saved with
// the word at its end. The same holds for the memo opened on the memo sheet beside it. A plain
// text file is shown and never written. Each case runs in a process
// of its own; the saved file is read here afterwards.

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ostream>

#include <QDate>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include "app/application.h"
#include "app/child_app.h"
#include "diary/ui/main_window.h"
#include "editors/ui/long_memo_layout.h"
#include "editors/ui/main_text_view.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/framing_window_manager.h"
#include "support/test_home.h"
#include "support/wait_for.h"
#include "support/x_server_input.h"

namespace {

using namespace app_test;
using pravella::test::XServerInput;
namespace keysym = pravella::test::keysym;

const QString kLine = QStringLiteral(" q").repeated(50000);
constexpr int kLines = 300;
const QString kWord = QStringLiteral("typedword");
// Deadlines for a loaded machine, never measures: the child's whole life, and each state.
constexpr unsigned kChildLifeSeconds = 240;
constexpr int kStateMs = 180000;

enum class End { Signal, Quit };
enum class Kind { Rtfd, Txt };

struct Case {
  const char* name;
  Kind kind;
  End end;
  bool framed;   // a window manager frames the window
  bool resized;  // the window made larger once the memo is shown
  bool onSheet;  // the memo opened on the memo sheet too, and typed into there
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    {"SignalAfterAWordAtTheEnd", Kind::Rtfd, End::Signal, false, false, false},
    {"QuitAfterAWordAtTheEnd", Kind::Rtfd, End::Quit, false, false, false},
    {"SignalInAFramedWindowMadeLarger", Kind::Rtfd, End::Signal, true, true, false},
    {"SignalOnAPlainTextFile", Kind::Txt, End::Signal, false, false, false},
    {"SignalAfterAWordAtTheEndOfTheMemoSheet", Kind::Rtfd, End::Signal, false, false, true},
};

QString longText() {
  QStringList lines;
  for (int i = 0; i < kLines; ++i) lines << kLine;
  return lines.join(QLatin1Char('\n'));
}

QString memoPath(Kind kind) {
  const QDate today = QDate::currentDate();
  return pravella::paths::dayFolder(today.year(), today.month(), today.day()) +
         (kind == Kind::Rtfd ? QStringLiteral("/big.rtfd") : QStringLiteral("/big.txt"));
}

bool writeFixture(Kind kind) {
  QDir().mkpath(QFileInfo(memoPath(kind)).absolutePath());
  if (kind == Kind::Txt) {
    QFile file(memoPath(kind));
    return file.open(QIODevice::WriteOnly) && file.write(longText().toLatin1()) > 0;
  }
  QTextDocument text;
  text.setPlainText(longText());
  // Large type: the memo laid out in a narrow view would be far deeper than Qt's layout
  // reaches, whatever the machine's fonts.
  QTextCursor all(&text);
  all.select(QTextCursor::Document);
  QTextCharFormat large;
  large.setFontPointSize(24);
  all.mergeCharFormat(large);
  return static_cast<bool>(pravella::writeRtfdFile(memoPath(kind), text));
}

QString savedText(Kind kind) {
  if (kind == Kind::Txt) {
    QFile file(memoPath(kind));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QStringLiteral("(gone)");
  }
  QTextDocument saved;
  if (!pravella::readRichTextFile(memoPath(kind), saved)) return QStringLiteral("(not saved)");
  return saved.toPlainText();
}

[[noreturn]] void typeAtTheEndAndEnd(const Case& c) {
  // A layout that holds the event loop holds every wait below: the alarm ends the child then.
  ::alarm(kChildLifeSeconds);
  takeParentsHome();
  XServerInput input;
  if (!input.missing().isEmpty()) std::_Exit(7);
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  mainTextView* memo = application->window().documentView();
  auto wait = [](auto condition, int code) {
    if (!pravella::test::becomesTrue(condition, kStateMs)) std::_Exit(code);
  };
  wait([memo] { return memo->document()->characterCount() > kLines * kLine.size(); }, 4);
  if (c.framed) wait([&] { return pravella::test::framed(&application->window()); }, 8);
  if (c.resized) {
    const QSize larger = application->window().screen()->availableGeometry().size() * 9 / 10;
    application->window().resize(larger);
    wait([&] { return application->window().size() == larger; }, 9);
  }
  QTextEdit* typedInto = memo;
  if (c.onSheet) {
    // As the memo database's menu opens a memo found there on the sheet.
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("openDocumentOnMemo"),
                                                       memoPath(c.kind));
    auto* sheet = application->window().findChild<QDockWidget*>(QStringLiteral("toggleMemo"));
    typedInto = sheet ? sheet->findChild<QTextEdit*>() : nullptr;
    if (!typedInto) std::_Exit(11);
    wait(
        [&] { return sheet->isVisible() && typedInto->document()->characterCount() > kLines * kLine.size(); },
        12);
  }
  application->window().activateWindow();
  if (!QTest::qWaitForWindowActive(&application->window(), kStateMs)) std::_Exit(6);

  input.click(typedInto->viewport()->mapToGlobal(QPoint(20, 20)));
  wait([typedInto] { return typedInto->hasFocus(); }, 10);
  input.tap(keysym::kEnd, {keysym::kControl});
  input.type(kWord);
  if (c.kind == Kind::Rtfd)
    wait([typedInto] { return typedInto->document()->lastBlock().text().endsWith(kWord); }, 5);
  else
    // Shown only: the keys change nothing, once the walk down to the end they started is over.
    wait(
        [memo] {
          const pravella::LongMemoMoves* moves = pravella::LongMemoMoves::of(memo);
          return moves && !moves->walking() && memo->document()->lastBlock().layout()->lineCount() > 0;
        },
        5);

  if (c.end == End::Quit)
    input.tap('q', {keysym::kControl});
  else
    ::kill(::getpid(), SIGTERM);
  // The end quits the event loop with the application's status.
  std::_Exit(application->exec());
}

class LongMemoOnX : public testing::TestWithParam<Case> {};

TEST_P(LongMemoOnX, AnswersAndSavesTheWordTypedAtItsEnd) {
  const Case& c = GetParam();
  {
    XServerInput input;
    if (!input.missing().isEmpty()) GTEST_SKIP() << input.missing().toStdString();
    ASSERT_TRUE(input.hasKeys({keysym::kControl, keysym::kEnd, 'q', 't', 'y', 'p', 'e', 'd', 'w', 'o', 'r'}));
  }
  pravella::test::FramingWindowManager manager;
  if (c.framed) {
    if (!pravella::test::FramingWindowManager::missing().isEmpty())
      GTEST_SKIP() << pravella::test::FramingWindowManager::missing().toStdString();
    ASSERT_TRUE(manager.start());
  }
  ASSERT_TRUE(writeFixture(c.kind));
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(typeAtTheEndAndEnd(c), testing::ExitedWithCode(0), "");
  forgetChildHome();
  const QString saved = savedText(c.kind);
  const QString expected = c.kind == Kind::Rtfd ? longText() + kWord : longText();
  EXPECT_EQ(saved.right(40).toStdString(), expected.right(40).toStdString());
  EXPECT_TRUE(saved == expected) << "saved " << saved.size() << " characters";
}

INSTANTIATE_TEST_SUITE_P(Cases, LongMemoOnX, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
