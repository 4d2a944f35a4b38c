// The tool drawer's system tools on real widgets and real child programs: rsync both ways, a
// stopped and a failed synchronisation (a fake rsync first on PATH), bc answers in the memo,
// and the load monitor's modes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/elided_label.h"
#include "support/test_home.h"
#include "support/wait_for.h"
#include "tools/backup_settings.h"
#include "tools/system/diary_backup.h"
#include "tools/system/ui/cal_cal_bc.h"
#include "tools/system/ui/cal_pref_backup.h"
#include "tools/system/ui/cal_process.h"

namespace {

void write(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(text);
}
QByteArray read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class Backup : public testing::Test {
 protected:
  void SetUp() override {
    pravella::DeskToolHost host;
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    tool = std::make_unique<CalPrefBackup>(host);
    tool->awakeFromNib();
    usb = pravella::test::home() + "/usb";
    QDir().mkpath(usb);
  }
  void TearDown() override { manualBackupStatus = 1; }
  void sync() {
    tool->syncRunButton()->click();
    tool->waitForSynchronisation();
  }
  // A stand-in rsync first on PATH that logs its arguments and then runs `body`.
  void fakeRsync(const QByteArray& body) {
    const QString bin = pravella::test::home() + "/bin";
    write(bin + "/rsync",
          "#!/bin/sh\necho \"$@\" >> '" + (pravella::test::home() + "/rsync.log").toUtf8() + "'\n" + body);
    QFile::setPermissions(bin + "/rsync", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    oldPath = qgetenv("PATH");
    qputenv("PATH", (bin + ":").toUtf8() + oldPath);
  }
  void restorePath() { qputenv("PATH", oldPath); }

  std::unique_ptr<CalPrefBackup> tool;
  std::vector<std::string> sounds;
  QString usb;
  QByteArray oldPath;
};

TEST_F(Backup, CarriesChangesBothWaysAndLeavesTheWorkFolderOut) {
  const QString diary = pravella::paths::diary();
  write(diary + "/2026/12/09/memo.txt", "mine");
  write(diary + "/vkData/scratch", "work");
  write(diary + "/Manual/page.txt", "manual");
  write(usb + "/diary/2026/12/08/from-laptop.txt", "theirs");
  tool->syncFolderNameField()->setText(usb);
  manualBackupStatus = 0;
  sync();
  EXPECT_EQ(read(usb + "/diary/2026/12/09/memo.txt"), "mine");
  EXPECT_EQ(read(diary + "/2026/12/08/from-laptop.txt"), "theirs");
  EXPECT_FALSE(QFileInfo::exists(usb + "/diary/vkData"));
  EXPECT_FALSE(QFileInfo::exists(usb + "/diary/Manual"));
  manualBackupStatus = 1;
  sync();
  EXPECT_EQ(read(usb + "/diary/Manual/page.txt"), "manual");
  EXPECT_EQ(tool->syncRunButton()->text(), "Sync");
  EXPECT_FALSE(tool->backupRunning());

  // A backup folder inside the diary is refused before anything runs.
  sounds.clear();
  tool->syncFolderNameField()->setText(diary + "/2026");
  tool->syncRunButton()->click();
  EXPECT_FALSE(tool->synchronising());
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});
}

TEST_F(Backup, AFolderTypedIntoTheFieldIsKeptForTheNextStart) {
  QLineEdit* field = tool->syncFolderNameField();
  QTest::keyClicks(field, usb);
  QTest::keyClick(field, Qt::Key_Return);
  // The next start shows it again.
  tool.reset();
  pravella::DeskToolHost host;
  tool = std::make_unique<CalPrefBackup>(host);
  tool->awakeFromNib();
  EXPECT_EQ(tool->syncFolderNameField()->text(), usb);
  EXPECT_EQ(read(pravella::backup::backupFolderFile()), usb.toUtf8());
}

TEST_F(Backup, AStopDuringTheFirstRunSkipsTheSecondAndAFailureIsReported) {
  QDir().mkpath(pravella::paths::diary());
  QDir().mkpath(usb + "/diary");
  fakeRsync("sleep 30\n");
  tool->syncFolderNameField()->setText(usb);
  tool->syncRunButton()->click();
  // The stop comes while the first rsync runs: it has logged its arguments and sleeps.
  const QString log = pravella::test::home() + "/rsync.log";
  EXPECT_TRUE(pravella::test::becomesTrue([&] { return read(log).count('\n') == 1; }, 20000));
  EXPECT_EQ(tool->syncRunButton()->text(), "Stop");
  pravella::NotificationCenter::defaultCenter().post("cal_killBackup");
  tool->waitForSynchronisation();
  EXPECT_EQ(read(log).count('\n'), 1);
  EXPECT_EQ(tool->messageField()->text(), "--------< Terminate backup >--------");
  restorePath();

  QFile::remove(log);
  fakeRsync("exit 23\n");
  sounds.clear();
  sync();
  restorePath();
  EXPECT_EQ(read(log).count('\n'), 2);
  EXPECT_EQ(tool->messageField()->text(), "--------< rsync failed (status 23) >--------");
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), "Basso"), sounds.end());
}

// The failure line stays after the synchronisation, however many seconds the count ticks on.
TEST_F(Backup, AFailureStaysShownWhenTheCountStops) {
  QDir().mkpath(pravella::paths::diary());
  QDir().mkpath(usb + "/diary");
  const QString go = pravella::test::home() + "/go";
  // The first run lasts until the count has shown itself.
  fakeRsync(("while [ ! -e '" + go + "' ]; do sleep 0.05; done\nexit 23\n").toUtf8());
  tool->syncFolderNameField()->setText(usb);
  QSignalSpy seconds(&tool->countTimer(), &QTimer::timeout);
  tool->syncRunButton()->click();
  ASSERT_TRUE(seconds.wait(10000));
  EXPECT_TRUE(tool->messageField()->text().startsWith("rsync is running (diary --> backup) :"));
  write(go, "");
  tool->waitForSynchronisation();
  restorePath();
  const QString failure = "--------< rsync failed (status 23) >--------";
  EXPECT_EQ(tool->messageField()->text(), failure);
  for (int tick = 0; tick < 2; ++tick) {
    ASSERT_TRUE(seconds.wait(10000));
    EXPECT_EQ(tool->messageField()->text(), failure);
  }
  EXPECT_NE(std::find(sounds.begin(), sounds.end(), "Basso"), sounds.end());
}

// A first pass that fails before the backup holds its diary folder leaves the second nothing to
// start in: the failure shown is the first one's, not that of a program that could not start.
TEST_F(Backup, TheFirstFailureIsTheOneShown) {
  QDir().mkpath(pravella::paths::diary());
  QDir().mkpath(usb);
  fakeRsync("exit 23\n");
  tool->syncFolderNameField()->setText(usb);
  sync();
  restorePath();
  EXPECT_EQ(tool->messageField()->text(), "--------< rsync failed (status 23) >--------");
}

// A message too long for the drawer is cut in its path, with an ellipsis there, and keeps the
// words that say what happened whole.
TEST_F(Backup, ALongMessageLosesThePathsMiddleNotItsOutcome) {
  auto panels = std::make_shared<pravella::dialogs::Scripted>();
  pravella::dialogs::setHandler(panels);
  QString deep = pravella::test::home();
  for (int i = 0; i < 12; ++i) deep += "/a-rather-long-folder-name";
  const QString missing = deep + "/Missing";
  const QString other = deep + "/Other";
  const QString copy = deep + "/Preferences.004";
  QDir().mkpath(other);
  write(copy + "/kept.txt", "kept");
  QWidget* drawer = tool->controls();
  drawer->resize(420, drawer->sizeHint().height());
  drawer->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(drawer));
  pravella::ElidedLabel* field = tool->messageField();
  QPushButton* restore = nullptr;
  for (QPushButton* b : drawer->findChildren<QPushButton*>())
    if (b->text() == "Restore...") restore = b;
  ASSERT_TRUE(restore);

  const struct {
    const char* what;
    std::function<void()> act;
    QString whole, head, tail;
  } cases[] = {
      {"a backup folder that is not there",
       [&] {
         tool->syncFolderNameField()->setText(missing);
         QTest::mouseClick(tool->syncRunButton(), Qt::LeftButton);
       },
       "The backup folder " + missing + " is not there.", "The backup folder /", " is not there."},
      {"a folder that is no copy",
       [&] {
         panels->paths = {other};
         QTest::mouseClick(restore, Qt::LeftButton);
       },
       other + " is no copy of the preferences.", "/", " is no copy of the preferences."},
      {"a restored copy",
       [&] {
         panels->paths = {copy};
         QTest::mouseClick(restore, Qt::LeftButton);
       },
       "The preferences were restored from " + copy + ".", "The preferences were restored from /", "."},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    k.act();
    EXPECT_EQ(field->text(), k.whole);
    ASSERT_GT(field->fontMetrics().horizontalAdvance(k.whole), field->contentsRect().width());
    const QString shown = field->shownText();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(k.head)) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(k.tail)) << shown.toStdString();
    EXPECT_LE(field->fontMetrics().horizontalAdvance(shown), field->contentsRect().width());
  }
  pravella::dialogs::setHandler(nullptr);
}

// Restore... with a folder that holds no copy of the preferences says so in the drawer; a
// copy from the rotation is restored and says so too.
TEST_F(Backup, ARestoreSaysInTheDrawerWhatBecameOfIt) {
  auto panels = std::make_shared<pravella::dialogs::Scripted>();
  pravella::dialogs::setHandler(panels);
  const QString other = pravella::test::home() + "/Other";
  QDir().mkpath(other);
  write(pravella::backup::generation(2) + "/kept.txt", "kept");
  panels->paths = {other, pravella::backup::generation(2)};
  QPushButton* restore = nullptr;
  for (QPushButton* b : tool->controls()->findChildren<QPushButton*>())
    if (b->text() == "Restore...") restore = b;
  ASSERT_TRUE(restore);
  QTest::mouseClick(restore, Qt::LeftButton);
  EXPECT_EQ(tool->messageField()->text(), other + " is no copy of the preferences.");
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});
  QTest::mouseClick(restore, Qt::LeftButton);
  EXPECT_EQ(tool->messageField()->text(),
            "The preferences were restored from " + pravella::backup::generation(2) + ".");
  EXPECT_EQ(read(pravella::paths::preferences() + "/kept.txt"), "kept");
  pravella::dialogs::setHandler(nullptr);
}

TEST(BcButton, AnswersAppearSelectedBehindTheSelection) {
  QTextEdit memo;
  CalCalBC bc(&memo);
  auto ask = [&](const QString& text) {
    memo.setPlainText(text + " tail");
    QTextCursor c(memo.document());
    c.setPosition(static_cast<int>(text.size()), QTextCursor::KeepAnchor);
    memo.setTextCursor(c);
    QSignalSpy answered(&bc, &CalCalBC::answered);
    if (!bc.CalBCMemoAction()) return QString("<not started>");
    if (!answered.wait(15000)) return QString("<no answer>");
    return memo.textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
  };
  EXPECT_EQ(ask("1+2\n2*3\n5/2"), " = 3\n6\n2.5000");
  EXPECT_TRUE(memo.toPlainText().startsWith("1+2\n2*3\n5/2 = 3\n6\n2.5000 tail"));
  const QString error = ask("1+");
  EXPECT_TRUE(error.startsWith('\n')) << error.toStdString();
  EXPECT_GT(error.size(), 1);
  // An endless loop is stopped; the window never waited for it.
  bc.setTimeLimitForTests(300);
  EXPECT_TRUE(ask("while (1) { }").contains("stopped"));
  // Nothing selected, nothing runs.
  memo.setPlainText("x");
  EXPECT_FALSE(bc.CalBCMemoAction());
}

TEST(LoadBars, ModesFollowTheShowRequestAndAFrozenPictureKeepsStill) {
  CalProcess monitor(nullptr);
  monitor.awakeFromNib();
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.post("cal_changeCPUMonitor", "1");
  EXPECT_EQ(monitor.dispStatus(), -1);
  center.post("cal_showCPUStatusBar");
  EXPECT_EQ(monitor.dispStatus(), 0);
  EXPECT_TRUE(monitor.sampling());
  monitor.takeSample("10 20\n");
  EXPECT_EQ(monitor.cpuBar()->value(), 10);
  center.post("cal_changeCPUMonitor", "2");
  const QImage frozen = monitor.statusImage();
  monitor.takeSample("90 50\n");
  EXPECT_EQ(monitor.cpuBar()->value(), 90);
  EXPECT_EQ(monitor.memoryBar()->value(), 50);
  EXPECT_EQ(monitor.statusImage(), frozen);
  center.post("cal_changeCPUMonitor", "-1");
  EXPECT_EQ(monitor.dispStatus(), 2);
}

}  // namespace
