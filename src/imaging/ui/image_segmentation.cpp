#include "imaging/ui/image_segmentation.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>

#include "diary/diary_globals.h"
#include "editors/ui/menu_script.h"
#include "imaging/ui/cal_browser.h"
#include "imaging/ui/image_seg_view.h"
#include "platform/desktop_open.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/field_width.h"

namespace {

template <class W>
W* named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QSlider* slider(QWidget* parent, const char* name) {
  return named(new QSlider(Qt::Horizontal, parent), name);
}

QLineEdit* field(QWidget* parent, const char* name, bool readOnly = true) {
  auto* f = named(new QLineEdit(parent), name);
  f->setReadOnly(readOnly);
  f->setMaximumWidth(70);
  return f;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& title) {
  return named(new QCheckBox(title, parent), name);
}

QPushButton* button(QWidget* parent, const char* name, const QString& title) {
  return named(new QPushButton(title, parent), name);
}

// The view's controls in a grid beside it.
QWidget* buildControls(QWidget* parent, ImageSegControls& c) {
  auto* box = new QWidget(parent);
  auto* grid = new QGridLayout(box);
  int row = 0;
  auto line = [&](const QString& label, QWidget* a, QWidget* b = nullptr) {
    grid->addWidget(new QLabel(label, box), row, 0);
    grid->addWidget(a, row, 1);
    if (b) grid->addWidget(b, row, 2);
    ++row;
  };
  c.sliceNumber = field(box, "sliceNumber");
  c.sliceSlider = slider(box, "sliceSlider");
  line(QObject::tr("Slice"), c.sliceNumber, c.sliceSlider);
  c.minValueTField = field(box, "minValueTField");
  c.minSlider = slider(box, "minSlider");
  line(QObject::tr("Display min"), c.minValueTField, c.minSlider);
  c.maxValueTField = field(box, "maxValueTField");
  c.maxSlider = slider(box, "maxSlider");
  line(QObject::tr("Display max"), c.maxValueTField, c.maxSlider);
  c.minTHValueTField = field(box, "minTHValueTField");
  c.minTHSlider = slider(box, "minTHSlider");
  line(QObject::tr("Lower threshold"), c.minTHValueTField, c.minTHSlider);
  c.maxTHValueTField = field(box, "maxTHValueTField");
  c.maxTHSlider = slider(box, "maxTHSlider");
  line(QObject::tr("Upper threshold"), c.maxTHValueTField, c.maxTHSlider);
  c.minTHSteper = named(new QSpinBox(box), "minTHSteper");
  c.maxTHSteper = named(new QSpinBox(box), "maxTHSteper");
  line(QObject::tr("Step thresholds"), c.minTHSteper, c.maxTHSteper);
  c.detectValueField = field(box, "detectValueField");
  c.detectValueSlider = slider(box, "detectValueSlider");
  c.detectValueSlider->setRange(0, 10000);
  c.detectValueSlider->setValue(100);
  c.detectValueField->setText(QStringLiteral("100"));
  line(QObject::tr("Allowed jump"), c.detectValueField, c.detectValueSlider);
  c.magNumber = field(box, "magNumber");
  c.magSlider = slider(box, "magSlider");
  line(QObject::tr("Zoom"), c.magNumber, c.magSlider);
  c.sizeXField = field(box, "sizeXField", false);
  c.sizeYField = field(box, "sizeYField", false);
  c.sizeZField = field(box, "sizeZField", false);
  // Three values in the one row, each as wide as a size of the view's form ("%6.4f") needs,
  // across both columns the other rows give their field and slider.
  auto* sizes = new QWidget(box);
  auto* sizeRow = new QHBoxLayout(sizes);
  sizeRow->setContentsMargins(0, 0, 0, 0);
  for (QLineEdit* f : {c.sizeXField, c.sizeYField, c.sizeZField}) {
    pravella::fitLineEditTo(f, QStringLiteral("000.0000"));
    sizeRow->addWidget(f);
  }
  grid->addWidget(new QLabel(QObject::tr("Voxel size"), box), row, 0);
  grid->addWidget(sizes, row, 1, 1, 2);
  ++row;
  c.colorSwitch = check(box, "colorSwitch", QObject::tr("Color"));
  c.volumeSwitch = check(box, "volumeSwitch", QObject::tr("Volume"));
  c.segmentationSwitch = check(box, "segmentationSwitch", QObject::tr("Segmentation"));
  c.boundarySwitch = check(box, "boundarySwitch", QObject::tr("Outline"));
  grid->addWidget(c.colorSwitch, row, 0);
  grid->addWidget(c.volumeSwitch, row, 1);
  grid->addWidget(c.segmentationSwitch, row, 2);
  grid->addWidget(c.boundarySwitch, ++row, 0);
  ++row;
  c.prevSlice = button(box, "prevSliceButton", QStringLiteral("<"));
  c.nextSlice = button(box, "nextSliceButton", QStringLiteral(">"));
  c.keepArea = button(box, "keepAreaButton", QObject::tr("Keep"));
  c.deleteArea = button(box, "deleteAreaButton", QObject::tr("Delete"));
  c.areaInvers = button(box, "areaInversButton", QObject::tr("Invert"));
  c.smooth = button(box, "smoothButton", QObject::tr("Smooth"));
  c.restoreArea = button(box, "restoreAreaButton", QObject::tr("Restore"));
  c.save = button(box, "saveButton", QObject::tr("Save..."));
  int col = 0;
  for (QPushButton* b :
       {c.prevSlice, c.nextSlice, c.keepArea, c.deleteArea, c.areaInvers, c.smooth, c.restoreArea, c.save}) {
    grid->addWidget(b, row + col / 3, col % 3);
    ++col;
  }
  return box;
}

}  // namespace

ImageSegmentation::ImageSegmentation(pravella::DeskToolHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {}

ImageSegmentation::~ImageSegmentation() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (ISDrawer_) ISDrawer_->deleteLater();
}

QDockWidget* ImageSegmentation::drawer() const { return ISDrawer_; }

void ImageSegmentation::awakeFromNib() {
  auto* dock = new QDockWidget(tr("Segmentation"), host_.mainWindow);
  dock->setObjectName(QStringLiteral("ISDrawer"));
  ISDrawer_ = dock;
  connect(dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) ensureBuilt();
  });
  if (host_.addSideView)
    host_.addSideView(dock);
  else
    dock->hide();

  auto& center = pravella::NotificationCenter::defaultCenter();
  center.addObserver(QStringLiteral("reloadImageSegmentBrowserData"), this,
                     [this](pravella::Notification& n) { setPathToBrowser(n.text); });
  center.addObserver(QStringLiteral("cal_setImageSegmentSheetButton"), this,
                     [this](pravella::Notification& n) { setISSheetButton(n.text); });
  center.addObserver(QStringLiteral("cal_openImageSegmentSheetWithPath"), this,
                     [this](pravella::Notification& n) { openISSheetWithPath(n.text); });
}

void ImageSegmentation::ensureBuilt() {
  if (imageView_) return;
  QDockWidget* dock = ISDrawer_;
  auto* content = named(new QWidget(dock), "ISViewer");
  auto* column = new QVBoxLayout(content);

  auto* top = new QHBoxLayout;
  imageView_ = new ImageSegView(host_.mainWindow, content);
  ImageSegControls controls;
  QWidget* controlBox = buildControls(content, controls);
  top->addWidget(imageView_, 1);
  top->addWidget(controlBox);
  column->addLayout(top, 2);

  auto* buttons = new QHBoxLayout;
  jumpButtons_ = new QButtonGroup(content);
  for (int tag = 0; tag < 5; ++tag) {
    const QString& title = buttonTitles_[static_cast<std::size_t>(tag)];
    auto* b = new QPushButton(title.isEmpty() ? QStringLiteral("Script %1").arg(tag + 1) : title, content);
    b->setObjectName(QStringLiteral("jumpButton%1").arg(tag));
    jumpButtons_->addButton(b, tag);
    buttons->addWidget(b);
  }
  column->addLayout(buttons);

  auto* lower = new QSplitter(Qt::Horizontal, content);
  fBrowser_ = new CalBrowser(lower);
  textView_ = named(new QTextEdit(lower), "textView");
  controls.textView = textView_;
  column->addWidget(lower, 1);
  imageView_->setControls(controls);
  dock->setWidget(content);

  fBrowser_->setPath(pravella::paths::home());
  if (!browserPath_.isEmpty()) fBrowser_->setPath(browserPath_);
  connect(fBrowser_, &QAbstractItemView::clicked, this, [this] { browserSingleClick(); });
  connect(fBrowser_, &QAbstractItemView::doubleClicked, this, [this] { browserDoubleClick(); });
  connect(jumpButtons_, &QButtonGroup::idClicked, this, [this](int tag) { jumpFolderAction(tag); });
}

void ImageSegmentation::openISSheet() {
  if (SheetCanOpen.load() == 0) return;
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  ensureBuilt();
  ISDrawer_->show();
  if (host_.setToggleStatus) host_.setToggleStatus(kToggleStatus);
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("resetTrackingRectOfSegImageView"));
}

void ImageSegmentation::closeISSheet() {
  if (host_.closeAllToggleView) host_.closeAllToggleView();
}

void ImageSegmentation::toggleISSheet() {
  if (ISDrawer_->isVisible())
    closeISSheet();
  else
    openISSheet();
}

void ImageSegmentation::openISSheetWithPath(const QString& path) {
  if (!ISDrawer_->isVisible()) openISSheet();
  QString full = path;
  if (full.startsWith(QLatin1Char('~'))) {
    QString rest = full.mid(1);
    while (rest.startsWith(QLatin1Char('/'))) rest.remove(0, 1);
    full = rest.isEmpty() ? pravella::paths::home() : pravella::paths::home() + QLatin1Char('/') + rest;
  }
  ensureBuilt();  // also while side views cannot open
  fBrowser_->setPath(full);
}

void ImageSegmentation::setISSheetButton(const QString& fields) {
  const QStringList f = fields.split(QLatin1Char('\t'));
  if (f.size() < 3) return;
  const int n = f[0].trimmed().toInt();
  if (n < 1 || n > 5) return;
  buttonTitles_[static_cast<std::size_t>(n - 1)] = f[1];
  if (QAbstractButton* b = jumpButtons_ ? jumpButtons_->button(n - 1) : nullptr) b->setText(f[1]);
  scriptFileName_[static_cast<std::size_t>(n - 1)] = f.mid(2).join(QLatin1Char('\t'));
}

void ImageSegmentation::jumpFolderAction(int tag) {
  if (tag < 0 || tag >= 5) return;
  const QString script = scriptFileName_[static_cast<std::size_t>(tag)];
  if (script.size() < 2) return;
  pravella::runScriptButton(script);
}

void ImageSegmentation::browserSingleClick() {
  if (!fBrowser_) return;
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("setImageFilePath"), fBrowser_->path());
}

void ImageSegmentation::browserDoubleClick() {
  if (fBrowser_) pravella::openWithDesktop(fBrowser_->path());
}

void ImageSegmentation::setPathToBrowser(const QString& folder) {
  browserPath_ = folder;
  if (fBrowser_) fBrowser_->setPath(folder);
}
