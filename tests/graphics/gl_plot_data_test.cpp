// The arrays of the OpenGL plot windows, built from the language's matrices.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "graphics/color_table.h"
#include "graphics/gl/gl_plot_data.h"

namespace {

using pravella::gl::buildGLPlotData;
using pravella::gl::GLPlotData;

float entry(int index, int channel) {
  const auto& t = channel == 0 ? RAINBOW_R : channel == 1 ? RAINBOW_G : RAINBOW_B;
  return t[index] * 0.00390625f;
}

TEST(GLPlotData, TwoByTwoSurface) {
  const double c[] = {0, 1, 2, 3}, x[] = {0, 1, 0, 1}, y[] = {0, 0, 1, 1}, z[] = {5, 6, 7, 8};
  const double range[] = {0, 0};
  GLPlotData d;
  ASSERT_TRUE(buildGLPlotData(c, x, y, z, range, 2, 2, d));
  EXPECT_EQ(d.numOfPoints, 4);
  EXPECT_EQ(d.numOfFace, 1);
  EXPECT_EQ(d.quad, (std::vector<std::int32_t>{0, 1, 3, 2}));
  EXPECT_EQ(d.tex, (std::vector<float>{0, 0, 1, 0, 0, 1, 1, 1}));
  EXPECT_EQ(d.pos, (std::vector<float>{0, 0, 5, 1, 0, 6, 0, 1, 7, 1, 1, 8}));
  // The automatic range: C = 0 is entry 0 and C = 3 entry 255.
  EXPECT_FLOAT_EQ(d.col[0], entry(0, 0));
  EXPECT_FLOAT_EQ(d.col[9 + 2], entry(255, 2));
}

TEST(GLPlotData, FacesRunRowByRow) {
  std::vector<double> v(6, 0.0);
  const double range[] = {0, 0};
  GLPlotData d;
  ASSERT_TRUE(buildGLPlotData(v.data(), v.data(), v.data(), v.data(), range, 2, 3, d));
  EXPECT_EQ(d.quad, (std::vector<std::int32_t>{0, 1, 4, 3, 1, 2, 5, 4}));
}

TEST(GLPlotData, ColourRanges) {
  struct Case {
    double upper, lower;
    std::vector<double> c;
    std::vector<int> entries;  // -1: black
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Case> cases = {
      {0, 0, {4, 4, 4, 4}, {-1, -1, -1, -1}},         // constant source, automatic range
      {0, 10, {0, 5, 10, 3}, {-1, -1, -1, -1}},       // first value below the second
      {10, 0, {10, 0, -3, 42}, {255, 0, 0, 255}},     // ends and clamping
      {10, 0, {5, nan, 2.5, 9.99}, {127, 0, 63, 254}},  // truncation; not finite is entry 0
  };
  const double zero[4] = {0, 1, 2, 3};
  for (const Case& k : cases) {
    const double range[] = {k.upper, k.lower};
    GLPlotData d;
    ASSERT_TRUE(buildGLPlotData(k.c.data(), zero, zero, zero, range, 2, 2, d));
    for (int i = 0; i < 4; ++i)
      for (int ch = 0; ch < 3; ++ch)
        EXPECT_FLOAT_EQ(d.col[i * 3 + ch], k.entries[i] < 0 ? 0.0f : entry(k.entries[i], ch))
            << "range " << k.upper << ", " << k.lower << " vertex " << i;
  }
}

TEST(GLPlotData, PointListIsStandardised) {
  const double c[] = {1, 2, 3}, x[] = {1, 2, 3}, y[] = {10, 10, 40}, z[] = {-1, 0, 1};
  const double range[] = {0, 0};
  GLPlotData d;
  ASSERT_TRUE(buildGLPlotData(c, x, y, z, range, 3, 1, d));
  EXPECT_EQ(d.numOfPoints, 3);
  EXPECT_EQ(d.numOfFace, 0);
  EXPECT_TRUE(d.quad.empty());
  EXPECT_TRUE(d.tex.empty());
  const float s = static_cast<float>(std::sqrt(1.5));  // 1 / population deviation of 1, 2, 3
  EXPECT_FLOAT_EQ(d.pos[0], -s);
  EXPECT_FLOAT_EQ(d.pos[3], 0.0f);
  EXPECT_FLOAT_EQ(d.pos[6], s);
  EXPECT_FLOAT_EQ(d.pos[7], static_cast<float>(20 / std::sqrt(200.0)));
}

TEST(GLPlotData, PointListFarFromZeroIsStandardisedAsNearIt) {
  // 1e+9 + 1, 2, 3: a sum of squares of one pass keeps nothing of their spread.
  const double c[] = {1, 2, 3}, x[] = {1e9 + 1, 1e9 + 2, 1e9 + 3}, y[] = {1e9, 1e9, 1e9 + 30},
               z[] = {-1, 0, 1};
  const double range[] = {0, 0};
  GLPlotData d;
  ASSERT_TRUE(buildGLPlotData(c, x, y, z, range, 3, 1, d));
  const float s = static_cast<float>(std::sqrt(1.5));
  EXPECT_FLOAT_EQ(d.pos[0], -s);
  EXPECT_FLOAT_EQ(d.pos[3], 0.0f);
  EXPECT_FLOAT_EQ(d.pos[6], s);
  EXPECT_FLOAT_EQ(d.pos[7], static_cast<float>(20 / std::sqrt(200.0)));
}

TEST(GLPlotData, ConstantAxisOfAPointListLiesAtZero) {
  const double c[] = {1, 2, 3}, x[] = {0.1, 0.1, 0.1}, y[] = {1, 2, 3}, z[] = {7, 7, 7};
  const double range[] = {0, 0};
  GLPlotData d;
  ASSERT_TRUE(buildGLPlotData(c, x, y, z, range, 3, 1, d));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(d.pos[i * 3], 0.0f);
    EXPECT_EQ(d.pos[i * 3 + 2], 0.0f);
    EXPECT_TRUE(std::isfinite(d.pos[i * 3 + 1]));
  }
}

TEST(GLPlotData, RefusedShapesLeaveTheOutputAlone) {
  const double v[] = {1, 2, 3};
  const double range[] = {0, 0};
  GLPlotData d;
  d.numOfPoints = 99;
  EXPECT_FALSE(buildGLPlotData(v, v, v, v, range, 1, 3, d));
  EXPECT_FALSE(buildGLPlotData(v, v, v, v, range, 1, 1, d));
  EXPECT_FALSE(buildGLPlotData(v, v, v, v, range, 3, 0, d));
  EXPECT_FALSE(buildGLPlotData(v, v, v, v, range, 0, 3, d));
  EXPECT_EQ(d.numOfPoints, 99);
}

TEST(GLPlotData, HandOffMovesTheArrays) {
  const double v[] = {0, 1, 2, 3};
  const double range[] = {0, 0};
  ASSERT_EQ(pravella::gl::makeParametricPlot3DData(v, v, v, v, range, 2, 2), 1);
  EXPECT_EQ(pravella::gl::makeParametricPlot3DData(v, v, v, v, range, 1, 4), 0);
  GLPlotData taken = pravella::gl::takeGLPlotData();
  EXPECT_EQ(taken.numOfPoints, 4);
  EXPECT_EQ(pravella::gl::takeGLPlotData().numOfPoints, 0);  // the area keeps no claim
  pravella::gl::storeTexturePicture("pict");
  EXPECT_EQ(pravella::gl::takeTexturePicture(), "pict");
  EXPECT_TRUE(pravella::gl::takeTexturePicture().isEmpty());
}

TEST(GLPlotData, WindowTitle) {
  EXPECT_EQ(pravella::gl::glWindowTitle(""), "GL_Window");
  EXPECT_EQ(pravella::gl::glWindowTitle("Plot 1"), "Plot 1");
}

TEST(GLPlotData, OpeningWithoutWindowsRefuses) {
  const double v[] = {0, 1, 2, 3};
  const double range[] = {0, 0};
  QString why;
  EXPECT_EQ(pravella::gl::openGLWindow(v, v, v, v, range, 2, 2, "T", {}, &why), 0);
  EXPECT_EQ(why, "No window receives [openGLWindow].");
  EXPECT_EQ(pravella::gl::takeGLPlotData().numOfPoints, 0);
}

}  // namespace
