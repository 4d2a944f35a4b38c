#pragma once
// The content of every OpenGL plot window. It owns the plot's arrays and picture, taken over
// from the hand-off area, and the picture's texture; it keeps the bounding box and the
// settings that programs change by title. Camera, input and drawing come with the next views'
// work; for now it clears to its background colour.

#include <QByteArray>
#include <QOpenGLWidget>
#include <QPointer>

#include <array>
#include <cstdint>

#include "graphics/gl/gl_plot_data.h"

class QOpenGLFunctions_2_1;

namespace pravella::gl {

class vkOpenGLWindow;

class BasicOpenGLView : public QOpenGLWidget {
  Q_OBJECT
 public:
  explicit BasicOpenGLView(vkOpenGLWindow* controller, QWidget* parent = nullptr);
  ~BasicOpenGLView() override;

  // Wake: the settings' first values, then the arrays and picture from the controller.
  void awakeFromNib();

  void calc_max_min();
  // Frees the arrays and the picture's texture (its context made current for that).
  void dealloc_GLMemory();
  // Drops the arrays, takes the new ones and picture over, and draws.
  void reloadGLData();

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

  // What the tests and the next drawing code read.
  const GLPlotData& plotData() const { return data_; }
  const QByteArray& picture() const { return picture_; }
  std::uint32_t textureName() const { return texID_; }
  std::array<float, 6> bounds() const { return {xmax, xmin, ymax, ymin, zmax, zmin}; }
  std::array<float, 3> backColor() const { return BackColor; }
  std::array<float, 4> worldRotation() const { return worldRotation_; }
  std::array<std::int8_t, 6> switches() const {
    return {planeSwitch, pointSwitch, lineSwitch, colorSwitch, lightSwitch, boxSwitch};
  }
  float objectSize() const { return objectSize_; }
  float pointSize() const { return pointSize_; }
  float lineWidth() const { return lineWidth_; }

  // Texture names of picture textures alive in all views: what the tests see freed.
  static int liveTextures();

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  void makeTextureFromPict();
  void deleteTexture();
  void pullData();
  void redraw();

  QPointer<vkOpenGLWindow> vkOpenGLWin;
  QOpenGLFunctions_2_1* gl_ = nullptr;
  GLPlotData data_;
  QByteArray picture_;
  std::uint32_t texID_ = 0;
  std::uint32_t pictWidth = 0, pictHight = 0;

  std::int8_t planeSwitch = 1, pointSwitch = 0, lineSwitch = 1, colorSwitch = 1,
              lightSwitch = 0, boxSwitch = 1;
  std::array<float, 3> BackColor{0.3f, 0.3f, 0.3f};
  std::array<float, 3> LineColor{1, 1, 1};
  std::array<float, 3> PointColor{1, 1, 1};
  std::array<float, 3> PlaneColor{0.5f, 0.5f, 0.5f};
  float pointSize_ = 4, lineWidth_ = 1, colorAlfa = 0.5f, objectSize_ = 1.5f;
  std::array<float, 4> worldRotation_{180, 0.3f, -0.8f, -0.3f};
  std::array<float, 4> objectRotation_{0, 0, 0, 0};
  float xmax = 0, xmin = 0, ymax = 0, ymin = 0, zmax = 0, zmin = 0;
};

}  // namespace pravella::gl
