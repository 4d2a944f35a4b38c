// A folder download killed halfway with the whole application (SIGKILL, as a crash): the next
// start removes what it left (the staging tree in the day folder, the private folder with the
// password's script), and the day list never shows the tree. The application runs in death
// tests' children; the server and the checks are the parent's.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <memory>

#include "app/desk_tools.h"
#include "child_app.h"
#include "diary/day_folders.h"
#include "net/ftp/ui/cal_ftp.h"
#include "net/ftp/ui/ftp_file_table.h"
#include "platform/held_paths.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/folder_snapshot.h"
#include "support/loopback_ftp.h"

namespace {

constexpr char kPort[] = "PRAVELLA_TEST_FTP_PORT";
constexpr int kWait = 60000;  // a deadline for a loaded machine, never a measure

QString today() {
  const QDate d = QDate::currentDate();
  return pravella::paths::dayFolder(d.year(), d.month(), d.day());
}

// Bytes that the download has put into staging folders of `folder` so far.
qint64 stagedBytes(const QString& folder) {
  qint64 n = 0;
  for (const QString& staging : QDir(folder).entryList({".ftp-dir-*"}, QDir::Dirs | QDir::Hidden)) {
    QDirIterator it(folder + "/" + staging, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) n += QFileInfo(it.next()).size();
  }
  return n;
}

// The FTP client, once the desk tools are made (right after the first frame).
CalFTP& ftpOf(pravella::Application& application) {
  const auto made = [] {
    for (QWidget* w : QApplication::allWidgets())
      if (w->objectName() == "ftpDrawer") return true;
    return false;
  };
  if (!QTest::qWaitFor(made, kWait)) std::_Exit(4);
  return *application.deskTools().ftp();
}

void pressIn(QWidget* drawer, const QString& title) {
  for (QPushButton* b : drawer->findChildren<QPushButton*>())
    if (b->text() == title) return QTest::mouseClick(b, Qt::LeftButton);
  std::_Exit(5);
}

// The child: the application, the FTP sheet opened from the Tools menu, a folder download
// confirmed, and SIGKILL once some of it is on disk.
[[noreturn]] void downloadThenDie() {
  app_test::takeParentsHome();
  auto application = app_test::startEndingOnSignals();
  CalFTP& ftp = ftpOf(*application);
  for (QAction* a : application->window().menuBar()->actions())
    if (a->menu())
      for (QAction* item : a->menu()->actions())
        if (item->text() == "&FTP") item->trigger();
  QDockWidget* drawer = ftp.ftpDrawer();
  if (!QTest::qWaitFor([drawer] { return drawer->isVisible(); }, kWait)) std::_Exit(6);
  ftp.hostNameField()->setEditText("127.0.0.1:" + qEnvironmentVariable(kPort));
  ftp.idField()->setText("ann");
  ftp.pwField()->setText("s3cret");
  ftp.directoryField()->setText("/");
  pressIn(drawer, "Connect");
  if (!QTest::qWaitFor([&] { return ftp.ftpNameList().contains("big"); }, kWait)) std::_Exit(7);
  ftpFileTable* table = ftp.filesTableView();
  const QModelIndex index = table->model()->index(int(ftp.ftpNameList().indexOf("big")), 0);
  table->scrollTo(index);
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
  auto answers = std::make_shared<pravella::dialogs::Scripted>();
  answers->alertAnswers = {pravella::dialogs::kOther};  // "Download"
  pravella::dialogs::setHandler(answers);
  pressIn(drawer, "Get");
  if (!QTest::qWaitFor([] { return stagedBytes(today()) > 0; }, kWait)) std::_Exit(8);
  ::raise(SIGKILL);
  std::_Exit(9);
}

// The child of the restart: the application starts, and its FTP client cleans up.
[[noreturn]] void restartAndWaitForTheSweep() {
  app_test::takeParentsHome();
  auto application = app_test::startEndingOnSignals();
  ftpOf(*application);
  const QString ftpRoot = pravella::paths::diary() + "/ftp";
  const bool clean = QTest::qWaitFor(
      [&] {
        return QDir(today()).entryList({".ftp-*"}, QDir::AllEntries | QDir::Hidden).isEmpty() &&
               QDir(ftpRoot).entryList({"op-*"}, QDir::AllEntries).isEmpty() &&
               QDir(pravella::heldRecordsFolder("ftp")).entryList(QDir::Files | QDir::Hidden).isEmpty();
      },
      kWait);
  std::fputs(clean ? "cleaned\n" : "left\n", stderr);
  std::_Exit(clean ? 0 : 10);
}

TEST(FtpDownloadKilled, TheNextStartRemovesWhatItLeft) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  app_test::passHomeToChild();
  // The server is the parent's; a child of the death test runs this body again up to its own
  // part, and must not start another.
  std::unique_ptr<pravella::test::LoopbackFtp> server;
  if (qEnvironmentVariableIsEmpty(kPort)) {
    const QString root = pravella::test::home() + "/server";
    QDir().mkpath(root + "/big");
    QFile huge(root + "/big/huge.bin");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(QByteArray(3000000, 'h'));
    huge.close();
    server = std::make_unique<pravella::test::LoopbackFtp>(root, "ann", "s3cret", 50000);
    ASSERT_FALSE(server->port().isEmpty()) << server->error().toStdString();
    qputenv(kPort, server->port().toUtf8());
  }
  QDir().mkpath(today());
  QFile memo(today() + "/memo.txt");
  ASSERT_TRUE(memo.open(QIODevice::WriteOnly));
  memo.write("mine\n");
  memo.close();
  const auto before = pravella::test::FolderSnapshot::of(today());

  EXPECT_EXIT(downloadThenDie(), testing::KilledBySignal(SIGKILL), "");
  // The crash left a partial tree, which the day list does not show.
  EXPECT_GT(stagedBytes(today()), 0);  // (not fatal: a death test child runs this body again)
  EXPECT_EQ(pravella::listDiaryFiles(today()), QStringList{"memo.txt"});

  EXPECT_EXIT(restartAndWaitForTheSweep(), testing::ExitedWithCode(0), "cleaned");
  app_test::forgetChildHome();
  qunsetenv(kPort);
  EXPECT_TRUE(before.unchanged());
  EXPECT_EQ(stagedBytes(today()), 0);
}

}  // namespace
