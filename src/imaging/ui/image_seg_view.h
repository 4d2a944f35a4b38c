#pragma once
// The segmentation view: one slice of a medical volume file, zoomed and panned, on which a
// click sets the seed (and, with segmentation off, thresholds five steps either side of the
// value under it). With segmentation on the connected region between the thresholds, on the
// slice or through the volume, is drawn in red (or by its outline) and its pixel count and
// volume in millilitres go into the result text. Thresholds can be stepped until the region
// jumps; the image can be edited by the region, restored slice by slice and saved as a copy.
// It opens the file posted with "setImageFilePath".

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QWidget>

class QCheckBox;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTextEdit;

// The controls of the view, made by the drawer.
struct ImageSegControls {
  QCheckBox *colorSwitch = nullptr, *volumeSwitch = nullptr, *segmentationSwitch = nullptr,
            *boundarySwitch = nullptr;
  QSlider *maxSlider = nullptr, *minSlider = nullptr, *maxTHSlider = nullptr, *minTHSlider = nullptr;
  QLineEdit *maxTHValueTField = nullptr, *minTHValueTField = nullptr, *maxValueTField = nullptr,
            *minValueTField = nullptr;
  QLineEdit* sliceNumber = nullptr;
  QSlider* sliceSlider = nullptr;
  QTextEdit* textView = nullptr;
  QSlider* magSlider = nullptr;
  QLineEdit* magNumber = nullptr;
  QSpinBox *minTHSteper = nullptr, *maxTHSteper = nullptr;
  QLineEdit* detectValueField = nullptr;
  QSlider* detectValueSlider = nullptr;
  QLineEdit *sizeXField = nullptr, *sizeYField = nullptr, *sizeZField = nullptr;
  QPushButton *prevSlice = nullptr, *nextSlice = nullptr, *keepArea = nullptr, *deleteArea = nullptr,
              *areaInvers = nullptr, *smooth = nullptr, *restoreArea = nullptr, *save = nullptr;
};

class ImageSegView : public QWidget {
 public:
  explicit ImageSegView(QWidget* mainWindow, QWidget* parent = nullptr);
  ~ImageSegView() override;
  // Connects the controls and puts them into their empty state.
  void setControls(const ImageSegControls& controls);
  const ImageSegControls& controls() const { return c_; }

  void setImageFilePath(const QString& path);
  void resetImageStatus();
  bool showImage();
  void segmentationAction();
  void sliceSliderAction();
  void minTHSteperAction();
  void maxTHSteperAction();
  bool gotoMaxUp(double u);
  bool gotoMaxDown(double u);
  bool gotoMinUp(double l);
  bool gotoMinDown(double l);
  void keepAreaAction();
  void deleteAreaAction();
  void areaInversAction();
  void smoothAction();
  void restoreAreaAction();
  void saveAction();
  void didEndSaveImageSheet(int returnCode, const QString& path);
  void volumeSegAction();

  const QString& nowOpendImageFile() const { return nowOpendImageFile_; }
  const QImage& shownImage() const { return image_; }
  QFileDialog* saveSheet() const;
  QPointF panOffset() const { return xPoint_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  double mag() const;
  QPointF sourceOrigin() const;
  void setThresholdsFrom(std::int16_t lower, std::int16_t upper);
  bool step(int which, double value);
  void setNULLImage();
  QImage makeDataImage(int slice, int lower, double factor) const;

  QWidget* mainWindow_ = nullptr;
  ImageSegControls c_;
  QString nowOpendImageFile_;
  QImage image_;
  QPointF xPoint_;  // pan offset in image pixels
  QPointF yPoint_;  // last mouse position while dragging
  bool dragging_ = false;
  QPointer<QFileDialog> saveSheet_;
};
