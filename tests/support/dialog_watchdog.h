#pragma once
// Fails the running test when a modal dialog or message box shows up that the test did not
// ask for, and closes it, so that a GUI test fails instead of hanging on an unexpected dialog.
// The dialogs a test expects (by class name, "pravella::CalGrEdit") are let be.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace pravella::test {

class DialogWatchdog {
 public:
  explicit DialogWatchdog(QStringList expected = {}) {
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [expected] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || !dialog->isVisible()) continue;
        if (expected.contains(QString::fromLatin1(dialog->metaObject()->className()))) continue;
        ADD_FAILURE() << "unexpected dialog: " << dialog->windowTitle().toStdString() << " / "
                      << dialog->metaObject()->className();
        dialog->reject();
      }
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};

}  // namespace pravella::test
