#pragma once
// A text label drawn over an OpenGL scene: the label's image uploaded as a rectangle texture
// in the context current at the time, rebuilt only after its look changed, drawn as one
// blended quad. The texture is deleted in its own context.

#include <QPointer>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cstdint>

#include "graphics/gl/gl_string_layout.h"

class QOpenGLContext;

namespace pravella::gl {

class GLString : public GLStringLayout {
 public:
  using GLStringLayout::GLStringLayout;
  ~GLString();
  GLString(const GLString&) = delete;
  GLString& operator=(const GLString&) = delete;

  std::uint32_t texName() const { return texName_; }
  QSizeF texSize() const { return texSize_; }

  // Renders the label and uploads it: the same pixel size replaces the texture's contents,
  // another size specifies it anew. Without a current context nothing is uploaded and a
  // message is logged; the label is not marked again.
  void genTexture();
  void deleteTexture();
  void drawWithBounds(const QRectF& bounds);
  void drawAtPoint(const QPointF& point);

 private:
  QPointer<QOpenGLContext> cgl_ctx;
  std::uint32_t texName_ = 0;
  QSizeF texSize_{0, 0};
};

}  // namespace pravella::gl
