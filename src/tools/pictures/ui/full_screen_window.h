#pragma once
// The slide show's full-screen window: frameless, above other windows, filling its screen.
// Its content view letterboxes the picture on black. Keys and clicks only post notifications;
// the picture drawer observes them.

#include <QImage>
#include <QWidget>

class FullScreenView : public QWidget {
  Q_OBJECT
 public:
  explicit FullScreenView(QWidget* parent = nullptr);
  void setImage(const QImage& image);
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;  // "EndSlideShow"

 private:
  QImage image_;
};

class FullScreenWindow : public QWidget {
  Q_OBJECT
 public:
  FullScreenWindow();
  FullScreenView* view() const { return view_; }
  // Fills the screen the window stands on, then comes to the front with the keys.
  void fillScreenAndShow();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;  // "stopSlideShow"

 private:
  FullScreenView* view_;
};
