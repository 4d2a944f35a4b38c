#pragma once
// The virtual trackball of the OpenGL plot views: the scene turns as if it sat in a glass ball
// under the pointer. A drag starts with startTrackball, every movement reports the whole
// rotation of the drag so far (rollToTrackball), and the end of the drag folds it into the
// accumulated rotation (addToRotationTrackball). Rotations are (angle in degrees, axis x, y, z);
// quaternions are (x, y, z, w). One drag at a time, on the thread that handles mouse events.

#include <cstdint>

namespace pravella::gl {

void startTrackball(std::int32_t x, std::int32_t y, std::int32_t originX, std::int32_t originY,
                    std::int32_t width, std::int32_t height);
// Writes the rotation from the drag's start point to (x, y). Leaves `rot` untouched when the
// pointer has not moved, or when the two points lie on one line through the centre (the axis
// is undefined there).
void rollToTrackball(std::int32_t x, std::int32_t y, float rot[4]);
void rotation2Quat(const float rot[4], float quat[4]);
// Composes the increment `dA` after the accumulated rotation `a`.
void addToRotationTrackball(const float dA[4], float a[4]);

// The drag's module state, for tests.
struct TrackballState {
  float radius;
  std::int32_t centerX, centerY;
  float start[3];
  float end[3];
};
TrackballState trackballState();

}  // namespace pravella::gl
