#include "diary/ui/side_view_drawers.h"

#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QTextEdit>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "editors/ui/memo_text_view.h"
#include "platform/ui/elided_label.h"

namespace pravella {

MemoSheetDrawer::MemoSheetDrawer(QWidget* parent) : QDockWidget(tr("Memo"), parent) {
  setObjectName(QStringLiteral("toggleMemo"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  auto* bar = new QHBoxLayout;
  before_ = new QPushButton(QStringLiteral("<"), body);
  before_->setObjectName(QStringLiteral("beforeRirekiButton"));
  before_->setToolTip(tr("Previous memo"));
  next_ = new QPushButton(QStringLiteral(">"), body);
  next_->setObjectName(QStringLiteral("nextRirekiButton"));
  next_->setToolTip(tr("Next memo"));
  title_ = new pravella::ElidedLabel(body);
  title_->setObjectName(QStringLiteral("currentFileName"));
  durty_ = new QCheckBox(tr("Changed"), body);
  durty_->setObjectName(QStringLiteral("durtyButton"));
  bar->addWidget(before_);
  bar->addWidget(next_);
  bar->addWidget(title_, 1);
  bar->addWidget(durty_);
  layout->addLayout(bar);
  field_ = new memoTextView(body);
  field_->setObjectName(QStringLiteral("toggleMemoField"));
  field_->setAcceptRichText(true);
  layout->addWidget(field_, 1);
  setWidget(body);
}

PictureDrawer::PictureDrawer(QWidget* parent) : QDockWidget(tr("Picture"), parent) {
  setObjectName(QStringLiteral("pictDrawer"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  auto* controls = new QHBoxLayout;
  scaleBar_ = new QSlider(Qt::Horizontal, body);
  scaleBar_->setObjectName(QStringLiteral("pictScaleBar"));
  scaleBar_->setRange(10, 300);
  scaleBar_->setValue(100);
  magField_ = new QDoubleSpinBox(body);
  magField_->setObjectName(QStringLiteral("pictMagField"));
  magField_->setRange(0.0, 1000.0);  // wider than allowed: pictMagAction clamps what is typed
  magField_->setDecimals(2);
  magField_->setValue(1.0);
  controls->addWidget(scaleBar_, 1);
  controls->addWidget(magField_);
  layout->addLayout(controls);
  auto* scroll = new QScrollArea(body);
  picture_ = new QLabel(scroll);
  picture_->setObjectName(QStringLiteral("pictureView"));
  picture_->setAlignment(Qt::AlignCenter);
  scroll->setWidget(picture_);
  scroll->setWidgetResizable(true);
  layout->addWidget(scroll, 1);
  setWidget(body);
  connect(scaleBar_, &QSlider::sliderReleased, this, [this] { changePictSizeAction(); });
  connect(magField_, &QDoubleSpinBox::editingFinished, this, [this] { pictMagAction(); });
}

void PictureDrawer::showImage(const QImage& image) {
  image_ = image;
  scaleBar_->setValue(100);
  changePictSizeAction();
}

double PictureDrawer::magnification() const { return scaleBar_->value() / 100.0; }

void PictureDrawer::changePictSizeAction() {
  if (scaleBar_->value() < 10) scaleBar_->setValue(10);
  magField_->setValue(magnification());
  scaleBar_->setValue(qRound(magField_->value() * 100));
  const QSize size = image_.size() * magnification();
  picture_->setPixmap(image_.isNull() ? QPixmap()
                                      : QPixmap::fromImage(image_.scaled(size, Qt::IgnoreAspectRatio,
                                                                         Qt::SmoothTransformation)));
  picture_->setProperty("imageSize", size);
}

void PictureDrawer::pictMagAction() {
  const double m = std::clamp(magField_->value(), 0.1, 3.0);
  scaleBar_->setValue(qRound(m * 100));
  changePictSizeAction();
}

}  // namespace pravella
