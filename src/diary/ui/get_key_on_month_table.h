#pragma once
// The month diary list's table: the up and down arrows move through the rows, a click shows the
// clicked row's document, and a click with Alt (Option) shows it in the main memo even while the
// row memo view is open. A dragged row carries what the list controller makes of it.

#include <QTableWidget>

// What the table asks of the month list controller.
class MonthTableDelegate {
 public:
  virtual ~MonthTableDelegate() = default;
  virtual void monthTableListUp() = 0;
  virtual void monthTableListDown() = 0;
  virtual void openMainViewSwtich(bool on) = 0;
  virtual void selectMonthDiaryAction() = 0;
  // What a dragged row carries; null for nothing.
  virtual QMimeData* dragDataForRow(int row) const = 0;
};

class getKeyOnMonthTable : public QTableWidget {
  Q_OBJECT
 public:
  explicit getKeyOnMonthTable(QWidget* parent = nullptr);
  void setDelegate(MonthTableDelegate* delegate) { delegate_ = delegate; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
  QStringList mimeTypes() const override;

 private:
  MonthTableDelegate* delegate_ = nullptr;
};
