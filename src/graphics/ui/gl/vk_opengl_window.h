#pragma once
// The controller of one OpenGL plot window opened by a program. It builds the window with its
// view, keeps the window's pair in glWindowList in step with the window's life, and relays the
// commands that programs send by title to the view after bringing the window to the front.
// It lives as a child of its window, so it goes when the window closes.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "graphics/gl/gl_plot_data.h"

namespace pravella::gl {

class BasicOpenGLView;

class vkOpenGLWindow : public QObject {
  Q_OBJECT
 public:
  // Builds the window (content 400 by 300) and wakes its view, which pulls the hand-off area;
  // then stores itself in glwindowID.
  vkOpenGLWindow();

  QWidget* window() const { return window_; }
  BasicOpenGLView* imageView() const { return imageView_; }

  void setWindowTitle(const QString& title);
  void setImageToSubWindowNoTitle();
  // The close button: the pair leaves the list and the view frees its arrays and texture.
  bool windowShouldClose();
  // A program's close: the pair leaves the list, then the window closes (and frees the same).
  void closeGLWindow();
  // Top-left corner at x, and at the main window's frame top plus y. Values that are not
  // finite or do not fit the screen's integers leave the window where and as it is.
  void moveGLWindow(double x, double y);
  void sizeGLWindow(double w, double h);

  // The hand-off area's arrays and picture, moved to the caller.
  void getGLData(GLPlotData& out);
  void getTexturePicture(QByteArray& picture);

  void setBackColor(double r, double g, double b);
  void setLineColor(double r, double g, double b);
  void setPointColor(double r, double g, double b);
  void setPlaneColor(double r, double g, double b);
  void setObjectSize(double v);
  void setPointSize(double v);
  void setLineWidth_gl(double v);
  void setPointSwitch(double v);
  void setLineSwitch(double v);
  void setPlaneSwitch(double v);
  void setColorSwitch(double v);
  void setBoxSwitch(double v);
  void setWorldRotation(double angle, double x, double y, double z);
  void setObjectRotation(double angle, double x, double y, double z);

  void reloadGLData();
  // The view's image on the clipboard; the image (null when there is none). The window is not
  // brought to the front.
  QImage DoGetGLPictureToClip();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void orderFront();
  void awakeFromNib();

  QPointer<QWidget> window_;
  BasicOpenGLView* imageView_ = nullptr;
};

}  // namespace pravella::gl
