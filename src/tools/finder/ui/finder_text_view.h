#pragma once
// FinderTextView: the finder sheet's text view, where documents are shown and edited. It tells
// the sheet of every edit (the sheet keeps the unsaved state) and is one of the views the
// search window copies its selection from.

#include <QPointer>
#include <QTextEdit>

#include "tools/finder/ui/cal_finder.h"

class FinderTextView : public QTextEdit {
  Q_OBJECT
 public:
  explicit FinderTextView(QWidget* parent = nullptr);

  void setCalendarFinder(CalFinder* finder) { calendarFinder_ = finder; }
  CalFinder* calendarFinder() const { return calendarFinder_; }

 private:
  QPointer<CalFinder> calendarFinder_;
};
