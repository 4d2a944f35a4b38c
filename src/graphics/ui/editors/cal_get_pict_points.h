#pragma once
// The point digitiser's panel: a picture (or a matrix's density image) magnified 1 to 8 times
// or at a free size, on which the user edits the digitiser's points. The editing lives in
// graphics/editors/point_digitiser.h; the view maps mouse events (Ctrl is Command, Alt is
// Option) and paints, the controls set the digitiser's switches.

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSlider;

namespace pravella {

class ElidedLabel;

class getPictPointsView : public QWidget {
  Q_OBJECT
 public:
  explicit getPictPointsView(QWidget* parent = nullptr);

 signals:
  void resized();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPointF viewPoint(QPointF qtPosition) const;  // y up
};

// Observes "showGetPictPointsPanel" from its creation and answers with the code the panel
// ended with (128 OK, 129 Cancel or closed).
class CalGetPictPoints : public QDialog {
  Q_OBJECT
 public:
  // Magnification choices 0..7 are 1 to 8 times; 8 is a free size.
  static constexpr int kFreeSize = 8;

  explicit CalGetPictPoints(QWidget* parent = nullptr);
  ~CalGetPictPoints() override;

  int showGetPictPointsPanel();
  void showGetPictPointsImage();
  getPictPointsView* imageView() const { return imageView_; }

  void setMagnification(int tag);
  int magnification() const;
  void OkAction();
  void CancelAction();
  void copyImage();
  void reject() override;

  // The controls, for tests.
  QCheckBox* lineSwitch() const { return lineSwitch_; }
  QCheckBox* closeLineSwitch() const { return closeLineSwitch_; }
  QCheckBox* triangleSwitch() const { return triangleSwitch_; }
  QCheckBox* lineColorSwitch() const { return lineColorSwitch_; }
  QSlider* bSplineSlider() const { return bSplineSlider_; }
  QDoubleSpinBox* markSize() const { return markSize_; }
  ElidedLabel* statusLine() const { return status_; }

 private:
  // The view's size gives the factors; a size off the image's aspect is the free size.
  void windowDidResize();
  void syncControls();  // the controls from the digitiser
  void takeControls();  // the digitiser's switches from the controls
  void chooseMagnification();

  getPictPointsView* imageView_;
  QCheckBox* lineSwitch_;
  QCheckBox* lineColorSwitch_;
  QCheckBox* closeLineSwitch_;
  QCheckBox* triangleSwitch_;
  QSlider* bSplineSlider_;
  QComboBox* magRadioButton_;
  QDoubleSpinBox* markSize_;
  ElidedLabel* status_;  // why the last double click placed no point
};

}  // namespace pravella
