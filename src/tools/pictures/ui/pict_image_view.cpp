#include "tools/pictures/ui/pict_image_view.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>

#include "platform/notification_center.h"
#include "tools/pictures/picture_geometry.h"

PictImageView::PictImageView(QWidget* parent) : QWidget(parent) {
  setAcceptDrops(true);
  setMinimumSize(120, 90);
}

void PictImageView::setImage(const QImage& image) {
  image_ = image;
  update();
}

void PictImageView::setActualSize(bool on) {
  actualSize_ = on;
  update();
}

void PictImageView::setMagnification(double m) {
  magnification_ = m;
  update();
}

void PictImageView::resetPositionInImageView() {
  xPoint_ = QPointF();
  update();
}

void PictImageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (actualSize_) {
    painter.fillRect(rect(), Qt::black);
    const QRectF source = pravella::panSourceRect(image_.size(), size(), magnification_, xPoint_);
    if (!source.isEmpty()) painter.drawImage(QRectF(rect()), image_, source);
    return;
  }
  // Fit: scaled down (never up) with the aspect kept, centred.
  QSizeF fitted = image_.size();
  if (fitted.width() > width() || fitted.height() > height()) fitted.scale(size(), Qt::KeepAspectRatio);
  const QRectF target((width() - fitted.width()) / 2, (height() - fitted.height()) / 2, fitted.width(),
                      fitted.height());
  painter.drawImage(target, image_);
}

void PictImageView::mousePressEvent(QMouseEvent* event) { yPoint_ = event->position(); }

void PictImageView::mouseMoveEvent(QMouseEvent* event) {
  if (!actualSize_) return;
  xPoint_ = pravella::pannedBy(xPoint_, yPoint_, event->position());
  yPoint_ = event->position();
  update();
}

void PictImageView::mouseReleaseEvent(QMouseEvent*) {
  if (actualSize_) yPoint_ = QPointF();
}

void PictImageView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void PictImageView::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void PictImageView::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  takeDroppedPaths(paths);
}

void PictImageView::takeDroppedPaths(const QStringList& paths) {
  dropped_ = paths;
  // The drop returns at once; listing a folder may take a while.
  QTimer::singleShot(100, this, [this] { doingDragOperation(); });
}

void PictImageView::doingDragOperation() {
  const QStringList paths = std::exchange(dropped_, {});
  for (const QString& path : paths)
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("openPictImageFolder"), path);
}
