#include "graphics/gl/gl_camera.h"

#include <algorithm>
#include <cmath>

namespace pravella::gl {

void resetCamera(GLCamera& camera) {
  camera.aperture = 30;
  camera.rotPoint = GLVector{};
  camera.viewPos = GLVector{0, 0, -30};
  camera.viewDir = GLVector{0, 0, 30};
  camera.viewUp = GLVector{0, 1, 0};
}

GLFrustum projectionFrustum(const GLCamera& camera, float shapeSize) {
  GLFrustum f;
  f.zNear = std::max(0.00001, -0.5 * shapeSize - camera.viewPos.z);
  f.zFar = std::max(1.0, 0.5 * shapeSize - camera.viewPos.z);
  const double h = f.zNear * std::tan(0.0174532925 * camera.aperture * 0.5);
  const float ratio = camera.viewHeight != 0
                          ? static_cast<float>(camera.viewWidth) / static_cast<float>(camera.viewHeight)
                          : 1.0f;
  if (ratio >= 1.0f) {
    f.left = -ratio * h;
    f.right = ratio * h;
    f.bottom = -h;
    f.top = h;
  } else {
    f.left = -h;
    f.right = h;
    f.bottom = -h / ratio;
    f.top = h / ratio;
  }
  return f;
}

void zoomAperture(GLCamera& camera, float w) {
  if (w == 0.0f) return;
  camera.aperture += static_cast<float>(-camera.aperture * w / 200.0);
  camera.aperture = std::clamp(camera.aperture, 0.1, 179.9);
}

void mouseDolly(GLCamera& camera, std::int32_t start[2], double x, double y) {
  const float dolly = static_cast<float>((start[1] - y) * -camera.viewPos.z / 300.0);
  camera.viewPos.z += dolly;
  if (camera.viewPos.z == 0.0) camera.viewPos.z = 0.0001;
  start[0] = static_cast<std::int32_t>(x);
  start[1] = static_cast<std::int32_t>(y);
}

void mousePan(GLCamera& camera, std::int32_t start[2], double x, double y) {
  const double d = -900.0 / camera.viewPos.z;
  const float panX = static_cast<float>((start[0] - x) / d);
  const float panY = static_cast<float>((start[1] - y) / d);
  start[0] = static_cast<std::int32_t>(x);
  start[1] = static_cast<std::int32_t>(y);
  camera.viewPos.x -= panX;
  camera.viewPos.y -= panY;
}

bool isFling(std::int64_t releaseTick, std::int64_t lastDragTick) {
  return releaseTick - lastDragTick <= kFlingTicks;
}

GLAnimationTick animationTick(bool animate, double now, double& lastTime) {
  GLAnimationTick tick;
  if (animate) {
    tick.step = now - lastTime <= 10.0;
    tick.draw = true;
  }
  lastTime = now;
  return tick;
}

double messageFade(double age) { return (kMessagePersistence - age) * 0.1; }

QString infoString(double width, double height, const QString& renderer, const QString& version) {
  return QString::asprintf("(%0.0f x %0.0f) \n%s \n%s", width, height, renderer.toUtf8().constData(),
                           version.toUtf8().constData());
}

QString cameraString(const GLCamera& c) {
  return QString::asprintf(
      "Camera at (%0.1f, %0.1f, %0.1f) looking at (%0.1f, %0.1f, %0.1f) with %0.1f aperture", c.viewPos.x,
      c.viewPos.y, c.viewPos.z, c.viewDir.x, c.viewDir.y, c.viewDir.z, c.aperture);
}

QString updateMessage(double seconds) { return QString::asprintf("update at %0.1f secs", seconds); }

}  // namespace pravella::gl
