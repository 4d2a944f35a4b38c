#include "lang/stdlib/calculus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/stdlib/gamma.h"

namespace {

using Vec = std::vector<double>;

class Calculus : public LangTest {};

// Simpson's rule with many panels: an independent reference for integrals of smooth densities.
template <typename F>
double simpson(F f, double a, double b, int panels = 20000) {
  const double h = (b - a) / panels;
  double s = f(a) + f(b);
  for (int i = 1; i < panels; ++i) s += f(a + i * h) * (i % 2 ? 4 : 2);
  return s * h / 3;
}

TEST_F(Calculus, ErrorFunctionMatchesTheLibraryToTheApproximationsAccuracy) {
  for (double x : {-3.0, -1.2, -0.5, 0.1, 0.5, 1.0, 2.0, 4.0, 9.99}) {
    double v = 0;
    ASSERT_EQ(DoErrorFunctionSub(x, &v), 1);
    EXPECT_NEAR(v, std::erf(x), 3e-7) << x;
  }
  double v = 1;
  DoErrorFunctionSub(0, &v);
  EXPECT_EQ(v, 0.0);
  DoErrorFunctionSub(10, &v);
  EXPECT_EQ(v, 1.0);
  DoErrorFunctionSub(-12, &v);
  EXPECT_EQ(v, -1.0);
  double a = 0, b = 0;
  DoErrorFunctionSub(0.5, &a);
  DoErrorFunctionSub(-0.5, &b);
  EXPECT_EQ(a, -b);
}

TEST_F(Calculus, ChiSquareIntegralAgreesWithIntegratedDensity) {
  for (int n : {1, 2, 3, 4, 5, 7, 10}) {
    for (double x : {0.5, 2.0, 6.0, 12.0}) {
      const double k = n / 2.0;
      auto density = [&](double t) {
        return t <= 0 && n < 2 ? 0.0
                               : std::pow(t, k - 1) * std::exp(-t / 2) / (std::pow(2.0, k) * std::tgamma(k));
      };
      // The n = 1 density is infinite at 0: integrate it by the substitution t = u^2.
      const double reference =
          n == 1 ? simpson([&](double u) { return 2 * u * density(u * u); }, 1e-12, std::sqrt(x))
                 : simpson(density, 0, x);
      double v = 0;
      ASSERT_EQ(DoIntegrateChiSquare(x, n, &v), 1);
      EXPECT_NEAR(v, reference, 1e-6) << "n=" << n << " x=" << x;
    }
  }
  double v = 0;
  DoIntegrateChiSquare(2, 2, &v);
  EXPECT_NEAR(v, 1 - std::exp(-1.0), 1e-15);
}

TEST_F(Calculus, GammaThroughTheReductionMatchesTheLibrary) {
  for (double x : {0.5, 1.0, 1.5, 3.5, 6.2}) {
    double v = 0;
    SubGamma(x, &v);
    EXPECT_NEAR(v / std::tgamma(x), 1.0, 1e-6) << x;
  }
  // Huge arguments overflow at once instead of counting down for ever.
  for (double x : {200.0, 1e18, HUGE_VAL}) {
    double v = 0;
    SubGamma(x, &v);
    EXPECT_EQ(v, HUGE_VAL) << x;
  }
  double v = 0;
  SubGamma(NAN, &v);
  EXPECT_TRUE(std::isnan(v));
}

TEST_F(Calculus, PolygonAreaAndIntegrals) {
  double area = 0;
  const Vec sx{0, 1, 1, 0}, sy{0, 0, 1, 1};
  DoMenseki(sx.data(), sy.data(), &area, 4);
  EXPECT_DOUBLE_EQ(area, 1.0);
  const Vec rx{0, 0, 1, 1}, ry{0, 1, 1, 0};
  DoMenseki(rx.data(), ry.data(), &area, 4);
  EXPECT_DOUBLE_EQ(area, 1.0);
  // A triangle far from the origin: (1e6, 1e6), (1e6 + 3, 1e6), (1e6, 1e6 + 4).
  const Vec tx{1e6, 1e6 + 3, 1e6}, ty{1e6, 1e6, 1e6 + 4};
  DoMenseki(tx.data(), ty.data(), &area, 3);
  EXPECT_DOUBLE_EQ(area, 6.0);

  // The trapezoid rule is exact for straight lines: y = 2x and y = 1 over uneven steps.
  const Vec x{0, 0.5, 2, 3};
  const Vec y{0, 1, 1, 1, 4, 1, 6, 1};
  Vec out(8);
  DoSekibun(4, 2, y.data(), x.data(), out.data());
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(out[i * 2], x[i] * x[i]);
    EXPECT_DOUBLE_EQ(out[i * 2 + 1], x[i]);
  }
  DoIntegration(4, 2, y.data(), nullptr, out.data());
  EXPECT_EQ(out, (Vec{0, 1, 1, 2, 5, 3, 11, 4}));
}

TEST_F(Calculus, HistogramsCountOnEdgesAsDefined) {
  const Vec data{0, 1, 2, 3};
  Vec out(16);
  int r = 0, c = 0;
  ASSERT_EQ(DoFrequencyAll(data.data(), 4, out.data(), 2, 2, &r, &c), 1);
  EXPECT_EQ(r, 4);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 8), (Vec{0, 1, 1, 1, 2, 1, 3, 1}));
  // Per column (0, 2 and 1, 3), and on given bounds where values outside count nowhere.
  ASSERT_EQ(DoFrequency(data.data(), 4, out.data(), 2, 2, &r, &c), 1);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 12), (Vec{0, 1, 0, 1, 0, 1, 2, 1, 0, 3, 0, 1}));
  const Vec spread{-1, 0.1, 0.2, 0.3, 0.5, 0.99, 1.0, 1.5, 2.0};
  ASSERT_EQ(DoFrequencyAllSP(spread.data(), 3, out.data(), 9, 1, &r, &c, 1.0, 0.0), 1);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 6), (Vec{0, 3, 0.5, 2, 1.0, 1}));
  // Fewer than two bins cannot have a width.
  EXPECT_EQ(DoFrequencyAll(data.data(), 1, out.data(), 2, 2, &r, &c), 0);
  EXPECT_NE(ResultString.find("Invalid arguments."), std::string::npos);
}

TEST_F(Calculus, ElementWiseKernelsAndFlips) {
  const Vec a{1, 2, 3, 4, 5, 6};
  Vec out(6);
  DoVertical(a.data(), out.data(), 2, 3);
  EXPECT_EQ(out, (Vec{4, 5, 6, 1, 2, 3}));
  DoHorizontal(a.data(), out.data(), 2, 3);
  EXPECT_EQ(out, (Vec{3, 2, 1, 6, 5, 4}));
  int r = 0, c = 0;
  const Vec sq{0, 4, 9};
  ASSERT_EQ(DoSqrt(sq.data(), nullptr, out.data(), 1, 3, &r, &c), 1);
  EXPECT_EQ(Vec(out.begin(), out.begin() + 3), (Vec{0, 2, 3}));
  const Vec bad{1, -1};
  EXPECT_EQ(DoSqrt(bad.data(), nullptr, out.data(), 1, 2, &r, &c), 0);
  const Vec nan{NAN};
  EXPECT_EQ(DoSqrt(nan.data(), nullptr, out.data(), 1, 1, &r, &c), 0);
  const Vec zero{1, 0};
  EXPECT_EQ(DoDivide(a.data(), zero.data(), out.data(), 1, 2), 0);
  EXPECT_NE(ResultString.find("...<Error>...Invalid number.(sqrt)\n"), std::string::npos);
  EXPECT_NE(ResultString.find("...<Error>...divide by zero.\n"), std::string::npos);
  DoRandom(out.data(), 2, 3);
  for (double v : out) EXPECT_TRUE(v >= 0 && v < 1);
}

TEST_F(Calculus, LayoutAndTallies) {
  Vec in(21), out(49);
  for (int i = 0; i < 21; ++i) in[i] = i + 1;
  DoC21To77(in.data(), out.data());
  EXPECT_EQ(out[1 * 7 + 2], 1);   // in[0]
  EXPECT_EQ(out[1 * 7 + 3], 17);  // in[16]
  EXPECT_EQ(out[3 * 7 + 5], 14);  // in[13]
  EXPECT_EQ(out[5 * 7 + 5], (16 + 10) * 0.25);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[6 * 7 + 6], 0);

  const Vec values{3, 1, 3, 2.7};
  Vec member(8);
  int k = 0;
  ASSERT_EQ(cross_int_member(values.data(), 4, member.data(), &k), 1);
  EXPECT_EQ(k, 3);
  EXPECT_EQ(Vec(member.begin(), member.begin() + 6), (Vec{1, 1, 2, 1, 3, 2}));

  const Vec A{1, 2}, B{5, 6, 7}, pairs{1, 5, 1, 5, 2, 7, 1.9, 6.5, 3, 5};
  Vec counts(6);
  corssCount(A.data(), 2, B.data(), 3, pairs.data(), 5, counts.data());
  EXPECT_EQ(counts, (Vec{2, 1, 0, 0, 0, 1}));
}

}  // namespace
