#pragma once
// Fails the running test when a modal dialog or message box shows up that the test did not
// ask for, and closes it, so that a GUI test fails instead of hanging on an unexpected dialog.
// The dialogs a test expects (by class name, "pravella::CalGrEdit") are let be. A test that
// expects a message box queues its answer (the text of a button): the next box that shows is
// answered by a click on that button, and its title is recorded.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <memory>

namespace pravella::test {

class DialogWatchdog {
 public:
  explicit DialogWatchdog(QStringList expected = {}) {
    state_->expected = std::move(expected);
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [state = state_] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || !dialog->isVisible()) continue;
        if (auto* box = qobject_cast<QMessageBox*>(dialog); box && !state->answers.empty()) {
          const QString wanted = state->answers.front();
          for (QAbstractButton* b : box->buttons()) {
            if (b->text() != wanted) continue;
            state->answers.pop_front();
            state->answered << box->windowTitle();
            b->click();
            break;
          }
          if (box->isVisible()) {
            ADD_FAILURE() << "no button " << wanted.toStdString() << " in " << box->text().toStdString();
            box->reject();
          }
          continue;
        }
        if (state->expected.contains(QString::fromLatin1(dialog->metaObject()->className()))) continue;
        ADD_FAILURE() << "unexpected dialog: " << dialog->windowTitle().toStdString() << " / "
                      << dialog->metaObject()->className();
        dialog->reject();
      }
    });
    timer_.start();
  }

  // Dialogs of this class (a save panel the test drives itself) are let be from now on.
  void expect(const QString& className) { state_->expected << className; }
  // The next message box is answered by a click on the button titled `button`.
  void answer(const QString& button) { state_->answers.push_back(button); }
  // The titles of the boxes answered so far.
  const QStringList& answered() const { return state_->answered; }
  // Answers queued and not used.
  std::size_t pending() const { return state_->answers.size(); }

 private:
  struct State {
    QStringList expected;
    std::deque<QString> answers;
    QStringList answered;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
  QTimer timer_;
};

}  // namespace pravella::test
