#include "graphics/triangulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;

class Triangulation : public LangTest {};

double triangleArea(const double* t) {
  return std::fabs((t[3] - t[0]) * (t[7] - t[1]) - (t[4] - t[1]) * (t[6] - t[0])) / 2;
}

double minAngle(const double* t) {
  double m = 10;
  for (int k = 0; k < 3; ++k) {
    const double* p = t + 3 * k;
    const double* q = t + 3 * ((k + 1) % 3);
    const double* r = t + 3 * ((k + 2) % 3);
    m = std::min(m, sankakuKakudo(p[0], p[1], q[0], q[1], r[0], r[1]));
  }
  return m;
}

TEST_F(Triangulation, RandomPointsTileTheirHullWithoutOverlap) {
  // The triangles' areas add up to the hull's area (computed here by a monotone chain), and
  // every input point is a corner of some triangle.
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> dist(0, 10);
  const int n = 60;
  Vec points;
  std::vector<std::pair<double, double>> xy;
  for (int i = 0; i < n; ++i) {
    const double x = std::round(dist(gen) * 1000) / 1000, y = std::round(dist(gen) * 1000) / 1000;
    points.insert(points.end(), {x, y, static_cast<double>(i)});
    xy.emplace_back(x, y);
  }
  std::sort(xy.begin(), xy.end());
  auto cross = [](auto o, auto a, auto b) {
    return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
  };
  std::vector<std::pair<double, double>> hull(2 * xy.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < xy.size(); ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], xy[i]) <= 0) --k;
    hull[k++] = xy[i];
  }
  for (std::size_t i = xy.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && cross(hull[k - 2], hull[k - 1], xy[i - 1]) <= 0) --k;
    hull[k++] = xy[i - 1];
  }
  double hullArea = 0;
  for (std::size_t i = 0; i + 1 < k; ++i)
    hullArea += hull[i].first * hull[i + 1].second - hull[i + 1].first * hull[i].second;
  hullArea = std::fabs(hullArea) / 2;

  Vec out(static_cast<std::size_t>(9 * 3 * n));
  int count = 0;
  ASSERT_EQ(getSankakuFromPoints(points.data(), n, out.data(), &count), 1);
  double total = 0;
  std::set<std::pair<double, double>> corners;
  for (int t = 0; t < count; ++t) {
    total += triangleArea(&out[9 * t]);
    for (int c = 0; c < 3; ++c) corners.emplace(out[9 * t + 3 * c], out[9 * t + 3 * c + 1]);
  }
  EXPECT_NEAR(total, hullArea, 1e-9);
  EXPECT_EQ(corners.size(), static_cast<std::size_t>(n));
  // Euler: a triangulation of n points with h on the hull has 2n - h - 2 triangles.
  const int onHull = static_cast<int>(k) - 1;
  EXPECT_EQ(count, 2 * n - onHull - 2);
}

// What a triangulation of a point list must come to, computed here on its own: the points as
// the triangulation merges them (equal to three decimals), in exact grid steps of 0.001; the
// hull by a monotone chain that keeps collinear boundary points; its area by the shoelace.
struct Expected {
  int points = 0, onHull = 0;
  double hullArea = 0;
};

Expected expectedOf(const Vec& list) {
  using Grid = std::pair<long long, long long>;
  std::vector<Grid> xy;
  for (std::size_t i = 0; i + 2 < list.size(); i += 3)
    xy.emplace_back(static_cast<long long>(std::nearbyint(list[i] * 1000)),
                    static_cast<long long>(std::nearbyint(list[i + 1] * 1000)));
  std::sort(xy.begin(), xy.end());
  xy.erase(std::unique(xy.begin(), xy.end()), xy.end());
  auto turn = [](const Grid& o, const Grid& a, const Grid& b) {
    return static_cast<__int128>(a.first - o.first) * (b.second - o.second) -
           static_cast<__int128>(a.second - o.second) * (b.first - o.first);
  };
  std::vector<Grid> hull(2 * xy.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < xy.size(); ++i) {
    while (k >= 2 && turn(hull[k - 2], hull[k - 1], xy[i]) < 0) --k;
    hull[k++] = xy[i];
  }
  for (std::size_t i = xy.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && turn(hull[k - 2], hull[k - 1], xy[i - 1]) < 0) --k;
    hull[k++] = xy[i - 1];
  }
  __int128 twice = 0;
  for (std::size_t i = 0; i + 1 < k; ++i)
    twice += static_cast<__int128>(hull[i].first) * hull[i + 1].second -
             static_cast<__int128>(hull[i + 1].first) * hull[i].second;
  return {static_cast<int>(xy.size()), static_cast<int>(k) - 1,
          std::fabs(static_cast<double>(twice)) / 2 / 1e6};
}

// The triangles (9 values a row) tile the hull: their count is 2n - h - 2 for n points with h on
// the hull, their areas add up to the hull's, and none is a sliver of no area.
void expectTiling(const Vec& list, const Vec& out, int count) {
  const Expected e = expectedOf(list);
  EXPECT_EQ(count, 2 * e.points - e.onHull - 2);
  double total = 0;
  for (int t = 0; t < count; ++t) {
    const double area = triangleArea(&out[static_cast<std::size_t>(9 * t)]);
    EXPECT_GT(area, 0) << "triangle " << t;
    total += area;
  }
  EXPECT_NEAR(total, e.hullArea, 1e-9 * e.hullArea);
}

TEST_F(Triangulation, LargeRandomSetsTileTheirHull) {
  struct Case {
    int n;
    unsigned seed;
    double span;
  };
  // Random points in a unit square (on its grid of 0.001 many hull points are collinear) and in
  // larger squares, up to the 49,000 points whose triangles nearly fill the triangle table (their
  // interior edges, about 3n, once ran past the edge table from about 34,000 points).
  const Case cases[] = {{100, 1, 1},     {1000, 2, 1},    {3000, 3, 1},  {10000, 4, 1},    {20000, 5, 1},
                        {5000, 7, 1000}, {20000, 8, 100}, {40000, 9, 1}, {49000, 10, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " points, seed " << c.seed << ", span " << c.span);
    std::mt19937 gen(c.seed);
    std::uniform_real_distribution<double> dist(0, c.span);
    Vec points;
    for (int i = 0; i < c.n; ++i) points.insert(points.end(), {dist(gen), dist(gen), 1.0});
    const Vec given = points;
    Vec out(static_cast<std::size_t>(9) * 2 * c.n);
    int count = 0;
    ASSERT_EQ(getSankakuFromPoints(points.data(), c.n, out.data(), &count), 1);
    expectTiling(given, out, count);
    // The index form (the digitiser's) makes the same mesh.
    if (c.n > 3000) continue;
    points = given;
    Vec indices(static_cast<std::size_t>(3) * 2 * c.n);
    int indexCount = 0;
    ASSERT_EQ(getSankakuFromPoints2(points.data(), c.n, indices.data(), &indexCount), 1);
    EXPECT_EQ(indexCount, count);
  }
}

TEST_F(Triangulation, LatticesWithCollinearRowsTileTheirHull) {
  // Every row and column of a lattice is collinear, and a quarter of the points lie on hull
  // edges; the order of the points must not matter.
  for (const unsigned shuffle : {0u, 1u, 2u}) {
    SCOPED_TRACE(shuffle);
    std::vector<std::pair<int, int>> cells;
    for (int i = 0; i < 40; ++i)
      for (int j = 0; j < 40; ++j) cells.emplace_back(i, j);
    if (shuffle) std::shuffle(cells.begin(), cells.end(), std::mt19937(shuffle));
    Vec points;
    for (const auto& [i, j] : cells) points.insert(points.end(), {i * 0.25, j * 0.5, 0.0});
    const Vec given = points;
    Vec out(static_cast<std::size_t>(9) * 2 * cells.size());
    int count = 0;
    ASSERT_EQ(getSankakuFromPoints(points.data(), static_cast<int>(cells.size()), out.data(), &count), 1);
    expectTiling(given, out, count);
  }
}

// Triangulates n random points, refines the mesh and checks that the refinement tiles the hull of
// every corner and centroid.
void refineRandomMesh(int n) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> dist(0, 1);
  Vec points;
  for (int i = 0; i < n; ++i) points.insert(points.end(), {dist(gen), dist(gen), 0.0});
  Vec mesh(static_cast<std::size_t>(9) * 2 * n);
  int count = 0;
  ASSERT_EQ(getSankakuFromPoints(points.data(), n, mesh.data(), &count), 1);
  // The refinement triangulates every corner and centroid anew.
  Vec refinedPoints;
  for (int t = 0; t < count; ++t) {
    const double* tri = &mesh[static_cast<std::size_t>(9 * t)];
    refinedPoints.insert(refinedPoints.end(), tri, tri + 9);
    for (int k = 0; k < 3; ++k) refinedPoints.push_back((tri[k] + tri[3 + k] + tri[6 + k]) / 3);
  }
  Vec refined(static_cast<std::size_t>(9) * 8 * count);
  int refinedCount = 0;
  ASSERT_EQ(DoSankakuHokan(mesh.data(), count, refined.data(), &refinedCount), 1);
  expectTiling(refinedPoints, refined, refinedCount);
}

TEST_F(Triangulation, RefiningALargeMeshTilesTheSameHull) {
  // 12,000 points make about 24,000 triangles, near the 25,000 the refinement takes; their
  // corners and centroids, about 36,000 points, once overflowed the edge table.
  for (const int n : {2000, 12000}) {
    SCOPED_TRACE(n);
    refineRandomMesh(n);
  }
}

TEST_F(Triangulation, DiagonalSwapPicksTheFatterPair) {
  // A convex quadrilateral whose fan diagonal from the leftmost point makes thin triangles:
  // the result's smallest angle is the better of the two diagonals.
  const Vec q{0, 0, 1, 5, -1, 2, 10, 0, 3, 5, 1, 4};
  auto pairMin = [&](int a, int b, int c, int d) {
    const double t1[9] = {q[3 * a], q[3 * a + 1], 0, q[3 * b], q[3 * b + 1], 0, q[3 * c], q[3 * c + 1], 0};
    const double t2[9] = {q[3 * a], q[3 * a + 1], 0, q[3 * c], q[3 * c + 1], 0, q[3 * d], q[3 * d + 1], 0};
    return std::min(minAngle(t1), minAngle(t2));
  };
  const double best = std::max(pairMin(0, 1, 2, 3), pairMin(1, 2, 3, 0));
  Vec points = q, out(36);
  int count = 0;
  ASSERT_EQ(getSankakuFromPoints(points.data(), 4, out.data(), &count), 1);
  ASSERT_EQ(count, 2);
  EXPECT_NEAR(std::min(minAngle(&out[0]), minAngle(&out[9])), best, 1e-12);
}

// A coordinate of the points below (multiples of 2^-10 up to 1e+15) as a whole number of 2^-10.
long long exactSteps(double v) { return static_cast<long long>(std::ldexp(v, 10)); }

// Checks a mesh exactly in the coordinates it returns, in 128-bit integers: every triangle has
// an area, no edge is a side of more than two triangles, the edges of one triangle only lie on
// the hull, the areas add up to the hull's, every point is a corner and there are 2n - h - 2
// triangles.
void expectExactTiling(const Vec& given, const Vec& out, int count) {
  using Grid = std::pair<long long, long long>;
  using Wide = __int128;
  auto turn = [](const Grid& o, const Grid& a, const Grid& b) {
    return static_cast<Wide>(a.first - o.first) * (b.second - o.second) -
           static_cast<Wide>(a.second - o.second) * (b.first - o.first);
  };
  std::vector<Grid> xy;
  for (std::size_t i = 0; i + 2 < given.size(); i += 3)
    xy.emplace_back(exactSteps(given[i]), exactSteps(given[i + 1]));
  std::sort(xy.begin(), xy.end());
  xy.erase(std::unique(xy.begin(), xy.end()), xy.end());
  std::vector<Grid> hull(2 * xy.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < xy.size(); ++i) {
    while (k >= 2 && turn(hull[k - 2], hull[k - 1], xy[i]) < 0) --k;
    hull[k++] = xy[i];
  }
  for (std::size_t i = xy.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && turn(hull[k - 2], hull[k - 1], xy[i - 1]) < 0) --k;
    hull[k++] = xy[i - 1];
  }
  Wide hullTwice = 0;
  std::set<std::pair<Grid, Grid>> hullEdges;
  for (std::size_t i = 0; i + 1 < k; ++i) {
    // A fan from the first corner: every partial sum is an area inside the hull.
    hullTwice += turn(hull[0], hull[i], hull[i + 1]);
    hullEdges.insert(std::minmax(hull[i], hull[i + 1]));
  }
  const int points = static_cast<int>(xy.size()), onHull = static_cast<int>(k) - 1;
  EXPECT_EQ(count, 2 * points - onHull - 2);
  Wide total = 0;
  std::map<std::pair<Grid, Grid>, int> sides;
  std::set<Grid> corners;
  for (int t = 0; t < count; ++t) {
    Grid c[3];
    for (int j = 0; j < 3; ++j) {
      c[j] = {exactSteps(out[static_cast<std::size_t>(9 * t + 3 * j)]),
              exactSteps(out[static_cast<std::size_t>(9 * t + 3 * j + 1)])};
      corners.insert(c[j]);
    }
    const Wide twice = turn(c[0], c[1], c[2]);
    EXPECT_NE(twice, 0) << "triangle " << t << " has no area";
    total += twice < 0 ? -twice : twice;
    for (int j = 0; j < 3; ++j) ++sides[std::minmax(c[j], c[(j + 1) % 3])];
  }
  EXPECT_TRUE(total == (hullTwice < 0 ? -hullTwice : hullTwice)) << "the triangles do not tile the hull";
  EXPECT_EQ(corners.size(), xy.size());
  int inner = 0;
  for (const auto& [edge, n] : sides) {
    EXPECT_LE(n, 2) << "an edge of " << n << " triangles";
    if (n == 1)
      EXPECT_TRUE(hullEdges.count(edge)) << "an inner edge of one triangle";
    else
      ++inner;
  }
  EXPECT_GT(inner, 0);
}

TEST_F(Triangulation, PointsNearTheCoordinateLimitAreTriangulatedExactly) {
  // Far from 0 a double's own steps come near the grid's 0.001 (from 2^43) or pass it (from
  // 2^49 they are 1/8): there the grid step is taken from the exact double, not from its
  // product with 1000 in doubles, which is rounded by up to 128 steps near 1e+15.
  const Vec six{999000000000001, -999000000000000, 1, 999000000000001, -999000000000001, 1,
                999000000000002, -999000000000001, 1, 999000000000002, -999000000000002, 1,
                999000000000002, -999000000000003, 1, 999000000000003, -999000000000002, 1};
  Vec points = six, out(9 * 12);
  int count = 0;
  ASSERT_EQ(getSankakuFromPoints(points.data(), 6, out.data(), &count), 1);
  expectExactTiling(six, out, count);
  // The corners come back as they were given: each is the double nearest its grid point.
  for (int t = 0; t < count; ++t)
    for (int j = 0; j < 3; ++j)
      EXPECT_NE(std::find(six.begin(), six.end(), out[static_cast<std::size_t>(9 * t + 3 * j)]), six.end());

  struct Case {
    double low, span, step;  // coordinates low + [0, span), in multiples of step
    int n;
  };
  // Spread up to the limit; clustered near it (many points nearly in line); near 1e+13 and
  // 1e+14, where a double's steps pass the grid's 0.001 (many returned corners on one line that
  // their grid points are not); and from 2^42, where the two steps are nearly equal.
  const Case cases[] = {
      {0, 9e14, 0.125, 300},          {-1e15, 2e15, 0.125, 300},      {999999999999000, 1000, 0.125, 300},
      {999999999000000, 1e6, 1, 300}, {1e13, 1000, 0.001953125, 300}, {1e13, 10, 0.001953125, 200},
      {1e14, 1, 0.015625, 300},       {1e14, 0.25, 0.015625, 200},    {4398046511104, 0.5, 0.0009765625, 300},
      {5e12, 2, 0.0009765625, 300}};
  unsigned seed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " points from " << c.low << ", span " << c.span);
    std::mt19937 gen(++seed);
    std::uniform_real_distribution<double> dist(0, c.span);
    Vec list;
    for (int i = 0; i < c.n; ++i) {
      const double x = c.low + std::round(dist(gen) / c.step) * c.step;
      const double y = -c.low - std::round(dist(gen) / c.step) * c.step;
      list.insert(list.end(), {x, y, 0.0});
    }
    std::set<std::pair<double, double>> distinct;
    for (int i = 0; i < c.n; ++i) distinct.emplace(list[3 * i], list[3 * i + 1]);
    Vec mesh(static_cast<std::size_t>(9) * 2 * c.n);
    ASSERT_EQ(getSankakuFromPoints(list.data(), c.n, mesh.data(), &count), 1);
    // Checked in the coordinates the points keep (the first rows of the list now), which are
    // those of the triangles' corners.
    expectExactTiling(Vec(list.begin(), list.begin() + 3 * static_cast<long>(distinct.size())), mesh, count);
  }
}

TEST_F(Triangulation, RefinementSplitsAtTheCentroid) {
  const Vec tri{0, 0, 0, 3, 0, 3, 0, 3, 6};
  Vec out(27);
  int count = 0;
  ASSERT_EQ(DoSankakuHokan(tri.data(), 1, out.data(), &count), 1);
  ASSERT_EQ(count, 3);
  for (int t = 0; t < 3; ++t) {
    bool hasCentroid = false;
    for (int c = 0; c < 3; ++c)
      if (out[9 * t + 3 * c] == 1 && out[9 * t + 3 * c + 1] == 1) {
        hasCentroid = true;
        EXPECT_EQ(out[9 * t + 3 * c + 2], 3);
      }
    EXPECT_TRUE(hasCentroid);
  }
  Vec many(9 * 25001, 0.0);
  EXPECT_EQ(DoSankakuHokan(many.data(), 25001, out.data(), &count), 0);
}

}  // namespace
