// The backup's arguments, refusals, generations and restore; the load monitor's parsing and
// picture; bc's answers. No widgets, no child programs.

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/paths.h"
#include "support/test_home.h"
#include "tools/system/bc_answer.h"
#include "tools/system/diary_backup.h"
#include "tools/system/load_monitor.h"

namespace {

namespace backup = pravella::backup;

void write(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}
QByteArray read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(DiaryBackup, ArgumentsAndRefusals) {
  EXPECT_EQ(backup::rsyncArguments("/d/diary", "/b", 1),
            (QStringList{"-rlptuz", "--exclude=PrefBackup", "--exclude=vkData", "/d/diary", "/b"}));
  EXPECT_EQ(backup::rsyncArguments("/b/diary", "/d", 0),
            (QStringList{"-rlptuz", "--exclude=PrefBackup", "--exclude=vkData", "--exclude=Manual", "/b/diary", "/d"}));
  const QString diary = pravella::paths::diary();
  QDir().mkpath(diary + "/inner");
  QDir().mkpath(pravella::test::home() + "/usb");
  struct Case {
    QString backup;
    bool refused;
  } cases[] = {{"", true}, {"/no/such/folder", true}, {diary + "/inner", true}, {diary, true},
               {pravella::test::home(), true}, {pravella::test::home() + "/usb", false}};
  for (const Case& c : cases)
    EXPECT_EQ(!backup::refusalFor(diary, c.backup).isEmpty(), c.refused) << c.backup.toStdString();
  EXPECT_EQ(backup::endingLine(false, 0), "--------< Finished >--------\n");
  EXPECT_EQ(backup::endingLine(true, 0), "--------< Terminate backup >--------\n");
  EXPECT_EQ(backup::endingLine(false, 23), "--------< rsync failed (status 23) >--------\n");
}

TEST(DiaryBackup, SevenGenerationsRotateDailyAndAFailedCopyChangesNothing) {
  const QDate first(2026, 12, 1);
  for (int day = 0; day < 8; ++day) {
    write(pravella::paths::preferences() + "/state.txt", QByteArray::number(day));
    EXPECT_FALSE(backup::checkPrefBackupDate(first.addDays(day)));
    ASSERT_EQ(backup::backupPreferencesToPrefBackup(first.addDays(day)), backup::Rotation::Done);
    EXPECT_TRUE(backup::checkPrefBackupDate(first.addDays(day)));
  }
  // 001 is the newest (day 7), 007 the oldest kept (day 1); day 0 is gone, no 000 is left.
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(read(backup::generation(n) + "/state.txt"), QByteArray::number(8 - n)) << n;
  EXPECT_FALSE(QFileInfo::exists(backup::generation(0)));
  EXPECT_FALSE(QFileInfo::exists(backup::generation(8)));
  EXPECT_EQ(read(backup::prefCheckFile()), "2026/12/08");

  // A copy that cannot be made (a file where it goes) leaves generations and date alone.
  write(backup::generation(0), "in the way");
  EXPECT_EQ(backup::backupPreferencesToPrefBackup(first.addDays(8)), backup::Rotation::CopyFailed);
  EXPECT_EQ(read(backup::generation(7) + "/state.txt"), "1");
  EXPECT_EQ(read(backup::prefCheckFile()), "2026/12/08");
}

TEST(DiaryBackup, RestoreSwapsInOnlyACompleteCopyOfAPreferencesFolder) {
  write(pravella::paths::preferences() + "/state.txt", "now");
  write(backup::generation(3) + "/state.txt", "three days ago");
  write(pravella::test::home() + "/Other/state.txt", "other");
  QString why;
  EXPECT_FALSE(backup::restorePreferences(pravella::test::home() + "/Other", &why));
  EXPECT_FALSE(why.isEmpty());
  EXPECT_EQ(read(pravella::paths::preferences() + "/state.txt"), "now");
  EXPECT_TRUE(backup::restorePreferences(backup::generation(3), &why));
  EXPECT_EQ(read(pravella::paths::preferences() + "/state.txt"), "three days ago");
  const QStringList beside = QDir(pravella::paths::diary()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  EXPECT_FALSE(beside.contains("Preferences.restoring") || beside.contains("Preferences.replaced"));
}

TEST(LoadMonitor, SumsTheListingAndDrawsTheStatusPicture) {
  const pravella::monitor::Load load = pravella::monitor::parsePsOutput(" 0.5  1.0\n12.0 3.5\nbad line\n\n 7 x\n");
  EXPECT_DOUBLE_EQ(load.cpu, 12.5);
  EXPECT_DOUBLE_EQ(load.memory, 4.5);

  pravella::monitor::History history;
  const QImage flat = pravella::monitor::statusPicture(0, history, {});
  ASSERT_EQ(flat.size(), QSize(102, 18));
  const QColor cpu = QColor::fromRgbF(0.8, 0.57, 0.46);
  // 0 % lies at height 1 (row 17 from the top), 100 % at height 17 (row 1).
  EXPECT_EQ(flat.pixelColor(50, 17).rgb(), cpu.rgb());
  for (int i = 0; i < 100; ++i) history.push({100, 0});
  const QImage full = pravella::monitor::statusPicture(0, history, {100, 0});
  EXPECT_EQ(full.pixelColor(50, 1).rgb(), cpu.rgb());
  EXPECT_NE(full.pixelColor(50, 17).rgb(), cpu.rgb());
  // Bars: CPU at heights 10-16, memory at 2-8, as wide as their sums.
  const QImage bars = pravella::monitor::statusPicture(1, history, {50, 100});
  EXPECT_EQ(bars.pixelColor(40, 18 - 13).rgb(), cpu.rgb());
  EXPECT_NE(bars.pixelColor(60, 18 - 13).rgb(), cpu.rgb());
  EXPECT_EQ(bars.pixelColor(95, 18 - 5).rgb(), QColor::fromRgbF(0.24, 0.45, 0.56).rgb());
  EXPECT_TRUE(pravella::monitor::statusPicture(2, history, {}).isNull());
}

TEST(BcAnswer, ResultsOrComplaints) {
  EXPECT_EQ(pravella::bc::script("1+2\n3*2"), "scale = 4\n1+2\n3*2\nquit\n");
  EXPECT_EQ(pravella::bc::answer("3\n6\n2.5000\n", ""), " = 3\n6\n2.5000");
  EXPECT_EQ(pravella::bc::answer("", "(standard_in) 2: syntax error\n"), "\n(standard_in) 2: syntax error\n");
}

}  // namespace
