#pragma once
// Fails the running test when a modal dialog or message box shows up that the test did not
// ask for, and closes it, so that a GUI test fails instead of hanging on an unexpected dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

namespace pravella::test {

class DialogWatchdog {
 public:
  DialogWatchdog() {
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || !dialog->isVisible()) continue;
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
