#include "imaging/ui/get_key_on_roi_table.h"

#include <QKeyEvent>

#include "platform/notification_center.h"

getKeyOnROITable::getKeyOnROITable(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void getKeyOnROITable::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    pravella::NotificationCenter::defaultCenter().post(
        event->key() == Qt::Key_Up ? QStringLiteral("ROIListUp") : QStringLiteral("ROIListDown"));
    return;
  }
  QTableView::keyPressEvent(event);
}
