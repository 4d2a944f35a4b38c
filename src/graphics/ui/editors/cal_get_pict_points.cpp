#include "graphics/ui/editors/cal_get_pict_points.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

#include "graphics/editors/hand_editor_panels.h"
#include "graphics/editors/point_digitiser.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "graphics/ui/editors/view_snapshot.h"
#include "platform/notification_center.h"
#include "platform/ui/elided_label.h"
#include "platform/ui/sound_player.h"

namespace pravella {

namespace {

// The smallest magnification that shows the image at least this tall.
constexpr int kComfortableHeight = 256;
constexpr int kMaxSplineSteps = 10;

}  // namespace

getPictPointsView::getPictPointsView(QWidget* parent) : QWidget(parent) {}

QPointF getPictPointsView::viewPoint(QPointF qtPosition) const {
  return QPointF(qtPosition.x(), height() - qtPosition.y());
}

void getPictPointsView::paintEvent(QPaintEvent*) {
  PointDigitiser& d = pointDigitiser();
  QPainter painter(this);
  painter.drawImage(rect(), d.image);
  if (d.xFactor <= 0 || d.yFactor <= 0) return;
  const int H = height();
  auto toQt = [&](QPointF p) { return QPointF(p.x() / d.xFactor, H - p.y() / d.yFactor); };
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor lineColor = d.whiteLine ? Qt::white : Qt::black;
  const int n = static_cast<int>(d.pointsData.size());
  for (int i = 0; i < n; ++i) {
    painter.setPen(QPen(d.selected(i) ? Qt::red : Qt::blue, 2));
    painter.drawEllipse(toQt(d.pointsData[static_cast<std::size_t>(i)]), d.mSize / d.xFactor,
                        d.mSize / d.yFactor);
  }
  if (!d.lineSwitch) {
    if (d.triangleSwitch && n >= 3) {
      painter.setPen(QPen(lineColor, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      for (const auto& t : d.triangles) {
        if (t[0] >= n || t[1] >= n || t[2] >= n) continue;
        const QPointF a = toQt(d.pointsData[static_cast<std::size_t>(t[0])]);
        const QPointF b = toQt(d.pointsData[static_cast<std::size_t>(t[1])]);
        const QPointF c = toQt(d.pointsData[static_cast<std::size_t>(t[2])]);
        painter.drawLine(a, b);
        painter.drawLine(b, c);
        painter.drawLine(c, a);
      }
    }
  } else if (n > 0) {
    painter.setPen(QPen(lineColor, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (d.splineSteps > 0 && n > 2) {
      // A line that cannot be smoothed leaves the last smoothed line, which is not drawn.
      if (d.smooth())
        for (std::size_t r = 1; r < d.bSplineResult.size(); ++r)
          painter.drawLine(toQt(d.bSplineResult[r - 1]), toQt(d.bSplineResult[r]));
    } else {
      QPolygonF line;
      for (const QPointF& p : d.pointsData) line << toQt(p);
      if (d.closeLineSwitch) line << toQt(d.pointsData.front());
      painter.drawPolyline(line);
    }
  }
  const QRectF band = QRectF(d.selectRect0, d.selectRect1).normalized();
  if (band.width() > 1 && band.height() > 1) {
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(QRectF(band.left(), H - band.bottom(), band.width(), band.height()));
  }
}

void getPictPointsView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Qt::KeyboardModifiers m = event->modifiers();
  pointDigitiser().mouseDown(viewPoint(event->position()), false, m & Qt::ControlModifier,
                             m & Qt::AltModifier);
  update();
}

void getPictPointsView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Qt::KeyboardModifiers m = event->modifiers();
  pointDigitiser().mouseDown(viewPoint(event->position()), true, m & Qt::ControlModifier,
                             m & Qt::AltModifier);
  update();
}

void getPictPointsView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const Qt::KeyboardModifiers m = event->modifiers();
  pointDigitiser().mouseDragged(viewPoint(event->position()), m & Qt::ControlModifier, m & Qt::AltModifier);
  update();
}

void getPictPointsView::mouseReleaseEvent(QMouseEvent*) {
  pointDigitiser().mouseUp();
  update();
}

void getPictPointsView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  emit resized();
}

CalGetPictPoints::CalGetPictPoints(QWidget* parent)
    : QDialog(parent),
      imageView_(new getPictPointsView(this)),
      lineSwitch_(new QCheckBox(QStringLiteral("Line"), this)),
      lineColorSwitch_(new QCheckBox(QStringLiteral("White line"), this)),
      closeLineSwitch_(new QCheckBox(QStringLiteral("Close"), this)),
      triangleSwitch_(new QCheckBox(QStringLiteral("Triangles"), this)),
      bSplineSlider_(new QSlider(Qt::Horizontal, this)),
      magRadioButton_(new QComboBox(this)),
      markSize_(new QDoubleSpinBox(this)),
      status_(new ElidedLabel(this)) {
  setWindowTitle(QStringLiteral("getPictPoints"));
  PointDigitiser& d = pointDigitiser();
  d.sound = [](const QString& name) { playFeedbackSound(name); };
  d.status = [this](const QString& text) { status_->setText(text); };
  d.xFactor = d.yFactor = 0;
  d.width_n = d.height_m = 10;

  bSplineSlider_->setRange(0, kMaxSplineSteps);
  for (int k = 1; k <= 8; ++k) magRadioButton_->addItem(QStringLiteral("x%1").arg(k));
  magRadioButton_->addItem(QStringLiteral("Free"));
  markSize_->setRange(1, 100);
  markSize_->setValue(d.mSize);

  auto* controls = new QVBoxLayout;
  auto button = [&](const QString& label, auto action) {
    auto* b = new QPushButton(label, this);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, action);
    controls->addWidget(b);
    return b;
  };
  auto redisplay = [this] {
    takeControls();
    imageView_->update();
  };
  controls->addWidget(new QLabel(QStringLiteral("Mark size"), this));
  controls->addWidget(markSize_);
  connect(markSize_, &QDoubleSpinBox::valueChanged, this, redisplay);
  controls->addWidget(lineSwitch_);
  controls->addWidget(closeLineSwitch_);
  controls->addWidget(lineColorSwitch_);
  auto lineOrClose = [this] {
    // A line and the triangles are not shown together.
    triangleSwitch_->setChecked(false);
    takeControls();
    imageView_->update();
  };
  connect(lineSwitch_, &QCheckBox::clicked, this, lineOrClose);
  connect(closeLineSwitch_, &QCheckBox::clicked, this, lineOrClose);
  connect(lineColorSwitch_, &QCheckBox::clicked, this, redisplay);
  controls->addWidget(new QLabel(QStringLiteral("Smoothing"), this));
  controls->addWidget(bSplineSlider_);
  connect(bSplineSlider_, &QSlider::valueChanged, this, redisplay);
  controls->addWidget(triangleSwitch_);
  connect(triangleSwitch_, &QCheckBox::clicked, this, [this](bool on) {
    pointDigitiser().setTriangleSwitch(on);
    syncControls();
    imageView_->update();
  });
  button(QStringLiteral("Make triangles"), [this] {
    pointDigitiser().makeTriangles();
    syncControls();
    imageView_->update();
  });
  button(QStringLiteral("Select all"), [this] {
    pointDigitiser().selectAllPoints();
    imageView_->update();
  });
  button(QStringLiteral("Delete"), [this] {
    pointDigitiser().deletePoints();
    imageView_->update();
  });
  button(QStringLiteral("Flip H"), [this] {
    pointDigitiser().flipH();
    imageView_->update();
  });
  button(QStringLiteral("Flip V"), [this] {
    pointDigitiser().flipV();
    imageView_->update();
  });
  button(QStringLiteral("Clear"), [this] {
    pointDigitiser().clearPoints();
    imageView_->update();
  });
  controls->addWidget(new QLabel(QStringLiteral("Magnification"), this));
  controls->addWidget(magRadioButton_);
  connect(magRadioButton_, &QComboBox::activated, this, [this](int tag) { setMagnification(tag); });
  button(QStringLiteral("Original size"), [this] { setMagnification(0); });
  controls->addStretch();
  button(QStringLiteral("Cancel"), [this] { CancelAction(); });
  button(QStringLiteral("OK"), [this] { OkAction(); });

  auto* picture = new QVBoxLayout;
  picture->addWidget(imageView_, 1);
  picture->addWidget(status_);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(picture, 1);
  layout->addLayout(controls);
  connect(imageView_, &getPictPointsView::resized, this, [this] { windowDidResize(); });

  NotificationCenter::defaultCenter().addObserver(
      QString::fromLatin1(kShowGetPictPointsPanel), this,
      [this](Notification& n) { n.reply = showGetPictPointsPanel(); });
}

CalGetPictPoints::~CalGetPictPoints() {
  NotificationCenter::defaultCenter().removeObservers(this);
  pointDigitiser().status = nullptr;
}

void CalGetPictPoints::syncControls() {
  const PointDigitiser& d = pointDigitiser();
  const QSignalBlocker b1(lineSwitch_), b2(closeLineSwitch_), b3(triangleSwitch_), b4(lineColorSwitch_),
      b5(bSplineSlider_), b6(markSize_);
  lineSwitch_->setChecked(d.lineSwitch);
  closeLineSwitch_->setChecked(d.closeLineSwitch);
  triangleSwitch_->setChecked(d.triangleSwitch);
  lineColorSwitch_->setChecked(d.whiteLine);
  bSplineSlider_->setValue(d.splineSteps);
  markSize_->setValue(d.mSize);
}

void CalGetPictPoints::takeControls() {
  PointDigitiser& d = pointDigitiser();
  d.lineSwitch = lineSwitch_->isChecked();
  d.closeLineSwitch = closeLineSwitch_->isChecked();
  d.triangleSwitch = d.triangleStatus = triangleSwitch_->isChecked();
  d.whiteLine = lineColorSwitch_->isChecked();
  d.splineSteps = bSplineSlider_->value();
  d.mSize = static_cast<float>(markSize_->value());
}

void CalGetPictPoints::showGetPictPointsImage() {
  PointDigitiser& d = pointDigitiser();
  const QByteArray bytes = pictureFromClipboard();
  if (bytes.isEmpty()) return;
  d.image = Picture(bytes).toImageOnWhite();
  d.xFactor = d.yFactor = 1.0;
  d.width_n = d.image.width();
  d.height_m = d.image.height();
}

void CalGetPictPoints::chooseMagnification() {
  const PointDigitiser& d = pointDigitiser();
  int tag = 7;
  for (int k = 1; k <= 8; ++k) {
    if (d.height_m * k >= kComfortableHeight) {
      tag = k - 1;
      break;
    }
  }
  setMagnification(tag);
}

int CalGetPictPoints::magnification() const { return magRadioButton_->currentIndex(); }

void CalGetPictPoints::setMagnification(int tag) {
  magRadioButton_->setCurrentIndex(tag);
  const PointDigitiser& d = pointDigitiser();
  if (tag >= kFreeSize) {
    imageView_->setMinimumSize(16, 16);
    imageView_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    const int k = tag + 1;
    imageView_->setFixedSize(k * d.width_n, k * d.height_m);
    layout()->activate();
    adjustSize();
  }
  windowDidResize();
}

void CalGetPictPoints::windowDidResize() {
  PointDigitiser& d = pointDigitiser();
  const int w = imageView_->width(), h = imageView_->height();
  if (w <= 0 || h <= 0 || d.width_n <= 0 || d.height_m <= 0) return;
  d.xFactor = static_cast<double>(d.width_n) / w;
  d.yFactor = static_cast<double>(d.height_m) / h;
  const double viewRatio = static_cast<double>(w) / h,
               imageRatio = static_cast<double>(d.width_n) / d.height_m;
  if (std::fabs(viewRatio - imageRatio) > 1e-10 && magRadioButton_->currentIndex() != kFreeSize) {
    const QSignalBlocker blocker(magRadioButton_);
    magRadioButton_->setCurrentIndex(kFreeSize);
    imageView_->setMinimumSize(16, 16);
    imageView_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  imageView_->update();
}

int CalGetPictPoints::showGetPictPointsPanel() {
  PointDigitiser& d = pointDigitiser();
  if (!d.densityImage) showGetPictPointsImage();
  status_->clear();
  syncControls();
  chooseMagnification();
  setWindowTitle(d.windowTitle);
  const int code = exec();
  hide();
  if (code != kPanelAccepted) return code;
  takeControls();
  d.accept();
  return code;
}

void CalGetPictPoints::OkAction() {
  copyImage();
  done(kPanelAccepted);
}

void CalGetPictPoints::CancelAction() { done(kPanelCanceled); }

void CalGetPictPoints::reject() { CancelAction(); }

void CalGetPictPoints::copyImage() { copyViewAsTiff(imageView_); }

}  // namespace pravella
