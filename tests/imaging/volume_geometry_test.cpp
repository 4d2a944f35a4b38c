// The geometry routines of the renderers and ray casters, on cases worked out by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "imaging/volume_geometry.h"

namespace {

std::vector<std::vector<int>> line(int x0, int y0, int z0, int x1, int y1, int z1,
                                   int limit = kVoxelLineLimit) {
  std::vector<VolumeSurfacePoint> buf(static_cast<std::size_t>(limit));
  const int n = DoGet3DLine(x0, y0, z0, x1, y1, z1, buf.data(), limit);
  std::vector<std::vector<int>> out;
  for (int i = 0; i < n; ++i) out.push_back({buf[i].x, buf[i].y, buf[i].z});
  return out;
}

TEST(VolumeGeometry, IntegerLines) {
  using L = std::vector<std::vector<int>>;
  EXPECT_EQ(line(0, 0, 0, 4, 2, 0), (L{{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {3, 1, 0}, {4, 2, 0}}));
  EXPECT_EQ(line(3, -2, 7, 3, -2, 7), (L{{3, -2, 7}}));
  // Dominant y and z, negative steps.
  EXPECT_EQ(line(0, 0, 0, -1, -3, 0), (L{{0, 0, 0}, {0, -1, 0}, {-1, -2, 0}, {-1, -3, 0}}));
  EXPECT_EQ(line(0, 0, 0, 1, 1, 2), (L{{0, 0, 0}, {0, 0, 1}, {1, 1, 2}}));
  // A line longer than the limit is cut there.
  const L cut = line(0, 0, 0, 2000, 10, 0);
  ASSERT_EQ(cut.size(), 1000u);
  EXPECT_EQ(cut.back()[0], 999);
  EXPECT_EQ(line(0, 0, 0, 5, 0, 0, 3).size(), 3u);
}

TEST(VolumeGeometry, RotateAddsTheOffset) {
  const double turn[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};  // x -> y, y -> -x
  double out[3];
  DoCalcRotateData(turn, 2, 3, 4, out);
  EXPECT_DOUBLE_EQ(out[0], -3 + 1e-5);
  EXPECT_DOUBLE_EQ(out[1], 2 + 1e-5);
  EXPECT_DOUBLE_EQ(out[2], -4 + 1e-5);
}

TEST(VolumeGeometry, PlaneAndBox) {
  const double plane[4] = {0, 0, 1, -2};  // z = 2
  const double P[3] = {0, 0, 0}, Q[3] = {2, 2, 4}, R[3] = {5, 5, 0};
  double at[3];
  ASSERT_EQ(DoKouten(plane, P, Q, at), 1);
  EXPECT_DOUBLE_EQ(at[0], 1);
  EXPECT_DOUBLE_EQ(at[2], 2);
  EXPECT_EQ(DoKouten(plane, P, R, at), 0) << "parallel";

  const double box[6] = {1, -1, -1, 1, -1, 1};  // bounds in either order
  const struct {
    const char* name;
    double p[3], q[3];
    int result;
    double in[3], out[3];
  } cases[] = {
      {"through the middle", {-5, 0.5, 0}, {5, 0.5, 0}, 1, {-1, 0.5, 0}, {1, 0.5, 0}},
      {"backwards", {5, 0.5, 0}, {-5, 0.5, 0}, 1, {1, 0.5, 0}, {-1, 0.5, 0}},
      {"misses", {-5, 3, 0}, {5, 3, 0}, 0, {}, {}},
      {"touches one corner", {-3, -1, -1}, {-1, 1, 1}, 0, {}, {}},
      {"through two edges", {-3, -3, 0.5}, {1, 1, 0.5}, 0, {}, {}},
      {"in through one face, out through another",
       {-5, 1, 0.5},
       {5, -1, 0.5},
       1,
       {-1, 0.2, 0.5},
       {1, -0.2, 0.5}},
  };
  for (const auto& c : cases) {
    double in[3] = {9, 9, 9}, out[3] = {9, 9, 9};
    ASSERT_EQ(DoVolumeKouten(box, c.p, c.q, in, out), c.result) << c.name;
    if (!c.result) continue;
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(in[k], c.in[k], 1e-12) << c.name;
      EXPECT_NEAR(out[k], c.out[k], 1e-12) << c.name;
    }
  }
}

TEST(VolumeGeometry, Slope) {
  const VolumeSurfacePoint points[3] = {{1, 1, 2}, {4, 3, 2}, {1, 1, 3}};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(DoCalcPlaneAngle(points, identity, 1, 1, 10, 10, 10, 0, 1), 0);
  EXPECT_NEAR(DoCalcPlaneAngle(points, identity, 2, 1, 10, 10, 10, 0, 2), M_PI / 2, 1e-12);
  // One step along x and one slice of zmag 1 make 45 degrees.
  const VolumeSurfacePoint diagonal[2] = {{0, 0, 0}, {1, 0, 1}};
  EXPECT_NEAR(DoCalcPlaneAngle(diagonal, identity, 1, 1, 4, 4, 4, 0, 1), M_PI / 4, 1e-12);
}

}  // namespace
