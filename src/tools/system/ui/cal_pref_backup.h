#pragma once
// CalPrefBackup: synchronises the diary with a backup folder (rsync there and back on a worker,
// a count of seconds in the message field), makes the day's preferences generation at launch,
// restores a generation, and stops the transfers this application started.

#include <QObject>
#include <QTimer>

#include <atomic>
#include <thread>

#include "tools/ui/desk_tool_host.h"

class QLineEdit;
class QPushButton;
class QWidget;
namespace pravella {
class ElidedLabel;
}

class CalPrefBackup : public QObject {
  Q_OBJECT
 public:
  explicit CalPrefBackup(const pravella::DeskToolHost& host, QObject* parent = nullptr);
  ~CalPrefBackup() override;

  // The controls, laid out in one group for the tool drawer.
  QWidget* controls() const { return controls_; }
  void awakeFromNib();

  void syncDiaryFolderAction();
  void killRsync();
  void killRunningTask();
  void setSyncFolderAction();
  void backupDiaryPrefernce();
  void repairPreferences();
  void countingSecond();

  bool backupRunning() const { return backupRunning_; }
  bool synchronising() const { return worker_.joinable() && !finished_; }
  // Waits for a running synchronisation (tests and quitting).
  void waitForSynchronisation();

  QLineEdit* syncFolderNameField() const { return folderField_; }
  // What the last synchronisation or restore came to; it stays until the user acts again.
  pravella::ElidedLabel* messageField() const { return messageField_; }
  const QTimer& countTimer() const { return countTimer_; }
  QPushButton* syncRunButton() const { return runButton_; }

 signals:
  void synchronisationEnded();

 private:
  void synchronise(QString backup);  // the worker
  void onGui(std::function<void()> fn);
  void finishSynchronisation(const QString& ending);
  void sound(const char* name);
  // Writes the field's folder to the preferences when it differs from what is written there.
  void saveFolderField();

  pravella::DeskToolHost host_;
  QWidget* controls_ = nullptr;
  QLineEdit* folderField_ = nullptr;
  QString savedFolder_;  // what the preferences hold, so that an unchanged field writes nothing
  pravella::ElidedLabel* messageField_ = nullptr;
  QPushButton* runButton_ = nullptr;
  QString runButtonName_;
  QTimer countTimer_;
  std::atomic<bool> backupRunning_{false};
  std::atomic<int> countStatus_{0};
  int timerCount_ = 0;
  bool countShown_ = false;  // the field shows the count, which the next second may clear
  std::thread worker_;
  std::atomic<bool> finished_{true};
};
