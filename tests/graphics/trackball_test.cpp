// The virtual trackball of the OpenGL plot views.

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/gl/trackball.h"

namespace {

using namespace pravella::gl;

TEST(Trackball, RadiusIsHalfTheShorterSide) {
  startTrackball(100, 50, 0, 0, 200, 100);
  TrackballState s = trackballState();
  EXPECT_FLOAT_EQ(s.radius, 50.0f);
  EXPECT_EQ(s.centerX, 100);
  EXPECT_EQ(s.centerY, 50);
  EXPECT_FLOAT_EQ(s.start[2], 50.0f);  // the centre lifts to the top of the ball
  startTrackball(0, 0, 10, 10, 41, 80);
  s = trackballState();
  EXPECT_FLOAT_EQ(s.radius, 20.5f);
  EXPECT_EQ(s.centerX, 30);  // 10 + 20.5, truncated
  EXPECT_EQ(s.centerY, 50);
}

TEST(Trackball, PointOutsideTheBallLiesOnTheEquator) {
  startTrackball(190, 50, 0, 0, 200, 100);
  EXPECT_EQ(trackballState().start[2], 0.0f);
}

TEST(Trackball, TinyMovementLeavesTheRotation) {
  startTrackball(110, 60, 0, 0, 200, 100);
  float rot[4] = {1, 2, 3, 4};
  rollToTrackball(110, 60, rot);
  EXPECT_EQ(rot[0], 1.0f);
  EXPECT_EQ(rot[3], 4.0f);
}

TEST(Trackball, DragGivesAUnitAxis) {
  startTrackball(100, 50, 0, 0, 200, 100);
  float rot[4] = {};
  rollToTrackball(125, 50, rot);  // to the right: about the y axis
  EXPECT_NEAR(rot[0], std::asin(0.5) * 57.29578, 1e-3);
  EXPECT_NEAR(rot[1], 0.0f, 1e-6);
  EXPECT_NEAR(rot[2], 1.0f, 1e-6);
  EXPECT_NEAR(rot[3], 0.0f, 1e-6);
  // Measured from the start point, not from the last movement.
  rollToTrackball(125, 50, rot);
  EXPECT_NEAR(rot[0], 30.0f, 1e-3);
}

TEST(Trackball, ParallelVectorsLeaveTheRotation) {
  // Both points on the equator, on one line through the centre: no axis.
  startTrackball(190, 50, 0, 0, 200, 100);
  float rot[4] = {7, 0, 0, 1};
  rollToTrackball(10, 50, rot);
  EXPECT_EQ(rot[0], 7.0f);
  rollToTrackball(195, 50, rot);
  EXPECT_EQ(rot[0], 7.0f);
  EXPECT_EQ(rot[3], 1.0f);
}

TEST(Trackball, QuaternionOfARotation) {
  const float rot[4] = {180, 1, 0, 0};
  float q[4];
  rotation2Quat(rot, q);
  EXPECT_NEAR(q[0], 1.0f, 1e-6);
  EXPECT_NEAR(q[3], 0.0f, 1e-6);
}

TEST(Trackball, ComposingWithTheInverseIsNoRotation) {
  for (float angle : {180.0f, 90.0f, 60.0f, 17.5f}) {
    const float inverse[4] = {-angle, 0, 0, 1};
    float a[4] = {angle, 0, 0, 1};
    addToRotationTrackball(inverse, a);
    EXPECT_EQ(a[0], 0.0f) << angle;
    EXPECT_EQ(a[1], 1.0f);
    EXPECT_EQ(a[2], 0.0f);
    EXPECT_EQ(a[3], 0.0f);
  }
}

TEST(Trackball, FullTurnIsNoRotation) {
  // Two half turns about one axis: w2 = -1, whose sine would be 0.
  const float half[4] = {180, 0, 1, 0};
  float a[4] = {180, 0, 1, 0};
  addToRotationTrackball(half, a);
  EXPECT_EQ(a[0], 0.0f);
  EXPECT_EQ(a[1], 1.0f);
  for (float v : a) EXPECT_TRUE(std::isfinite(v));
}

TEST(Trackball, RotationsAboutOneAxisAdd) {
  const float d[4] = {30, 0, 0, 1};
  float a[4] = {45, 0, 0, 1};
  addToRotationTrackball(d, a);
  EXPECT_NEAR(a[0], 75.0f, 1e-3);
  EXPECT_NEAR(a[3], 1.0f, 1e-5);
}

}  // namespace
