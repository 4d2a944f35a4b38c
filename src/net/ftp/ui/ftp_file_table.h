#pragma once
// ftpFileTable: the remote listing of the FTP sheet, one column "file" holding each listing
// line as the server printed it (elided in the middle, whole in its tooltip). A double click posts "ftpChangeDirectory", which the FTP
// controller observes to enter the entry.

#include <QStringList>
#include <QTableWidget>

class ftpFileTable : public QTableWidget {
  Q_OBJECT
 public:
  explicit ftpFileTable(QWidget* parent = nullptr);

  // Shows the lines: nothing selected, row 0 scrolled into view.
  void showLines(const QStringList& lines);
  // The selected rows in ascending order.
  QList<int> selectedRowNumbers() const;
  // The row the actions act on: the current row when selected, else the first selected, else -1.
  int selectedRow() const;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};
