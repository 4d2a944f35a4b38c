#include "lang/stdlib/spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;

class Splines : public LangTest {};

TEST_F(Splines, NaturalSplineThroughThreeKnots) {
  // Through (0,0), (1,1), (2,4): M1 = 3, so S(0.5) = 0.3125 and S(1.5) = 2.3125.
  const Vec row{0, 1, 4};
  Vec work(5), out(5);
  ASSERT_EQ(DoHokan(row.data(), work.data(), out.data(), 1, 3, 1, 5), 1);
  const Vec expected{0, 0.3125, 1, 2.3125, 4};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(out[i], expected[i], 1e-14);
}

TEST_F(Splines, NaturalSplineAgreesWithADenseSolveOnUnevenKnots) {
  // Reference: the same natural spline's moments from a dense Gaussian elimination of the
  // textbook system h_i M_(i-1) + 2 (h_i + h_(i+1)) M_i + h_(i+1) M_(i+1) = 6 (d_(i+1) - d_i).
  const Vec x{0, 0.7, 1.1, 2.5, 3.0, 4.6};
  const Vec y{1, -0.5, 2, 0.3, 0.9, -1.2};
  const int n = 6, u = n - 2;
  std::vector<Vec> A(u, Vec(u + 1, 0.0));
  for (int i = 1; i <= u; ++i) {
    const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i];
    if (i > 1) A[i - 1][i - 2] = h0;
    A[i - 1][i - 1] = 2 * (h0 + h1);
    if (i < u) A[i - 1][i] = h1;
    A[i - 1][u] = 6 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0);
  }
  for (int p = 0; p < u; ++p)
    for (int r = p + 1; r < u; ++r) {
      const double f = A[r][p] / A[p][p];
      for (int c = p; c <= u; ++c) A[r][c] -= f * A[p][c];
    }
  Vec M(n, 0.0);
  for (int r = u - 1; r >= 0; --r) {
    double s = A[r][u];
    for (int c = r + 1; c < u; ++c) s -= A[r][c] * M[c + 1];
    M[r + 1] = s / A[r][r];
  }
  auto reference = [&](double t) {
    int i = 1;
    while (i < n - 1 && x[i] < t) ++i;
    const double h = x[i] - x[i - 1], a = x[i] - t, b = t - x[i - 1];
    return (M[i - 1] * a * a * a + M[i] * b * b * b) / (6 * h) + (y[i - 1] - M[i - 1] * h * h / 6) * a / h +
           (y[i] - M[i] * h * h / 6) * b / h;
  };
  Vec points, values(40);
  for (int k = 0; k < 40; ++k) points.push_back(4.6 * k / 39);
  ASSERT_EQ(DoSpline(x.data(), y.data(), points.data(), n, 1, 40, values.data()), 1);
  for (int k = 0; k < 40; ++k) EXPECT_NEAR(values[k], reference(points[k]), 1e-12) << points[k];
  // The knots are reproduced.
  Vec atKnots(n);
  DoSpline(x.data(), y.data(), x.data(), n, 1, n, atKnots.data());
  for (int i = 0; i < n; ++i) EXPECT_NEAR(atKnots[i], y[i], 1e-12);
}

TEST_F(Splines, SplineRefusesBadKnotsAndPoints) {
  const Vec x{0, 1, 2}, y{0, 1, 4}, outside{2.5}, unsorted{0, 2, 1};
  Vec out(3);
  EXPECT_EQ(DoSpline(x.data(), y.data(), outside.data(), 3, 1, 1, out.data()), 0);
  EXPECT_EQ(DoSpline(unsorted.data(), y.data(), x.data(), 3, 1, 1, out.data()), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid data\n...<Error>...Invalid data\n");
}

TEST_F(Splines, QuadraticResizeReproducesLinesAndParabolas) {
  const Vec line{0, 1, 2, 3};
  Vec work(7), out(7);
  ASSERT_EQ(DoHokanN(line.data(), work.data(), out.data(), 1, 4, 1, 7), 1);
  for (int i = 0; i < 7; ++i) EXPECT_NEAR(out[i], 0.5 * i, 1e-14);
  // Both blended quadratics of a parabola are the parabola.
  const Vec parabola{0, 1, 4, 9, 16};
  Vec wide(9);
  ASSERT_EQ(DoNewtonHokan(parabola.data(), 5, wide.data(), 9), 1);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(wide[i], 0.25 * i * i, 1e-12);
  // Resizing both ways: a 3 x 3 plane z = r + 2c to 5 x 4.
  const Vec plane{0, 2, 4, 1, 3, 5, 2, 4, 6};
  Vec work2(3 * 4), big(5 * 4);
  ASSERT_EQ(DoHokan(plane.data(), work2.data(), big.data(), 3, 3, 5, 4), 1);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(big[r * 4 + c], r * 0.5 + 2 * c * (2.0 / 3), 1e-12);
  EXPECT_EQ(DoHokan(plane.data(), work2.data(), big.data(), 3, 3, 0, 4), 0);
  EXPECT_EQ(DoHokanN(line.data(), work.data(), out.data(), 1, 2, 1, 7), 0);
}

TEST_F(Splines, UnevenResamplingIsTheSplineAtEqualSteps) {
  // y = 3x - 1 sampled at 1, 1.5, 3, 4: a spline reproduces it anywhere.
  const Vec y{2, 3.5, 8, 11}, d{1, 0.5, 1.5, 1};
  Vec out(7);
  ASSERT_EQ(DoNewtonHokan2(y.data(), d.data(), 4, out.data(), 7), 1);
  for (int k = 0; k < 7; ++k) EXPECT_NEAR(out[k], 3 * (1 + 0.5 * k) - 1, 1e-12);
}

TEST_F(Splines, DerivativeOfAParabolaIsExact) {
  // With the end moments equal to their neighbours the spline through x^2 is x^2 itself.
  const Vec x{0, 1, 2, 3, 4}, y{0, 1, 4, 9, 16};
  const Vec points{-1, 0, 0.5, 1, 2.25, 3.9, 4, 7};
  Vec out(points.size());
  ASSERT_EQ(DoSplineDif(x.data(), y.data(), points.data(), 4, 1, static_cast<int>(points.size()), out.data()),
            1);
  const Vec expected{0, 0, 1, 2, 4.5, 7.8, 8, 8};
  for (std::size_t k = 0; k < points.size(); ++k) EXPECT_NEAR(out[k], expected[k], 1e-12) << points[k];
  const Vec unsorted{0, 2, 1, 3};
  EXPECT_EQ(DoSplineDif(unsorted.data(), y.data(), points.data(), 3, 1, 1, out.data()), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid arguments... 1st arg. must be sorted\n");
}

TEST_F(Splines, PreSplineMeanAveragesRuns) {
  const Vec in{1, 2, 1, 4, 2, 5};
  Vec out(9);
  int r = 0, c = 0;
  ASSERT_EQ(preSplineMean(in.data(), out.data(), 3, 2, &r, &c), 1);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 6), (Vec{1, 3, 2, 2, 5, 1}));
}

TEST_F(Splines, BSplineFitReproducesPolynomialsOfItsDegree) {
  // Least squares by cubic B-splines fits a cubic exactly, whatever the interior knots.
  const int n = 30, d = 3, p = d + 1;
  Vec x(n), y(n);
  for (int i = 0; i < n; ++i) {
    x[i] = -1 + 3.0 * i / (n - 1) + (i % 3) * 0.01;
    y[i] = x[i] * x[i] * x[i] - 2 * x[i] + 0.5;
  }
  x[n - 1] = 2.02;
  y[n - 1] = std::pow(2.02, 3) - 2 * 2.02 + 0.5;
  const Vec interior{-0.3, 0.4, 1.1, 1.5};
  Vec knots;
  for (int i = 0; i < p; ++i) knots.push_back(x[0]);
  for (double v : interior) knots.push_back(v);
  for (int i = 0; i < p; ++i) knots.push_back(x[n - 1]);
  Vec out(3 * n);
  ASSERT_EQ(CFITSP(x.data(), y.data(), n, knots.data(), static_cast<int>(knots.size()), p, out.data()), 1);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(out[3 * i], x[i]);
    EXPECT_EQ(out[3 * i + 1], y[i]);
    EXPECT_NEAR(out[3 * i + 2], y[i], 1e-9) << i;
  }
}

TEST_F(Splines, LinearBSplineFitIsTheLeastSquaresLine) {
  // Degree 1 without interior knots: the least-squares straight line, checked against the
  // normal-equation formulas for slope and intercept.
  const Vec x{0, 1, 2, 3, 4}, y{1, 3, 2, 5, 4};
  const Vec knots{0, 0, 4, 4};
  Vec out(15);
  ASSERT_EQ(CFITSP(x.data(), y.data(), 5, knots.data(), 4, 2, out.data()), 1);
  const double mx = 2, my = 3;
  double sxy = 0, sxx = 0;
  for (int i = 0; i < 5; ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
  }
  const double slope = sxy / sxx;
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(out[3 * i + 2], my + slope * (x[i] - mx), 1e-12);
}

}  // namespace
