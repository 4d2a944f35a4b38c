#pragma once
// FinderTextView: the finder sheet's text view, where documents are shown and edited. It tells
// the sheet of every edit (the sheet keeps the unsaved state) and is one of the views the
// search window copies its selection from. Enter (the keypad key) or Escape runs the code at
// the caret on the main memo's engine, the result inserted behind it here; a double click
// inside "[...]" follows a diary link (finder_text_actions.h). Copy and paste are the memo's.

#include <QPointer>

#include "editors/ui/memo_edit.h"
#include "tools/finder/ui/cal_finder.h"

class FinderTextView : public pravella::MemoEdit {
  Q_OBJECT
 public:
  explicit FinderTextView(QWidget* parent = nullptr);

  void setCalendarFinder(CalFinder* finder) { calendarFinder_ = finder; }
  CalFinder* calendarFinder() const { return calendarFinder_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QPointer<CalFinder> calendarFinder_;
};
