#include "imaging/ui/sub_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>
#include <QVBoxLayout>

#include <cmath>

#include "imaging/ui/program_window_anchor.h"
#include "imaging/ui/sub_window_list.h"
#include "platform/ui/window_placement.h"

namespace pravella::imaging {

SubWindowImageView::SubWindowImageView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void SubWindowImageView::setImage(const QImage& image) {
  image_ = image;
  update();
}

void SubWindowImageView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  if (image_.isNull()) return;
  // The picture fills the view: the window keeps its proportions.
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(rect(), image_);
}

SubWindow::SubWindow() {
  window_ = new QWidget(nullptr, Qt::Window);
  window_->setAttribute(Qt::WA_DeleteOnClose);
  setParent(window_);
  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(0, 0, 0, 0);
  imageView_ = new SubWindowImageView(window_);
  layout->addWidget(imageView_);
  auto* copyKey = new QShortcut(QKeySequence::Copy, window_);
  connect(copyKey, &QShortcut::activated, this, &SubWindow::copy);
  window_->installEventFilter(this);
  subwindowID() = this;
}

SubWindow::~SubWindow() {
  // However the window went, its title must not find it again.
  const SubWindowPointer self(this);
  const QString title = subWindowList().titleOf(self);
  if (subWindowList().contains(self)) deleteSubWindowListForKey(title);
}

void SubWindow::orderFront() {
  if (!window_) return;
  window_->show();
  window_->raise();
}

void SubWindow::setImageToSubWindow(const QImage& image, const QString& title) {
  imageSize_ = QSizeF(image.width(), image.height());
  resizing_ = true;
  const QSize size(std::max(image.width(), 1), std::max(image.height(), 1));
  pravella::requestGeometry(window_, QRect(pravella::requestedGeometry(window_).topLeft(), size));
  placeBesideMainWindow(window_, programWindowAnchor());
  pravella::keepOnScreen(window_);  // a picture larger than the screen shows in a window that is not
  resizing_ = false;
  window_->setWindowTitle(title);
  imageView_->setImage(image);
  orderFront();
}

void SubWindow::setImageToSubWindowNoTitle(const QImage& image) {
  orderFront();
  imageView_->setImage(image);
}

bool SubWindow::windowShouldClose() {
  if (window_) deleteSubWindowListForKey(window_->windowTitle());
  return true;
}

void SubWindow::closePictWindow() {
  if (!window_) return;
  deleteSubWindowListForKey(window_->windowTitle());
  window_->close();
}

void SubWindow::movePictWindow(double x, double y) {
  orderFront();
  if (!window_ || std::isnan(x) || std::isnan(y)) return;
  // Whole pixels toward zero, as a program's place has always been taken.
  pravella::moveOnScreen(window_, std::trunc(x), anchorFrame().y() + std::trunc(y));
  imageView_->update();
}

void SubWindow::sizePictWindow(double width, double height) {
  orderFront();
  if (!window_ || !(width >= 1 && height >= 1)) return;
  resizing_ = true;
  pravella::resizeOnScreen(window_, width, height);
  resizing_ = false;
  imageView_->update();
}

void SubWindow::copy() {
  if (!imageView_) return;
  QApplication::clipboard()->setImage(imageView_->grab().toImage());
}

void SubWindow::keepProportions() {
  if (!window_ || imageSize_.isEmpty()) return;
  const int wanted = static_cast<int>(window_->width() * imageSize_.height() / imageSize_.width() + 0.5);
  if (std::abs(wanted - window_->height()) <= 1) return;
  resizing_ = true;
  window_->resize(window_->width(), wanted);
  resizing_ = false;
}

bool SubWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    if (event->type() == QEvent::Close && !windowShouldClose()) {
      event->ignore();
      return true;
    }
    // Only a resize by hand keeps the first picture's proportions; a program sizes freely, and
    // the window system's answer to its size is no resize by hand.
    if (event->type() == QEvent::Resize && event->spontaneous() && !resizing_ &&
        !pravella::answersRequest(window_, static_cast<QResizeEvent*>(event)->size()))
      keepProportions();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace pravella::imaging
