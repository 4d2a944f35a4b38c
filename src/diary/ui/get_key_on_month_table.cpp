#include "diary/ui/get_key_on_month_table.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

getKeyOnMonthTable::getKeyOnMonthTable(QWidget* parent) : QTableWidget(parent) {
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
}

QStringList getKeyOnMonthTable::mimeTypes() const {
  return {QStringLiteral("text/plain"), QStringLiteral("text/uri-list")};
}

QMimeData* getKeyOnMonthTable::mimeData(const QList<QTableWidgetItem*>& items) const {
  // Only the first dragged row counts.
  if (!delegate_ || items.isEmpty()) return QTableWidget::mimeData(items);
  if (QMimeData* data = delegate_->dragDataForRow(items.first()->row())) return data;
  return QTableWidget::mimeData(items);
}

void getKeyOnMonthTable::mousePressEvent(QMouseEvent* event) {
  const bool option = delegate_ && event->modifiers().testFlag(Qt::AltModifier);
  const bool onRow = indexAt(event->position().toPoint()).isValid();
  if (option) delegate_->openMainViewSwtich(true);
  QTableWidget::mousePressEvent(event);
  if (delegate_ && onRow && event->button() == Qt::LeftButton) delegate_->selectMonthDiaryAction();
  if (option) delegate_->openMainViewSwtich(false);
}

void getKeyOnMonthTable::keyPressEvent(QKeyEvent* event) {
  if (!delegate_ || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    QTableWidget::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Up:
      delegate_->monthTableListUp();
      break;
    case Qt::Key_Down:
      delegate_->monthTableListDown();
      break;
    default:
      QTableWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}
