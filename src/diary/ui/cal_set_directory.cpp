#include "diary/ui/cal_set_directory.h"

#include <QFileDialog>
#include <QWidget>

#include "diary/working_folder.h"
#include "platform/notification_center.h"

CalSetDirectory::CalSetDirectory(QWidget* mainWindow, QObject* parent)
    : QObject(parent), mainWindow_(mainWindow) {}

CalSetDirectory::~CalSetDirectory() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (sheet_) sheet_->deleteLater();
}

void CalSetDirectory::awakeFromNib() {
  pravella::initWorkingFolder();
  pravella::NotificationCenter::defaultCenter().addObserver(
      QStringLiteral("cal_chageCurrentDirectory"), this,
      [this](pravella::Notification&) { setCurrentDirectoryAction(); });
}

void CalSetDirectory::setCurrentDirectoryAction() {
  if (sheet_) {  // one sheet at a time, as a window carries only one
    sheet_->raise();
    return;
  }
  auto* dialog =
      new QFileDialog(mainWindow_, QStringLiteral("Set Preferences Folder"), pravella::workingFolder());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setWindowModality(Qt::WindowModal);
  connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
    sheet_ = nullptr;
    const QStringList chosen = dialog->selectedFiles();
    chosen_ = chosen.isEmpty() ? QString() : chosen.first();
    didEndSetCurrentDirectoryAction(result == QDialog::Accepted ? 1 : 0);
  });
  sheet_ = dialog;
  dialog->open();
}

void CalSetDirectory::didEndSetCurrentDirectoryAction(int returnCode) {
  if (returnCode != 1 || chosen_.isEmpty()) return;
  // A path too long for the buffer, or a change while a program runs, is not taken.
  const bool taken = pravella::setWorkingFolder(chosen_);
  if (playSound_) playSound_(taken ? "Tink" : "Basso");
}
