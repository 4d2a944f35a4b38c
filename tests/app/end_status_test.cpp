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

#include "child_app.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/test_home.h"

namespace {

using namespace app_test;

[[noreturn]] void editThenEndWithFullDisks() {
  takeParentsHome();
  const QDate today = QDate::currentDate();
  const QString day = pravella::paths::dayFolder(today.year(), today.month(), today.day());
  QDir().mkpath(day);
  QTextDocument big;
  big.setPlainText(QString(10000, u'o'));
  if (!pravella::writeRtfdFile(day + "/Big.rtfd", big)) std::_Exit(2);
  const std::unique_ptr<pravella::Application> application = startEndingOnSignals();
  mainTextView* memo = application->window().documentView();
  if (!pravella::test::becomesTrue([memo] { return memo->toPlainText().startsWith(QStringLiteral("oooo")); },
                                   60000))
    std::_Exit(4);
  memo->setFocus();
  QTest::keyClicks(memo, QStringLiteral("new "));
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit small{};
  ::getrlimit(RLIMIT_FSIZE, &small);
  small.rlim_cur = 4000;
  if (::setrlimit(RLIMIT_FSIZE, &small) != 0) std::_Exit(5);
  ::raise(SIGTERM);
  std::_Exit(application->exec());
}

TEST(EndStatus, AnEditNoFolderTookEndsWithAStatusOtherThanZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  passHomeToChild();
  EXPECT_EXIT(editThenEndWithFullDisks(), testing::ExitedWithCode(1), "Big.rtfd\" is not saved");
  forgetChildHome();
}

}  // namespace
