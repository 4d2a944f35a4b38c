#include "graphics/triangulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
