#pragma once
// A folder panel answered as a user answers it, for a DialogWatchdog: `folder` typed into the
// panel's name field, then Choose; typed again should the panel still be filling its field
// when it shows.

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTest>

#include "support/dialog_watchdog.h"

namespace pravella::test {

inline void chooseFolderInPanels(DialogWatchdog& watchdog, const QString& folder) {
  watchdog.answerDialog(QStringLiteral("QFileDialog"), [folder](QDialog* dialog) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name->text() != folder) {
      name->setFocus();
      name->selectAll();
      QTest::keyClicks(name, folder);
      return false;
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
    return true;
  });
}

}  // namespace pravella::test
