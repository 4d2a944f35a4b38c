#pragma once
// The slice picture of the medical image viewer: the slice scaled so that its longer side is 256
// view points, row 0 on top, with the outlines of the regions of interest of the shown slice. ROI centres
// are kept in view points with y upwards (0 at the bottom row, 255 at the top), so the ROI
// files keep their meaning; mouse positions and outlines are turned here. While ROI editing
// is on, the mouse posts "mouseDownOnMedImage", "mouseDraggedOnMedImage" and
// "mouseUpOnMedImage" with "window x, window y, view x, view y" separated by tabs.

#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QAbstractItemView;
class QLineEdit;

class MedImageView : public QWidget {
 public:
  static constexpr int kViewSize = 256;
  explicit MedImageView(QWidget* parent = nullptr);
  ~MedImageView() override;
  // The controls it reads: the slice field, the ROI table (its selected row is outlined in
  // red) and the ROI editing switch.
  void setControls(QLineEdit* nowSliceNumber, QAbstractItemView* roiTableView,
                   QAbstractButton* showROISwitch);
  void setImage(const QImage& image);
  const QImage& image() const { return image_; }
  void setRoiDataOfRoiView(const QStringList& rois);
  void setViewSizeFactor(double imagePixelsPerPoint);
  const QStringList& roiPositions() const { return roiPosArray_; }
  double viewSizeFactor() const { return viewSizeFactor_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void postMouse(const char* name, QMouseEvent* event);

  QPointer<QLineEdit> nowSliceNumber_;
  QPointer<QAbstractItemView> roiTableView_;
  QPointer<QAbstractButton> showROISwitch_;
  QImage image_;
  QStringList roiPosArray_;
  double viewSizeFactor_ = 1.0;  // view points per image pixel
};
