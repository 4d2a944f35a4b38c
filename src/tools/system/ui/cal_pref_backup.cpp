#include "tools/system/ui/cal_pref_backup.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

#include <cstdio>

#include "diary/program_settings.h"
#include "lang/builtins/command_bridge.h"
#include "platform/atomic_file.h"
#include "platform/child_processes.h"
#include "platform/console_log.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/elided_label.h"
#include "tools/backup_settings.h"
#include "tools/system/diary_backup.h"

using pravella::NotificationCenter;

CalPrefBackup::CalPrefBackup(const pravella::DeskToolHost& host, QObject* parent)
    : QObject(parent), host_(host) {
  auto* box = new QGroupBox(tr("Backup"));
  controls_ = box;
  folderField_ = new QLineEdit(box);
  folderField_->setObjectName(QStringLiteral("syncFolderNameField"));
  folderField_->setPlaceholderText(tr("Backup folder"));
  messageField_ = new pravella::ElidedLabel(box);
  messageField_->setObjectName(QStringLiteral("messageField"));
  messageField_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  runButton_ = new QPushButton(tr("Sync"), box);
  runButton_->setObjectName(QStringLiteral("syncRunButton"));
  auto* choose = new QPushButton(tr("Folder..."), box);
  auto* restore = new QPushButton(tr("Restore..."), box);
  auto* grid = new QGridLayout(box);
  grid->addWidget(folderField_, 0, 0, 1, 3);
  grid->addWidget(messageField_, 1, 0, 1, 3);
  grid->addWidget(runButton_, 2, 0);
  grid->addWidget(choose, 2, 1);
  grid->addWidget(restore, 2, 2);
  connect(runButton_, &QPushButton::clicked, this, [this] { syncDiaryFolderAction(); });
  connect(choose, &QPushButton::clicked, this, [this] { setSyncFolderAction(); });
  // A folder typed into the field is kept as one chosen with the panel is.
  connect(folderField_, &QLineEdit::editingFinished, this, [this] { saveFolderField(); });
  connect(restore, &QPushButton::clicked, this, [this] { repairPreferences(); });
  connect(&countTimer_, &QTimer::timeout, this, [this] { countingSecond(); });
}

CalPrefBackup::~CalPrefBackup() {
  NotificationCenter::defaultCenter().removeObservers(this);
  if (worker_.joinable()) {
    backupRunning_ = false;
    pravella::terminateChildren(pravella::ChildKind::Rsync);
    worker_.join();
  }
}

void CalPrefBackup::sound(const char* name) {
  if (host_.playSound) host_.playSound(name);
}

void CalPrefBackup::onGui(std::function<void()> fn) {
  QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void CalPrefBackup::awakeFromNib() {
  QFile saved(pravella::backup::backupFolderFile());
  if (saved.open(QIODevice::ReadOnly)) folderField_->setText(QString::fromUtf8(saved.readAll()));
  savedFolder_ = folderField_->text().trimmed();
  backupRunning_ = false;
  countStatus_ = 0;
  timerCount_ = 0;
  countShown_ = false;
  countTimer_.start(1000);
  runButtonName_ = runButton_->text();
  auto& center = NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("backupDiaryPrefernce"), this,
                     [this](pravella::Notification&) { backupDiaryPrefernce(); });
  center.addObserver(QStringLiteral("cal_backupDiary"), this,
                     [this](pravella::Notification&) { syncDiaryFolderAction(); });
  center.addObserver(QStringLiteral("cal_killAllTask"), this,
                     [this](pravella::Notification&) { killRunningTask(); });
  center.addObserver(QStringLiteral("cal_killBackup"), this,
                     [this](pravella::Notification&) { killRsync(); });
  center.addObserver(QStringLiteral("cal_getBackupFolder"), this, [this](pravella::Notification&) {
    if (!pravella::answerString(folderField_->text())) pv_ErrorCheck = 1;
  });
}

void CalPrefBackup::syncDiaryFolderAction() {
  if (backupRunning_) return killRsync();
  if (worker_.joinable() && finished_) worker_.join();
  if (worker_.joinable()) return;  // still ending
  messageField_->clear();
  saveFolderField();
  const QString backup = folderField_->text().trimmed();
  if (const QString why = pravella::backup::refusalFor(pravella::paths::diary(), backup); !why.isEmpty()) {
    showErrMessageToConsole(("Backup: " + why + u'\n').toStdString());
    messageField_->showText(why, backup);
    sound("Basso");
    return;
  }
  backupRunning_ = true;
  finished_ = false;
  runButton_->setText(tr("Stop"));
  worker_ = std::thread([this, backup] { synchronise(backup); });
}

void CalPrefBackup::synchronise(QString backup) {
  const QString diary = pravella::paths::diary();
  const QString backupDiary = backup + QStringLiteral("/diary");
  const int manual = manualBackupStatus.load();
  int failed = 0;
  auto run = [&](const QString& from, const QString& to, const QString& folder) {
    pravella::ChildRequest request;
    request.kind = pravella::ChildKind::Rsync;
    request.program = QStringLiteral("rsync");
    request.arguments = pravella::backup::rsyncArguments(from, to, manual);
    request.workingFolder = folder;
    const pravella::ChildResult r = pravella::runChild(request, -1, [this] { return !backupRunning_; });
    // The first failure is the one reported: a pass that failed before it made the backup's
    // diary folder leaves the second nothing to start in.
    if (!r.started && failed == 0)
      failed = 127;
    else if (r.started && !r.stopped && r.exitCode != 0 && failed == 0)
      failed = r.exitCode < 0 ? 255 : r.exitCode;
    if (!r.errorOutput.isEmpty()) showErrMessageToConsole(r.errorOutput.toStdString());
  };
  onGui([this] {
    messageField_->setText(QStringLiteral("rsync is running (diary --> backup) : %1").arg(0, 4));
    timerCount_ = 0;
  });
  std::fputs("--------< Diary to Backup >--------\n", stdout);
  countStatus_ = 1;
  onGui([this] { sound("Ping"); });
  run(diary, backup, diary);
  onGui([this] { sound("Tink"); });
  if (backupRunning_) {
    std::fputs("--------< Backup to Diary >--------\n", stdout);
    countStatus_ = -1;
    onGui([this] { sound("Tink"); });
    // Its contents come back into the diary's own folder.
    run(backupDiary, pravella::paths::documents(), backupDiary);
  }
  const QString ending = pravella::backup::endingLine(!backupRunning_, failed);
  std::fputs(ending.toUtf8().constData(), stdout);
  std::fflush(stdout);
  onGui([this, ending, failed] {
    finishSynchronisation(ending);
    if (failed) sound("Basso");
  });
}

void CalPrefBackup::finishSynchronisation(const QString& ending) {
  messageField_->clear();
  if (!ending.contains(QLatin1String("Finished"))) messageField_->setText(ending.trimmed());
  // The field holds the ending now: the next second must not clear it as if it held the count.
  countShown_ = false;
  runButton_->setText(runButtonName_);
  auto& center = NotificationCenter::defaultCenter();
  for (const char* name : {"loadLancherData", "loadBookMarkData", "reloadCalNetWorkData", "reloadHostList"})
    center.post(QString::fromLatin1(name));
  sound("Ping");
  if (host_.refreshCalendar) host_.refreshCalendar();
  if (host_.showDiaryFiles) host_.showDiaryFiles();
  if (host_.selectDiaryFileFromNameAction && host_.nowDisplayedDocument)
    host_.selectDiaryFileFromNameAction(QFileInfo(host_.nowDisplayedDocument()).fileName());
  backupRunning_ = false;
  countStatus_ = 0;
  finished_ = true;
  emit synchronisationEnded();
}

void CalPrefBackup::waitForSynchronisation() {
  while (worker_.joinable() && !finished_) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  if (worker_.joinable()) worker_.join();
}

void CalPrefBackup::killRsync() {
  backupRunning_ = false;
  // Only the transfers this application started: never the user's own rsync.
  pravella::terminateChildren(pravella::ChildKind::Rsync);
}

void CalPrefBackup::killRunningTask() {
  sound("Tink");
  killRsync();
  for (const auto kind : {pravella::ChildKind::Wget, pravella::ChildKind::Curl, pravella::ChildKind::Rsync,
                          pravella::ChildKind::Ftp})
    pravella::terminateChildren(kind);
  sound("Ping");
}

void CalPrefBackup::setSyncFolderAction() {
  const QString chosen = pravella::dialogs::chooseFolder(host_.mainWindow, tr("Set Preferences Folder"),
                                                         pravella::backup::removableMediaFolder());
  if (chosen.isEmpty()) return;
  folderField_->setText(chosen);
  saveFolderField();
}

void CalPrefBackup::saveFolderField() {
  const QString folder = folderField_->text().trimmed();
  if (folder == savedFolder_) return;
  QDir().mkpath(pravella::paths::preferences());
  if (const pravella::WriteResult r =
          pravella::writeFileAtomically(pravella::backup::backupFolderFile(), folder.toUtf8());
      !r)
    showErrMessageToConsole(("Backup: " + r.error + u'\n').toStdString());
  else
    savedFolder_ = folder;
}

void CalPrefBackup::backupDiaryPrefernce() {
  if (prefBackupNeedStatua == 0) return;
  const QDate today = QDate::currentDate();
  if (pravella::backup::checkPrefBackupDate(today)) return;
  if (pravella::backup::backupPreferencesToPrefBackup(today) != pravella::backup::Rotation::Done) {
    showErrMessageToConsole(
        "Backup: the preferences could not be copied into PrefBackup; tried again at the next start.\n");
    sound("Basso");
  }
}

void CalPrefBackup::repairPreferences() {
  const QString chosen = pravella::dialogs::chooseFolder(host_.mainWindow, tr("Set Preferences Folder"),
                                                         pravella::backup::rotationFolder());
  if (chosen.isEmpty()) return;
  QString why;
  if (!pravella::backup::restorePreferences(chosen, &why)) {
    // Said in the drawer the user clicked in, not only on the console.
    messageField_->showText(why, chosen);
    showErrMessageToConsole(("Backup: " + why + u'\n').toStdString());
    sound("Basso");
    return;
  }
  messageField_->showText(tr("The preferences were restored from %1.").arg(chosen), chosen);
  auto& center = NotificationCenter::defaultCenter();
  for (const char* name : {"loadLancherData", "loadBookMarkData", "reloadCalNetWorkData", "reloadHostList"})
    center.post(QString::fromLatin1(name));
  sound("Ping");
}

void CalPrefBackup::countingSecond() {
  const int status = countStatus_;
  timerCount_ += status;
  if (status != 0) {
    messageField_->setText(
        QStringLiteral("rsync is running (%1) : %2")
            .arg(status < 0 ? QStringLiteral("backup --> diary") : QStringLiteral("diary --> backup"))
            .arg(timerCount_, 4));
    countShown_ = true;
  } else if (countShown_) {
    countShown_ = false;
    messageField_->clear();
  }
}
