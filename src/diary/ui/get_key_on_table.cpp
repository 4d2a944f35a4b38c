#include "diary/ui/get_key_on_table.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "diary/document_links.h"

getKeyOnTable::getKeyOnTable(QWidget* parent) : QTableWidget(parent) {}

QStringList getKeyOnTable::mimeTypes() const {
  return {QStringLiteral("text/plain"), QLatin1String(pravella::kBookmarkDragType)};
}

QMimeData* getKeyOnTable::mimeData(const QList<QTableWidgetItem*>& items) const {
  // The first dragged row.
  if (!delegate_ || items.isEmpty()) return QTableWidget::mimeData(items);
  if (QMimeData* data = delegate_->dragDataForRow(items.first()->row())) return data;
  return QTableWidget::mimeData(items);
}

void getKeyOnTable::mousePressEvent(QMouseEvent* event) {
  if (delegate_ && !selectionModel()->selectedRows().isEmpty() && (event->modifiers() & Qt::AltModifier))
    delegate_->selectDiaryWithOption(true);
  QTableWidget::mousePressEvent(event);
}

void getKeyOnTable::keyPressEvent(QKeyEvent* event) {
  if (!delegate_) {
    QTableWidget::keyPressEvent(event);
    return;
  }
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      delegate_->selectDiaryFileAction();
      break;
    case Qt::Key_Up:
      delegate_->fileListTableUp();
      break;
    case Qt::Key_Down:
      delegate_->fileListTableDown();
      break;
    case Qt::Key_Left:
      delegate_->calendarDecDay();
      setFocus(Qt::OtherFocusReason);  // the day changes; the keyboard stays in the list
      break;
    case Qt::Key_Right:
      delegate_->calendarIncDay();
      setFocus(Qt::OtherFocusReason);
      break;
    case Qt::Key_Backspace:  // the Delete key of the keyboard's main block
    case Qt::Key_Delete:     // forward delete
      delegate_->deleteFileAction();
      break;
    default:
      QTableWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}
