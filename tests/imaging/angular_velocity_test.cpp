// Angular velocity and path straightness against values worked out by hand.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "imaging/angular_velocity.h"

namespace {

using namespace pravella::motion;

// Samples at times 0, 1, 2 on the circle of radius 3 about (1, 2), at the given angles.
std::array<double, 9> onCircle(double a0, double a1, double a2) {
  std::array<double, 9> p{};
  const double angles[3] = {a0, a1, a2};
  for (int i = 0; i < 3; ++i) {
    p[3 * i] = i;
    p[3 * i + 1] = 1 + 3 * std::cos(angles[i]);
    p[3 * i + 2] = 2 + 3 * std::sin(angles[i]);
  }
  return p;
}

TEST(AngularVelocity, CircleOfRadiusThree) {
  const auto p = onCircle(0.1, 0.5, 0.9);
  EXPECT_NEAR(DoKakusokudo(p.data()), 0.4, 1e-12);
  double c[4];
  DoKakusokudo2(p.data(), c);
  EXPECT_NEAR(c[0], 0.4, 1e-12);
  EXPECT_NEAR(c[1], 1, 1e-9);
  EXPECT_NEAR(c[2], 2, 1e-9);
  EXPECT_NEAR(c[3], 3, 1e-9);
}

TEST(AngularVelocity, ClockwiseIsNegative) {
  const auto p = onCircle(0.9, 0.5, 0.1);
  EXPECT_NEAR(DoKakusokudo(p.data()), -0.4, 1e-12);
}

TEST(AngularVelocity, ThreeQuarterTurnIsMeasuredByTheSmallerAngle) {
  // From 0 through pi to 3 pi / 2: the angle at the centre between the ends is pi / 2.
  const auto p = onCircle(0, M_PI, 1.5 * M_PI);
  EXPECT_NEAR(DoKakusokudo(p.data()), M_PI / 2 / 2, 1e-12);
}

TEST(AngularVelocity, DegenerateTriplesGiveZero) {
  const struct {
    const char* what;
    std::array<double, 9> p;
  } cases[] = {
      {"collinear", {0, 0, 0, 1, 1, 1, 2, 2, 2}},
      {"coincident", {0, 5, 5, 1, 5, 5, 2, 5, 5}},
      {"not a number", {0, NAN, 0, 1, 1, 0, 2, 0, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DoKakusokudo(c.p.data()), 0) << c.what;
    double out[4] = {9, 9, 9, 9};
    DoKakusokudo2(c.p.data(), out);
    for (double v : out) EXPECT_EQ(v, 0) << c.what;
  }
}

TEST(AngularVelocity, EqualFirstAndLastTimesGiveZero) {
  auto p = onCircle(0.1, 0.5, 0.9);
  p[6] = p[0];
  EXPECT_EQ(DoKakusokudo(p.data()), 0);
  double c[4];
  DoKakusokudo2(p.data(), c);
  EXPECT_EQ(c[0], 0);
  EXPECT_NEAR(c[3], 3, 1e-9);  // the circle is still there
}

TEST(AngularVelocity, WholePathOneRowPerInnerSample) {
  // Four samples a quarter turn apart on the unit circle, one time unit apart: every inner
  // triple sweeps pi over two units.
  const double path[] = {0, 1, 0, 1, 0, 1, 2, -1, 0, 3, 0, -1};
  double out[4];
  DoAVelocity(path, 4, out);
  EXPECT_EQ(out[0], 1);
  EXPECT_NEAR(out[1], M_PI / 2, 1e-12);
  EXPECT_EQ(out[2], 2);
  EXPECT_NEAR(out[3], M_PI / 2, 1e-12);
  double out2[10];
  DoAVelocity2(path, 4, out2);
  EXPECT_EQ(out2[5], 2);
  EXPECT_NEAR(out2[6], M_PI / 2, 1e-12);
  EXPECT_NEAR(out2[7], 0, 1e-12);
  EXPECT_NEAR(out2[8], 0, 1e-12);
  EXPECT_NEAR(out2[9], 1, 1e-12);
}

TEST(Straightness, StraightWindingAndStill) {
  // A straight line, then a right angle (chord 5 over a walk of 7), then no movement.
  const double path[] = {0, 0, 0, 1, 1, 0, 2, 2, 0, 3, 2, 0, 4, 2, 0, 5, 2, 0};
  double straight[2];
  DoMokuteki(path, 3, 3, straight);
  EXPECT_EQ(straight[0], 1);
  EXPECT_DOUBLE_EQ(straight[1], 1);

  const double corner[] = {0, 0, 0, 1, 3, 0, 2, 3, 4};
  double bent[2];
  DoMokuteki(corner, 3, 3, bent);
  EXPECT_DOUBLE_EQ(bent[1], 5.0 / 7.0);

  double windows[8];
  DoMokuteki(path, 6, 3, windows);  // four windows
  EXPECT_EQ(windows[6], 4);
  EXPECT_EQ(windows[7], -1);  // samples 3, 4, 5 all at (2, 0)
  EXPECT_DOUBLE_EQ(windows[3], 1);
  EXPECT_EQ(windows[5], -1);
}

}  // namespace
