#include "lang/stdlib/linear_algebra.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "lang/block_product.h"
#include "lang/lang_fixture.h"

namespace {

using Matrix = std::vector<double>;

class LinearAlgebra : public LangTest {};

Matrix randomMatrix(int n, unsigned seed, double diagonalBoost = 0.0) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  Matrix a(static_cast<size_t>(n) * n);
  for (double& v : a) v = dist(gen);
  for (int i = 0; i < n; ++i) a[i * n + i] += diagonalBoost;
  return a;
}

Matrix multiply(const Matrix& a, const Matrix& b, int n, int m = -1) {
  if (m < 0) m = n;
  Matrix c(static_cast<size_t>(n) * m, 0.0);
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < n; ++k)
      for (int j = 0; j < m; ++j) c[i * m + j] += a[i * n + k] * b[k * m + j];
  return c;
}

double invert(Matrix a, int n, Matrix* inverse) {
  std::vector<int> pivots(n);
  inverse->assign(static_cast<size_t>(n) * n, 0.0);
  double det = 0;
  EXPECT_EQ(DoInv(a.data(), pivots.data(), inverse->data(), n, n, &det), 1);
  return det;
}

TEST_F(LinearAlgebra, InverseAndDeterminantOfSmallCases) {
  Matrix inv;
  EXPECT_DOUBLE_EQ(invert({2, 0, 0, 4}, 2, &inv), 8.0);
  EXPECT_EQ(inv, (Matrix{0.5, 0, 0, 0.25}));
  EXPECT_DOUBLE_EQ(invert({0, 1, 1, 0}, 2, &inv), -1.0);  // one row exchange
  EXPECT_EQ(inv, (Matrix{0, 1, 1, 0}));
  EXPECT_EQ(ResultString, "");
}

TEST_F(LinearAlgebra, InverseTimesMatrixIsIdentity) {
  for (int n : {1, 3, 7, 40}) {
    const Matrix a = randomMatrix(n, 17 + n);
    Matrix inv;
    invert(a, n, &inv);
    const Matrix p = multiply(a, inv, n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        EXPECT_NEAR(p[i * n + j], i == j ? 1.0 : 0.0, 1e-9) << n << ": " << i << "," << j;
  }
}

TEST_F(LinearAlgebra, DeterminantOfAKnownFactorisation) {
  // A = L U with unit lower L and upper U: det A is the product of U's diagonal, whatever
  // row exchanges the elimination makes.
  const int n = 6;
  Matrix l(n * n, 0.0), u(n * n, 0.0);
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> dist(-2.0, 2.0);
  double expected = 1.0;
  for (int i = 0; i < n; ++i) {
    l[i * n + i] = 1.0;
    for (int j = 0; j < i; ++j) l[i * n + j] = dist(gen);
    for (int j = i + 1; j < n; ++j) u[i * n + j] = dist(gen);
    u[i * n + i] = (i % 2 ? -1.0 : 1.0) * (0.5 + i);
    expected *= u[i * n + i];
  }
  Matrix inv;
  EXPECT_NEAR(invert(multiply(l, u, n), n, &inv), expected, 1e-9 * std::fabs(expected));
}

double residualNorm(const Matrix& a, const std::vector<double>& x, const std::vector<double>& b, int n);

// Gauss-Jordan elimination with row pivoting, element by element: the plain form the blocked
// routine must agree with. Returns the determinant.
double plainGaussJordanInverse(Matrix a, int n, Matrix* inverse) {
  Matrix& x = *inverse;
  x.assign(static_cast<size_t>(n) * n, 0.0);
  for (int i = 0; i < n; ++i) x[i * n + i] = 1.0;
  double det = 1.0;
  for (int k = 0; k < n; ++k) {
    int p = k;
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(a[i * n + k]) > std::fabs(a[p * n + k])) p = i;
    if (p != k) {
      for (int j = 0; j < n; ++j) {
        std::swap(a[k * n + j], a[p * n + j]);
        std::swap(x[k * n + j], x[p * n + j]);
      }
      det = -det;
    }
    const double pivot = a[k * n + k];
    det *= pivot;
    for (int j = 0; j < n; ++j) {
      a[k * n + j] /= pivot;
      x[k * n + j] /= pivot;
    }
    for (int i = 0; i < n; ++i) {
      if (i == k) continue;
      const double f = a[i * n + k];
      for (int j = 0; j < n; ++j) {
        a[i * n + j] -= f * a[k * n + j];
        x[i * n + j] -= f * x[k * n + j];
      }
    }
  }
  return det;
}

double maxAbs(const Matrix& m) {
  double v = 0;
  for (double e : m) v = std::max(v, std::fabs(e));
  return v;
}

TEST_F(LinearAlgebra, BlockedInverseAndSolveMatchThePlainForms) {
  // Orders around the block size of 64 and its multiples, well conditioned (a raised diagonal)
  // and general (random entries only), on every vector path of the block products.
  for (const SimdPath path : {SimdPath::Portable, SimdPath::Avx2, SimdPath::Avx512}) {
    setBlockProductCap(path);
    if (blockProductPath() != path) continue;
    SCOPED_TRACE("path " + std::to_string(static_cast<int>(path)));
    for (int n : {1, 5, 63, 64, 65, 129, 200}) {
      for (double boost : {0.0, 2.0 * std::sqrt(n)}) {
        const Matrix a = randomMatrix(n, 7000 + n, boost);
        Matrix inv, ref;
        const double det = invert(a, n, &inv);
        const double refDet = plainGaussJordanInverse(a, n, &ref);
        EXPECT_NEAR(det / refDet, 1.0, 1e-11) << n;
        // A X = I, and X as the plain elimination has it.
        const Matrix p = multiply(a, inv, n);
        for (int i = 0; i < n; ++i)
          for (int j = 0; j < n; ++j) {
            ASSERT_NEAR(p[i * n + j], i == j ? 1.0 : 0.0, 1e-10) << n << " " << i << " " << j;
          }
        Matrix diff(inv.size());
        for (size_t i = 0; i < inv.size(); ++i) diff[i] = inv[i] - ref[i];
        if (boost > 0) {
          EXPECT_LT(maxAbs(diff), 1e-12 * maxAbs(ref)) << n;
        }

        // Leqacc: the residual of its answer, and the answer of complete pivoting with the same
        // five refinement passes (the routine as it was, from its public pieces).
        std::vector<double> b(n);
        for (int i = 0; i < n; ++i) b[i] = std::cos(1.0 + i) * 3;
        Matrix work = a;
        std::vector<double> bw = b, x(n);
        ASSERT_EQ(Leqacc(work.data(), x.data(), bw.data(), n, n), 1);
        EXPECT_LT(residualNorm(a, x, b, n), 1e-12 * n * maxAbs(x)) << n;
        Matrix lu = a;
        std::vector<int> rows(n), cols(n);
        std::vector<double> complete(n);
        Renritsu_dec(lu.data(), n, n, rows.data(), cols.data());
        Renritsu_sol(lu.data(), complete.data(), b.data(), n, n, rows.data(), cols.data());
        std::vector<double> r(n), d(n);
        for (int pass = 0; pass < 5; ++pass) {
          Renritsu_racc(a.data(), complete.data(), b.data(), r.data(), n, n);
          Renritsu_sol(lu.data(), d.data(), r.data(), n, n, rows.data(), cols.data());
          for (int i = 0; i < n; ++i) complete[i] += d[i];
        }
        const double tolerance = (boost > 0 ? 1e-12 : 1e-9) * maxAbs(complete);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], complete[i], tolerance) << n << " " << i;
      }
    }
  }
  setBlockProductCap(SimdPath::Avx512);
}

TEST_F(LinearAlgebra, LeqaccOfASingularMatrixStillGivesNoNumber) {
  // No row pivot: the complete pivoting of old decides, and its division by zero shows.
  Matrix a = {1, 2, 3, 2, 4, 6, 1, 0, 1};
  std::vector<double> b = {1, 2, 3}, x(3);
  ASSERT_EQ(Leqacc(a.data(), x.data(), b.data(), 3, 3), 1);
  EXPECT_FALSE(std::isfinite(x[0]) && std::isfinite(x[1]) && std::isfinite(x[2]));
}

TEST_F(LinearAlgebra, InverseFailures) {
  Matrix a = {1e-7, 0, 0, 1e-7};  // regular, but no pivot exceeds the threshold
  Matrix out(4);
  int piv[2];
  double det = 0;
  EXPECT_EQ(DoInv(a.data(), piv, out.data(), 2, 2, &det), 0);
  EXPECT_EQ(ResultString, "...<Error>...pivot error\n");
  ResultString.clear();
  Matrix singular = {1, 2, 2, 4};
  EXPECT_EQ(DoInv(singular.data(), piv, out.data(), 2, 2, &det), 0);
  EXPECT_EQ(ResultString, "...<Error>...pivot error\n");
  ResultString.clear();
  Matrix wide(6, 1.0);
  EXPECT_EQ(DoInv(wide.data(), piv, out.data(), 2, 3, &det), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid matrix size.\n");
}

double residualNorm(const Matrix& a, const std::vector<double>& x, const std::vector<double>& b, int n) {
  double worst = 0;
  for (int i = 0; i < n; ++i) {
    double s = -b[i];
    for (int j = 0; j < n; ++j) s += a[i * n + j] * x[j];
    worst = std::max(worst, std::fabs(s));
  }
  return worst;
}

TEST_F(LinearAlgebra, LeqaccSolvesWithSmallResidual) {
  for (int n : {1, 2, 10, 80}) {
    const Matrix a = randomMatrix(n, 100 + n);
    std::vector<double> b(n);
    for (int i = 0; i < n; ++i) b[i] = std::sin(i + 1.0) * 10;
    Matrix work = a;
    std::vector<double> bw = b, x(n);
    ASSERT_EQ(Leqacc(work.data(), x.data(), bw.data(), n, n), 1);
    EXPECT_LT(residualNorm(a, x, b, n), 1e-11) << n;
  }
}

TEST_F(LinearAlgebra, LeqaccOnBadlyScaledAndIllConditionedSystems) {
  // Rows and columns of very different scales: equilibration makes them harmless.
  const int n = 4;
  Matrix a = {1e8, 2, 3, 4, 5e-6, 6e-6, 7e-3, 8e-6, 9, 10, 11, 1e5, 13, 14e-4, 15, 16};
  const std::vector<double> truth = {1, -2, 3, -4};
  std::vector<double> b(n, 0.0);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) b[i] += a[i * n + j] * truth[j];
  std::vector<double> x(n);
  ASSERT_EQ(Leqacc(a.data(), x.data(), b.data(), n, n), 1);
  for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], truth[i], 1e-9 * std::fabs(truth[i]));

  // The Hilbert matrix of order 7 (condition about 5e8) with the solution all ones.
  const int h = 7;
  Matrix hil(h * h);
  std::vector<double> hb(h, 0.0), hx(h);
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < h; ++j) {
      hil[i * h + j] = 1.0 / (i + j + 1);
      hb[i] += hil[i * h + j];
    }
  ASSERT_EQ(Leqacc(hil.data(), hx.data(), hb.data(), h, h), 1);
  for (double v : hx) EXPECT_NEAR(v, 1.0, 1e-6);
}

TEST_F(LinearAlgebra, LeqaccHonoursTheRowStride) {
  const int n = 3, stride = 5;
  Matrix a(n * stride, 99.0);  // the padding must never be read
  const double rows[3][3] = {{4, 1, 0}, {1, 3, 1}, {0, 1, 2}};
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[i * stride + j] = rows[i][j];
  std::vector<double> b = {5, 5, 3}, x(3);
  ASSERT_EQ(Leqacc(a.data(), x.data(), b.data(), n, stride), 1);
  for (double v : x) EXPECT_NEAR(v, 1.0, 1e-13);
}

TEST_F(LinearAlgebra, RenritsuSolvesSeveralRightSides) {
  const int n = 5, m = 2;
  const Matrix a = randomMatrix(n, 3, 2.0);
  Matrix b(n * m);
  for (int i = 0; i < n * m; ++i) b[i] = i - 3.5;
  Matrix aw = a, bw = b, x(n * m);
  ASSERT_EQ(Renritsu(aw.data(), bw.data(), x.data(), n, m), 1);
  const Matrix ax = multiply(a, x, n, m);
  for (int i = 0; i < n * m; ++i) EXPECT_NEAR(ax[i], b[i], 1e-12);

  Matrix singular = {1, 1, 1, 1}, rhs = {1, 2}, out(2);
  EXPECT_EQ(Renritsu(singular.data(), rhs.data(), out.data(), 2, 1), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid data.\n");
}

TEST_F(LinearAlgebra, ResistorCircuits) {
  // A 10-volt source from ground to node 1 and a 5-ohm resistor from node 1 to ground.
  const double circuit[] = {1, 0, 1, 10, 2, 1, 0, 5};
  std::vector<double> out(16);
  int size = 0;
  ASSERT_EQ(Do_R_Circuit(circuit, 2, out.data(), &size, 1), 1);
  ASSERT_EQ(size, 2);
  EXPECT_NEAR(out[0], 10.0, 1e-12);
  EXPECT_NEAR(out[1], 2.0, 1e-12);
  ASSERT_EQ(Do_R_Circuit(circuit, 2, out.data(), &size, 0), 1);
  EXPECT_EQ(size, 2);
  EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 6), (std::vector<double>{0.2, -1, 0, 1, 0, 10}));

  // A current source of 1 A into node 1; 2 ohms from node 1 to node 2; 3 ohms from node 2 to
  // ground: the potentials are 5 V and 3 V.
  const double divider[] = {0, 0, 1, 1, 2, 1, 2, 2, 2, 2, 0, 3};
  ASSERT_EQ(Do_R_Circuit(divider, 3, out.data(), &size, 1), 1);
  ASSERT_EQ(size, 2);
  EXPECT_NEAR(out[0], 5.0, 1e-12);
  EXPECT_NEAR(out[1], 3.0, 1e-12);
  EXPECT_EQ(get_circuit_node(divider, 3), 2);

  const double bad[] = {3, 0, 1, 1};
  EXPECT_EQ(Do_R_Circuit(bad, 1, out.data(), &size, 1), 0);
  EXPECT_EQ(ResultString, "...<Error>...unknown device\n");
  ResultString.clear();
  const double huge[] = {2, 1, 5000, 1};  // 5000 x 5000 unknowns pass the element limit
  EXPECT_EQ(Do_R_Circuit(huge, 1, out.data(), &size, 1), 0);
  EXPECT_EQ(ResultString, "...<Error>...Too big circuit\n");
}

std::vector<std::complex<double>> eigenvalues(const Matrix& a, int n) {
  std::vector<double> out(2 * n);
  EXPECT_EQ(DQR_main(a.data(), n, out.data()), 1) << ResultString;
  std::vector<std::complex<double>> ev;
  for (int i = 0; i < n; ++i) ev.emplace_back(out[i], out[n + i]);
  return ev;
}

TEST_F(LinearAlgebra, DqrOfARotationGivesAConjugatePairInPlace) {
  std::vector<double> out(4);
  const double a[] = {0, -1, 1, 0};
  ASSERT_EQ(DQR_main(a, 2, out.data()), 1);
  EXPECT_EQ(out, (std::vector<double>{0, 0, -1, 1}));
}

TEST_F(LinearAlgebra, DqrOfKnownSpectra) {
  // Companion matrix of (x-1)(x-2)(x-3)(x-4)(x-5) = x^5 - 15x^4 + 85x^3 - 225x^2 + 274x - 120.
  const Matrix companion = {15, -85, 225, -274, 120, 1, 0, 0, 0, 0, 0, 1, 0,
                            0,  0,   0,   0,    1,   0, 0, 0, 0, 0, 1, 0};
  auto ev = eigenvalues(companion, 5);
  std::vector<double> re;
  for (auto& e : ev) {
    EXPECT_NEAR(e.imag(), 0.0, 1e-9);
    re.push_back(e.real());
  }
  std::sort(re.begin(), re.end());
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(re[i], i + 1.0, 1e-9 * (i + 1));

  // Upper triangular and diagonal matrices: the diagonal, found in place.
  const Matrix upper = {4, 1, 2, 3, 0, -2, 5, 1, 0, 0, 7, 1, 0, 0, 0, 0.5};
  ev = eigenvalues(upper, 4);
  const double diag[] = {4, -2, 7, 0.5};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(ev[i].real(), diag[i], 1e-12);

  // S diag(1, 2, 2 +- 3i) S^-1 with a random S: the block [[2, 3], [-3, 2]] gives 2 +- 3i.
  const int n = 4;
  const Matrix d = {1, 0, 0, 0, 0, -2, 0, 0, 0, 0, 2, 3, 0, 0, -3, 2};
  const Matrix s = randomMatrix(n, 9, 3.0);
  Matrix sinv;
  invert(s, n, &sinv);
  ev = eigenvalues(multiply(multiply(s, d, n), sinv, n), n);
  std::sort(ev.begin(), ev.end(),
            [](auto x, auto y) { return x.real() != y.real() ? x.real() < y.real() : x.imag() < y.imag(); });
  EXPECT_NEAR(ev[0].real(), -2, 1e-8);
  EXPECT_NEAR(ev[1].real(), 1, 1e-8);
  EXPECT_NEAR(ev[2].real(), 2, 1e-8);
  EXPECT_NEAR(ev[2].imag(), -3, 1e-8);
  EXPECT_NEAR(ev[3].imag(), 3, 1e-8);
}

// The companion matrix of the monic polynomial with the given real roots: first row the
// negated coefficients, ones below the diagonal.
Matrix companionOf(const std::vector<double>& roots) {
  const int n = static_cast<int>(roots.size());
  std::vector<double> c{1.0};  // coefficients, highest power first
  for (double r : roots) {
    c.push_back(0.0);
    for (size_t i = c.size() - 1; i > 0; --i) c[i] -= r * c[i - 1];
  }
  Matrix a(static_cast<size_t>(n) * n, 0.0);
  for (int j = 0; j < n; ++j) a[j] = -c[j + 1];
  for (int i = 1; i < n; ++i) a[i * n + i - 1] = 1.0;
  return a;
}

TEST_F(LinearAlgebra, DqrFindsTheRootsOfCompanionMatrices) {
  struct Case {
    const char* name;
    std::vector<double> roots;
    double tolerance;  // relative to the largest root
  };
  const std::vector<Case> cases = {
      {"1 .. 5", {1, 2, 3, 4, 5}, 1e-9},
      {"both signs", {-3, -1, 0.5, 2, 4, 7}, 1e-9},
      {"in [0, 1)", {0.05, 0.2, 0.35, 0.5, 0.65, 0.8, 0.95}, 1e-7},
      {"mixed scales", {1e-3, 0.5, -2, 40}, 1e-9},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.roots.size());
    const auto ev = eigenvalues(companionOf(c.roots), n);
    std::vector<double> re;
    double largest = 0;
    for (double r : c.roots) largest = std::max(largest, std::fabs(r));
    for (const auto& e : ev) {
      EXPECT_NEAR(e.imag(), 0.0, c.tolerance * largest) << c.name;
      re.push_back(e.real());
    }
    std::vector<double> roots = c.roots;
    std::sort(re.begin(), re.end());
    std::sort(roots.begin(), roots.end());
    for (int i = 0; i < n; ++i) EXPECT_NEAR(re[i], roots[i], c.tolerance * largest) << c.name << " " << i;
  }
}

// The smallest ||(A - lambda I) x|| over unit vectors x, estimated by two steps of inverse
// iteration with complex Gaussian elimination: small exactly when lambda is an eigenvalue of a
// matrix near A.
double inverseIterationResidual(const Matrix& a, int n, std::complex<double> lambda) {
  using C = std::complex<double>;
  std::vector<C> x(n, C(1.0, 0.0));
  double residual = 0;
  for (int step = 0; step < 2; ++step) {
    std::vector<C> m(static_cast<size_t>(n) * n), y = x;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) m[i * n + j] = a[i * n + j] - (i == j ? lambda : 0.0);
    for (int k = 0; k < n; ++k) {
      int p = k;
      for (int i = k + 1; i < n; ++i)
        if (std::abs(m[i * n + k]) > std::abs(m[p * n + k])) p = i;
      for (int j = 0; j < n; ++j) std::swap(m[k * n + j], m[p * n + j]);
      std::swap(y[k], y[p]);
      if (m[k * n + k] == C(0.0)) m[k * n + k] = 1e-300;
      for (int i = k + 1; i < n; ++i) {
        const C f = m[i * n + k] / m[k * n + k];
        for (int j = k; j < n; ++j) m[i * n + j] -= f * m[k * n + j];
        y[i] -= f * y[k];
      }
    }
    for (int k = n - 1; k >= 0; --k) {
      for (int j = k + 1; j < n; ++j) y[k] -= m[k * n + j] * y[j];
      y[k] /= m[k * n + k];
    }
    double norm = 0;
    for (const C& v : y) norm += std::norm(v);
    norm = std::sqrt(norm);
    for (int i = 0; i < n; ++i) x[i] = y[i] / norm;
    double r = 0;
    for (int i = 0; i < n; ++i) {
      C sum = -lambda * x[i];
      for (int j = 0; j < n; ++j) sum += a[i * n + j] * x[j];
      r += std::norm(sum);
    }
    residual = std::sqrt(r);
  }
  return residual;
}

TEST_F(LinearAlgebra, DqrOfMatricesWithEntriesInTheUnitInterval) {
  // Plain random matrices with entries in [0, 1): one large eigenvalue near n / 2 and the
  // rest in a disc of radius about sqrt(n / 12), the case where a fixed absolute split test
  // and the missing exceptional shift gave up. (Companion matrices of roots far from 1 are
  // too badly scaled for an unbalanced QR; scaling is tested here on a random matrix.)
  for (int n : {6, 60, 77, 100}) {
    for (unsigned seed : {1u, 2u, 3u}) {
      std::mt19937 gen(seed * 131 + n);
      std::uniform_real_distribution<double> dist(0.0, 1.0);
      Matrix a(static_cast<size_t>(n) * n);
      for (double& v : a) v = dist(gen);
      const auto ev = eigenvalues(a, n);
      std::complex<double> sum = 0;
      double trace = 0;
      for (int i = 0; i < n; ++i) {
        sum += ev[i];
        trace += a[i * n + i];
        EXPECT_LT(inverseIterationResidual(a, n, ev[i]), 1e-10 * n) << n << " " << seed << " " << i;
      }
      EXPECT_NEAR(sum.real(), trace, 1e-10 * n) << n;
      EXPECT_NEAR(sum.imag(), 0.0, 1e-10 * n) << n;
      // The same matrix scaled down keeps its eigenvalues scaled, digit for digit nearly.
      if (n == 6) {
        Matrix small = a;
        for (double& v : small) v *= 1e-6;
        const auto evSmall = eigenvalues(small, n);
        std::vector<double> big, tiny;
        for (int i = 0; i < n; ++i) {
          big.push_back(std::abs(ev[i]));
          tiny.push_back(std::abs(evSmall[i]) * 1e6);
        }
        std::sort(big.begin(), big.end());
        std::sort(tiny.begin(), tiny.end());
        for (int i = 0; i < n; ++i) EXPECT_NEAR(tiny[i], big[i], 1e-9 * big[n - 1]) << seed;
      }
    }
  }
}

TEST_F(LinearAlgebra, DqrOfRandomMatricesKeepsTraceInvariants) {
  for (int n : {3, 10, 60, 100}) {
    const Matrix a = randomMatrix(n, 1000 + n);
    const auto ev = eigenvalues(a, n);
    std::complex<double> sum = 0, sumSq = 0;
    for (auto& e : ev) {
      sum += e;
      sumSq += e * e;
    }
    double trace = 0, traceSq = 0;
    const Matrix a2 = multiply(a, a, n);
    for (int i = 0; i < n; ++i) {
      trace += a[i * n + i];
      traceSq += a2[i * n + i];
    }
    EXPECT_NEAR(sum.real(), trace, 1e-6 * n) << n;
    EXPECT_NEAR(sum.imag(), 0.0, 1e-6 * n) << n;
    EXPECT_NEAR(sumSq.real(), traceSq, 1e-5 * n) << n;
    // Conjugate pairs stand next to each other.
    for (int i = 0; i < n; ++i)
      if (ev[i].imag() < 0) {
        ASSERT_LT(i + 1, n);
        EXPECT_DOUBLE_EQ(ev[i + 1].imag(), -ev[i].imag());
      }
  }
}

TEST_F(LinearAlgebra, DqrRefusesBadOrdersAndNaN) {
  std::vector<double> out(2 * 101);
  Matrix big(101 * 101, 1.0);
  EXPECT_EQ(DQR_main(big.data(), 101, out.data()), 0);
  ResultString.clear();
  Matrix nan = randomMatrix(5, 2);
  nan[12] = std::nan("");
  EXPECT_EQ(DQR_main(nan.data(), 5, out.data()), 0);
  EXPECT_EQ(ResultString, "...<Error>...No result\n");
}

TEST_F(LinearAlgebra, JacobiEigenpairs) {
  // A diagonal matrix stops at once: its diagonal and the identity.
  const Matrix diag = {3, 0, 0, 0, -1, 0, 0, 0, 2};
  Matrix vec(9), val(3);
  ASSERT_EQ(jacobi(3, diag.data(), vec.data(), val.data()), 1);
  EXPECT_EQ(val, (Matrix{3, -1, 2}));
  EXPECT_EQ(vec, (Matrix{1, 0, 0, 0, 1, 0, 0, 0, 1}));

  for (int n : {2, 6, 25}) {
    Matrix a = randomMatrix(n, 50 + n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < i; ++j) a[i * n + j] = a[j * n + i];
    Matrix v(n * n), lambda(n);
    ASSERT_EQ(jacobi(n, a.data(), v.data(), lambda.data()), 1);
    const Matrix av = multiply(a, v, n);
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(av[i * n + k], lambda[k] * v[i * n + k], 1e-9) << n;
        double dot = 0;
        for (int r = 0; r < n; ++r) dot += v[r * n + i] * v[r * n + k];
        EXPECT_NEAR(dot, i == k ? 1.0 : 0.0, 1e-12);
      }
  }
}

// Classical Jacobi with the pivot found by scanning the whole matrix, the plain O(n^4) form:
// the routine must make the same rotations, so its results must match this one bit for bit.
void fullScanJacobi(int n, Matrix w, Matrix* vectors, Matrix* values) {
  Matrix& v = *vectors;
  v.assign(static_cast<size_t>(n) * n, 0.0);
  for (int i = 0; i < n; ++i) v[i * n + i] = 1.0;
  for (;;) {
    int p = 0, q = 0;
    double largest = -1.0;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        if (i != j && std::fabs(w[i * n + j]) > largest) {
          largest = std::fabs(w[i * n + j]);
          p = i;
          q = j;
        }
    if (largest < 1e-10) break;
    const double wpq = w[p * n + q], wpp = w[p * n + p], wqq = w[q * n + q];
    const double d = wpp - wqq;
    const double root = std::hypot(d, 2 * wpq);
    const double t = d >= 0 ? 2 * wpq / (d + root) : (root - d) / (2 * wpq);
    const double c = 1 / std::sqrt(t * t + 1);
    const double s = t * c;
    w[p * n + p] = wpp * c * c + 2 * wpq * s * c + wqq * s * s;
    w[q * n + q] = wpp * s * s - 2 * wpq * s * c + wqq * c * c;
    w[p * n + q] = w[q * n + p] = 0.0;
    for (int k = 0; k < n; ++k) {
      if (k != p && k != q) {
        const double kp = w[k * n + p], kq = w[k * n + q];
        w[k * n + p] = w[p * n + k] = c * kp + s * kq;
        w[k * n + q] = w[q * n + k] = c * kq - s * kp;
      }
      const double vp = v[k * n + p], vq = v[k * n + q];
      v[k * n + p] = c * vp + s * vq;
      v[k * n + q] = c * vq - s * vp;
    }
  }
  values->resize(n);
  for (int i = 0; i < n; ++i) (*values)[i] = w[i * n + i];
}

Matrix symmetrise(Matrix a, int n) {
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < i; ++j) a[i * n + j] = a[j * n + i];
  return a;
}

TEST_F(LinearAlgebra, JacobiMakesTheRotationsOfTheFullScan) {
  struct Case {
    const char* name;
    int n;
    Matrix a;
  };
  std::vector<Case> cases;
  for (int n : {2, 3, 9, 40, 73}) cases.push_back({"random symmetric", n, symmetrise(randomMatrix(n, 900 + n), n)});
  // Ties everywhere: equal off-diagonal elements, so the first-found rule decides each pivot.
  for (int n : {5, 30}) {
    Matrix a(static_cast<size_t>(n) * n, 1.0);
    for (int i = 0; i < n; ++i) a[i * n + i] = i;
    cases.push_back({"all ones off the diagonal", n, a});
    Matrix t(static_cast<size_t>(n) * n, 0.0);
    for (int i = 0; i + 1 < n; ++i) t[i * n + i + 1] = t[(i + 1) * n + i] = -1.0;
    cases.push_back({"tridiagonal Toeplitz", n, t});
  }
  // Not symmetric: the routine reads the columns, as the plain form does.
  cases.push_back({"not symmetric", 12, randomMatrix(12, 77)});
  for (const Case& c : cases) {
    Matrix refVectors, refValues, vectors(c.a.size()), values(c.n);
    fullScanJacobi(c.n, c.a, &refVectors, &refValues);
    ASSERT_EQ(jacobi(c.n, c.a.data(), vectors.data(), values.data()), 1) << c.name;
    EXPECT_EQ(values, refValues) << c.name << " " << c.n;
    EXPECT_EQ(vectors, refVectors) << c.name << " " << c.n;
    Matrix valuesAlone(c.n);
    ASSERT_EQ(jacobi(c.n, c.a.data(), nullptr, valuesAlone.data()), 1) << c.name;
    EXPECT_EQ(valuesAlone, refValues) << c.name << " " << c.n;
  }
}

TEST_F(LinearAlgebra, JacobiFindsKnownSpectra) {
  struct Case {
    const char* name;
    int n;
    Matrix a;
    Matrix eigenvalues;  // sorted
  };
  std::vector<Case> cases;
  // diag(1 .. n) turned by a Householder reflection Q = I - 2 u u^T / u^T u: Q D Q keeps the values.
  for (int n : {4, 50}) {
    Matrix u(n), d(n);
    for (int i = 0; i < n; ++i) {
      u[i] = std::sin(1.0 + i);
      d[i] = i + 1.0;
    }
    double uu = 0;
    for (double x : u) uu += x * x;
    Matrix q(static_cast<size_t>(n) * n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) q[i * n + j] = (i == j ? 1.0 : 0.0) - 2 * u[i] * u[j] / uu;
    Matrix a(static_cast<size_t>(n) * n, 0.0);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        for (int k = 0; k < n; ++k) a[i * n + j] += q[i * n + k] * d[k] * q[j * n + k];
    cases.push_back({"rotated diagonal", n, symmetrise(a, n), d});
  }
  // Tridiagonal Toeplitz with a on the diagonal and b beside it: a + 2 b cos(k pi / (n + 1)).
  for (int n : {3, 20, 120}) {
    const double da = 2.5, b = -0.75;
    Matrix a(static_cast<size_t>(n) * n, 0.0), lambda(n);
    for (int i = 0; i < n; ++i) a[i * n + i] = da;
    for (int i = 0; i + 1 < n; ++i) a[i * n + i + 1] = a[(i + 1) * n + i] = b;
    for (int k = 1; k <= n; ++k) lambda[k - 1] = da + 2 * b * std::cos(k * M_PI / (n + 1));
    std::sort(lambda.begin(), lambda.end());
    cases.push_back({"tridiagonal Toeplitz", n, a, lambda});
  }
  cases.push_back({"diagonal", 4, {5, 0, 0, 0, 0, -2, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0}, {-2, 0, 5, 7}});
  for (const Case& c : cases) {
    Matrix vectors(c.a.size()), values(c.n);
    ASSERT_EQ(jacobi(c.n, c.a.data(), vectors.data(), values.data()), 1) << c.name;
    std::sort(values.begin(), values.end());
    for (int i = 0; i < c.n; ++i) EXPECT_NEAR(values[i], c.eigenvalues[i], 1e-9) << c.name << " " << c.n << " " << i;
  }
}

TEST_F(LinearAlgebra, EpsilonAcceleratesTheAlternatingHarmonicSeries) {
  const int n = 12;
  std::vector<double> partial(n), out(n / 2), work(n * n);
  double s = 0;
  for (int i = 0; i < n; ++i) partial[i] = s += (i % 2 ? -1.0 : 1.0) / (i + 1);
  ASSERT_EQ(epsiron(partial.data(), out.data(), n, work.data()), 1);
  EXPECT_EQ(out[0], partial[0]);
  double previous = 1.0;
  for (double v : out) {
    const double err = std::fabs(v - std::log(2.0));
    EXPECT_LT(err, previous);
    previous = err;
  }
  EXPECT_LT(previous, 1e-8);
  EXPECT_GT(std::fabs(partial[n - 1] - std::log(2.0)), 1e-2);  // the plain sum is far off
}

}  // namespace
