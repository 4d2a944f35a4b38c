#include "imaging/ui/cal_sg_data.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QPainter>
#include <QVBoxLayout>

#include "platform/cformat.h"
#include "platform/ui/window_placement.h"

std::int32_t videoWindowStatus = 0;

std::int32_t checkVideoSequentialGrabberWindow() { return videoWindowStatus; }

namespace pravella {

CalSGQuickDrawView::CalSGQuickDrawView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 240);
  timer_.setInterval(100);
  connect(&timer_, &QTimer::timeout, this, &CalSGQuickDrawView::sgIdleTimer);
}

CalSGQuickDrawView::~CalSGQuickDrawView() { endGrab(); }

bool CalSGQuickDrawView::doSeqGrab() {
  noCamera_ = !grabber_.start();
  if (noCamera_) {
    update();
    return false;
  }
  timer_.start();
  return true;
}

void CalSGQuickDrawView::endGrab() {
  timer_.stop();
  grabber_.stop();
}

void CalSGQuickDrawView::sgIdleTimer() {
  const QImage frame = grabber_.latest();
  if (frame.isNull() || width() <= 0 || height() <= 0) return;
  // Frames of any size fill the view.
  QImage world = frame.scaled(size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                     .convertToFormat(QImage::Format_ARGB32);
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  const std::string stamp =
      cformat("%4d/%02d/%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
  QPainter painter(&world);
  QFont font = painter.font();
  font.setPixelSize(12);
  painter.setFont(font);
  // The text's background is painted, so the stamp stays legible on any picture.
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(Qt::white);
  painter.setPen(Qt::black);
  painter.drawText(QPoint(0, world.height() - 3), QString::fromStdString(stamp).left(63));
  painter.end();
  world_ = std::move(world);
  update();
}

void CalSGQuickDrawView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!world_.isNull()) {
    painter.drawImage(rect(), world_);
    return;
  }
  painter.fillRect(rect(), Qt::black);
  if (noCamera_) {
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, tr("No camera is available."));
  }
}

CalSGData::CalSGData(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("Video Capture"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  view_ = new CalSGQuickDrawView(this);
  layout->addWidget(view_);
  auto* copyAction = new QAction(tr("Copy"), this);
  copyAction->setShortcut(QKeySequence::Copy);
  copyAction->setObjectName(QStringLiteral("copyAction"));
  connect(copyAction, &QAction::triggered, this, &CalSGData::copy);
  addAction(copyAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  view_->doSeqGrab();
  videoWindowStatus = 1;
  pravella::placeBesideMainWindow(this, mainWindow);
  show();
}

CalSGData::~CalSGData() {
  view_->endGrab();
  videoWindowStatus = 0;
}

void CalSGData::copy() {
  if (view_->gworld().isNull()) return;
  QApplication::clipboard()->setImage(view_->gworld());
}

void CalSGData::closeEvent(QCloseEvent* event) {
  view_->endGrab();
  videoWindowStatus = 0;
  event->accept();
}

CalSGData* openVideoSequantialGrabber(QWidget* mainWindow) {
  if (checkVideoSequentialGrabberWindow() != 0) return nullptr;
  return new CalSGData(mainWindow);
}

}  // namespace pravella
