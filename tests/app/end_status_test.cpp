// The exit status of an end that lost an edit: when the memo can be written neither where it
// belongs nor in any recovery folder (a file size limit stands in for full disks), the process
// still ends on the signal, names the document on the console and does not end with status 0.
// The case runs in a process of its own, so that its status can be seen.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTextDocument>

#include "app/application.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

constexpr char kHomeOfTheTest[] = "PRAVELLA_END_STATUS_TEST_HOME";

[[noreturn]] void editThenEndWithFullDisks() {
  const QString home = qEnvironmentVariable(kHomeOfTheTest);
  for (const auto& [name, sub] : {std::pair{"HOME", ""},
                                  {"XDG_CONFIG_HOME", "/.config"},
                                  {"XDG_CACHE_HOME", "/.cache"},
                                  {"XDG_DATA_HOME", "/.local/share"},
                                  {"TMPDIR", "/.tmp"}})
    qputenv(name, QFile::encodeName(home + QLatin1String(sub)));
  QDir().mkpath(home + "/.tmp");
  const QDate today = QDate::currentDate();
  const QString day = pravella::paths::dayFolder(today.year(), today.month(), today.day());
  QDir().mkpath(day);
  QTextDocument big;
  big.setPlainText(QString(10000, u'o'));
  if (!pravella::writeRtfdFile(day + "/Big.rtfd", big)) std::_Exit(2);
  if (vkStartUp() != 1) std::_Exit(2);
  pravella::Application application;
  application.endOnSignalsAndSessionEnd();
  application.showAndFinishLaunching();
  if (!QTest::qWaitForWindowExposed(&application.window())) std::_Exit(3);
  mainTextView* memo = application.window().documentView();
  QElapsedTimer clock;
  clock.start();
  while (!memo->toPlainText().startsWith(QStringLiteral("oooo"))) {
    if (clock.elapsed() > 60000) std::_Exit(4);
    QTest::qWait(5);
  }
  memo->setFocus();
  QTest::keyClicks(memo, QStringLiteral("new "));
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit small{};
  ::getrlimit(RLIMIT_FSIZE, &small);
  small.rlim_cur = 4000;
  if (::setrlimit(RLIMIT_FSIZE, &small) != 0) std::_Exit(5);
  ::raise(SIGTERM);
  std::_Exit(application.exec());
}

TEST(EndStatus, AnEditNoFolderTookEndsWithAStatusOtherThanZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  if (qEnvironmentVariableIsEmpty(kHomeOfTheTest))
    qputenv(kHomeOfTheTest, QFile::encodeName(pravella::test::home()));
  EXPECT_EXIT(editThenEndWithFullDisks(), testing::ExitedWithCode(1), "Big.rtfd\" is not saved");
  qunsetenv(kHomeOfTheTest);
}

}  // namespace
