#include "lang/stdlib/point_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/run_state.h"

namespace {

using Vec = std::vector<double>;

class PointGeometry : public LangTest {
 protected:
  void TearDown() override { TNumber = savedTNumber; }
  int savedTNumber = TNumber;

  static Vec randomPoints(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(-10, 10);
    Vec p(2 * static_cast<std::size_t>(n));
    for (double& v : p) v = u(gen);
    return p;
  }
};

std::set<std::pair<int, int>> gabrielEdges(const Vec& p, int n) {
  Vec out(static_cast<std::size_t>(TNumber));
  int count = 0;
  EXPECT_EQ(DoGabriel(p.data(), n, out.data(), &count), 1);
  std::set<std::pair<int, int>> edges;
  for (int e = 0; e < count; ++e) {
    const double* row = out.data() + 6 * e;
    const int i = static_cast<int>(row[4]), j = static_cast<int>(row[5]);
    EXPECT_EQ(row[0], p[2 * i]);
    EXPECT_EQ(row[3], p[2 * j + 1]);
    edges.insert({i, j});
  }
  return edges;
}

TEST_F(PointGeometry, GabrielEdgesOfCollinearPointsSkipTheLongOne) {
  const Vec p{0, 0, 1, 0, 3, 0};
  EXPECT_EQ(gabrielEdges(p, 3), (std::set<std::pair<int, int>>{{0, 1}, {1, 2}}));
}

// A third point lies strictly inside the circle on i-j as diameter exactly when it sees i and j
// under an obtuse angle: the dot product of the ways to them is negative.
TEST_F(PointGeometry, GabrielEdgesMatchTheObtuseAngleRule) {
  const int n = 40;
  const Vec p = randomPoints(n, 7);
  std::set<std::pair<int, int>> expected;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      bool edge = true;
      for (int k = 0; k < n && edge; ++k) {
        if (k == i || k == j) continue;
        const double dot = (p[2 * i] - p[2 * k]) * (p[2 * j] - p[2 * k]) +
                           (p[2 * i + 1] - p[2 * k + 1]) * (p[2 * j + 1] - p[2 * k + 1]);
        if (dot < 0) edge = false;
      }
      if (edge) expected.insert({i, j});
    }
  EXPECT_EQ(gabrielEdges(p, n), expected);
}

TEST_F(PointGeometry, GabrielRefusesMoreEdgesThanTheLimit) {
  const Vec p{0, 0, 1, 0, 3, 0};
  TNumber = 12;  // two edges
  Vec out(12);
  int count = 0;
  EXPECT_EQ(DoGabriel(p.data(), 3, out.data(), &count), 1);
  EXPECT_EQ(count, 2);
  TNumber = 11;  // one edge; the message itself no longer fits a result text this small
  count = -1;
  EXPECT_EQ(DoGabriel(p.data(), 3, out.data(), &count), 0);
  EXPECT_EQ(count, -1);
}

// The convex hull by the monotone chain, turned to run clockwise from the leftmost point.
std::vector<std::pair<double, double>> hullClockwise(const Vec& p, int n) {
  std::vector<std::pair<double, double>> pts;
  for (int i = 0; i < n; ++i) pts.push_back({p[2 * i], p[2 * i + 1]});
  std::sort(pts.begin(), pts.end());
  auto cross = [](auto o, auto a, auto b) {
    return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
  };
  std::vector<std::pair<double, double>> h(2 * pts.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    while (k >= 2 && cross(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
    h[k++] = pts[i];
  }
  for (std::size_t i = pts.size() - 1, t = k + 1; i-- > 0;) {
    while (k >= t && cross(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
    h[k++] = pts[i];
  }
  h.resize(k);  // counter-clockwise from the leftmost, closed
  std::reverse(h.begin(), h.end());
  return h;
}

TEST_F(PointGeometry, WrappingTracesTheConvexHullClockwise) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const int n = 60;
    const Vec p = randomPoints(n, seed);
    Vec work(3 * n), out(2 * (n + 1));
    int rows = 0;
    ASSERT_EQ(DoWrapping(p.data(), n, work.data(), out.data(), &rows), 1);
    const auto hull = hullClockwise(p, n);
    ASSERT_EQ(static_cast<std::size_t>(rows), hull.size()) << "seed " << seed;
    for (int r = 0; r < rows; ++r) {
      EXPECT_EQ(out[2 * r], hull[r].first) << "seed " << seed << " row " << r;
      EXPECT_EQ(out[2 * r + 1], hull[r].second) << "seed " << seed << " row " << r;
    }
  }
}

TEST_F(PointGeometry, WrappingWithANearLengthStaysOnNearPoints) {
  // An L of unit-spaced points. With r = 1.1 the diagonal (0,2)-(1,1) is too long, and a left
  // turn of exactly a right angle is never taken (its angle is 2 pi), so the trace goes back.
  const Vec p{0, 0, 1, 0, 2, 0, 0, 1, 1, 1, 0, 2};
  Vec work(18), out(14);
  work[0] = 1.1;
  int rows = 0;
  ASSERT_EQ(DoWrapping_new(p.data(), 6, work.data(), out.data(), &rows), 1);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 2 * rows), (Vec{0, 0, 0, 1, 0, 2, 0, 1, 0, 0}));
  // Without the limit the notch is cut off; a point on an edge of the outline is taken, the
  // nearer first.
  ASSERT_EQ(DoWrapping(p.data(), 6, work.data(), out.data(), &rows), 1);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 2 * rows), (Vec{0, 0, 0, 1, 0, 2, 1, 1, 2, 0, 1, 0, 0, 0}));
}

TEST_F(PointGeometry, VoronoiMatchesTheNearestPointByBruteForce) {
  const Vec pts{0.3, 0.2, 5, 2.7, 0.9, -1, 1.4, 1.8, 3, 0.1, 1.9, 8};
  const Vec region{0, 3, 0, 2};
  Vec buffer(40, 0.0);
  buffer[0] = 8;  // width
  buffer[1] = 5;  // height
  ASSERT_EQ(DoVoronoi(pts.data(), 4, region.data(), buffer.data()), 1);
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 8; ++col) {
      const double x = col * 3.0 / 8, y = (4 - row) * 2.0 / 5;  // the top row is the largest y
      int best = 0;
      for (int k = 1; k < 4; ++k) {
        auto d = [&](int i) {
          return (pts[3 * i] - x) * (pts[3 * i] - x) + (pts[3 * i + 1] - y) * (pts[3 * i + 1] - y);
        };
        if (d(k) < d(best)) best = k;
      }
      EXPECT_EQ(buffer[row * 8 + col], pts[3 * best + 2]) << row << "," << col;
    }
}

// The raster of many points, some of them at the same place or equally far from a cell
// centre, against the plain scan: the least squared distance wins, the earlier point on a tie.
TEST_F(PointGeometry, VoronoiOfManyPointsAndTiesIsTheScansAnswer) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> grid(0, 20);
  const int n = 3000;
  Vec pts(3 * n);
  for (int i = 0; i < n; ++i) {
    // Whole and half coordinates on a 1 x 1 region of 40 x 40 cells put many at equal distances.
    pts[3 * i] = grid(gen) / 20.0;
    pts[3 * i + 1] = grid(gen) / 20.0;
    pts[3 * i + 2] = i;
  }
  const Vec region{0, 1, 0, 1};
  const int w = 40, h = 40;
  Vec buffer(w * h, 0.0);
  buffer[0] = w;
  buffer[1] = h;
  ASSERT_EQ(DoVoronoi(pts.data(), n, region.data(), buffer.data()), 1);
  const double sx = w / 1.0, sy = h / 1.0;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) {
      const double x = 0 + c / sx, y = 0 + r / sy;
      int best = 0;
      double bestD = 0;
      for (int k = 0; k < n; ++k) {
        const double dx = pts[3 * k] - x, dy = pts[3 * k + 1] - y, d = dx * dx + dy * dy;
        if (k == 0 || d < bestD) {
          best = k;
          bestD = d;
        }
      }
      ASSERT_EQ(buffer[(h - 1 - r) * w + c], best) << r << "," << c;
    }
}

class HeldButton {
 public:
  HeldButton() { vkButtonDownSinceMs.store(vkSteadyMillis() - 3000); }
  ~HeldButton() { vkSetButtonDown(false); }
};

// Work whose length the program sets stops when the button is held.
TEST_F(PointGeometry, VoronoiAndWrappingStopWhenTheButtonIsHeld) {
  const HeldButton held;
  const Vec pts{0.3, 0.2, 5, 2.7, 0.9, -1};
  const Vec region{0, 3, 0, 2};
  Vec buffer(40, 0.0);
  buffer[0] = 8;
  buffer[1] = 5;
  EXPECT_EQ(DoVoronoi(pts.data(), 2, region.data(), buffer.data()), 0);
  EXPECT_NE(ResultString.find(kVkBreakMessage), std::string::npos) << ResultString;
  ResultString.clear();
  const Vec square{0, 0, 1, 0, 1, 1, 0, 1};
  Vec work(12), out(10);
  int rows = 0;
  EXPECT_EQ(DoWrapping(square.data(), 4, work.data(), out.data(), &rows), 0);
  EXPECT_NE(ResultString.find(kVkBreakMessage), std::string::npos) << ResultString;
}

}  // namespace
