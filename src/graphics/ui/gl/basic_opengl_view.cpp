#include "graphics/ui/gl/basic_opengl_view.h"

#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

#include <algorithm>
#include <atomic>
#include <utility>

#include "graphics/picture.h"
#include "graphics/ui/gl/gl_support.h"
#include "graphics/ui/gl/vk_opengl_window.h"

namespace pravella::gl {

namespace {

std::atomic<int> gLiveTextures{0};

std::array<float, 3> colour(double r, double g, double b) {
  return {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
}

// A NaN counts as not 0.
std::int8_t switchValue(double v) { return v != 0.0 ? 1 : 0; }

}  // namespace

BasicOpenGLView::BasicOpenGLView(vkOpenGLWindow* controller, QWidget* parent)
    : QOpenGLWidget(parent), vkOpenGLWin(controller) {
  setFormat(plotViewFormat());
  setFocusPolicy(Qt::StrongFocus);
}

BasicOpenGLView::~BasicOpenGLView() { dealloc_GLMemory(); }

int BasicOpenGLView::liveTextures() { return gLiveTextures.load(); }

void BasicOpenGLView::awakeFromNib() {
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
  objectSize_ = 1.5f;
  worldRotation_ = {180, 0.3f, -0.8f, -0.3f};
  pullData();
  calc_max_min();
  // The picture's texture is made once the context exists (initializeGL).
}

void BasicOpenGLView::pullData() {
  if (!vkOpenGLWin) return;
  vkOpenGLWin->getGLData(data_);
  vkOpenGLWin->getTexturePicture(picture_);
}

void BasicOpenGLView::calc_max_min() {
  if (data_.numOfPoints <= 0 || data_.pos.size() < 3) {
    xmax = xmin = ymax = ymin = zmax = zmin = 0;
    return;
  }
  xmax = xmin = data_.pos[0];
  ymax = ymin = data_.pos[1];
  zmax = zmin = data_.pos[2];
  for (std::size_t i = 0; i + 2 < data_.pos.size() && i / 3 < std::size_t(data_.numOfPoints);
       i += 3) {
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
  --gLiveTextures;
}

void BasicOpenGLView::dealloc_GLMemory() {
  data_ = GLPlotData{};
  deleteTexture();
}

void BasicOpenGLView::reloadGLData() {
  dealloc_GLMemory();
  pullData();
  if (!picture_.isEmpty() && gl_) makeTextureFromPict();
  calc_max_min();
  redraw();
}

void BasicOpenGLView::makeTextureFromPict() {
  const QImage image = Picture(picture_).toImage();
  if (image.isNull() || !gl_) return;
  const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888).mirrored();
  const bool wasCurrent = QOpenGLContext::currentContext() == context();
  if (!wasCurrent) makeCurrent();
  gl_->glGenTextures(1, &texID_);
  ++gLiveTextures;
  pictWidth = static_cast<std::uint32_t>(rgba.width());
  pictHight = static_cast<std::uint32_t>(rgba.height());
  gl_->glBindTexture(GL_TEXTURE_2D, texID_);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  gl_->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba.width(), rgba.height(), 0, GL_RGBA,
                    GL_UNSIGNED_BYTE, rgba.constBits());
  if (!wasCurrent) doneCurrent();
}

void BasicOpenGLView::initializeGL() {
  gl_ = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context());
  if (!gl_) return;
  gl_->initializeOpenGLFunctions();
  gl_->glEnable(GL_DEPTH_TEST);
  gl_->glShadeModel(GL_SMOOTH);
  gl_->glEnable(GL_BLEND);
  gl_->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  if (!picture_.isEmpty() && texID_ == 0) makeTextureFromPict();
}

void BasicOpenGLView::paintGL() {
  if (!gl_) return;
  gl_->glClearColor(BackColor[0], BackColor[1], BackColor[2], 1.0f);
  gl_->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void BasicOpenGLView::redraw() { update(); }

void BasicOpenGLView::setBackColor(double r, double g, double b) {
  BackColor = colour(r, g, b);
  redraw();
}
void BasicOpenGLView::setLineColor(double r, double g, double b) {
  LineColor = colour(r, g, b);
  redraw();
}
void BasicOpenGLView::setPointColor(double r, double g, double b) {
  PointColor = colour(r, g, b);
  redraw();
}
void BasicOpenGLView::setPlaneColor(double r, double g, double b) {
  PlaneColor = colour(r, g, b);
  redraw();
}
void BasicOpenGLView::setObjectSize(double v) {
  objectSize_ = static_cast<float>(v);
  redraw();
}
void BasicOpenGLView::setPointSize(double v) {
  pointSize_ = static_cast<float>(v);
  redraw();
}
void BasicOpenGLView::setLineWidth_gl(double v) {
  lineWidth_ = static_cast<float>(v);
  redraw();
}
void BasicOpenGLView::setPointSwitch(double v) {
  pointSwitch = switchValue(v);
  redraw();
}
void BasicOpenGLView::setLineSwitch(double v) {
  lineSwitch = switchValue(v);
  redraw();
}
void BasicOpenGLView::setPlaneSwitch(double v) {
  planeSwitch = switchValue(v);
  redraw();
}
void BasicOpenGLView::setColorSwitch(double v) {
  colorSwitch = switchValue(v);
  redraw();
}
void BasicOpenGLView::setBoxSwitch(double v) {
  boxSwitch = switchValue(v);
  redraw();
}
void BasicOpenGLView::setWorldRotation(double angle, double x, double y, double z) {
  worldRotation_ = {static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y),
                    static_cast<float>(z)};
  redraw();
}
void BasicOpenGLView::setObjectRotation(double angle, double x, double y, double z) {
  objectRotation_ = {static_cast<float>(angle), static_cast<float>(x), static_cast<float>(y),
                     static_cast<float>(z)};
  redraw();
}

}  // namespace pravella::gl
