// The camera rules of the OpenGL plot views: zoom, dolly, pan, perspective, fling and ticks.

#include <gtest/gtest.h>

#include <cmath>

#include "graphics/gl/gl_camera.h"
#include "graphics/gl/gl_clock.h"

namespace {

using namespace pravella::gl;

GLCamera freshCamera(int w = 400, int h = 300) {
  GLCamera c;
  resetCamera(c);
  c.viewWidth = w;
  c.viewHeight = h;
  return c;
}

TEST(GLCamera, ResetLooksAtTheOriginFromMinus30) {
  GLCamera c;
  c.aperture = 5;
  c.viewPos = {1, 2, 3};
  resetCamera(c);
  EXPECT_EQ(c.aperture, 30);
  EXPECT_EQ(c.viewPos.z, -30);
  EXPECT_EQ(c.viewDir.z, 30);
  EXPECT_EQ(c.viewUp.y, 1);
}

TEST(GLCamera, WheelNarrowsByATwoHundredthAndStaysInRange) {
  GLCamera c = freshCamera();
  zoomAperture(c, 1);
  EXPECT_NEAR(c.aperture, 29.85, 1e-6);
  zoomAperture(c, 0);  // no notch: no change
  EXPECT_NEAR(c.aperture, 29.85, 1e-6);
  for (int i = 0; i < 5000; ++i) zoomAperture(c, 3);
  EXPECT_EQ(c.aperture, 0.1);
  for (int i = 0; i < 5000; ++i) zoomAperture(c, -3);
  EXPECT_EQ(c.aperture, 179.9);
  zoomAperture(c, -400);  // a huge step clamps too
  EXPECT_EQ(c.aperture, 179.9);
}

TEST(GLCamera, DollyMovesAlongZAndNeverStopsAtZero) {
  struct Case {
    double z, startY, y, expected;
  } cases[] = {
      {-30, 100, 70, -27},       // dragging up by 30 pixels: 30 * 30 / 300 nearer
      {-30, 100, 130, -33},      // down: further away
      {-30, 100, -200, 0.0001},  // exactly onto the origin: kept off it
  };
  for (const Case& k : cases) {
    GLCamera c = freshCamera();
    c.viewPos.z = k.z;
    std::int32_t start[2] = {50, static_cast<std::int32_t>(k.startY)};
    mouseDolly(c, start, 60.7, k.y);
    EXPECT_NEAR(c.viewPos.z, k.expected, 1e-5) << k.y;
    EXPECT_EQ(start[0], 60);
    EXPECT_EQ(start[1], static_cast<std::int32_t>(k.y));
  }
}

TEST(GLCamera, PanFollowsThePointerScaledByDistance) {
  GLCamera c = freshCamera();
  std::int32_t start[2] = {100, 100};
  mousePan(c, start, 130, 70);  // d = 30: one world unit per 30 pixels
  EXPECT_NEAR(c.viewPos.x, 1, 1e-6);
  EXPECT_NEAR(c.viewPos.y, -1, 1e-6);
  EXPECT_EQ(start[0], 130);
  EXPECT_EQ(start[1], 70);
}

TEST(GLCamera, FrustumTakesTheWiderSide) {
  GLCamera wide = freshCamera(400, 200);
  const GLFrustum f = projectionFrustum(wide, 15);
  EXPECT_NEAR(f.zNear, 22.5, 1e-9);
  EXPECT_NEAR(f.zFar, 37.5, 1e-9);
  const double h = 22.5 * std::tan(0.0174532925 * 15);
  EXPECT_NEAR(f.top, h, 1e-9);
  EXPECT_NEAR(f.right, 2 * h, 1e-6);
  GLCamera tall = freshCamera(200, 400);
  const GLFrustum g = projectionFrustum(tall, 15);
  EXPECT_NEAR(g.right, h, 1e-9);
  EXPECT_NEAR(g.top, 2 * h, 1e-6);
  GLCamera inside = freshCamera();
  inside.viewPos.z = 0.0001;  // camera inside the scene: the clip planes stay positive
  const GLFrustum i = projectionFrustum(inside, 15);
  EXPECT_EQ(i.zNear, 0.00001);
  EXPECT_NEAR(i.zFar, 7.4999, 1e-9);
}

TEST(GLCamera, FlingIsAReleaseWithinTwentyTicks) {
  EXPECT_TRUE(isFling(120, 100));
  EXPECT_TRUE(isFling(100, 100));
  EXPECT_FALSE(isFling(121, 100));
}

TEST(GLCamera, TickAfterALongPauseSkipsItsStepButSpinningResumes) {
  double last = 0;
  GLAnimationTick t = animationTick(true, 0.5, last);
  EXPECT_TRUE(t.step);
  EXPECT_TRUE(t.draw);
  t = animationTick(true, 20.0, last);  // asleep for 19.5 s
  EXPECT_FALSE(t.step);
  EXPECT_EQ(last, 20.0);  // recorded all the same
  t = animationTick(true, 20.02, last);
  EXPECT_TRUE(t.step);
  t = animationTick(false, 40.0, last);  // animation off: nothing to do, time still kept
  EXPECT_FALSE(t.step);
  EXPECT_FALSE(t.draw);
  EXPECT_EQ(last, 40.0);
}

TEST(GLCamera, MessageFadesOverTenSeconds) {
  EXPECT_DOUBLE_EQ(messageFade(0), 1.0);
  EXPECT_DOUBLE_EQ(messageFade(5), 0.5);
  EXPECT_LE(messageFade(10), 0.0);
}

TEST(GLCamera, OverlayTexts) {
  GLCamera c = freshCamera();
  EXPECT_EQ(cameraString(c), "Camera at (0.0, 0.0, -30.0) looking at (0.0, 0.0, 30.0) with 30.0 aperture");
  EXPECT_EQ(infoString(400, 300, "llvmpipe", "2.1 Mesa"), "(400 x 300) \nllvmpipe \n2.1 Mesa");
  EXPECT_EQ(updateMessage(3.24), "update at 3.2 secs");
  // The help promises what the keys do here.
  EXPECT_STREQ(kHelpText,
               "Ctrl-A: animate    Ctrl-I: show info \n'h': toggle help    'c': toggle vertex colours");
}

TEST(GLClock, TestsSetTheTicks) {
  setGLClockForTests(10.0);
  EXPECT_EQ(glNow(), 10.0);
  EXPECT_EQ(glTickCount(), 600);
  setGLClockForTests(10.0 + 21.0 / 60.0);
  EXPECT_EQ(glTickCount(), 621);
  setGLClockForTests(std::nullopt);
  const double a = glNow();
  EXPECT_GE(glNow(), a);
}

}  // namespace
