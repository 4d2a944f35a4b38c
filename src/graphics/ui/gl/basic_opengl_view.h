#pragma once
// The content of every OpenGL plot window. It owns the plot's arrays and picture, taken over
// from the hand-off area, and the picture's texture; it keeps a camera, the rotations and the
// drawing switches that programs change by title, and lets the user turn the scene with a
// trackball (left drag), pan (right drag, or left with Meta), dolly (middle drag, or left with
// Alt), zoom with the wheel, spin it by flinging, and switch parts of the drawing with keys.
// Its methods live in four files: state and timer here, input, drawing and export beside.

#include <QByteArray>
#include <QImage>
#include <QOpenGLWidget>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTextDocument>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "graphics/gl/gl_camera.h"
#include "graphics/gl/gl_plot_data.h"
#include "platform/atomic_file.h"
#include "platform/rtf.h"

class QAction;
class QMenu;
class QOpenGLFunctions_2_1;
class QTimer;

namespace pravella::gl {

class GLString;
class vkOpenGLWindow;

// Clipboard and export types of the view's image.
inline constexpr const char* kTIFFType = "image/tiff";
inline constexpr const char* kRTFDType = "text/rtfd";

class BasicOpenGLView : public QOpenGLWidget {
  Q_OBJECT
 public:
  explicit BasicOpenGLView(vkOpenGLWindow* controller, QWidget* parent = nullptr);
  ~BasicOpenGLView() override;

  // Wake: the settings' first values, the timer, then the arrays and picture from the
  // controller.
  void awakeFromNib();

  void calc_max_min();
  // Frees the arrays and the picture's texture (its context made current for that).
  void dealloc_GLMemory();
  // Drops the arrays, takes the new ones and picture over, and draws.
  void reloadGLData();

  // Settings: each stores its value and draws at once.
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
  // Also resets the camera, undoing pans, dollies and zooms.
  void setWorldRotation(double angle, double x, double y, double z);
  void setObjectRotation(double angle, double x, double y, double z);

  void resetCamera();
  // Draws one frame into the view's buffer now, outside the window's own painting.
  void renderFrame();
  // The animation timer's work, one tick (every 1/60 s while the scene spins or a shown
  // message fades; the timer stops when neither does).
  void animationTimer();
  // The spin of one tick: a twentieth of the flung rotation added to the world rotation.
  void updateObjectRotationForTimeDelta(double delta);
  // The window moved or resized: says so in the message line.
  void contextUpdate();

  // Menu actions (Ctrl+A, Ctrl+I).
  void animate();
  void info();

  // Export. The image of `rect` (empty: the whole view) as the view last drew it, opaque.
  QImage bitmapInsideRect(const QRect& rect);
  QByteArray dataWithTIFFOfContentView();
  // A text holding one attachment, the TIFF file "GLSL Parser N.tiff" (N counts exports in
  // this process from 1); false when there is no image.
  bool rtfdDocumentOfContentView(QTextDocument& document);
  std::optional<rtf::WriteOutput> dataWithRTFDOfContentView();
  // TIFF data for kTIFFType, the RTFD for kRTFDType, nothing for any other type.
  std::variant<std::monostate, QByteArray, rtf::WriteOutput> contentsAsDataOfType(const QString& type);
  // Puts the TIFF and the image on the clipboard; the image it put (null when none).
  QImage copy();
  QImage DoGetGLPictureToClip() { return copy(); }
  // A ".rtfd" path gets the RTFD package, any other the TIFF file.
  WriteResult saveImageAs(const QString& path);

  // What the tests read.
  const GLPlotData& plotData() const { return data_; }
  const QByteArray& picture() const { return picture_; }
  std::uint32_t textureName() const { return texID_; }
  QSize textureSize() const { return QSize(int(pictWidth), int(pictHight)); }
  std::array<float, 6> bounds() const { return {xmax, xmin, ymax, ymin, zmax, zmin}; }
  std::array<float, 3> backColor() const { return BackColor; }
  std::array<float, 4> worldRotation() const { return worldRotation_; }
  std::array<float, 4> objectRotation() const { return objectRotation_; }
  std::array<float, 4> trackBallRotation() const { return gTrackBallRotation; }
  std::array<float, 4> flungRotation() const { return gTrackBallRotationX; }
  // planes, points, lines, colour, light, box
  std::array<std::int8_t, 6> switches() const {
    return {planeSwitch, pointSwitch, lineSwitch, colorSwitch, lightSwitch, boxSwitch};
  }
  float objectSize() const { return objectSize_; }
  float pointSize() const { return pointSize_; }
  float lineWidth() const { return lineWidth_; }
  const GLCamera& camera() const { return camera_; }
  bool animating() const { return fAnimate; }
  bool showingInfo() const { return fInfo; }
  bool showingHelp() const { return fDrawHelp; }
  QAction* animateAction() const { return animateMenuItem; }
  QAction* infoAction() const { return infoMenuItem; }
  QMenu* contextMenu() const { return menu_; }
  int framesDrawn() const { return framesDrawn_; }
  bool ticking() const;

  // Texture names of picture textures alive in all views: what the tests see freed.
  static int liveTextures();

 protected:
  void initializeGL() override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void buildMenu();
  void saveImageAsAction();
  void pullData();
  void makeLineIndices();
  void makeScaledPositions();
  void drawNow();
  bool needsTicks() const;
  // Starts the ticks when the scene has begun to move.
  void wakeTimer();

  // Input.
  void startTrackballDrag(const QPointF& p);
  void startDollyOrPan(const QPointF& p, bool dolly);
  void endTrackballDrag();
  void mouseUp();

  // Drawing (in paintGL, the context current).
  void resizeGL_();
  void updateProjection();
  void updateModelView();
  void drawLines();
  void drawPoints();
  void drawAxisBox();
  void setLightSwitchCondition();
  void drawPlaneWithPointColor();
  void drawPlaneWithNormal();
  void drawTexturedPlanes();
  void makeTextureFromPict();
  void deleteTexture();
  void createOverlays();
  void updateInfoString();
  void updateCameraString();
  void drawInfo();

  QPointer<vkOpenGLWindow> vkOpenGLWin;
  QOpenGLFunctions_2_1* gl_ = nullptr;

  // Overlays.
  std::unique_ptr<GLString> helpStringTex, infoStringTex, camStringTex, msgStringTex;
  double msgTime = 0;
  QString msgText_;
  bool msgChanged_ = false;
  QString renderer_, version_;

  QTimer* timer = nullptr;
  bool fAnimate = true;
  QAction* animateMenuItem = nullptr;
  bool fInfo = false;
  QAction* infoMenuItem = nullptr;
  bool fDrawHelp = true;
  bool fDrawCaps = false;  // nothing sets it
  QAction* copyMenuItem_ = nullptr;
  QAction* saveMenuItem_ = nullptr;
  QMenu* menu_ = nullptr;
  double time = 0;

  GLCamera camera_;
  GLFrustum frustum_;
  std::array<float, 4> worldRotation_{180, 0.3f, -0.8f, -0.3f};
  std::array<float, 4> objectRotation_{0, 0, 0, 0};
  float shapeSize = 15;
  std::int32_t gDollyPanStartPoint[2] = {0, 0};
  std::array<float, 4> gTrackBallRotation{0, 0, 0, 0};
  std::array<float, 4> gTrackBallRotationX{0, 0, 0, 0};
  bool gDolly = false, gPan = false, gTrackball = false;
  bool tracking_ = false;  // a drag is in progress in this view
  // A right press that has not moved yet opens the context menu at its release.
  bool rightClick_ = false;
  QPoint rightPress_;

  GLPlotData data_;
  std::vector<float> scaled_;               // positions times objectSize
  std::vector<std::uint32_t> lineIndices_;  // vertex pairs of the lines
  QByteArray picture_;
  std::uint32_t texID_ = 0;
  std::uint32_t pictWidth = 0, pictHight = 0;

  std::int8_t planeSwitch = 1, pointSwitch = 0, lineSwitch = 1, colorSwitch = 1, lightSwitch = 0,
              boxSwitch = 1;
  std::array<float, 3> BackColor{0.3f, 0.3f, 0.3f};
  // The colour the next frame clears to: the background as the last frame left it, so that
  // a new background shows from the frame after the one that set it.
  std::array<float, 3> clearColor_{0, 0, 0};
  std::array<float, 3> LineColor{1, 1, 1};
  std::array<float, 3> PointColor{1, 1, 1};
  std::array<float, 3> PlaneColor{0.5f, 0.5f, 0.5f};
  float pointSize_ = 4, lineWidth_ = 1, colorAlfa = 0.5f, objectSize_ = 1.5f;
  float xmax = 0, xmin = 0, ymax = 0, ymin = 0, zmax = 0, zmin = 0;
  std::int64_t tickTime = 0;
  int framesDrawn_ = 0;

  // Picture textures alive in all views.
  static std::atomic<int> gLiveTextures;
  // When the last view woke: the message line counts its seconds from here.
  static double gStartTime;
};

}  // namespace pravella::gl
