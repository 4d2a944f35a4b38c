// A long memo as the day's document: 300 lines of 50,000 " q" (30 M characters), the last one
// ending in "MARK". The whole application runs in a process of its own with a fresh home, one
// for each case; it prints the longest the GUI thread went without serving a 5 ms timer (its
// longest single step) for each of:
// - end: the start that opens the memo, Ctrl+End and a word typed behind it (until the word is
//   shown), a key typed at the end, three Page Up and a key, Ctrl+S, and the end by SIGTERM
//   (with the time until the process ended, its status and whether the file holds the text);
// - find: "MARK" found from the top with the search sheet (until it is selected);
// - drag: the scroll bar's handle dragged to the bottom of its groove, and two seconds after;
// - pagedown: Page Down held (40 repeats) from the top;
// - resize: Ctrl+End, then the window made 200 pixels wider.
// Target: no step above about a second.
//
// Usage: build/bench/bench_long_memo [lines [pairs per line [case]]]   (defaults: 300 50000, all)
// Without a display, Qt's offscreen platform is used.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include "child_home.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

const QString kMark = QStringLiteral("MARK");

void report(const char* what, StepWatch& steps) {
  std::fprintf(stderr, "  %s: longest step %lld ms\n", what, static_cast<long long>(steps.longest()));
}

// What a case does once the memo is open; returns the process's status.
int endCase(pravella::Application& application, const QString& memoPath) {
  mainTextView* memo = application.window().documentView();
  StepWatch steps;
  QElapsedTimer clock;
  QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  clock.start();
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
    report(what, steps);
  };
  timed("a key at the end", [memo] { QTest::keyClick(memo, 'x'); });
  timed("three Page Up and a key", [memo] {
    for (int i = 0; i < 3; ++i) QTest::keyClick(memo, Qt::Key_PageUp);
    QTest::keyClick(memo, 'y');
  });
  timed("Ctrl+S", [memo] { QTest::keySequence(memo, QKeySequence::Save); });
  QTest::keyClick(memo, 'z');
  // What the memo shows is what the end is to save.
  const QString shown = memo->toPlainText();
  clock.restart();
  ::raise(SIGTERM);
  const int status = application.exec();
  std::fprintf(stderr, "  SIGTERM: the process ends %lld ms after the signal, status %d\n",
               static_cast<long long>(clock.elapsed()), status);
  QTextDocument saved;
  const bool read = pravella::readRichTextFile(memoPath, saved);
  std::fprintf(stderr, "  saved memo holds the typed keys where they were typed: %s\n",
               read && saved.toPlainText() == shown ? "yes" : "NO");
  return status;
}

int findCase(pravella::Application& application) {
  mainTextView* memo = application.window().documentView();
  StepWatch steps;
  QTest::keyClick(memo, Qt::Key_F, Qt::ControlModifier);
  auto* field = application.window().findChild<QLineEdit*>(QStringLiteral("findStringField"));
  if (!field || !QTest::qWaitFor([field] { return field->isVisible(); }, 10000)) return 6;
  QTest::keyClicks(field, kMark);
  steps.restart();
  QElapsedTimer clock;
  clock.start();
  QTest::keyClick(field, Qt::Key_Return);
  if (!QTest::qWaitFor([memo] { return memo->textCursor().selectedText() == kMark; }, 600000)) return 7;
  std::fprintf(stderr, "  find to the end: selected after %lld ms, longest step %lld ms\n",
               static_cast<long long>(clock.elapsed()), static_cast<long long>(steps.longest()));
  return 0;
}

int dragCase(pravella::Application& application) {
  mainTextView* memo = application.window().documentView();
  QScrollBar* bar = memo->verticalScrollBar();
  StepWatch steps;
  // The handle is at the top: pressed there and moved down past the groove's end.
  const QPoint handle(bar->width() / 2, bar->width() + 4);
  QTest::mousePress(bar, Qt::LeftButton, {}, handle);
  for (int y = handle.y(); y <= bar->height() + 20; y += 40) QTest::mouseMove(bar, QPoint(handle.x(), y));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(handle.x(), bar->height() + 20));
  QTest::qWait(2000);
  std::fprintf(stderr, "  drag to the bottom: longest step %lld ms (bar at %d of %d)\n",
               static_cast<long long>(steps.longest()), bar->value(), bar->maximum());
  return 0;
}

int pageDownCase(pravella::Application& application) {
  mainTextView* memo = application.window().documentView();
  StepWatch steps;
  for (int i = 0; i < 40; ++i) {
    QTest::keyPress(memo, Qt::Key_PageDown);
    QApplication::processEvents();
  }
  QTest::keyRelease(memo, Qt::Key_PageDown);
  QTest::qWait(200);
  report("Page Down held", steps);
  return 0;
}

int resizeCase(pravella::Application& application) {
  mainTextView* memo = application.window().documentView();
  QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
  if (!QTest::qWaitFor([memo] { return memo->textCursor().atEnd(); }, 600000)) return 8;
  QTest::qWait(200);
  StepWatch steps;
  application.window().resize(application.window().width() + 200, application.window().height());
  QTest::qWait(1000);
  report("a wider window at the end", steps);
  return 0;
}

[[noreturn]] void runCase(const std::string& home, int lines, int pairs, const std::string& name) {
  useChildHome(home);
  if (vkStartUp() != 1) std::_Exit(2);
  int argc = 1;
  char program[] = "bench_long_memo";
  char* argv[] = {program, nullptr};
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
    text.setPlainText(all.join(QLatin1Char('\n')) + kMark);
    if (!pravella::writeRtfdFile(memoPath, text)) std::_Exit(3);
    std::fprintf(stderr, "%s: memo of %d lines of %d characters (%lld in all)\n", name.c_str(), lines,
                 2 * pairs, static_cast<long long>(text.characterCount() - 1));
  }

  QElapsedTimer clock;
  clock.start();
  pravella::Application application;
  application.endOnSignalsAndSessionEnd();
  application.showAndFinishLaunching();
  if (!QTest::qWaitForWindowExposed(&application.window())) std::_Exit(4);
  application.window().activateWindow();
  (void)QTest::qWaitForWindowActive(&application.window(), 2000);
  std::fprintf(stderr, "  start with the memo open: %lld ms in one step\n",
               static_cast<long long>(clock.elapsed()));
  if (name == "end") std::_Exit(endCase(application, memoPath));
  if (name == "find") std::_Exit(findCase(application));
  if (name == "drag") std::_Exit(dragCase(application));
  if (name == "pagedown") std::_Exit(pageDownCase(application));
  if (name == "resize") std::_Exit(resizeCase(application));
  std::_Exit(9);
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 300;
  const int pairs = argc > 2 ? std::atoi(argv[2]) : 50000;
  const std::vector<std::string> cases =
      argc > 3 ? std::vector<std::string>{argv[3]}
               : std::vector<std::string>{"end", "find", "drag", "pagedown", "resize"};
  for (const std::string& name : cases) {
    char home[] = "/tmp/pravella-long-memo-XXXXXX";
    if (!::mkdtemp(home)) return 1;
    const pid_t child = ::fork();
    if (child == 0) runCase(home, lines, pairs, name);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      std::fprintf(stderr, "  the case ended with %s %d\n", WIFEXITED(status) ? "status" : "signal",
                   WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
    QDir(QString::fromLocal8Bit(home)).removeRecursively();
  }
  return 0;
}
