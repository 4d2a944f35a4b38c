// A long memo as the day's document: 300 lines of 50,000 " q" (30 M characters). The whole
// application runs in a process of its own with a fresh home; it prints the longest the GUI
// thread went without serving a 5 ms timer (its longest single step) for each of: the start
// that opens the memo, Ctrl+End and a word typed behind it (until the word is shown), a key
// typed at the end, three Page Up, Ctrl+S, and the end by SIGTERM (with the time until the
// process ended and its status). Target: no step above about a second.
//
// Usage: build/bench/bench_long_memo [lines [pairs per line]]   (defaults: 300 50000)
// Without a display, Qt's offscreen platform is used.

#include "child_home.h"
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"

namespace {

const QString kWord = QStringLiteral("typedword");

// The longest gap between two ticks of a 5 ms timer since the last `restart`.
class StepWatch {
 public:
  StepWatch() {
    QObject::connect(&tick_, &QTimer::timeout,
                     [this] { longest_ = std::max(longest_, sinceTick_.restart()); });
    tick_.start(5);
    restart();
  }
  void restart() {
    longest_ = 0;
    sinceTick_.restart();
  }
  qint64 longest() {
    longest_ = std::max(longest_, sinceTick_.elapsed());
    return longest_;
  }

 private:
  QTimer tick_;
  QElapsedTimer sinceTick_;
  qint64 longest_ = 0;
};

[[noreturn]] void runCase(const std::string& home, int lines, int pairs) {
  useChildHome(home);
  if (vkStartUp() != 1) std::_Exit(2);
  int argc = 1;
  char name[] = "bench_long_memo";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  const QDate today = QDate::currentDate();
  const QString day = pravella::paths::dayFolder(today.year(), today.month(), today.day());
  const QString memoPath = day + QStringLiteral("/Long.rtfd");
  QDir().mkpath(day);
  {
    const QString line = QStringLiteral(" q").repeated(pairs);
    QStringList all;
    for (int i = 0; i < lines; ++i) all << line;
    QTextDocument text;
    text.setPlainText(all.join(QLatin1Char('\n')));
    if (!pravella::writeRtfdFile(memoPath, text)) std::_Exit(3);
    std::fprintf(stderr, "memo of %d lines of %d characters (%lld in all)\n", lines, 2 * pairs,
                 static_cast<long long>(text.characterCount() - 1));
  }

  QElapsedTimer clock;
  clock.start();
  pravella::Application application;
  application.endOnSignalsAndSessionEnd();
  application.showAndFinishLaunching();
  if (!QTest::qWaitForWindowExposed(&application.window())) std::_Exit(4);
  application.window().activateWindow();
  (void)QTest::qWaitForWindowActive(&application.window(), 2000);
  mainTextView* memo = application.window().documentView();
  std::fprintf(stderr, "  start with the memo open: %lld ms in one step\n",
               static_cast<long long>(clock.elapsed()));

  StepWatch steps;
  QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  clock.restart();
  QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(memo, kWord);
  if (!QTest::qWaitFor([memo] { return memo->document()->lastBlock().text().endsWith(kWord); }, 600000))
    std::_Exit(5);
  std::fprintf(stderr, "  Ctrl+End and a word: shown after %lld ms, longest step %lld ms\n",
               static_cast<long long>(clock.elapsed()), static_cast<long long>(steps.longest()));

  const auto timed = [&](const char* what, auto action) {
    QTest::qWait(200);
    steps.restart();
    action();
    QApplication::processEvents();
    QTest::qWait(100);
    std::fprintf(stderr, "  %s: longest step %lld ms\n", what, static_cast<long long>(steps.longest()));
  };
  timed("a key at the end", [memo] { QTest::keyClick(memo, 'x'); });
  timed("three Page Up", [memo] {
    for (int i = 0; i < 3; ++i) QTest::keyClick(memo, Qt::Key_PageUp);
  });
  timed("Ctrl+S", [memo] { QTest::keySequence(memo, QKeySequence::Save); });
  QTest::keyClick(memo, 'y');
  clock.restart();
  ::raise(SIGTERM);
  const int status = application.exec();
  std::fprintf(stderr, "  SIGTERM: the process ends %lld ms after the signal, status %d\n",
               static_cast<long long>(clock.elapsed()), status);
  QTextDocument saved;
  const bool read = pravella::readRichTextFile(memoPath, saved);
  std::fprintf(stderr, "  saved memo ends with the typed keys: %s\n",
               read && saved.lastBlock().text().endsWith(kWord + QStringLiteral("xy")) ? "yes" : "NO");
  std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 300;
  const int pairs = argc > 2 ? std::atoi(argv[2]) : 50000;
  char home[] = "/tmp/pravella-long-memo-XXXXXX";
  if (!::mkdtemp(home)) return 1;
  const pid_t child = ::fork();
  if (child == 0) runCase(home, lines, pairs);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::fprintf(stderr, "  the case ended with %s %d\n", WIFEXITED(status) ? "status" : "signal",
                 WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
  QDir(QString::fromLocal8Bit(home)).removeRecursively();
  return 0;
}
