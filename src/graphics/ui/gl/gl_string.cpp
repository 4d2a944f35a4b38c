#include "graphics/ui/gl/gl_string.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurface>

#include <cstdio>

namespace pravella::gl {

namespace {

constexpr GLenum kTextureRectangle = 0x84F5;  // GL_TEXTURE_RECTANGLE (ARB and EXT alike)

QOpenGLFunctions_2_1* functions(QOpenGLContext* context) {
  auto* f = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context);
  if (f) f->initializeOpenGLFunctions();
  return f;
}

}  // namespace

GLString::~GLString() { deleteTexture(); }

void GLString::deleteTexture() {
  if (texName_ != 0 && cgl_ctx) {
    QOpenGLContext* previous = QOpenGLContext::currentContext();
    QSurface* previousSurface = previous ? previous->surface() : nullptr;
    bool current = previous == cgl_ctx;
    QOffscreenSurface fallback;
    if (!current) {
      QSurface* surface = cgl_ctx->surface();
      if (!surface) {
        fallback.setFormat(cgl_ctx->format());
        fallback.create();
        surface = &fallback;
      }
      current = cgl_ctx->makeCurrent(surface);
    }
    if (current) {
      if (QOpenGLFunctions_2_1* f = functions(cgl_ctx)) f->glDeleteTextures(1, &texName_);
    }
    if (previous != cgl_ctx) {
      if (previous && previousSurface)
        previous->makeCurrent(previousSurface);
      else if (cgl_ctx)
        cgl_ctx->doneCurrent();
    }
  }
  texName_ = 0;
  cgl_ctx = nullptr;
}

void GLString::genTexture() {
  const QSizeF previousSize = texSize_;
  // Top row first: the views draw labels in window pixels counted down from the top, where the
  // quad's first texture row lands at its top edge.
  const QImage image = render();
  texSize_ = QSizeF(image.width(), image.height());
  QOpenGLContext* context = QOpenGLContext::currentContext();
  if (!context) {
    std::fputs("StringTexture -genTexture: Failure to get current OpenGL context\n", stderr);
    return;
  }
  QOpenGLFunctions_2_1* f = functions(context);
  if (!f) return;
  if (texName_ != 0 && cgl_ctx != context) deleteTexture();
  cgl_ctx = context;
  f->glPushAttrib(GL_TEXTURE_BIT);
  if (texName_ == 0) f->glGenTextures(1, &texName_);
  f->glBindTexture(kTextureRectangle, texName_);
  if (previousSize == texSize_) {
    f->glTexSubImage2D(kTextureRectangle, 0, 0, 0, image.width(), image.height(), GL_RGBA,
                       GL_UNSIGNED_BYTE, image.constBits());
  } else {
    f->glTexParameteri(kTextureRectangle, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f->glTexParameteri(kTextureRectangle, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    f->glTexImage2D(kTextureRectangle, 0, GL_RGBA, image.width(), image.height(), 0, GL_RGBA,
                    GL_UNSIGNED_BYTE, image.constBits());
  }
  f->glPopAttrib();
}

void GLString::drawWithBounds(const QRectF& bounds) {
  if (requiresUpdate()) genTexture();
  if (texName_ == 0) return;
  QOpenGLContext* context = QOpenGLContext::currentContext();
  QOpenGLFunctions_2_1* f = context ? functions(context) : nullptr;
  if (!f) return;
  const float x = static_cast<float>(bounds.x()), y = static_cast<float>(bounds.y());
  const float w = static_cast<float>(bounds.width()), h = static_cast<float>(bounds.height());
  const float tw = static_cast<float>(texSize_.width()), th = static_cast<float>(texSize_.height());
  f->glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
  f->glDisable(GL_DEPTH_TEST);
  f->glEnable(GL_BLEND);
  f->glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  f->glEnable(kTextureRectangle);
  f->glBindTexture(kTextureRectangle, texName_);
  f->glBegin(GL_QUADS);
  f->glTexCoord2f(0, 0);
  f->glVertex2f(x, y);
  f->glTexCoord2f(0, th);
  f->glVertex2f(x, y + h);
  f->glTexCoord2f(tw, th);
  f->glVertex2f(x + w, y + h);
  f->glTexCoord2f(tw, 0);
  f->glVertex2f(x + w, y);
  f->glEnd();
  f->glPopAttrib();
}

void GLString::drawAtPoint(const QPointF& point) {
  if (requiresUpdate()) genTexture();
  if (texName_ != 0) drawWithBounds(QRectF(point, texSize_));
}

}  // namespace pravella::gl
