#include "net/ftp/ui/ftp_file_table.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

#include "platform/notification_center.h"

ftpFileTable::ftpFileTable(QWidget* parent) : QTableWidget(0, 1, parent) {
  setObjectName(QStringLiteral("filesTableView"));
  setHorizontalHeaderLabels({QStringLiteral("file")});
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  // A long line loses its middle, not the name at its end; the tooltip holds it whole.
  setTextElideMode(Qt::ElideMiddle);
  QFont fixed(QStringLiteral("Monospace"));
  fixed.setStyleHint(QFont::TypeWriter);
  setFont(fixed);
}

void ftpFileTable::showLines(const QStringList& lines) {
  clearSelection();
  setRowCount(int(lines.size()));
  for (int r = 0; r < lines.size(); ++r) {
    auto* item = new QTableWidgetItem(lines[r]);
    item->setToolTip(lines[r]);
    setItem(r, 0, item);
  }
  if (!lines.isEmpty()) scrollToTop();
}

QList<int> ftpFileTable::selectedRowNumbers() const {
  QList<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  return rows;
}

int ftpFileTable::selectedRow() const {
  const QList<int> rows = selectedRowNumbers();
  if (rows.isEmpty()) return -1;
  const int current = currentRow();
  return rows.contains(current) ? current : rows.first();
}

void ftpFileTable::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton)
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("ftpChangeDirectory"));
}
