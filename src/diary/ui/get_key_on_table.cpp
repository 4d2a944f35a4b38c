#include "diary/ui/get_key_on_table.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

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

// ---------------------------------------------------------------- files dropped from outside

bool getKeyOnTable::carriesFiles(const QMimeData* data) {
  if (!data || !data->hasUrls()) return false;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return true;
  return false;
}

void getKeyOnTable::setNowDrag(bool on) {
  if (nowDrag_ == on) return;
  nowDrag_ = on;
  viewport()->update();
}

void getKeyOnTable::dragEnterEvent(QDragEnterEvent* event) {
  // A row dragged within the list stays the table's own business.
  if (event->source() == this || !carriesFiles(event->mimeData())) return QTableWidget::dragEnterEvent(event);
  setNowDrag(true);
  event->setDropAction(Qt::LinkAction);
  event->accept();
}

void getKeyOnTable::dragMoveEvent(QDragMoveEvent* event) {
  if (!nowDrag_) return QTableWidget::dragMoveEvent(event);
  event->setDropAction(Qt::LinkAction);
  event->accept();
}

void getKeyOnTable::dragLeaveEvent(QDragLeaveEvent* event) {
  setNowDrag(false);
  QTableWidget::dragLeaveEvent(event);
}

void getKeyOnTable::dropEvent(QDropEvent* event) {
  if (event->source() == this || !carriesFiles(event->mimeData())) {
    setNowDrag(false);
    return QTableWidget::dropEvent(event);
  }
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  setNowDrag(false);
  event->setDropAction(Qt::LinkAction);
  event->accept();
  if (delegate_) delegate_->filesDropped(paths);
}

void getKeyOnTable::paintEvent(QPaintEvent* event) {
  QTableWidget::paintEvent(event);
  if (!nowDrag_) return;
  QPainter painter(viewport());
  painter.setPen(QPen(Qt::red, 2.0));
  painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
}
