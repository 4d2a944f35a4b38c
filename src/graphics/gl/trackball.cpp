#include "graphics/gl/trackball.h"

#include <algorithm>
#include <cmath>

namespace pravella::gl {

namespace {

constexpr float kRadiansToDegrees = 57.29578f;

float gRadiusTrackball = 0.0f;
std::int32_t gXCenterTrackball = 0;
std::int32_t gYCenterTrackball = 0;
float gStartPtTrackball[3] = {0, 0, 0};
float gEndPtTrackball[3] = {0, 0, 0};

// The third coordinate of a planar point lifted onto the ball; 0 outside it.
float lift(float px, float py) {
  const float d2 = px * px + py * py;
  const float r2 = gRadiusTrackball * gRadiusTrackball;
  return d2 > r2 ? 0.0f : std::sqrt(r2 - d2);
}

}  // namespace

void startTrackball(std::int32_t x, std::int32_t y, std::int32_t originX, std::int32_t originY,
                    std::int32_t width, std::int32_t height) {
  gRadiusTrackball = static_cast<float>(width) > static_cast<float>(height)
                         ? 0.5f * static_cast<float>(height)
                         : 0.5f * static_cast<float>(width);
  gXCenterTrackball = static_cast<std::int32_t>(originX + 0.5 * width);
  gYCenterTrackball = static_cast<std::int32_t>(originY + 0.5 * height);
  gStartPtTrackball[0] = static_cast<float>(x - gXCenterTrackball);
  gStartPtTrackball[1] = static_cast<float>(y - gYCenterTrackball);
  gStartPtTrackball[2] = lift(gStartPtTrackball[0], gStartPtTrackball[1]);
}

void rollToTrackball(std::int32_t x, std::int32_t y, float rot[4]) {
  float* e = gEndPtTrackball;
  const float* s = gStartPtTrackball;
  e[0] = static_cast<float>(x - gXCenterTrackball);
  e[1] = static_cast<float>(y - gYCenterTrackball);
  if (std::fabs(e[0] - s[0]) < 0.001f && std::fabs(e[1] - s[1]) < 0.001f) return;
  e[2] = lift(e[0], e[1]);
  const float ax = s[1] * e[2] - s[2] * e[1];
  const float ay = s[2] * e[0] - s[0] * e[2];
  const float az = s[0] * e[1] - s[1] * e[0];
  const float length = std::sqrt(ax * ax + ay * ay + az * az);
  const float startLength = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
  const float endLength = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
  // Parallel or opposite vectors (or one at the centre) leave no axis to turn about.
  if (!(length > 0.0f) || !(startLength > 0.0f) || !(endLength > 0.0f)) return;
  const float inverse = 1.0f / (startLength * endLength);
  const float cosine = (s[0] * e[0] + s[1] * e[1] + s[2] * e[2]) * inverse;
  const float sine = length * inverse;
  rot[0] = std::atan2(sine, cosine) * kRadiansToDegrees;
  rot[1] = ax / length;
  rot[2] = ay / length;
  rot[3] = az / length;
}

void rotation2Quat(const float rot[4], float quat[4]) {
  const float half = rot[0] * 0.017453292f * 0.5f;
  const float s = std::sin(half);
  quat[0] = rot[1] * s;
  quat[1] = rot[2] * s;
  quat[2] = rot[3] * s;
  quat[3] = std::cos(half);
}

void addToRotationTrackball(const float dA[4], float a[4]) {
  // The product is taken in double precision so that a rotation composed with its inverse
  // comes out as no rotation rather than a float-rounding sliver.
  const auto quat = [](const float r[4], double q[4]) {
    const double half = r[0] * 0.017453292 * 0.5;
    const double s = std::sin(half);
    q[0] = r[1] * s;
    q[1] = r[2] * s;
    q[2] = r[3] * s;
    q[3] = std::cos(half);
  };
  double q0[4], q1[4];
  quat(dA, q0);
  quat(a, q1);
  const double x0 = q0[0], y0 = q0[1], z0 = q0[2], w0 = q0[3];
  const double x1 = q1[0], y1 = q1[1], z1 = q1[2], w1 = q1[3];
  double w2 = w0 * w1 - x0 * x1 - y0 * y1 - z0 * z1;
  const double x2 = y0 * z1 - z0 * y1 + w0 * x1 + x0 * w1;
  const double y2 = z0 * x1 - x0 * z1 + w0 * y1 + y0 * w1;
  const double z2 = x0 * y1 - y0 * x1 + w0 * z1 + z0 * w1;
  // Rounding may take w2 just outside [-1, 1]; w2 = -1 is a full turn, which is no rotation
  // either and whose sine would be 0.
  w2 = std::clamp(w2, -1.0, 1.0);
  if (std::fabs(std::fabs(w2) - 1.0) < 1e-10) {
    a[0] = 0.0f;
    a[1] = 1.0f;
    a[2] = 0.0f;
    a[3] = 0.0f;
    return;
  }
  const double half = std::acos(w2);
  a[0] = static_cast<float>(2.0 * half * kRadiansToDegrees);
  const double s = std::sin(half);
  a[1] = static_cast<float>(x2 / s);
  a[2] = static_cast<float>(y2 / s);
  a[3] = static_cast<float>(z2 / s);
}

TrackballState trackballState() {
  TrackballState t{gRadiusTrackball, gXCenterTrackball, gYCenterTrackball, {}, {}};
  std::copy(gStartPtTrackball, gStartPtTrackball + 3, t.start);
  std::copy(gEndPtTrackball, gEndPtTrackball + 3, t.end);
  return t;
}

}  // namespace pravella::gl
