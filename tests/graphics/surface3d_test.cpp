#include "graphics/surface3d.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <vector>

#include "graphics/triangle_cut.h"
#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;

class Surface3d : public LangTest {
 protected:
  void TearDown() override {
    const double initial[6] = {300, 300, 10, 10, 100, 0.6};
    DoSetparametricPlot3D(initial);
  }
};

TEST_F(Surface3d, InitialViewProjectsAsDocumented) {
  ViewRotation r;
  CalcAngle(&r, viewX, viewY);
  const double x = 1, y = 0, z = 0;
  double sx = 0, sy = 0;
  Calc3DframeTo2D(1, 1, &x, &y, &z, &sx, &sy, r, 150, 150, 180, 180, viewZ, Dhight);
  // across 0.98481, up -0.03015, depth 0.17101: p = 0.99829.
  EXPECT_NEAR(sx, 167.757, 5e-4);
  EXPECT_NEAR(sy, 150.544, 5e-4);
  // A point on the eye plane lands on the centre.
  const double far = 0, deep = 100 / r.C[2];
  Calc3DframeTo2D(1, 1, &far, &deep, &far, &sx, &sy, r, 150, 150, 180, 180, viewZ, Dhight);
  EXPECT_EQ(sx, 150);
  EXPECT_EQ(sy, 150);
  // Turn and tilt 0: across = x, up = z, depth = y.
  CalcAngle(&r, 0, 0);
  double a = 0, d = 0, u = 0;
  const double px = 2, py = 3, pz = 5;
  Calc3DframeTo3D(1, 1, &px, &py, &pz, &a, &d, &u, r);
  EXPECT_NEAR(a, 2, 1e-15);
  EXPECT_NEAR(d, 3, 1e-15);
  EXPECT_NEAR(u, 5, 1e-15);
}

TEST_F(Surface3d, SettersStoreTheView) {
  const double view[6] = {300, 300, -10, -10, -100, 0.6};
  DoSetView3D(view);
  EXPECT_EQ(viewX, 10);
  EXPECT_EQ(viewY, 10);
  EXPECT_EQ(viewZ, 100);
  const double other[6] = {401.7, 200, 30, 20, 50, 1};
  DoSetparametricPlot3D(other);
  EXPECT_EQ(view3d::hwin, 401);
  EXPECT_EQ(viewX, 30);
}

TEST_F(Surface3d, SettersRefuseViewsThatCannotBeDrawnAndKeepTheOldOne) {
  const double nan = std::nan(""), inf = INFINITY;
  // Sizes truncate below 1 or above 32,767, a zero eye distance, values that are not finite.
  const double refused[][6] = {{0.9, 300, 10, 10, 100, 0.6},   {300, 0, 10, 10, 100, 0.6},
                               {-5, 300, 10, 10, 100, 0.6},    {32768, 300, 10, 10, 100, 0.6},
                               {300, 300, 10, 10, 0, 0.6},     {nan, 300, 10, 10, 100, 0.6},
                               {300, 300, inf, 10, 100, 0.6},  {300, 300, 10, 10, 100, nan},
                               {300, 300, 10, -inf, 100, 0.6}, {300, 300, 10, 10, inf, 0.6}};
  for (const auto& v : refused) {
    EXPECT_EQ(DoSetparametricPlot3D(v), 0) << v[0] << " " << v[1] << " " << v[4] << " " << v[5];
    EXPECT_EQ(DoSetView3D(v), 0);
    EXPECT_EQ(view3d::hwin, 300);
    EXPECT_EQ(view3d::vwin, 300);
    EXPECT_EQ(viewX, 10);
    EXPECT_EQ(viewY, 10);
    EXPECT_EQ(viewZ, 100);
    EXPECT_EQ(magView3D, 0.6);
  }
  // Angles and magnification stay free; the size limits are inclusive.
  const double edge[6] = {1, 32767.9, -720, 1e6, -3, -2};
  EXPECT_EQ(DoSetparametricPlot3D(edge), 1);
  EXPECT_EQ(view3d::hwin, 1);
  EXPECT_EQ(view3d::vwin, 32767);
  EXPECT_EQ(magView3D, -2);
}

TEST_F(Surface3d, CellsAreCulledAndSortedFarFirst) {
  ViewRotation r;
  CalcAngle(&r, 0, 0);  // depth is y
  // A 2 by 3 grid: two cells, the second farther (larger y) but kept in front of the eye.
  const Vec x{0, 1, 2, 0, 1, 2}, y{0, 10, 20, 0, 10, 20}, z{0, 0, 0, 1, 1, 1};
  Vec sx(6), sy(6);
  Calc3DframeTo2D(2, 3, x.data(), y.data(), z.data(), sx.data(), sy.data(), r, 150, 150, 180, 180, 100, 0.1);
  std::vector<SurfaceQuad> q(6);
  int count = 0;
  CalcBehind3D(2, 3, q.data(), x.data(), y.data(), z.data(), 100, sx.data(), sy.data(), r, &count);
  ASSERT_EQ(count, 2);
  SortBehind(q.data(), count);
  // Squared distances from the eye plane: (5 - 100)^2 for the first cell, (15 - 100)^2 for
  // the second: the first is farther from the eye plane, so it is painted first.
  EXPECT_EQ(q[0].column, 0);
  EXPECT_EQ(q[1].column, 1);
  // A corner on the eye plane drops its cell.
  CalcBehind3D(2, 3, q.data(), x.data(), y.data(), z.data(), 20, sx.data(), sy.data(), r, &count);
  EXPECT_EQ(count, 1);
  // Equal keys keep row-major order.
  const Vec fx{0, 1, 2, 0, 1, 2}, fy(6, 0.0), fz{0, 0, 0, 1, 1, 1};
  CalcBehind3D(2, 3, q.data(), fx.data(), fy.data(), fz.data(), 100, sx.data(), sy.data(), r, &count);
  ASSERT_EQ(count, 2);
  SortBehind(q.data(), count);
  EXPECT_EQ(q[0].column, 0);
  EXPECT_EQ(q[1].column, 1);
  // One row has no cells.
  CalcBehind3D(1, 3, q.data(), x.data(), y.data(), z.data(), 100, sx.data(), sy.data(), r, &count);
  EXPECT_EQ(count, 0);
}

TEST_F(Surface3d, ShadeAndValueIndices) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {0, 1, 0};
  EXPECT_EQ(lightingIndex(a, b, c), 103);
  EXPECT_EQ(lightingIndex(a, a, c), 164);
  EXPECT_EQ(valueIndexSP(10, 0, 10), 254);
  EXPECT_EQ(valueIndexTopo(10, 0, 10), 255);
  EXPECT_EQ(valueIndexSP(-3, 0, 10), 0);
  EXPECT_EQ(valueIndexTopo(-3, 0, 10), 0);
  EXPECT_EQ(valueIndexSP(5, 3, 3), 0);
}

TEST_F(Surface3d, TriangleCut) {
  const double p1[3] = {0, 0, 0}, p2[3] = {2, 0, 0}, p3[3] = {0, 2, 2};
  double x1, y1, x2, y2;
  ASSERT_EQ(pravella::cross(p1, p2, p3, 1, &x1, &y1, &x2, &y2), 1);
  // p3 alone above: the level crosses p3-p1 at (0, 1) and p3-p2 at (1, 1).
  EXPECT_DOUBLE_EQ(x1, 0);
  EXPECT_DOUBLE_EQ(y1, 1);
  EXPECT_DOUBLE_EQ(x2, 1);
  EXPECT_DOUBLE_EQ(y2, 1);
  // Two corners on the level give their edge.
  ASSERT_EQ(pravella::cross(p1, p2, p3, 0, &x1, &y1, &x2, &y2), 1);
  EXPECT_EQ(x2, 2);
  EXPECT_EQ(pravella::cross(p1, p2, p3, 3, &x1, &y1, &x2, &y2), 0);
}

TEST_F(Surface3d, PicturesHaveTheViewSize) {
  const int n = 4;
  Vec x, y, z, c;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      x.push_back(j * 4 - 6);
      y.push_back(i * 4 - 6);
      z.push_back(std::cos(j) * 3);
      c.push_back(i + j);
    }
  pravella::Picture p;
  ASSERT_EQ(DoParametricPlot3D(n, n, x.data(), y.data(), z.data(), p), 1);
  EXPECT_EQ(p.width(), 300);
  EXPECT_EQ(p.height(), 300);
  ASSERT_EQ(DoParametricPlot3DSPTopo(n, n, x.data(), y.data(), z.data(), c.data(), 0, 0, 0, 0, 1, p), 1);
  // Something coloured is drawn near the centre.
  const QImage img = p.toImage();
  int coloured = 0;
  for (int yy = 100; yy < 200; ++yy)
    for (int xx = 100; xx < 200; ++xx) {
      const QRgb v = img.pixel(xx, yy);
      coloured += qAlpha(v) != 0 && !(qRed(v) == qGreen(v) && qGreen(v) == qBlue(v));
    }
  EXPECT_GT(coloured, 100);
  ASSERT_EQ(DoParametricPlot3DStereo(n, n, x.data(), y.data(), z.data(), c.data(), 0, 0, 0, 0, 0, 0, p), 1);
  EXPECT_EQ(p.width(), 600);
  // Eye angle 0: the two halves are the same image.
  const QImage pair = p.toImage();
  EXPECT_EQ(pair.copy(0, 0, 300, 300), pair.copy(300, 0, 300, 300));
}

}  // namespace

namespace {

TEST_F(Surface3d, HeightGridSpansTheUnitSquare) {
  ViewRotation r;
  CalcAngle(&r, 0, 0);
  // Turn and tilt 0: across = u, up = height, depth = -w; the corner (0, 0) is u = -0.5,
  // w = -0.5, so depth 0.5 and p = 1 - 0.5 / 100.
  const Vec h{0, 0, 0, 0};
  Vec sx(4), sy(4);
  Calc3Dto2D(2, 2, sx.data(), sy.data(), h.data(), r, 150, 150, 180, 100);
  EXPECT_NEAR(sx[0], -0.5 / (1 - 0.005) * 180 + 150, 1e-12);
  EXPECT_NEAR(sy[0], 150, 1e-12);
  std::vector<SurfaceQuad> q(4);
  const Vec values{1, 2, 3, 6};
  int count = 0;
  CalcBehind(2, 2, q.data(), h.data(), sx.data(), values.data(), sy.data(), 100, r, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(q[0].mean, 3);
  EXPECT_NEAR(q[0].key, (0.5 - 100) * (0.5 - 100), 1e-9);
}

}  // namespace
