#include "imaging/ui/cv_tracking_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/notification_center.h"
#include "platform/ui/sound_player.h"

namespace pravella {

CvTrackingWindow::CvTrackingWindow(std::shared_ptr<video::TrackingChannel> channel, QWidget* parent)
    : QWidget(parent, Qt::Window), channel_(std::move(channel)) {
  setWindowTitle(QString::fromLatin1(video::kTrackingWindowTitle));
  setAttribute(Qt::WA_DeleteOnClose);
  setFocusPolicy(Qt::StrongFocus);
  resize(320, 240);
  // The run calls this from its thread under the channel's lock; the destructor removes it
  // under the same lock, so the window is alive whenever it is called.
  channel_->setListener([this] { QMetaObject::invokeMethod(this, &CvTrackingWindow::refresh, Qt::QueuedConnection); });
  channel_->setSoundPlayer([](const char* name) { playFeedbackSound(QString::fromLatin1(name)); });
}

CvTrackingWindow::~CvTrackingWindow() { channel_->windowClosed(); }

void CvTrackingWindow::refresh() {
  const QImage frame = channel_->frame();
  if (!frame.isNull() && frame.constBits() != shown_.constBits()) {
    // The window takes the image's size, as the library's autosized window did.
    if (shown_.size() != frame.size()) setFixedSize(frame.size());
    shown_ = frame;
    update();
    emit frameShown(shown_);
  }
  // The last frame is shown before the run's end closes the window.
  if (channel_->finished()) close();
}

void CvTrackingWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (shown_.isNull())
    painter.fillRect(rect(), Qt::black);
  else
    painter.drawImage(0, 0, shown_);
}

void CvTrackingWindow::keyPressEvent(QKeyEvent* event) {
  int key = -1;
  if (event->key() == Qt::Key_Escape)
    key = video::kEscapeKey;
  else if (event->key() == Qt::Key_Space)
    key = ' ';
  else if (!event->text().isEmpty())
    key = event->text().at(0).toLatin1();
  if (key <= 0) return QWidget::keyPressEvent(event);
  channel_->pushKey(key);
}

void CvTrackingWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  channel_->pushClick(at.x(), at.y());
}

void CvTrackingWindow::closeEvent(QCloseEvent* event) {
  channel_->windowClosed();
  event->accept();
}

CvTrackingWindows::CvTrackingWindows(QWidget* mainWindow) : QObject(mainWindow), mainWindow_(mainWindow) {
  NotificationCenter::defaultCenter().addObserver(
      QString::fromLatin1(video::kOpenTrackingWindow), this, [this](Notification& note) {
        auto* carrier = dynamic_cast<video::TrackingChannelCarrier*>(note.object);
        if (!carrier) return;
        auto* window = new CvTrackingWindow(carrier->channel(), mainWindow_);
        window->show();
        window->raise();
        window->activateWindow();
        window->setFocus();
        emit windowOpened(window);
      });
}

CvTrackingWindows::~CvTrackingWindows() { NotificationCenter::defaultCenter().removeObservers(this); }

}  // namespace pravella
