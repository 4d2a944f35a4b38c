#include "imaging/ui/cal_browser.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QMimeData>
#include <QUrl>

CalBrowser::CalBrowser(QWidget* parent) : QColumnView(parent) {
  setObjectName(QStringLiteral("fBrowser"));
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);  // no hidden files
  model_->setRootPath(QStringLiteral("/"));
  setModel(model_);
  setRootIndex(model_->index(QStringLiteral("/")));
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  viewport()->setAcceptDrops(true);
}

QString CalBrowser::path() const {
  const QModelIndex index = currentIndex();
  return index.isValid() ? model_->filePath(index) : QStringLiteral("/");
}

void CalBrowser::setPath(const QString& path) {
  const QModelIndex index = model_->index(path);
  if (!index.isValid()) return;
  setCurrentIndex(index);
}

void CalBrowser::resizeEvent(QResizeEvent* event) {
  QColumnView::resizeEvent(event);
  // Three columns in view.
  const int third = std::max(80, viewport()->width() / 3);
  setColumnWidths({third, third, third, third});
}

bool CalBrowser::viewportEvent(QEvent* event) {
  // Files dropped anywhere on the columns come here, not to the column under the cursor.
  switch (event->type()) {
    case QEvent::DragEnter:
      dragEnterEvent(static_cast<QDragEnterEvent*>(event));
      return true;
    case QEvent::DragMove:
      dragMoveEvent(static_cast<QDragMoveEvent*>(event));
      return true;
    case QEvent::Drop:
      dropEvent(static_cast<QDropEvent*>(event));
      return true;
    default:
      return QColumnView::viewportEvent(event);
  }
}

void CalBrowser::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    QColumnView::dragEnterEvent(event);
}

void CalBrowser::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    QColumnView::dragMoveEvent(event);
}

void CalBrowser::dropEvent(QDropEvent* event) {
  if (!dropFiles(event->mimeData()->urls())) return QColumnView::dropEvent(event);
  event->acceptProposedAction();
}

bool CalBrowser::dropFiles(const QList<QUrl>& urls) {
  if (urls.isEmpty() || !urls.first().isLocalFile()) return false;
  setPath(urls.first().toLocalFile());
  return true;
}
