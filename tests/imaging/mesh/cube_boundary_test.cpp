#include "imaging/mesh/cube_boundary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "lang/lang_fixture.h"

namespace {

using namespace pravella::mesh;

// A ball of radius 10 about a centre between the grid points, in n slices of n x n.
std::vector<double> ballGrid(int n, double cx, double cy, double cz) {
  std::vector<double> g(static_cast<std::size_t>(n) * n * n);
  for (int z = 0; z < n; ++z)
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x)
        g[(static_cast<std::size_t>(z) * n + y) * n + x] =
            10 - std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
  return g;
}

class CubeBoundary : public LangTest {
 protected:
  void TearDown() override { kakudoStatus = 1; }
};

TEST_F(CubeBoundary, BallGivesAClosedSphereShapedSurface) {
  const int n = 32;
  const double cx = 15.3, cy = 15.6, cz = 15.2;
  const std::vector<double> g = ballGrid(n, cx, cy, cz);
  VertexList vertices;
  std::vector<std::array<int, 3>> triangles;
  ASSERT_EQ(volumeBoundary_Sub3(g.data(), n * n, n, 0.0, vertices, triangles), 1);
  const auto& v = vertices.points();
  ASSERT_GT(v.size(), 1000u);
  for (const Point3& p : v)
    EXPECT_NEAR(std::sqrt((p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy) + (p.z - cz) * (p.z - cz)), 10,
                0.1);
  std::map<std::pair<int, int>, int> edges;
  double area = 0;
  for (const auto& t : triangles) {
    for (int k = 0; k < 3; ++k) {
      const int a = t[static_cast<std::size_t>(k)], b = t[static_cast<std::size_t>((k + 1) % 3)];
      ++edges[{std::min(a, b), std::max(a, b)}];
    }
    const Point3 &A = v[static_cast<std::size_t>(t[0])], &B = v[static_cast<std::size_t>(t[1])],
                 &C = v[static_cast<std::size_t>(t[2])];
    const double ux = B.x - A.x, uy = B.y - A.y, uz = B.z - A.z, wx = C.x - A.x, wy = C.y - A.y,
                 wz = C.z - A.z;
    area += std::sqrt(std::pow(uy * wz - uz * wy, 2) + std::pow(uz * wx - ux * wz, 2) +
                      std::pow(ux * wy - uy * wx, 2)) /
            2;
  }
  for (const auto& [edge, uses] : edges) EXPECT_LE(uses, 2) << edge.first << "-" << edge.second;
  EXPECT_NEAR(area, 4 * M_PI * 100, 0.05 * 4 * M_PI * 100);

  // The linear search of the merge gives the same numbers.
  VertexList linear(VertexList::Search::Linear);
  std::vector<std::array<int, 3>> again;
  ASSERT_EQ(volumeBoundary_Sub3(g.data(), n * n, n, 0.0, linear, again), 1);
  EXPECT_EQ(again, triangles);
  ASSERT_EQ(linear.points().size(), v.size());
}

TEST_F(CubeBoundary, PlaneThroughStackedCubesSharesTheirFaceVertices) {
  // Two cubes (2 x 2 x 3 samples) cut by the plane x = 0.5: 4 + 4 cut points, two shared.
  const std::vector<double> g{0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
  VertexList vertices;
  std::vector<std::array<int, 3>> triangles;
  ASSERT_EQ(volumeBoundary_Sub3(g.data(), 6, 2, 0.5, vertices, triangles), 1);
  EXPECT_EQ(vertices.points().size(), 6u);
  EXPECT_EQ(triangles.size(), 4u);
  for (const Point3& p : vertices.points()) EXPECT_EQ(p.x, 0.5);
}

TEST_F(CubeBoundary, EveryPolygonIsTriangulatedAndFitsSevenColumns) {
  // All 254 mixed cubes: the triangle form gives m - 2 triangles for every polygon, and the
  // polygon form holds at most six vertices a row.
  for (int bits = 1; bits < 255; ++bits) {
    std::vector<double> g(8);
    for (int c = 0; c < 8; ++c)
      g[static_cast<std::size_t>(c)] = (bits >> c) & 1 ? 1.0 + 0.1 * c : 0.1 * c - 1.0;
    double corners[8][4];
    for (int c = 0; c < 8; ++c) {
      corners[c][0] = c & 1;
      corners[c][1] = (c >> 1) & 1;
      corners[c][2] = c >> 2;
      corners[c][3] = g[static_cast<std::size_t>(c)];
    }
    std::vector<CutVertex> cut;
    std::vector<Polygon> polygons;
    cubeBoundary_A(corners, 0.0, cut, polygons);
    std::size_t expected = 0;
    for (const Polygon& q : polygons) {
      ASSERT_GE(q.size(), 3u);
      expected += q.size() - 2;
    }
    VertexList vertices;
    std::vector<std::array<int, 3>> triangles;
    ASSERT_EQ(volumeBoundary_Sub3(g.data(), 4, 2, 0.0, vertices, triangles), 1);
    EXPECT_EQ(triangles.size(), expected) << "case " << bits;
    VertexList v2;
    std::vector<Polygon> rows;
    ASSERT_EQ(volumeBoundary_Sub2(g.data(), 4, 2, 0.0, v2, rows), 1);
    for (const Polygon& q : rows) EXPECT_LE(q.size(), 6u) << "case " << bits;
  }
}

TEST_F(CubeBoundary, HeptagonBecomesFiveTrianglesCoveringIt) {
  // A regular heptagon: five triangles, every vertex used, no triangle repeated.
  std::vector<Point3> p;
  for (int k = 0; k < 7; ++k) p.push_back({std::cos(2 * M_PI * k / 7), std::sin(2 * M_PI * k / 7), 0});
  const auto triangles = makeTrianglesFromPolygon(p, Polygon{0, 1, 2, 3, 4, 5, 6});
  ASSERT_EQ(triangles.size(), 5u);
  double area = 0;
  for (const auto& t : triangles) {
    const Point3 &a = p[static_cast<std::size_t>(t[0])], &b = p[static_cast<std::size_t>(t[1])],
                 &c = p[static_cast<std::size_t>(t[2])];
    area += std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
  }
  EXPECT_NEAR(area, 7.0 / 2 * std::sin(2 * M_PI / 7), 1e-12);
}

TEST_F(CubeBoundary, SurfacesPastTheListsAreRefused) {
  const int n = 16;
  const std::vector<double> g = ballGrid(n, 7.3, 7.6, 7.2);
  const int saved = TNumber;
  std::vector<double> out(static_cast<std::size_t>(saved), -7.0);
  // 2,400 reals: 100 vertices, fewer than the ball needs.
  TNumber = 2400;
  int rows = 0;
  const int result = volumeBoundary_3(g.data(), n * n, n, 4.0, out.data(), &rows);
  const int result2 = volumeBoundary_2(g.data(), n * n, n, 4.0, out.data(), &rows);
  TNumber = saved;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(result2, 0);
  EXPECT_EQ(ResultString, "...<Error>...Too many Triangles\n...<Error>...Too many Triangles\n");
  for (double v : out) ASSERT_EQ(v, -7.0);
}

}  // namespace
