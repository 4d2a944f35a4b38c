#include "imaging/ui/med_image_view.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include "imaging/med_viewer.h"
#include "platform/notification_center.h"

MedImageView::MedImageView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("imageView"));
  setFixedSize(kViewSize, kViewSize);
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("setRoiDataOfRoiView"), this,
                     [this](pravella::Notification& n) { setRoiDataOfRoiView(n.strings); });
  center.addObserver(QStringLiteral("setViewSizeFactor"), this, [this](pravella::Notification& n) {
    bool ok = false;
    const double v = n.text.trimmed().toDouble(&ok);
    if (ok && v > 0) setViewSizeFactor(v);
  });
}

MedImageView::~MedImageView() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

void MedImageView::setControls(QLineEdit* nowSliceNumber, QAbstractItemView* roiTableView,
                               QAbstractButton* showROISwitch) {
  nowSliceNumber_ = nowSliceNumber;
  roiTableView_ = roiTableView;
  showROISwitch_ = showROISwitch;
}

void MedImageView::setImage(const QImage& image) {
  image_ = image;
  update();
}

void MedImageView::setRoiDataOfRoiView(const QStringList& rois) {
  roiPosArray_ = rois;
  update();
}

void MedImageView::setViewSizeFactor(double imagePixelsPerPoint) {
  viewSizeFactor_ = 1.0 / imagePixelsPerPoint;
  update();
}

void MedImageView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (!image_.isNull()) {
    // One view point is pixelsPerViewPoint image pixels in both directions, from the top left.
    const double perPoint = pravella::medview::pixelsPerViewPoint(image_.width(), image_.height());
    p.drawImage(QRectF(0, 0, image_.width() / perPoint, image_.height() / perPoint), image_);
  }
  if (roiPosArray_.size() < pravella::medview::kRoiFields || !showROISwitch_ || !showROISwitch_->isChecked())
    return;
  const int slice = nowSliceNumber_ ? nowSliceNumber_->text().trimmed().toInt() : 0;
  int selected = -1;
  if (roiTableView_ && roiTableView_->selectionModel()) {
    const QModelIndexList rows = roiTableView_->selectionModel()->selectedRows();
    if (!rows.isEmpty()) selected = rows.first().row();
  }
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  for (int base = 0; base + pravella::medview::kRoiFields <= roiPosArray_.size();
       base += pravella::medview::kRoiFields) {
    if (roiPosArray_[base + 1].trimmed().toInt() != slice) continue;
    const double d = roiPosArray_[base + 4].trimmed().toDouble() * viewSizeFactor_;
    const double x = roiPosArray_[base + 2].trimmed().toDouble();
    const double y = roiPosArray_[base + 3].trimmed().toDouble();
    const bool current = roiPosArray_[base].trimmed().toInt() == selected + 1;
    p.setPen(QPen(current ? Qt::red : Qt::white, current ? 3 : 2));
    // Centre y counts upwards from the bottom row.
    p.drawEllipse(QRectF(x - d / 2 + 1, (kViewSize - 1 - y) - d / 2, d, d));
  }
}

void MedImageView::postMouse(const char* name, QMouseEvent* event) {
  if (!showROISwitch_ || !showROISwitch_->isChecked()) return;
  const QPointF view = event->position();
  const QPointF inWindow = mapTo(window(), view.toPoint());
  pravella::NotificationCenter::defaultCenter().post(
      QString::fromLatin1(name),
      QString::asprintf("%f\t%f\t%f\t%f", inWindow.x(), inWindow.y(), view.x(), (kViewSize - 1) - view.y()));
}

void MedImageView::mousePressEvent(QMouseEvent* event) { postMouse("mouseDownOnMedImage", event); }
void MedImageView::mouseMoveEvent(QMouseEvent* event) { postMouse("mouseDraggedOnMedImage", event); }
void MedImageView::mouseReleaseEvent(QMouseEvent* event) { postMouse("mouseUpOnMedImage", event); }
