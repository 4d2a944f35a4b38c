#pragma once
// CalCalBC: the memo's two calculate buttons. "Calc" runs the memo language on the selection;
// "bc" hands the selected lines to bc and puts its answer behind them, selected. bc runs
// without holding the window, at most one at a time, and is stopped after 10 seconds (a loop
// in the selection); the answer goes behind the selection as it stood when the action began.

#include <QObject>
#include <QPointer>
#include <QTextCursor>

class QTextEdit;
class QWidget;

class CalCalBC : public QObject {
  Q_OBJECT
 public:
  explicit CalCalBC(QTextEdit* memoView, QObject* parent = nullptr);
  ~CalCalBC() override;

  QWidget* controls() const { return controls_; }
  void awakeFromNib();

  void CalBCAction();
  // False when nothing was started (no selection, a bc running, or it could not start).
  bool CalBCMemoAction();
  bool running() const { return running_; }
  void setTimeLimitForTests(int ms) { timeLimitMs_ = ms; }

 signals:
  void answered();

 private:
  QPointer<QTextEdit> memoView_;
  QWidget* controls_ = nullptr;
  QTextCursor behind_;  // the end of the selection, following edits made meanwhile
  bool running_ = false;
  int timeLimitMs_ = 10000;
  int runs_ = 0;
};
