#pragma once
// Fails the running test when a modal dialog or message box shows up that the test did not
// ask for, and closes it, so that a GUI test fails instead of hanging on an unexpected dialog.
// The dialogs a test expects (by class name, "pravella::CalGrEdit") are let be; a test can also
// have the watchdog answer them, the way a user would, through the dialog's own widgets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace pravella::test {

class DialogWatchdog {
 public:
  // Acts on a shown dialog; false until it has done what it meant to (it is asked again at the
  // next look, as long as the dialog stays open).
  using Answer = std::function<bool(QDialog*)>;

  explicit DialogWatchdog(QStringList expected = {}) : state_(std::make_shared<State>()) {
    state_->expected = std::move(expected);
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [state = state_] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || !dialog->isVisible()) continue;
        const QString name = QString::fromLatin1(dialog->metaObject()->className());
        if (state->answers.contains(name)) {
          if (state->answered.contains(dialog)) continue;
          if (state->answers.value(name)(dialog)) state->answered.append(dialog);
          continue;
        }
        if (state->expected.contains(name)) continue;
        ADD_FAILURE() << "unexpected dialog: " << dialog->windowTitle().toStdString() << " / "
                      << dialog->metaObject()->className();
        dialog->reject();
      }
    });
    timer_.start();
  }

  // Dialogs of `className` are expected, and `answer` acts on each one shown.
  void answer(const QString& className, Answer answer) {
    state_->answers.insert(className, std::move(answer));
  }

 private:
  struct State {
    QStringList expected;
    QHash<QString, Answer> answers;
    QList<QPointer<QDialog>> answered;
  };
  std::shared_ptr<State> state_;
  QTimer timer_;
};

}  // namespace pravella::test
