#include "imaging/ui/cal_med_image.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <cmath>

#include "diary/diary_globals.h"
#include "imaging/acr_nema.h"
#include "imaging/med_image_files.h"
#include "imaging/med_viewer.h"
#include "imaging/ui/get_key_on_roi_table.h"
#include "imaging/ui/med_image_drawer.h"
#include "imaging/ui/med_image_view.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/ui/sound_player.h"

namespace mv = pravella::medview;

namespace {

constexpr int kToggleStatus = 9;

// The ROI list as a table: one row per ROI, one column per field.
class RoiTableModel : public QAbstractTableModel {
 public:
  explicit RoiTableModel(const QStringList* rois, QObject* parent)
      : QAbstractTableModel(parent), rois_(rois) {}
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rois_->size() / mv::kRoiFields);
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : mv::kRoiFields;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return rois_->value(index.row() * mv::kRoiFields + index.column());
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    static const char* const kColumns[mv::kRoiFields] = {"no",  "slice", "x",    "y",  "size",
                                                         "max", "min",   "mean", "sd", "area"};
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= mv::kRoiFields)
      return {};
    return QString::fromLatin1(kColumns[section]);
  }
  void reload() {
    beginResetModel();
    endResetModel();
  }

 private:
  const QStringList* rois_;
};

int intOf(const QString& text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  return ok ? n : static_cast<int>(text.trimmed().toDouble());
}

void setSlider(QSlider* s, int v) {
  const QSignalBlocker block(s);
  s->setValue(v);
}

void setRange(QSlider* s, int low, int high) {
  const QSignalBlocker block(s);
  s->setRange(low, high);
}

QStringList fieldsOf(const QString& text) { return text.split(QLatin1Char('\t')); }

QPointF viewPoint(const QString& text) {
  const QStringList f = fieldsOf(text);
  return {f.value(2).toDouble(), f.value(3).toDouble()};
}

}  // namespace

CalMedImage::CalMedImage(pravella::DeskToolHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {}

CalMedImage::~CalMedImage() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (drawer_) drawer_->deleteLater();
}

MedImageDrawer* CalMedImage::drawer() const { return drawer_; }

void CalMedImage::awakeFromNib() {
  drawer_ = new MedImageDrawer(host_.mainWindow);
  if (host_.addSideView)
    host_.addSideView(drawer_);
  else
    drawer_->hide();
  MedImageDrawer* d = drawer_;
  auto* model = new RoiTableModel(&roiArray_, this);
  model_ = model;
  d->roiTableView->setModel(model);

  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, std::function<void(pravella::Notification&)> fn) {
    center.addObserver(QString::fromLatin1(name), this, std::move(fn));
  };
  on("openMedImageAction", [this](pravella::Notification& n) {
    // The calendar may name the recognised document; otherwise it is the shown one.
    QString path = n.text;
    if (path.isEmpty() && host_.nowDisplayedDocument) path = host_.nowDisplayedDocument();
    openMedImageAction_X(path);
  });
  on("openMedImageWithPath", [this](pravella::Notification& n) { openMedImageAction_X(n.text); });
  on("ROIListUp", [this](pravella::Notification&) { ROIListUp(); });
  on("ROIListDown", [this](pravella::Notification&) { ROIListDown(); });
  on("mouseDownOnMedImage", [this](pravella::Notification& n) { mouseDownOnMedImage(viewPoint(n.text)); });
  on("mouseDraggedOnMedImage",
     [this](pravella::Notification& n) { mouseDraggedOnMedImage(viewPoint(n.text)); });
  on("mouseUpOnMedImage", [this](pravella::Notification& n) { mouseUpOnMedImage(viewPoint(n.text)); });

  connect(d->mainSlider, &QSlider::valueChanged, this, [this](int v) { changeDispFrom(v); });
  connect(d->currentMaxField, &QLineEdit::editingFinished, this,
          [this] { changeDispFrom(intOf(drawer_->currentMaxField->text())); });
  connect(d->maxSlider, &QSlider::valueChanged, this, [this](int v) { changeMaxFrom(v); });
  connect(d->maxFiled, &QLineEdit::editingFinished, this,
          [this] { changeMaxFrom(intOf(drawer_->maxFiled->text())); });
  connect(d->minSlider, &QSlider::valueChanged, this, [this](int v) { changeMinFrom(v); });
  connect(d->minField, &QLineEdit::editingFinished, this,
          [this] { changeMinFrom(intOf(drawer_->minField->text())); });
  connect(d->sliceSlider, &QSlider::valueChanged, this, [this](int v) { changeSliceFrom(v); });
  connect(d->sliceField, &QLineEdit::editingFinished, this,
          [this] { changeSliceFrom(intOf(drawer_->sliceField->text())); });
  connect(d->goLeftButton, &QPushButton::clicked, this,
          [this] { changeSliceFrom(std::max(currentSlice() - 1, 1)); });
  connect(d->goRightButton, &QPushButton::clicked, this,
          [this] { changeSliceFrom(std::min(currentSlice() + 1, std::max(slice_, 1))); });
  connect(d->densityMag, &QSlider::valueChanged, this, [this](int v) {
    drawer_->densityField->setText(QString::number(v));
    showMedImage();
    redraw();
  });
  connect(d->colorChangeSwitch, &QButtonGroup::idClicked, this, [this] { changeColorAction(); });
  connect(d->petButton, &QPushButton::clicked, this, [this] { PETAction(); });
  connect(d->spectButton, &QPushButton::clicked, this, [this] { SPECTAction(); });
  connect(d->ctButton, &QPushButton::clicked, this, [this] { CTAction(); });
  connect(d->mriButton, &QPushButton::clicked, this, [this] { MRIAction(); });
  connect(d->copyButton, &QPushButton::clicked, this, [this] { CopyAction(); });
  connect(d->pasteThisButton, &QPushButton::clicked, this, [this] { pasteThisImageAction(); });
  connect(d->pasteAllButton, &QPushButton::clicked, this, [this] { pasteAllImageAction(); });
  connect(d->closeButton, &QPushButton::clicked, this, [this] { CloseMedSheet(); });
  connect(d->newRoiButton, &QPushButton::clicked, this, [this] { newROIAction(); });
  connect(d->deleteRoiButton, &QPushButton::clicked, this, [this] { deleteROIAction(); });
  connect(d->deleteAllRoiButton, &QPushButton::clicked, this, [this] { deleteAllROIAction(); });
  connect(d->copyRoiButton, &QPushButton::clicked, this, [this] { copyROIDataAction(); });
  connect(d->loadRoiButton, &QPushButton::clicked, this, [this] { loadOtherROIAction(); });
  connect(d->roiSizeSlider, &QSlider::valueChanged, this, [this](int v) { changeRoiSize(v); });
  connect(d->roiSize, &QLineEdit::editingFinished, this,
          [this] { changeRoiSize(intOf(drawer_->roiSize->text())); });
  connect(d->showROISwitch, &QCheckBox::clicked, this, [this] { redraw(); });
  connect(d->checkROISwitch, &QCheckBox::clicked, this, [this] {
    showMedImage();
    redraw();
  });
  connect(d->roiTableView, &QAbstractItemView::clicked, this, [this] { selectRoiAction(); });

  d->colorBarView->setPixmap(QPixmap::fromImage(mv::colorBarImage(false)));
}

// ---------------------------------------------------------------- opening

void CalMedImage::openMedImageAction_X(const QString& path) {
  if (SheetCanOpen.load() == 0 || path.isEmpty() || !QFileInfo(path).isFile()) return;
  const std::string file = path.toStdString();
  mv::MedGeometry g;
  if (!checkMedImageFile(file, &g.width, &g.height, &g.slices, &g.offset)) return;
  g.kind = medFileType;
  MedImageDrawer* d = drawer_;
  std::vector<std::int16_t> pixels;
  d->processIndicator->setRange(0, g.slices);
  const bool read = mv::readViewerPixels(file, g, pixels, [d](int z) { d->processIndicator->setValue(z); });
  d->processIndicator->setValue(0);
  // A file that does not read leaves the viewer as it was.
  if (!read) return;

  dataPath_ = path;
  roiArray_ = mv::readRoiFile(mv::roiFilePath(path));
  width_ = g.width;
  hight_ = g.height;
  slice_ = g.slices;
  DataPos_ = g.offset;
  imageData_.swap(pixels);
  pSizeX_ = pSizeY_ = pSizeZ_ = 0;
  if (!getVoxelSize(file, &pSizeX_, &pSizeY_, &pSizeZ_)) pSizeX_ = pSizeY_ = pSizeZ_ = 0;

  setRange(d->sliceSlider, 1, slice_);
  d->sliceSlider->setTickInterval(1);
  d->sliceSlider->setTickPosition(QSlider::TicksBelow);
  const int middle = slice_ / 2 + 1;
  setSlider(d->sliceSlider, middle);
  d->sliceField->setText(QString::number(middle));

  postRoiData();
  pravella::NotificationCenter::defaultCenter().post(
      QStringLiteral("setViewSizeFactor"), QString::asprintf("%f", mv::pixelsPerViewPoint(width_, hight_)));
  deselect();
  reloadTable();
  showMedImage();
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  d->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleStatus);
  sound("Tink");
}

// ---------------------------------------------------------------- drawing

int CalMedImage::currentSlice() const { return intOf(drawer_->sliceField->text()); }

const std::int16_t* CalMedImage::sliceData(int s) const {
  if (s < 1 || s > slice_ || imageData_.empty()) return nullptr;
  return imageData_.data() + static_cast<std::size_t>(width_) * hight_ * (s - 1);
}

int CalMedImage::showMedImage() {
  const std::int16_t* data = sliceData(currentSlice());
  if (!data) return 1;
  mv::Window w;
  w.lower = intOf(drawer_->minField->text());
  w.upper = intOf(drawer_->currentMaxField->text());
  w.gain = drawer_->densityMag->value() / 100.0;
  w.blackWhite = drawer_->colorChangeSwitch->checkedId() == 1;
  drawer_->imageView->setImage(mv::sliceImage(data, width_, hight_, w));
  return 1;
}

void CalMedImage::redraw() {
  if (drawer_) drawer_->imageView->update();
}

void CalMedImage::sound(const char* name) { pravella::playFeedbackSound(QString::fromLatin1(name)); }

void CalMedImage::changeColorAction() {
  drawer_->colorBarView->setPixmap(
      QPixmap::fromImage(mv::colorBarImage(drawer_->colorChangeSwitch->checkedId() == 1)));
  showMedImage();
}

// ---------------------------------------------------------------- window and level

void CalMedImage::changeDispFrom(int value) {
  MedImageDrawer* d = drawer_;
  const int v = std::clamp(value, d->mainSlider->minimum(), d->mainSlider->maximum());
  d->currentMaxField->setText(QString::number(v));
  setSlider(d->mainSlider, v);
  showMedImage();
}

void CalMedImage::changeMaxFrom(int value) {
  MedImageDrawer* d = drawer_;
  const int lower = intOf(d->minField->text());
  // The highest value stays above the lower one.
  const int v = lower < value ? std::min(value, 30000) : lower + 1;
  d->maxFiled->setText(QString::number(v));
  setSlider(d->maxSlider, v);
  {
    const QSignalBlocker block(d->mainSlider);
    d->mainSlider->setMaximum(v);
  }
  d->currentMaxField->setText(QString::number(d->mainSlider->value()));
  showMedImage();
}

void CalMedImage::changeMinFrom(int value) {
  MedImageDrawer* d = drawer_;
  int v = value;
  if (v < -2000)
    v = -2000;
  else if (v > 2000)
    v = 2000;
  else
    v = std::min(v, intOf(d->maxFiled->text()));
  d->minField->setText(QString::number(v));
  setSlider(d->minSlider, v);
  {
    const QSignalBlocker block(d->mainSlider);
    d->mainSlider->setMinimum(v);
  }
  d->currentMaxField->setText(QString::number(d->mainSlider->value()));
  showMedImage();
}

void CalMedImage::changeSliceFrom(int value, bool touchTable) {
  const int v = std::min(std::max(value, 1), std::max(slice_, 1));
  drawer_->sliceField->setText(QString::number(v));
  setSlider(drawer_->sliceSlider, v);
  showMedImage();
  if (touchTable) {
    deselect();
    reloadTable();
  }
  redraw();
}

namespace {
struct Preset {
  int lower, highest, upper, colour;
};
}  // namespace

static void applyPreset(MedImageDrawer* d, const Preset& p) {
  d->minField->setText(QString::number(p.lower));
  setSlider(d->minSlider, p.lower);
  d->maxFiled->setText(QString::number(p.highest));
  setSlider(d->maxSlider, p.highest);
  setRange(d->mainSlider, p.lower, p.highest);
  setSlider(d->mainSlider, p.upper);
  d->currentMaxField->setText(QString::number(p.upper));
  d->colorChangeSwitch->button(p.colour)->setChecked(true);
}

void CalMedImage::MRIAction() {
  applyPreset(drawer_, {0, 1500, 1200, 1});
  changeColorAction();
  sound("Tink");
}
void CalMedImage::CTAction() {
  applyPreset(drawer_, {-100, 100, 100, 1});
  changeColorAction();
  sound("Tink");
}
void CalMedImage::SPECTAction() {
  applyPreset(drawer_, {0, 1000, 800, 0});
  changeColorAction();
  sound("Tink");
}
void CalMedImage::PETAction() {
  applyPreset(drawer_, {0, 10000, 7000, 0});
  changeColorAction();
  sound("Tink");
}

// ---------------------------------------------------------------- copying and pasting

bool CalMedImage::pastePicture(const QImage& image) {
  QDir().mkpath(pravella::paths::vkData());
  static int counter = 0;
  QString path;
  do {
    path = pravella::paths::vkData() + QStringLiteral("/medImage%1.png").arg(++counter);
  } while (QFileInfo::exists(path));
  if (!image.save(path, "PNG")) return false;
  QApplication::clipboard()->setImage(image);
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("pastePictureToDocument"), path);
  return true;
}

void CalMedImage::CopyAction() {
  QApplication::clipboard()->setImage(drawer_->imageView->image());
  sound("Tink");
}

void CalMedImage::pasteThisImageAction() {
  if (imageData_.empty()) return;
  redraw();
  // The view as drawn, with the ROI outlines.
  pastePicture(drawer_->imageView->grab().toImage());
  sound("Tink");
}

void CalMedImage::pasteAllImageAction() {
  if (imageData_.empty()) return;
  MedImageDrawer* d = drawer_;
  const int kept = currentSlice();
  d->processIndicator->setRange(0, slice_);
  for (int s = 1; s <= slice_; ++s) {
    d->sliceField->setText(QString::number(s));
    setSlider(d->sliceSlider, s);
    showMedImage();
    redraw();
    pastePicture(d->imageView->image());
    d->processIndicator->setValue(s);
  }
  d->processIndicator->setValue(0);
  d->sliceField->setText(QString::number(kept));
  setSlider(d->sliceSlider, kept);
  showMedImage();
  sound("Tink");
}

void CalMedImage::CloseMedSheet() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("cal_toggleFinderSheet"));
}

// ---------------------------------------------------------------- the ROI table

int CalMedImage::selectedRow() const {
  const QModelIndexList rows = drawer_->roiTableView->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void CalMedImage::selectRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  drawer_->roiTableView->selectRow(row);
  drawer_->roiTableView->scrollTo(model_->index(row, 0));
}

void CalMedImage::deselect() { drawer_->roiTableView->clearSelection(); }

void CalMedImage::reloadTable() {
  const int row = selectedRow();
  static_cast<RoiTableModel*>(model_)->reload();
  if (row >= 0) selectRow(row);
}

void CalMedImage::postRoiData() {
  pravella::Notification n;
  n.name = QStringLiteral("setRoiDataOfRoiView");
  n.strings = roiArray_;
  pravella::NotificationCenter::defaultCenter().post(n);
}

void CalMedImage::saveROIData() {
  if (dataPath_.isEmpty()) return;
  pravella::plist::writeStringArray(mv::roiFilePath(dataPath_), roiArray_);
}

// ---------------------------------------------------------------- ROIs

void CalMedImage::calcROIDataPoint(double x, double y) {
  const int row = selectedRow();
  const std::int16_t* data = sliceData(currentSlice());
  if (!data) return;
  const int radius = intOf(drawer_->roiSize->text()) / 2 + 1;
  const double scale = mv::pixelsPerViewPoint(width_, hight_);
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("setViewSizeFactor"),
                                                     QString::asprintf("%f", scale));
  std::vector<std::int16_t> mask;
  const mv::RoiStatistics s = mv::roiStatistics(data, width_, hight_, x, y, radius, pSizeX_, pSizeY_, &mask);
  mv::setRoiStatistics(roiArray_, row, s);
  postRoiData();
  if (drawer_->checkROISwitch->isChecked()) {
    mv::Window w;
    w.lower = intOf(drawer_->minField->text());
    w.upper = intOf(drawer_->currentMaxField->text());
    w.blackWhite = drawer_->colorChangeSwitch->checkedId() == 1;
    drawer_->imageView->setImage(mv::sliceImage(data, width_, hight_, w, mask.data()));
  }
  redraw();
}

void CalMedImage::setRoiPoint(QPointF p) {
  int row = selectedRow();
  const QPointF at = p - dPoint_;
  if (roiArray_.isEmpty()) {
    roiArray_ += mv::newRoi();
    reloadTable();
    row = model_->rowCount() - 1;
    selectRow(row);
  }
  if (row >= 0 && (row + 1) * mv::kRoiFields <= roiArray_.size()) {
    const int base = row * mv::kRoiFields;
    roiArray_[base] = QString::number(row + 1);
    roiArray_[base + 1] = QString::number(currentSlice());
    roiArray_[base + 2] = QString::asprintf("%3.0f", at.x());
    roiArray_[base + 3] = QString::asprintf("%3.0f", at.y());
    roiArray_[base + 4] = QString::number(intOf(drawer_->roiSize->text()));
    calcROIDataPoint(at.x(), at.y());
    selectRow(row);
    reloadTable();
  }
  redraw();
}

int CalMedImage::checkNearRoiPoint(QPointF p) {
  double gx = 0, gy = 0;
  const int k = mv::roiHitTest(roiArray_, currentSlice(), p.x(), p.y(),
                               mv::pixelsPerViewPoint(width_, hight_), &gx, &gy);
  dPoint_ = QPointF(gx, gy);
  return k;
}

void CalMedImage::mouseDownOnMedImage(QPointF p) {
  if (!drawer_->showROISwitch->isChecked() || imageData_.empty()) return;
  vPoint_ = p;
  const int k = checkNearRoiPoint(p);
  if (k < 0) {
    newROIAction();
    dPoint_ = QPointF();
  } else {
    const QString size = roiArray_.value(k * mv::kRoiFields + 4);
    drawer_->roiSize->setText(size);
    setSlider(drawer_->roiSizeSlider, intOf(size));
    selectRow(k);
    reloadTable();
    redraw();
  }
  setRoiPoint(vPoint_);
}

void CalMedImage::mouseDraggedOnMedImage(QPointF p) {
  if (!drawer_->showROISwitch->isChecked() || imageData_.empty()) return;
  vPoint_ = p;
  setRoiPoint(vPoint_);
}

void CalMedImage::mouseUpOnMedImage(QPointF p) {
  if (!drawer_->showROISwitch->isChecked() || imageData_.empty()) return;
  mouseDraggedOnMedImage(p);
  saveROIData();
}

void CalMedImage::newROIAction() {
  roiArray_ += mv::newRoi();
  reloadTable();
  selectRow(model_->rowCount() - 1);
  redraw();
}

void CalMedImage::deleteROIAction() {
  const int row = selectedRow();
  if (row < 0 || (row + 1) * mv::kRoiFields > roiArray_.size()) return;
  roiArray_.remove(row * mv::kRoiFields, mv::kRoiFields);
  for (int i = 0; i * mv::kRoiFields < roiArray_.size(); ++i)
    roiArray_[i * mv::kRoiFields] = QString::number(i + 1);
  deselect();
  reloadTable();
  postRoiData();
  saveROIData();
  redraw();
}

void CalMedImage::deleteAllROIAction_B() {
  roiArray_.clear();
  deselect();
  reloadTable();
  postRoiData();
  redraw();
}

void CalMedImage::deleteAllROIAction() {
  if (deleteAlert_) deleteAlert_->close();
  auto* alert = new QMessageBox(QMessageBox::Question, tr("Delete"), tr("Do you want to delete all ROIs ?"),
                                QMessageBox::NoButton, drawer_->imageView->window());
  alert->setAttribute(Qt::WA_DeleteOnClose);
  alert->setWindowModality(Qt::WindowModal);
  QPushButton* cancel = alert->addButton(tr("Cancel"), QMessageBox::RejectRole);
  QPushButton* remove = alert->addButton(tr("Delete"), QMessageBox::DestructiveRole);
  alert->setDefaultButton(cancel);
  connect(alert, &QMessageBox::finished, this, [this, alert, remove] {
    if (alert->clickedButton() != remove) return;
    deleteAllROIAction_B();
    sound("Basso");
    saveROIData();
  });
  deleteAlert_ = alert;
  alert->open();
}

void CalMedImage::selectRoiAction() {
  const int row = selectedRow();
  if (row < 0 || (row + 1) * mv::kRoiFields > roiArray_.size()) return;
  const int base = row * mv::kRoiFields;
  drawer_->showROISwitch->setChecked(true);
  drawer_->roiSize->setText(roiArray_[base + 4]);
  drawer_->sliceField->setText(roiArray_[base + 1].trimmed());
  setSlider(drawer_->roiSizeSlider, intOf(roiArray_[base + 4]));
  changeSliceFrom(intOf(roiArray_[base + 1]), false);
  redraw();
}

void CalMedImage::ROIListUp() {
  const int row = selectedRow();
  if (row > 0) selectRow(row - 1);
  reloadTable();
  sound("Tink");
  selectRoiAction();
}

void CalMedImage::ROIListDown() {
  const int row = selectedRow();
  if (row + 1 < model_->rowCount()) selectRow(row + 1);
  reloadTable();
  sound("Tink");
  selectRoiAction();
}

void CalMedImage::changeRoiSize(int size) {
  drawer_->roiSize->setText(QString::number(size));
  setSlider(drawer_->roiSizeSlider, size);
  const int row = selectedRow();
  if (row >= 0 && (row + 1) * mv::kRoiFields <= roiArray_.size()) {
    const int base = row * mv::kRoiFields;
    roiArray_[base + 4] = QString::number(size);
    calcROIDataPoint(roiArray_[base + 2].trimmed().toDouble(), roiArray_[base + 3].trimmed().toDouble());
    reloadTable();
  }
  redraw();
}

void CalMedImage::copyROIDataAction() {
  QApplication::clipboard()->setText(mv::roiText(roiArray_));
  sound("Tink");
}

void CalMedImage::loadOtherROIAction() {
  if (roiSheet_) roiSheet_->close();
  auto* sheet = new QFileDialog(host_.mainWindow ? static_cast<QWidget*>(host_.mainWindow) : drawer_.data(),
                                tr("Set ROI data File"), QFileInfo(dataPath_).absolutePath());
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setOption(QFileDialog::DontUseNativeDialog);
  sheet->setWindowModality(Qt::WindowModal);
  sheet->setFileMode(QFileDialog::ExistingFile);
  sheet->setNameFilter(QStringLiteral("ROI data (*.ROIData)"));
  connect(sheet, &QFileDialog::finished, this, [this, sheet](int result) {
    const QStringList files = sheet->selectedFiles();
    if (result == QDialog::Accepted && !files.isEmpty()) setOtherRoiData(files.first());
  });
  roiSheet_ = sheet;
  sheet->open();
}

void CalMedImage::setOtherRoiData(const QString& file) {
  if (imageData_.empty()) return;
  roiArray_ = mv::readRoiFile(file);
  postRoiData();
  pravella::NotificationCenter::defaultCenter().post(
      QStringLiteral("setViewSizeFactor"), QString::asprintf("%f", mv::pixelsPerViewPoint(width_, hight_)));
  reloadTable();
  // Every ROI is measured again on this image.
  for (int row = 0; (row + 1) * mv::kRoiFields <= roiArray_.size(); ++row) {
    const int base = row * mv::kRoiFields;
    selectRow(row);
    drawer_->showROISwitch->setChecked(true);
    drawer_->roiSize->setText(roiArray_[base + 4]);
    setSlider(drawer_->roiSizeSlider, intOf(roiArray_[base + 4]));
    changeSliceFrom(intOf(roiArray_[base + 1]), false);
    calcROIDataPoint(roiArray_[base + 2].trimmed().toDouble(), roiArray_[base + 3].trimmed().toDouble());
    reloadTable();
    redraw();
  }
  deselect();
  reloadTable();
  saveROIData();
  redraw();
}
