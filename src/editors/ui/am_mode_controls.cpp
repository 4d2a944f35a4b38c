#include "editors/ui/am_mode_controls.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <string>

#include "editors/dropped_files_path.h"
#include "platform/notification_center.h"

namespace pravella {

void postAboutControl(const char* name, QObject* control) {
  Notification n;
  n.name = QString::fromLatin1(name);
  n.object = control;
  NotificationCenter::defaultCenter().post(n);
}

bool AmModeMoveTracker::press(QWidget* control, const QMouseEvent* event) {
  last_ = event->globalPosition();
  moved_ = false;
  optionPress_ = (event->modifiers() & Qt::AltModifier) != 0;
  if (optionPress_) postAboutControl("findButtonPositionInSource", control);
  return optionPress_;
}

bool AmModeMoveTracker::drag(QWidget* control, const QMouseEvent* event) {
  if (!(event->modifiers() & Qt::AltModifier)) return false;
  const QPoint step = (event->globalPosition() - last_).toPoint();
  control->move(control->pos() + step);
  last_ += QPointF(step);
  if (control->parentWidget()) control->parentWidget()->update();
  moved_ = true;
  return true;
}

bool AmModeMoveTracker::release(QWidget* control) {
  last_ = {};
  const bool option = optionPress_;
  optionPress_ = false;
  if (moved_) {
    moved_ = false;
    postAboutControl("findAndMoveButtonInSource", control);
  }
  return option;
}

// ---- AmModeButton

AmModeButton::AmModeButton(Kind kind, QWidget* parent) : QAbstractButton(parent), kind_(kind) {
  setCheckable(kind != Kind::Push);
  setAutoExclusive(false);
  setAcceptDrops(true);  // refused unless the tag is 1
}

void AmModeButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOptionButton opt;
  opt.initFrom(this);
  opt.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
  opt.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
  if (titleColour_.isValid()) {
    opt.palette.setColor(QPalette::ButtonText, titleColour_);
    opt.palette.setColor(QPalette::WindowText, titleColour_);
  }
  if (titleFont_) p.setFont(*titleFont_);
  if (kind_ != Kind::Push) {
    opt.text = text();
    opt.fontMetrics = p.fontMetrics();
    style()->drawControl(kind_ == Kind::Switch ? QStyle::CE_CheckBox : QStyle::CE_RadioButton, &opt, &p, this);
    return;
  }
  if (bordered_) {
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
  } else if (isDown()) {
    p.fillRect(rect(), palette().highlight());
  }
  p.setPen(opt.palette.color(QPalette::ButtonText));
  p.drawText(rect().adjusted(4, 0, -4, 0), static_cast<int>(align_ | Qt::AlignVCenter), text());
}

void AmModeButton::mousePressEvent(QMouseEvent* event) {
  if (tracker_.press(this, event)) return;
  QAbstractButton::mousePressEvent(event);
}

void AmModeButton::mouseMoveEvent(QMouseEvent* event) {
  if (tracker_.drag(this, event)) return;
  QAbstractButton::mouseMoveEvent(event);
}

void AmModeButton::mouseReleaseEvent(QMouseEvent* event) {
  if (tracker_.release(this)) return;
  QAbstractButton::mouseReleaseEvent(event);
}

void AmModeButton::dragEnterEvent(QDragEnterEvent* event) {
  if (tag_ == 0 || !event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  setDown(true);
}

void AmModeButton::dragMoveEvent(QDragMoveEvent* event) {
  if (tag_ == 0 || !event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

void AmModeButton::dragLeaveEvent(QDragLeaveEvent*) { setDown(false); }

void AmModeButton::dropEvent(QDropEvent* event) {
  setDown(false);
  if (tag_ == 0 || !event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  std::string paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    paths += (url.isLocalFile() ? url.toLocalFile() : url.toString()).toStdString();
    paths += '\n';
  }
  event->acceptProposedAction();
  setDragedFilePathString(paths);
  // The program runs once the drag has ended.
  QTimer::singleShot(100, this, [this] { postAboutControl("executeDropProg", this); });
}

// ---- AmModeTextField

AmModeTextField::AmModeTextField(QWidget* parent) : QLineEdit(parent) {}

void AmModeTextField::mousePressEvent(QMouseEvent* event) {
  if (tracker_.press(this, event)) return;
  QLineEdit::mousePressEvent(event);
}

void AmModeTextField::mouseMoveEvent(QMouseEvent* event) {
  if (tracker_.drag(this, event)) return;
  QLineEdit::mouseMoveEvent(event);
}

void AmModeTextField::mouseReleaseEvent(QMouseEvent* event) {
  if (tracker_.release(this)) return;
  QLineEdit::mouseReleaseEvent(event);
}

// ---- AmModeSlider

AmModeSlider::AmModeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setRange(0, kSteps);
  setTracking(true);
  connect(this, &QSlider::valueChanged, this, [this](int step) {
    if (showing_) return;
    value_ = min_ + (max_ - min_) * step / kSteps;
  });
}

void AmModeSlider::showValue() {
  showing_ = true;
  const double span = max_ - min_;
  const double at = span > 0 ? (value_ - min_) / span : 0.0;
  setValue(static_cast<int>(std::lround(std::clamp(at, 0.0, 1.0) * kSteps)));
  showing_ = false;
}

void AmModeSlider::setMinimumValue(double v) {
  min_ = v;
  if (max_ >= min_) value_ = std::clamp(value_, min_, max_);
  showValue();
}

void AmModeSlider::setMaximumValue(double v) {
  max_ = v;
  if (max_ >= min_) value_ = std::clamp(value_, min_, max_);
  showValue();
}

void AmModeSlider::setDoubleValue(double v) {
  value_ = max_ >= min_ ? std::clamp(v, min_, max_) : v;
  showValue();
}

void AmModeSlider::updateTickMarks() {
  const double count = std::floor(max_ - min_ + 1);
  tickMarks_ = count >= 2 && count <= kMostTickMarks ? static_cast<int>(count) : 0;
  if (tickMarks_ == 0) {
    setTickPosition(QSlider::NoTicks);
    return;
  }
  setTickInterval(std::max(1, kSteps / (tickMarks_ - 1)));
  setTickPosition(orientation() == Qt::Horizontal ? QSlider::TicksBelow : QSlider::TicksRight);
}

void AmModeSlider::mousePressEvent(QMouseEvent* event) {
  if (tracker_.press(this, event)) return;
  QSlider::mousePressEvent(event);
}

void AmModeSlider::mouseMoveEvent(QMouseEvent* event) {
  if (tracker_.drag(this, event)) return;
  QSlider::mouseMoveEvent(event);
}

void AmModeSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (tracker_.release(this)) return;
  QSlider::mouseReleaseEvent(event);
  emit released();
}

// ---- AmModeImageView

AmModeImageView::AmModeImageView(QWidget* parent) : QLabel(parent) {}

void AmModeImageView::setFrameStyleCode(int code) {
  frameStyle_ = code;
  switch (code) {
    case 1: setFrameStyle(QFrame::Box | QFrame::Plain); break;
    case 2: setFrameStyle(QFrame::Panel | QFrame::Sunken); break;
    case 3: setFrameStyle(QFrame::Box | QFrame::Sunken); break;
    case 4: setFrameStyle(QFrame::Panel | QFrame::Raised); break;
    default: setFrameStyle(QFrame::NoFrame); break;
  }
}

QRectF AmModeImageView::zoomSourceRect(QSizeF image, QSizeF view, double m, QPointF pan) {
  if (!(m > 0) || !std::isfinite(m)) m = 1.0;
  const double w = view.width() / m;
  const double h = view.height() / m;
  return QRectF((image.width() - w) / 2 + pan.x() / m, (image.height() - h) / 2 + pan.y() / m, w, h);
}

namespace {

Qt::Alignment alignmentOf(int code) {
  switch (code) {
    case 1: return Qt::AlignTop | Qt::AlignHCenter;
    case 2: return Qt::AlignTop | Qt::AlignLeft;
    case 3: return Qt::AlignTop | Qt::AlignRight;
    case 4: return Qt::AlignVCenter | Qt::AlignLeft;
    case 5: return Qt::AlignBottom | Qt::AlignHCenter;
    case 6: return Qt::AlignBottom | Qt::AlignLeft;
    case 7: return Qt::AlignBottom | Qt::AlignRight;
    case 8: return Qt::AlignVCenter | Qt::AlignRight;
    default: return Qt::AlignCenter;
  }
}

}  // namespace

void AmModeImageView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (image_.isNull()) return;
  QPainter p(this);
  const QRect r = contentsRect();
  if (scaling_ == 1) {
    p.drawImage(r, image_);
    return;
  }
  if (scaling_ != 2) {
    QSize size = image_.size();
    if (size.width() > r.width() || size.height() > r.height()) size.scale(r.size(), Qt::KeepAspectRatio);
    p.drawImage(QStyle::alignedRect(layoutDirection(), alignmentOf(align_), size, r), image_);
    return;
  }
  // Zoom and pan: only the part of the source rectangle that lies on the image is drawn, at the
  // place of the view it maps to.
  const QRectF src = zoomSourceRect(image_.size(), r.size(), magnification_, pan_);
  const QRectF on = src.intersected(QRectF(QPointF(0, 0), QSizeF(image_.size())));
  if (on.isEmpty()) return;
  const double sx = r.width() / src.width();
  const double sy = r.height() / src.height();
  const QRectF target(r.x() + (on.x() - src.x()) * sx, r.y() + (on.y() - src.y()) * sy, on.width() * sx,
                      on.height() * sy);
  p.drawImage(target, image_, on);
}

void AmModeImageView::mousePressEvent(QMouseEvent* event) {
  if (tracker_.press(this, event)) return;
  // With scaling "None" a click only starts a pan.
  if (scaling_ != 2) postAboutControl("AmModeButtonProgAction", this);
}

void AmModeImageView::mouseMoveEvent(QMouseEvent* event) {
  if (tracker_.drag(this, event)) return;
  if (scaling_ != 2) return;
  const QPointF now = event->globalPosition();
  pan_ += tracker_.lastPoint() - now;
  tracker_.setLastPoint(now);
  update();
}

void AmModeImageView::mouseReleaseEvent(QMouseEvent*) { tracker_.release(this); }

}  // namespace pravella
