#include "imaging/ui/image_seg_view.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/color_table.h"
#include "imaging/acr_nema.h"
#include "imaging/med_image_files.h"
#include "imaging/region_growing.h"
#include "platform/notification_center.h"
#include "platform/ui/sound_player.h"

namespace {

void setSlider(QSlider* s, int v) {
  const QSignalBlocker block(s);
  s->setValue(v);
}
void setRange(QSlider* s, int low, int high) {
  const QSignalBlocker block(s);
  s->setRange(low, high);
}
void setSpin(QSpinBox* s, int low, int high, int v, int step) {
  const QSignalBlocker block(s);
  s->setRange(low, high);
  s->setSingleStep(step);
  s->setValue(v);
}
void setSpinValue(QSpinBox* s, int v) {
  const QSignalBlocker block(s);
  s->setValue(v);
}
QString g(double v) { return QString::asprintf("%g", v); }
void sound(const char* name) { pravella::playFeedbackSound(QString::fromLatin1(name)); }

enum Step { MaxUp, MaxDown, MinUp, MinDown };

}  // namespace

ImageSegView::ImageSegView(QWidget* mainWindow, QWidget* parent) : QWidget(parent), mainWindow_(mainWindow) {
  setObjectName(QStringLiteral("ImageSegView"));
  setMinimumSize(256, 256);
  setMouseTracking(false);
  deltaTHNumber = 1;
  setPointX = setPointY = -1;
  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("setImageFilePath"), this,
                     [this](pravella::Notification& n) { setImageFilePath(n.text); });
  // Qt widgets track the mouse over their whole area on their own; nothing to redo.
  center.addObserver(QStringLiteral("resetTrackingRectOfSegImageView"), this, [](pravella::Notification&) {});
}

QFileDialog* ImageSegView::saveSheet() const { return saveSheet_; }

ImageSegView::~ImageSegView() { pravella::NotificationCenter::defaultCenter().removeObservers(this); }

void ImageSegView::setControls(const ImageSegControls& controls) {
  c_ = controls;
  auto onSlider = [this](QSlider* s, auto fn) { connect(s, &QSlider::valueChanged, this, fn); };
  onSlider(c_.sliceSlider, [this] { sliceSliderAction(); });
  onSlider(c_.minSlider, [this](int v) {
    c_.minValueTField->setText(g(v));
    showImage();
  });
  onSlider(c_.maxSlider, [this](int v) {
    c_.maxValueTField->setText(g(v));
    showImage();
  });
  onSlider(c_.minTHSlider, [this](int v) {
    c_.minTHValueTField->setText(g(v));
    setSpinValue(c_.minTHSteper, v);
    if (c_.segmentationSwitch->isChecked()) segmentationAction();
  });
  onSlider(c_.maxTHSlider, [this](int v) {
    c_.maxTHValueTField->setText(g(v));
    setSpinValue(c_.maxTHSteper, v);
    if (c_.segmentationSwitch->isChecked()) segmentationAction();
  });
  onSlider(c_.magSlider, [this](int v) {
    c_.magNumber->setText(g(v / 10.0));
    update();
  });
  onSlider(c_.detectValueSlider, [this](int v) { c_.detectValueField->setText(QString::number(v)); });
  connect(c_.minTHSteper, &QSpinBox::valueChanged, this, [this] { minTHSteperAction(); });
  connect(c_.maxTHSteper, &QSpinBox::valueChanged, this, [this] { maxTHSteperAction(); });
  connect(c_.segmentationSwitch, &QCheckBox::clicked, this, [this] { segmentationAction(); });
  connect(c_.colorSwitch, &QCheckBox::clicked, this, [this] { showImage(); });
  connect(c_.boundarySwitch, &QCheckBox::clicked, this, [this] { showImage(); });
  connect(c_.volumeSwitch, &QCheckBox::clicked, this, [this] { volumeSegAction(); });
  connect(c_.prevSlice, &QPushButton::clicked, this, [this] {
    c_.sliceSlider->setValue(std::max(c_.sliceSlider->value() - 1, c_.sliceSlider->minimum()));
  });
  connect(c_.nextSlice, &QPushButton::clicked, this, [this] {
    c_.sliceSlider->setValue(std::min(c_.sliceSlider->value() + 1, c_.sliceSlider->maximum()));
  });
  connect(c_.keepArea, &QPushButton::clicked, this, [this] { keepAreaAction(); });
  connect(c_.deleteArea, &QPushButton::clicked, this, [this] { deleteAreaAction(); });
  connect(c_.areaInvers, &QPushButton::clicked, this, [this] { areaInversAction(); });
  connect(c_.smooth, &QPushButton::clicked, this, [this] { smoothAction(); });
  connect(c_.restoreArea, &QPushButton::clicked, this, [this] { restoreAreaAction(); });
  connect(c_.save, &QPushButton::clicked, this, [this] { saveAction(); });
  resetImageStatus();
}

// ---------------------------------------------------------------- opening

void ImageSegView::resetImageStatus() {
  setRange(c_.sliceSlider, 1, 10);
  c_.sliceSlider->setTickInterval(1);
  setSlider(c_.sliceSlider, 5);
  c_.sliceNumber->setText(QStringLiteral("???"));
  for (QSlider* s : {c_.minSlider, c_.maxSlider, c_.minTHSlider, c_.maxTHSlider}) setRange(s, 0, 10);
  setSlider(c_.minSlider, 0);
  setSlider(c_.maxSlider, 10);
  setSlider(c_.minTHSlider, 0);
  setSlider(c_.maxTHSlider, 10);
  for (QLineEdit* f :
       {c_.minValueTField, c_.maxValueTField, c_.minTHValueTField, c_.maxTHValueTField, c_.magNumber})
    f->setText(QStringLiteral("???"));
  setSlider(c_.magSlider, 10);
  setSpin(c_.minTHSteper, 0, 10, 0, 2);
  setSpin(c_.maxTHSteper, 0, 10, 10, 2);
  for (QLineEdit* f : {c_.sizeXField, c_.sizeYField, c_.sizeZField})
    f->setText(QString::asprintf("%6.4f", 0.0));
}

void ImageSegView::setNULLImage() {
  image_ = QImage(size(), QImage::Format_ARGB32);
  image_.fill(Qt::white);
  update();
}

void ImageSegView::setImageFilePath(const QString& path) {
  const std::string file = path.toStdString();
  int w = 0, h = 0, s = 0, offset = 0;
  float maximum = 0, minimum = 0;
  if (path.isEmpty() || !QFileInfo(path).isFile() || !checkMedImageFile(file, &w, &h, &s, &offset) ||
      !getMaxMinAndData(file, w, h, s, offset, &maximum, &minimum)) {
    resetImageStatus();
    imageSGData.clear();
    imageSGBUData.clear();
    setNULLImage();
    return;
  }
  dataWidth = w;
  dataHeight = h;
  dataSlice = s;
  DataPos = offset;
  nowOpendImageFile_ = path;
  const int mx = static_cast<int>(maximum), mn = static_cast<int>(minimum);
  const int step = static_cast<int>((maximum - minimum) * 0.001953125);
  deltaTHNumber = static_cast<std::int16_t>(step > 0 ? step : 1);
  setRange(c_.sliceSlider, 1, s);
  c_.sliceSlider->setTickInterval(1);
  setSlider(c_.sliceSlider, s / 2 + 1);
  c_.sliceNumber->setText(QString::number(s / 2 + 1));
  for (QSlider* sl : {c_.minSlider, c_.maxSlider, c_.minTHSlider, c_.maxTHSlider}) setRange(sl, mn, mx);
  setSlider(c_.minSlider, mn);
  setSlider(c_.maxSlider, mx);
  const int middle = (mx + mn) / 2;
  setSlider(c_.minTHSlider, middle);
  setSlider(c_.maxTHSlider, middle);
  c_.minValueTField->setText(g(mn));
  c_.maxValueTField->setText(g(mx));
  c_.minTHValueTField->setText(g(middle));
  c_.maxTHValueTField->setText(g(middle));
  setSpin(c_.minTHSteper, mn, mx, middle, deltaTHNumber);
  setSpin(c_.maxTHSteper, mn, mx, middle, deltaTHNumber);
  setRange(c_.magSlider, 1, 100);
  setSlider(c_.magSlider, 10);
  c_.magNumber->setText(g(1.0));
  xPoint_ = QPointF();
  c_.volumeSwitch->setChecked(false);
  c_.segmentationSwitch->setChecked(false);
  float x = 0, y = 0, z = 0;
  if (!getVoxelSize(file, &x, &y, &z)) x = y = z = 0;
  c_.sizeXField->setText(QString::asprintf("%6.4f", static_cast<double>(x)));
  c_.sizeYField->setText(QString::asprintf("%6.4f", static_cast<double>(y)));
  c_.sizeZField->setText(QString::asprintf("%6.4f", static_cast<double>(z)));
  showImage();
  volumeSegAction();
}

// ---------------------------------------------------------------- drawing

QImage ImageSegView::makeDataImage(int slice, int lower, double factor) const {
  const int w = dataWidth, h = dataHeight;
  QImage image(w, h, QImage::Format_ARGB32);
  const std::size_t plane = static_cast<std::size_t>(w) * h;
  const std::size_t start = plane * static_cast<std::size_t>(slice - 1);
  const std::size_t total = imageSGBUData.size();
  const bool marks = total > 0 && c_.segmentationSwitch->isChecked();
  const bool outline = c_.boundarySwitch->isChecked();
  const bool colour = c_.colorSwitch->isChecked();
  auto mark = [&](std::size_t k) { return k < total ? imageSGBUData[k] : 0; };  // past the end: unmarked
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      const std::size_t k = start + static_cast<std::size_t>(y) * w + x;
      if (marks && imageSGBUData[k] > 0) {
        const bool edgeTest = outline && k >= static_cast<std::size_t>(w);
        if (!edgeTest || mark(k - 1) + mark(k + 1) + mark(k - w) + mark(k + w) != 4) {
          line[x] = qRgba(255, 0, 0, 255);
          continue;
        }
      }
      const int level =
          static_cast<int>(std::clamp(std::trunc((imageSGData[k] - lower) * factor), 0.0, 255.0));
      line[x] = colour ? qRgba(RAINBOW_R[level], RAINBOW_G[level], RAINBOW_B[level], 255)
                       : qRgba(level, level, level, 255);
    }
  }
  return image;
}

bool ImageSegView::showImage() {
  const int s = c_.sliceSlider->value();
  if (imageSGData.empty() || s < 1 || s > dataSlice) return false;
  const int upper = c_.maxSlider->value(), lower = c_.minSlider->value();
  // Equal display bounds would divide by zero: values above lower show full level.
  const double factor = upper == lower ? 255.0 : 255.0 / (upper - lower);
  image_ = makeDataImage(s, lower, factor);
  update();
  return true;
}

double ImageSegView::mag() const { return std::max(c_.magSlider->value(), 1) / 10.0; }

QPointF ImageSegView::sourceOrigin() const {
  const double m = mag();
  return {(image_.width() - width() / m) * 0.5 + xPoint_.x(),
          (image_.height() - height() / m) * 0.5 + xPoint_.y()};
}

void ImageSegView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), Qt::black);
  if (image_.isNull()) return;
  const double m = mag();
  const QPointF o = sourceOrigin();
  p.drawImage(QRectF(0, 0, width(), height()), image_, QRectF(o.x(), o.y(), width() / m, height() / m));
}

// ---------------------------------------------------------------- mouse

void ImageSegView::mousePressEvent(QMouseEvent* event) {
  const QPointF pos = event->position();
  yPoint_ = pos;
  dragging_ = true;
  if (imageSGData.empty()) return;
  const double m = mag();
  const QPointF o = sourceOrigin();
  // The image pixel under the cursor.
  setPointX = static_cast<int>(std::floor(o.x() + pos.x() / m));
  setPointY = static_cast<int>(std::floor(o.y() + pos.y() / m));
  setPointZ = c_.sliceSlider->value() - 1;
  const bool onSlice = setPointX >= 0 && setPointX < dataWidth && setPointY >= 0 && setPointY < dataHeight;
  if (!c_.segmentationSwitch->isChecked() && onSlice) {
    const std::size_t k = static_cast<std::size_t>(setPointZ) * dataWidth * dataHeight +
                          static_cast<std::size_t>(setPointY) * dataWidth + setPointX;
    const int v = imageSGData[k];
    setThresholdsFrom(static_cast<std::int16_t>(std::clamp(v - 5 * deltaTHNumber, -32768, 32767)),
                      static_cast<std::int16_t>(std::clamp(v + 5 * deltaTHNumber, -32768, 32767)));
  }
  if (c_.segmentationSwitch->isChecked())
    segmentationAction();
  else
    showImage();
}

void ImageSegView::setThresholdsFrom(std::int16_t lower, std::int16_t upper) {
  setSlider(c_.minTHSlider, lower);
  setSpinValue(c_.minTHSteper, lower);
  setSlider(c_.maxTHSlider, upper);
  setSpinValue(c_.maxTHSteper, upper);
  c_.minTHValueTField->setText(g(lower));
  c_.maxTHValueTField->setText(g(upper));
}

void ImageSegView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const QPointF pos = event->position();
  xPoint_ += (yPoint_ - pos) / mag();
  yPoint_ = pos;
  update();
}

void ImageSegView::mouseReleaseEvent(QMouseEvent*) {
  dragging_ = false;
  yPoint_ = QPointF();
}

// ---------------------------------------------------------------- segmenting

void ImageSegView::segmentationAction() {
  const int s = c_.sliceSlider->value();
  const auto upper = static_cast<std::int16_t>(c_.maxTHSlider->value());
  const auto lower = static_cast<std::int16_t>(c_.minTHSlider->value());
  QElapsedTimer clock;
  clock.start();
  if (c_.segmentationSwitch->isChecked()) {
    const long long count = c_.volumeSwitch->isChecked() ? segmentation3DImage(lower, upper)
                                                         : segmentation2DImage(s, lower, upper);
    const double x = c_.sizeXField->text().trimmed().toDouble(),
                 y = c_.sizeYField->text().trimmed().toDouble(),
                 z = c_.sizeZField->text().trimmed().toDouble();
    const double ml = z * (static_cast<double>(count) * x * y) / 1000.0;
    c_.textView->insertPlainText(QString::asprintf("%7ldpixels\t%7.2fml\n", static_cast<long>(count), ml));
    if (clock.elapsed() > 500) sound("Ping");  // more than 30 ticks
  }
  showImage();
}

void ImageSegView::sliceSliderAction() {
  c_.sliceNumber->setText(QString::number(c_.sliceSlider->value()));
  showImage();
  setPointX = setPointY = -1;
}

void ImageSegView::maxTHSteperAction() {
  int s = c_.maxTHSteper->value();
  const int low = c_.minTHSteper->value(), high = c_.maxSlider->value();
  if (s >= low && s <= high) {
    if (c_.maxTHSlider->value() > s)
      gotoMaxDown(s);
    else if (c_.maxTHSlider->value() < s)
      gotoMaxUp(s);
    return;
  }
  s = std::clamp(s, low, std::max(low, high));
  setSpinValue(c_.maxTHSteper, s);
  setSlider(c_.maxTHSlider, s);
}

void ImageSegView::minTHSteperAction() {
  int s = c_.minTHSteper->value();
  const int low = c_.minSlider->value(), high = c_.maxTHSteper->value();
  if (s >= low && s <= high) {
    if (c_.minTHSlider->value() > s)
      gotoMinDown(s);
    else if (c_.minTHSlider->value() < s)
      gotoMinUp(s);
    return;
  }
  s = std::clamp(s, low, std::max(low, high));
  setSpinValue(c_.minTHSteper, s);
  setSlider(c_.minTHSlider, s);
}

bool ImageSegView::step(int which, double value) {
  const bool volume = c_.volumeSwitch->isChecked();
  const int slice = c_.sliceSlider->value();
  if (!c_.segmentationSwitch->isChecked() || !setNowSliceData(volume, slice)) return false;
  const bool movesUpper = which == MaxUp || which == MaxDown;
  auto upper = static_cast<std::int16_t>(movesUpper ? static_cast<int>(value) : c_.maxTHSlider->value());
  auto lower = static_cast<std::int16_t>(movesUpper ? c_.minTHSlider->value() : static_cast<int>(value));
  const int lowest = c_.minSlider->value(), highest = c_.maxSlider->value(),
            jump = c_.detectValueSlider->value();
  switch (which) {
    case MaxUp:
      highTHRegionUp(slice, lowest, highest, &lower, &upper, jump, volume);
      break;
    case MaxDown:
      highTHRegionDown(slice, lowest, highest, &lower, &upper, jump, volume);
      break;
    case MinUp:
      lowTHRegionUp(slice, lowest, highest, &lower, &upper, jump, volume);
      break;
    default:
      lowTHRegionDown(slice, lowest, highest, &lower, &upper, jump, volume);
      break;
  }
  if (movesUpper) {
    setSlider(c_.maxTHSlider, upper);
    setSpinValue(c_.maxTHSteper, upper);
    c_.maxTHValueTField->setText(QString::number(upper));
  } else {
    setSlider(c_.minTHSlider, lower);
    setSpinValue(c_.minTHSteper, lower);
    c_.minTHValueTField->setText(QString::number(lower));
  }
  if (c_.segmentationSwitch->isChecked())
    segmentationAction();
  else
    showImage();
  return true;
}

bool ImageSegView::gotoMaxUp(double u) { return step(MaxUp, u); }
bool ImageSegView::gotoMaxDown(double u) { return step(MaxDown, u); }
bool ImageSegView::gotoMinUp(double l) { return step(MinUp, l); }
bool ImageSegView::gotoMinDown(double l) { return step(MinDown, l); }

void ImageSegView::volumeSegAction() {
  // While the whole volume is segmented, the thresholds act only when released.
  const bool tracking = !c_.volumeSwitch->isChecked();
  for (QSlider* s : {c_.minTHSlider, c_.maxTHSlider}) s->setTracking(tracking);
  for (QSpinBox* s : {c_.minTHSteper, c_.maxTHSteper}) s->setKeyboardTracking(tracking);
}

// ---------------------------------------------------------------- editing

void ImageSegView::keepAreaAction() {
  keepArea(c_.volumeSwitch->isChecked(), c_.sliceSlider->value());
  showImage();
}

void ImageSegView::deleteAreaAction() {
  deleteArea(c_.volumeSwitch->isChecked(), c_.sliceSlider->value());
  showImage();
}

void ImageSegView::areaInversAction() {
  if (c_.segmentationSwitch->isChecked()) invertArea();
  showImage();
}

void ImageSegView::smoothAction() {
  if (smoothImage(c_.volumeSwitch->isChecked(), c_.sliceSlider->value())) sound("Tink");
  showImage();
}

void ImageSegView::restoreAreaAction() {
  const std::string file = nowOpendImageFile_.toStdString();
  int w = 0, h = 0, s = 0, offset = 0;
  if (nowOpendImageFile_.isEmpty() || !QFileInfo(nowOpendImageFile_).isFile()) {
    std::printf("There is No File\n");
  } else if (!checkMedImageFile(file, &w, &h, &s, &offset)) {
    std::printf("There is No MedImage File\n");
  } else if (!getImageDataAtSlice(file, w, h, s, offset, c_.sliceSlider->value())) {
    std::printf("Error\n");
  }
  std::fflush(stdout);
  showImage();
}

void ImageSegView::saveAction() {
  if (saveSheet_) saveSheet_->close();
  const QFileInfo info(nowOpendImageFile_);
  auto* sheet =
      new QFileDialog(mainWindow_ ? mainWindow_ : this, QStringLiteral("SaveImageData"), info.absolutePath());
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setOption(QFileDialog::DontUseNativeDialog);
  sheet->setWindowModality(Qt::WindowModal);
  sheet->setAcceptMode(QFileDialog::AcceptSave);
  sheet->selectFile(info.fileName());
  connect(sheet, &QFileDialog::finished, this, [this, sheet](int result) {
    const QStringList files = sheet->selectedFiles();
    didEndSaveImageSheet(result == QDialog::Accepted ? 1 : 0, files.value(0));
  });
  saveSheet_ = sheet;
  sheet->open();
}

void ImageSegView::didEndSaveImageSheet(int returnCode, const QString& path) {
  if (returnCode != 1 || path.isEmpty()) {
    sound("Basso");
    return;
  }
  if (imageSGData.empty() || !saveImageData(nowOpendImageFile_.toStdString(), path.toStdString(),
                                            imageSGData.data(), dataWidth, dataHeight, dataSlice, DataPos))
    sound("Basso");
  sound("Tink");
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("reloadImageSegmentBrowserData"),
                                                     QFileInfo(nowOpendImageFile_).absolutePath());
}
