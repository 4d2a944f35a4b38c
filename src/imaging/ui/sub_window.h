#pragma once
// A picture sub-window: a top-level window that shows one picture a program sent under a
// title. The controller lives as a child of its window and goes with it.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QWidget>

namespace pravella::imaging {

class SubWindowImageView : public QWidget {
  Q_OBJECT
 public:
  explicit SubWindowImageView(QWidget* parent = nullptr);
  void setImage(const QImage& image);
  const QImage& image() const { return image_; }
  void redrawAction() { update(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

class SubWindow : public QObject {
  Q_OBJECT
 public:
  SubWindow();
  ~SubWindow() override;

  QWidget* window() const { return window_; }
  SubWindowImageView* imageView() const { return imageView_; }
  QSizeF imageSize() const { return imageSize_; }

  // A new window: placed beside the main window, sized to the picture, shown in front.
  void setImageToSubWindow(const QImage& image, const QString& title);
  // Another picture in this window; title, frame and proportions stay.
  void setImageToSubWindowNoTitle(const QImage& image);
  void closePictWindow();
  void movePictWindow(double x, double y);
  void sizePictWindow(double width, double height);
  // The shown picture, as the view draws it, to the clipboard.
  void copy();
  // The window is closing by hand: its title leaves the list.
  bool windowShouldClose();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void orderFront();
  void keepProportions();

  QPointer<QWidget> window_;
  SubWindowImageView* imageView_ = nullptr;
  QSizeF imageSize_;
  bool resizing_ = false;
};

}  // namespace pravella::imaging
