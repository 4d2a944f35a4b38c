// The memo in the application's main window: the user's module files, run through the memo at
// launch, are there for the code the user then runs with Enter.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTextDocument>
#include <memory>
#include <mutex>

#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/dialog_watchdog.h"

namespace {

void writeModule(const QString& name, const QString& text) {
  QDir().mkpath(pravella::paths::modules());
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(pravella::writeRtfFile(pravella::paths::modules() + QLatin1Char('/') + name, doc).ok);
}

TEST(MemoInMainWindow, ModulesLoadedAtLaunchServeTheUsersCode) {
  pravella::test::DialogWatchdog watchdog;
  ASSERT_EQ(vkStartUp(), 1);
  ASSERT_NO_FATAL_FAILURE(
      writeModule(QStringLiteral("a.vk.rtf"), QStringLiteral("module sq(x) { return(x * x); }")));
  ASSERT_NO_FATAL_FAILURE(
      writeModule(QStringLiteral("b.vk.rtf"), QStringLiteral("module twice(x) { return(2 * x); }")));

  auto window = std::make_unique<pravella::MainWindow>();
  mainTextView* memo = window->documentView();
  std::mutex consoleMutex;
  std::string console;
  memo->setConsoleOutput([&](const std::string& text) {
    std::lock_guard guard(consoleMutex);
    console += text;
  });
  memo->setAlertPanel([](const QString& title, const QString&) { ADD_FAILURE() << title.toStdString(); });
  memo->awakeFromNib();
  auto calendar = std::make_unique<Calcndar>(window.get());
  calendar->setTodaySource([] { return QDate(2008, 2, 28); });
  calendar->setAlertPanel([](const QString& title, const QString&, const QStringList&) {
    ADD_FAILURE() << "unexpected alert " << title.toStdString();
    return 1;
  });
  calendar->awakeFromNib();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  calendar->applicationDidFinishLaunching();

  QElapsedTimer clock;
  clock.start();
  while (memo->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
  ASSERT_FALSE(memo->isRunning());
  {
    std::lock_guard guard(consoleMutex);
    EXPECT_EQ(console, "");  // module definitions print nothing
  }

  memo->setPlainText(QStringLiteral("sq(twice(3)) + 1;"));
  QTest::keyClick(memo, Qt::Key_Enter, Qt::KeypadModifier);
  clock.restart();
  while (memo->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
  QCoreApplication::processEvents();
  EXPECT_EQ(memo->toPlainText().toStdString(), "sq(twice(3)) + 1;\n   37.0000\n.OK.\n");

  window->removeEventFilter(calendar.get());
  calendar.reset();
  window.reset();
}

}  // namespace
