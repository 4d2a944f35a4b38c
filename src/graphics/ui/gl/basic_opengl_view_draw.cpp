// How the plot view draws one frame: lines, points, the axis box, the faces (coloured per
// vertex, lit in one colour, or textured with the picture) and the text overlays. The arrays
// go to OpenGL as client arrays, a whole plot in one call per part.

#include <QMatrix4x4>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QVector3D>

#include <cmath>

#include "graphics/gl/gl_clock.h"
#include "graphics/gl/gl_texture_image.h"
#include "graphics/picture.h"
#include "graphics/ui/gl/basic_opengl_view.h"
#include "graphics/ui/gl/gl_capabilities.h"
#include "graphics/ui/gl/gl_string.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace pravella::gl {

namespace {

constexpr GLenum kTextureRectangle = 0x84F5;  // GL_TEXTURE_RECTANGLE

// The camera last written into a camera text, by any view: the text is rebuilt only when the
// camera differs from it.
GLCamera gSavedCamera{{1e300, 0, 0}, {}, {}, {}, -1, 0, 0};

bool sameCamera(const GLCamera& a, const GLCamera& b) {
  return a.viewPos.x == b.viewPos.x && a.viewPos.y == b.viewPos.y && a.viewPos.z == b.viewPos.z &&
         a.viewDir.x == b.viewDir.x && a.viewDir.y == b.viewDir.y && a.viewDir.z == b.viewDir.z &&
         a.aperture == b.aperture;
}

QColor rgba(double r, double g, double b, double a) {
  return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}

std::unique_ptr<GLString> label(const QString& text, QColor box, QColor border) {
  return std::make_unique<GLString>(GLText{{text, labelFont(12), QColor()}}, rgba(1, 1, 1, 1), box, border);
}

}  // namespace

void BasicOpenGLView::createOverlays() {
  helpStringTex = label(QString::fromLatin1(kHelpText), rgba(0, 0.5, 0, 0.5), rgba(0.3, 0.8, 0.3, 0.8));
  msgStringTex =
      label(QString::fromLatin1(kFirstMessage), rgba(0.5, 0.5, 0.5, 0.5), rgba(0.8, 0.8, 0.8, 0.8));
}

void BasicOpenGLView::updateInfoString() {
  const QString text = infoString(width(), height(), renderer_, version_);
  if (infoStringTex)
    infoStringTex->setString(text, labelFont(12));
  else
    infoStringTex = label(text, rgba(0.5, 0.5, 0.5, 0.5), rgba(0.8, 0.8, 0.8, 0.8));
}

void BasicOpenGLView::updateCameraString() {
  if (camStringTex && sameCamera(camera_, gSavedCamera)) return;
  const QString text = cameraString(camera_);
  if (camStringTex)
    camStringTex->setString(text, labelFont(12));
  else
    camStringTex = label(text, rgba(0.5, 0.5, 0.5, 0.5), rgba(0.8, 0.8, 0.8, 0.8));
  gSavedCamera = camera_;
}

void BasicOpenGLView::resizeGL_() {
  const int w = width(), h = height();
  const qreal ratio = devicePixelRatioF();
  gl_->glViewport(0, 0, static_cast<GLsizei>(w * ratio), static_cast<GLsizei>(h * ratio));
  if (w != camera_.viewWidth || h != camera_.viewHeight) {
    camera_.viewWidth = w;
    camera_.viewHeight = h;
    updateInfoString();
  }
}

void BasicOpenGLView::updateProjection() {
  frustum_ = projectionFrustum(camera_, shapeSize);
  gl_->glMatrixMode(GL_PROJECTION);
  gl_->glLoadIdentity();
  gl_->glFrustum(frustum_.left, frustum_.right, frustum_.bottom, frustum_.top, frustum_.zNear, frustum_.zFar);
  updateCameraString();
}

void BasicOpenGLView::updateModelView() {
  const GLVector& p = camera_.viewPos;
  const GLVector& d = camera_.viewDir;
  const GLVector& u = camera_.viewUp;
  QMatrix4x4 m;
  m.lookAt(QVector3D(float(p.x), float(p.y), float(p.z)),
           QVector3D(float(p.x + d.x), float(p.y + d.y), float(p.z + d.z)),
           QVector3D(float(u.x), float(u.y), float(u.z)));
  if (tracking_ && gTrackball && gTrackBallRotation[0] != 0.0f)
    m.rotate(gTrackBallRotation[0], gTrackBallRotation[1], gTrackBallRotation[2], gTrackBallRotation[3]);
  m.rotate(worldRotation_[0], worldRotation_[1], worldRotation_[2], worldRotation_[3]);
  m.rotate(objectRotation_[0], objectRotation_[1], objectRotation_[2], objectRotation_[3]);
  gl_->glMatrixMode(GL_MODELVIEW);
  gl_->glLoadMatrixf(m.constData());
  updateCameraString();
}

void BasicOpenGLView::paintGL() {
  if (!gl_) return;
  ++framesDrawn_;
  resizeGL_();
  updateProjection();
  updateModelView();
  // Cleared in the colour the last frame left set, then the new one set: a new background
  // shows from the following frame on. Alpha 0 as always; the view keeps no alpha.
  gl_->glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], 0.0f);
  gl_->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  gl_->glClearColor(BackColor[0], BackColor[1], BackColor[2], 0.0f);
  clearColor_ = BackColor;

  if (lineSwitch) drawLines();
  if (pointSwitch) drawPoints();
  if (boxSwitch) drawAxisBox();
  const bool faces = data_.numOfFace > 0 && !data_.quad.empty();
  if (picture_.isEmpty()) {
    if (faces) {
      if (lightSwitch) setLightSwitchCondition();
      gl_->glEnable(GL_POLYGON_SMOOTH);
      if (planeSwitch) {
        if (colorSwitch)
          drawPlaneWithPointColor();
        else
          drawPlaneWithNormal();
      }
      gl_->glDisable(GL_POLYGON_SMOOTH);
      if (lightSwitch) gl_->glDisable(GL_LIGHTING);
    }
  } else if (faces) {
    if (lightSwitch) setLightSwitchCondition();
    drawTexturedPlanes();
    if (lightSwitch) gl_->glDisable(GL_LIGHTING);
  }
  if (fInfo) drawInfo();
}

void BasicOpenGLView::drawLines() {
  if (lineIndices_.empty() || scaled_.empty()) return;
  gl_->glLineWidth(lineWidth_);
  gl_->glColor3f(LineColor[0], LineColor[1], LineColor[2]);
  gl_->glEnableClientState(GL_VERTEX_ARRAY);
  gl_->glVertexPointer(3, GL_FLOAT, 0, scaled_.data());
  gl_->glDrawElements(GL_LINES, static_cast<GLsizei>(lineIndices_.size()), GL_UNSIGNED_INT,
                      lineIndices_.data());
  gl_->glDisableClientState(GL_VERTEX_ARRAY);
}

void BasicOpenGLView::drawPoints() {
  if (scaled_.empty()) return;
  gl_->glEnable(GL_POINT_SMOOTH);
  gl_->glPointSize(pointSize_);
  gl_->glEnableClientState(GL_VERTEX_ARRAY);
  gl_->glVertexPointer(3, GL_FLOAT, 0, scaled_.data());
  const bool perVertex = colorSwitch && data_.col.size() >= data_.pos.size();
  if (perVertex) {
    gl_->glEnableClientState(GL_COLOR_ARRAY);
    gl_->glColorPointer(3, GL_FLOAT, 0, data_.col.data());
  } else {
    gl_->glColor3f(PointColor[0], PointColor[1], PointColor[2]);
  }
  gl_->glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(scaled_.size() / 3));
  if (perVertex) gl_->glDisableClientState(GL_COLOR_ARRAY);
  gl_->glDisableClientState(GL_VERTEX_ARRAY);
  gl_->glDisable(GL_POINT_SMOOTH);
}

void BasicOpenGLView::drawAxisBox() {
  const float s = objectSize_;
  const float x0 = xmin * s, x1 = xmax * s, y0 = ymin * s, y1 = ymax * s, z0 = zmin * s, z1 = zmax * s;
  const float edges[9][6] = {
      {x1, y0, z0, x1, y1, z0}, {x1, y1, z0, x0, y1, z0}, {x0, y0, z1, x1, y0, z1},
      {x1, y0, z1, x1, y1, z1}, {x1, y1, z1, x0, y1, z1}, {x0, y1, z1, x0, y0, z1},
      {x1, y0, z0, x1, y0, z1}, {x0, y1, z0, x0, y1, z1}, {x1, y1, z0, x1, y1, z1},
  };
  gl_->glColor3f(1, 1, 1);
  gl_->glLineWidth(lineWidth_);
  gl_->glBegin(GL_LINES);
  for (const auto& e : edges) {
    gl_->glVertex3f(e[0], e[1], e[2]);
    gl_->glVertex3f(e[3], e[4], e[5]);
  }
  gl_->glEnd();
  // The three edges at the lowest corner are the axes: x blue, y green, z red.
  gl_->glLineWidth(2 * lineWidth_);
  gl_->glBegin(GL_LINES);
  gl_->glColor3f(0, 0, 1);
  gl_->glVertex3f(x0, y0, z0);
  gl_->glVertex3f(x1, y0, z0);
  gl_->glColor3f(0, 1, 0);
  gl_->glVertex3f(x0, y1, z0);
  gl_->glVertex3f(x0, y0, z0);
  gl_->glColor3f(1, 0, 0);
  gl_->glVertex3f(x0, y0, z0);
  gl_->glVertex3f(x0, y0, z1);
  gl_->glEnd();
}

// Material colour tracking stays off: lit faces take PlaneColor also when the faces carry
// vertex colours.
void BasicOpenGLView::setLightSwitchCondition() {
  gl_->glShadeModel(GL_SMOOTH);
  const GLfloat specular[] = {0.7f, 0.7f, 0.7f, 1};
  const GLfloat plane[] = {PlaneColor[0], PlaneColor[1], PlaneColor[2], 1};
  gl_->glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  gl_->glMaterialf(GL_FRONT, GL_SHININESS, 20);
  gl_->glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, plane);
  gl_->glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, plane);
  const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1};
  const GLfloat diffuse[] = {0.7f, 0.7f, 0.7f, 1};
  const GLfloat none[] = {0, 0, 0, 1};
  const GLfloat position0[] = {50, 50, 100, 0};
  const GLfloat position1[] = {-100, 100, 100, 0};
  for (const auto& [light, position] : {std::pair{GL_LIGHT0, position0}, std::pair{GL_LIGHT1, position1}}) {
    gl_->glLightfv(light, GL_POSITION, position);
    gl_->glLightfv(light, GL_AMBIENT, ambient);
    gl_->glLightfv(light, GL_DIFFUSE, diffuse);
    gl_->glLightfv(light, GL_SPECULAR, none);
  }
  gl_->glEnable(GL_LIGHTING);
  gl_->glEnable(GL_LIGHT0);
  gl_->glEnable(GL_LIGHT1);
}

void BasicOpenGLView::drawPlaneWithPointColor() {
  if (data_.col.size() < data_.pos.size()) return drawPlaneWithNormal();
  gl_->glEnableClientState(GL_VERTEX_ARRAY);
  gl_->glEnableClientState(GL_COLOR_ARRAY);
  gl_->glVertexPointer(3, GL_FLOAT, 0, scaled_.data());
  gl_->glColorPointer(3, GL_FLOAT, 0, data_.col.data());
  gl_->glDrawElements(GL_QUADS, static_cast<GLsizei>(data_.quad.size()), GL_UNSIGNED_INT, data_.quad.data());
  gl_->glDisableClientState(GL_COLOR_ARRAY);
  gl_->glDisableClientState(GL_VERTEX_ARRAY);
}

// Lit, each corner's unscaled position is its normal; unlit, every face is PlaneColor.
void BasicOpenGLView::drawPlaneWithNormal() {
  gl_->glEnableClientState(GL_VERTEX_ARRAY);
  gl_->glVertexPointer(3, GL_FLOAT, 0, scaled_.data());
  if (lightSwitch) {
    gl_->glEnableClientState(GL_NORMAL_ARRAY);
    gl_->glNormalPointer(GL_FLOAT, 0, data_.pos.data());
  } else {
    gl_->glColor3f(PlaneColor[0], PlaneColor[1], PlaneColor[2]);
  }
  gl_->glDrawElements(GL_QUADS, static_cast<GLsizei>(data_.quad.size()), GL_UNSIGNED_INT, data_.quad.data());
  if (lightSwitch) gl_->glDisableClientState(GL_NORMAL_ARRAY);
  gl_->glDisableClientState(GL_VERTEX_ARRAY);
}

// The picture on the faces, whatever the plane switch says.
void BasicOpenGLView::drawTexturedPlanes() {
  if (data_.tex.size() / 2 < data_.pos.size() / 3) return;
  gl_->glColor4f(1, 1, 1, 1);
  gl_->glEnable(GL_TEXTURE_2D);
  gl_->glBindTexture(GL_TEXTURE_2D, texID_);
  gl_->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
  gl_->glEnableClientState(GL_VERTEX_ARRAY);
  gl_->glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  gl_->glVertexPointer(3, GL_FLOAT, 0, scaled_.data());
  gl_->glTexCoordPointer(2, GL_FLOAT, 0, data_.tex.data());
  if (lightSwitch) {
    gl_->glEnableClientState(GL_NORMAL_ARRAY);
    gl_->glNormalPointer(GL_FLOAT, 0, data_.pos.data());
  }
  gl_->glDrawElements(GL_QUADS, static_cast<GLsizei>(data_.quad.size()), GL_UNSIGNED_INT, data_.quad.data());
  if (lightSwitch) gl_->glDisableClientState(GL_NORMAL_ARRAY);
  gl_->glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  gl_->glDisableClientState(GL_VERTEX_ARRAY);
  gl_->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  gl_->glDisable(GL_TEXTURE_2D);
}

void BasicOpenGLView::makeTextureFromPict() {
  const QImage texels = textureImage(Picture(picture_).toImage());
  if (texels.isNull() || !gl_) return;
  const bool wasCurrent = QOpenGLContext::currentContext() == context();
  if (!wasCurrent) makeCurrent();
  if (texID_ == 0) {
    gl_->glGenTextures(1, &texID_);
    ++gLiveTextures;
  }
  pictWidth = static_cast<std::uint32_t>(texels.width());
  pictHight = static_cast<std::uint32_t>(texels.height());
  gl_->glActiveTexture(GL_TEXTURE0);
  gl_->glClientActiveTexture(GL_TEXTURE0);
  gl_->glBindTexture(GL_TEXTURE_2D, texID_);
  gl_->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  gl_->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gl_->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texels.width(), texels.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                    texels.constBits());
  if (const GLenum error = gl_->glGetError(); error != GL_NO_ERROR)
    showErrMessageToConsole(cformat("GL reports err %0x8X\n", error));
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  gl_->glBindTexture(GL_TEXTURE_2D, 0);
  if (!wasCurrent) doneCurrent();
}

// The overlays in window pixels, origin at the top left.
void BasicOpenGLView::drawInfo() {
  const GLboolean depth = gl_->glIsEnabled(GL_DEPTH_TEST);
  GLint matrixMode = GL_MODELVIEW;
  gl_->glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  const float w = static_cast<float>(width()), h = static_cast<float>(height());
  gl_->glMatrixMode(GL_PROJECTION);
  gl_->glPushMatrix();
  gl_->glLoadIdentity();
  gl_->glMatrixMode(GL_MODELVIEW);
  gl_->glPushMatrix();
  gl_->glLoadIdentity();
  gl_->glScalef(2.0f / w, -2.0f / h, 1.0f);
  gl_->glTranslatef(-w / 2.0f, -h / 2.0f, 0.0f);
  gl_->glColor4f(1, 1, 1, 1);
  if (!infoStringTex) updateInfoString();
  if (!camStringTex) updateCameraString();
  const QSizeF infoSize = infoStringTex->frameSize();
  infoStringTex->drawAtPoint(QPointF(10, h - infoSize.height() - 10));
  camStringTex->drawAtPoint(QPointF(10, 10));
  if (fDrawHelp && helpStringTex) {
    const QSizeF help = helpStringTex->frameSize();
    helpStringTex->drawAtPoint(
        QPointF(std::floor((w - help.width()) / 2), std::floor((h - help.height()) / 3)));
  }
  if (fDrawCaps && !gDisplayCaps().empty()) {
    const auto& caps = gDisplayCaps();
    drawCaps(caps.data(), static_cast<std::uint32_t>(caps.size()), caps.front().rendererID, w);
  }
  if (msgStringTex) {
    if (msgChanged_) {
      msgStringTex->setString(msgText_, labelFont(12));
      msgChanged_ = false;
    }
    const double age = (glNow() - gStartTime) - msgTime;
    if (age < kMessagePersistence) {
      const float a = static_cast<float>(messageFade(age));
      gl_->glColor4f(a, a, a, a);
      msgStringTex->drawAtPoint(QPointF(10, 10 + camStringTex->frameSize().height() + 3));
    }
  }
  gl_->glPopMatrix();
  gl_->glMatrixMode(GL_PROJECTION);
  gl_->glPopMatrix();
  gl_->glMatrixMode(static_cast<GLenum>(matrixMode));
  gl_->glDisable(kTextureRectangle);
  gl_->glDisable(GL_BLEND);
  if (depth) gl_->glEnable(GL_DEPTH_TEST);
}

}  // namespace pravella::gl
