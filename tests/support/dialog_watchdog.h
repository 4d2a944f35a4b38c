#pragma once
// Fails the running test when a modal dialog or message box shows up that the test did not
// ask for, and closes it, so that a GUI test fails instead of hanging on an unexpected dialog.
// The dialogs a test expects (by class name, "pravella::CalGrEdit") are let be. A test that
// expects a message box queues its answer (the text of a button): the next box that shows is
// answered by a click on that button, and its title is recorded. A test can also have the
// watchdog answer a dialog of a class (a file panel) the way a user would, through the
// dialog's own widgets.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QHash>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>

namespace pravella::test {

class DialogWatchdog {
 public:
  // Acts on a shown dialog; false until it has done what it meant to (it is asked again at the
  // next look, as long as the dialog stays open).
  using DialogAnswer = std::function<bool(QDialog*)>;

  explicit DialogWatchdog(QStringList expected = {}) {
    state_->expected = std::move(expected);
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [state = state_] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || !dialog->isVisible()) continue;
        const QString name = QString::fromLatin1(dialog->metaObject()->className());
        if (state->dialogAnswers.contains(name)) {
          if (state->dialogsAnswered.contains(dialog)) continue;
          if (state->dialogAnswers.value(name)(dialog)) state->dialogsAnswered.append(dialog);
          continue;
        }
        if (auto* box = qobject_cast<QMessageBox*>(dialog); box && !state->answers.empty()) {
          const QString wanted = state->answers.front();
          if (wanted == QLatin1String(kEscapeKey)) {
            state->answers.pop_front();
            state->answered << box->windowTitle();
            state->texts << box->text();
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Escape);
            if (box->isVisible()) {
              ADD_FAILURE() << "Escape did not close " << box->text().toStdString();
              box->reject();
            }
            continue;
          }
          for (QAbstractButton* b : box->buttons()) {
            if (b->text() != wanted) continue;
            state->answers.pop_front();
            state->answered << box->windowTitle();
            state->texts << box->text();
            b->click();
            break;
          }
          if (box->isVisible()) {
            ADD_FAILURE() << "no button " << wanted.toStdString() << " in " << box->text().toStdString();
            box->reject();
          }
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

  // Dialogs of this class (a save panel the test drives itself) are let be from now on.
  void expect(const QString& className) { state_->expected << className; }
  // The next message box is answered by a click on the button titled `button`.
  void answer(const QString& button) { state_->answers.push_back(button); }
  // The next message box is answered by the Escape key, as a user leaves a question.
  void escape() { state_->answers.push_back(QLatin1String(kEscapeKey)); }
  // The messages of the boxes answered so far.
  const QStringList& answeredTexts() const { return state_->texts; }
  // The titles of the boxes answered so far.
  const QStringList& answered() const { return state_->answered; }
  // Answers queued and not used.
  std::size_t pending() const { return state_->answers.size(); }

  // Dialogs of `className` are expected, and `answer` acts on each one shown.
  void answerDialog(const QString& className, DialogAnswer answer) {
    state_->dialogAnswers.insert(className, std::move(answer));
  }

 private:
  static constexpr const char* kEscapeKey = "\x1b";
  struct State {
    QStringList expected;
    QStringList texts;
    std::deque<QString> answers;
    QStringList answered;
    QHash<QString, DialogAnswer> dialogAnswers;
    QList<QPointer<QDialog>> dialogsAnswered;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
  QTimer timer_;
};

}  // namespace pravella::test
