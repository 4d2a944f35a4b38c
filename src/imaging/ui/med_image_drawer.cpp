#include "imaging/ui/med_image_drawer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "imaging/ui/get_key_on_roi_table.h"
#include "imaging/ui/med_image_view.h"

namespace {

template <class W>
W* named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QSlider* slider(QWidget* parent, const char* name, int low, int high, int value) {
  auto* s = named(new QSlider(Qt::Horizontal, parent), name);
  s->setRange(low, high);
  s->setValue(value);
  return s;
}

QLineEdit* field(QWidget* parent, const char* name, const QString& text) {
  auto* f = named(new QLineEdit(text, parent), name);
  f->setMaximumWidth(70);
  return f;
}

}  // namespace

MedImageDrawer::MedImageDrawer(QWidget* parent) : QDockWidget(tr("Medical Image"), parent) {
  setObjectName(QStringLiteral("medImageDraw"));
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);

  auto* top = new QHBoxLayout;
  imageView = new MedImageView(box);
  colorBarView = named(new QLabel(box), "colorBarView");
  top->addWidget(imageView);
  top->addWidget(colorBarView);
  column->addLayout(top);

  auto* grid = new QGridLayout;
  int row = 0;
  auto line = [&](const QString& label, QLineEdit* f, QSlider* s) {
    grid->addWidget(new QLabel(label, box), row, 0);
    grid->addWidget(f, row, 1);
    grid->addWidget(s, row, 2);
    ++row;
  };
  minField = field(box, "minField", QStringLiteral("0"));
  minSlider = slider(box, "minSlider", -2000, 2000, 0);
  line(tr("Lower"), minField, minSlider);
  maxFiled = field(box, "maxFiled", QStringLiteral("1500"));
  maxSlider = slider(box, "maxSlider", -2000, 30000, 1500);
  line(tr("Highest"), maxFiled, maxSlider);
  currentMaxField = field(box, "currentMaxField", QStringLiteral("1200"));
  mainSlider = slider(box, "mainSlider", 0, 1500, 1200);
  line(tr("Upper"), currentMaxField, mainSlider);
  sliceField = field(box, "sliceField", QStringLiteral("1"));
  sliceSlider = slider(box, "sliceSlider", 1, 1, 1);
  line(tr("Slice"), sliceField, sliceSlider);
  densityField = field(box, "densityField", QStringLiteral("100"));
  densityField->setReadOnly(true);
  densityMag = slider(box, "densityMag", 10, 200, 100);
  line(tr("Gain %"), densityField, densityMag);
  column->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  goLeftButton = named(new QPushButton(QStringLiteral("<"), box), "goLeftButton");
  goRightButton = named(new QPushButton(QStringLiteral(">"), box), "goRightButton");
  auto* colour = named(new QRadioButton(tr("Color"), box), "colorButton");
  auto* grey = named(new QRadioButton(tr("B/W"), box), "bwButton");
  colorChangeSwitch = new QButtonGroup(box);
  colorChangeSwitch->addButton(colour, 0);
  colorChangeSwitch->addButton(grey, 1);
  colour->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{goLeftButton, goRightButton, colour, grey})
    buttons->addWidget(w);
  column->addLayout(buttons);

  auto* presets = new QHBoxLayout;
  petButton = named(new QPushButton(QStringLiteral("PET"), box), "PETButton");
  spectButton = named(new QPushButton(QStringLiteral("SPECT"), box), "SPECTButton");
  ctButton = named(new QPushButton(QStringLiteral("CT"), box), "CTButton");
  mriButton = named(new QPushButton(QStringLiteral("MRI"), box), "MRIButton");
  for (QPushButton* b : {petButton, spectButton, ctButton, mriButton}) presets->addWidget(b);
  column->addLayout(presets);

  auto* copies = new QHBoxLayout;
  copyButton = named(new QPushButton(tr("Copy"), box), "CopyButton");
  pasteThisButton = named(new QPushButton(tr("Paste"), box), "pasteThisImageButton");
  pasteAllButton = named(new QPushButton(tr("Paste All"), box), "pasteAllImageButton");
  closeButton = named(new QPushButton(tr("Close"), box), "CloseMedSheetButton");
  for (QPushButton* b : {copyButton, pasteThisButton, pasteAllButton, closeButton}) copies->addWidget(b);
  column->addLayout(copies);

  auto* roiRow = new QHBoxLayout;
  showROISwitch = named(new QCheckBox(tr("ROI"), box), "showROISwitch");
  checkROISwitch = named(new QCheckBox(tr("Check"), box), "checkROISwitch");
  roiSize = field(box, "roiSize", QStringLiteral("10"));
  roiSizeSlider = slider(box, "roiSizeSlider", 1, 128, 10);
  for (QWidget* w : std::initializer_list<QWidget*>{showROISwitch, checkROISwitch, roiSize, roiSizeSlider})
    roiRow->addWidget(w);
  column->addLayout(roiRow);

  roiTableView = named(new getKeyOnROITable(box), "roiTableView");
  roiTableView->verticalHeader()->hide();
  column->addWidget(roiTableView, 1);

  auto* roiButtons = new QHBoxLayout;
  newRoiButton = named(new QPushButton(tr("New"), box), "newROIButton");
  deleteRoiButton = named(new QPushButton(tr("Delete"), box), "deleteROIButton");
  deleteAllRoiButton = named(new QPushButton(tr("Delete All"), box), "deleteAllROIButton");
  copyRoiButton = named(new QPushButton(tr("Copy Data"), box), "copyROIDataButton");
  loadRoiButton = named(new QPushButton(tr("Set ROI File"), box), "loadOtherROIButton");
  for (QPushButton* b : {newRoiButton, deleteRoiButton, deleteAllRoiButton, copyRoiButton, loadRoiButton})
    roiButtons->addWidget(b);
  column->addLayout(roiButtons);

  processIndicator = named(new QProgressBar(box), "processIndicator");
  processIndicator->setValue(0);
  column->addWidget(processIndicator);

  imageView->setControls(sliceField, roiTableView, showROISwitch);
  setWidget(box);
}
