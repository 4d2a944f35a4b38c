#include "tools/pictures/ui/full_screen_window.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/notification_center.h"
#include "tools/pictures/picture_geometry.h"

namespace {

void post(const char* name) {
  pravella::NotificationCenter::defaultCenter().post(QString::fromLatin1(name));
}

}  // namespace

FullScreenView::FullScreenView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void FullScreenView::setImage(const QImage& image) {
  image_ = image;
  update();
}

void FullScreenView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (image_.isNull()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(pravella::letterboxRect(image_.size(), size()), image_);
}

void FullScreenView::mousePressEvent(QMouseEvent*) { post("EndSlideShow"); }

FullScreenWindow::FullScreenWindow()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      view_(new FullScreenView(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  setFocusPolicy(Qt::StrongFocus);
}

void FullScreenWindow::fillScreenAndShow() {
  if (QScreen* s = screen()) setGeometry(s->geometry());
  show();
  raise();
  activateWindow();
  setFocus();
}

void FullScreenWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape: return post("EndSlideShow");
    case Qt::Key_Up: return post("pictListUp");
    case Qt::Key_Down: return post("pictListDown");
    case Qt::Key_Left: return post("slideShowActionBack");
    case Qt::Key_Right: return post("slideShowAction");
    default: return;  // other keys are ignored, not passed on
  }
}

void FullScreenWindow::mousePressEvent(QMouseEvent*) { post("stopSlideShow"); }
