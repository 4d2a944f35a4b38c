#include "graphics/ui/gl/basic_opengl_view.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <utility>

#include "graphics/gl/gl_clock.h"
#include "graphics/gl/trackball.h"
#include "graphics/ui/gl/gl_capabilities.h"
#include "graphics/ui/gl/gl_string.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/vk_opengl_window.h"

namespace pravella::gl {

namespace {

std::array<float, 3> colour(double r, double g, double b) {
  return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}

// A NaN counts as not 0.
std::int8_t switchValue(double v) { return v != 0.0 ? 1 : 0; }

}  // namespace

double BasicOpenGLView::gStartTime = 0;
std::atomic<int> BasicOpenGLView::gLiveTextures{0};

BasicOpenGLView::BasicOpenGLView(vkOpenGLWindow* controller, QWidget* parent)
    : QOpenGLWidget(parent), vkOpenGLWin(controller) {
  setFormat(plotViewFormat());
  // No alpha in the picture the widget composes: the window and its grabs are opaque whatever
  // alpha the background is cleared with.
  setTextureFormat(GL_RGB8);
  setFocusPolicy(Qt::StrongFocus);
  pravella::gl::resetCamera(camera_);
  buildMenu();
}

BasicOpenGLView::~BasicOpenGLView() {
  if (context()) {
    makeCurrent();
    helpStringTex.reset();
    infoStringTex.reset();
    camStringTex.reset();
    msgStringTex.reset();
    doneCurrent();
  }
  dealloc_GLMemory();
}

int BasicOpenGLView::liveTextures() { return gLiveTextures.load(); }

void BasicOpenGLView::awakeFromNib() {
  gStartTime = glNow();
  fInfo = false;
  fAnimate = true;
  fDrawHelp = true;
  time = glNow();
  if (!timer) {
    timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(1000 / 60);
    connect(timer, &QTimer::timeout, this, &BasicOpenGLView::animationTimer);
  }
  gTrackBallRotation = {0, 0, 0, 0};
  gTrackBallRotationX = {0, 0, 0, 0};
  gDollyPanStartPoint[0] = gDollyPanStartPoint[1] = 0;
  gDolly = gPan = gTrackball = tracking_ = false;
  objectSize_ = 1.5f;
  pullData();
  calc_max_min();
  // The picture's texture is made once the context exists (initializeGL).
  planeSwitch = 1;
  pointSwitch = 0;
  lineSwitch = 1;
  colorSwitch = 1;
  lightSwitch = 0;
  boxSwitch = 1;
  BackColor = {0.3f, 0.3f, 0.3f};
  LineColor = {1, 1, 1};
  PointColor = {1, 1, 1};
  PlaneColor = {0.5f, 0.5f, 0.5f};
  pointSize_ = 4;
  lineWidth_ = 1;
  colorAlfa = 0.5f;
  worldRotation_ = {180, 0.3f, -0.8f, -0.3f};
  if (animateMenuItem) animateMenuItem->setChecked(fAnimate);
  if (infoMenuItem) infoMenuItem->setChecked(fInfo);
  wakeTimer();
}

void BasicOpenGLView::pullData() {
  if (!vkOpenGLWin) return;
  vkOpenGLWin->getGLData(data_);
  vkOpenGLWin->getTexturePicture(picture_);
  makeLineIndices();
  makeScaledPositions();
}

// The lines as vertex pairs, made once per plot: without faces a polyline through the
// vertices in order, with faces the four edges of each face. An edge that two faces share is
// drawn once: in one colour and at one depth, the second drawing would change no pixel, and
// the lines are most of a large surface's drawing time.
void BasicOpenGLView::makeLineIndices() {
  lineIndices_.clear();
  const auto n = static_cast<std::uint32_t>(std::max(0, data_.numOfPoints));
  if (data_.numOfFace <= 0) {
    if (n < 2) return;
    lineIndices_.reserve(2 * (n - 1));
    for (std::uint32_t i = 0; i + 1 < n; ++i) {
      lineIndices_.push_back(i);
      lineIndices_.push_back(i + 1);
    }
    return;
  }
  const std::size_t faces = std::min(static_cast<std::size_t>(data_.numOfFace), data_.quad.size() / 4);
  std::vector<std::uint64_t> edges;
  edges.reserve(faces * 4);
  for (std::size_t f = 0; f < faces; ++f) {
    const std::int32_t* q = &data_.quad[4 * f];
    for (int k = 0; k < 4; ++k) {
      const auto a = static_cast<std::uint32_t>(q[k]), b = static_cast<std::uint32_t>(q[(k + 1) % 4]);
      edges.push_back(std::uint64_t{std::min(a, b)} << 32 | std::max(a, b));
    }
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  lineIndices_.reserve(edges.size() * 2);
  for (std::uint64_t e : edges) {
    lineIndices_.push_back(static_cast<std::uint32_t>(e >> 32));
    lineIndices_.push_back(static_cast<std::uint32_t>(e));
  }
}

void BasicOpenGLView::makeScaledPositions() {
  scaled_.resize(data_.pos.size());
  std::transform(data_.pos.begin(), data_.pos.end(), scaled_.begin(),
                 [s = objectSize_](float v) { return v * s; });
}

void BasicOpenGLView::calc_max_min() {
  if (data_.numOfPoints <= 0 || data_.pos.size() < 3) {
    xmax = xmin = ymax = ymin = zmax = zmin = 0;
    return;
  }
  xmax = xmin = data_.pos[0];
  ymax = ymin = data_.pos[1];
  zmax = zmin = data_.pos[2];
  for (std::size_t i = 0; i + 2 < data_.pos.size() && i / 3 < std::size_t(data_.numOfPoints); i += 3) {
    xmax = std::max(xmax, data_.pos[i]);
    xmin = std::min(xmin, data_.pos[i]);
    ymax = std::max(ymax, data_.pos[i + 1]);
    ymin = std::min(ymin, data_.pos[i + 1]);
    zmax = std::max(zmax, data_.pos[i + 2]);
    zmin = std::min(zmin, data_.pos[i + 2]);
  }
}

void BasicOpenGLView::deleteTexture() {
  if (texID_ == 0) return;
  // The texture belongs to this view's context: make it current whichever way we got here.
  if (context() && gl_) {
    const bool wasCurrent = QOpenGLContext::currentContext() == context();
    if (!wasCurrent) makeCurrent();
    gl_->glDeleteTextures(1, &texID_);
    if (!wasCurrent) doneCurrent();
  }
  texID_ = 0;
  pictWidth = pictHight = 0;
  --gLiveTextures;
}

void BasicOpenGLView::dealloc_GLMemory() {
  data_ = GLPlotData{};
  scaled_.clear();
  lineIndices_.clear();
  deleteTexture();
}

void BasicOpenGLView::reloadGLData() {
  dealloc_GLMemory();
  pullData();
  if (!picture_.isEmpty() && gl_) makeTextureFromPict();
  calc_max_min();
  drawNow();
}

void BasicOpenGLView::initializeGL() {
  gl_ = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context());
  if (!gl_) return;
  gl_->initializeOpenGLFunctions();
  // Context preparation.
  gl_->glEnable(GL_DEPTH_TEST);
  gl_->glShadeModel(GL_SMOOTH);
  gl_->glEnable(GL_BLEND);
  gl_->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (!picture_.isEmpty() && texID_ == 0) makeTextureFromPict();
  shapeSize = 15;
  renderer_ = QString::fromLatin1(reinterpret_cast<const char*>(gl_->glGetString(GL_RENDERER)));
  version_ = QString::fromLatin1(reinterpret_cast<const char*>(gl_->glGetString(GL_VERSION)));
  createOverlays();
}

// Draws a frame at once into the view's buffer (so that what the frame leaves set, such as
// the next clear colour, holds for the frame after it) and has the window show it.
void BasicOpenGLView::drawNow() {
  if (isVisible()) renderFrame();
  update();
}

void BasicOpenGLView::renderFrame() {
  if (!gl_ || !context()) return;
  makeCurrent();
  paintGL();
  doneCurrent();
}

void BasicOpenGLView::resetCamera() { pravella::gl::resetCamera(camera_); }

void BasicOpenGLView::contextUpdate() {
  msgTime = glNow() - gStartTime;
  msgText_ = updateMessage(msgTime);
  msgChanged_ = true;
  getCurrentCaps();
  wakeTimer();
}

// A still scene is not drawn again: the ticks run only while the scene spins or a shown
// message fades. Every frame of a large surface holds up the GUI thread, and with it the
// results of memo programs.
bool BasicOpenGLView::needsTicks() const {
  const bool spinning = fAnimate && gTrackBallRotationX[0] != 0.0f && !(tracking_ && gTrackball);
  const bool fading = fInfo && messageFade(glNow() - gStartTime - msgTime) > 0;
  return spinning || fading;
}

bool BasicOpenGLView::ticking() const { return timer && timer->isActive(); }

void BasicOpenGLView::wakeTimer() {
  if (!timer || timer->isActive() || !needsTicks()) return;
  // Time stood still while the timer slept: the first tick is no pause.
  time = glNow();
  timer->start();
}

void BasicOpenGLView::animationTimer() {
  const double now = glNow();
  bool mustDraw = false;
  const GLAnimationTick tick = animationTick(fAnimate, now, time);
  if (tick.step && !(tracking_ && gTrackball)) updateObjectRotationForTimeDelta(0);
  // Only a moving scene draws on a tick; with nothing flung, animation alone changes nothing.
  mustDraw = tick.draw && gTrackBallRotationX[0] != 0.0f;
  if (fInfo && messageFade(now - gStartTime - msgTime) > 0) mustDraw = true;
  if (mustDraw) update();
  if (timer && !needsTicks()) timer->stop();
}

void BasicOpenGLView::updateObjectRotationForTimeDelta(double) {
  if (gTrackBallRotationX[0] == 0.0f) return;
  const float step[4] = {gTrackBallRotationX[0] / 20.0f, gTrackBallRotationX[1], gTrackBallRotationX[2],
                         gTrackBallRotationX[3]};
  addToRotationTrackball(step, worldRotation_.data());
}

void BasicOpenGLView::animate() {
  fAnimate = !fAnimate;
  if (animateMenuItem) animateMenuItem->setChecked(fAnimate);
  wakeTimer();
}

void BasicOpenGLView::info() {
  fInfo = !fInfo;
  if (infoMenuItem) infoMenuItem->setChecked(fInfo);
  wakeTimer();
  update();
}

void BasicOpenGLView::setBackColor(double r, double g, double b) {
  BackColor = colour(r, g, b);
  drawNow();
}
void BasicOpenGLView::setLineColor(double r, double g, double b) {
  LineColor = colour(r, g, b);
  drawNow();
}
void BasicOpenGLView::setPointColor(double r, double g, double b) {
  PointColor = colour(r, g, b);
  drawNow();
}
void BasicOpenGLView::setPlaneColor(double r, double g, double b) {
  PlaneColor = colour(r, g, b);
  drawNow();
}
void BasicOpenGLView::setObjectSize(double v) {
  objectSize_ = static_cast<float>(v);
  makeScaledPositions();
  drawNow();
}
void BasicOpenGLView::setPointSize(double v) {
  pointSize_ = static_cast<float>(v);
  drawNow();
}
void BasicOpenGLView::setLineWidth_gl(double v) {
  lineWidth_ = static_cast<float>(v);
  drawNow();
}
void BasicOpenGLView::setPointSwitch(double v) {
  pointSwitch = switchValue(v);
  drawNow();
}
void BasicOpenGLView::setLineSwitch(double v) {
  lineSwitch = switchValue(v);
  drawNow();
}
void BasicOpenGLView::setPlaneSwitch(double v) {
  planeSwitch = switchValue(v);
  drawNow();
}
void BasicOpenGLView::setColorSwitch(double v) {
  colorSwitch = switchValue(v);
  drawNow();
}
void BasicOpenGLView::setBoxSwitch(double v) {
  boxSwitch = switchValue(v);
  drawNow();
}
void BasicOpenGLView::setWorldRotation(double angle, double x, double y, double z) {
  worldRotation_ = {static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y),
                    static_cast<float>(z)};
  resetCamera();
  drawNow();
}
void BasicOpenGLView::setObjectRotation(double angle, double x, double y, double z) {
  objectRotation_ = {static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y),
                     static_cast<float>(z)};
  resetCamera();
  drawNow();
}

}  // namespace pravella::gl
