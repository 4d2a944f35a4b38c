#include "platform/ui/package_open_panel.h"

#include <QFileInfo>

#include "platform/rich_text_file.h"

namespace pravella {

namespace {

bool isPackage(const QString& path) { return isRtfdPackageName(path) && QFileInfo(path).isDir(); }

}  // namespace

PackageOpenPanel::PackageOpenPanel(QWidget* parent, const QString& title, const QString& folder, bool folders)
    : QFileDialog(parent, title, folder) {
  setOption(QFileDialog::DontUseNativeDialog);
  setWindowModality(Qt::WindowModal);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(folders ? QFileDialog::Directory : QFileDialog::ExistingFile);
  if (folders)
    setOption(QFileDialog::ShowDirsOnly);
  else
    connect(this, &QFileDialog::directoryEntered, this, &PackageOpenPanel::enteredFolder);
}

QString PackageOpenPanel::chosen() const {
  if (result() != QDialog::Accepted) return QString();
  if (!package_.isEmpty()) return package_;
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : files.constFirst();
}

void PackageOpenPanel::accept() {
  // Open, Return or a typed name on a package: the package is the file chosen.
  const QStringList files = selectedFiles();
  if (fileMode() == QFileDialog::ExistingFile && files.size() == 1 && isPackage(files.constFirst())) {
    package_ = QFileInfo(files.constFirst()).absoluteFilePath();
    QDialog::accept();
    return;
  }
  QFileDialog::accept();
}

void PackageOpenPanel::enteredFolder(const QString& folder) {
  // A double click opens a folder; on a package it chooses the package.
  if (!isPackage(folder) || result() == QDialog::Accepted) return;
  package_ = QFileInfo(folder).absoluteFilePath();
  QDialog::accept();
}

QString choosePathWithPackages(QWidget* parent, const QString& title, const QString& folder, bool folders) {
  PackageOpenPanel panel(parent, title, folder, folders);
  panel.exec();
  return panel.chosen();
}

}  // namespace pravella
