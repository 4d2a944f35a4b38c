#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/distributions.h"
#include "lang/stdlib/random_dist.h"

// Reference values: mpmath 1.2.1 at 40 significant digits (gammainc, betainc, gamma, beta and
// the closed-form densities), printed to 17 digits. Degrees of freedom 1, 10, 256 (the last
// before the closed forms overflowed), 258, 1000 and 100000.

namespace {

class Distributions : public LangTest {};

// Where the closed forms with the gamma polynomial are used (all gamma arguments below 171),
// the polynomial's accuracy of a few parts in 1e7 bounds the result; above, the log-space
// forms are accurate to about 1e-12.
double tolerance(double largestGammaArgument) { return largestGammaArgument < 171 ? 1e-6 : 1e-9; }

void expectRelative(double value, double reference, double tol, const char* what, double dof) {
  EXPECT_TRUE(std::isfinite(value)) << what << " " << dof;
  if (reference < 1e-300)
    EXPECT_LT(value, 1e-290) << what << " " << dof;  // underflows in doubles
  else
    EXPECT_NEAR(value / reference, 1.0, tol) << what << " " << dof << ": " << value << " vs " << reference;
}

TEST_F(Distributions, ChiSquareDensityAndIntegral) {
  struct Row {
    int n;
    double x, integral, density;
  };
  const std::vector<Row> rows = {
      {1, 5.0e-1, 5.2049987781304654e-1, 4.393912894677224e-1},
      {1, 1.0, 6.826894921370859e-1, 2.4197072451914335e-1},
      {1, 2.0, 8.4270079294971487e-1, 1.0377687435514868e-1},
      {10, 5.0, 1.0882198108584876e-1, 6.6800942890542639e-2},
      {10, 1.0e+1, 5.5950671493478759e-1, 8.7733684883925353e-2},
      {10, 2.0e+1, 9.7074731192303893e-1, 9.4583187005176774e-3},
      {256, 1.28e+2, 1.2723672854256656e-12, 6.4569843618018615e-13},
      {256, 2.56e+2, 5.117544509041229e-1, 1.7619449778411857e-2},
      {256, 5.12e+2, 1.0, 7.7109539197921609e-20},
      {258, 1.29e+2, 1.0449359086777982e-12, 5.3022390190131281e-13},
      {258, 2.58e+2, 5.1170879857643234e-1, 1.755111304904124e-2},
      {258, 5.16e+2, 1.0, 5.6513986436397974e-20},
      {1000, 5.0e+2, 4.0671656819990012e-44, 2.041621944330683e-44},
      {1000, 1.0e+3, 5.0594714617076036e-1, 8.9191339347558895e-3},
      {1000, 2.0e+3, 1.0, 1.0400388688838821e-69},
      {100000, 9.9e+4, 1.2478315638082799e-2, 7.2732745023303741e-5},
      {100000, 1.0e+5, 5.0059470810479331e-1, 8.9206057130752776e-4},
      {100000, 1.01e+5, 9.8713115962276633e-1, 7.3709107206124634e-5},
  };
  for (const Row& r : rows) {
    double density = 0;
    chiSquareDensity(&r.x, 1, r.n, &density);
    expectRelative(density, r.density, tolerance(r.n / 2.0), "density", r.n);
    double integral = 0;
    ASSERT_EQ(DoIntegrateChiSquare(r.x, r.n, &integral), 1);
    EXPECT_TRUE(std::isfinite(integral)) << r.n;
    if (r.n == 1)
      EXPECT_NEAR(integral, r.integral, 1e-6);  // through the error function's approximation
    else if (r.n < 1000)
      // The finite sums (used while they do not overflow) give 1 - a sum: accurate to the last
      // place of 1, not relative to a tiny lower tail.
      EXPECT_NEAR(integral, r.integral, std::max(1e-12, 1e-9 * r.integral)) << r.n << " " << r.x;
    else
      expectRelative(integral, r.integral, 1e-9, "integral", r.n);
  }
}

TEST_F(Distributions, StudentTDensityAndIntegral) {
  struct Row {
    int nu;
    double t, density, integral;
  };
  const std::vector<Row> rows = {
      {1, 5.0e-1, 2.5464790894703254e-1, 6.4758361765043327e-1},
      {1, 2.0, 6.3661977236758134e-2, 8.5241638234956673e-1},
      {10, 5.0e-1, 3.3969513635207777e-1, 6.8605319712851353e-1},
      {10, 2.0, 6.1145766321218176e-2, 9.6330598261462982e-1},
      {256, 5.0e-1, 3.5157151185434218e-1, 6.912477079094891e-1},
      {256, 2.0, 5.4355848500861634e-2, 9.7672164797144029e-1},
      {258, 5.0e-1, 3.5157533666182922e-1, 6.9124937165916865e-1},
      {258, 2.0, 5.4353051983615876e-2, 9.7672575001567063e-1},
      {1000, 5.0e-1, 3.5193883061591402e-1, 6.9140745958306259e-1},
      {1000, 2.0, 5.4085174009755933e-2, 9.7711482675337418e-1},
      {100000, 5.0e-1, 3.5206406153226332e-1, 6.9146191117279098e-1},
      {100000, 2.0, 5.3991911327375994e-2, 9.7724851827124677e-1},
  };
  for (const Row& r : rows) {
    double density = 0;
    tDensity(&r.t, 1, r.nu, &density);
    expectRelative(density, r.density, tolerance((r.nu + 1) / 2.0), "density", r.nu);
    expectRelative(p_t_distribution(r.nu, r.t), r.integral, 1e-9, "integral", r.nu);
    expectRelative(p_t_distribution(r.nu, -r.t), 1 - r.integral, 1e-9, "lower integral", r.nu);
  }
}

TEST_F(Distributions, FDensity) {
  struct Row {
    double m;
    int n;
    double x, density;
  };
  const std::vector<Row> rows = {
      {1.0, 1, 1.0, 1.5915494309189534e-1},
      {1.0, 1, 8.0000000000000004e-1, 1.9771181761588251e-1},
      {5.0, 1, 1.2, 1.8185348133730056e-1},
      {1.0e+1, 10, 1.0, 6.15234375e-1},
      {1.0e+1, 10, 8.0000000000000004e-1, 7.2272894167969519e-1},
      {5.0, 10, 1.2, 4.0140463338927752e-1},
      {2.56e+2, 256, 1.0, 3.1884230359129697},
      {2.56e+2, 256, 8.0000000000000004e-1, 8.1268429974706214e-1},
      {5.0, 256, 1.2, 4.8229358916124806e-1},
      {2.58e+2, 258, 1.0, 3.2008778133970047},
      {2.58e+2, 258, 8.0000000000000004e-1, 8.0578651633871517e-1},
      {5.0, 258, 1.2, 4.8232600106933735e-1},
      {1.0e+3, 1000, 1.0, 6.3062545445902005},
      {1.0e+3, 1000, 8.0000000000000004e-1, 1.5818509738338335e-2},
      {5.0, 1000, 1.2, 4.8543022751753089e-1},
      {1.0e+5, 100000, 1.0, 6.3078155354918497e+1},
      {1.0e+5, 100000, 8.0000000000000004e-1, 1.3969943900878177e-268},
      {5.0, 100000, 1.2, 4.8651078687516547e-1},
  };
  for (const Row& r : rows) {
    double density = 0;
    ASSERT_EQ(DoFDist(r.x, r.m, r.n, &density), 1);
    expectRelative(density, r.density, tolerance((r.m + r.n) / 2), "density", r.n);
  }
}

TEST_F(Distributions, BetaFunction) {
  struct Row {
    double a, b, beta;
  };
  const std::vector<Row> rows = {
      {5.0e-1, 5.0e-1, 3.1415926535897932},
      {5.0e-1, 2.5, 1.1780972450961725},
      {5.0, 5.0, 1.5873015873015873e-3},
      {5.0, 2.5, 1.704961704961705e-2},
      {1.28e+2, 1.28e+2, 2.708601856723687e-78},
      {1.28e+2, 2.5, 7.0677704107862364e-6},
      {1.29e+2, 1.29e+2, 6.7451563747204657e-79},
      {1.29e+2, 2.5, 6.9323725101964617e-6},
      {5.0e+2, 5.0e+2, 1.4799015991256109e-302},
      {5.0e+2, 2.5, 2.3691074148958913e-7},
      {5.0e+4, 5.0e+4, 0.0},  // 1.5869184794108625e-30105: below the smallest double
      {5.0e+4, 2.5, 2.3779072065603496e-12},
  };
  for (const Row& r : rows) {
    double beta = 0;
    ASSERT_EQ(DoBeta(r.a, r.b, &beta), 1);
    expectRelative(beta, r.beta, tolerance(r.a + r.b), "beta", r.a);
  }
}

// Up to a million degrees of freedom every value is a finite number.
TEST_F(Distributions, LargeDegreesOfFreedomStayFinite) {
  for (int n : {300, 343, 344, 5000, 1000000}) {
    for (double scale : {0.1, 0.9, 1.0, 1.1, 3.0}) {
      const double x = n * scale;
      double v = 0;
      ASSERT_EQ(DoIntegrateChiSquare(x, n, &v), 1);
      EXPECT_TRUE(v >= 0 && v <= 1) << n << " " << x << " " << v;
      chiSquareDensity(&x, 1, n, &v);
      EXPECT_TRUE(std::isfinite(v) && v >= 0) << n << " " << x;
      ASSERT_EQ(DoFDist(scale, n, n, &v), 1);
      EXPECT_TRUE(std::isfinite(v) && v >= 0) << n << " " << scale;
      const double t = scale;
      tDensity(&t, 1, n, &v);
      EXPECT_TRUE(std::isfinite(v) && v > 0) << n << " " << t;
      ASSERT_EQ(DoBeta(n / 2.0, n / 2.0, &v), 1);
      EXPECT_TRUE(std::isfinite(v)) << n;
    }
  }
  // The densities integrate to 1 at a large order (midpoint rule over +-10 sigma).
  const int n = 500000;
  const double sigma = std::sqrt(2.0 * n), step = sigma / 200;
  double total = 0;
  std::vector<double> xs;
  for (double x = n - 10 * sigma; x < n + 10 * sigma; x += step) xs.push_back(x + step / 2);
  std::vector<double> d(xs.size());
  chiSquareDensity(xs.data(), static_cast<long long>(xs.size()), n, d.data());
  for (double v : d) total += v * step;
  EXPECT_NEAR(total, 1.0, 1e-9);
}

}  // namespace
