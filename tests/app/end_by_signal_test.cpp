// A signal while a program runs a long built-in that never looks at the break (the
// eigenvalues of a large matrix): the memo is saved at once, while the run still goes on, and
// the process ends a little later in the run's middle, through the application's own end.
// Each case runs in a process of its own, so that its end can be seen; the saved memo is read
// here afterwards.

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <ostream>

#include <QDirIterator>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "app/application.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtin_seam.h"
#include "lang/builtins/startup.h"
#include "platform/rich_text_file.h"
#include "child_app.h"

namespace {

const QString kCode = QStringLiteral("a = rand(1000, 1000); eigen(a + a');");
// The memo as saved: its name, the code, and the line the run's output was to go on.
const QString kSaved = "eigen\n" + kCode + "\n";

struct Signal {
  const char* name;
  int number;
};

const Signal kSignals[] = {{"Term", SIGTERM}, {"Hangup", SIGHUP}, {"Interrupt", SIGINT}};

void PrintTo(const Signal& signal, std::ostream* out) { *out << signal.name; }

// The built-ins as the start-up registered them, and the moment a run entered `eigen`: the
// signal is raised only then, so that the break cannot land in `rand` or the sum before it.
VkBuiltinSeam realBuiltins;
VkCallFn realEigen = nullptr;
std::atomic<bool> insideTheBuiltIn{false};

bool isEigen(const std::string& name, int argc) { return name == "eigen" && argc == 1; }

// Once computed, the values are held back until the process ends, as a slower machine would:
// however fast this one is, the end always meets the run inside the built-in.
[[noreturn]] void holdTheRun() {
  std::promise<void> never;
  never.get_future().wait();
  std::abort();
}

int watchedEigen(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  insideTheBuiltIn.store(true);
  realEigen(count, code, pc, stack, sp);
  holdTheRun();
}

int watchedCall(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (!isEigen(code[*pc].name, code[*pc].argc)) return realBuiltins.callFunction(count, code, pc, stack, sp);
  insideTheBuiltIn.store(true);
  realBuiltins.callFunction(count, code, pc, stack, sp);
  holdTheRun();
}

VkCallFn watchedResolve(const std::string& name, int argc) {
  const VkCallFn fn = realBuiltins.resolveFunction(name, argc);
  if (!fn || !isEigen(name, argc)) return fn;
  realEigen = fn;
  return watchedEigen;
}

// The registered built-ins, with `eigen` telling the test when a run is inside it.
void watchEigen() {
  realBuiltins = vkBuiltins();
  VkBuiltinSeam watched = realBuiltins;
  watched.callFunction = watchedCall;
  if (realBuiltins.resolveFunction) watched.resolveFunction = watchedResolve;
  vkRegisterBuiltins(watched);
}

QString savedMemo(const QString& home) {
  QDirIterator it(home + QStringLiteral("/Documents/diary"), {QStringLiteral("eigen.rtfd")}, QDir::Dirs,
                  QDirIterator::Subdirectories);
  if (!it.hasNext()) return QStringLiteral("<not saved>");
  QTextDocument doc;
  if (!pravella::readRichTextFile(it.next(), doc)) return QStringLiteral("<unreadable>");
  return doc.toPlainText();
}

// The child's part: the application in the test's home, an edit typed into the memo, the run
// started with keypad Enter, then the signal. Only the application may end the process with
// status 0.
[[noreturn]] void editRunAndSignal(int signal) {
  app_test::takeParentsHome();
  const QString home = qEnvironmentVariable("HOME");
  if (vkStartUp() != 1) std::_Exit(2);
  watchEigen();
  pravella::Application application;
  application.endOnSignalsAndSessionEnd();
  application.showAndFinishLaunching();
  if (!QTest::qWaitForWindowExposed(&application.window())) std::_Exit(3);
  mainTextView* memo = application.window().documentView();
  memo->setFocus();
  memo->selectAll();
  QTest::keyClicks(memo, QStringLiteral("eigen"));
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, kCode);
  QTest::keyClick(memo, Qt::Key_Enter, Qt::KeypadModifier);
  // Generous: a deadline for a loaded machine, never a measure.
  if (!QTest::qWaitFor([] { return insideTheBuiltIn.load(); }, 120000)) std::_Exit(4);
  if (!memo->isRunning()) std::_Exit(5);
  // Nothing is on disk yet: what appears from now on is the end's save.
  if (savedMemo(home) != QStringLiteral("<not saved>")) std::_Exit(6);
  // After the signal, while the run is still inside the built-in, the memo must reach the disk.
  auto* watch = new QTimer(memo);
  QObject::connect(watch, &QTimer::timeout, memo, [watch, memo, home] {
    if (!memo->isRunning() || savedMemo(home) != kSaved) return;
    std::fputs("saved while the run went on\n", stderr);
    watch->stop();
  });
  watch->start(10);
  ::raise(signal);
  // Returned: the application did not end the process itself.
  std::_Exit(10 + application.exec());
}

class EndWhileABuiltInRuns : public testing::TestWithParam<Signal> {};

TEST_P(EndWhileABuiltInRuns, SavesTheMemoAndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  app_test::passHomeToChild();
  EXPECT_EXIT(editRunAndSignal(GetParam().number), testing::ExitedWithCode(0), "saved while the run went on");
  app_test::forgetChildHome();
  EXPECT_EQ(savedMemo(pravella::test::home()).toStdString(), kSaved.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Signals, EndWhileABuiltInRuns, testing::ValuesIn(kSignals),
                         [](const testing::TestParamInfo<Signal>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
