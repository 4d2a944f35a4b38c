#pragma once
// The open panel for documents: an RTFD document, which on disk is a folder, is chosen as one
// file (a double click, Open or its typed name picks it) instead of being opened as a folder.

#include <QFileDialog>

namespace pravella {

class PackageOpenPanel : public QFileDialog {
  Q_OBJECT
 public:
  // A window-modal panel for one existing file; `folders` makes it choose a folder instead.
  PackageOpenPanel(QWidget* parent, const QString& title, const QString& folder, bool folders = false);

  // The chosen file or package; empty when cancelled.
  QString chosen() const;

  void accept() override;

 private:
  void enteredFolder(const QString& folder);

  QString package_;
};

// Runs the panel; the chosen path, or empty when cancelled.
QString choosePathWithPackages(QWidget* parent, const QString& title, const QString& folder, bool folders);

}  // namespace pravella
