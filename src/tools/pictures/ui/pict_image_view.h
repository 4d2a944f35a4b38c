#pragma once
// PictImageView: shows a picture scaled to fit, or at actual size with a magnification and
// panning by mouse drag; folders dropped on it go to the picture drawer ("openPictImageFolder"
// once for each, 0.1 s after the drop).

#include <QImage>
#include <QPointF>
#include <QStringList>
#include <QWidget>

class PictImageView : public QWidget {
  Q_OBJECT
 public:
  explicit PictImageView(QWidget* parent = nullptr);

  void setImage(const QImage& image);
  const QImage& image() const { return image_; }

  // Actual-size mode (the scaling switch on) and its magnification (the slider's value).
  void setActualSize(bool on);
  bool actualSize() const { return actualSize_; }
  void setMagnification(double m);
  double magnification() const { return magnification_; }

  // The pan offset (view points); kept across mode changes until reset.
  QPointF xPoint() const { return xPoint_; }
  void resetPositionInImageView();

  // What a drop hands over, then what happens 0.1 s later.
  void takeDroppedPaths(const QStringList& paths);
  void doingDragOperation();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QImage image_;
  bool actualSize_ = false;
  double magnification_ = 1.0;
  QPointF xPoint_;  // pan offset
  QPointF yPoint_;  // last mouse location during a drag
  QStringList dropped_;
};
