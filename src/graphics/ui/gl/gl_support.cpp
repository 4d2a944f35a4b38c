#include "graphics/ui/gl/gl_support.h"

#include <QGuiApplication>
#include <QOpenGLContext>

namespace pravella::gl {

QSurfaceFormat plotViewFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setVersion(2, 1);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setDepthBufferSize(16);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setSwapInterval(1);
  format.setAlphaBufferSize(0);
  return format;
}

bool openGLWindowsAvailable(QString* why) {
  static const bool available = [] {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
      return false;
    QOpenGLContext context;
    context.setFormat(plotViewFormat());
    return context.create();
  }();
  if (!available && why) *why = QString::fromLatin1(kNoOpenGLMessage);
  return available;
}

}  // namespace pravella::gl
