#pragma once
// The drawer of the medical image viewer on the right of the main window: the slice view with
// its colour bar, the window controls (lower value, highest value, upper value in use), the
// slice controls, the gain, the four modality presets, copying and pasting, the ROI table with
// its controls and the drawer's own progress bar. The controller (CalMedImage) connects them.

#include <QDockWidget>

class MedImageView;
class getKeyOnROITable;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;

class MedImageDrawer : public QDockWidget {
 public:
  explicit MedImageDrawer(QWidget* parent = nullptr);

  MedImageView* imageView = nullptr;
  QLabel* colorBarView = nullptr;
  QButtonGroup* colorChangeSwitch = nullptr;  // 0 colour, 1 black and white
  QLineEdit* currentMaxField = nullptr;
  QSlider* mainSlider = nullptr;
  QLineEdit* maxFiled = nullptr;
  QSlider* maxSlider = nullptr;
  QLineEdit* minField = nullptr;
  QSlider* minSlider = nullptr;
  QLineEdit* sliceField = nullptr;
  QSlider* sliceSlider = nullptr;
  QPushButton* goLeftButton = nullptr;
  QPushButton* goRightButton = nullptr;
  QLineEdit* densityField = nullptr;
  QSlider* densityMag = nullptr;
  QProgressBar* processIndicator = nullptr;
  QLineEdit* roiSize = nullptr;
  QSlider* roiSizeSlider = nullptr;
  getKeyOnROITable* roiTableView = nullptr;
  QCheckBox* showROISwitch = nullptr;
  QCheckBox* checkROISwitch = nullptr;
  QPushButton *petButton = nullptr, *spectButton = nullptr, *ctButton = nullptr, *mriButton = nullptr;
  QPushButton *copyButton = nullptr, *pasteThisButton = nullptr, *pasteAllButton = nullptr;
  QPushButton *newRoiButton = nullptr, *deleteRoiButton = nullptr, *deleteAllRoiButton = nullptr;
  QPushButton *copyRoiButton = nullptr, *loadRoiButton = nullptr, *closeButton = nullptr;
};
